#pragma once

#include "settings_values.h"

#include <QString>

// The settings file "config.ini": INI format, the autostart choice in [General] and the
// two configurable hot keys in [HotKeys]. A file that cannot be written, and a value that
// reads otherwise than it looks, are said once on the "quadron.desktop" logging category; the
// program goes on without them.
class AppSettings
{
public:
    // The organisation and the application the per-user configuration directory is named
    // after ("TOLVEN LABS/Quadron"); set on the application before default_path() is asked.
    static void set_application_names();
    // file_name ("config.ini") beside the executable when it can be written there, otherwise
    // in the per-user configuration directory of the program.
    static QString default_path(const QString& file_name);
    // Earlier starts that asked default_path() before the names were set kept the file in a
    // folder named after the executable (~/.config/quadron/config.ini). While path, in the
    // per-user directory, does not exist yet, such a file is copied there, once; the old one
    // stays, and the log says so.
    static void take_over_misplaced(const QString& path, const QString& file_name);
    // The decision behind default_path(), for any pair of directories.
    static QString choose_path(const QString& executable_dir, const QString& user_config_dir,
                               const QString& file_name);
    // Whether a file named file_name could be created or replaced in dir.
    static bool can_write_beside(const QString& dir, const QString& file_name);

    // Absent keys read as their defaults; a missing or unreadable file gives all defaults.
    static SettingsValues load(const QString& path);
    // Writes all five keys; keys and sections written by others stay in the file.
    static bool save(const QString& path, const SettingsValues& values);

    // Value conversions on reading: "autoload" is false for an empty text, "0" or "false"
    // in any letter case and true for any other text; a hot key value that is not a
    // decimal unsigned 32-bit number reads as 0. load() says in the log a hot key value that
    // is no such number and an "autoload" read as true that is no clear yes ("no", "off").
    static bool parse_bool(const QString& text);
    static quint32 parse_unsigned(const QString& text);
};
