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
    // The read image is written only once the window has handed it back, an image from an
    // earlier connection never is, and nothing is once the end has begun. (An amplifier that
    // cannot be used ends the program: the process tests see its exit code.)
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

        // Once the end has begun, nothing reaches the amplifier and nothing more is reported.
        rig.link.set_image(rig.read_generation(), filled(0x55));
        rig.link.halt();
        const qsizetype reported = rig.states.count();
        rig.link.form_update();
        rig.link.check_hid_device();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56, 54, 55}));
        QCOMPARE(rig.states.count(), reported);
    }
};

QTEST_GUILESS_MAIN(TestLinkSteps)
#include "test_link_steps.moc"
