#pragma once

#include <QObject>
#include <QProcess>
#include <QStringList>

// The program under test: started with the emulator's standard streams and
// environment, told about termination signals the emulator receives, and
// reported with the exit code the emulator is to end with.
class ChildProcess : public QObject
{
    Q_OBJECT

public:
    explicit ChildProcess(QObject* parent = nullptr);
    ~ChildProcess() override;

    void start(const QString& program, const QStringList& arguments);

Q_SIGNALS:
    // The child's exit code; 128 + signal number when a signal ended it, and
    // 127 when it could not be started at all, as a shell reports them.
    void finished(int exit_code);

private:
    QProcess process;
};
