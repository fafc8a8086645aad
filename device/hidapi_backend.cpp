#include "hidapi_backend.h"

#include <hidapi.h>

#include <cerrno>
#include <fcntl.h>
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

// hidapi keeps the reason an open failed to itself; opening the node once more tells it.
int reason_open_fails(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return errno;
    ::close(fd);
    return EIO; // the node opens, but hidapi could not use it
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

std::vector<HidBackend::Interface> HidapiBackend::enumerate(std::uint16_t vendor_id,
                                                            std::uint16_t product_id)
{
    std::vector<Interface> found;
    hid_device_info* list = hid_enumerate(vendor_id, product_id);
    for (const hid_device_info* info = list; info; info = info->next) {
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
    if (!handle) {
        last_open_error = reason_open_fails(path);
        return false;
    }
    last_open_error = 0;
    held_path = path;
    sysfs_path = sysfs_node_of(path);
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

// An I/O error alone does not make a device absent: a transient error on an amplifier that is
// still plugged in is a failed transaction, nothing more.
bool HidapiBackend::is_present()
{
    return handle && exists(held_path) && exists(sysfs_path);
}

// hidraw writes are synchronous and offer no time-out of our own: the kernel bounds each one
// with the USB core's 5-second transfer time-out (interrupt OUT or SET_REPORT alike).
bool HidapiBackend::write(const std::uint8_t* report, std::size_t length)
{
    if (!handle)
        return false;
    return hid_write(handle, report, length) >= 0;
}

int HidapiBackend::read(std::uint8_t* data, std::size_t capacity, int timeout_ms)
{
    if (!handle)
        return read_error;
    const int received = hid_read_timeout(handle, data, capacity, timeout_ms);
    return received < 0 ? read_error : received;
}
