#include "app_settings.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

bool write_all(const QString& path, const QByteArray& text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// What the settings said in the log while one lives.
struct Said
{
    static inline QStringList lines;
    QtMessageHandler earlier = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { lines.append(text); });
    Said() { lines.clear(); }
    ~Said() { qInstallMessageHandler(earlier); }
};

} // namespace

// Every case works in a fresh directory: the toolkit caches settings files by size and time
// stamp, which a quick rewrite of the same size does not change.
class TestAppSettings : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void load_data()
    {
        QTest::addColumn<QByteArray>("text"); // null: no file at all
        QTest::addColumn<bool>("autoload");
        QTest::addColumn<quint32>("volume_down_key");
        QTest::addColumn<int>("said"); // values said in the log: read otherwise than they look
        QTest::newRow("no file") << QByteArray() << false << 67u << 0;
        QTest::newRow("empty file") << QByteArray("") << false << 67u << 0;
        const auto row = [](const char* autoload, const char* key, bool on, quint32 value,
                            int said) {
            QTest::addRow("%s / %s", autoload, key)
                << "[General]\nautoload=" + QByteArray(autoload) +
                       "\n[HotKeys]\nvolume_down_global_hot_key=" + key + "\n"
                << on << value << said;
        };
        row("yes", "0x42", true, 0, 1);
        row("no", "-1", true, 0, 2);
        row("TRUE", "4294967295", true, 4294967295u, 0);
        row("1", "4294967296", true, 0, 1);
        row("false, false", "99999999999", true, 0, 2);
        row("False", "  66  ", false, 66, 0);
        row("  FALSE  ", "6 6", false, 0, 1);
        row("", "\"66\"", false, 66, 0);
        row("0", "66, 67", false, 0, 1);
        row("false", "B", false, 0, 1);
        row("fAlSe", "", false, 0, 1);
    }
    void load()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, autoload);
        QFETCH(quint32, volume_down_key);
        QFETCH(int, said);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("config.ini"));
        QVERIFY(text.isNull() || write_all(path, text));
        SettingsValues expected;
        expected.autoload = autoload;
        expected.volume_down_global_hot_key = volume_down_key;
        const Said log;
        QCOMPARE(AppSettings::load(path), expected);
        QCOMPARE(QFile::exists(path), !text.isNull()); // reading never creates the file
        QCOMPARE(Said::lines.size(), said);
        for (const QString& line : std::as_const(Said::lines))
            QVERIFY2(line.startsWith(path + u':'), qPrintable(line)); // with the key and text
    }

    void save()
    {
        QTemporaryDir dir;
        const QString nested = dir.filePath(QStringLiteral("a/b/config.ini"));
        const QString path = dir.filePath(QStringLiteral("config.ini"));
        const SettingsValues values{true, 0, 4294967295u, 2147483648u, 0x42};
        AppSettings::save(nested, values); // creating the directories
        QCOMPARE(AppSettings::load(nested), values);
        QVERIFY(write_all(path, "[General]\nautoload=false\ntheme=dark\n\n[HotKeys]\nmute=77\n"
                                "volume_up_global_hot_key=70\n\n[Other]\nname=Звук\n"));
        AppSettings::save(path, values);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[General]\nautoload=true\ntheme=dark\n\n[HotKeys]\n"
                                            "mute=77\nvolume_down_fsModifiers=2147483648\n"
                                            "volume_down_global_hot_key=66\n"
                                            "volume_up_fsModifiers=0\n"
                                            "volume_up_global_hot_key=4294967295\n\n"
                                            "[Other]\nname=Звук\n"));

        // A file that cannot be written is said, once however often it is tried.
        const Said log;
        QVERIFY(!AppSettings::save(dir.filePath(QStringLiteral("config.ini/config.ini")), values));
        QVERIFY(!AppSettings::save(dir.filePath(QStringLiteral("config.ini/config.ini")), values));
        QCOMPARE(Said::lines.size(), 1);
        QVERIFY2(
            Said::lines.constFirst().startsWith(QStringLiteral("the settings cannot be written")),
            qPrintable(Said::lines.constFirst()));
    }

    void location_data()
    {
        QTest::addColumn<QString>("setup"); // shell commands making what is at "d"
        QTest::addColumn<bool>("beside");
        QTest::newRow("empty directory") << QStringLiteral("mkdir d") << true;
        QTest::newRow("writable file") << QStringLiteral("mkdir d; touch d/config.ini") << true;
        QTest::newRow("no directory") << QString() << false;
        QTest::newRow("a file, not a directory") << QStringLiteral("touch d") << false;
        QTest::newRow("directory as the file") << QStringLiteral("mkdir -p d/config.ini") << false;
        QTest::newRow("read-only file")
            << QStringLiteral("mkdir d; touch d/config.ini; chmod 400 d/config.ini") << false;
        QTest::newRow("read-only directory") << QStringLiteral("mkdir -m 500 d") << false;
    }
    void location()
    {
        QFETCH(QString, setup);
        QFETCH(bool, beside);
        QTemporaryDir dir;
        QCOMPARE(QProcess::execute(
                     QStringLiteral("sh"),
                     {QStringLiteral("-ec"), QStringLiteral("cd \"$0\"; ") + setup, dir.path()}),
                 0);
        const QString d = dir.filePath(QStringLiteral("d")),
                      user = dir.filePath(QStringLiteral("u"));
        const QStringList before = QDir(d).entryList(QDir::AllEntries | QDir::Hidden);
        QCOMPARE(AppSettings::choose_path(d, user, QStringLiteral("config.ini")),
                 QDir(beside ? d : user).filePath(QStringLiteral("config.ini")));
        // Trying whether it can write there leaves nothing behind.
        QCOMPARE(QDir(d).entryList(QDir::AllEntries | QDir::Hidden), before);
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (::geteuid() == 0) // permissions do not bind the superuser
        return QProcess::execute(QStringLiteral("runuser"),
                                 QStringLiteral("-u nobody --").split(u' ') + app.arguments());
    TestAppSettings test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_app_settings.moc"
