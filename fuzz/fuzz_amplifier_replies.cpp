// Whatever an amplifier answers to identification and read: nothing is written to one the
// program cannot drive, nothing before its image was read, and a read image is laid out
// again byte for byte.
#include "amp_variants.h"
#include "hid_commands.h"
#include "register_image.h"
#include "sync_session.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Replies come from the fuzzer's bytes, 64 at a time, a short tail as a short read.
class ScriptedReplies : public HidBackend
{
public:
    ScriptedReplies(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    std::vector<int> commands;

    std::vector<Interface> enumerate(std::uint16_t, std::uint16_t) override
    {
        return {{"/dev/hidraw0", 0x8D88, 0x66}};
    }
    bool open(const std::string&) override { return true; }
    int open_error() const override { return 0; }
    void close() override {}
    bool is_present() override { return true; }
    bool write(const std::uint8_t* report, std::size_t) override
    {
        commands.push_back(report[1]);
        return true;
    }
    int read(std::uint8_t* out, std::size_t capacity, int timeout_ms) override
    {
        if (timeout_ms == 0 || offset >= size)
            return 0;
        const std::size_t n = std::min(std::min(capacity, size - offset), std::size_t(64));
        std::memcpy(out, data + offset, n);
        offset += n;
        return static_cast<int>(n);
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t offset = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    auto* replies = new ScriptedReplies(data, size);
    HidDevice device{std::unique_ptr<HidBackend>(replies)};
    device.init_ids(AMPLIFIER_VENDOR_ID, AMPLIFIER_PRODUCT_ID);
    device.open_device();
    SyncSession session(device);
    RegisterImage image;
    RegisterImage::Payload payload{};
    bool image_read = false;

    for (int cycle = 0; cycle < 4; ++cycle) {
        const SyncSession::Step step = session.prepare();
        if (step == SyncSession::Step::UnsupportedVariant ||
            step == SyncSession::Step::IdentifyFailed)
            break;
        if (step == SyncSession::Step::ImageRead) {
            image_read = true;
            image.load_image(session.read_payload());
            image.read_mirrors();
            image.store_image(payload.data());
            if (std::memcmp(payload.data(), session.read_payload(), RegisterImage::image_size) != 0)
                std::abort();
        }
        const std::size_t sent = replies->commands.size();
        session.write(payload.data());
        if (replies->commands.size() != sent && !image_read)
            std::abort(); // an image the amplifier never reported
    }

    // Identification comes first, and an unsupported variant is never read or written.
    if (!replies->commands.empty() && replies->commands.front() != HID_CMD_IDENTIFY)
        std::abort();
    if (!is_supported_variant(session.variant()) && replies->commands.size() > 1)
        std::abort();
    return 0;
}
