#include "amplifier_link.h"

#include "hid_commands.h"

#include <QThread>
#include <QTimer>

#include <algorithm>

AmplifierLink::AmplifierLink(std::unique_ptr<HidBackend> platform)
    : device(std::move(platform)), session(device)
{
    qRegisterMetaType<LinkState>();
    qRegisterMetaType<RegisterImage::Bytes>();
    device.init_ids(AMPLIFIER_VENDOR_ID, AMPLIFIER_PRODUCT_ID, 0, 0);
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
    reconnect_timer = update_timer = nullptr;
    device.close_device();
}

void AmplifierLink::check_hid_device()
{
    if (polling_enabled && !halted)
        device.open_device();
    if (reconnect_timer)
        reconnect_timer->start(reconnect_interval_ms);
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
    case SyncSession::Step::Lost:
    case SyncSession::Step::ReadFailed:
        break;
    case SyncSession::Step::IdentifyFailed:
    case SyncSession::Step::UnsupportedVariant:
        report_state();
        Q_EMIT unusable(step == SyncSession::Step::IdentifyFailed ? 1 : 2, session.variant());
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
    report_state();
    if (update_timer)
        update_timer->start(update_interval_ms);
}

void AmplifierLink::write_newest()
{
    if (!newest || newest->first != generation)
        return;
    first_write_pending = false;
    RegisterImage::Payload payload{};
    std::copy(newest->second.begin(), newest->second.end(), payload.begin());
    if (session.write(payload.data()))
        written_on_connection = true;
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
    if (!device.is_open)
        written_on_connection = false;
    const LinkState now = !device.is_open         ? LinkState::closed
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
}

void AmplifierLink::resume()
{
    polling_enabled = true;
}
