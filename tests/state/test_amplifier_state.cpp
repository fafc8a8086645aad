// The amplifier's state apart from any window: the hot keys' rules, what a read image leaves
// in the controls, the connection display, and the values the settings table refuses.
#include "amp_settings.h"
#include "amplifier_state.h"

#include <QJsonValue>
#include <QSignalSpy>
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
};

QTEST_GUILESS_MAIN(TestAmplifierState)
#include "test_amplifier_state.moc"
