// Runs under quadron-emulator and talks to the emulated amplifier through the
// real hidapi, the way quadron does. Usage: hid_client SCENARIO [ARG]. Reports
// the first failed check on stderr and exits 1; exits 0 when all hold.

#include <hidapi.h>

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace {

using Reply = std::array<unsigned char, 64>;
using Payload = std::array<unsigned char, 63>;

struct Found
{
    unsigned short vendor;
    unsigned short product;
    std::string path;
};

void check(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "FAIL: %s\n", what);
    std::exit(1);
}

std::vector<Found> enumerate()
{
    std::vector<Found> found;
    hid_device_info* list = hid_enumerate(0, 0);
    for (const hid_device_info* info = list; info; info = info->next)
        found.push_back({info->vendor_id, info->product_id, info->path});
    hid_free_enumeration(list);
    return found;
}

std::optional<std::string> amplifier_path()
{
    for (const Found& interface : enumerate()) {
        if (interface.vendor == 0x8D88 && interface.product == 0x0066)
            return interface.path;
    }
    return std::nullopt;
}

// Polls enumeration until the amplifier is present (or absent) as wanted.
std::optional<std::string> wait_for_amplifier(bool present)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 3000) {
        const std::optional<std::string> path = amplifier_path();
        if (path.has_value() == present)
            return path;
        QThread::msleep(20);
    }
    check(false, present ? "the amplifier did not appear" : "the amplifier did not go away");
    return std::nullopt;
}

// Devices appear in sysfs a moment before their node, as with udev; a program
// retries the open, so this does too.
hid_device* open_amplifier()
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::optional<std::string> path = amplifier_path();
        check(path.has_value(), "the amplifier is enumerated");
        if (hid_device* device = hid_open_path(path->c_str()))
            return device;
        QThread::msleep(20);
    }
    check(false, "the amplifier opens");
    return nullptr;
}

int send(hid_device* device, unsigned char command, const Payload& payload = {})
{
    std::array<unsigned char, 65> report{};
    report[1] = command;
    std::copy(payload.begin(), payload.end(), report.begin() + 2);
    return hid_write(device, report.data(), report.size());
}

std::optional<Reply> receive(hid_device* device, int timeout_ms)
{
    Reply reply{};
    const int received = hid_read_timeout(device, reply.data(), reply.size(), timeout_ms);
    if (received != static_cast<int>(reply.size()))
        return std::nullopt;
    return reply;
}

Reply exchange(hid_device* device, unsigned char command, const Payload& payload = {})
{
    check(send(device, command, payload) == 65, "a write takes the whole report");
    const std::optional<Reply> reply = receive(device, 1000);
    check(reply.has_value(), "a reply arrives");
    return *reply;
}

bool rest_is_zero(const Reply& reply, std::size_t from)
{
    for (std::size_t i = from; i < reply.size(); ++i) {
        if (reply[i] != 0)
            return false;
    }
    return true;
}

QByteArray image_of(const Reply& reply)
{
    return QByteArray(reinterpret_cast<const char*>(reply.data()) + 1, 38);
}

// The payload the test driver expects in the traffic log.
Payload pattern_payload()
{
    Payload payload{};
    for (std::size_t i = 0; i < payload.size(); ++i)
        payload[i] = static_cast<unsigned char>(i * 7 + 3);
    return payload;
}

void write_control(const QByteArray& text, bool by_rename)
{
    const QString path = qEnvironmentVariable("QUADRON_EMULATOR");
    QFile file(by_rename ? path + QStringLiteral(".new") : path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(text) == text.size(),
          "the control file is written");
    file.close();
    if (by_rename)
        check(std::rename(qPrintable(file.fileName()), qPrintable(path)) == 0,
              "the control file is renamed into place");
}

// Control file: other_interfaces=3, variant=4, an image, silent=57, wrong_echo=58.
void exchange_scenario(const QByteArray& file_image)
{
    const std::vector<Found> found = enumerate();
    check(found.size() == 4, "three other interfaces and the amplifier are enumerated");
    check(found.front().vendor == 0x8D88 && found.front().product == 0x0067,
          "the near miss comes first");
    check(found.back().vendor == 0x8D88 && found.back().product == 0x0066,
          "the amplifier comes after the others");

    hid_device* device = open_amplifier();
    const Reply identify = exchange(device, 54);
    check(identify[0] == 54 && identify[1] == 4 && rest_is_zero(identify, 2),
          "54 answers with its echo and the variant");
    const Reply stored = exchange(device, 55);
    check(stored[0] == 55 && image_of(stored) == file_image && rest_is_zero(stored, 39),
          "55 answers with the image from the control file");

    const Payload payload = pattern_payload();
    const Reply written = exchange(device, 56, payload);
    check(written[0] == 56 && rest_is_zero(written, 1), "56 answers with its echo only");
    const Reply reread = exchange(device, 55);
    check(image_of(reread) == QByteArray(reinterpret_cast<const char*>(payload.data()), 38),
          "55 returns what 56 sent");

    check(send(device, 57) == 65, "a silent command is still taken");
    check(hid_read_timeout(device, Reply{}.data(), 64, 200) == 0,
          "a silent command is not answered");
    const Reply wrong = exchange(device, 58);
    check(wrong[0] == (58 ^ 0xFF), "a wrong echo is the command's complement");
    const Reply unknown = exchange(device, 99);
    check(unknown[0] == 99 && rest_is_zero(unknown, 1), "an unknown command is echoed only");
    hid_close(device);
}

// Control file: reply_delay_ms=300.
void delay_scenario()
{
    hid_device* device = open_amplifier();
    QElapsedTimer round_trip;
    round_trip.start();
    check(send(device, 54) == 65 && send(device, 55) == 65, "writes are taken while replies wait");
    check(round_trip.elapsed() < 150, "writes are not held up by the delay");
    check(!receive(device, 100).has_value(), "no reply before the delay");
    const std::optional<Reply> first = receive(device, 1000);
    const std::optional<Reply> second = receive(device, 1000);
    check(first && (*first)[0] == 54 && second && (*second)[0] == 55,
          "late replies keep their order");
    check(round_trip.elapsed() >= 300, "replies come after the delay");
    hid_close(device);
}

// Control file: attached=true, image A (all 0x11).
void unplug_scenario()
{
    hid_device* device = open_amplifier();
    exchange(device, 54);

    write_control("[amplifier]\nattached=false\nimage=" + QByteArray(76, '1') + '\n', true);
    wait_for_amplifier(false);
    check(enumerate().empty(), "nothing is enumerated while unplugged");
    check(send(device, 54) < 0, "a write to an unplugged amplifier fails");
    check(hid_read_timeout(device, Reply{}.data(), 64, 200) < 0, "a read from it fails");
    hid_close(device);

    const QByteArray image_b(76, '2');
    write_control("[amplifier]\nattached=true\nimage=" + image_b + '\n', false);
    wait_for_amplifier(true);
    device = open_amplifier();
    check(exchange(device, 54)[1] == 2, "the replugged amplifier answers");
    check(image_of(exchange(device, 55)) == QByteArray::fromHex(image_b),
          "a changed image in the file replaces the stored one");

    const Payload payload = pattern_payload();
    exchange(device, 56, payload);
    write_control("[amplifier]\nvariant=3\nimage=" + image_b + '\n', true);
    QElapsedTimer waited;
    waited.start();
    while (exchange(device, 54)[1] != 3 && waited.elapsed() < 3000)
        QThread::msleep(20);
    check(image_of(exchange(device, 55)) ==
              QByteArray(reinterpret_cast<const char*>(payload.data()), 38),
          "an unchanged image in the file leaves what 56 stored");
    hid_close(device);
}

// No control file: one amplifier, variant 2.
void defaults_scenario()
{
    check(enumerate().size() == 1, "only the amplifier is present");
    hid_device* device = open_amplifier();
    check(exchange(device, 54)[1] == 2, "the default variant is 2");
    hid_close(device);
}

} // namespace

int main(int argc, char** argv)
{
    check(argc >= 2, "a scenario is named");
    const QByteArray scenario = argv[1];
    if (scenario == "exit")
        return argc > 2 ? std::atoi(argv[2]) : 0;
    check(hid_init() == 0, "hidapi starts");
    if (scenario == "exchange")
        exchange_scenario(QByteArray::fromHex(argc > 2 ? argv[2] : ""));
    else if (scenario == "delay")
        delay_scenario();
    else if (scenario == "unplug")
        unplug_scenario();
    else if (scenario == "defaults")
        defaults_scenario();
    else
        check(false, "the scenario is known");
    hid_exit();
    return 0;
}
