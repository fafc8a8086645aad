#pragma once

#include "hid_backend.h"

struct hid_device_;

// HID access through hidapi's hidraw backend.
class HidapiBackend : public HidBackend
{
public:
    HidapiBackend();
    ~HidapiBackend() override;
    HidapiBackend(const HidapiBackend&) = delete;
    HidapiBackend& operator=(const HidapiBackend&) = delete;

    std::vector<Interface> enumerate(std::uint16_t vendor_id, std::uint16_t product_id) override;
    bool open(const std::string& path) override;
    int open_error() const override { return last_open_error; }
    void close() override;
    bool is_present() override;
    bool write(const std::uint8_t* report, std::size_t length) override;
    int read(std::uint8_t* data, std::size_t capacity, int timeout_ms) override;

private:
    hid_device_* handle = nullptr;
    std::string held_path;
    std::string sysfs_path;
    int last_open_error = 0;
};
