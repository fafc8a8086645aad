#include "emulator.h"

#include <QMetaObject>

#include <algorithm>
#include <cerrno>
#include <vector>

Emulator::Emulator(const QString& control_file, QObject* parent) : QObject(parent)
{
    clock.start();
    reply_timer.setSingleShot(true);
    reply_timer.setTimerType(Qt::PreciseTimer);
    connect(&reply_timer, &QTimer::timeout, this, &Emulator::send_due_replies);
    EmulatorConfig config;
    if (!control_file.isEmpty()) {
        watcher = std::make_unique<ControlFileWatcher>(control_file);
        config = EmulatorConfig::parse(watcher->read_now().value_or(QByteArray()));
        connect(watcher.get(), &ControlFileWatcher::contents_changed, this,
                [this](const QByteArray& contents) { apply(EmulatorConfig::parse(contents)); });
    }
    // The set of other interfaces is fixed at start; everything else follows the file.
    testbed =
        std::make_unique<HidTestbed>(config.other_interfaces, [this](const QByteArray& message) {
            return on_amplifier_write(message);
        });
    apply(config);
}

Emulator::~Emulator()
{
    // The testbed goes first: its worker thread calls back into this object.
    testbed.reset();
}

void Emulator::apply(const EmulatorConfig& config)
{
    model.set_variant(config.variant);
    model.set_silent(config.silent);
    model.set_wrong_echo(config.wrong_echo);
    // The amplifier keeps what it was last sent; only a new image in the file
    // overrides that, not the file merely being read again.
    if (config.image && config.image != file_image)
        model.set_image(*config.image);
    file_image = config.image;
    reply_delay_ms = config.reply_delay_ms;
    stray_reports = config.stray_reports;
    {
        const std::lock_guard<std::mutex> lock(io_error_mutex);
        io_error = config.io_error;
    }
    traffic_log.set_path(config.traffic_log);

    const bool was_plugged = testbed->amplifier_plugged();
    if (config.attached)
        testbed->plug_amplifier();
    else
        testbed->unplug_amplifier();
    if (config.attached && config.node_mode >= 0)
        testbed->set_amplifier_node_mode(config.node_mode);
    if (config.attached != was_plugged)
        traffic_log.append_event(clock.elapsed(), config.attached ? "plugged" : "unplugged");
}

int Emulator::on_amplifier_write(const QByteArray& message)
{
    if (message.size() < 2)
        return 0; // no command byte
    {
        // The write fails, and the amplifier never sees it.
        const std::lock_guard<std::mutex> lock(io_error_mutex);
        if (io_error.test(static_cast<std::uint8_t>(message[1])))
            return EIO;
    }
    const qint64 received_ns = clock.nsecsElapsed();
    AmplifierModel::OutputReport report{};
    std::copy_n(message.begin(), std::min<qsizetype>(message.size(), report.size()),
                report.begin());
    traffic_log.append(received_ns / 1000000, report);

    const std::optional<AmplifierModel::InputReport> reply = model.handle(report);
    const quint64 connection = testbed->connection();
    const qint64 due_ns = received_ns + qint64(reply_delay_ms) * 1000000;
    // Unasked reports come before the reply; their first byte echoes no command.
    AmplifierModel::InputReport stray{};
    stray[0] = 0xA5;
    std::vector<AmplifierModel::InputReport> reports(std::size_t(stray_reports.load()), stray);
    if (reply)
        reports.push_back(*reply);
    QMetaObject::invokeMethod(
        this,
        [this, connection, due_ns, reports] {
            for (const auto& input : reports)
                queue_reply(connection, due_ns, input);
        },
        Qt::QueuedConnection);
    return 0;
}

// The amplifier answers one command after the other: a reply never overtakes
// an earlier one, even when the delay has just been shortened.
void Emulator::queue_reply(quint64 connection, qint64 due_ns,
                           const AmplifierModel::InputReport& report)
{
    if (!pending_replies.empty())
        due_ns = std::max(due_ns, pending_replies.back().due_ns);
    pending_replies.push_back({connection, due_ns, report});
    send_due_replies();
}

void Emulator::send_due_replies()
{
    while (!pending_replies.empty()) {
        const PendingReply& head = pending_replies.front();
        // Replies meant for a connection that is gone are lost with it.
        if (head.connection == testbed->connection()) {
            if (head.due_ns > clock.nsecsElapsed())
                break;
            testbed->send_input_report(head.connection, head.report);
        }
        pending_replies.pop_front();
    }
    if (pending_replies.empty())
        return;
    const qint64 wait_ns = pending_replies.front().due_ns - clock.nsecsElapsed();
    reply_timer.start(std::chrono::milliseconds((wait_ns + 999999) / 1000000));
}
