// The global hot keys acting on the window: master volume, fader group, subwoofer.
#include "widget_rig.h"

#include <QtTest>

namespace {

const char* const group[] = {"fl_horizontalSlider", "fr_horizontalSlider", "rl_horizontalSlider",
                             "rr_horizontalSlider", "sub_horizontalSlider"};

struct HotKeyRig : WidgetRig
{
    explicit HotKeyRig(int variant, bool rear_from_second, int second_input)
    {
        amp->variant = variant;
        std::uint8_t sec = static_cast<std::uint8_t>(second_input | (rear_from_second ? 0x80 : 0));
        amp->stored_image[2 * REG_SEC_SOURCE + 1] = sec;
        connect_amplifier();
    }
    QList<int> values() const
    {
        QList<int> v{slider("volume_horizontalSlider")->value()};
        for (const char* name : group)
            v.append(slider(name)->value());
        return v;
    }
};

} // namespace

class TestWidgetHotKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void registrations_use_the_settings()
    {
        WidgetRig rig;
        QCOMPARE(rig.hot_keys->registrations.size(), 4);
        const QList<std::tuple<int, quint32, quint32>> expected{
            {101, 3, 0x42}, {102, 3, 0x43}, {103, 3, 0x57}, {104, 3, 0x53}};
        for (int i = 0; i < 4; ++i) {
            const auto& r = rig.hot_keys->registrations[i];
            QCOMPARE(std::make_tuple(r.id, r.modifiers, r.key), expected[i]);
        }
    }

    void steps_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<bool>("rear_from_second");
        QTest::addColumn<int>("second_input");
        QTest::addColumn<int>("id");
        QTest::addColumn<QList<int>>("start"); // volume, FL, FR, RL, RR, SUB
        QTest::addColumn<QList<int>>("expected");
        const QList<int> zero{0, 0, 0, 0, 0, 0};
        QTest::newRow("volume up")
            << 2 << false << 0 << 101 << zero << QList<int>{1, 0, 0, 0, 0, 0};
        QTest::newRow("volume down")
            << 2 << false << 0 << 102 << zero << QList<int>{-1, 0, 0, 0, 0, 0};
        QTest::newRow("volume at the top")
            << 2 << false << 0 << 101 << QList<int>{15, 0, 0, 0, 0, 0}
            << QList<int>{15, 0, 0, 0, 0, 0};
        QTest::newRow("volume at the bottom")
            << 2 << false << 0 << 102 << QList<int>{-79, 0, 0, 0, 0, 0}
            << QList<int>{-79, 0, 0, 0, 0, 0};
        QTest::newRow("sub up") << 3 << false << 0 << 103 << zero << QList<int>{0, 0, 0, 0, 0, 1};
        QTest::newRow("sub down, any variant")
            << 5 << true << 0 << 104 << zero << QList<int>{0, 0, 0, 0, 0, -1};
        QTest::newRow("group up with sub")
            << 2 << true << 0 << 101 << zero << QList<int>{0, 1, 1, 1, 1, 1};
        QTest::newRow("group down with sub, variant 6")
            << 6 << true << 1 << 102 << zero << QList<int>{0, -1, -1, -1, -1, -1};
        QTest::newRow("group without sub")
            << 3 << true << 2 << 101 << zero << QList<int>{0, 1, 1, 1, 1, 0};
        QTest::newRow("group, one fader at top: up does nothing")
            << 2 << true << 0 << 101 << QList<int>{0, 0, 15, 0, 0, 0}
            << QList<int>{0, 0, 15, 0, 0, 0};
        QTest::newRow("group, one fader at top: down moves all")
            << 2 << true << 0 << 102 << QList<int>{0, 0, 15, 0, 0, 0}
            << QList<int>{0, -1, 14, -1, -1, -1};
        QTest::newRow("disabled sub at bottom blocks the group")
            << 3 << true << 0 << 102 << QList<int>{0, 0, 0, 0, 0, -79}
            << QList<int>{0, 0, 0, 0, 0, -79};
        QTest::newRow("second source muted: master volume")
            << 2 << true << 7 << 101 << zero << QList<int>{1, 0, 0, 0, 0, 0};
        QTest::newRow("second source code 5 counts as muted")
            << 2 << true << 5 << 102 << zero << QList<int>{-1, 0, 0, 0, 0, 0};
        QTest::newRow("unknown id") << 2 << false << 0 << 105 << zero << zero;
    }
    void steps()
    {
        QFETCH(int, variant);
        QFETCH(bool, rear_from_second);
        QFETCH(int, second_input);
        QFETCH(int, id);
        QFETCH(QList<int>, start);
        QFETCH(QList<int>, expected);
        HotKeyRig rig(variant, rear_from_second, second_input);
        rig.slider("volume_horizontalSlider")->setValue(start[0]);
        for (int i = 0; i < 5; ++i)
            rig.slider(group[i])->setValue(start[i + 1]);
        rig.hot_keys->press(id);
        QCOMPARE(rig.values(), expected);
    }

    void a_press_reaches_the_amplifier_with_the_next_write()
    {
        HotKeyRig rig(2, false, 0);
        rig.slider("volume_horizontalSlider")->setValue(-20);
        rig.hot_keys->press(102);
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_VOLUME), 16 + 21);
        QCOMPARE(rig.text("volume_lineEdit"), QStringLiteral("-21 db"));
    }

    void nothing_moves_without_an_amplifier()
    {
        WidgetRig rig;
        rig.amp->plugged = false;
        rig.check_device();
        for (int id : {101, 102, 103, 104})
            rig.hot_keys->press(id);
        QCOMPARE(rig.slider("volume_horizontalSlider")->value(), 0);
        QCOMPARE(rig.slider("sub_horizontalSlider")->value(), 0);
    }
};

QTEST_MAIN(TestWidgetHotKeys)
#include "test_widget_hot_keys.moc"
