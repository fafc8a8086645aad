#include "fake_amplifier.h"
#include "sync_session.h"

#include <QtTest>

using Step = SyncSession::Step;

namespace {

struct Rig
{
    FakeAmplifier* amp = new FakeAmplifier;
    HidDevice device{std::unique_ptr<HidBackend>(amp)};
    SyncSession session{device};
    std::array<std::uint8_t, 63> payload{};

    Rig() { device.init_ids(0x8D88, 0x0066, 0, 0); }

    // One cycle as the window runs it: prepare, then write the image when allowed.
    Step cycle()
    {
        const Step step = session.prepare();
        if (step == Step::ImageRead)
            std::copy(session.read_payload(), session.read_payload() + 63, payload.begin());
        if (step == Step::ImageRead || step == Step::Ready)
            session.write(payload.data());
        return step;
    }
};

} // namespace

class TestSyncSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void a_connection_identifies_reads_then_writes()
    {
        Rig rig;
        QCOMPARE(rig.cycle(), Step::NotOpen);
        QVERIFY(rig.amp->received.empty());
        for (std::size_t i = 0; i < rig.amp->stored_image.size(); ++i)
            rig.amp->stored_image[i] = std::uint8_t(0xC0 + i);
        const auto stored = rig.amp->stored_image;
        rig.amp->variant = 3;
        QVERIFY(rig.device.open_device());
        QCOMPARE(rig.cycle(), Step::ImageRead);
        QCOMPARE(rig.session.variant(), 3);
        QCOMPARE(rig.cycle(), Step::Ready);
        QCOMPARE(rig.cycle(), Step::Ready);
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56, 56, 56}));
        // What was read is what goes back.
        QVERIFY(std::equal(stored.begin(), stored.end(), rig.amp->received[2].begin() + 2));
    }

    void unsupported_variants_are_never_read_or_written()
    {
        for (int variant : {0, 1, 7, 255}) {
            Rig rig;
            rig.amp->variant = variant;
            QVERIFY(rig.device.open_device());
            QCOMPARE(rig.cycle(), Step::UnsupportedVariant);
            QCOMPARE(rig.session.variant(), variant);
            QCOMPARE(rig.amp->commands(), std::vector<int>{54});
        }
        for (int variant = 2; variant <= 6; ++variant) {
            Rig rig;
            rig.amp->variant = variant;
            QVERIFY(rig.device.open_device());
            QCOMPARE(rig.cycle(), Step::ImageRead);
        }
    }

    void identification_failures()
    {
        Rig silent;
        silent.amp->silent = {54};
        QVERIFY(silent.device.open_device());
        QCOMPARE(silent.cycle(), Step::IdentifyFailed);

        Rig wrong;
        wrong.amp->wrong_echo = {54};
        QVERIFY(wrong.device.open_device());
        QCOMPARE(wrong.cycle(), Step::IdentifyFailed);

        Rig gone;
        QVERIFY(gone.device.open_device());
        gone.amp->plugged = false;
        QCOMPARE(gone.cycle(), Step::Lost);
        QVERIFY(!gone.device.is_open);
    }

    void nothing_is_written_until_an_image_was_read()
    {
        Rig rig;
        rig.amp->silent = {55};
        QVERIFY(rig.device.open_device());
        QCOMPARE(rig.cycle(), Step::ReadFailed);
        QCOMPARE(rig.cycle(), Step::ReadFailed);
        QVERIFY(!rig.session.write(rig.payload.data()));
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 55}));
        rig.amp->silent.clear();
        QCOMPARE(rig.cycle(), Step::ImageRead);
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 55, 55, 56}));
    }

    void every_reconnection_starts_over()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        QCOMPARE(rig.cycle(), Step::ImageRead);
        rig.amp->plugged = false;
        QVERIFY(!rig.device.open_device());
        QCOMPARE(rig.cycle(), Step::NotOpen);
        rig.amp->plugged = true;
        rig.amp->received.clear();
        QVERIFY(rig.device.open_device());
        QCOMPARE(rig.cycle(), Step::ImageRead);
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));

        // Closed while synchronising (as at suspend): the next connection reads again.
        rig.device.close_device();
        QVERIFY(!rig.session.write(rig.payload.data()));
        QVERIFY(rig.device.open_device());
        rig.amp->silent = {55};
        QCOMPARE(rig.cycle(), Step::ReadFailed);
        QVERIFY(!rig.session.write(rig.payload.data()));
    }
};

QTEST_APPLESS_MAIN(TestSyncSession)
#include "test_sync_session.moc"
