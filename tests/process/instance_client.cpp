// Talks to a running copy's instance socket the way a second copy does, so that a test can
// do it as another user.
//   socket-of <executable>   prints where that copy's socket is for this user
//   send <socket> <text>     exit 0: answered, 1: no connection, 2: no answer
#include "instance_guard.h"

#include <QCoreApplication>
#include <QLocalSocket>
#include <QTextStream>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() == 3 && arguments.at(1) == QLatin1String("socket-of")) {
        QTextStream(stdout) << InstanceGuard::identity_path(arguments.at(2))
                            << QLatin1String(".socket\n");
        return 0;
    }
    if (arguments.size() != 4 || arguments.at(1) != QLatin1String("send"))
        return 64;
    QLocalSocket socket;
    socket.connectToServer(arguments.at(2));
    if (!socket.waitForConnected(2000))
        return 1;
    socket.write(arguments.at(3).toUtf8() + '\n');
    if (!socket.waitForBytesWritten(2000))
        return 2;
    return socket.waitForReadyRead(3000) && socket.readAll().startsWith('\n') ? 0 : 2;
}
