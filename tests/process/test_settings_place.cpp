// Where a copy that cannot write beside its executable keeps its settings: in the per-user
// directory the README names, taking over once what an earlier start kept in one named after
// the executable. Run as another user, for whom the copy's directory is read-only.
#include "process_test_support.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTest>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

using namespace process_test;

class TestSettingsPlace : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void the_documented_place_data()
    {
        QTest::addColumn<int>("documented"); // volume-up key in each file beforehand; 0: none
        QTest::addColumn<int>("misplaced");
        QTest::addColumn<int>("kept"); // in the documented file afterwards
        QTest::newRow("first start") << 0 << 0 << 66;
        QTest::newRow("an edited file") << 70 << 0 << 70;
        QTest::newRow("taken over") << 0 << 71 << 71;
        QTest::newRow("taken over once") << 70 << 71 << 70;
    }
    void the_documented_place()
    {
        QFETCH(int, documented);
        QFETCH(int, misplaced);
        QFETCH(int, kept);
        if (::geteuid() != 0)
            QSKIP("needs root to act as another user");
        QuadronCopy copy;
        QTemporaryDir scratch;
        QVERIFY(copy.is_valid() && copy.open_to_others());
        const QDir home(scratch.filePath(QStringLiteral("home")));
        const QString right =
                          home.filePath(QStringLiteral(".config/TOLVEN LABS/Quadron/config.ini")),
                      wrong = home.filePath(QStringLiteral(".config/quadron/config.ini"));
        for (const auto& [path, key] : {std::pair{right, documented}, {wrong, misplaced}}) {
            if (key)
                QSettings(path, QSettings::IniFormat)
                    .setValue(QStringLiteral("HotKeys/volume_up_global_hot_key"), key);
        }
        QCOMPARE(QProcess::execute(QStringLiteral("sh"),
                                   {QStringLiteral("-ec"),
                                    QStringLiteral("cd \"$0\"; chmod 711 .; mkdir -p -m 700 home run; "
                                                   "chown -R nobody: home run"),
                                    scratch.path()}),
                 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_DATA_HOME"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                           scratch.filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        ProcessPool pool;
        QProcess* program =
            pool.start(QStringLiteral("setpriv"),
                       {QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                        QStringLiteral("--clear-groups"), copy.executable()},
                       environment, QProcess::SeparateChannels);
        const QDir run(scratch.filePath(QStringLiteral("run")));
        QTRY_VERIFY_WITH_TIMEOUT(
            !run.entryList({QStringLiteral("*.socket")}, QDir::System).isEmpty(), start_up_ms);
        ::kill(pid_t(program->processId()), SIGTERM);
        QVERIFY(program->waitForFinished(5000));
        QCOMPARE(program->exitCode(), 0);
        QCOMPARE(QSettings(right, QSettings::IniFormat)
                     .value(QStringLiteral("HotKeys/volume_up_global_hot_key"))
                     .toInt(),
                 kept);
        QCOMPARE(QFile::exists(wrong), misplaced != 0); // left, and never written anew
        QCOMPARE(program->readAllStandardError().count("are taken over into"),
                 misplaced && !documented ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestSettingsPlace)
#include "test_settings_place.moc"
