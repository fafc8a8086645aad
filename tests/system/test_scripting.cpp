// Scripting the running copy: --get, --set and --watch on the command line and the D-Bus
// interface on the session bus, against the emulated amplifier; presets and undo driven the
// same way, and undo in the window with real mouse and key presses.
#include "amp_settings.h"
#include "combo_box_items.h"
#include "emulated_run.h"
#include "program_identity.h"
#include "ui_widget.h"

#include <QStyleOptionSlider>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QByteArray image_of(const EmulatedRun& run)
{
    const auto reports = run.traffic();
    return reports.empty() ? QByteArray() : reports.back().payload.left(38);
}

// The running copy's amplifier object on the test's session bus.
QDBusMessage bus_call(const QString& interface, const QString& member, const QVariantList& args)
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QLatin1String(program_identity::app_id), QStringLiteral("/org/brenvik_quadron/Quadron"),
        interface, member);
    call.setArguments(args);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
}

const QString amplifier_interface = QStringLiteral("org.brenvik_quadron.Quadron.Amplifier");
const QString properties = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage bus_set(const QString& name, const QVariant& value)
{
    return bus_call(properties, QStringLiteral("Set"),
                    {amplifier_interface, name, QVariant::fromValue(QDBusVariant(value))});
}

QVariant bus_get(const QString& name)
{
    const QDBusMessage reply =
        bus_call(properties, QStringLiteral("Get"), {amplifier_interface, name});
    return reply.arguments().value(0).value<QDBusVariant>().variant();
}

// A value of the setting other than the one shown now, and one other than that.
std::pair<int, int> two_other_values(const AmpSetting& setting, int now)
{
    std::vector<int> values{setting.min, setting.max, (setting.min + setting.max) / 2};
    if (setting.kind == AmpSetting::Kind::choice) {
        values.clear();
        for (const AmpSetting::Item& item : setting.items)
            values.push_back(item.value);
    }
    const int first = *std::find_if(values.begin(), values.end(), [&](int v) { return v != now; });
    const int second =
        *std::find_if(values.begin(), values.end(), [&](int v) { return v != first; });
    return {first, second};
}

// Every write since the first one counted holds one of these images, and the last the latter.
bool only_images(const EmulatedRun& run, std::size_t from, const QByteArray& before,
                 const QByteArray& after)
{
    const auto reports = run.traffic();
    for (std::size_t i = from; i < reports.size(); ++i) {
        const QByteArray image = reports[i].payload.left(38);
        if (image != before && image != after)
            return false;
    }
    return image_of(run) == after;
}

// Arguments as a shell splits simple ones.
QStringList words(const char* text)
{
    return QString::fromUtf8(text).split(u' ');
}

QStringList files_in(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files);
}

bool started_in_step(EmulatedRun& run, const QString& control = {})
{
    run.write_control(control);
    run.start();
    return run.wait_for([&] {
        return run.run_program({QStringLiteral("--status")})
            .out.startsWith(QStringLiteral("connected: yes"));
    });
}

} // namespace

// The names PropertiesChanged has told of.
class BusChanges : public QObject
{
    Q_OBJECT
public:
    QStringList names;
    const bool listening = QDBusConnection::sessionBus().connect(
        QLatin1String(program_identity::app_id), QStringLiteral("/org/brenvik_quadron/Quadron"),
        properties, QStringLiteral("PropertiesChanged"), this,
        SLOT(changed(QString, QVariantMap, QStringList)));
public Q_SLOTS:
    void changed(const QString&, const QVariantMap& values, const QStringList&)
    {
        names += values.keys();
    }
};

class TestScripting : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Two settings in one command are one write: no image with only one of them reaches the
    // amplifier, and nothing but their registers changes.
    void one_set_is_one_write()
    {
        EmulatedRun run;
        QVERIFY(started_in_step(run));
        QVERIFY(run.wait_for_writes(3));
        const QByteArray before = image_of(run);
        const std::size_t writes = run.traffic().size();
        const EmulatedRun::Result set = run.run_program(words("--set bass_gain=6 bass_cf=100"));
        QCOMPARE(set.code, 0);
        QCOMPARE(set.out, QString());
        QVERIFY(run.wait_for([&] { return image_of(run) != before; }, 2000));
        const QByteArray after = image_of(run);
        QVERIFY(only_images(run, writes, before, after));
        for (int offset = 0; offset < 38; ++offset) {
            if (offset != 2 * REG_BASS + 1 && offset != 2 * REG_FREQ_SELECT + 1)
                QCOMPARE(after[offset], before[offset]);
        }
        QCOMPARE(run.run_program(words("--get bass_gain bass_cf")).out,
                 QStringLiteral("bass_gain: 6\nbass_cf: 100\n"));
        const EmulatedRun::Result all = run.run_program(words("--get --json"));
        const QJsonObject object = QJsonDocument::fromJson(all.out.toUtf8()).object();
        QCOMPARE(object.size(), int(amp_settings().size()) + 3);
        QCOMPARE(object.value(QStringLiteral("bass_cf")).toInt(), 100);
        QCOMPARE(object.value(QStringLiteral("connected")).toBool(), true);
        // The curve of what was set: the bass's gain at its centre, every other band flat there.
        const QJsonObject curve =
            QJsonDocument::fromJson(run.run_program(words("--response --json")).out.toUtf8())
                .object();
        const QJsonArray hz = curve.value(QStringLiteral("hz")).toArray();
        QCOMPARE(hz.size(), 31);
        const int at_100 = int(hz.toVariantList().indexOf(100));
        QCOMPARE(curve.value(QStringLiteral("sum_db")).toArray().at(at_100).toDouble(), 6.0);
        QCOMPARE(curve.value(QStringLiteral("bass_db")).toArray().at(at_100).toDouble(), 6.0);
    }

    // On an amplifier without a subwoofer or input 1: the bus refuses as the command line does,
    // changing nothing. A preset saved by command is listed and told of, and applied over D-Bus
    // brings the saved bytes back in one write; a hand-written one applied by command changes
    // only what it holds that the amplifier has, and says the rest is skipped.
    void the_bus_refuses_and_presets_apply()
    {
        EmulatedRun run;
        QVERIFY(started_in_step(run, QStringLiteral("variant=3")));
        const QByteArray at_start = image_of(run);
        for (const auto& [name, value, error] :
             {std::tuple{"volume", QVariant(QStringLiteral("-30")), "InvalidArgs"}, // a text
              {"volume", QVariant(40), "InvalidArgs"},
              {"hard_mute", QVariant(1), "InvalidArgs"},
              {"sub", QVariant(-3), "Error.NotOnVariant"},
              {"connected", QVariant(false), "PropertyReadOnly"},
              {"loudness", QVariant(3), "UnknownProperty"}}) {
            const QDBusMessage reply = bus_set(QLatin1String(name), value);
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QVERIFY2(reply.errorName().endsWith(QLatin1String(error)),
                     qPrintable(reply.errorName()));
        }
        QVERIFY(run.wait_for_writes(run.count_of(56) + 3));
        QCOMPARE(image_of(run), at_start);
        QCOMPARE(bus_get(QStringLiteral("variant")).toString(), QStringLiteral("ELMIN"));
        QCOMPARE(bus_call(amplifier_interface, QStringLiteral("VolumeUp"), {}).type(),
                 QDBusMessage::ReplyMessage);
        QVERIFY(run.wait_for([&] { return image_of(run) != at_start; }, 2000));

        QCOMPARE(run.run_program(words("--set volume=-30 bass_gain=5 fl_mute=no")).code, 0);
        QVERIFY(run.wait_for_writes(run.count_of(56) + 2));
        const QByteArray saved = image_of(run);
        BusChanges bus;
        QVERIFY(bus.listening);
        QCOMPARE(run.run_program(words("--save-preset Day")).code, 0);
        QTRY_VERIFY(bus.names.contains(QStringLiteral("presets")));
        QCOMPARE(run.run_program({QStringLiteral("--presets")}).out, QStringLiteral("Day\n"));
        QCOMPARE(bus_get(QStringLiteral("presets")).toStringList(),
                 QStringList{QStringLiteral("Day")});
        QCOMPARE(run.run_program(words("--set volume=-10 bass_gain=-5 fl_mute=yes")).code, 0);
        QVERIFY(run.wait_for([&] { return image_of(run) != saved; }, 2000));
        QVERIFY(run.wait_for_writes(run.count_of(56) + 2));
        const QByteArray changed = image_of(run);
        std::size_t from = run.traffic().size();
        const QDBusMessage reply =
            bus_call(amplifier_interface, QStringLiteral("ApplyPreset"), {QStringLiteral("Day")});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(reply.arguments().value(0).toString(), QString());
        QVERIFY(run.wait_for([&] { return image_of(run) == saved; }, 2000));
        QVERIFY(run.wait_for_writes(run.count_of(56) + 2));
        QVERIFY(only_images(run, from, changed, saved));

        const QString file = run.dir.filePath(QStringLiteral("eq.json"));
        QFile hand_written(file);
        QVERIFY(hand_written.open(QIODevice::WriteOnly));
        hand_written.write(R"({"format": 1, "settings": )"
                           R"({"bass_gain": 6, "sub": -3, "fl_mute": true, "input": 1}})");
        hand_written.close();
        QCOMPARE(run.run_program({QStringLiteral("--import-preset"), file}).code, 0);
        QCOMPARE(files_in(run.presets_path()),
                 (QStringList{QStringLiteral("Day.json"), QStringLiteral("eq.json")}));
        from = run.traffic().size();
        const EmulatedRun::Result applied = run.run_program(words("--preset eq"));
        QCOMPARE(applied.code, 0);
        QCOMPARE(
            applied.out,
            QStringLiteral("preset 'eq': skipped what the ELMIN amplifier lacks: input=1, sub\n"));
        QVERIFY(run.wait_for([&] { return image_of(run) != saved; }, 2000));
        const QByteArray after = image_of(run);
        QVERIFY(only_images(run, from, saved, after));
        for (int offset = 0; offset < 38; ++offset) {
            if (offset != 2 * REG_BASS + 1 && offset != 2 * REG_FL + 1)
                QCOMPARE(after[offset], saved[offset]);
        }
        QCOMPARE(run.run_program(words("--get bass_gain fl_mute")).out,
                 QStringLiteral("bass_gain: 6\nfl_mute: yes\n"));
    }

    // Refused commands change nothing: not the amplifier, not the presets folder, and say why
    // in one line. FILE in the arguments is a file of the test's holding contents; "folder" a
    // presets folder that cannot be made.
    void refusals_change_nothing_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("says");
        const auto row = [](const char* name, const char* control, const QByteArray& contents,
                            const char* arguments, int code, const char* says) {
            QTest::newRow(name) << QString::fromLatin1(control) << contents << words(arguments)
                                << code << QString::fromUtf8(says);
        };
        row("unknown name", "", {}, "--set loudness=3", 64, "no setting named 'loudness'");
        row("above the range", "", {}, "--set volume=16", 64, "volume takes -79..15 dB");
        row("not a number", "", {}, "--set volume=loud", 64, "not 'loud'");
        row("not a flag", "", {}, "--set hard_mute=maybe", 64, "yes or no");
        row("not an item", "", {}, "--set bass_cf=90", 64, "60, 80, 100, 200 Hz");
        row("one bad word of two", "", {}, "--set bass_gain=3 fl=x", 64, "fl takes");
        row("nothing to set", "", {}, "--set", 64, "NAME=VALUE");
        row("get an unknown name", "", {}, "--get bass", 64, "no setting named 'bass'");
        row("ELMIN has no subwoofer", "variant=3", {}, "--set sub=-3", 65,
            "the ELMIN amplifier has no sub");
        row("ELMIN has no input 1", "variant=3", {}, "--set input=1", 65, "has no input 1");
        row("SOTRA has no rear source", "variant=5", {},
            "--set bass_gain=3 rear_speaker_source=sec", 65,
            "the SOTRA amplifier has no rear_speaker_source");
        row("set not connected", "attached=false", {}, "--set volume=-30", 74,
            "no amplifier is connected");
        // What a preset file may hold wrong is the preset reader's own test; here the file,
        // named relative to where the command runs, and its exit code.
        row("not JSON", "", "{\"format\": 1,", "--import-preset FILE", 65, "given.json: not JSON");
        row("out of range", "", R"({"format": 1, "settings": {"volume": 16}})",
            "--import-preset FILE", 65, "given.json: volume: takes -79..15 dB, not 16");
        row("missing file", "", {}, "--import-preset missing.json", 66,
            "missing.json: no such file");
        row("no such preset", "", {}, "--preset Day", 66, "no preset named 'Day'");
        row("unwritable folder", "", "folder", "--save-preset Day", 73,
            "the folder cannot be made");
        row("unwritable export", "", {}, "--export-preset Kept /proc/kept.json", 73,
            "/proc/kept.json: cannot be written");
        row("preset not connected", "attached=false", {}, "--preset Kept", 74,
            "no amplifier is connected; preset 'Kept' was not applied");
        row("undo not connected", "attached=false", {}, "--undo", 74,
            "no amplifier is connected; nothing was undone");
    }
    void refusals_change_nothing()
    {
        QFETCH(QString, control);
        QFETCH(QByteArray, contents);
        QFETCH(QStringList, arguments);
        QFETCH(int, exit_code);
        QFETCH(QString, says);
        const bool detached = control == QLatin1String("attached=false");
        EmulatedRun run;
        QVERIFY(started_in_step(run, detached ? QString() : control));
        QCOMPARE(run.run_program(words("--save-preset Kept")).code, 0);
        if (contents == "folder") {
            QVERIFY(QDir(run.presets_path()).removeRecursively());
            QFile blocker(run.presets_path());
            QVERIFY(blocker.open(QIODevice::WriteOnly));
        } else if (!contents.isEmpty()) {
            QFile given(run.dir.filePath(QStringLiteral("given.json")));
            QVERIFY(given.open(QIODevice::WriteOnly) && given.write(contents) == contents.size());
        }
        arguments.replaceInStrings(QStringLiteral("FILE"), QStringLiteral("given.json"));
        if (detached) {
            run.write_control(control);
            QVERIFY(run.wait_for([&] {
                return run.run_program({QStringLiteral("--status")})
                    .out.startsWith(QStringLiteral("connected: no"));
            }));
        }
        const QStringList presets = files_in(run.presets_path());
        if (!detached)
            QVERIFY(run.wait_for_writes(run.count_of(56) + 2));
        const std::size_t writes = run.count_of(56);
        const QByteArray before = image_of(run);
        QProcess command; // in the scratch folder, where the relative names are
        command.setWorkingDirectory(run.dir.path());
        auto environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_DATA_HOME"), run.data_path());
        command.setProcessEnvironment(environment);
        command.start(run.program_path(), arguments);
        QVERIFY(command.waitForFinished(10000));
        const QString err = QString::fromLocal8Bit(command.readAllStandardError());
        QCOMPARE(command.exitCode(), exit_code);
        QVERIFY2(err.contains(says), qPrintable(err));
        QCOMPARE(err.count(u'\n'), 1);
        QCOMPARE(command.readAllStandardOutput(), QByteArray());
        QCOMPARE(files_in(run.presets_path()), presets);
        if (detached) {
            QCOMPARE(run.count_of(56), writes);
        } else {
            QVERIFY(run.wait_for_writes(writes + 3));
            QCOMPARE(image_of(run), before);
        }
    }

    // A drag of the volume slider with the mouse is one step: Ctrl+Z takes it back whole, and
    // Ctrl+Shift+Z brings it again. A run of hot-key presses is one step too, a command's
    // change one of its own, a new connection starts the history afresh, and a drag on the
    // response curve is one step of two settings.
    void undo_and_redo_in_the_window_and_by_command()
    {
        EmulatedRun run;
        QVERIFY(started_in_step(run));
        QVERIFY(run.wait_for_writes(3));
        const qint64 pid = run.program_pid();
        QCOMPARE(run.run_program({QStringLiteral("--show")}).code, 0);
        X11Desktop desktop;
        const QString title =
            QStringLiteral("Brenvik Quadron v.") + QLatin1String(program_identity::version);
        QVERIFY(run.wait_for([&] { return desktop.shown_windows(title, pid).size() == 1; }));
        const quint32 window = desktop.shown_windows(title, pid).constFirst();
        const auto volume = [&] {
            return run.run_program(words("--get volume")).out.section(u' ', 1).trimmed().toInt();
        };
        const auto xdotool = [](const QString& arguments) {
            return QProcess::execute(QStringLiteral("xdotool"), arguments.split(u' ')) == 0;
        };
        const int start = volume();
        const int bass =
            run.run_program(words("--get bass_gain")).out.section(u' ', 1).trimmed().toInt();
        const QByteArray at_start = image_of(run);

        // Where the slider's handle is: the same form, laid out by the same style.
        QWidget form;
        Ui::Widget ui;
        ui.setupUi(&form);
        fill_combo_boxes(&ui);
        form.setFixedSize(form.minimumSizeHint());
        form.setAttribute(Qt::WA_DontShowOnScreen); // laid out, never mapped
        form.show();
        QSlider* slider = ui.volume_horizontalSlider;
        slider->setValue(start);
        QStyleOptionSlider option;
        option.initFrom(slider);
        option.orientation = slider->orientation();
        option.minimum = slider->minimum();
        option.maximum = slider->maximum();
        option.sliderPosition = option.sliderValue = start;
        option.tickPosition = slider->tickPosition();
        option.tickInterval = slider->tickInterval();
        const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                             QStyle::SC_SliderHandle, slider);
        const QPoint grip = slider->mapTo(&form, handle.center());
        QVERIFY(xdotool(QStringLiteral("mousemove --window %1 %2 %3 mousedown 1")
                            .arg(window)
                            .arg(grip.x())
                            .arg(grip.y())));
        for (int step = 1; step <= 6; ++step) {
            QVERIFY(xdotool(QStringLiteral("mousemove_relative 8 0")));
            QTest::qWait(50);
        }
        QVERIFY(xdotool(QStringLiteral("mouseup 1")));
        QVERIFY(run.wait_for([&] { return volume() > start + 3; }, 3000));
        const int dragged = volume();
        QVERIFY(run.wait_for([&] { return image_of(run) != at_start; }, 2000));
        const QByteArray after_drag = image_of(run);

        QVERIFY(xdotool(QStringLiteral("windowfocus --sync %1 key ctrl+z").arg(window)));
        QVERIFY(run.wait_for([&] { return volume() == start; }, 3000));
        QVERIFY(run.wait_for([&] { return image_of(run) == at_start; }, 2000));
        QVERIFY(xdotool(QStringLiteral("key ctrl+shift+z")));
        QVERIFY(run.wait_for([&] { return volume() == dragged; }, 3000));
        QVERIFY(run.wait_for([&] { return image_of(run) == after_drag; }, 2000));

        // Three hot-key presses in a row, then a command.
        QVERIFY(xdotool(QStringLiteral("key ctrl+alt+c ctrl+alt+c ctrl+alt+c")));
        QVERIFY(run.wait_for([&] { return volume() == dragged - 3; }, 3000));
        QCOMPARE(
            run.run_program({QStringLiteral("--set"), QStringLiteral("bass_gain=%1").arg(bass + 5)})
                .code,
            0);
        const QStringList undo{QStringLiteral("--undo")};
        const QStringList get{QStringLiteral("--get"), QStringLiteral("volume"),
                              QStringLiteral("bass_gain")};
        const auto shows = [&](int db, int bass_db) {
            return run.run_program(get).out ==
                   QStringLiteral("volume: %1\nbass_gain: %2\n").arg(db).arg(bass_db);
        };
        QCOMPARE(run.run_program(undo).code, 0);
        QVERIFY(shows(dragged - 3, bass));
        QCOMPARE(run.run_program(undo).code, 0);
        QVERIFY(shows(dragged, bass));
        QCOMPARE(run.run_program(undo).code, 0);
        QVERIFY(shows(start, bass));
        QCOMPARE(run.run_program(undo).out, QStringLiteral("nothing to undo\n"));
        QVERIFY(run.wait_for([&] { return image_of(run) == at_start; }, 2000));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(run.run_program({QStringLiteral("--redo")}).code, 0);
        QVERIFY(shows(dragged - 3, bass + 5));
        QCOMPARE(run.run_program({QStringLiteral("--redo")}).out,
                 QStringLiteral("nothing to redo\n"));

        run.write_control(QStringLiteral("attached=false"));
        QVERIFY(run.wait_for([&] {
            return run.run_program(undo).err.contains(QLatin1String("nothing was undone"));
        }));
        run.write_control({});
        QVERIFY(run.wait_for([&] {
            return run.run_program({QStringLiteral("--status")})
                .out.startsWith(QStringLiteral("connected: yes"));
        }));
        QCOMPARE(run.run_program(undo).out, QStringLiteral("nothing to undo\n"));

        // The bass handle dragged in the response window, opened with the panel's button at its
        // bottom right: centre frequency and gain reach the amplifier together, one step.
        QCOMPARE(run.run_program(words("--set bass_gain=0 bass_cf=60")).code, 0);
        QProcess geometry;
        geometry.start(QStringLiteral("xdotool"),
                       {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"),
                        QString::number(window)});
        QVERIFY(geometry.waitForFinished(5000));
        QMap<QString, int> shape;
        for (const QByteArray& line : geometry.readAllStandardOutput().split('\n'))
            shape[QString::fromLatin1(line.left(line.indexOf('=')))] =
                line.mid(line.indexOf('=') + 1).toInt();
        QVERIFY(xdotool(QStringLiteral("mousemove --window %1 %2 %3 click 1")
                            .arg(window)
                            .arg(shape[QStringLiteral("WIDTH")] - 60)
                            .arg(shape[QStringLiteral("HEIGHT")] - 18)));
        const QString curve_title = QStringLiteral("Brenvik Quadron: частотная характеристика");
        QVERIFY(run.wait_for([&] { return desktop.shown_windows(curve_title, pid).size() == 1; }));
        const quint32 curve = desktop.shown_windows(curve_title, pid).constFirst();
        std::pair<int, int> bass_handle{-1, -1};
        QVERIFY(run.wait_for([&] {
            bass_handle = desktop.centre_of_colour(curve, 0xc83c32); // its fill
            return bass_handle.first >= 0;
        }));
        const QByteArray before = image_of(run);
        const std::size_t from = run.traffic().size();
        // Right by about a quarter of a decade (60 Hz to about 110 Hz, which snaps to 100), up
        // by about 6 dB, pausing on the way so that cycles pass while the handle moves.
        const auto [x, y] = bass_handle;
        QVERIFY(xdotool(QStringLiteral("mousemove --window %1 %2 %3 mousedown 1 "
                                       "mousemove --window %1 %4 %5 sleep 0.3 "
                                       "mousemove --window %1 %6 %7 sleep 0.3 mouseup 1")
                            .arg(curve)
                            .arg(x)
                            .arg(y)
                            .arg(x + 30)
                            .arg(y - 20)
                            .arg(x + 60)
                            .arg(y - 55)));
        QVERIFY(run.wait_for([&] { return image_of(run) != before; }));
        const QByteArray after = image_of(run);
        QVERIFY(only_images(run, from, before, after));
        for (int offset = 0; offset < 38; ++offset) {
            if (offset != 2 * REG_BASS + 1 && offset != 2 * REG_FREQ_SELECT + 1)
                QCOMPARE(after[offset], before[offset]);
        }
        const QString dragged_bass = run.run_program(words("--get bass_cf bass_gain")).out;
        QVERIFY2(dragged_bass.startsWith(QStringLiteral("bass_cf: 100\nbass_gain: ")),
                 qPrintable(dragged_bass));
        const int gain = dragged_bass.section(u' ', -1).trimmed().toInt();
        QVERIFY2(gain >= 4 && gain <= 8, qPrintable(dragged_bass));
        QCOMPARE(run.run_program(undo).code, 0);
        QVERIFY(run.wait_for([&] { return image_of(run) == before; }, 2000));
    }

    // Every setting of the table is set by command and over D-Bus: both reach the amplifier as
    // the same bytes and read back. Every change, whatever made it (those, a hot key, an action
    // command, a replug), reaches --watch (text and JSON) and PropertiesChanged.
    void every_setting_by_command_and_by_bus_and_watched()
    {
        EmulatedRun run;
        QVERIFY(started_in_step(run));
        QVERIFY(run.wait_for_writes(3));
        QProcess text_watch, json_watch;
        text_watch.start(run.program_path(), {QStringLiteral("--watch")});
        json_watch.start(run.program_path(), {QStringLiteral("--watch"), QStringLiteral("--json")});
        QVERIFY(text_watch.waitForStarted() && json_watch.waitForStarted());
        BusChanges bus;
        QVERIFY(bus.listening);
        QTest::qWait(500); // both watchers are listening

        const auto says = [&](const QStringList& arguments, const QString& line) {
            return run.wait_for([&] { return run.run_program(arguments).out.contains(line); });
        };
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                                   {QStringLiteral("key"), QStringLiteral("ctrl+alt+c")}),
                 0);
        QCOMPARE(run.run_program({QStringLiteral("--subwoofer-up")}).code, 0);
        QVERIFY(says(words("--get volume sub"), QStringLiteral("volume: -21\nsub: 1\n")));
        QVERIFY(run.wait_for_writes(run.count_of(56) + 2)); // both written, before the walk
        QStringList lines{QStringLiteral("volume: -21\n"), QStringLiteral("sub: 1\n"),
                          QStringLiteral("connected: no\n"), QStringLiteral("connected: yes\n")};
        QStringList names{QStringLiteral("connected")};
        for (const AmpSetting& setting : amp_settings()) {
            const QString name = QLatin1String(setting.name);
            const QString shown = run.run_program({QStringLiteral("--get"), name}).out;
            const std::optional<int> now = setting.parse(shown.section(u' ', 1).trimmed());
            const auto [first, second] = two_other_values(setting, now.value_or(-1000));
            const QByteArray at_start = image_of(run);
            QCOMPARE(
                run.run_program({QStringLiteral("--set"), name + u'=' + setting.text(first)}).code,
                0);
            QVERIFY2(run.wait_for([&] { return image_of(run) != at_start; }, 2000), setting.name);
            const QByteArray by_command = image_of(run);
            QCOMPARE(run.run_program({QStringLiteral("--get"), name}).out,
                     name + QStringLiteral(": ") + setting.text(first) + u'\n');

            QCOMPARE(bus_set(name, setting.dbus(second)).type(), QDBusMessage::ReplyMessage);
            QVERIFY2(run.wait_for([&] { return image_of(run) != by_command; }, 2000), setting.name);
            QCOMPARE(bus_get(name), setting.dbus(second));
            QCOMPARE(bus_set(name, setting.dbus(first)).type(), QDBusMessage::ReplyMessage);
            QVERIFY2(run.wait_for([&] { return image_of(run) == by_command; }, 2000), setting.name);
            lines << name + QStringLiteral(": ") + setting.text(second) + u'\n';
            names << name;
        }
        run.write_control(QStringLiteral("attached=false"));
        QVERIFY(says(words("--status"), QStringLiteral("connected: no")));
        run.write_control({});
        QVERIFY(says(words("--status"), QStringLiteral("connected: yes")));
        QTest::qWait(300);

        QVERIFY(run.running());
        for (QProcess* watch : {&text_watch, &json_watch}) {
            QCOMPARE(watch->state(), QProcess::Running); // until interrupted
            watch->terminate();
            QVERIFY(watch->waitForFinished(5000));
        }
        const QString text = QString::fromUtf8(text_watch.readAllStandardOutput());
        for (const QString& line : std::as_const(lines))
            QVERIFY2(text.contains(line), qPrintable(line));
        QStringList json_keys;
        for (const QByteArray& line : json_watch.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                json_keys += QJsonDocument::fromJson(line).object().keys();
        }
        for (const QStringList* seen : {&json_keys, &bus.names}) {
            for (const QString& name : std::as_const(names))
                QVERIFY2(seen->contains(name), qPrintable(name));
        }
    }
};

QTEST_MAIN(TestScripting)
#include "test_scripting.moc"
