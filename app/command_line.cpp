#include "command_line.h"

#include "amp_actions.h"
#include "amp_settings.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

// Options handed to the running copy, each with what it does; also its messages' first word.
struct Action
{
    const char* name;
    const char* description;
};
const Action copy_options[] = {
    {"show", QT_TRANSLATE_NOOP("CommandLine", "Show the running copy's window.")},
    {"status",
     QT_TRANSLATE_NOOP("CommandLine",
                       "Print what the running copy knows, one \"key: value\" line each.")},
    {"get", QT_TRANSLATE_NOOP(
                "CommandLine",
                "Print the settings named (all with none), one \"name: value\" line each, after "
                "the connection's fields.")},
    {"set",
     QT_TRANSLATE_NOOP(
         "CommandLine",
         "Change the settings given as NAME=VALUE words, all in one write to the amplifier.")},
    {"watch",
     QT_TRANSLATE_NOOP("CommandLine",
                       "Print each change of a setting or of the connection, until interrupted.")},
    {"response",
     QT_TRANSLATE_NOOP("CommandLine",
                       "Print the equalizer's nominal response (not a measurement) at the 31 "
                       "third-octave frequencies from 20 Hz to 20 kHz: the sum, each band and the "
                       "subwoofer's low-pass, in dB.")},
    {"undo",
     QT_TRANSLATE_NOOP("CommandLine", "Undo the last edit of the settings, whatever made it.")},
    {"redo", QT_TRANSLATE_NOOP("CommandLine", "Redo the edit last undone.")},
    {"presets", QT_TRANSLATE_NOOP("CommandLine", "Print the presets' names, one a line.")},
};

// The preset options take a value and maybe a word after it; files are handed to the running
// copy by their absolute paths, as it does not share this command's working directory.
struct PresetOption
{
    const char* name;
    const char* value_name;
    const char* description;
    int words;          // how many words follow the value
    bool words_needed;  // false: they may be left out
    bool value_is_file; // else the word is the file
};
const PresetOption preset_options[] = {
    {"preset", "NAME",
     QT_TRANSLATE_NOOP("CommandLine", "Apply the preset NAME, all in one write to the amplifier."),
     0, true, false},
    {"save-preset", "NAME",
     QT_TRANSLATE_NOOP("CommandLine",
                       "Save the current settings as the preset NAME (replacing one)."),
     0, true, false},
    {"export-preset", "NAME",
     QT_TRANSLATE_NOOP("CommandLine", "Write the preset NAME to the file given after it."), 1, true,
     false},
    {"import-preset", "FILE",
     QT_TRANSLATE_NOOP("CommandLine",
                       "Read a preset from FILE, under the name given after it or its own."),
     1, false, true},
};

// The words of a message to the running copy travel apart by a tab.
constexpr QChar word_separator = u'\t';

template <typename Visit> void for_each_option(Visit visit)
{
    for (const AmpAction& action : amp_actions)
        visit(Action{action.option, action.description});
    for (const Action& option : copy_options)
        visit(option);
}

// The toolkit's options a session manager or a user may pass; they are the toolkit's to read:
// QGuiApplication's and QApplication's, the xcb plugin's and X11's own. A value may also follow
// an equals sign ("-style=fusion", "-qmljsdebugger=port:1234").
const char* const toolkit_options_with_value[] = {
    "platform",    "platformpluginpath", "platformtheme", "plugin", "display", "session",
    "style",       "stylesheet",         "geometry",      "name",   "title",   "qwindowgeometry",
    "qwindowicon", "qwindowtitle",       "icon",          "visual", "ncols",   "im",
    "inputstyle",  "qmljsdebugger"};
const char* const toolkit_flags[] = {"reverse", "widgetcount", "sync",       "nograb",
                                     "dograb",  "cmap",        "testability"};

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        CommandLine::tr("Brenvik Quadron keeps a USB car-audio amplifier in step with its window "
                        "in the system tray.\nWithout options it starts, or shows the copy that "
                        "runs already; an option is handed to that copy."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    for_each_option([&parser](const Action& action) {
        parser.addOption({QString::fromLatin1(action.name), CommandLine::tr(action.description)});
    });
    for (const PresetOption& option : preset_options)
        parser.addOption({QString::fromLatin1(option.name), CommandLine::tr(option.description),
                          QString::fromLatin1(option.value_name)});
    parser.addOption({QStringLiteral("json"),
                      CommandLine::tr("With --get, --watch and --response: JSON objects, one a "
                                      "line; with --presets: a JSON list.")});
    parser.addPositionalArgument(QStringLiteral("NAME[=VALUE]"),
                                 CommandLine::tr("Settings for --get and --set."));
    QCommandLineOption demo(QStringLiteral("demo"),
                            CommandLine::tr("The demo's copy (started by quadron-demo)."));
    parser.addOption(demo);
    for (const char* name : toolkit_options_with_value) {
        QCommandLineOption option(QString::fromLatin1(name), QString(), QStringLiteral("value"));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
    for (const char* name : toolkit_flags) {
        QCommandLineOption option(QString::fromLatin1(name));
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    }
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments)
{
    QCommandLineParser parser;
    describe(parser);
    CommandLine line;
    if (!parser.parse(arguments)) {
        line.kind = Kind::usage_error;
        line.error = parser.errorText();
        return line;
    }
    line.demo = parser.isSet(QStringLiteral("demo"));
    if (parser.isSet(QStringLiteral("help"))) {
        line.kind = Kind::help;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.kind = Kind::version;
        return line;
    }
    QStringList chosen;
    for_each_option([&](const Action& action) {
        if (parser.isSet(QString::fromLatin1(action.name)))
            chosen.append(QStringLiteral("--") + QString::fromLatin1(action.name));
    });
    for (const PresetOption& preset : preset_options) {
        if (parser.isSet(QString::fromLatin1(preset.name)))
            chosen.append(QStringLiteral("--") + QString::fromLatin1(preset.name));
    }
    QStringList words = parser.positionalArguments();
    const auto refuse = [&line](const QString& why) {
        line.kind = Kind::usage_error;
        line.error = why;
        return line;
    };
    if (chosen.size() > 1)
        return refuse(tr("one action at a time: %1").arg(chosen.join(QStringLiteral(", "))));
    const QString option = chosen.value(0);
    const PresetOption* preset = nullptr;
    for (const PresetOption& candidate : preset_options) {
        if (option == QStringLiteral("--") + QString::fromLatin1(candidate.name))
            preset = &candidate;
    }
    if (preset) {
        if (words.size() > preset->words)
            return refuse(tr("unexpected argument '%1'").arg(words.at(preset->words)));
        if (preset->words_needed && words.size() < preset->words)
            return refuse(
                tr("%1 takes %2 and a file").arg(option, QLatin1String(preset->value_name)));
        words.prepend(parser.value(QString::fromLatin1(preset->name)));
        const int file = preset->value_is_file ? 0 : 1;
        if (preset->words > 0 && file < words.size())
            words[file] = QFileInfo(words[file]).absoluteFilePath();
    }
    const bool takes_words =
        option == QLatin1String("--get") || option == QLatin1String("--set") || preset;
    if (!words.isEmpty() && !takes_words)
        return refuse(tr("unexpected argument '%1'").arg(words.first()));
    const bool json = parser.isSet(QStringLiteral("json"));
    if (json && option != QLatin1String("--get") && option != QLatin1String("--watch") &&
        option != QLatin1String("--response") && option != QLatin1String("--presets"))
        return refuse(tr("--json goes with --get, --watch, --response or --presets"));
    for (const QString& word : words) {
        if (word.contains(word_separator) || word.contains(u'\n'))
            return refuse(tr("'%1' holds a tab or a line break").arg(word));
    }
    if (option == QLatin1String("--get")) {
        for (const QString& name : words) {
            if (!find_amp_setting(name))
                return refuse(tr("no setting named '%1'").arg(name));
        }
    }
    if (option == QLatin1String("--set")) {
        if (words.isEmpty())
            return refuse(tr("--set takes NAME=VALUE words"));
        std::vector<SettingChange> changes;
        if (const SettingRefusal refusal = parse_assignments(words, &changes))
            return refuse(refusal.message);
    }
    if (option.isEmpty())
        return line;
    line.kind = option == QLatin1String("--watch") ? Kind::stream : Kind::send;
    QStringList message{option};
    message += words;
    if (json)
        message.append(QStringLiteral("--json"));
    line.message = message.join(word_separator);
    return line;
}

QString CommandLine::help_text()
{
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText();
}
