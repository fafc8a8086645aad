#pragma once

#include "amp_settings.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(preset_log)

// A preset: a named set of setting values, kept as a small JSON file a person can read and
// write by hand:
//   {"format": 1, "name": "Night", "variant": "KARVO",
//    "settings": {"volume": -30, "bass_gain": 6, "treble_cf": 12500, "fl_mute": false}}
// The values are in the window's units, as the settings table reads them from JSON. A preset
// may hold only some settings; applying it changes only those.
struct Preset
{
    static constexpr int format = 1;
    static constexpr qint64 size_limit = 64 * 1024;

    QString name;
    int variant = 0;                   // the variant it was saved from; 0: not said
    std::vector<SettingChange> values; // in table order

    // The settings of the state that the variant has, with their current values; a choice
    // that shows no item (an input code without a button) is left out.
    static Preset of(const AmplifierState& state, const QString& name);

    // The file's text: indented, in table order.
    QByteArray json() const;
    // Reads a whole file's bytes; the first fault refuses it all, in one line naming the file
    // (as label), the key and the reason.
    static std::optional<Preset> read(const QByteArray& bytes, const QString& label,
                                      QString* refusal);

    // The values the variant takes, and the words for those it lacks ("sub", "input=1").
    struct Split
    {
        std::vector<SettingChange> applicable;
        QStringList skipped;
    };
    Split split_for(int connected_variant) const;
    // Whether the state shows every value of the preset the state's variant has (and at
    // least one).
    bool matches(const AmplifierState& state) const;
};

// The presets of one folder, one file each, named after the preset's name made safe for a
// file name; the name itself is kept inside. Every refusal is one line naming the file and
// the reason; nothing is touched when it is refused.
class PresetStore
{
public:
    explicit PresetStore(QString folder) : dir(std::move(folder)) {}

    // The per-user data folder of the program (the demo's copy has its own).
    static QString default_folder(bool demo);
    const QString& folder() const { return dir; }

    struct Entry
    {
        Preset preset;
        QString path;
    };
    // Every preset the folder holds, by name; files that are refused are said in the log once
    // each and left out.
    std::vector<Entry> list() const;
    // The preset by its name, or the refusal.
    std::optional<Entry> find(const QString& name, SettingRefusal* refusal) const;

    // Writes the preset under its name, replacing one of that name; a new one gets a file
    // name of its own.
    SettingRefusal save(const Preset& preset);
    SettingRefusal rename(const QString& name, const QString& new_name);
    SettingRefusal remove(const QString& name);

    // A name a person may give a preset: not empty, no line breaks or tabs.
    static SettingRefusal check_name(const QString& name);

private:
    QString file_for(const QString& name, const std::vector<Entry>& entries) const;

    QString dir;
    mutable QStringList said; // refused files already said in the log
};

// A whole file, at most Preset::size_limit bytes, read into bytes; or the refusal.
SettingRefusal read_preset_file(const QString& path, QByteArray* bytes);
// Writes the bytes atomically (a file is never left half-written).
SettingRefusal write_preset_file(const QString& path, const QByteArray& bytes);
