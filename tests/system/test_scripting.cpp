// Scripting the running copy: --get, --set and --watch on the command line and the D-Bus
// interface on the session bus, against the emulated amplifier. Every setting of the table is
// walked: a value set by command and the same value set over D-Bus reach the amplifier as the
// same bytes, and both read it back.
#include "amp_settings.h"
#include "emulated_run.h"
#include "program_identity.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>
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
        const EmulatedRun::Result set =
            run.run_program({QStringLiteral("--set"), QStringLiteral("bass_gain=6"),
                             QStringLiteral("bass_cf=100")});
        QCOMPARE(set.code, 0);
        QCOMPARE(set.out, QString());
        QVERIFY(run.wait_for([&] { return image_of(run) != before; }, 2000));
        const QByteArray after = image_of(run);
        const auto reports = run.traffic();
        for (std::size_t i = writes; i < reports.size(); ++i) {
            const QByteArray image = reports[i].payload.left(38);
            QVERIFY(image == before || image == after);
        }
        for (int offset = 0; offset < 38; ++offset) {
            if (offset != 2 * REG_BASS + 1 && offset != 2 * REG_FREQ_SELECT + 1)
                QCOMPARE(after[offset], before[offset]);
        }
        QCOMPARE(run.run_program({QStringLiteral("--get"), QStringLiteral("bass_gain"),
                                  QStringLiteral("bass_cf")})
                     .out,
                 QStringLiteral("bass_gain: 6\nbass_cf: 100\n"));
        const EmulatedRun::Result all =
            run.run_program({QStringLiteral("--get"), QStringLiteral("--json")});
        const QJsonObject object = QJsonDocument::fromJson(all.out.toUtf8()).object();
        QCOMPARE(object.size(), int(amp_settings().size()) + 3);
        QCOMPARE(object.value(QStringLiteral("bass_cf")).toInt(), 100);
        QCOMPARE(object.value(QStringLiteral("connected")).toBool(), true);
        // The curve of what was set: the bass's gain at its centre, every other band flat there.
        const QJsonObject curve =
            QJsonDocument::fromJson(
                run.run_program({QStringLiteral("--response"), QStringLiteral("--json")})
                    .out.toUtf8())
                .object();
        const QJsonArray hz = curve.value(QStringLiteral("hz")).toArray();
        QCOMPARE(hz.size(), 31);
        const int at_100 = int(hz.toVariantList().indexOf(100));
        QCOMPARE(curve.value(QStringLiteral("sum_db")).toArray().at(at_100).toDouble(), 6.0);
        QCOMPARE(curve.value(QStringLiteral("bass_db")).toArray().at(at_100).toDouble(), 6.0);
    }

    void every_setting_by_command_and_by_bus()
    {
        EmulatedRun run;
        QVERIFY(started_in_step(run));
        QVERIFY(run.wait_for_writes(3));
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
        }
    }

    void refusals_change_nothing_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exit_code");
        QTest::addColumn<QString>("says");
        const auto row = [](const char* name, const char* control, const QStringList& arguments,
                            int code, const char* says) {
            QTest::newRow(name) << QString::fromLatin1(control) << arguments << code
                                << QString::fromLatin1(says);
        };
        const QString set = QStringLiteral("--set");
        row("unknown name", "", {set, QStringLiteral("loudness=3")}, 64,
            "no setting named 'loudness'");
        row("above the range", "", {set, QStringLiteral("volume=16")}, 64,
            "volume takes -79..15 dB");
        row("not a number", "", {set, QStringLiteral("volume=loud")}, 64, "not 'loud'");
        row("not a flag", "", {set, QStringLiteral("hard_mute=maybe")}, 64, "yes or no");
        row("not an item", "", {set, QStringLiteral("bass_cf=90")}, 64, "60, 80, 100, 200 Hz");
        row("one bad word of two", "", {set, QStringLiteral("bass_gain=3"), QStringLiteral("fl=x")},
            64, "fl takes");
        row("nothing to set", "", {set}, 64, "NAME=VALUE");
        row("get an unknown name", "", {QStringLiteral("--get"), QStringLiteral("bass")}, 64,
            "no setting named 'bass'");
        row("ELMIN has no subwoofer", "variant=3", {set, QStringLiteral("sub=-3")}, 65,
            "the ELMIN amplifier has no sub");
        row("ELMIN has no input 1", "variant=3", {set, QStringLiteral("input=1")}, 65,
            "has no input 1");
        row("SOTRA has no rear source", "variant=5",
            {set, QStringLiteral("bass_gain=3"), QStringLiteral("rear_speaker_source=sec")}, 65,
            "the SOTRA amplifier has no rear_speaker_source");
        row("not connected", "attached=false", {set, QStringLiteral("volume=-30")}, 74,
            "no amplifier is connected");
    }
    void refusals_change_nothing()
    {
        QFETCH(QString, control);
        QFETCH(QStringList, arguments);
        QFETCH(int, exit_code);
        QFETCH(QString, says);
        EmulatedRun run;
        run.write_control(control);
        run.start();
        if (control.startsWith(QLatin1String("attached=false")))
            QVERIFY(run.wait_for(
                [&] { return run.run_program({QStringLiteral("--status")}).code == 0; }));
        else
            QVERIFY(started_in_step(run, control));
        const std::size_t writes = run.count_of(56);
        const QByteArray before = image_of(run);
        const EmulatedRun::Result result = run.run_program(arguments);
        QCOMPARE(result.code, exit_code);
        QVERIFY2(result.err.contains(says), qPrintable(result.err));
        QCOMPARE(result.err.count(u'\n'), 1);
        QCOMPARE(result.out, QString());
        if (writes > 0) {
            QVERIFY(run.wait_for_writes(writes + 3));
            QCOMPARE(image_of(run), before);
        }
    }

    void the_bus_refuses_as_the_command_line_does()
    {
        EmulatedRun run;
        QVERIFY(started_in_step(run, QStringLiteral("variant=3")));
        const QByteArray before = image_of(run);
        const std::pair<QString, QVariant> writes[] = {
            {QStringLiteral("volume"), QStringLiteral("-30")}, // a text where a number goes
            {QStringLiteral("volume"), 40},
            {QStringLiteral("hard_mute"), 1},
            {QStringLiteral("sub"), -3},
            {QStringLiteral("connected"), false},
            {QStringLiteral("loudness"), 3},
        };
        const char* const errors[] = {"InvalidArgs",        "InvalidArgs",      "InvalidArgs",
                                      "Error.NotOnVariant", "PropertyReadOnly", "UnknownProperty"};
        for (std::size_t i = 0; i < std::size(writes); ++i) {
            const QDBusMessage reply = bus_set(writes[i].first, writes[i].second);
            QCOMPARE(reply.type(), QDBusMessage::ErrorMessage);
            QVERIFY2(reply.errorName().endsWith(QLatin1String(errors[i])),
                     qPrintable(reply.errorName()));
        }
        QVERIFY(run.wait_for_writes(run.count_of(56) + 3));
        QCOMPARE(image_of(run), before);
        QCOMPARE(bus_get(QStringLiteral("variant")).toString(), QStringLiteral("ELMIN"));
        QCOMPARE(bus_call(amplifier_interface, QStringLiteral("VolumeUp"), {}).type(),
                 QDBusMessage::ReplyMessage);
        QVERIFY(run.wait_for([&] { return image_of(run) != before; }, 2000));
    }

    // Every change, whatever made it, reaches --watch (text and JSON) and PropertiesChanged:
    // a hot key, an action command, a D-Bus write and a replug.
    void watchers_see_every_change()
    {
        EmulatedRun run;
        QVERIFY(started_in_step(run));
        QProcess text_watch, json_watch;
        text_watch.start(run.program_path(), {QStringLiteral("--watch")});
        json_watch.start(run.program_path(), {QStringLiteral("--watch"), QStringLiteral("--json")});
        QVERIFY(text_watch.waitForStarted() && json_watch.waitForStarted());
        BusChanges bus;
        QVERIFY(QDBusConnection::sessionBus().connect(
            QLatin1String(program_identity::app_id), QStringLiteral("/org/brenvik_quadron/Quadron"),
            properties, QStringLiteral("PropertiesChanged"), &bus,
            SLOT(changed(QString, QVariantMap, QStringList))));
        QTest::qWait(500); // both watchers are listening

        const auto says = [&](const QStringList& arguments, const QString& line) {
            return run.wait_for([&] { return run.run_program(arguments).out.contains(line); });
        };
        const QStringList status{QStringLiteral("--status")};
        QCOMPARE(QProcess::execute(QStringLiteral("xdotool"),
                                   {QStringLiteral("key"), QStringLiteral("ctrl+alt+c")}),
                 0);
        QVERIFY(says({QStringLiteral("--get"), QStringLiteral("volume")}, QStringLiteral("-21")));
        QCOMPARE(run.run_program({QStringLiteral("--subwoofer-up")}).code, 0);
        QCOMPARE(bus_set(QStringLiteral("bass_gain"), 3).type(), QDBusMessage::ReplyMessage);
        run.write_control(QStringLiteral("attached=false"));
        QVERIFY(says(status, QStringLiteral("connected: no")));
        run.write_control({});
        QVERIFY(says(status, QStringLiteral("connected: yes")));
        QTest::qWait(300);

        QVERIFY(run.running());
        for (QProcess* watch : {&text_watch, &json_watch}) {
            QCOMPARE(watch->state(), QProcess::Running); // until interrupted
            watch->terminate();
            QVERIFY(watch->waitForFinished(5000));
        }
        const QString text = QString::fromUtf8(text_watch.readAllStandardOutput());
        for (const char* line :
             {"volume: -21\n", "sub: 1\n", "bass_gain: 3\n", "connected: no\n", "connected: yes\n"})
            QVERIFY2(text.contains(QLatin1String(line)), qPrintable(text));
        QStringList json_keys;
        for (const QByteArray& line : json_watch.readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                json_keys += QJsonDocument::fromJson(line).object().keys();
        }
        for (const QStringList* seen : {&json_keys, &bus.names}) {
            for (const char* name : {"volume", "sub", "bass_gain", "connected"})
                QVERIFY2(seen->contains(QLatin1String(name)), qPrintable(seen->join(u' ')));
        }
    }
};

QTEST_GUILESS_MAIN(TestScripting)
#include "test_scripting.moc"
