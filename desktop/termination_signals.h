#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM (a logout ends tray programs with it), SIGINT and SIGHUP turned into a signal on
// the GUI thread, so that the program can end in its orderly way. One instance per
// process; the previous handlers come back when it is destroyed.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;

Q_SIGNALS:
    void termination_requested(int signal_number);

private:
    void read_signals();

    QSocketNotifier* notifier = nullptr;
    bool installed = false;
};
