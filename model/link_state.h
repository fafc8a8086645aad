#pragma once

// How far the link to the amplifier has come on the current connection.
enum class LinkState {
    closed,        // no amplifier held
    open,          // held; identification and the first read may still be under way
    synchronising, // its image was read and our last write was taken
};

// Why an amplifier that answers cannot be driven.
enum class AmplifierFault {
    unidentified,    // it did not identify itself as expected
    unknown_variant, // it named a variant the program does not know
};

// Why no amplifier is being kept in step, as the window tells the user.
enum class LinkProblem {
    none,
    no_amplifier,  // none is plugged in (or none with the amplifier's identifiers)
    no_permission, // one is plugged in, but this user may not open it
    cannot_open,   // one is plugged in, but opening it failed for another reason
    not_answering, // it is open, but does not answer in time, or answers wrongly
};
