// The link's two timer steps, stepped by hand: what the amplifier receives and what the link
// reports, with the window's side played by the test.
#include "amplifier_link.h"
#include "fake_amplifier.h"

#include <QSignalSpy>
#include <QtTest>

namespace {

struct Rig
{
    FakeAmplifier* amp = new FakeAmplifier;
    AmplifierLink link{std::unique_ptr<HidBackend>(amp)};
    QSignalSpy reads{&link, &AmplifierLink::image_read};
    QSignalSpy states{&link, &AmplifierLink::state_changed};
    QSignalSpy unusable{&link, &AmplifierLink::unusable};

    QList<LinkState> reported() const
    {
        QList<LinkState> list;
        for (const auto& arguments : states)
            list.append(arguments.at(0).value<LinkState>());
        return list;
    }
    quint64 read_generation() const { return reads.constLast().at(0).toULongLong(); }
};

RegisterImage::Bytes filled(std::uint8_t byte)
{
    RegisterImage::Bytes image;
    image.fill(byte);
    return image;
}

} // namespace

class TestLinkSteps : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // The read image is written only once the window has handed it back, and an image from
    // an earlier connection never is.
    void writes_follow_the_read_of_their_connection()
    {
        Rig rig;
        rig.amp->variant = 4;
        rig.amp->stored_image = filled(0x11);
        rig.link.form_update();
        rig.link.check_hid_device();
        rig.link.set_image(0, filled(0x22)); // from before any read
        rig.link.form_update();
        rig.link.form_update();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55}));
        QCOMPARE(rig.reads.count(), 1);
        QCOMPARE(rig.reads.constLast().at(1).toInt(), 4);
        QCOMPARE(rig.reads.constLast().at(2).value<RegisterImage::Bytes>(), filled(0x11));

        rig.link.set_image(rig.read_generation(), filled(0x33));
        rig.link.form_update();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));
        QCOMPARE(rig.amp->stored_image, filled(0x33));
        QCOMPARE(rig.reported(),
                 (QList<LinkState>{LinkState::closed, LinkState::open, LinkState::synchronising}));

        // Unplugged and back: the old connection's image waits for the new read.
        const quint64 old_generation = rig.read_generation();
        rig.amp->plugged = false;
        rig.link.check_hid_device();
        rig.link.form_update();
        rig.amp->plugged = true;
        rig.link.check_hid_device();
        rig.link.set_image(old_generation, filled(0x44));
        rig.link.form_update();
        rig.link.form_update();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56, 54, 55}));
        QVERIFY(rig.read_generation() > old_generation);
        QCOMPARE(rig.reported().mid(3), (QList<LinkState>{LinkState::closed, LinkState::open}));
    }

    void unusable_amplifiers_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<int>("exit_code");
        QTest::newRow("silent") << 2 << true << 1;
        QTest::newRow("variant 0") << 0 << false << 2;
        QTest::newRow("variant 7") << 7 << false << 2;
    }
    void unusable_amplifiers()
    {
        QFETCH(int, variant);
        QFETCH(bool, silent);
        QFETCH(int, exit_code);
        Rig rig;
        rig.amp->variant = variant;
        if (silent)
            rig.amp->silent = {54};
        rig.link.check_hid_device();
        rig.link.form_update();
        QCOMPARE(rig.unusable.count(), 1);
        QCOMPARE(rig.unusable.constFirst().at(0).toInt(), exit_code);
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54}));
    }

    // Once the end has begun, nothing reaches the amplifier and nothing more is reported.
    void nothing_after_a_halt()
    {
        Rig rig;
        rig.link.check_hid_device();
        rig.link.form_update();
        rig.link.set_image(rig.read_generation(), filled(0));
        rig.link.halt();
        const int reported = rig.states.count();
        rig.link.form_update();
        rig.link.check_hid_device();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55}));
        QCOMPARE(rig.states.count(), reported);
    }
};

QTEST_GUILESS_MAIN(TestLinkSteps)
#include "test_link_steps.moc"
