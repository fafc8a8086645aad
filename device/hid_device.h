#pragma once

#include "hid_backend.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

// The link to the amplifier: finds it by its USB identifiers, holds it, and carries out one
// command transaction at a time (an output report, then an input report echoing the command).
class HidDevice
{
public:
    static constexpr std::size_t report_size = 65;
    static constexpr std::size_t reply_size = 64;
    static constexpr std::size_t payload_size = 63;
    static constexpr int reply_timeout_ms = 3000;
    // Reports that are not the reply (unsolicited, or late from an earlier transaction) that a
    // transaction passes over while it waits for its echo.
    static constexpr int max_stray_reports = 16;
    // After an exchange whose echo did not come by the deadline, the next one first waits this
    // long for that echo before it writes, so that a late reply is passed over as what it is
    // and never taken for the next exchange's answer. (A reply later than the deadline and
    // this wait together cannot be told from the next answer; the wait is short because a
    // silent amplifier pays it on every exchange.)
    static constexpr int late_reply_wait_ms = 1000;

    // Why no amplifier is held after open_device().
    struct OpenFailure
    {
        bool found = false; // an amplifier was listed, but could not be opened
        int error = 0;      // errno of the failed open
        std::string path;
    };

    explicit HidDevice(std::unique_ptr<HidBackend> platform);

    std::array<std::uint8_t, report_size> out_report{};
    std::array<std::uint8_t, report_size> in_report{};

    void init_ids(int vendor, int product);
    // Held: a matching amplifier was opened and has not gone since.
    bool is_open() const { return open; }
    // The held amplifier has not identified itself yet on this connection.
    bool need_identify() const { return identify_pending; }
    void identified() { identify_pending = false; }
    // True when a matching device is held on return. A held device costs one presence probe;
    // otherwise the interfaces with the accepted identifiers are listed and the first that
    // opens is taken.
    bool open_device();
    const OpenFailure& open_failure() const { return failure; }
    bool close_device();
    // Sends command with the 63-byte payload (or the previous payload when none is given) and
    // reads until the reply echoing it arrives; true when it does within the time limit. A
    // failed transaction changes nothing, unless it failed because the device is gone: that
    // closes it.
    bool exchange(int command, std::uint8_t* reply, const std::uint8_t* payload);
    // From any thread: every exchange from now on fails without touching the amplifier.
    void halt() { halted = true; }
    // True from the moment the echo of an exchange that had timed out came in late, until an
    // exchange is answered in time again: the amplifier answers, but after the deadline.
    bool answers_late() const { return late; }

private:
    bool open_first(std::uint16_t vendor, std::uint16_t product);
    bool read_reply(std::uint8_t code);
    void await_overdue_reply();
    void drain_stale_reports();
    bool fail_transaction();

    std::unique_ptr<HidBackend> platform;
    int vendor_id = 0;
    int product_id = 0;
    bool open = false;
    bool identify_pending = true;
    bool holding = false;
    OpenFailure failure;
    std::atomic<bool> halted{false};
    int overdue_code = -1; // the command whose echo did not come in time, or -1
    bool late = false;
};
