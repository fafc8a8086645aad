#include "autostart_entry.h"

#include <glib.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// The entry's Exec value as a launcher reads it: the key file's string escapes, then the
// quoting, then "%%"; a lone '%' would be a field code.
QStringList exec_arguments(const QString& path, QString* try_exec = nullptr)
{
    GKeyFile* file = g_key_file_new();
    const bool loaded = g_key_file_load_from_file(file, QFile::encodeName(path).constData(),
                                                  G_KEY_FILE_NONE, nullptr);
    gchar* exec = loaded ? g_key_file_get_string(file, "Desktop Entry", "Exec", nullptr) : nullptr;
    if (try_exec) {
        gchar* value =
            loaded ? g_key_file_get_string(file, "Desktop Entry", "TryExec", nullptr) : nullptr;
        *try_exec = QString::fromUtf8(value);
        g_free(value);
    }
    gchar** argv = nullptr;
    QStringList arguments;
    if (exec && g_shell_parse_argv(exec, nullptr, &argv, nullptr)) {
        for (gchar** argument = argv; *argument; ++argument) {
            QString text = QString::fromUtf8(*argument);
            arguments.append(text.count(u'%') == 2 * text.count(QLatin1String("%%"))
                                 ? text.replace(QLatin1String("%%"), QLatin1String("%"))
                                 : QStringLiteral("<field code>"));
        }
    }
    g_strfreev(argv);
    g_free(exec);
    g_key_file_free(file);
    return arguments;
}

} // namespace

class TestAutostartEntry : public QObject
{
    Q_OBJECT
    QTemporaryDir config;
    QString entry;
    const QString name = QStringLiteral("org.brenvik_quadron.Quadron.desktop");

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
        entry = config.filePath(QStringLiteral("autostart/org.brenvik_quadron.Quadron.desktop"));
        QCOMPARE(AutostartEntry::entry_path(name), entry);
    }
    void starts_exactly_the_executable_data()
    {
        QTest::addColumn<QString>("directory");
        QTest::newRow("plain") << QStringLiteral("/usr/bin");
        QTest::newRow("spaces") << QStringLiteral("/my  car audio");
        QTest::newRow("double quotes") << QStringLiteral("/say \"hi\"");
        QTest::newRow("single quotes") << QStringLiteral("/it's 'quoted'");
        QTest::newRow("dollar") << QStringLiteral("/$HOME ${PATH}");
        QTest::newRow("percent") << QStringLiteral("/%f %U 100%");
        QTest::newRow("backslashes") << QStringLiteral("/back\\slash \\\\ end\\");
        QTest::newRow("backticks") << QStringLiteral("/`id` $(id)");
        QTest::newRow("Cyrillic") << QStringLiteral("/Усилитель");
        QTest::newRow("tab and newline") << QStringLiteral("/a\tb\nc");
        QTest::newRow("everything") << QStringLiteral("/\\\"$`'% ;&|<>*?#~=()Ус");
    }
    void starts_exactly_the_executable()
    {
        QFETCH(QString, directory);
        const QString executable = directory + QStringLiteral("/quadron");
        // The first makes the directory, each later one replaces the entry.
        QVERIFY(AutostartEntry::set_enabled(true, executable, name));
        QCOMPARE(QDir(QFileInfo(entry).path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QFileInfo(entry).fileName()});
        QProcess validator;
        validator.start(QStringLiteral("desktop-file-validate"), {entry});
        QVERIFY(validator.waitForFinished(10000));
        QCOMPARE(validator.readAll(), QByteArray());
        QCOMPARE(validator.exitCode(), 0);
        QString try_exec;
        QCOMPARE(exec_arguments(entry, &try_exec), QStringList{executable});
        QCOMPARE(try_exec, executable);
    }

    // An entry that starts another executable is written anew, one whose arguments the user
    // added is kept; turning it off twice is no error, and a missing entry or directory stays
    // missing.
    void refreshed_and_removed()
    {
        const QString autostart = QFileInfo(entry).path();
        const QString moved = QStringLiteral("/opt/quadron/quadron");
        QVERIFY(AutostartEntry::set_enabled(true, QStringLiteral("/usr/bin/quadron"), name));
        AutostartEntry::refresh(moved, name);
        QCOMPARE(exec_arguments(entry), QStringList{moved});
        const QStringList sed{QStringLiteral("-i"), QStringLiteral("s/^Exec=.*/& -car/"), entry};
        QCOMPARE(QProcess::execute(QStringLiteral("sed"), sed), 0); // the user's own argument
        AutostartEntry::refresh(moved, name);
        QCOMPARE(exec_arguments(entry), (QStringList{moved, QStringLiteral("-car")}));
        QVERIFY(AutostartEntry::set_enabled(false, moved, name));
        QVERIFY(AutostartEntry::set_enabled(false, moved, name));
        AutostartEntry::refresh(moved, name);
        QVERIFY(QDir(autostart).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(QDir(autostart).removeRecursively());
        QVERIFY(AutostartEntry::set_enabled(false, moved, name));
        AutostartEntry::refresh(moved, name);
        QVERIFY(!QFile::exists(autostart));
    }

    // An entry an earlier version wrote under the package's name takes the app id's name,
    // what it starts unchanged; beside one of the current name it goes. Without one, nothing
    // is made.
    void a_former_entry_is_adopted()
    {
        const QString former_name = QStringLiteral("brenvik-quadron.desktop");
        const QString former = AutostartEntry::entry_path(former_name);
        AutostartEntry::adopt(former_name, name);
        QVERIFY(!QFile::exists(entry));
        QVERIFY(AutostartEntry::set_enabled(true, QStringLiteral("/usr/bin/quadron"), former_name));
        AutostartEntry::adopt(former_name, name);
        QVERIFY(!QFile::exists(former));
        QCOMPARE(exec_arguments(entry), QStringList{QStringLiteral("/usr/bin/quadron")});
        QVERIFY(AutostartEntry::set_enabled(true, QStringLiteral("/opt/quadron"), former_name));
        AutostartEntry::adopt(former_name, name);
        QVERIFY(!QFile::exists(former));
        QCOMPARE(exec_arguments(entry), QStringList{QStringLiteral("/usr/bin/quadron")});
        QVERIFY(AutostartEntry::set_enabled(false, {}, name));
    }
};

QTEST_GUILESS_MAIN(TestAutostartEntry)
#include "test_autostart_entry.moc"
