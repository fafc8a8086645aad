// The amplifier's state apart from any window: the hot keys' rules, what a read image leaves
// in the controls, and the connection display.
#include "amplifier_state.h"

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
    state.apply_read_image(1, variant, image);
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
        const auto before = state.image().bytes();
        state.on_hot_key(id);
        QCOMPARE(levels(state), expected);
        QCOMPARE(state.image().bytes() != before, expected != start);
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

    // A channel read as muted keeps its muted code: clearing the mute alone sends it again,
    // and only moving the level brings a level back. Bit 7 of a speaker stays as read until
    // the channel is changed.
    void a_muted_read_stays_muted_until_its_level_moves()
    {
        AmplifierState state;
        connect_state(state, 2, {{value_of(REG_VOLUME), 0x70}, {value_of(REG_RL), 0x10}});
        QCOMPARE(state.controls().level_db[0], -79);
        QVERIFY(state.controls().level_muted[0]);
        state.mute_level(LevelChannel::Volume, false);
        QCOMPARE(state.image().registers[REG_VOLUME].value, 0x70);
        QCOMPARE(state.image().registers[REG_RL].value, 0x10);
        state.move_level(LevelChannel::Volume, -20);
        state.move_level(LevelChannel::RL, -1);
        QCOMPARE(state.image().registers[REG_VOLUME].value, 0x24);
        QCOMPARE(state.image().registers[REG_RL].value, 0x80 | 17);
    }

    // Input codes without a button stay in the image until a button is clicked; the
    // primary buttons keep showing what they showed.
    void odd_input_codes_stay_until_a_button_is_clicked()
    {
        AmplifierState state;
        connect_state(state, 2, {{value_of(REG_PRI_SOURCE), 0x01}});
        connect_state(state, 2,
                      {{value_of(REG_PRI_SOURCE), 0x05}, {value_of(REG_SEC_SOURCE), 0x05}});
        QCOMPARE(state.controls().pri_input, input_code::input_3);
        QCOMPARE(state.controls().sec_input, input_code::muted);
        QCOMPARE(state.image().registers[REG_PRI_SOURCE].value, 0x05);
        QCOMPARE(state.image().registers[REG_SEC_SOURCE].value, 0x05);
        state.choose_pri_input(input_code::input_3);
        state.choose_sec_input(input_code::muted);
        QCOMPARE(state.image().registers[REG_PRI_SOURCE].value, 0x01);
        QCOMPARE(state.image().registers[REG_SEC_SOURCE].value, 0x07);
    }

    void the_soft_mute_register_data()
    {
        QTest::addColumn<bool>("checked_before");
        QTest::addColumn<int>("read");
        QTest::addColumn<int>("sent");
        QTest::newRow("box changes to checked") << false << 0x02 << 0xFE;
        QTest::newRow("box changes to unchecked") << true << 0x03 << 0xFF;
        QTest::newRow("box stays checked") << true << 0x02 << 0x02;
        QTest::newRow("box stays unchecked") << false << 0x13 << 0x13;
    }
    void the_soft_mute_register()
    {
        QFETCH(bool, checked_before);
        QFETCH(int, read);
        QFETCH(int, sent);
        AmplifierState state;
        connect_state(state, 2, {{value_of(REG_SOFT_MUTE), checked_before ? 0xFE : 0xFF}});
        QCOMPARE(state.controls().soft_mute, checked_before);
        connect_state(state, 2, {{value_of(REG_SOFT_MUTE), read}});
        QCOMPARE(int(state.image().registers[REG_SOFT_MUTE].value), sent);
        const AmplifierState::Updating guard(state);
        state.set_soft_mute(!state.controls().soft_mute); // the one handler the guard lets act
        QCOMPARE(int(state.image().registers[REG_SOFT_MUTE].value), 0xFE | ((read & 1) ^ 1));
    }

    void the_connection_display()
    {
        AmplifierState state;
        const auto& display = state.display();
        QVERIFY(display.frame_enabled); // as the form starts, until the first cycle
        state.set_link_state(LinkState::closed);
        QVERIFY(!display.frame_enabled);
        QVERIFY(!display.lamp_green);
        connect_state(state, 5, {});
        QVERIFY(display.frame_enabled && display.lamp_green);
        QCOMPARE(display.version, "SOTRA");
        QCOMPARE(display.availability_variant, 5);
        state.set_link_state(LinkState::closed);
        QVERIFY(!display.frame_enabled && !display.lamp_green);
        QCOMPARE(display.version, nullptr);
        QCOMPARE(state.device_variant(), 0);
        QCOMPARE(display.availability_variant, 5); // the controls stay as the variant left them
    }
};

QTEST_GUILESS_MAIN(TestAmplifierState)
#include "test_amplifier_state.moc"
