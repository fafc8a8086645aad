#pragma once

#include "hid_device.h"

#include <array>
#include <cstdint>

// One connection's protocol: identify the amplifier, read its stored image, then write the
// program's image every cycle. An image is written only after one was read from the same
// connection, so the amplifier never receives settings it did not send or the user did not set.
class SyncSession
{
public:
    enum class Step {
        NotOpen,            // no device held
        Lost,               // the device went away during the transaction and was closed
        IdentifyFailed,     // present, but no valid answer to the identification
        UnsupportedVariant, // identified as a variant the program cannot drive
        ReadFailed,         // identified, but its image could not be read yet
        ImageRead,          // the image of this connection has just arrived
        Ready,              // synchronising: the image may be written
    };

    explicit SyncSession(HidDevice& device);

    // The part of a cycle that comes before the write.
    Step prepare();
    // Sends the image payload (63 bytes); refused until this connection's image was read.
    bool write(const std::uint8_t* payload);

    int variant() const { return identified_variant; }
    // Payload of the last read image (reply bytes 1..63).
    const std::uint8_t* read_payload() const { return reply_buffer.data() + 1; }

private:
    Step failed(Step when_present) const;

    HidDevice& device;
    std::array<std::uint8_t, HidDevice::reply_size> reply_buffer{};
    int identified_variant = 0;
    bool image_pending = true;
};
