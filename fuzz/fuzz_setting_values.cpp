// Whatever a command line or a D-Bus caller hands in as settings, it is either refused or
// read as a value the setting really has, and that value reads back from its own text, JSON
// and D-Bus forms unchanged.
#include "amp_settings.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <cstdlib>

namespace {

void check(const AmpSetting& setting, int value)
{
    const bool valid = setting.kind == AmpSetting::Kind::choice
                           ? setting.item_with_value(value) != nullptr
                           : value >= setting.min && value <= setting.max;
    if (!valid || setting.parse(setting.text(value)) != value ||
        setting.from_json(setting.json(value)) != value ||
        setting.from_dbus(setting.dbus(value)) != value)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString text = QString::fromUtf8(bytes);
    // As --set NAME=VALUE words.
    std::vector<SettingChange> changes;
    if (!parse_assignments(text.split(u' '), &changes)) {
        for (const SettingChange& change : changes)
            check(*change.setting, change.value);
    }
    // As a D-Bus string or number, and as a JSON value, for every setting.
    const QJsonDocument json = QJsonDocument::fromJson("[" + bytes + "]");
    const QJsonValue json_value = json.isArray() ? json.array().at(0) : QJsonValue();
    bool whole = false;
    const qlonglong number = text.toLongLong(&whole);
    for (const AmpSetting& setting : amp_settings()) {
        for (const QVariant& given :
             {QVariant(text), whole ? QVariant(number) : QVariant(), QVariant(text.toDouble())}) {
            if (const std::optional<int> value = setting.from_dbus(given))
                check(setting, *value);
        }
        if (const std::optional<int> value = setting.from_json(json_value))
            check(setting, *value);
    }
    return 0;
}
