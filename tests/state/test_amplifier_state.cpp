// The amplifier's state apart from any window: the hot keys' rules, what a read image leaves
// in the controls, the connection display, the values the settings table refuses, and the
// preset files made from the table.
#include "amp_settings.h"
#include "amplifier_state.h"
#include "preset_file.h"

#include <QFile>
#include <QJsonValue>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr std::size_t value_of(std::size_t reg)
{
    return 2 * reg + 1;
}

constexpr LevelChannel channels[] = {LevelChannel::Volume, LevelChannel::FL, LevelChannel::FR,
                                     LevelChannel::RL,     LevelChannel::RR, LevelChannel::Sub};

// Connected to an amplifier of this variant whose image holds these bytes.
void connect_state(AmplifierState& state, int variant,
                   std::initializer_list<std::pair<std::size_t, int>> bytes)
{
    RegisterImage::Bytes image{};
    for (const auto& [offset, byte] : bytes)
        image[offset] = std::uint8_t(byte);
    state.set_link_state(LinkState::open);
    state.apply_image_to_controls(1, variant, image);
    state.set_link_state(LinkState::synchronising);
}

// A value of the setting the variant has, at random.
int random_value(const AmpSetting& setting, int variant, QRandomGenerator& random)
{
    if (setting.kind != AmpSetting::Kind::choice)
        return random.bounded(setting.min, setting.max + 1);
    std::vector<int> offered;
    for (const AmpSetting::Item& item : setting.items) {
        if (setting.item_available_on(item, variant))
            offered.push_back(item.value);
    }
    return offered[random.bounded(int(offered.size()))];
}

// Every setting the variant has, each at random, as one edit.
void randomise(AmplifierState& state, QRandomGenerator& random)
{
    std::vector<SettingChange> changes;
    for (const AmpSetting& setting : amp_settings()) {
        if (setting.available_on(state.device_variant()))
            changes.push_back({&setting, random_value(setting, state.device_variant(), random)});
    }
    QVERIFY(!apply_changes(state, changes));
}

constexpr int variants[] = {2, 3, 4, 5, 6};

QList<int> levels(const AmplifierState& state)
{
    QList<int> values;
    for (LevelChannel channel : channels)
        values.append(state.controls().level_db[std::size_t(channel)]);
    return values;
}

} // namespace

class TestAmplifierState : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void hot_keys_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<int>("second_source"); // REG_SEC_SOURCE: rear speakers bit 7, input
        QTest::addColumn<int>("id");
        QTest::addColumn<QList<int>>("start"); // volume, FL, FR, RL, RR, SUB in dB
        QTest::addColumn<QList<int>>("expected");
        const QList<int> zero{0, 0, 0, 0, 0, 0};
        const auto row = [](const char* name, int variant, int second, int id,
                            const QList<int>& start, const QList<int>& expected) {
            QTest::newRow(name) << variant << second << id << start << expected;
        };
        row("volume up", 2, 0x00, 101, zero, {1, 0, 0, 0, 0, 0});
        row("volume down", 2, 0x00, 102, zero, {-1, 0, 0, 0, 0, 0});
        row("volume at the top", 2, 0x00, 101, {15, 0, 0, 0, 0, 0}, {15, 0, 0, 0, 0, 0});
        row("volume at the bottom", 2, 0x00, 102, {-79, 0, 0, 0, 0, 0}, {-79, 0, 0, 0, 0, 0});
        row("sub up", 3, 0x00, 103, zero, {0, 0, 0, 0, 0, 1});
        row("sub down, any variant", 5, 0x80, 104, zero, {0, 0, 0, 0, 0, -1});
        row("group up with sub", 2, 0x80, 101, zero, {0, 1, 1, 1, 1, 1});
        row("group down with sub, variant 6", 6, 0x81, 102, zero, {0, -1, -1, -1, -1, -1});
        row("group without sub", 3, 0x82, 101, zero, {0, 1, 1, 1, 1, 0});
        row("one fader at the top: up does nothing", 2, 0x80, 101, {0, 0, 15, 0, 0, 0},
            {0, 0, 15, 0, 0, 0});
        row("one fader at the top: down moves all", 2, 0x80, 102, {0, 0, 15, 0, 0, 0},
            {0, -1, 14, -1, -1, -1});
        row("a sub without output at the bottom blocks", 3, 0x80, 102, {0, 0, 0, 0, 0, -79},
            {0, 0, 0, 0, 0, -79});
        row("second source muted: master volume", 2, 0x87, 101, zero, {1, 0, 0, 0, 0, 0});
        row("second code 5 counts as muted", 2, 0x85, 102, zero, {-1, 0, 0, 0, 0, 0});
        row("unknown id", 2, 0x00, 105, zero, zero);
    }
    void hot_keys()
    {
        QFETCH(int, variant);
        QFETCH(int, second_source);
        QFETCH(int, id);
        QFETCH(QList<int>, start);
        QFETCH(QList<int>, expected);
        AmplifierState state;
        connect_state(state, variant, {{value_of(REG_SEC_SOURCE), second_source}});
        for (LevelChannel channel : channels)
            state.move_level(channel, start[int(channel)]);
        QSignalSpy images(&state, &AmplifierState::image_changed);
        state.on_hot_key(id);
        QCOMPARE(levels(state), expected);
        // A press that moves the faders hands the link one image, never a half-moved group.
        QCOMPARE(images.count(), expected != start ? 1 : 0);
    }

    void hot_keys_wait_for_an_open_amplifier_and_the_programs_own_updates()
    {
        AmplifierState state;
        QSignalSpy images(&state, &AmplifierState::image_changed);
        state.on_hot_key(AmplifierState::HOTKEY_VOLUME_UP);
        {
            connect_state(state, 2, {});
            const AmplifierState::Updating guard(state);
            state.on_hot_key(AmplifierState::HOTKEY_VOLUME_UP);
            state.move_level(LevelChannel::Volume, -20); // a control set by the program
        }
        QCOMPARE(levels(state), (QList<int>{0, 0, 0, 0, 0, 0}));
        QCOMPARE(images.count(), 1); // the read image only
        state.set_link_state(LinkState::closed);
        state.on_hot_key(AmplifierState::HOTKEY_VOLUME_UP);
        QCOMPARE(images.count(), 1);
    }

    // What a read cannot show stays as read: the primary buttons keep showing what they
    // showed for an input code without a button, and a channel read as muted keeps its muted
    // code when only its mute is cleared, until its level moves.
    void what_a_read_cannot_show_stays()
    {
        AmplifierState state;
        connect_state(state, 2, {{value_of(REG_PRI_SOURCE), 0x01}});
        connect_state(state, 2, {{value_of(REG_PRI_SOURCE), 0x05}, {value_of(REG_VOLUME), 0x70}});
        QCOMPARE(state.controls().pri_input, input_code::input_3);
        state.mute_level(LevelChannel::Volume, false);
        QCOMPARE(state.image().registers[REG_VOLUME].value, 0x70);
        state.move_level(LevelChannel::Volume, -20);
        QCOMPARE(state.image().registers[REG_VOLUME].value, 0x24);
    }

    void the_connection_display()
    {
        AmplifierState state;
        const auto& display = state.display();
        QVERIFY(display.frame_enabled); // as the form starts, until the first cycle
        state.set_link_state(LinkState::closed);
        QVERIFY(!display.frame_enabled && !display.connected_shown);
        connect_state(state, 5, {});
        QVERIFY(display.frame_enabled && display.connected_shown);
        QCOMPARE(display.version, "SOTRA");
        QCOMPARE(display.availability_variant, 5);
        state.set_link_state(LinkState::closed);
        QVERIFY(!display.frame_enabled && !display.connected_shown);
        QCOMPARE(display.version, nullptr);
        QCOMPARE(state.device_variant(), 0);
        QCOMPARE(display.availability_variant, 5); // the controls stay as the variant left them
    }
    // Values the settings table does not take, as text, as D-Bus values and as JSON.
    void values_that_are_not_refused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value"); // a string is a text, else a D-Bus value
        QTest::addColumn<QJsonValue>("json");
        const auto row = [](const char* name, const QVariant& value, const QJsonValue& json) {
            QTest::addRow("%s %s", name, qPrintable(value.toString()))
                << QString::fromLatin1(name) << value << json;
        };
        row("volume", QStringLiteral("16"), QJsonValue(16));
        row("volume", QStringLiteral("-3.5"), QJsonValue(-3.5));
        row("volume", QStringLiteral("loud"), QJsonValue(QStringLiteral("-3")));
        row("volume", QStringLiteral(""), QJsonValue(true));
        row("volume", 2.0, QJsonValue());
        row("bass_gain", QStringLiteral("16 dB"), QJsonValue(99999999999.0));
        row("hard_mute", QStringLiteral("maybe"), QJsonValue(1));
        row("hard_mute", 1, QJsonValue(QStringLiteral("yes")));
        row("input", QStringLiteral("5"), QJsonValue(0));
        row("input", QStringLiteral("mute"), QJsonValue(1.5));
        row("sub_cut_off", QStringLiteral("100"), QJsonValue(false));
        row("bass_qf", QStringLiteral("1.2"), QJsonValue(1.2));
        row("treble_cf", QStringLiteral("12.5 kHz"), QJsonValue(12500.5));
    }
    void values_that_are_not_refused()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(QJsonValue, json);
        const AmpSetting* setting = find_amp_setting(name);
        QVERIFY(setting);
        if (value.metaType().id() == QMetaType::QString) {
            QCOMPARE(setting->parse(value.toString()), std::nullopt);
            std::vector<SettingChange> changes;
            QCOMPARE(parse_assignments({name + u'=' + value.toString()}, &changes).reason,
                     SettingRefusal::Reason::bad_value);
        }
        QCOMPARE(setting->from_dbus(value), std::nullopt);
        QCOMPARE(setting->from_json(json), std::nullopt);
    }

    // Random settings on every variant, saved, changed, then the preset applied: the image is
    // the saved one again, handed over in one piece. A part of the preset changes only its
    // own settings.
    void presets_give_back_what_they_saved()
    {
        QRandomGenerator random(22);
        for (int round = 0; round < 40; ++round) {
            const int variant = variants[round % std::size(variants)];
            AmplifierState state;
            RegisterImage::Bytes image;
            for (auto& byte : image)
                byte = std::uint8_t(random.bounded(256));
            state.set_link_state(LinkState::open);
            state.apply_image_to_controls(1, variant, image);
            state.set_link_state(LinkState::synchronising);
            // A read image may hold bits the program's compose rules set otherwise (the flags
            // byte's, the soft mute's, a register's fixed bits): every setting is moved and
            // moved back first.
            for (const AmpSetting& setting : amp_settings()) {
                const int shown = setting.read(state.controls());
                if (!setting.available_on(variant) ||
                    (setting.kind == AmpSetting::Kind::choice && !setting.item_with_value(shown)))
                    continue;
                setting.write(state, setting.kind == AmpSetting::Kind::choice
                                         ? random_value(setting, variant, random)
                                         : setting.max - shown + setting.min);
                setting.write(state, shown);
            }
            randomise(state, random);
            const RegisterImage::Bytes saved = state.image().bytes();
            QString refusal;
            const std::optional<Preset> preset =
                Preset::read(Preset::of(state, QStringLiteral("Day")).json(), {}, &refusal);
            QVERIFY2(preset, qPrintable(refusal));
            QVERIFY(preset->matches(state));
            QCOMPARE(preset->variant, variant);

            randomise(state, random);
            QSignalSpy images(&state, &AmplifierState::image_changed);
            const Preset::Split split = preset->split_for(variant);
            QVERIFY(split.skipped.isEmpty());
            QVERIFY(!apply_changes(state, split.applicable));
            QCOMPARE(state.image().bytes(), saved);
            QVERIFY(images.count() <= 1);

            randomise(state, random);
            Preset part = *preset;
            part.values.erase(
                std::remove_if(part.values.begin(), part.values.end(),
                               [&](const SettingChange&) { return random.bounded(2); }),
                part.values.end());
            std::vector<int> before;
            for (const AmpSetting& setting : amp_settings())
                before.push_back(setting.read(state.controls()));
            QVERIFY(!apply_changes(state, part.split_for(variant).applicable));
            for (std::size_t i = 0; i < amp_settings().size(); ++i) {
                const AmpSetting& setting = amp_settings()[i];
                const auto in_part = std::find_if(
                    part.values.begin(), part.values.end(),
                    [&](const SettingChange& change) { return change.setting == &setting; });
                QCOMPARE(setting.read(state.controls()),
                         in_part == part.values.end() ? before[i] : in_part->value);
            }
        }
    }

    // Each fault refuses the whole file, naming it, the key and the reason; nothing is listed
    // from it, and a store that cannot write touches no file.
    void preset_files_refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("says");
        const auto row = [](const char* name, const QByteArray& bytes, const char* says) {
            QTest::newRow(name) << bytes << QString::fromUtf8(says);
        };
        const QByteArray good = R"("format": 1, "settings": {"volume": -30})";
        row("not JSON", "{" + good, "not JSON");
        row("not an object", "[1]", "not a JSON object");
        row("too large", "{" + good + "}" + QByteArray(64 * 1024, ' '), "larger than 64 KiB");
        row("newer format", R"({"format": 2, "settings": {"volume": -30}})",
            "format: 2 is newer than this program reads (1)");
        row("no format", R"({"settings": {"volume": -30}})", "format: takes 1, not nothing");
        row("unknown key", "{" + good + R"(, "colour": "red"})", "colour: unknown key");
        row("unknown setting", R"({"format": 1, "settings": {"loudness": 3}})",
            "loudness: no such setting");
        row("out of range", R"({"format": 1, "settings": {"bass_gain": 16}})",
            "bass_gain: takes -15..15 dB, not 16");
        row("not a level", R"({"format": 1, "settings": {"volume": -30.5}})",
            "volume: takes -79..15 dB, not -30.5");
        row("not a flag", R"({"format": 1, "settings": {"fl_mute": "no"}})",
            R"(fl_mute: takes yes or no, not "no")");
        row("not an item", R"({"format": 1, "settings": {"bass_cf": 90}})",
            "bass_cf: takes 60, 80, 100, 200 Hz, not 90");
        row("unknown variant", "{" + good + R"(, "variant": "BOOMER"})",
            R"(variant: no such variant "BOOMER")");
        row("no settings", R"({"format": 1, "settings": {}})", "settings: holds none");
        row("a name on two lines", "{" + good + R"(, "name": "a
b"})",
            "name: takes a text");
    }
    void preset_files_refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, says);
        QString refusal;
        QVERIFY(!Preset::read(bytes, QStringLiteral("night.json"), &refusal));
        QCOMPARE(refusal.left(says.size() + 12), QStringLiteral("night.json: ") + says);

        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("night.json")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        file.close();
        PresetStore store(dir.path());
        QVERIFY(store.list().empty());
        SettingRefusal found;
        QVERIFY(!store.find(QStringLiteral("night"), &found));
        QCOMPARE(found.reason, SettingRefusal::Reason::bad_file);
        QVERIFY2(found.message.contains(says), qPrintable(found.message));
    }

    void preset_store_keeps_names_and_files()
    {
        QTemporaryDir dir;
        PresetStore store(dir.filePath(QStringLiteral("presets")));
        Preset preset;
        preset.values.push_back({find_amp_setting(QStringLiteral("volume")), -30});
        for (const char* name : {"Ночь / дождь", "Ночь _ дождь", ".hidden", "Day"}) {
            preset.name = QString::fromUtf8(name);
            QVERIFY(!store.save(preset));
        }
        QVERIFY(!store.save(preset)); // the same name replaces
        QStringList names, files;
        for (const PresetStore::Entry& entry : store.list()) {
            names.append(entry.preset.name);
            files.append(QFileInfo(entry.path).fileName());
        }
        QCOMPARE(names,
                 (QStringList{QStringLiteral(".hidden"), QStringLiteral("Day"),
                              QStringLiteral("Ночь / дождь"), QStringLiteral("Ночь _ дождь")}));
        QCOMPARE(files, (QStringList{QStringLiteral("hidden.json"), QStringLiteral("Day.json"),
                                     QStringLiteral("Ночь _ дождь.json"),
                                     QStringLiteral("Ночь _ дождь (2).json")}));
        QVERIFY(!store.rename(QStringLiteral("Day"), QStringLiteral("Morning")));
        QCOMPARE(store.rename(QStringLiteral("Morning"), QStringLiteral(".hidden")).reason,
                 SettingRefusal::Reason::cannot_write);
        QVERIFY(!store.remove(QStringLiteral(".hidden")));
        QCOMPARE(store.remove(QStringLiteral("Day")).reason, SettingRefusal::Reason::not_found);
        QCOMPARE(QDir(store.folder()).entryList(QDir::Files).size(), 3);
    }
};

QTEST_GUILESS_MAIN(TestAmplifierState)
#include "test_amplifier_state.moc"
