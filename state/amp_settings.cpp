#include "amp_settings.h"

#include "amp_variants.h"

#include <QStringList>

namespace {

using S = AmpSetting;
using Kind = AmpSetting::Kind;
using C = AmplifierState::Controls;

// The rows' readers and writers, one per kind of control.
template <LevelChannel channel> S level(const char* name, unsigned lacking = 0)
{
    return {name,
            Kind::level,
            "dB",
            AmplifierState::level_min_db,
            AmplifierState::level_max_db,
            {},
            lacking,
            [](const C& c) { return c.level_db[slot(channel)]; },
            [](AmplifierState& s, int db) { s.move_level(channel, db); }};
}

template <LevelChannel channel> S level_mute(const char* name, unsigned lacking = 0)
{
    return {name,
            Kind::flag,
            "",
            0,
            1,
            {},
            lacking,
            [](const C& c) { return int(c.level_muted[slot(channel)]); },
            [](AmplifierState& s, int on) { s.mute_level(channel, on != 0); }};
}

template <ToneBand band> S tone(const char* name)
{
    return {name,
            Kind::level,
            "dB",
            -15,
            15,
            {},
            0,
            [](const C& c) { return c.tone_db[slot(band)]; },
            [](AmplifierState& s, int db) { s.move_tone(band, db); }};
}

template <IndexField field>
S index_choice(const char* name, const char* unit, std::vector<S::Item> items, unsigned lacking = 0)
{
    return {name,
            Kind::choice,
            unit,
            0,
            0,
            std::move(items),
            lacking,
            [](const C& c) { return c.index[slot(field)]; },
            [](AmplifierState& s, int index) { s.choose_index(field, index); }};
}

S flag(const char* name, int (*read)(const C&), void (*write)(AmplifierState&, int),
       unsigned lacking = 0)
{
    return {name, Kind::flag, "", 0, 1, {}, lacking, read, write};
}

S gain(const char* name, int (*read)(const C&), void (*write)(AmplifierState&, int),
       unsigned lacking = 0)
{
    return {name, Kind::level, "dB", 0, 15, {}, lacking, read, write};
}

std::vector<S::Item> inputs(unsigned lacks_first, unsigned lacks_fourth)
{
    return {{"1", input_code::input_1, lacks_first},
            {"2", input_code::input_2},
            {"3", input_code::input_3},
            {"4", input_code::input_4, lacks_fourth}};
}

std::vector<AmpSetting> make_table()
{
    using L = LevelChannel;
    using T = ToneBand;
    using F = IndexField;
    std::vector<S::Item> sec_inputs = inputs(lacks_sec_input_1, lacks_sec_input_4);
    sec_inputs.push_back({"mute", input_code::muted});
    return {
        level<L::Volume>("volume"),
        level_mute<L::Volume>("volume_mute"),
        flag(
            "hard_mute", [](const C& c) { return int(c.hard_mute); },
            [](AmplifierState& s, int on) { s.set_hard_mute(on != 0); }),
        flag(
            "soft_mute", [](const C& c) { return int(c.soft_mute); },
            [](AmplifierState& s, int on) { s.set_soft_mute(on != 0); }),
        {"input", Kind::choice, "", 0, 0, inputs(lacks_input_1, lacks_input_4), lacks_pri_source,
         [](const C& c) { return c.pri_input; },
         [](AmplifierState& s, int code) { s.choose_pri_input(code); }, true},
        gain(
            "input_gain", [](const C& c) { return c.pri_gain; },
            [](AmplifierState& s, int g) { s.move_pri_gain(g); }),
        flag(
            "autozero", [](const C& c) { return int(c.autozero); },
            [](AmplifierState& s, int on) { s.set_autozero(on != 0); }, lacks_pri_source),
        {"sec_input", Kind::choice, "", 0, 0, std::move(sec_inputs), lacks_sec_source,
         [](const C& c) { return c.sec_input; },
         [](AmplifierState& s, int code) { s.choose_sec_input(code); }, true},
        gain(
            "sec_input_gain", [](const C& c) { return c.sec_gain; },
            [](AmplifierState& s, int g) { s.move_sec_gain(g); }, lacks_sec_source_gain),
        index_choice<F::rear_source>("rear_speaker_source", "", {{"pri", 0}, {"sec", 1}},
                                     lacks_rear_source),
        level<L::FL>("fl"),
        level<L::FR>("fr"),
        level<L::RL>("rl"),
        level<L::RR>("rr"),
        level<L::Sub>("sub", lacks_sub),
        level_mute<L::FL>("fl_mute"),
        level_mute<L::FR>("fr_mute"),
        level_mute<L::RL>("rl_mute"),
        level_mute<L::RR>("rr_mute"),
        level_mute<L::Sub>("sub_mute", lacks_sub),
        index_choice<F::sub_cut_off>("sub_cut_off", "Hz",
                                     {{"flat", 0}, {"80", 1}, {"120", 2}, {"160", 3}}, lacks_sub),
        tone<T::Bass>("bass_gain"),
        index_choice<F::bass_cf>("bass_cf", "Hz", {{"60", 0}, {"80", 1}, {"100", 2}, {"200", 3}}),
        index_choice<F::bass_qf>("bass_qf", "", {{"1.0", 0}, {"1.25", 1}, {"1.5", 2}, {"2.0", 3}}),
        tone<T::Middle>("middle_gain"),
        index_choice<F::middle_cf>("middle_cf", "Hz",
                                   {{"500", 0}, {"1000", 1}, {"1500", 2}, {"2500", 3}}),
        index_choice<F::middle_qf>("middle_qf", "",
                                   {{"0.5", 0}, {"0.75", 1}, {"1", 2}, {"1.25", 3}}),
        tone<T::Treble>("treble_gain"),
        index_choice<F::treble_cf>("treble_cf", "Hz",
                                   {{"10000", 0}, {"12500", 1}, {"15000", 2}, {"17500", 3}}),
        {"acc_on_delay",
         Kind::level,
         "",
         0,
         255,
         {},
         0,
         [](const C& c) { return c.acc_on_delay; },
         [](AmplifierState& s, int v) { s.set_acc_on_delay(v); }},
    };
}

std::optional<double> number_in(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

// "-30", "-30dB", "-30 dB" and "100 Hz" all name a value; the unit is the setting's own.
QString without_unit(QString text, const char* unit)
{
    text = text.trimmed();
    const QString suffix = QLatin1String(unit);
    if (!suffix.isEmpty() && text.endsWith(suffix, Qt::CaseInsensitive))
        text.chop(suffix.size());
    return text.trimmed();
}

SettingRefusal refuse(SettingRefusal::Reason reason, const QString& message)
{
    return {reason, message};
}

} // namespace

const std::vector<AmpSetting>& amp_settings()
{
    static const std::vector<AmpSetting> table = make_table();
    return table;
}

const AmpSetting* find_amp_setting(const QString& name)
{
    for (const AmpSetting& setting : amp_settings()) {
        if (name == QLatin1String(setting.name))
            return &setting;
    }
    return nullptr;
}

bool AmpSetting::available_on(int variant) const
{
    const AmpVariant* found = find_amp_variant(variant);
    return found && (found->lacks & lacking) == 0;
}

bool AmpSetting::item_available_on(const Item& item, int variant) const
{
    const AmpVariant* found = find_amp_variant(variant);
    return available_on(variant) && (found->lacks & item.lacking) == 0;
}

const AmpSetting::Item* AmpSetting::item_with_value(int value) const
{
    for (const Item& item : items) {
        if (item.value == value)
            return &item;
    }
    return nullptr;
}

QString AmpSetting::text(int value) const
{
    switch (kind) {
    case Kind::level:
        return QString::number(value);
    case Kind::flag:
        return value ? QStringLiteral("yes") : QStringLiteral("no");
    case Kind::choice:
        break;
    }
    const Item* item = item_with_value(value);
    return item ? QLatin1String(item->text) : QStringLiteral("none");
}

QJsonValue AmpSetting::json(int value) const
{
    switch (kind) {
    case Kind::level:
        return value;
    case Kind::flag:
        return value != 0;
    case Kind::choice:
        break;
    }
    const Item* item = item_with_value(value);
    if (!item)
        return QJsonValue::Null;
    const QString item_text = QLatin1String(item->text);
    if (const std::optional<double> number = number_in(item_text))
        return *number;
    return item_text;
}

QVariant AmpSetting::dbus(int value) const
{
    switch (kind) {
    case Kind::level:
        return value;
    case Kind::flag:
        return value != 0;
    case Kind::choice:
        break;
    }
    return text(value);
}

const char* AmpSetting::dbus_signature() const
{
    switch (kind) {
    case Kind::level:
        return "i";
    case Kind::flag:
        return "b";
    case Kind::choice:
        break;
    }
    return "s";
}

QString AmpSetting::accepted() const
{
    switch (kind) {
    case Kind::level: {
        QString range = QStringLiteral("%1..%2").arg(min).arg(max);
        if (*unit)
            range += QLatin1Char(' ') + QLatin1String(unit);
        return range;
    }
    case Kind::flag:
        return QStringLiteral("yes or no");
    case Kind::choice:
        break;
    }
    QStringList texts;
    for (const Item& item : items)
        texts.append(QLatin1String(item.text));
    QString list = texts.join(QStringLiteral(", "));
    if (*unit)
        list += QLatin1Char(' ') + QLatin1String(unit);
    return list;
}

std::optional<int> AmpSetting::parse(const QString& given) const
{
    const QString text = without_unit(given, unit);
    switch (kind) {
    case Kind::level: {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || value < min || value > max)
            return std::nullopt;
        return value;
    }
    case Kind::flag: {
        const QString word = text.toLower();
        for (const char* yes : {"yes", "true", "on", "1"}) {
            if (word == QLatin1String(yes))
                return 1;
        }
        for (const char* no : {"no", "false", "off", "0"}) {
            if (word == QLatin1String(no))
                return 0;
        }
        return std::nullopt;
    }
    case Kind::choice:
        break;
    }
    const std::optional<double> number = number_in(text);
    for (const Item& item : items) {
        const QString item_text = QLatin1String(item.text);
        if (text.compare(item_text, Qt::CaseInsensitive) == 0)
            return item.value;
        if (number && number_in(item_text) == number)
            return item.value;
    }
    return std::nullopt;
}

std::optional<int> AmpSetting::from_json(const QJsonValue& value) const
{
    switch (kind) {
    case Kind::level:
        if (!value.isDouble() || value.toDouble() != double(value.toInt()))
            return std::nullopt;
        return parse(QString::number(value.toInt()));
    case Kind::flag:
        if (!value.isBool())
            return std::nullopt;
        return int(value.toBool());
    case Kind::choice:
        break;
    }
    if (value.isDouble())
        return parse(QString::number(value.toDouble(), 'g', 10));
    if (value.isString())
        return parse(value.toString());
    return std::nullopt;
}

std::optional<int> AmpSetting::from_dbus(const QVariant& value) const
{
    const int type = value.metaType().id();
    const bool whole = type == QMetaType::Int || type == QMetaType::UInt ||
                       type == QMetaType::LongLong || type == QMetaType::ULongLong ||
                       type == QMetaType::Short || type == QMetaType::UShort ||
                       type == QMetaType::UChar;
    switch (kind) {
    case Kind::level:
        if (!whole || value.toLongLong() < min || value.toLongLong() > max)
            return std::nullopt;
        return int(value.toLongLong());
    case Kind::flag:
        if (type != QMetaType::Bool)
            return std::nullopt;
        return int(value.toBool());
    case Kind::choice:
        break;
    }
    if (type == QMetaType::QString)
        return parse(value.toString());
    if (whole || type == QMetaType::Double)
        return parse(QString::number(value.toDouble(), 'g', 10));
    return std::nullopt;
}

SettingRefusal parse_assignments(const QStringList& words, std::vector<SettingChange>* changes)
{
    using R = SettingRefusal::Reason;
    std::vector<SettingChange> parsed;
    for (const QString& word : words) {
        const qsizetype equals = word.indexOf(QLatin1Char('='));
        if (equals <= 0)
            return refuse(R::bad_value, QStringLiteral("'%1' is not NAME=VALUE").arg(word));
        const QString name = word.left(equals);
        const AmpSetting* setting = find_amp_setting(name);
        if (!setting)
            return refuse(R::unknown_name, QStringLiteral("no setting named '%1'").arg(name));
        const std::optional<int> value = setting->parse(word.mid(equals + 1));
        if (!value)
            return refuse(R::bad_value, QStringLiteral("%1 takes %2, not '%3'")
                                            .arg(name, setting->accepted(), word.mid(equals + 1)));
        parsed.push_back({setting, *value});
    }
    *changes = std::move(parsed);
    return {};
}

SettingRefusal check_changes(const AmplifierState& state, const std::vector<SettingChange>& changes)
{
    using R = SettingRefusal::Reason;
    if (state.link_state() != LinkState::synchronising)
        return refuse(R::not_connected, QStringLiteral("no amplifier is connected"));
    const int variant = state.device_variant();
    const AmpVariant* found = find_amp_variant(variant);
    const QString variant_name = QLatin1String(found ? found->name : "?");
    for (const SettingChange& change : changes) {
        const AmpSetting& setting = *change.setting;
        if (!setting.available_on(variant))
            return refuse(R::not_on_variant, QStringLiteral("the %1 amplifier has no %2")
                                                 .arg(variant_name, QLatin1String(setting.name)));
        if (const AmpSetting::Item* item = setting.item_with_value(change.value);
            item && !setting.item_available_on(*item, variant))
            return refuse(R::not_on_variant, QStringLiteral("the %1 amplifier has no %2 %3")
                                                 .arg(variant_name, QLatin1String(setting.name),
                                                      QLatin1String(item->text)));
    }
    return {};
}

SettingRefusal apply_changes(AmplifierState& state, const std::vector<SettingChange>& changes)
{
    if (SettingRefusal refusal = check_changes(state, changes))
        return refusal;
    state.apply([&] {
        for (const SettingChange& change : changes) {
            const AmpSetting& setting = *change.setting;
            if (setting.writes_shown_value || setting.read(state.controls()) != change.value)
                setting.write(state, change.value);
        }
    });
    return {};
}
