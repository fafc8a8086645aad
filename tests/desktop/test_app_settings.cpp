#include "app_settings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

char* toString(const SettingsValues& v)
{
    const QByteArray text = QByteArray::number(v.autoload) + ' ' +
                            QByteArray::number(v.volume_up_fsModifiers) + ' ' +
                            QByteArray::number(v.volume_up_global_hot_key) + ' ' +
                            QByteArray::number(v.volume_down_fsModifiers) + ' ' +
                            QByteArray::number(v.volume_down_global_hot_key);
    return qstrdup(text.constData());
}

namespace {

QByteArray read_all(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write_all(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

} // namespace

class TestAppSettings : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    // A new file for every case: the toolkit caches settings files by size and time stamp,
    // which a quick rewrite of the same size does not change.
    int case_number = 0;
    QString path() const { return dir.filePath(QStringLiteral("%1/config.ini").arg(case_number)); }

private Q_SLOTS:
    void init() { QVERIFY(QDir(dir.path()).mkpath(QString::number(++case_number))); }

    void defaults_without_a_file()
    {
        QCOMPARE(AppSettings::load(path()), SettingsValues{});
        QVERIFY(!QFile::exists(path())); // reading never creates the file
        QVERIFY(write_all(path(), ""));
        QCOMPARE(AppSettings::load(path()), SettingsValues{});
    }

    void writes_the_five_keys()
    {
        SettingsValues values;
        values.autoload = true;
        AppSettings::save(path(), values);
        QCOMPARE(read_all(path()), QByteArray("[General]\n"
                                              "autoload=true\n"
                                              "\n"
                                              "[HotKeys]\n"
                                              "volume_down_fsModifiers=3\n"
                                              "volume_down_global_hot_key=67\n"
                                              "volume_up_fsModifiers=3\n"
                                              "volume_up_global_hot_key=66\n"));
    }

    void round_trip()
    {
        auto* random = QRandomGenerator::global();
        const quint32 edges[] = {0u, 1u, 0x42u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu};
        for (int i = 0; i < 200; ++i) {
            auto pick = [&] { return i < 6 ? edges[i] : random->generate(); };
            SettingsValues values;
            values.autoload = i % 2;
            values.volume_up_fsModifiers = pick();
            values.volume_up_global_hot_key = pick();
            values.volume_down_fsModifiers = pick();
            values.volume_down_global_hot_key = pick();
            AppSettings::save(path(), values);
            QCOMPARE(AppSettings::load(path()), values);
        }
    }

    void reads_unusual_autoload_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("expected");
        QTest::newRow("yes") << QByteArray("yes") << true;
        QTest::newRow("no") << QByteArray("no") << true;
        QTest::newRow("TRUE") << QByteArray("TRUE") << true;
        QTest::newRow("1") << QByteArray("1") << true;
        QTest::newRow("list") << QByteArray("false, false") << true;
        QTest::newRow("False") << QByteArray("False") << false;
        QTest::newRow("FALSE padded") << QByteArray("  FALSE  ") << false;
        QTest::newRow("empty") << QByteArray("") << false;
        QTest::newRow("0") << QByteArray("0") << false;
    }
    void reads_unusual_autoload()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, expected);
        QVERIFY(write_all(path(), "[General]\nautoload=" + text + "\n"));
        QCOMPARE(AppSettings::load(path()).autoload, expected);
    }

    void reads_unusual_hot_key_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<quint32>("expected");
        QTest::newRow("hexadecimal") << QByteArray("0x42") << 0u;
        QTest::newRow("negative") << QByteArray("-1") << 0u;
        QTest::newRow("largest") << QByteArray("4294967295") << 4294967295u;
        QTest::newRow("one too large") << QByteArray("4294967296") << 0u;
        QTest::newRow("far too large") << QByteArray("99999999999") << 0u;
        QTest::newRow("padded") << QByteArray("  66  ") << 66u;
        QTest::newRow("inner space") << QByteArray("6 6") << 0u;
        QTest::newRow("quoted") << QByteArray("\"66\"") << 66u;
        QTest::newRow("list") << QByteArray("66, 67") << 0u;
        QTest::newRow("letter") << QByteArray("B") << 0u;
        QTest::newRow("empty") << QByteArray("") << 0u;
    }
    void reads_unusual_hot_key()
    {
        QFETCH(QByteArray, text);
        QFETCH(quint32, expected);
        QVERIFY(write_all(path(), "[HotKeys]\nvolume_down_global_hot_key=" + text + "\n"));
        SettingsValues values;
        values.volume_down_global_hot_key = expected;
        QCOMPARE(AppSettings::load(path()), values);
    }

    void keeps_keys_of_others()
    {
        QVERIFY(write_all(path(), "[General]\nautoload=true\ntheme=dark\n\n"
                                  "[HotKeys]\nvolume_up_global_hot_key=70\nmute=77\n\n"
                                  "[Other]\nname=\xd0\x97\xd0\xb2\xd1\x83\xd0\xba\n"));
        AppSettings::save(path(), SettingsValues{});
        const QSettings file(path(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("theme")).toString(), QStringLiteral("dark"));
        QCOMPARE(file.value(QStringLiteral("HotKeys/mute")).toString(), QStringLiteral("77"));
        QCOMPARE(file.value(QStringLiteral("Other/name")).toString(), QString::fromUtf8("Звук"));
        QCOMPARE(AppSettings::load(path()), SettingsValues{});
    }

    void saving_creates_the_directory()
    {
        const QString nested = dir.filePath(QStringLiteral("a/b/config.ini"));
        SettingsValues values;
        values.volume_up_global_hot_key = 0x74;
        AppSettings::save(nested, values);
        QCOMPARE(AppSettings::load(nested), values);
    }

    void location_beside_the_executable_when_writable()
    {
        const QString user = dir.filePath(QStringLiteral("user"));
        QTemporaryDir beside;
        const QString own = beside.filePath(QStringLiteral("config.ini"));
        QCOMPARE(AppSettings::choose_path(beside.path(), user), own);
        QVERIFY(write_all(own, "[General]\nautoload=true\n"));
        QCOMPARE(AppSettings::choose_path(beside.path(), user), own);
        QCOMPARE(QDir(beside.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("config.ini")});

        const QString elsewhere = QDir(user).filePath(QStringLiteral("config.ini"));
        // No directory at all, or a file where the directory should be.
        QCOMPARE(AppSettings::choose_path(beside.filePath(QStringLiteral("missing")), user),
                 elsewhere);
        QCOMPARE(AppSettings::choose_path(own, user), elsewhere);
        // Something that is not a file where the file should be.
        QTemporaryDir blocked;
        QVERIFY(QDir(blocked.path()).mkdir(QStringLiteral("config.ini")));
        QCOMPARE(AppSettings::choose_path(blocked.path(), user), elsewhere);
    }

    void location_per_user_when_permissions_forbid()
    {
        if (::geteuid() == 0) {
            // Permissions do not bind the superuser: ask an ordinary user instead.
            QProcess child;
            child.start(QStringLiteral("runuser"),
                        {QStringLiteral("-u"), QStringLiteral("nobody"), QStringLiteral("--"),
                         QCoreApplication::applicationFilePath(),
                         QLatin1String(QTest::currentTestFunction())});
            if (!child.waitForFinished(20000) || child.exitStatus() != QProcess::NormalExit ||
                child.exitCode() >= 125)
                QSKIP("cannot run as an ordinary user here");
            QCOMPARE(child.exitCode(), 0);
            return;
        }
        const QString user = dir.filePath(QStringLiteral("user"));
        const QString elsewhere = QDir(user).filePath(QStringLiteral("config.ini"));
        QTemporaryDir read_only_file;
        const QString file = read_only_file.filePath(QStringLiteral("config.ini"));
        QVERIFY(write_all(file, ""));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner));
        QCOMPARE(AppSettings::choose_path(read_only_file.path(), user), elsewhere);
        QTemporaryDir read_only_dir;
        QVERIFY(QFile::setPermissions(read_only_dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        QCOMPARE(AppSettings::choose_path(read_only_dir.path(), user), elsewhere);
        QFile::setPermissions(read_only_dir.path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
};

QTEST_GUILESS_MAIN(TestAppSettings)
#include "test_app_settings.moc"
