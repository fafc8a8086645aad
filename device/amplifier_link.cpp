#include "amplifier_link.h"

#include "device_log.h"
#include "hid_commands.h"
#include "udev_watcher.h"

#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>

Q_LOGGING_CATEGORY(device_log, "quadron.device", QtInfoMsg)

AmplifierLink::AmplifierLink(std::unique_ptr<HidBackend> platform)
    : device(std::move(platform)), session(device)
{
    qRegisterMetaType<LinkState>();
    qRegisterMetaType<LinkProblem>();
    qRegisterMetaType<AmplifierFault>();
    qRegisterMetaType<RegisterImage::Bytes>();
    device.init_ids(AMPLIFIER_VENDOR_ID, AMPLIFIER_PRODUCT_ID);
}

AmplifierLink::~AmplifierLink()
{
    stop();
}

void AmplifierLink::start()
{
    thread = std::make_unique<QThread>();
    thread->setObjectName(QStringLiteral("amplifier link"));
    moveToThread(thread.get());
    connect(thread.get(), &QThread::started, this, &AmplifierLink::start_timers);
    thread->start();
}

void AmplifierLink::stop()
{
    halt();
    if (!thread)
        return;
    // Waits for the transaction in flight, if any: the timers belong to the link's thread.
    QMetaObject::invokeMethod(this, &AmplifierLink::stop_timers, Qt::BlockingQueuedConnection);
    thread->quit();
    thread->wait();
    thread.reset();
}

void AmplifierLink::halt()
{
    halted = true;
    device.halt();
}

void AmplifierLink::start_timers()
{
    watcher = new UdevWatcher(this);
    if (watcher->is_active())
        connect(watcher, &UdevWatcher::hidraw_changed, this, &AmplifierLink::devices_changed);
    reconnect_timer = new QTimer(this);
    connect(reconnect_timer, &QTimer::timeout, this, &AmplifierLink::check_hid_device);
    reconnect_timer->setSingleShot(true);
    reconnect_timer->start(reconnect_interval_ms);

    update_timer = new QTimer(this);
    connect(update_timer, &QTimer::timeout, this, &AmplifierLink::form_update);
    update_timer->setSingleShot(true);
    update_timer->start(update_interval_ms);
}

void AmplifierLink::stop_timers()
{
    delete reconnect_timer;
    delete update_timer;
    delete watcher;
    reconnect_timer = update_timer = nullptr;
    watcher = nullptr;
    device.close_device();
}

// While udev tells when hidraw nodes come and go, a link with no amplifier has nothing to do
// between its events: neither timer runs, and the program costs no more than an idle one.
// One that is there but cannot be opened is looked at again on the timer: access granted to
// the session (a seat switch, say) comes with no udev event.
bool AmplifierLink::idle_without_amplifier() const
{
    return !device.is_open() && !device.open_failure().found && watcher && watcher->is_active();
}

// A held amplifier costs a presence probe. Without one, the interfaces are listed only when
// udev says the hidraw nodes changed; with no udev events to go by, at every check.
void AmplifierLink::check_hid_device()
{
    const bool look = rescan_pending || !idle_without_amplifier();
    if (polling_enabled && !halted && look) {
        const bool was_open = device.is_open();
        rescan_pending = false;
        device.open_device();
        if (!device.is_open())
            report_open_failure();
        else if (!was_open && update_timer)
            update_timer->start(0); // a new amplifier is identified at once
        // The hot keys act on an open amplifier from now on, though its identification may
        // take a while.
        report_state();
    }
    if (reconnect_timer && !idle_without_amplifier())
        reconnect_timer->start(reconnect_interval_ms);
}

void AmplifierLink::devices_changed()
{
    rescan_pending = true;
    check_hid_device();
}

void AmplifierLink::report_open_failure()
{
    const HidDevice::OpenFailure& failure = device.open_failure();
    // A node that went while it was being opened: the amplifier has just been unplugged.
    const bool gone = failure.error == ENOENT || failure.error == ENODEV || failure.error == ENXIO;
    if (!failure.found || gone) {
        report_problem(LinkProblem::no_amplifier);
        return;
    }
    const bool denied = failure.error == EACCES || failure.error == EPERM;
    report_problem(denied ? LinkProblem::no_permission : LinkProblem::cannot_open,
                   QString::fromStdString(failure.path) + QStringLiteral(": ") +
                       QString::fromLocal8Bit(std::strerror(failure.error)));
}

void AmplifierLink::report_problem(LinkProblem problem, const QString& detail)
{
    if (reported_problem == problem)
        return;
    reported_problem = problem;
    switch (problem) {
    case LinkProblem::none:
        qCInfo(device_log, "amplifier connected");
        break;
    case LinkProblem::no_amplifier:
        qCInfo(device_log, "no amplifier found");
        break;
    case LinkProblem::no_permission:
        qCWarning(device_log,
                  "the amplifier cannot be opened: %s (see \"Device permissions\" in the README)",
                  qUtf8Printable(detail));
        break;
    case LinkProblem::cannot_open:
        qCWarning(device_log, "the amplifier cannot be opened: %s", qUtf8Printable(detail));
        break;
    case LinkProblem::not_answering:
        qCWarning(device_log, "the amplifier does not answer");
        break;
    }
    Q_EMIT problem_changed(problem, detail);
}

void AmplifierLink::form_update()
{
    if (halted)
        return;
    const SyncSession::Step step = session.prepare();
    if (halted)
        return; // the end began while the amplifier was answering
    switch (step) {
    case SyncSession::Step::NotOpen:
        break;
    case SyncSession::Step::Lost:
        report_problem(LinkProblem::no_amplifier);
        break;
    case SyncSession::Step::ReadFailed:
        report_problem(LinkProblem::not_answering);
        break;
    case SyncSession::Step::IdentifyFailed:
    case SyncSession::Step::UnsupportedVariant:
        report_state();
        Q_EMIT unusable(step == SyncSession::Step::IdentifyFailed ? AmplifierFault::unidentified
                                                                  : AmplifierFault::unknown_variant,
                        session.variant());
        return; // no further cycle
    case SyncSession::Step::ImageRead: {
        ++generation;
        written_on_connection = false;
        first_write_pending = true;
        RegisterImage::Bytes image{};
        std::copy_n(session.read_payload(), image.size(), image.begin());
        // Written once the window has shown it and handed it back (set_image).
        Q_EMIT image_read(generation, session.variant(), image);
        break;
    }
    case SyncSession::Step::Ready:
        write_newest();
        break;
    }
    report_lateness();
    report_state();
    if (update_timer && !idle_without_amplifier())
        update_timer->start(update_interval_ms);
}

void AmplifierLink::write_newest()
{
    if (!newest || newest->first != generation)
        return;
    first_write_pending = false;
    // Refilled from the newest image before every write; the bytes past the image stay zero.
    std::copy(newest->second.begin(), newest->second.end(), write_payload.begin());
    if (session.write(write_payload.data())) {
        written_on_connection = true;
        report_problem(LinkProblem::none);
    } else if (device.is_open()) {
        // Not in step while its writes go unanswered: the lamp goes red until one is taken.
        written_on_connection = false;
        report_problem(LinkProblem::not_answering);
    } else {
        report_problem(LinkProblem::no_amplifier);
    }
}

// Said once for each run of replies that come after the deadline, not at every exchange.
void AmplifierLink::report_lateness()
{
    if (device.answers_late() == reported_late)
        return;
    reported_late = device.answers_late();
    if (reported_late)
        qCWarning(device_log, "the amplifier answers late: its replies come after the %d ms limit",
                  HidDevice::reply_timeout_ms);
}

void AmplifierLink::set_image(quint64 image_generation, const RegisterImage::Bytes& image)
{
    newest.emplace(image_generation, image);
    // The first write of a connection follows its read at once.
    if (first_write_pending && image_generation == generation && update_timer)
        update_timer->start(0);
}

void AmplifierLink::report_state()
{
    if (!device.is_open())
        written_on_connection = false;
    const LinkState now = !device.is_open()       ? LinkState::closed
                          : written_on_connection ? LinkState::synchronising
                                                  : LinkState::open;
    if (reported == now)
        return;
    reported = now;
    Q_EMIT state_changed(now);
}

void AmplifierLink::suspend()
{
    polling_enabled = false;
    device.close_device();
    report_state();
    Q_EMIT suspended();
}

void AmplifierLink::resume()
{
    polling_enabled = true;
    rescan_pending = true;
    check_hid_device();
}
