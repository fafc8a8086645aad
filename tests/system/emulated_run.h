#pragma once

#include "x11_desktop.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <algorithm>
#include <functional>
#include <vector>

#include <unistd.h>

// The real program, copied into a scratch directory (its own settings file and single-instance
// identity), run under the emulated amplifier. The amplifier is steered through its control
// file and observed through its traffic log.
class EmulatedRun
{
public:
    struct Report
    {
        qint64 ms = 0;
        int command = 0;
        QByteArray payload; // report bytes 2..64
    };

    QTemporaryDir dir;
    QProcess process;
    // The program's error output goes to the test's own unless set otherwise before start().
    QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel;
    QString error_file; // where the error output goes, if not to the test's own

    struct Result
    {
        int code = -1;
        QString out;
        QString err;
    };

    explicit EmulatedRun(const QString& control_text = {})
    {
        program = dir.filePath(QStringLiteral("quadron"));
        QFile::copy(QStringLiteral(QUADRON_PATH), program);
        write_control(control_text);
    }

    ~EmulatedRun()
    {
        // An orderly end: the program writes its settings before its directory goes.
        if (process.state() != QProcess::NotRunning) {
            process.terminate();
            if (!process.waitForFinished(5000)) {
                process.kill();
                process.waitForFinished(5000);
            }
        }
    }

    QString control_path() const { return dir.filePath(QStringLiteral("amplifier.ini")); }
    QString log_path() const { return dir.filePath(QStringLiteral("traffic.log")); }
    QString program_path() const { return program; }
    QString data_path() const { return dir.filePath(QStringLiteral("data")); }
    QString presets_path() const
    {
        return data_path() + QStringLiteral("/TOLVEN LABS/Quadron/presets");
    }

    // Rewrites the control file; the traffic log line is always added.
    void write_control(const QString& amplifier_keys)
    {
        QSaveFile file(control_path());
        file.open(QIODevice::WriteOnly);
        file.write("[amplifier]\n");
        file.write(amplifier_keys.toUtf8());
        file.write("\ntraffic_log=" + log_path().toUtf8() + "\n");
        file.commit();
    }

    // as_nobody: the emulator and the program run as the unprivileged user nobody (when the
    // test runs as root), on no display, as for an amplifier only root could open.
    void start(const QStringList& arguments = {}, bool as_nobody = false)
    {
        QStringList command{QStringLiteral(EMULATOR_PATH), QStringLiteral("--"), program};
        if (as_nobody) {
            unprivileged = true;
            QDir(dir.path())
                .mkdir(QStringLiteral("run"),
                       QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            if (::geteuid() == 0) {
                QProcess::execute(QStringLiteral("chown"),
                                  {QStringLiteral("-R"), QStringLiteral("nobody:"), dir.path()});
                QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                      QFile::ExeOwner | QFile::ExeOther);
            }
        }
        process.setProcessEnvironment(environment());
        if (error_file.isEmpty())
            process.setProcessChannelMode(channels);
        else
            process.setStandardErrorFile(error_file);
        command = as_user() + command + arguments;
        process.start(command.takeFirst(), command);
        process.waitForStarted();
    }

    // The program copy started once more with arguments, as the same user; waits for its end.
    Result run_program(const QStringList& arguments) const
    {
        QProcess other;
        other.setProcessEnvironment(environment());
        QStringList command = as_user() + QStringList{program} + arguments;
        other.start(command.takeFirst(), command);
        other.waitForFinished(10000);
        return {other.exitStatus() == QProcess::NormalExit ? other.exitCode() : -1,
                QString::fromLocal8Bit(other.readAllStandardOutput()),
                QString::fromLocal8Bit(other.readAllStandardError())};
    }

    // The time the amplifier was last plugged in, by the emulator's clock.
    qint64 plugged_at() const
    {
        qint64 at = -1;
        QFile file(log_path());
        if (file.open(QIODevice::ReadOnly)) {
            for (const QByteArray& line : file.readAll().split('\n')) {
                if (line.endsWith(" plugged"))
                    at = line.split(' ').first().toLongLong();
            }
        }
        return at;
    }

    // True once the emulator (and so the program) has ended, within timeout_ms. It may have
    // ended already while the test's event loop ran.
    bool ended(int timeout_ms)
    {
        return process.state() == QProcess::NotRunning || process.waitForFinished(timeout_ms);
    }

    // Asks the program to end, as a session's end does, and waits for it to end in order: exit
    // code 0 and its settings written. Empty when it did; otherwise what happened instead.
    QString end_in_order(int timeout_ms = 5000 * QUADRON_TIME_FACTOR)
    {
        process.terminate();
        if (!process.waitForFinished(timeout_ms))
            return QStringLiteral("still running %1 ms after SIGTERM").arg(timeout_ms);
        if (process.exitStatus() != QProcess::NormalExit)
            return QStringLiteral("the emulator crashed");
        // The emulator ends with its child's code, or 128 + the signal that ended it.
        if (process.exitCode() != 0)
            return QStringLiteral("exit code %1").arg(process.exitCode());
        if (!QFile::exists(dir.filePath(QStringLiteral("config.ini"))))
            return QStringLiteral("ended without writing its settings");
        return {};
    }

    bool running()
    {
        process.waitForFinished(1);
        return process.state() == QProcess::Running;
    }

    std::vector<Report> traffic() const
    {
        std::vector<Report> reports;
        QFile file(log_path());
        if (!file.open(QIODevice::ReadOnly))
            return reports;
        for (const QByteArray& line : file.readAll().split('\n')) {
            const QList<QByteArray> fields = line.split(' ');
            if (fields.size() != 3 || fields[2].size() != 126)
                continue;
            reports.push_back(
                {fields[0].toLongLong(), fields[1].toInt(), QByteArray::fromHex(fields[2])});
        }
        return reports;
    }

    // A byte of the image in the last write the amplifier received; -1 before any.
    int last_byte(int offset) const
    {
        const auto reports = traffic();
        return reports.empty() ? -1 : static_cast<std::uint8_t>(reports.back().payload[offset]);
    }
    // The value bytes of the volume and the subwoofer in the image.
    static constexpr int volume_offset = 7;
    static constexpr int sub_offset = 31;

    std::vector<int> commands() const
    {
        std::vector<int> codes;
        for (const auto& report : traffic())
            codes.push_back(report.command);
        return codes;
    }
    std::size_t count_of(int command) const
    {
        const auto codes = commands();
        return std::size_t(std::count(codes.begin(), codes.end(), command));
    }

    // Sanitizer builds run several times slower: the default wait scales with them.
    bool wait_for(const std::function<bool()>& condition,
                  int timeout_ms = 10000 * QUADRON_TIME_FACTOR) const
    {
        QDeadlineTimer deadline(timeout_ms);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QTest::qWait(20); // the test's own services (a stand-in logind) answer meanwhile
        }
        return true;
    }

    bool wait_for_writes(std::size_t count, int timeout_ms = 10000 * QUADRON_TIME_FACTOR) const
    {
        return wait_for([&] { return count_of(56) >= count; }, timeout_ms);
    }

    // Closes the error box the program shows (its only top-level window titled with the
    // application's name), as a user would with the window's close button, until the program
    // has ended. A close that arrives while the box is still coming up is simply repeated.
    bool close_message_box_until_finished(int timeout_ms = 20000)
    {
        X11Desktop desktop;
        QDeadlineTimer deadline(timeout_ms);
        while (!deadline.hasExpired()) {
            if (const qint64 pid = program_pid()) {
                for (quint32 box : desktop.shown_windows(QStringLiteral("Quadron"), pid))
                    desktop.close_window(box);
            }
            if (ended(200))
                return true;
        }
        return false;
    }

    // The program's process: the emulator's child.
    qint64 program_pid() const
    {
        const QString emulator = QString::number(process.processId());
        QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(emulator));
        if (!children.open(QIODevice::ReadOnly))
            return 0;
        return children.readAll().trimmed().split(' ').first().toLongLong();
    }

private:
    QProcessEnvironment environment() const
    {
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUADRON_EMULATOR"), control_path());
        // The presets of this run only.
        environment.insert(QStringLiteral("XDG_DATA_HOME"), data_path());
        if (unprivileged) {
            environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                               dir.filePath(QStringLiteral("run")));
            environment.insert(QStringLiteral("HOME"), dir.path());
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        }
        return environment;
    }
    QStringList as_user() const
    {
        if (!unprivileged || ::geteuid() != 0)
            return {};
        return {QStringLiteral("setpriv"), QStringLiteral("--reuid=nobody"),
                QStringLiteral("--regid=nogroup"), QStringLiteral("--clear-groups")};
    }

    QString program;
    bool unprivileged = false;
};
