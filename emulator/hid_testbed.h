#pragma once

#include "amplifier_model.h"

#include <QByteArray>
#include <QList>

#include <functional>
#include <mutex>

typedef struct _UMockdevTestbed UMockdevTestbed;
typedef struct _UMockdevIoctlBase UMockdevIoctlBase;
typedef struct _UMockdevIoctlClient UMockdevIoctlClient;

// The amplifier (and any other HID interfaces) as umockdev devices: sysfs
// entries that hidapi enumerates, and hidraw nodes whose writes come here and
// whose input reports are written to the node's test end. Only processes run
// with umockdev's preload library see them.
//
// Construction, plugging and unplugging belong to one thread; writes arrive on
// umockdev's worker thread; input reports may be sent from any thread.
class HidTestbed
{
public:
    // Gets every message written to the amplifier's node, report ID byte included, and says
    // how the write ends: 0, or the errno it fails with.
    using WriteSink = std::function<int(const QByteArray& message)>;

    HidTestbed(int other_interfaces, WriteSink amplifier_writes);
    ~HidTestbed();
    HidTestbed(const HidTestbed&) = delete;
    HidTestbed& operator=(const HidTestbed&) = delete;

    // A fresh hidraw node each time, announced with "add" uevents.
    void plug_amplifier();
    // "remove" uevents, the devices gone; writes to an open handle then fail
    // with ENODEV and its reads are hung up, as after a real unplug.
    void unplug_amplifier();
    bool amplifier_plugged() const;
    // Sets the file mode of the amplifier's node, as a udev rule would.
    void set_amplifier_node_mode(int mode);

    // Identifies one plugged-in period, so that a reply held back across an
    // unplug is not delivered to the next connection.
    quint64 connection() const;
    void send_input_report(quint64 connection, const AmplifierModel::InputReport& report);

private:
    struct Interface
    {
        QByteArray node;
        quint16 vendor = 0;
        quint16 product = 0;
        QList<QByteArray> syspaths; // parents first
        QByteArray description;     // in umockdev's record format
        int test_end = -1;
        int held_slave = -1;
    };

    Interface describe(const QByteArray& bus, const QByteArray& port, quint16 vendor,
                       quint16 product, const QByteArray& name);
    void create(Interface& interface);
    const Interface* interface_of(const QByteArray& node) const;

    static int on_ioctl(UMockdevIoctlBase* base, UMockdevIoctlClient* client, void* self);
    static int on_write(UMockdevIoctlBase* base, UMockdevIoctlClient* client, void* self);
    static void on_client_connected(UMockdevIoctlBase* base, UMockdevIoctlClient* client,
                                    void* self);

    UMockdevTestbed* testbed = nullptr;
    UMockdevIoctlBase* handler = nullptr;
    WriteSink amplifier_writes;
    int next_node_number = 0;
    int next_hid_sequence = 1;
    int next_usb_port = 1;

    mutable std::mutex mutex;
    QList<Interface> others; // fixed once constructed
    Interface amplifier;
    bool plugged = false;
    quint64 connection_number = 0;
    QList<int> hung_up_slaves;
};
