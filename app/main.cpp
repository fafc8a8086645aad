#include "command_line.h"
#include "instance_guard.h"
#include "program_identity.h"
#include "termination_signals.h"
#include "widget.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {

// Exit codes beside the window's own (0, 1, 2), after the BSD convention.
constexpr int exit_usage = 64;       // a command line the program does not understand
constexpr int exit_unavailable = 69; // no running copy to hand an action to
constexpr int exit_no_private_dir = 73;

QStringList arguments_of(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

QString instance_name(const CommandLine& command)
{
    return command.demo ? QStringLiteral("demo") : QString();
}

void print(std::FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// Help, version, usage errors and actions: no display and no window are needed for them.
int answer_without_window(int argc, char* argv[], const CommandLine& command)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral("1.03"));
    switch (command.kind) {
    case CommandLine::Kind::help:
        print(stdout, CommandLine::help_text());
        return 0;
    case CommandLine::Kind::version:
        print(stdout, QStringLiteral("quadron 1.03\n"));
        return 0;
    case CommandLine::Kind::usage_error:
        print(stderr, QStringLiteral("quadron: %1 (see quadron --help)\n").arg(command.error));
        return exit_usage;
    case CommandLine::Kind::send:
    case CommandLine::Kind::run:
        break;
    }
    // Only the socket is asked: taking the lock, even for a moment, could make a copy that
    // starts just then take this command for a running copy and end.
    InstanceGuard instance(QCoreApplication::applicationFilePath(), instance_name(command));
    const std::optional<QString> answer = instance.send_message(command.message, 5000, false);
    if (!answer) {
        print(stderr, QStringLiteral("quadron: no running copy of Brenvik Quadron to take %1\n")
                          .arg(command.message));
        return exit_unavailable;
    }
    print(stdout, *answer);
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const CommandLine command = CommandLine::parse(arguments_of(argc, argv));
    if (command.kind != CommandLine::Kind::run)
        return answer_without_window(argc, argv, command);

    QApplication app(argc, argv);
    // Wayland compositors and portals know the program by its launcher's name.
    QGuiApplication::setDesktopFileName(
        QLatin1String(command.demo ? program_identity::demo_app_id : program_identity::app_id));
    // The window hides to the tray and the message boxes come and go; the program ends only
    // when the window says so, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    InstanceGuard instance(QCoreApplication::applicationFilePath(), instance_name(command));
    if (!instance.is_usable()) {
        const QString why = QStringLiteral("No private directory for the single-instance lock: %1")
                                .arg(instance.problem());
        print(stderr, QStringLiteral("quadron: %1\n").arg(why));
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Brenvik Quadron"),
                        QCoreApplication::translate("Widget", "Ошибка!"), QMessageBox::Ok);
        box.setInformativeText(QCoreApplication::translate(
            "Widget", "Негде хранить блокировку единственного экземпляра программы."));
        box.setDetailedText(why);
        box.exec();
        return exit_no_private_dir;
    }
    if (instance.is_running()) {
        if (!instance.send_message(QCoreApplication::translate("Widget", "Rise up!"), 5000))
            print(stderr, QStringLiteral("quadron: the running copy did not answer\n"));
        return 0;
    }

    int result = 0;
    {
        // Taken over before the window puts up its tray icon: a session may end the program
        // as soon as the icon is seen, and the request waits until the event loop runs.
        TerminationSignals termination;
        Widget window(PlatformServices::system(command.demo), nullptr);
        instance.set_responder(
            [&window](const QString& message) { return window.answer(message); });
        QObject::connect(&termination, &TerminationSignals::termination_requested, &window,
                         &Widget::request_exit);
        result = QApplication::exec();
        instance.set_responder({}); // the window goes before the guard
    }
    return result;
}
