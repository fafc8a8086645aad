#include "hid_device.h"

#include <algorithm>

namespace {
// Reports left over from a transaction that timed out; bounded so a chattering device
// cannot hold the cycle.
constexpr int max_stale_reports = 16;
} // namespace

HidDevice::HidDevice(std::unique_ptr<HidBackend> backend) : platform(std::move(backend)) {}

void HidDevice::init_ids(int vendor, int product, int alt_vendor, int alt_product)
{
    vendor_id = vendor;
    product_id = product;
    alt_vendor_id = alt_vendor;
    alt_product_id = alt_product;
    is_open = false;
    need_identify = true;
}

bool HidDevice::matches(const HidBackend::Interface& candidate) const
{
    if (candidate.vendor_id == vendor_id && candidate.product_id == product_id)
        return true;
    if (alt_vendor_id <= 0 || candidate.vendor_id != alt_vendor_id)
        return false;
    return alt_product_id <= 0 || candidate.product_id == alt_product_id;
}

bool HidDevice::open_device()
{
    if (holding) {
        if (platform->is_present())
            return true;
        close_device();
    }
    for (const auto& candidate : platform->enumerate(max_interfaces)) {
        if (!matches(candidate) || !platform->open(candidate.path))
            continue;
        holding = true;
        is_open = true;
        return true;
    }
    close_device();
    return false;
}

bool HidDevice::close_device()
{
    is_open = false;
    need_identify = true;
    if (holding) {
        platform->close();
        holding = false;
    }
    return true;
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
    if (!is_open || halted)
        return false;
    const auto code = static_cast<std::uint8_t>(command & 0xFF);
    out_report[0] = 0;
    out_report[1] = code;
    if (payload)
        std::copy(payload, payload + payload_size, out_report.begin() + 2);

    drain_stale_reports();
    if (!platform->write(out_report.data(), out_report.size()))
        return fail_transaction();

    // The device sends no report ID; the platform hands over the 64 report bytes alone.
    in_report[0] = 0;
    in_report[1] = 0;
    const int received = platform->read(in_report.data() + 1, reply_size, reply_timeout_ms);
    if (received == HidBackend::read_error)
        return fail_transaction();
    if (received < static_cast<int>(reply_size) || in_report[1] != code)
        return false;
    if (reply)
        std::copy(in_report.begin() + 1, in_report.end(), reply);
    return true;
}
