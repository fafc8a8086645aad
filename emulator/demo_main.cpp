// quadron-demo: runs quadron with an emulated amplifier, both found beside
// this executable. Arguments and environment pass through; so does the exit code.
// The demo's copy is a program of its own: another instance than a real copy that may run
// beside it, and settings of its own.

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    QByteArray dir;
    {
        const QCoreApplication app(argc, argv);
        dir = QFile::encodeName(QCoreApplication::applicationDirPath());
    }
    const QByteArray emulator = dir + "/quadron-emulator";
    const QByteArray program = dir + "/quadron";

    std::vector<char*> arguments;
    arguments.push_back(const_cast<char*>(emulator.constData()));
    arguments.push_back(const_cast<char*>("--"));
    arguments.push_back(const_cast<char*>(program.constData()));
    arguments.push_back(const_cast<char*>("--demo"));
    for (int i = 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);

    ::execv(emulator.constData(), arguments.data());
    std::perror("quadron-demo: cannot run quadron-emulator");
    return 127;
}
