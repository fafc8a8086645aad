#pragma once

#include "amplifier_model.h"
#include "control_file_watcher.h"
#include "emulator_config.h"
#include "hid_testbed.h"
#include "traffic_log.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>

// The emulated amplifier: the model answering through the HID testbed, kept
// in line with the control file for as long as the program under test runs.
class Emulator : public QObject
{
    Q_OBJECT

public:
    // An empty control-file path means the built-in defaults, fixed for the run.
    explicit Emulator(const QString& control_file, QObject* parent = nullptr);
    ~Emulator() override;

private:
    void apply(const EmulatorConfig& config);
    int on_amplifier_write(const QByteArray& message); // umockdev's worker thread
    void queue_reply(quint64 connection, qint64 due_ns, const AmplifierModel::InputReport& report);
    void send_due_replies();

    struct PendingReply
    {
        quint64 connection;
        qint64 due_ns;
        AmplifierModel::InputReport report;
    };

    QElapsedTimer clock;
    std::deque<PendingReply> pending_replies; // in the order the commands came
    QTimer reply_timer;
    AmplifierModel model;
    TrafficLog traffic_log;
    std::atomic<int> reply_delay_ms{0};
    std::atomic<int> stray_reports{0};
    std::mutex io_error_mutex;
    AmplifierModel::CommandSet io_error;
    std::optional<AmplifierModel::Image> file_image;
    std::unique_ptr<ControlFileWatcher> watcher;
    std::unique_ptr<HidTestbed> testbed;
};
