#include "app_settings.h"
#include "command_line.h"
#include "command_reply.h"
#include "exit_codes.h"
#include "instance_guard.h"
#include "program_identity.h"
#include "quadron_core.h"
#include "termination_signals.h"
#include "ui_language.h"

#include <QApplication>
#include <QMessageBox>

#include <cstdio>

namespace {

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
    ui_language::install(app);
    const QString version = QLatin1String(program_identity::version);
    QCoreApplication::setApplicationVersion(version);
    switch (command.kind) {
    case CommandLine::Kind::help:
        print(stdout, CommandLine::help_text());
        return exit_codes::ok;
    case CommandLine::Kind::version:
        print(stdout, QStringLiteral("quadron %1\n").arg(version));
        return exit_codes::ok;
    case CommandLine::Kind::usage_error:
        // Read again now that the catalogue is in: the first reading chose the application.
        print(stderr, CommandLine::tr("quadron: %1 (see quadron --help)\n")
                          .arg(CommandLine::parse(arguments_of(argc, argv)).error));
        return exit_codes::usage;
    case CommandLine::Kind::send:
    case CommandLine::Kind::stream:
    case CommandLine::Kind::run:
        break;
    }
    // Only the socket is asked: taking the lock, even for a moment, could make a copy that
    // starts just then take this command for a running copy and end.
    InstanceGuard instance(QCoreApplication::applicationFilePath(), instance_name(command));
    const QString option = command.message.section(QLatin1Char('\t'), 0, 0);
    const auto no_copy = [&option] {
        print(stderr, CommandLine::tr("quadron: no running copy of Brenvik Quadron to take %1\n")
                          .arg(option));
        return exit_codes::no_running_copy;
    };
    const auto unknown = [&option] {
        print(stderr, CommandLine::tr(
                          "quadron: the running copy does not know %1 (an older version? restart "
                          "it)\n")
                          .arg(option));
        return exit_codes::no_running_copy;
    };
    if (command.kind == CommandLine::Kind::stream) {
        // Lines go out as they come, until the copy ends or the command is interrupted.
        bool first = true, known = true;
        const bool reached =
            instance.receive_stream(command.message, 5000, [&](const QByteArray& line) {
                if (first) {
                    first = false;
                    known = CommandReply::decode(QString::fromUtf8(line) + u'\n').has_value();
                    return;
                }
                std::fwrite(line.constData(), 1, std::size_t(line.size()), stdout);
                std::fputc('\n', stdout);
                std::fflush(stdout);
            });
        if (!reached)
            return no_copy();
        return known && !first ? exit_codes::ok : unknown();
    }
    const InstanceGuard::Delivery delivery = instance.send_message(command.message, 5000, false);
    switch (delivery.outcome) {
    case InstanceGuard::Delivery::Outcome::no_copy:
        return no_copy();
    case InstanceGuard::Delivery::Outcome::no_answer:
        print(stderr, CommandLine::tr(
                          "quadron: the running copy of Brenvik Quadron did not answer %1 within 5 "
                          "s; it may still act on it\n")
                          .arg(option));
        return exit_codes::no_answer_in_time;
    case InstanceGuard::Delivery::Outcome::answered:
        break;
    }
    const std::optional<CommandReply> reply = CommandReply::decode(delivery.answer);
    if (!reply)
        return unknown();
    if (reply->exit_code == exit_codes::ok)
        print(stdout, reply->text);
    else
        print(stderr, QStringLiteral("quadron: ") + reply->text);
    return reply->exit_code;
}

} // namespace

int main(int argc, char* argv[])
{
    const CommandLine command = CommandLine::parse(arguments_of(argc, argv));
    if (command.kind != CommandLine::Kind::run)
        return answer_without_window(argc, argv, command);

    QApplication app(argc, argv);
    ui_language::install(app);
    // Before anything asks for the per-user settings directory, which is named after them.
    AppSettings::set_application_names();
    // Wayland compositors and portals know the program by its launcher's name.
    QGuiApplication::setDesktopFileName(
        QLatin1String(command.demo ? program_identity::demo_app_id : program_identity::app_id));
    // The window hides to the tray and the message boxes come and go; the program ends only
    // when the window says so, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    InstanceGuard instance(QCoreApplication::applicationFilePath(), instance_name(command));
    if (!instance.is_usable()) {
        const QString why = CommandLine::tr("No private directory for the single-instance lock: %1")
                                .arg(instance.problem());
        print(stderr, QStringLiteral("quadron: %1\n").arg(why));
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Brenvik Quadron"),
                        QCoreApplication::translate("Widget", "Ошибка!"), QMessageBox::Ok);
        box.setInformativeText(QCoreApplication::translate(
            "Widget", "Негде хранить блокировку единственного экземпляра программы."));
        box.setDetailedText(why);
        box.exec();
        return exit_codes::no_private_dir;
    }
    // Taken over before this copy's socket appears: whoever can reach the copy (a script, the
    // session once the tray icon shows) may end it at once, and the request waits for the
    // event loop instead of killing the copy before it has kept its settings.
    TerminationSignals termination;
    if (instance.is_running()) {
        if (!instance.send_message(QLatin1String(InstanceGuard::show_message), 5000))
            print(stderr,
                  CommandLine::tr(
                      "quadron: the running copy of Brenvik Quadron did not answer within 5 s; "
                      "its window may still open\n"));
        return exit_codes::ok;
    }

    int result = 0;
    {
        QuadronCore core(PlatformServices::system(command.demo));
        core.serve(instance); // the core lets go of the guard when it goes
        QObject::connect(&termination, &TerminationSignals::termination_requested, &core,
                         &QuadronCore::request_exit);
        result = QApplication::exec();
    }
    return result;
}
