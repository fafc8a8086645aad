#include "hid_device.h"

#include <algorithm>
#include <chrono>

namespace {
// Reports left over from a transaction that timed out; bounded so a chattering device
// cannot hold the cycle.
constexpr int max_stale_reports = 16;
} // namespace

HidDevice::HidDevice(std::unique_ptr<HidBackend> backend) : platform(std::move(backend)) {}

void HidDevice::init_ids(int vendor, int product)
{
    vendor_id = vendor;
    product_id = product;
    open = false;
    identify_pending = true;
}

bool HidDevice::open_first(std::uint16_t vendor, std::uint16_t product)
{
    for (const auto& candidate : platform->enumerate(vendor, product)) {
        if (platform->open(candidate.path)) {
            holding = true;
            open = true;
            failure = {};
            return true;
        }
        if (!failure.found)
            failure = {true, platform->open_error(), candidate.path};
    }
    return false;
}

bool HidDevice::open_device()
{
    if (holding) {
        if (platform->is_present())
            return true;
        close_device();
    }
    failure = {};
    const auto id = [](int value) { return static_cast<std::uint16_t>(value); };
    if (open_first(id(vendor_id), id(product_id)))
        return true;
    close_device();
    return false;
}

bool HidDevice::close_device()
{
    open = false;
    identify_pending = true;
    overdue_code = -1;
    late = false;
    if (holding) {
        platform->close();
        holding = false;
    }
    return true;
}

// The reply of the exchange that timed out may still be on its way: it is waited for a while
// and passed over, with the reports the amplifier sends unasked meanwhile.
void HidDevice::await_overdue_reply()
{
    using clock = std::chrono::steady_clock;
    const auto code = static_cast<std::uint8_t>(overdue_code);
    overdue_code = -1;
    const auto deadline = clock::now() + std::chrono::milliseconds(late_reply_wait_ms);
    std::array<std::uint8_t, reply_size> report{};
    for (int stray = 0; stray <= max_stray_reports && !halted; ++stray) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        const int received =
            platform->read(report.data(), report.size(), int(std::max<long long>(0, left.count())));
        if (received <= 0)
            return; // nothing more came; an I/O error is the exchange's to find
        if (received == static_cast<int>(reply_size) && report[0] == code) {
            late = true;
            return;
        }
    }
}

void HidDevice::drain_stale_reports()
{
    std::array<std::uint8_t, reply_size> discard{};
    for (int i = 0; i < max_stale_reports; ++i) {
        if (platform->read(discard.data(), discard.size(), 0) <= 0)
            return;
    }
}

bool HidDevice::fail_transaction()
{
    if (!platform->is_present())
        close_device();
    return false;
}

bool HidDevice::exchange(int command, std::uint8_t* reply, const std::uint8_t* payload)
{
    if (!open || halted)
        return false;
    const auto code = static_cast<std::uint8_t>(command & 0xFF);
    out_report[0] = 0;
    out_report[1] = code;
    if (payload)
        std::copy(payload, payload + payload_size, out_report.begin() + 2);

    if (overdue_code >= 0)
        await_overdue_reply();
    drain_stale_reports();
    if (halted)
        return false;
    if (!platform->write(out_report.data(), out_report.size()))
        return fail_transaction();
    if (!read_reply(code))
        return fail_transaction();
    late = false;
    if (reply)
        std::copy(in_report.begin() + 1, in_report.end(), reply);
    return true;
}

// A report whose echo is not the command (one the amplifier sent unasked, or a late reply) is
// passed over; the transaction fails on an I/O error, a short report, or when no echo has come
// by the deadline. That last leaves the echo overdue, for the next exchange to wait out.
bool HidDevice::read_reply(std::uint8_t code)
{
    using clock = std::chrono::steady_clock;
    const auto deadline = clock::now() + std::chrono::milliseconds(reply_timeout_ms);
    for (int stray = 0; stray <= max_stray_reports; ++stray) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - clock::now());
        // The device sends no report ID; the platform hands over the 64 report bytes alone.
        in_report[0] = 0;
        in_report[1] = 0;
        const int received = platform->read(in_report.data() + 1, reply_size,
                                            int(std::max<long long>(0, left.count())));
        if (received == 0)
            overdue_code = code;
        if (received < static_cast<int>(reply_size))
            return false;
        if (in_report[1] == code)
            return true;
    }
    return false;
}
