#pragma once

#include <QString>

#include <optional>

// What the running copy answers to a command: the exit code the command ends with, and what it
// prints (on standard output after success, on standard error otherwise). On the instance
// channel it travels as the code on a line of its own, then the text.
struct CommandReply
{
    int exit_code = 0;
    QString text;

    QString encoded() const { return QString::number(exit_code) + QLatin1Char('\n') + text; }
    // Nothing for an answer that is not one (an empty answer comes from a copy that does not
    // know the command).
    static std::optional<CommandReply> decode(const QString& answer)
    {
        const qsizetype end = answer.indexOf(QLatin1Char('\n'));
        bool ok = false;
        const int code = answer.left(end).toInt(&ok);
        if (end < 0 || !ok)
            return std::nullopt;
        return CommandReply{code, answer.mid(end + 1)};
    }
};
