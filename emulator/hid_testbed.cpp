#include "hid_testbed.h"

#include <umockdev.h>

#include <QByteArray>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr quint16 amplifier_vendor = 0x8D88;
constexpr quint16 amplifier_product = 0x0066;
constexpr quint16 near_miss_product = 0x0067;
constexpr quint16 unrelated_vendor = 0x1209;
constexpr quint16 unrelated_product = 0x7000;
constexpr int hidraw_major = 240;

// Vendor page 0xFF00, usage 1, 64-byte input and output reports, no report IDs.
constexpr std::uint8_t report_descriptor[] = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                              0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
                                              0x81, 0x02, 0x95, 0x40, 0x09, 0x02, 0x91, 0x02, 0xC0};

QByteArray hex4(quint16 value, bool upper)
{
    QByteArray text = QByteArray::number(value, 16).rightJustified(4, '0');
    return upper ? text.toUpper() : text;
}

QByteArray descriptor_hex()
{
    return QByteArray(reinterpret_cast<const char*>(report_descriptor), sizeof report_descriptor)
        .toHex()
        .toUpper();
}

} // namespace

HidTestbed::HidTestbed(int other_interfaces, WriteSink writes) : amplifier_writes(std::move(writes))
{
    testbed = umockdev_testbed_new();
    handler = umockdev_ioctl_base_new();
    g_signal_connect(handler, "handle-ioctl", G_CALLBACK(&HidTestbed::on_ioctl), this);
    g_signal_connect(handler, "handle-write", G_CALLBACK(&HidTestbed::on_write), this);
    g_signal_connect(handler, "client-connected", G_CALLBACK(&HidTestbed::on_client_connected),
                     this);

    // The others sit on a bus that sorts before the amplifier's, so that
    // enumeration lists them first; the first is a near miss of the amplifier.
    for (int i = 0; i < other_interfaces; ++i) {
        const bool near_miss = i == 0;
        const quint16 vendor = near_miss ? amplifier_vendor : unrelated_vendor;
        const quint16 product =
            near_miss ? near_miss_product : static_cast<quint16>(unrelated_product + i);
        const QByteArray name = near_miss ? QByteArrayLiteral("Quadron Service")
                                          : "HID interface " + QByteArray::number(i);
        Interface added = describe("usb1", "1-" + QByteArray::number(i + 1), vendor, product, name);
        create(added);
        const std::lock_guard<std::mutex> lock(mutex);
        others.append(added);
    }
}

HidTestbed::~HidTestbed()
{
    for (const int fd : std::as_const(hung_up_slaves))
        ::close(fd);
    for (const Interface& other : std::as_const(others))
        ::close(other.held_slave);
    if (amplifier.held_slave >= 0)
        ::close(amplifier.held_slave);
    // The testbed closes the test ends and removes its directory.
    g_object_unref(testbed);
    g_object_unref(handler);
}

HidTestbed::Interface HidTestbed::describe(const QByteArray& bus, const QByteArray& port,
                                           quint16 vendor, quint16 product, const QByteArray& name)
{
    const int number = next_node_number++;
    const int sequence = next_hid_sequence++;
    const QByteArray usb_device = "/devices/pci0000:00/0000:00:14.0/" + bus + '/' + port;
    const QByteArray usb_interface = usb_device + '/' + port + ":1.0";
    const QByteArray hid_name = "0003:" + hex4(vendor, true) + ':' + hex4(product, true) + '.' +
                                hex4(static_cast<quint16>(sequence), true);
    const QByteArray hid = usb_interface + '/' + hid_name;
    const QByteArray raw_name = "hidraw" + QByteArray::number(number);
    const QByteArray hidraw = hid + "/hidraw/" + raw_name;
    const QByteArray serial = "QA" + hex4(vendor, true) + hex4(product, true);
    const QByteArray minor = QByteArray::number(number);

    Interface described;
    described.node = "/dev/" + raw_name;
    described.vendor = vendor;
    described.product = product;
    described.syspaths = {"/sys" + usb_device, "/sys" + usb_interface, "/sys" + hid,
                          "/sys" + hidraw};
    described.description =
        "P: " + usb_device +
        "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\nA: idVendor=" + hex4(vendor, false) +
        "\nA: idProduct=" + hex4(product, false) +
        "\nA: bcdDevice=0103\nA: manufacturer=Brenvik\nA: product=" + name +
        "\nA: serial=" + serial + "\n\n" + "P: " + usb_interface +
        "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\nA: bInterfaceNumber=00\n"
        "A: bInterfaceClass=03\n\n" +
        "P: " + hid + "\nE: SUBSYSTEM=hid\nE: HID_ID=0003:0000" + hex4(vendor, true) + ":0000" +
        hex4(product, true) + "\nE: HID_NAME=Brenvik " + name + "\nE: HID_UNIQ=" + serial +
        "\nH: report_descriptor=" + descriptor_hex() + "\n\n" + "P: " + hidraw +
        "\nN: " + raw_name + "\nE: SUBSYSTEM=hidraw\nE: DEVNAME=/dev/" + raw_name +
        "\nE: MAJOR=" + QByteArray::number(hidraw_major) + "\nE: MINOR=" + minor +
        "\nA: dev=" + QByteArray::number(hidraw_major) + ':' + minor + "\nL: device=../../../" +
        hid_name + '\n';

    return described;
}

void HidTestbed::create(Interface& added)
{
    // The handler goes first, so that no one opens the node without it.
    GError* error = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed, added.node.constData(), handler, &error) ||
        !umockdev_testbed_add_from_string(testbed, added.description.constData(), &error)) {
        std::fprintf(stderr, "quadron-emulator: cannot create %s: %s\n", added.node.constData(),
                     error ? error->message : "unknown error");
        g_clear_error(&error);
        return;
    }
    added.test_end = umockdev_testbed_get_dev_fd(testbed, added.node.constData());
    if (added.test_end < 0)
        return;
    // A full input queue drops reports, as hidraw does, instead of stalling us.
    ::fcntl(added.test_end, F_SETFL, ::fcntl(added.test_end, F_GETFL) | O_NONBLOCK);
    // Only this process may hold the test end, or closing it hangs nothing up.
    ::fcntl(added.test_end, F_SETFD, ::fcntl(added.test_end, F_GETFD) | FD_CLOEXEC);
    // Holding the terminal's other side keeps its number from being handed out
    // again after an unplug, which umockdev could not cope with. (Not opened by
    // name: the preload library would track it, and it tracks only a few.)
    added.held_slave = ::ioctl(added.test_end, TIOCGPTPEER, O_RDWR | O_NOCTTY | O_CLOEXEC);
    // Every byte value passes, and a read (or poll) waits for a whole report:
    // hidraw hands out one report per read, never part of one.
    termios mode{};
    if (::tcgetattr(added.test_end, &mode) == 0) {
        ::cfmakeraw(&mode);
        mode.c_cc[VMIN] = AmplifierModel::input_report_size;
        mode.c_cc[VTIME] = 0;
        ::tcsetattr(added.test_end, TCSANOW, &mode);
    }
}

// Adding devices from a description sends their "add" uevents.
void HidTestbed::plug_amplifier()
{
    if (amplifier_plugged())
        return;
    Interface added =
        describe("usb2", "2-1", amplifier_vendor, amplifier_product, QByteArrayLiteral("Quadron"));
    {
        // Known before it appears: a program may open it the moment it does.
        const std::lock_guard<std::mutex> lock(mutex);
        amplifier = added;
        plugged = true;
        ++connection_number;
    }
    create(added);
    // Replies go out from this thread, so none is due before the test end is known.
    const std::lock_guard<std::mutex> lock(mutex);
    amplifier.test_end = added.test_end;
    amplifier.held_slave = added.held_slave;
}

void HidTestbed::unplug_amplifier()
{
    QList<QByteArray> syspaths;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!plugged)
            return;
        plugged = false;
        ++connection_number;
        syspaths = amplifier.syspaths;
        // Closing the test end hangs up every open handle; the testbed still
        // owns the descriptor number, so it is pointed at /dev/null instead.
        const int null_fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (null_fd >= 0 && amplifier.test_end >= 0) {
            ::dup2(null_fd, amplifier.test_end);
            ::close(null_fd);
        }
        if (amplifier.held_slave >= 0)
            hung_up_slaves.append(amplifier.held_slave);
        amplifier.held_slave = -1;
        amplifier.test_end = -1;
    }
    for (auto path = syspaths.crbegin(); path != syspaths.crend(); ++path) {
        umockdev_testbed_uevent(testbed, path->constData(), "remove");
        umockdev_testbed_remove_device(testbed, path->constData());
    }
}

// The node a program opens is the terminal's other side.
void HidTestbed::set_amplifier_node_mode(int mode)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (!plugged || amplifier.test_end < 0)
        return;
    char name[64] = {};
    if (::ptsname_r(amplifier.test_end, name, sizeof name) != 0 || ::chmod(name, mode_t(mode)) != 0)
        std::perror("quadron-emulator: node mode");
}

bool HidTestbed::amplifier_plugged() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return plugged;
}

quint64 HidTestbed::connection() const
{
    const std::lock_guard<std::mutex> lock(mutex);
    return connection_number;
}

void HidTestbed::send_input_report(quint64 connection, const AmplifierModel::InputReport& report)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (!plugged || connection != connection_number || amplifier.test_end < 0)
        return;
    if (::write(amplifier.test_end, report.data(), report.size()) < 0 && errno != EAGAIN)
        std::perror("quadron-emulator: input report");
}

// Callers hold the mutex.
const HidTestbed::Interface* HidTestbed::interface_of(const QByteArray& node) const
{
    if (plugged && node == amplifier.node)
        return &amplifier;
    for (const Interface& other : others) {
        if (node == other.node)
            return &other;
    }
    return nullptr;
}

int HidTestbed::on_ioctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto* bed = static_cast<HidTestbed*>(self);
    const QByteArray node = umockdev_ioctl_client_get_devnode(client);
    const unsigned long request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);

    quint16 vendor = 0;
    quint16 product = 0;
    {
        const std::lock_guard<std::mutex> lock(bed->mutex);
        const Interface* target = bed->interface_of(node);
        if (!target) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        vendor = target->vendor;
        product = target->product;
    }

    auto answer = [&](gsize size, auto fill) {
        UMockdevIoctlData* data = umockdev_ioctl_data_resolve(arg, 0, size, nullptr);
        if (!data) {
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return;
        }
        fill(data->data);
        g_object_unref(data);
        umockdev_ioctl_client_complete(client, 0, 0);
    };

    switch (request) {
    case HIDIOCGRDESCSIZE:
        answer(sizeof(int), [](guint8* out) {
            const int size = static_cast<int>(sizeof report_descriptor);
            std::memcpy(out, &size, sizeof size);
        });
        break;
    case HIDIOCGRDESC:
        answer(sizeof(hidraw_report_descriptor), [](guint8* out) {
            auto* descriptor = reinterpret_cast<hidraw_report_descriptor*>(out);
            const std::size_t wanted = descriptor->size;
            std::memcpy(descriptor->value, report_descriptor,
                        std::min(wanted, sizeof report_descriptor));
        });
        break;
    case HIDIOCGRAWINFO:
        answer(sizeof(hidraw_devinfo), [vendor, product](guint8* out) {
            hidraw_devinfo info{};
            info.bustype = BUS_USB;
            info.vendor = static_cast<__s16>(vendor);
            info.product = static_cast<__s16>(product);
            std::memcpy(out, &info, sizeof info);
        });
        break;
    default:
        umockdev_ioctl_client_complete(client, -1, ENOTTY);
        break;
    }
    return TRUE;
}

int HidTestbed::on_write(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto* bed = static_cast<HidTestbed*>(self);
    const QByteArray node = umockdev_ioctl_client_get_devnode(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    const QByteArray message(reinterpret_cast<const char*>(arg->data), arg->data_len);

    bool to_amplifier = false;
    {
        const std::lock_guard<std::mutex> lock(bed->mutex);
        const Interface* target = bed->interface_of(node);
        if (!target) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        to_amplifier = target == &bed->amplifier;
    }
    // The others take whatever they are sent and never answer.
    const int error = to_amplifier ? bed->amplifier_writes(message) : 0;
    if (error != 0)
        umockdev_ioctl_client_complete(client, -1, error);
    else
        umockdev_ioctl_client_complete(client, arg->data_len, 0);
    return TRUE;
}

void HidTestbed::on_client_connected(UMockdevIoctlBase*, UMockdevIoctlClient* client, void* self)
{
    auto* bed = static_cast<HidTestbed*>(self);
    const QByteArray node = umockdev_ioctl_client_get_devnode(client);
    const std::lock_guard<std::mutex> lock(bed->mutex);
    // A new handle starts with an empty input queue, as on a real hidraw node.
    if (bed->plugged && node == bed->amplifier.node && bed->amplifier.held_slave >= 0)
        ::tcflush(bed->amplifier.held_slave, TCIFLUSH);
}
