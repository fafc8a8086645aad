#include "sync_session.h"

#include "amp_variants.h"
#include "hid_commands.h"

SyncSession::SyncSession(HidDevice& link) : device(link) {}

SyncSession::Step SyncSession::failed(Step when_present) const
{
    return device.is_open() ? when_present : Step::Lost;
}

SyncSession::Step SyncSession::prepare()
{
    if (!device.is_open())
        return Step::NotOpen;
    if (device.need_identify()) {
        if (!device.exchange(HID_CMD_IDENTIFY, reply_buffer.data(), nullptr))
            return failed(Step::IdentifyFailed);
        identified_variant = reply_buffer[1];
        if (!is_supported_variant(identified_variant))
            return Step::UnsupportedVariant;
        device.identified();
        image_pending = true;
    }
    if (image_pending) {
        if (!device.exchange(HID_CMD_READ_IMAGE, reply_buffer.data(), nullptr))
            return failed(Step::ReadFailed);
        image_pending = false;
        return Step::ImageRead;
    }
    return Step::Ready;
}

bool SyncSession::write(const std::uint8_t* payload)
{
    if (!device.is_open() || device.need_identify() || image_pending)
        return false;
    return device.exchange(HID_CMD_WRITE_IMAGE, nullptr, payload);
}
