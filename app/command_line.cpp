#include "command_line.h"

#include <QCommandLineParser>

namespace {

// Action options, each with what it does; also the messages sent to the running copy.
const struct
{
    const char* name;
    const char* description;
} actions[] = {
    {"volume-up", "Raise the volume (or the faders), as the volume-up hot key does."},
    {"volume-down", "Lower the volume (or the faders), as the volume-down hot key does."},
    {"subwoofer-up", "Raise the subwoofer level, as its hot key does."},
    {"subwoofer-down", "Lower the subwoofer level, as its hot key does."},
    {"show", "Show the running copy's window."},
    {"status", "Print what the running copy knows, one \"key: value\" line each."},
};

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
        QStringLiteral("Brenvik Quadron keeps a USB car-audio amplifier in step with its window "
                       "in the system tray.\nWithout options it starts, or shows the copy that "
                       "runs already; an option is handed to that copy."));
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addHelpOption();
    parser.addVersionOption();
    for (const auto& action : actions)
        parser.addOption(
            {QString::fromLatin1(action.name), QString::fromLatin1(action.description)});
    QCommandLineOption demo(QStringLiteral("demo"),
                            QStringLiteral("The demo's copy (started by quadron-demo)."));
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
    if (!parser.positionalArguments().isEmpty()) {
        line.kind = Kind::usage_error;
        line.error =
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first());
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
    for (const auto& action : actions) {
        if (parser.isSet(QString::fromLatin1(action.name)))
            chosen.append(QStringLiteral("--") + QString::fromLatin1(action.name));
    }
    if (chosen.size() > 1) {
        line.kind = Kind::usage_error;
        line.error =
            QStringLiteral("one action at a time: %1").arg(chosen.join(QStringLiteral(", ")));
    } else if (chosen.size() == 1) {
        line.kind = Kind::send;
        line.message = chosen.first();
    }
    return line;
}

QString CommandLine::help_text()
{
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText();
}

const QStringList& CommandLine::action_messages()
{
    static const QStringList messages{QStringLiteral("--volume-up"),
                                      QStringLiteral("--volume-down"),
                                      QStringLiteral("--subwoofer-up"),
                                      QStringLiteral("--subwoofer-down"), QStringLiteral("--show")};
    return messages;
}

QString CommandLine::status_message()
{
    return QStringLiteral("--status");
}
