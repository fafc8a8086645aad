// The emulator's control file: read as the README shows it, and forgiving of what a hand
// writes (a malformed value keeps its default; decimal never turns octal).
#include "emulator_config.h"
#include "traffic_log.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

EmulatorConfig parsed(const QByteArray& keys)
{
    return EmulatorConfig::parse("[other]\nvariant=6\n[ amplifier ]\r\n" + keys);
}

} // namespace

class TestEmulatorConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void the_readme_example()
    {
        QFile readme(QStringLiteral(README_PATH));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QByteArray text = readme.readAll();
        const qsizetype start = text.indexOf("```ini\n[amplifier]");
        QVERIFY(start >= 0);
        const QByteArray example = text.mid(start + 7, text.indexOf("```", start + 7) - start - 7);
        const EmulatorConfig config = EmulatorConfig::parse(example);
        QVERIFY(config.silent.test(54) && config.silent.count() == 1);
        QVERIFY(config.wrong_echo.none() && config.io_error.none());
        QCOMPARE(config.traffic_log, QStringLiteral("/tmp/amp.log"));
        QVERIFY(config.attached && config.variant == 2 && !config.image && config.node_mode == -1);
    }

    void values()
    {
        QCOMPARE(parsed("variant=010").variant, 10);
        QCOMPARE(parsed("variant=0x10 ; hex").variant, 16);
        QCOMPARE(parsed("variant=256").variant, 2);
        QCOMPARE(parsed("").variant, 2); // the other section's does not count
        QCOMPARE(parsed("node_mode=0640").node_mode, 0640);
        QVERIFY(!parsed("attached=no").attached && parsed("attached=unplugged").attached);
        const EmulatorConfig codes = parsed("silent=54,,x,300,-1,56");
        QVERIFY(codes.silent.test(54) && codes.silent.test(56) && codes.silent.count() == 2);
        QCOMPARE(parsed("traffic_log=\"/tmp/a b.log\"").traffic_log,
                 QStringLiteral("/tmp/a b.log"));
        const QByteArray image = "00 03 01 00 02 ff 03 24 04 a0 05 80 06 c0 07 07 08 15 09 00 "
                                 "0a 90 0b 90 0c 90 0d 90 0e 9f 0f 90 10 10 11 00 00 0A";
        QCOMPARE(parsed("image=" + image).image.value()[37], std::uint8_t(0x0A));
        QVERIFY(!parsed("image=" + image.left(image.size() - 3)).image);
        QVERIFY(!parsed("image=" + QByteArray(image).replace("ff", "fg")).image);
    }

    // The log may sit where others can write: a link planted there is not followed.
    void the_traffic_log_follows_no_link()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("target")),
                      log = dir.filePath(QStringLiteral("traffic.log"));
        QVERIFY(QFile::link(target, log));
        TrafficLog traffic;
        traffic.set_path(log);
        traffic.append_event(1, "plugged");
        QVERIFY(!QFile::exists(target));
    }
};

QTEST_APPLESS_MAIN(TestEmulatorConfig)
#include "test_emulator_config.moc"
