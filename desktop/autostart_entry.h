#pragma once

#include <QString>

// The desktop's autostart list: an XDG autostart entry that starts the program at the
// user's login. An entry that cannot be written is said once on the "quadron.desktop"
// logging category; the program goes on without it.
class AutostartEntry
{
public:
    // $XDG_CONFIG_HOME/autostart/<file_name> (~/.config/autostart by default).
    static QString entry_path(const QString& file_name);

    // On: creates or replaces the entry so that it starts executable_path; off: removes it.
    static bool set_enabled(bool on, const QString& executable_path, const QString& file_name);
    // An entry that exists but no longer starts executable_path (the program was moved, or
    // the entry comes from an older version) is written anew; a missing one stays missing.
    static void refresh(const QString& executable_path, const QString& file_name);

    // Whether the next logon starts the program through the entry named file_name: the user's
    // own, or else the first of the system's. Not when there is none, or when the desktop has
    // disabled it (Hidden=true, X-GNOME-Autostart-enabled=false); the log then says why.
    static bool starts_at_logon(const QString& file_name);
    // An entry under a file name an earlier version used takes the current name, so that it
    // goes on starting the program and the program's own box finds it; beside an entry of the
    // current name it is removed, as the session would start the program twice.
    static void adopt(const QString& former_file_name, const QString& file_name);

    // The entry's whole text for executable_path.
    static QString entry_text(const QString& executable_path);
    // The Exec value that starts executable_path and nothing else, whatever characters
    // the path holds.
    static QString exec_value(const QString& executable_path);
};
