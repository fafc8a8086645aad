#pragma once

#include <QString>
#include <QTemporaryDir>

// A private copy of the program in a directory of its own: a separate instance identity and
// its own config.ini beside it.
class QuadronCopy
{
public:
    QuadronCopy();

    bool is_valid() const { return valid; }
    QString executable() const { return executable_path; }
    QString config_path() const { return dir.filePath(QStringLiteral("config.ini")); }
    // Lets other users run the copy.
    bool open_to_others() const;
    // Processes now running this copy, found through /proc.
    int running_processes() const;

private:
    QTemporaryDir dir;
    QString executable_path;
    bool valid = false;
};
