#include "hidapi_backend.h"

#include <hidapi.h>
#include <unistd.h>

namespace {

std::string sysfs_node_of(const std::string& device_node)
{
    const auto slash = device_node.rfind('/');
    const std::string name =
        slash == std::string::npos ? device_node : device_node.substr(slash + 1);
    return "/sys/class/hidraw/" + name;
}

bool exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

} // namespace

HidapiBackend::HidapiBackend()
{
    hid_init();
}

HidapiBackend::~HidapiBackend()
{
    close();
    hid_exit();
}

std::vector<HidBackend::Interface> HidapiBackend::enumerate(std::size_t max_count)
{
    std::vector<Interface> found;
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* info = list; info && found.size() < max_count; info = info->next) {
        if (info->path)
            found.push_back({info->path, info->vendor_id, info->product_id});
    }
    hid_free_enumeration(list);
    return found;
}

bool HidapiBackend::open(const std::string& path)
{
    close();
    handle = hid_open_path(path.c_str());
    if (!handle)
        return false;
    held_path = path;
    sysfs_path = sysfs_node_of(path);
    io_failed = false;
    return true;
}

void HidapiBackend::close()
{
    if (handle)
        hid_close(handle);
    handle = nullptr;
    held_path.clear();
    sysfs_path.clear();
}

bool HidapiBackend::is_present()
{
    return handle && !io_failed && exists(held_path) && exists(sysfs_path);
}

// hidraw writes are synchronous and offer no time-out of our own: the kernel bounds each one
// with the USB core's 5-second transfer time-out (interrupt OUT or SET_REPORT alike).
bool HidapiBackend::write(const std::uint8_t* report, std::size_t length)
{
    if (!handle)
        return false;
    if (hid_write(handle, report, length) < 0) {
        io_failed = true;
        return false;
    }
    return true;
}

int HidapiBackend::read(std::uint8_t* data, std::size_t capacity, int timeout_ms)
{
    if (!handle)
        return read_error;
    const int received = hid_read_timeout(handle, data, capacity, timeout_ms);
    if (received < 0) {
        io_failed = true;
        return read_error;
    }
    return received;
}
