#include "fake_amplifier.h"
#include "hid_device.h"

#include <QtTest>

namespace {

struct Rig
{
    FakeAmplifier* amp;
    HidDevice device;

    Rig() : Rig(new FakeAmplifier) {}
    explicit Rig(FakeAmplifier* fake) : amp(fake), device(std::unique_ptr<HidBackend>(fake))
    {
        device.init_ids(0x8D88, 0x0066, 0, 0);
    }
};

std::array<std::uint8_t, 63> numbered_payload(std::uint8_t first)
{
    std::array<std::uint8_t, 63> payload{};
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<std::uint8_t>(first + i);
    return payload;
}

} // namespace

class TestHidDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void matching_data()
    {
        QTest::addColumn<int>("vendor");
        QTest::addColumn<int>("product");
        QTest::addColumn<int>("alt_vendor");
        QTest::addColumn<int>("alt_product");
        QTest::addColumn<int>("device_vendor");
        QTest::addColumn<int>("device_product");
        QTest::addColumn<bool>("taken");
        QTest::newRow("the amplifier") << 0x8D88 << 0x66 << 0 << 0 << 0x8D88 << 0x66 << true;
        QTest::newRow("same maker, other product")
            << 0x8D88 << 0x66 << 0 << 0 << 0x8D88 << 0x67 << false;
        QTest::newRow("disabled pair matches no 0:0 device")
            << 0x8D88 << 0x66 << 0 << 0 << 0 << 0 << false;
        QTest::newRow("second pair") << 0x8D88 << 0x66 << 0x1234 << 0x10 << 0x1234 << 0x10 << true;
        QTest::newRow("second pair, other product")
            << 0x8D88 << 0x66 << 0x1234 << 0x10 << 0x1234 << 0x11 << false;
        QTest::newRow("second pair without a product is disabled")
            << 0x8D88 << 0x66 << 0x1234 << 0 << 0x1234 << 0x99 << false;
        QTest::newRow("negative second vendor disables")
            << 0x8D88 << 0x66 << -1 << 0 << 0xFFFF << 0 << false;
    }
    void matching()
    {
        QFETCH(int, vendor);
        QFETCH(int, product);
        QFETCH(int, alt_vendor);
        QFETCH(int, alt_product);
        QFETCH(int, device_vendor);
        QFETCH(int, device_product);
        QFETCH(bool, taken);
        Rig rig;
        rig.device.init_ids(vendor, product, alt_vendor, alt_product);
        rig.amp->interfaces = {
            {"/dev/hidraw3", std::uint16_t(device_vendor), std::uint16_t(device_product)}};
        QCOMPARE(rig.device.open_device(), taken);
        QCOMPARE(rig.device.is_open, taken);
        QVERIFY(rig.device.need_identify);
        QCOMPARE(rig.amp->opens, taken ? 1 : 0); // nothing is opened just to look at it
    }

    void why_nothing_is_held_data()
    {
        QTest::addColumn<bool>("plugged");
        QTest::addColumn<int>("open_errno");
        QTest::addColumn<bool>("found");
        QTest::newRow("no amplifier") << false << 0 << false;
        QTest::newRow("not allowed") << true << EACCES << true;
        QTest::newRow("busy") << true << EBUSY << true;
    }
    void why_nothing_is_held()
    {
        QFETCH(bool, plugged);
        QFETCH(int, open_errno);
        QFETCH(bool, found);
        Rig rig;
        rig.amp->plugged = plugged;
        rig.amp->open_errno = open_errno;
        QVERIFY(!rig.device.open_device());
        QCOMPARE(rig.device.open_failure().found, found);
        QCOMPARE(rig.device.open_failure().error, found ? open_errno : 0);
        rig.amp->plugged = true;
        rig.amp->open_errno = 0;
        QVERIFY(rig.device.open_device());
        QVERIFY(!rig.device.open_failure().found);
    }

    void a_held_device_costs_a_probe_not_an_enumeration()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        rig.device.need_identify = false;
        for (int i = 0; i < 10; ++i)
            QVERIFY(rig.device.open_device());
        QCOMPARE(rig.amp->enumerations, 1);
        QVERIFY(!rig.device.need_identify);

        rig.amp->plugged = false;
        QVERIFY(!rig.device.open_device());
        QVERIFY(!rig.device.is_open);
        QVERIFY(rig.device.need_identify);
        QCOMPARE(rig.amp->enumerations, 2);

        rig.amp->plugged = true;
        QVERIFY(rig.device.open_device());
        QVERIFY(rig.device.need_identify); // a new connection is identified anew
    }

    // Report ID 0, the command's low byte, the payload; a command without one repeats the
    // last, and zeros before any.
    void framing_and_payload_repetition()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        QVERIFY(rig.device.exchange(54, nullptr, nullptr));
        const auto& first = rig.amp->received.front();
        QVERIFY(std::all_of(first.begin() + 2, first.end(), [](auto b) { return b == 0; }));
        rig.amp->received.clear();
        const auto payload = numbered_payload(10);
        QVERIFY(rig.device.exchange(56, nullptr, payload.data()));
        QVERIFY(rig.device.exchange(0x155, nullptr, nullptr)); // only the low byte goes out
        QCOMPARE(rig.amp->received.size(), std::size_t(2));
        for (const auto& report : rig.amp->received) {
            QCOMPARE(int(report[0]), 0);
            QVERIFY(std::equal(payload.begin(), payload.end(), report.begin() + 2));
        }
        QCOMPARE(int(rig.amp->received[1][1]), 0x55);
    }

    void reply_rules()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        std::array<std::uint8_t, 64> reply;
        reply.fill(0xEE);
        rig.amp->variant = 5;
        QVERIFY(rig.device.exchange(54, reply.data(), nullptr));
        QCOMPARE(int(reply[0]), 54);
        QCOMPARE(int(reply[1]), 5);
        QCOMPARE(int(rig.device.in_report[0]), 0);

        // A wrong echo fails and leaves the caller's buffer alone, with or without a buffer.
        rig.amp->wrong_echo = {54};
        reply.fill(0xEE);
        QVERIFY(!rig.device.exchange(54, reply.data(), nullptr));
        QVERIFY(std::all_of(reply.begin(), reply.end(), [](auto b) { return b == 0xEE; }));
        QVERIFY(!rig.device.exchange(54, nullptr, nullptr));
        QVERIFY(rig.device.is_open); // a bad answer is not a disconnect

        rig.amp->wrong_echo.clear();
        rig.amp->silent = {55};
        QVERIFY(!rig.device.exchange(55, reply.data(), nullptr));
        rig.amp->silent.clear();
        rig.amp->short_replies = true;
        QVERIFY(!rig.device.exchange(55, reply.data(), nullptr));
        QVERIFY(rig.device.is_open);
    }

    // Reports the amplifier sends unasked are passed over while the reply is awaited, up to a
    // bound; a failed write on an amplifier still plugged in is a failed transaction only.
    void strays_and_failed_writes_change_nothing()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        rig.device.need_identify = false;
        rig.amp->stray_reports = HidDevice::max_stray_reports;
        QVERIFY(rig.device.exchange(56, nullptr, nullptr));
        rig.amp->stray_reports = HidDevice::max_stray_reports + 1;
        QVERIFY(!rig.device.exchange(56, nullptr, nullptr));
        rig.amp->stray_reports = 0;
        rig.amp->failing_writes = {56};
        QVERIFY(!rig.device.exchange(56, nullptr, nullptr));
        QVERIFY(rig.device.is_open);
        QVERIFY(!rig.device.need_identify);
        rig.amp->failing_writes.clear();
        QVERIFY(rig.device.exchange(56, nullptr, nullptr));
    }

    void a_late_reply_is_not_taken_for_the_next_one()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        rig.amp->silent = {55};
        QVERIFY(!rig.device.exchange(55, nullptr, nullptr));
        // The reply to the timed-out read turns up before the next command is sent.
        rig.amp->pending.push_back(std::vector<std::uint8_t>(64, 55));
        rig.amp->silent.clear();
        std::array<std::uint8_t, 64> reply{};
        rig.amp->variant = 3;
        QVERIFY(rig.device.exchange(54, reply.data(), nullptr));
        QCOMPARE(int(reply[1]), 3);
        QVERIFY(rig.amp->pending.empty());
    }

    void a_vanished_device_is_a_disconnect()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        rig.device.need_identify = false;
        rig.amp->plugged = false;
        QVERIFY(!rig.device.exchange(56, nullptr, nullptr));
        QVERIFY(!rig.device.is_open);
        QVERIFY(rig.device.need_identify);

        const auto sent = rig.amp->received.size();
        rig.amp->plugged = true;
        QVERIFY(!rig.device.exchange(56, nullptr, nullptr)); // closed: nothing is sent
        QCOMPARE(rig.amp->received.size(), sent);
        QVERIFY(rig.device.close_device());
        QVERIFY(!rig.device.exchange(54, nullptr, nullptr));
        QCOMPARE(rig.amp->received.size(), sent);
    }
};

QTEST_APPLESS_MAIN(TestHidDevice)
#include "test_hid_device.moc"
