#pragma once

#include "hid_backend.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <deque>
#include <set>
#include <utility>
#include <vector>

// A scripted amplifier behind the HID platform interface. It answers at once, not at all, or
// after reply_delay_ms by a clock of its own that only its reads move on, so tests step the
// program without waiting; the fields say how it behaves next.
class FakeAmplifier : public HidBackend
{
public:
    using Report = std::array<std::uint8_t, 65>;

    std::vector<Interface> interfaces{{"/dev/hidraw0", 0x8D88, 0x0066}};
    bool plugged = true;
    int variant = 2;
    std::array<std::uint8_t, 38> stored_image{};
    std::set<int> silent;     // commands received but never answered
    std::set<int> wrong_echo; // commands answered with a wrong echo byte
    int stray_reports = 0;    // reports sent unasked before each reply
    int open_errno = 0;       // opening fails with this, when set
    bool short_replies = false;
    int reply_delay_ms = 0;

    std::vector<Report> received; // every output report, report-ID byte first
    int enumerations = 0;
    int opens = 0;
    std::deque<std::vector<std::uint8_t>> pending; // input reports waiting to be read
    std::deque<std::pair<long long, std::vector<std::uint8_t>>> delayed; // due, and the reply
    long long clock_ms = 0;

    std::vector<int> commands() const
    {
        std::vector<int> codes;
        for (const auto& report : received)
            codes.push_back(report[1]);
        return codes;
    }

    std::vector<Interface> enumerate(std::uint16_t vendor, std::uint16_t product) override
    {
        ++enumerations;
        std::vector<Interface> present;
        for (const auto& candidate : interfaces) {
            if (plugged && candidate.vendor_id == vendor && candidate.product_id == product)
                present.push_back(candidate);
        }
        return present;
    }

    bool open(const std::string&) override
    {
        if (!plugged || open_errno != 0)
            return false;
        ++opens;
        held = true;
        return true;
    }
    int open_error() const override { return plugged ? open_errno : ENOENT; }

    void close() override { held = false; }
    bool is_present() override { return held && plugged; }

    // Takes the report and queues the unasked reports and the reply it causes.
    bool write(const std::uint8_t* report, std::size_t length) override
    {
        if (!is_present() || length != 65)
            return false;
        const int command = report[1];
        received.emplace_back();
        std::copy(report, report + length, received.back().begin());
        if (command == 56)
            std::copy(report + 2, report + 40, stored_image.begin());
        pending.insert(pending.end(), std::size_t(stray_reports),
                       std::vector<std::uint8_t>(64, 0xA5));
        if (silent.count(command))
            return true;
        std::vector<std::uint8_t> reply(short_replies ? 40 : 64, 0);
        reply[0] = static_cast<std::uint8_t>(wrong_echo.count(command) ? command ^ 0xFF : command);
        if (command == 54)
            reply[1] = static_cast<std::uint8_t>(variant);
        if (command == 55)
            std::copy(stored_image.begin(), stored_image.end(), reply.begin() + 1);
        if (reply_delay_ms > 0)
            delayed.emplace_back(clock_ms + reply_delay_ms, reply);
        else
            pending.push_back(reply);
        return true;
    }

    int read(std::uint8_t* data, std::size_t capacity, int timeout_ms) override
    {
        if (!is_present())
            return read_error;
        if (pending.empty() && !delayed.empty() && delayed.front().first <= clock_ms + timeout_ms) {
            clock_ms = std::max(clock_ms, delayed.front().first);
            pending.push_back(delayed.front().second);
            delayed.pop_front();
        }
        if (pending.empty()) {
            clock_ms += timeout_ms;
            return 0;
        }
        const auto reply = pending.front();
        pending.pop_front();
        const std::size_t n = std::min(capacity, reply.size());
        std::copy(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(n), data);
        return static_cast<int>(n);
    }

private:
    bool held = false;
};
