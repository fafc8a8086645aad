#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>

// What the command line asks for. With no options the program starts (or raises the copy that
// runs); an action option is handed to the running copy, which acts as for the hot key of the
// same name. The toolkit's own options (-platform, -display, -session, …) are let through.
struct CommandLine
{
    Q_DECLARE_TR_FUNCTIONS(CommandLine)

public:
    enum class Kind { run, help, version, send, stream, usage_error };

    Kind kind = Kind::run;
    // For send and stream: the message for the running copy, the option itself
    // ("--volume-up"), then its words, apart by tabs.
    QString message;
    // For usage_error: one line saying what is wrong.
    QString error;
    // The demo's copy: an instance and settings of its own.
    bool demo = false;

    static CommandLine parse(const QStringList& arguments);
    static QString help_text();
};
