#include "fake_amplifier.h"
#include "hid_device.h"

#include <QtTest>

#include <numeric>

namespace {

struct Rig
{
    FakeAmplifier* amp = new FakeAmplifier;
    HidDevice device{std::unique_ptr<HidBackend>(amp)};

    Rig() { device.init_ids(0x8D88, 0x0066); }
};

} // namespace

class TestHidDevice : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Only the amplifier's identifiers are asked for, and nothing is opened just to look at it.
    void only_the_amplifier_is_opened()
    {
        Rig rig;
        rig.amp->interfaces = {{"/dev/hidraw3", 0x1234, 0x10}, {"/dev/hidraw4", 0, 0}};
        QVERIFY(!rig.device.open_device());
        QCOMPARE(rig.amp->opens, 0);
    }

    // A held amplifier costs a presence probe, not an enumeration; one that is gone (probe or
    // failed exchange) is closed, and the next connection is identified anew.
    void holding_and_losing_the_amplifier()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        rig.device.identified();
        for (int i = 0; i < 10; ++i)
            QVERIFY(rig.device.open_device());
        QCOMPARE(rig.amp->enumerations, 1);
        QVERIFY(!rig.device.need_identify());
        rig.amp->plugged = false;
        QVERIFY(!rig.device.open_device());
        QVERIFY(!rig.device.is_open() && rig.device.need_identify());
        QCOMPARE(rig.amp->enumerations, 2);
        rig.amp->plugged = true;
        QVERIFY(rig.device.open_device());
        QVERIFY(rig.device.need_identify());

        rig.device.identified();
        rig.amp->plugged = false;
        QVERIFY(!rig.device.exchange(56, nullptr, nullptr));
        QVERIFY(!rig.device.is_open() && rig.device.need_identify());
        const auto sent = rig.amp->received.size();
        rig.amp->plugged = true;
        QVERIFY(!rig.device.exchange(56, nullptr, nullptr)); // closed: nothing is sent
        QVERIFY(rig.device.open_device() && rig.device.close_device());
        QVERIFY(!rig.device.exchange(54, nullptr, nullptr));
        QCOMPARE(rig.amp->received.size(), sent);
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
        std::array<std::uint8_t, 63> payload{};
        std::iota(payload.begin(), payload.end(), std::uint8_t(10));
        QVERIFY(rig.device.exchange(56, nullptr, payload.data()));
        QVERIFY(rig.device.exchange(0x155, nullptr, nullptr)); // only the low byte goes out
        QCOMPARE(rig.amp->received.size(), std::size_t(2));
        for (const auto& report : rig.amp->received) {
            QCOMPARE(int(report[0]), 0);
            QVERIFY(std::equal(payload.begin(), payload.end(), report.begin() + 2));
        }
        QCOMPARE(int(rig.amp->received[1][1]), 0x55);
    }

    // A reply counts with the command's echo and its full length only; a wrong echo leaves
    // the caller's buffer alone, and unasked reports are passed over up to a bound. None of it
    // is a disconnect.
    void reply_rules()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        rig.device.identified();
        std::array<std::uint8_t, 64> reply;
        reply.fill(0xEE);
        rig.amp->variant = 5;
        QVERIFY(rig.device.exchange(54, reply.data(), nullptr));
        QCOMPARE(int(reply[0]), 54);
        QCOMPARE(int(reply[1]), 5);
        QCOMPARE(int(rig.device.in_report[0]), 0);

        rig.amp->wrong_echo = {54};
        reply.fill(0xEE);
        QVERIFY(!rig.device.exchange(54, reply.data(), nullptr));
        QVERIFY(std::all_of(reply.begin(), reply.end(), [](auto b) { return b == 0xEE; }));
        QVERIFY(!rig.device.exchange(54, nullptr, nullptr));
        rig.amp->wrong_echo.clear();
        rig.amp->short_replies = true;
        QVERIFY(!rig.device.exchange(55, reply.data(), nullptr));
        rig.amp->short_replies = false;

        rig.amp->stray_reports = HidDevice::max_stray_reports;
        QVERIFY(rig.device.exchange(56, nullptr, nullptr));
        rig.amp->stray_reports = HidDevice::max_stray_reports + 1;
        QVERIFY(!rig.device.exchange(56, nullptr, nullptr));
        rig.amp->stray_reports = 0;
        QVERIFY(rig.device.exchange(56, nullptr, nullptr));
        QVERIFY(rig.device.is_open() && !rig.device.need_identify());
    }

    // Replies that come after the deadline (half a second after it, by the fake's clock) are
    // each passed over as the late answer they are, never taken for the next exchange's.
    void late_replies_answer_no_later_exchange()
    {
        Rig rig;
        QVERIFY(rig.device.open_device());
        rig.device.identified();
        rig.amp->reply_delay_ms = HidDevice::reply_timeout_ms + 500;
        for (int i = 0; i < 4; ++i)
            QVERIFY(!rig.device.exchange(56, nullptr, nullptr));
        QVERIFY(rig.device.answers_late());
        rig.amp->reply_delay_ms = 0;
        QVERIFY(rig.device.exchange(56, nullptr, nullptr));
        QVERIFY(!rig.device.answers_late());
        QVERIFY(rig.amp->pending.empty() && rig.amp->delayed.empty() && rig.device.is_open());
    }
};

QTEST_APPLESS_MAIN(TestHidDevice)
#include "test_hid_device.moc"
