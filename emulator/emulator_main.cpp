// quadron-emulator: runs a program with an emulated amplifier attached.
//
//   quadron-emulator [--] PROGRAM [ARGUMENTS...]
//
// The control file named by QUADRON_EMULATOR (if set) describes the amplifier
// and is followed while the program runs. The exit code is the program's.

#include "child_process.h"
#include "emulator.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {

constexpr char preload_soname[] = "libumockdev-preload.so.0";

QByteArray preload_library()
{
#ifdef QUADRON_UMOCKDEV_PRELOAD
    if (::access(QUADRON_UMOCKDEV_PRELOAD, R_OK) == 0)
        return QUADRON_UMOCKDEV_PRELOAD;
#endif
    return preload_soname; // left to the dynamic loader's search path
}

bool preload_is_loaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libumockdev-preload");
}

// Both the program and the emulator itself (whose uevents go through libudev)
// must see the testbed, so the emulator starts over with the preload library.
void run_with_preload(char** argv)
{
    const QByteArray current = qgetenv("LD_PRELOAD");
    if (current.contains("libumockdev-preload")) {
        if (preload_is_loaded())
            return;
        std::fprintf(stderr, "quadron-emulator: %s could not be preloaded\n", current.constData());
        std::exit(127);
    }
    const QByteArray library = preload_library();
    qputenv("LD_PRELOAD", current.isEmpty() ? library : current + ':' + library);
    // Under AddressSanitizer the preload library comes before the sanitizer's runtime.
    const QByteArray asan = qgetenv("ASAN_OPTIONS");
    qputenv("ASAN_OPTIONS", asan.isEmpty() ? QByteArray("verify_asan_link_order=0")
                                           : asan + ":verify_asan_link_order=0");
    ::execv("/proc/self/exe", argv);
    std::perror("quadron-emulator: restarting with the preload library");
    std::exit(127);
}

} // namespace

int main(int argc, char** argv)
{
    int first = 1;
    if (first < argc && QByteArray(argv[first]) == "--")
        ++first;
    if (first >= argc) {
        std::fprintf(stderr, "usage: quadron-emulator [--] PROGRAM [ARGUMENTS...]\n");
        return 2;
    }
    run_with_preload(argv);

    QCoreApplication app(argc, argv);
    const QString program = QFile::decodeName(argv[first]);
    QStringList arguments;
    for (int i = first + 1; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));

    Emulator emulator(qEnvironmentVariable("QUADRON_EMULATOR"));
    ChildProcess child;
    // Queued: a program that cannot be started is reported before the loop runs.
    QObject::connect(
        &child, &ChildProcess::finished, &app, [](int code) { QCoreApplication::exit(code); },
        Qt::QueuedConnection);
    child.start(program, arguments);
    return app.exec();
}
