// Whatever a preset file holds, it is refused with a reason, or read as values the settings
// really take; what is written from it reads back as the same preset.
#include "preset_file.h"

#include <cstdlib>

namespace {

bool same(const Preset& a, const Preset& b)
{
    if (a.name != b.name || a.variant != b.variant || a.values.size() != b.values.size())
        return false;
    for (std::size_t i = 0; i < a.values.size(); ++i) {
        if (a.values[i].setting != b.values[i].setting || a.values[i].value != b.values[i].value)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString refusal;
    const std::optional<Preset> preset = Preset::read(bytes, QStringLiteral("fuzz.json"), &refusal);
    if (!preset) {
        if (!refusal.startsWith(QLatin1String("fuzz.json: ")))
            std::abort();
        return 0;
    }
    if (preset->values.empty())
        std::abort();
    for (const SettingChange& change : preset->values) {
        const AmpSetting& setting = *change.setting;
        const bool valid = setting.kind == AmpSetting::Kind::choice
                               ? setting.item_with_value(change.value) != nullptr
                               : change.value >= setting.min && change.value <= setting.max;
        if (!valid)
            std::abort();
    }
    const std::optional<Preset> again = Preset::read(preset->json(), {}, &refusal);
    if (!again || !same(*preset, *again))
        std::abort();
    return 0;
}
