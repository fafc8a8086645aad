#pragma once

#include "amplifier_state.h"

#include <QJsonValue>
#include <QString>
#include <QVariant>

#include <optional>
#include <vector>

// The amplifier's settings, each declared once: its name (the form's object-name stem), what
// values it takes in the units the window shows, the variants that have it, and how it is read
// from and written to the state. The window's bindings, the command line, D-Bus and the preset
// files are all made from this table, so every way in obeys the same rules.
struct AmpSetting
{
    enum class Kind {
        level, // a whole number from min to max, in unit
        flag,  // yes or no
        choice // one of a list of items
    };
    // One item of a choice: its text (a number where it is one), the state's value for it, and
    // the VariantControl bits of the variants that do not offer it.
    struct Item
    {
        const char* text;
        int value;
        unsigned lacking = 0;
    };

    const char* name;
    Kind kind;
    const char* unit; // "dB", "Hz" or ""
    int min = 0;
    int max = 0;
    std::vector<Item> items;
    unsigned lacking = 0; // VariantControl bits of the variants that lack the whole setting
    int (*read)(const AmplifierState::Controls&) = nullptr;
    void (*write)(AmplifierState&, int) = nullptr;
    // A value that is already shown is no change, as a slider or box set to what it shows
    // says nothing (a channel read as muted stays so); a source chosen by buttons is written
    // even then, as clicking the checked button writes it (an input code without a button
    // stays until one is clicked).
    bool writes_shown_value = false;
    // The state's value of a choice that has no item (an input code without a button, or
    // none yet): shown as "none", never written.
    static constexpr int no_item = AmplifierState::no_input;

    bool available_on(int variant) const;
    bool item_available_on(const Item& item, int variant) const;
    const Item* item_with_value(int value) const;

    // What the value looks like to a person, a JSON reader and a D-Bus caller.
    QString text(int value) const;
    QJsonValue json(int value) const;
    QVariant dbus(int value) const;
    // The D-Bus signature of dbus()'s values: "i", "b" or "s".
    const char* dbus_signature() const;
    // What the setting accepts, for a refusal ("-79..15 dB", "yes or no", "flat, 80, 120, 160").
    QString accepted() const;

    // The state's value for a text, a JSON value or a D-Bus value; nothing if it is not one of
    // the setting's values.
    std::optional<int> parse(const QString& text) const;
    std::optional<int> from_json(const QJsonValue& value) const;
    std::optional<int> from_dbus(const QVariant& value) const;
};

// All settings, in the order the window shows them.
const std::vector<AmpSetting>& amp_settings();
const AmpSetting* find_amp_setting(const QString& name);

// A set of values to apply as one edit, checked against the table and the amplifier first.
struct SettingChange
{
    const AmpSetting* setting;
    int value;
};

struct SettingRefusal
{
    enum class Reason {
        none,
        unknown_name,   // no such setting
        bad_value,      // not one of the setting's values
        not_on_variant, // the connected amplifier lacks the setting or that value
        not_connected,  // no amplifier to change
        not_found,      // no preset of that name, or no file to read
        bad_file,       // a preset file that is not one (its file, key and reason said)
        cannot_write    // a preset file or its folder cannot be written
    };
    Reason reason = Reason::none;
    QString message; // one line naming the setting and what it accepts
    explicit operator bool() const { return reason != Reason::none; }
};

// Reads "name=value" words (the command line's --set) into changes; the first word that is
// not one refuses the whole set.
SettingRefusal parse_assignments(const QStringList& words, std::vector<SettingChange>* changes);
// Whether the state may take these changes now: an amplifier synchronising, of a variant that
// has every setting and value named.
SettingRefusal check_changes(const AmplifierState& state,
                             const std::vector<SettingChange>& changes);
// Applies them as one edit when check_changes allows it.
SettingRefusal apply_changes(AmplifierState& state, const std::vector<SettingChange>& changes);
