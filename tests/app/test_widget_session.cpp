// The window keeping the amplifier in step: connection display, command order, what is never
// written. The failures that end the program and sleep are driven as processes (tests/system).
#include "widget_rig.h"

#include <QtTest>

namespace {

bool shows(const QLabel* label, const char* resource)
{
    return label->pixmap().toImage() == QImage(QString::fromLatin1(resource))
                                            .convertToFormat(label->pixmap().toImage().format());
}

} // namespace

class TestWidgetSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void connection_display_follows_the_amplifier()
    {
        WidgetRig rig;
        rig.amp->plugged = false;
        auto* frame = rig.find<QWidget>("configuration_frame");
        auto* lamp = rig.find<QLabel>("status_label");
        QVERIFY(frame->isEnabled());
        rig.cycle();
        QVERIFY(!frame->isEnabled());
        QVERIFY(shows(lamp, ":/images/red-button.png"));
        QCOMPARE(rig.text("amp_version_lineEdit"), QStringLiteral("N/A"));

        rig.amp->plugged = true;
        rig.amp->variant = 3;
        rig.connect_amplifier();
        QVERIFY(frame->isEnabled());
        QVERIFY(shows(lamp, ":/images/green-button.png"));
        QCOMPARE(rig.text("amp_version_lineEdit"), QStringLiteral("ELMIN"));
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));
        rig.cycle();
        rig.cycle();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56, 56, 56}));

        rig.amp->plugged = false;
        rig.check_device();
        rig.cycle();
        QVERIFY(!frame->isEnabled());
        QVERIFY(shows(lamp, ":/images/red-button.png"));
        QCOMPARE(rig.text("amp_version_lineEdit"), QStringLiteral("N/A"));

        rig.amp->plugged = true;
        rig.amp->received.clear();
        rig.connect_amplifier();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));
        QVERIFY(frame->isEnabled());
    }

    void a_failed_write_changes_no_display()
    {
        WidgetRig rig;
        rig.connect_amplifier();
        rig.amp->silent = {56};
        rig.cycle();
        QVERIFY(rig.find<QWidget>("configuration_frame")->isEnabled());
        QVERIFY(shows(rig.find<QLabel>("status_label"), ":/images/green-button.png"));
    }

    void an_unread_image_is_never_written()
    {
        WidgetRig rig;
        rig.amp->silent = {55};
        rig.connect_amplifier();
        rig.cycle();
        rig.cycle();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 55, 55}));
        QVERIFY(shows(rig.find<QLabel>("status_label"), ":/images/red-button.png"));
        // A control moved meanwhile is still not sent: the amplifier's own image comes first.
        rig.slider("volume_horizontalSlider")->setValue(-5);
        rig.amp->silent.clear();
        rig.amp->stored_image[7] = 0x30;
        rig.cycle();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 55, 55, 55, 56}));
        QCOMPARE(rig.sent_value(REG_VOLUME), 0x30);
        QCOMPARE(rig.slider("volume_horizontalSlider")->value(), -32);
    }

    void a_vanishing_amplifier_is_a_disconnect_not_an_error()
    {
        WidgetRig rig;
        rig.check_device();
        rig.amp->plugged = false;
        rig.cycle(); // would show a box and block if it were taken for a silent amplifier
        QVERIFY(rig.amp->received.empty());
        QVERIFY(!rig.find<QWidget>("configuration_frame")->isEnabled());
        rig.amp->plugged = true;
        rig.connect_amplifier();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));
    }
};

QTEST_MAIN(TestWidgetSession)
#include "test_widget_session.moc"
