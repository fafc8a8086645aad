// Whatever the emulator's control file holds, it parses into values the emulator can use.
#include "emulator_config.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const EmulatorConfig config = EmulatorConfig::parse(
        QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    if (config.reply_delay_ms < 0 || config.reply_delay_ms > EmulatorConfig::max_reply_delay_ms)
        std::abort();
    if (config.other_interfaces < 0 ||
        config.other_interfaces > EmulatorConfig::max_other_interfaces)
        std::abort();
    return 0;
}
