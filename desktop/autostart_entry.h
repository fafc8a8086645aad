#pragma once

#include <QString>

// The desktop's autostart list: an XDG autostart entry that starts the program at the
// user's login. Failures are never reported.
class AutostartEntry
{
public:
    // $XDG_CONFIG_HOME/autostart/brenvik-quadron.desktop (~/.config/autostart by default).
    static QString entry_path();

    // On: creates or replaces the entry so that it starts executable_path; off: removes it.
    static void set_enabled(bool on, const QString& executable_path);

    // The entry's whole text for executable_path.
    static QString entry_text(const QString& executable_path);
    // The Exec value that starts executable_path and nothing else, whatever characters
    // the path holds.
    static QString exec_value(const QString& executable_path);
};
