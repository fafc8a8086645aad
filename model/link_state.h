#pragma once

// How far the link to the amplifier has come on the current connection.
enum class LinkState {
    closed,        // no amplifier held
    open,          // held; identification and the first read may still be under way
    synchronising, // its image was read and a write of ours has been taken
};
