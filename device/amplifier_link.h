#pragma once

#include "hid_device.h"
#include "link_state.h"
#include "register_image.h"
#include "sync_session.h"

#include <QMetaType>
#include <QObject>

#include <atomic>
#include <memory>
#include <optional>

class QThread;
class QTimer;
class UdevWatcher;

Q_DECLARE_METATYPE(LinkState)
Q_DECLARE_METATYPE(LinkProblem)
Q_DECLARE_METATYPE(AmplifierFault)
Q_DECLARE_METATYPE(RegisterImage::Bytes)

// The amplifier link, on a thread of its own so that nothing the amplifier does (a reply that
// takes three seconds, a write the kernel holds for five) can hold up the window, the tray or
// the hot keys. Two single-shot timers drive it: the reconnect check keeps a matching amplifier
// open, and the cycle identifies and reads it once per connection and writes the newest image
// the window gave it. It talks to the window through queued signals only.
class AmplifierLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int reconnect_interval_ms = 500;
    static constexpr int update_interval_ms = 100;

    explicit AmplifierLink(std::unique_ptr<HidBackend> platform);
    ~AmplifierLink() override;

    // Moves the link to its own thread and starts both timers there. A link that is never
    // started is stepped by hand through the two timer slots.
    void start();
    // Ends the link in order: no exchange begins after the call, the one in flight finishes
    // or times out, and the thread is joined. Called from the thread that started it.
    void stop();
    // Any thread: no exchange begins after this, whatever is queued.
    void halt();

public Q_SLOTS:
    void check_hid_device();
    void form_update();
    // The image to write from now on. generation is that of the read image it grew from: an
    // image from before this connection's read is never written.
    void set_image(quint64 generation, const RegisterImage::Bytes& image);
    // The machine is about to sleep: close the link and open nothing until resume(); then
    // say so with suspended().
    void suspend();
    void resume();

Q_SIGNALS:
    // The link is closed for the machine's sleep: nothing more is written until resume().
    void suspended();
    void state_changed(LinkState state);
    // What keeps the link from synchronising, and the details (the node, the system's reason).
    void problem_changed(LinkProblem problem, const QString& detail);
    // A new connection's image; its generation tells it from every earlier one.
    void image_read(quint64 generation, int variant, const RegisterImage::Bytes& image);
    // The amplifier cannot be driven; the cycle stops.
    void unusable(AmplifierFault fault, int variant);

private:
    void start_timers();
    void stop_timers();
    void devices_changed();
    bool idle_without_amplifier() const;
    void write_newest();
    void report_state();
    void report_problem(LinkProblem problem, const QString& detail = {});
    void report_open_failure();
    void report_lateness();

    HidDevice device;
    SyncSession session;
    std::unique_ptr<QThread> thread;
    QTimer* reconnect_timer = nullptr;
    QTimer* update_timer = nullptr;
    UdevWatcher* watcher = nullptr;
    bool rescan_pending = true; // the set of hidraw nodes may have changed since the last look
    std::atomic<bool> halted{false};
    bool polling_enabled = true;

    quint64 generation = 0; // of the image read on the current connection
    std::optional<std::pair<quint64, RegisterImage::Bytes>> newest;
    RegisterImage::Payload write_payload{};
    bool written_on_connection = false;
    bool first_write_pending = false; // the connection's image was read and not yet written
    std::optional<LinkState> reported;
    std::optional<LinkProblem> reported_problem;
    bool reported_late = false;
};
