#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The platform's HID access, one interface held at a time. HidDevice builds the
// amplifier's transaction rules on top of it; tests put a scripted double in its place.
class HidBackend
{
public:
    struct Interface
    {
        std::string path;
        std::uint16_t vendor_id = 0;
        std::uint16_t product_id = 0;
    };

    // Result of a read: bytes received, 0 when nothing arrived in time, -1 on an I/O error.
    static constexpr int read_error = -1;

    virtual ~HidBackend() = default;

    // The present HID interfaces with these identifiers, in the system's order, identified
    // without opening any of them.
    virtual std::vector<Interface> enumerate(std::uint16_t vendor_id, std::uint16_t product_id) = 0;
    // False when the interface cannot be opened; open_error() then tells why (an errno value).
    virtual bool open(const std::string& path) = 0;
    virtual int open_error() const = 0;
    virtual void close() = 0;
    // Cheap check that the held interface is still plugged in (its node and its entry in the
    // system's device tree exist); never enumerates.
    virtual bool is_present() = 0;
    // Writes one output report, report-ID byte first. False on an I/O error.
    virtual bool write(const std::uint8_t* report, std::size_t length) = 0;
    // Reads one input report (without a report-ID byte) into data, waiting at most timeout_ms.
    virtual int read(std::uint8_t* data, std::size_t capacity, int timeout_ms) = 0;
};
