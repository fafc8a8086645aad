#include "autostart_entry.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

// An Exec value read back as a launcher must: string escapes first, then the argument
// quoting, then "%%". Only the shape the program writes is accepted: one quoted argument.
QStringList exec_arguments(const QString& value)
{
    const QString escaped = QStringLiteral("sntr\\"), plain = QStringLiteral(" \n\t\r\\");
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\')) {
            text += value[i];
            continue;
        }
        if (++i == value.size() || !escaped.contains(value[i]))
            return {};
        text += plain[escaped.indexOf(value[i])];
    }
    // Inside the quotes, exactly ", `, $ and \ are escaped, and nothing else may stand.
    static const QRegularExpression quoted(QStringLiteral(R"re(^"((?:[^"`$\\]|\\["`$\\])*)"$)re"));
    if (!quoted.match(text).hasMatch())
        return {};
    static const QRegularExpression escape(QStringLiteral(R"re(\\(.))re"));
    QString argument = text.mid(1, text.size() - 2).replace(escape, QStringLiteral("\\1"));
    if (argument.count(QLatin1Char('%')) != 2 * argument.count(QLatin1String("%%")))
        return {}; // a field code
    return {argument.replace(QLatin1String("%%"), QLatin1String("%"))};
}

QString exec_line(const QString& entry)
{
    QFile file(entry);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (line.startsWith(QLatin1String("Exec=")))
            return line.mid(5);
    }
    return {};
}

} // namespace

class TestAutostartEntry : public QObject
{
    Q_OBJECT
    QTemporaryDir config;
    QString entry() const
    {
        return config.filePath(QStringLiteral("autostart/brenvik-quadron.desktop"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        QCOMPARE(AutostartEntry::entry_path(), entry());
    }
    // Every case starts without the autostart directory.
    void init() { QVERIFY(QDir(config.filePath(QStringLiteral("autostart"))).removeRecursively()); }

    void starts_exactly_the_executable_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::newRow("plain") << QStringLiteral("bin");
        QTest::newRow("spaces") << QStringLiteral("my  car audio");
        QTest::newRow("double quotes") << QStringLiteral("say \"hi\"");
        QTest::newRow("single quotes") << QStringLiteral("it's 'quoted'");
        QTest::newRow("dollar") << QStringLiteral("$HOME ${PATH}");
        QTest::newRow("percent") << QStringLiteral("%f %U 100%");
        QTest::newRow("backslashes") << QStringLiteral("back\\slash \\\\ end\\");
        QTest::newRow("backticks") << QStringLiteral("`id` $(id)");
        QTest::newRow("Cyrillic") << QStringLiteral("Усилитель");
        QTest::newRow("tab and newline") << QStringLiteral("a\tb\nc");
        QTest::newRow("everything") << QStringLiteral("\\\"$`'% ;&|<>*?#~=()Ус");
    }
    void starts_exactly_the_executable()
    {
        QFETCH(QString, directory);
        QTemporaryDir place;
        QVERIFY(QDir(place.path()).mkpath(directory));
        const QString executable =
            place.path() + QLatin1Char('/') + directory + QStringLiteral("/quadron");

        AutostartEntry::set_enabled(true, executable);
        QProcess validator;
        validator.start(QStringLiteral("desktop-file-validate"), {entry()});
        QVERIFY(validator.waitForFinished(10000));
        QCOMPARE(validator.readAll(), QByteArray());
        QCOMPARE(validator.exitCode(), 0);
        QCOMPARE(exec_arguments(exec_line(entry())), QStringList{executable});

        // A real launcher must start that very file. GLib looks the program up before it
        // expands "%%", so it cannot start a path holding '%' at all.
        if (directory.contains(QLatin1Char('%')))
            return;
        const QString marker = place.filePath(QStringLiteral("started"));
        QFile script(executable);
        QVERIFY(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nprintf '%s' \"$0\" > \"$QUADRON_MARKER\"\n");
        script.close();
        QVERIFY(script.setPermissions(script.permissions() | QFile::ExeOwner));
        QProcess launcher;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QUADRON_MARKER"), marker);
        launcher.setProcessEnvironment(environment);
        launcher.start(QStringLiteral("gio"), {QStringLiteral("launch"), entry()});
        QVERIFY(launcher.waitForFinished(10000));
        QCOMPARE(launcher.exitCode(), 0);
        QFile started(marker);
        QTRY_VERIFY_WITH_TIMEOUT(started.size() > 0, 5000);
        QVERIFY(started.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(started.readAll()), executable);
    }

    void replaced_then_removed()
    {
        AutostartEntry::set_enabled(true, QStringLiteral("/old place/quadron"));
        AutostartEntry::set_enabled(true, QStringLiteral("/new place/quadron"));
        QCOMPARE(exec_arguments(exec_line(entry())),
                 QStringList{QStringLiteral("/new place/quadron")});
        const QDir autostart(config.filePath(QStringLiteral("autostart")));
        QCOMPARE(autostart.entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("brenvik-quadron.desktop")});
        AutostartEntry::set_enabled(false, QStringLiteral("/new place/quadron"));
        QVERIFY(!QFile::exists(entry()));
        AutostartEntry::set_enabled(false, QStringLiteral("/new place/quadron"));
        QVERIFY(autostart.isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    }

    void disabling_without_an_entry_creates_nothing()
    {
        AutostartEntry::set_enabled(false, QStringLiteral("/usr/bin/quadron"));
        QVERIFY(!QFile::exists(config.filePath(QStringLiteral("autostart"))));
    }
};

QTEST_GUILESS_MAIN(TestAutostartEntry)
#include "test_autostart_entry.moc"
