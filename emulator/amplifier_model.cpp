#include "amplifier_model.h"

#include <algorithm>

AmplifierModel::AmplifierModel() : stored_image(factory_image()) {}

void AmplifierModel::set_variant(std::uint8_t variant)
{
    const std::lock_guard<std::mutex> lock(mutex);
    variant_code = variant;
}

void AmplifierModel::set_image(const Image& image)
{
    const std::lock_guard<std::mutex> lock(mutex);
    stored_image = image;
}

void AmplifierModel::set_silent(const CommandSet& commands)
{
    const std::lock_guard<std::mutex> lock(mutex);
    silent = commands;
}

void AmplifierModel::set_wrong_echo(const CommandSet& commands)
{
    const std::lock_guard<std::mutex> lock(mutex);
    wrong_echo = commands;
}

std::uint8_t AmplifierModel::variant() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return variant_code;
}

AmplifierModel::Image AmplifierModel::image() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return stored_image;
}

std::optional<AmplifierModel::InputReport> AmplifierModel::handle(const OutputReport& report)
{
    const std::lock_guard<std::mutex> lock(mutex);
    const std::uint8_t command = report[1];
    const auto payload = report.begin() + 2;

    if (command == cmd_write_image)
        std::copy(payload, payload + image_size, stored_image.begin());

    if (silent.test(command))
        return std::nullopt;

    InputReport reply{};
    reply[0] = wrong_echo.test(command) ? static_cast<std::uint8_t>(command ^ 0xFF) : command;
    if (command == cmd_identify)
        reply[1] = variant_code;
    else if (command == cmd_read_image)
        std::copy(stored_image.begin(), stored_image.end(), reply.begin() + 1);
    return reply;
}

AmplifierModel::Image AmplifierModel::factory_image()
{
    // Register pairs (address, value) in image order, then the flags and delay bytes:
    // input 1 at 0 dB with auto-zero, soft mute off, volume -20 dB, flat tone,
    // second source muted, cut-off 80 Hz, all faders and the subwoofer at 0 dB.
    return {0x00, 0x03, 0x01, 0x00, 0x02, 0xFF, 0x03, 0x24, 0x04, 0xA0, 0x05, 0x80, 0x06,
            0xC0, 0x07, 0x07, 0x08, 0x15, 0x09, 0x00, 0x0A, 0x90, 0x0B, 0x90, 0x0C, 0x90,
            0x0D, 0x90, 0x0E, 0x9F, 0x0F, 0x90, 0x10, 0x10, 0x11, 0x00, 0x00, 0x0A};
}
