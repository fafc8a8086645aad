// Starts the floor program and the real program several times and prints what each costs:
// start-up to the tray icon and memory while hidden in the tray with no amplifier, CPU time,
// and against the emulated amplifier the memory while synchronising, hot-key latency to the
// amplifier and writes per second. Runs inside tools/with-desktop.
#include "response_curve.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

QElapsedTimer clock_since_start;

int setting(const char* name, int fallback)
{
    const int value = qEnvironmentVariableIntValue(name);
    return value > 0 ? value : fallback;
}

// True when a window titled title sits inside the tray host's panel.
bool tray_icon_shown(const QString& title)
{
    QProcess tree;
    tree.start(QStringLiteral("xwininfo"), {QStringLiteral("-root"), QStringLiteral("-tree")});
    tree.waitForFinished();
    int panel_indent = -1;
    const QString needle = QLatin1Char('"') + title + QStringLiteral("\":");
    for (const QByteArray& raw : tree.readAllStandardOutput().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        const int indent = int(line.size() - line.trimmed().size());
        if (line.contains(QStringLiteral("(\"panel\" \"trayer\")"))) {
            panel_indent = indent;
            continue;
        }
        if (panel_indent >= 0 && indent <= panel_indent &&
            line.trimmed().startsWith(QStringLiteral("0x")))
            panel_indent = -1;
        if (panel_indent >= 0 && line.contains(needle))
            return true;
    }
    return false;
}

double wait_for_tray_icon(const QString& title, qint64 started_ms)
{
    while (clock_since_start.elapsed() - started_ms < 20000) {
        if (tray_icon_shown(title))
            return double(clock_since_start.elapsed() - started_ms);
        QThread::msleep(5);
    }
    return -1;
}

QList<QByteArray> proc_fields(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = stat.readAll();
    return text.mid(text.lastIndexOf(')') + 2).split(' ');
}

double cpu_seconds(qint64 pid)
{
    const QList<QByteArray> f = proc_fields(pid); // f[0] is field 3 of the stat line
    if (f.size() < 13)
        return 0;
    return double(f[11].toLongLong() + f[12].toLongLong()) / double(sysconf(_SC_CLK_TCK));
}

// A memory figure of /proc/<pid>/status in MiB: VmRSS now, VmHWM the peak so far.
double memory_mib(qint64 pid, const QByteArray& field = QByteArrayLiteral("VmRSS:"))
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Proportional set size: shared pages count in part, as a desktop's memory tools show it.
double pss_mib(qint64 pid)
{
    QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(pid));
    if (!rollup.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : rollup.readAll().split('\n')) {
        if (line.startsWith("Pss:"))
            return line.mid(4).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

// Start-up to the tray icon, several times: one start is at the mercy of the scheduler.
void start_ups(const QString& program, const QString& title, QList<double>& samples)
{
    for (int i = 0; i < 5; ++i) {
        QProcess process;
        const qint64 started = clock_since_start.elapsed();
        process.start(program);
        samples.append(wait_for_tray_icon(title, started));
        process.terminate();
        process.waitForFinished();
    }
}

double cpu_per_minute(qint64 pid, int seconds)
{
    const double before = cpu_seconds(pid);
    QThread::sleep(seconds);
    return (cpu_seconds(pid) - before) * 60.0 / seconds;
}

qint64 child_of(qint64 parent)
{
    QFile children(QStringLiteral("/proc/%1/task/%1/children").arg(parent));
    if (!children.open(QIODevice::ReadOnly))
        return 0;
    return children.readAll().trimmed().split(' ').first().toLongLong();
}

struct LogLine
{
    qint64 ms;
    int command;
    QByteArray payload;
};

QList<LogLine> read_log(const QString& path, qint64* offset = nullptr)
{
    QList<LogLine> lines;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    if (offset)
        file.seek(*offset);
    const QByteArray text = file.readAll();
    const qsizetype complete = text.lastIndexOf('\n') + 1;
    if (offset)
        *offset += complete;
    for (const QByteArray& line : text.left(complete).split('\n')) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 3)
            lines.append({f[0].toLongLong(), f[1].toInt(), QByteArray::fromHex(f[2])});
    }
    return lines;
}

struct Figure
{
    const char* name;
    QList<double> floor;
    QList<double> quadron;
};

QString spread(QList<double> values, int decimals)
{
    if (values.isEmpty())
        return QStringLiteral("-");
    std::sort(values.begin(), values.end());
    const double median = values[values.size() / 2];
    return QStringLiteral("%1 (%2-%3)")
        .arg(median, 0, 'f', decimals)
        .arg(values.front(), 0, 'f', decimals)
        .arg(values.back(), 0, 'f', decimals);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values[values.size() / 2];
}

// What the response window computes for each drawing: every band and the sum at 500 points.
QList<double> curve_times_ms()
{
    response_curve::ToneSection section;
    section.bass = {response_curve::Band::Shape::peaking, 80, 6, 2};
    section.middle = {response_curve::Band::Shape::peaking, 1000, -4, 0.5};
    section.treble = {response_curve::Band::Shape::high_shelf, 12500, 3};
    section.has_sub_low_pass = true;
    section.sub_low_pass = {response_curve::Band::Shape::low_pass, 120, 0};
    QList<double> times;
    double sink = 0;
    for (int i = 0; i < 200; ++i) {
        section.bass.gain_db = i % 31 - 15; // no two computations alike
        QElapsedTimer timer;
        timer.start();
        const auto points = response_curve::response(
            section,
            response_curve::log_spaced(response_curve::low_hz, response_curve::high_hz, 500));
        times.append(double(timer.nsecsElapsed()) / 1e6);
        sink += points.back().sum_db;
    }
    if (sink == 1e300) // keeps the computation from being optimised away
        std::puts("");
    return times;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(
            stderr,
            "usage: quadron-bench <directory of quadron, quadron-emulator, quadron-floor>\n");
        return 2;
    }
    clock_since_start.start();
    const QDir bin(QString::fromLocal8Bit(argv[1]));
    const int runs = setting("BENCH_RUNS", 3);
    const int sync_seconds = setting("BENCH_SYNC_SECONDS", 60);
    const int idle_seconds = setting("BENCH_IDLE_SECONDS", 30);
    const int presses = setting("BENCH_PRESSES", 50);

    Figure start{"start to tray icon (ms)", {}, {}};
    Figure rss_start{"resident memory, hidden, no amplifier (MiB)", {}, {}};
    Figure pss_start{"proportional memory (Pss), hidden, no amplifier (MiB)", {}, {}};
    Figure rss_sync{"resident memory after synchronising, emulated (MiB)", {}, {}};
    Figure peak{"peak resident memory, emulated (MiB)", {}, {}};
    Figure cpu_sync{"CPU s/min, amplifier attached", {}, {}};
    Figure cpu_idle{"CPU s/min, no amplifier", {}, {}};
    Figure latency_median{"hot key to amplifier, median (ms)", {}, {}};
    Figure latency_worst{"hot key to amplifier, worst (ms)", {}, {}};
    Figure writes{"writes per second while connected", {}, {}};
    Figure set_median{"quadron --set volume to amplifier, median (ms)", {}, {}};
    Figure set_worst{"quadron --set volume to amplifier, worst (ms)", {}, {}};
    Figure set_process{"quadron --set process, start to exit, median (ms)", {}, {}};
    Figure bus_median{"D-Bus volume write to amplifier, median (ms)", {}, {}};
    Figure bus_worst{"D-Bus volume write to amplifier, worst (ms)", {}, {}};
    Figure plug_median{"plug-in to first command, median (ms)", {}, {}};
    Figure plug_worst{"plug-in to first command, worst (ms)", {}, {}};
    Figure curve{"nominal response, 500 points (ms)", {}, curve_times_ms()};

    for (int run = 0; run < runs; ++run) {
        std::fprintf(stderr, "run %d of %d\n", run + 1, runs);
        {
            start_ups(bin.filePath(QStringLiteral("quadron-floor")), QStringLiteral("Floor"),
                      start.floor);
            QProcess floor;
            floor.start(bin.filePath(QStringLiteral("quadron-floor")));
            wait_for_tray_icon(QStringLiteral("Floor"), clock_since_start.elapsed());
            QThread::sleep(2);
            rss_start.floor.append(memory_mib(floor.processId()));
            pss_start.floor.append(pss_mib(floor.processId()));
            cpu_idle.floor.append(cpu_per_minute(floor.processId(), idle_seconds));
            cpu_sync.floor.append(cpu_idle.floor.back());
            rss_sync.floor.append(memory_mib(floor.processId()));
            peak.floor.append(memory_mib(floor.processId(), QByteArrayLiteral("VmHWM:")));
            floor.terminate();
            floor.waitForFinished();
        }

        QTemporaryDir dir;
        const QString program = dir.filePath(QStringLiteral("quadron"));
        QFile::copy(bin.filePath(QStringLiteral("quadron")), program);
        const QString control = dir.filePath(QStringLiteral("amplifier.ini"));
        const QString log = dir.filePath(QStringLiteral("traffic.log"));
        {
            // On its own, as a user's session starts it: hidden in the tray, no amplifier.
            start_ups(program, QStringLiteral("Quadron"), start.quadron);
            QProcess alone;
            alone.start(program);
            wait_for_tray_icon(QStringLiteral("Quadron"), clock_since_start.elapsed());
            QThread::sleep(2);
            rss_start.quadron.append(memory_mib(alone.processId()));
            pss_start.quadron.append(pss_mib(alone.processId()));
            cpu_idle.quadron.append(cpu_per_minute(alone.processId(), idle_seconds));
            alone.terminate();
            alone.waitForFinished();
        }

        {
            QFile file(control);
            file.open(QIODevice::WriteOnly);
            QTextStream(&file) << "[amplifier]\ntraffic_log=" << log << '\n';
        }
        QProcess emulator;
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUADRON_EMULATOR"), control);
        emulator.setProcessEnvironment(environment);
        emulator.start(bin.filePath(QStringLiteral("quadron-emulator")),
                       {QStringLiteral("--"), program});
        emulator.waitForStarted();
        wait_for_tray_icon(QStringLiteral("Quadron"), clock_since_start.elapsed());
        QThread::sleep(2);
        const qint64 pid = child_of(emulator.processId());

        const qint64 first_ms = read_log(log).isEmpty() ? 0 : read_log(log).back().ms;
        cpu_sync.quadron.append(cpu_per_minute(pid, sync_seconds));
        rss_sync.quadron.append(memory_mib(pid));
        const QList<LogLine> traffic = read_log(log);
        const double span_s = double(traffic.back().ms - first_ms) / 1000.0;
        const auto in_window = std::count_if(traffic.begin(), traffic.end(), [&](const LogLine& l) {
            return l.command == 56 && l.ms > first_ms;
        });
        writes.quadron.append(double(in_window) / span_s);

        // Hot keys: the time from a press to the changed volume byte in the amplifier's traffic.
        QList<double> delays;
        qint64 offset = QFileInfo(log).size();
        int volume = static_cast<std::uint8_t>(traffic.back().payload[7]);
        for (int i = 0; i < presses; ++i) {
            QProcess::execute(QStringLiteral("xdotool"),
                              {QStringLiteral("key"), i % 2 ? QStringLiteral("ctrl+alt+c")
                                                            : QStringLiteral("ctrl+alt+b")});
            const qint64 pressed = clock_since_start.elapsed();
            bool seen = false;
            while (!seen && clock_since_start.elapsed() - pressed < 3000) {
                for (const LogLine& line : read_log(log, &offset)) {
                    const int value = static_cast<std::uint8_t>(line.payload[7]);
                    if (line.command == 56 && value != volume) {
                        volume = value;
                        seen = true;
                    }
                }
                if (!seen)
                    QThread::usleep(500);
            }
            delays.append(seen ? double(clock_since_start.elapsed() - pressed) : 3000.0);
        }
        latency_median.quadron.append(median(delays));
        latency_worst.quadron.append(*std::max_element(delays.begin(), delays.end()));

        // A script's change: from the command's start (or the D-Bus call) to the changed byte.
        const auto changed_within = [&](qint64 since) {
            while (clock_since_start.elapsed() - since < 3000) {
                for (const LogLine& line : read_log(log, &offset)) {
                    const int value = static_cast<std::uint8_t>(line.payload[7]);
                    if (line.command == 56 && value != volume) {
                        volume = value;
                        return double(clock_since_start.elapsed() - since);
                    }
                }
                QThread::usleep(500);
            }
            return 3000.0;
        };
        QList<double> set_delays, set_runs, bus_delays;
        offset = QFileInfo(log).size();
        // Each change waits a random part of a cycle first: one that follows the write just
        // seen would always wait a whole cycle, one that comes at random waits half of one.
        const auto at_random_phase = [] {
            QThread::msleep(QRandomGenerator::global()->bounded(100));
        };
        for (int i = 0; i < presses; ++i) {
            at_random_phase();
            const qint64 started = clock_since_start.elapsed();
            QProcess command;
            command.start(program, {QStringLiteral("--set"),
                                    QStringLiteral("volume=%1").arg(i % 2 ? -31 : -30)});
            command.waitForFinished();
            set_runs.append(double(clock_since_start.elapsed() - started));
            set_delays.append(changed_within(started));
        }
        QDBusConnection bus = QDBusConnection::sessionBus();
        for (int i = 0; i < presses; ++i) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.brenvik_quadron.Quadron"),
                QStringLiteral("/org/brenvik_quadron/Quadron"),
                QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
            call << QStringLiteral("org.brenvik_quadron.Quadron.Amplifier")
                 << QStringLiteral("volume")
                 << QVariant::fromValue(QDBusVariant(i % 2 ? -33 : -32));
            at_random_phase();
            const qint64 started = clock_since_start.elapsed();
            bus.call(call);
            bus_delays.append(changed_within(started));
        }
        set_median.quadron.append(median(set_delays));
        set_worst.quadron.append(*std::max_element(set_delays.begin(), set_delays.end()));
        set_process.quadron.append(median(set_runs));
        bus_median.quadron.append(median(bus_delays));
        bus_worst.quadron.append(*std::max_element(bus_delays.begin(), bus_delays.end()));

        // Plugging in: the time from the emulator's plug event to the identification it gets.
        const auto write_control = [&](bool attached) {
            QFile file(control);
            file.open(QIODevice::WriteOnly);
            QTextStream(&file) << "[amplifier]\nattached=" << (attached ? "true" : "false")
                               << "\ntraffic_log=" << log << '\n';
        };
        QList<double> plug_delays;
        const qint64 replugs_from = QFileInfo(log).size(); // not the plug at the emulator's start
        for (int i = 0; i < 10; ++i) {
            write_control(false);
            QThread::msleep(400);
            write_control(true);
            QThread::msleep(400);
        }
        {
            QFile file(log);
            file.open(QIODevice::ReadOnly);
            file.seek(replugs_from);
            qint64 plugged = -1;
            for (const QByteArray& line : file.readAll().split('\n')) {
                const QList<QByteArray> f = line.split(' ');
                if (f.size() == 2 && f[1] == "plugged")
                    plugged = f[0].toLongLong();
                else if (f.size() == 3 && f[1] == "54" && plugged >= 0) {
                    plug_delays.append(double(f[0].toLongLong() - plugged));
                    plugged = -1;
                }
            }
        }
        plug_median.quadron.append(median(plug_delays));
        plug_worst.quadron.append(
            plug_delays.isEmpty() ? -1 : *std::max_element(plug_delays.begin(), plug_delays.end()));

        peak.quadron.append(memory_mib(pid, QByteArrayLiteral("VmHWM:")));
        emulator.terminate();
        emulator.waitForFinished();
    }

    std::printf("%d runs each (start-up: 5 starts a run); median (min-max). Synchronising %d s, "
                "idle %d s, %d hot-key presses per run.\n\n",
                runs, sync_seconds, idle_seconds, presses);
    std::printf("\"Emulated\": under quadron-emulator, whose preload library (umockdev, GLib) "
                "sits in the program's memory too.\n\n");
    std::printf("| figure | floor | quadron | ratio |\n|---|---|---|---|\n");
    for (const Figure* f : {&start, &rss_start, &pss_start, &rss_sync, &peak, &cpu_sync, &cpu_idle,
                            &latency_median, &latency_worst, &set_median, &set_worst, &set_process,
                            &bus_median, &bus_worst, &writes, &plug_median, &plug_worst, &curve}) {
        const int decimals = f == &cpu_sync || f == &cpu_idle || f == &curve ? 3 : 1;
        const double floor_median = median(f->floor);
        const QString ratio = floor_median > 0
                                  ? QString::number(median(f->quadron) / floor_median, 'f', 2)
                                  : QStringLiteral("-");
        std::printf("| %s | %s | %s | %s |\n", f->name, qPrintable(spread(f->floor, decimals)),
                    qPrintable(spread(f->quadron, decimals)), qPrintable(ratio));
    }
    return 0;
}
