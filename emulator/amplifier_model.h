#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <mutex>
#include <optional>

// The amplifier's side of the HID protocol: what it stores and how it answers
// each output report. Called from the HID emulation's worker thread and from
// the control-file reader, hence the lock.
class AmplifierModel
{
public:
    static constexpr std::size_t output_report_size = 65; // report ID 0, command, payload
    static constexpr std::size_t input_report_size = 64;  // echo, reply data
    static constexpr std::size_t image_size = 38;

    static constexpr std::uint8_t cmd_identify = 54;
    static constexpr std::uint8_t cmd_read_image = 55;
    static constexpr std::uint8_t cmd_write_image = 56;

    using OutputReport = std::array<std::uint8_t, output_report_size>;
    using InputReport = std::array<std::uint8_t, input_report_size>;
    using Image = std::array<std::uint8_t, image_size>;
    using CommandSet = std::bitset<256>;

    AmplifierModel();

    void set_variant(std::uint8_t variant);
    void set_image(const Image& image);
    void set_silent(const CommandSet& commands);
    void set_wrong_echo(const CommandSet& commands);

    std::uint8_t variant() const;
    Image image() const;

    // The input report the amplifier sends back, or nothing for a command it
    // keeps silent about. A write-image command is obeyed either way.
    std::optional<InputReport> handle(const OutputReport& report);

    // A stored image as a freshly installed amplifier might hold it.
    static Image factory_image();

private:
    mutable std::mutex mutex;
    std::uint8_t variant_code = 2;
    Image stored_image{};
    CommandSet silent;
    CommandSet wrong_echo;
};
