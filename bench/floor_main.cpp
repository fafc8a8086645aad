// The floor a tray program cannot go below: a tray icon, a hidden window, the event loop.
#include <QApplication>
#include <QIcon>
#include <QSystemTrayIcon>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Floor"));
    QWidget window;
    QSystemTrayIcon tray(QIcon(QStringLiteral(":/images/sounds.png")));
    tray.setToolTip(QStringLiteral("Floor"));
    tray.show();
    return QApplication::exec();
}
