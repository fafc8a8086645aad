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

    std::vector<Interface> enumerate(std::size_t max_count) override;
    bool open(const std::string& path) override;
    void close() override;
    bool is_present() override;
    bool write(const std::uint8_t* report, std::size_t length) override;
    int read(std::uint8_t* data, std::size_t capacity, int timeout_ms) override;

private:
    hid_device_* handle = nullptr;
    std::string held_path;
    std::string sysfs_path;
    // An I/O error is how a vanished device shows; once seen, the handle is not trusted.
    bool io_failed = false;
};
