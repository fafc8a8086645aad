#include "instance_guard.h"
#include "termination_signals.h"
#include "widget.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    // The window hides to the tray and the message boxes come and go; the program ends only
    // when the window says so, with its own exit code.
    QApplication::setQuitOnLastWindowClosed(false);

    InstanceGuard instance(QCoreApplication::applicationFilePath());
    if (instance.is_running()) {
        instance.send_message(QCoreApplication::translate("Widget", "Rise up!"), 5000);
        return 0;
    }

    int result = 0;
    {
        // Taken over before the window puts up its tray icon: a session may end the program
        // as soon as the icon is seen, and the request waits until the event loop runs.
        TerminationSignals termination;
        Widget window;
        QObject::connect(&instance, &InstanceGuard::message_received, &window,
                         &Widget::message_arrived);
        QObject::connect(&termination, &TerminationSignals::termination_requested, &window,
                         &Widget::request_exit);
        result = QApplication::exec();
    }
    return result;
}
