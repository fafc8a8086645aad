#include "emulator_config.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

EmulatorConfig parse_key(const QByteArray& key, const QByteArray& value)
{
    return EmulatorConfig::parse("[amplifier]\n" + key + '=' + value + '\n');
}

QList<int> codes_of(const AmplifierModel::CommandSet& set)
{
    QList<int> codes;
    for (int code = 0; code < 256; ++code) {
        if (set.test(static_cast<std::size_t>(code)))
            codes.append(code);
    }
    return codes;
}

const QByteArray valid_image_hex = "00 03 01 00 02 ff 03 24 04 a0 05 80 06 c0 07 07 08 15 09 00 "
                                   "0a 90 0b 90 0c 90 0d 90 0e 9f 0f 90 10 10 11 00 00 0a";

} // namespace

class TestEmulatorConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void empty_file_gives_defaults()
    {
        const EmulatorConfig config = EmulatorConfig::parse({});
        QVERIFY(config.attached);
        QCOMPARE(int(config.variant), 2);
        QVERIFY(!config.image);
        QVERIFY(config.silent.none() && config.wrong_echo.none());
        QCOMPARE(config.reply_delay_ms, 0);
        QCOMPARE(config.other_interfaces, 0);
        QVERIFY(config.traffic_log.isEmpty());
    }

    void attached_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("attached");
        QTest::newRow("true") << QByteArray("true") << true;
        QTest::newRow("false") << QByteArray("false") << false;
        QTest::newRow("0") << QByteArray("0") << false;
        QTest::newRow("no") << QByteArray("no") << false;
        QTest::newRow("malformed") << QByteArray("unplugged") << true;
        QTest::newRow("empty") << QByteArray() << true;
    }

    void attached()
    {
        QFETCH(QByteArray, value);
        QTEST(parse_key("attached", value).attached, "attached");
    }

    // Integer keys share their rules: decimal or 0x-hex, never octal, and the
    // default for anything out of range or not a number.
    void integers_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("variant") << QByteArray("variant") << QByteArray("6") << 6;
        QTest::newRow("variant 255") << QByteArray("variant") << QByteArray("255") << 255;
        QTest::newRow("variant hex") << QByteArray("variant") << QByteArray("0x10") << 16;
        QTest::newRow("variant not octal") << QByteArray("variant") << QByteArray("010") << 10;
        QTest::newRow("variant 256") << QByteArray("variant") << QByteArray("256") << 2;
        QTest::newRow("variant -1") << QByteArray("variant") << QByteArray("-1") << 2;
        QTest::newRow("variant text") << QByteArray("variant") << QByteArray("KARVO") << 2;
        QTest::newRow("delay") << QByteArray("reply_delay_ms") << QByteArray("3500") << 3500;
        QTest::newRow("delay negative") << QByteArray("reply_delay_ms") << QByteArray("-5") << 0;
        QTest::newRow("delay huge")
            << QByteArray("reply_delay_ms") << QByteArray("99999999999") << 0;
        QTest::newRow("delay fraction") << QByteArray("reply_delay_ms") << QByteArray("2.5") << 0;
        QTest::newRow("others") << QByteArray("other_interfaces") << QByteArray("70") << 70;
        QTest::newRow("others too many")
            << QByteArray("other_interfaces") << QByteArray("129") << 0;
    }

    void integers()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        const EmulatorConfig config = parse_key(key, value);
        const int actual = key == "variant"          ? int(config.variant)
                           : key == "reply_delay_ms" ? config.reply_delay_ms
                                                     : config.other_interfaces;
        QCOMPARE(actual, expected);
    }

    void image_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<bool>("valid");
        QTest::newRow("spaced") << valid_image_hex << true;
        QTest::newRow("packed upper case")
            << QByteArray(valid_image_hex).replace(' ', "").toUpper() << true;
        QTest::newRow("tabs") << QByteArray(valid_image_hex).replace(' ', '\t') << true;
        QTest::newRow("37 bytes") << valid_image_hex.left(valid_image_hex.size() - 3) << false;
        QTest::newRow("39 bytes") << valid_image_hex + " 00" << false;
        QTest::newRow("odd digit") << valid_image_hex + '0' << false;
        QTest::newRow("not hex") << QByteArray(valid_image_hex).replace("ff", "fg") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }

    void image()
    {
        QFETCH(QByteArray, value);
        QFETCH(bool, valid);
        const EmulatorConfig config = parse_key("image", value);
        QCOMPARE(config.image.has_value(), valid);
        if (valid) {
            const QByteArray parsed(reinterpret_cast<const char*>(config.image->data()),
                                    qsizetype(config.image->size()));
            QCOMPARE(parsed, QByteArray::fromHex(QByteArray(value).replace('\t', ' ')));
        }
    }

    void command_lists_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QList<int>>("codes");
        QTest::newRow("one") << QByteArray("54") << QList<int>{54};
        QTest::newRow("several") << QByteArray("56, 54,55") << QList<int>{54, 55, 56};
        QTest::newRow("hex and limits") << QByteArray("0,0xff,255") << QList<int>{0, 255};
        QTest::newRow("bad entries skipped") << QByteArray("54,,x,300,-1,56") << QList<int>{54, 56};
        QTest::newRow("empty") << QByteArray() << QList<int>{};
    }

    void command_lists()
    {
        QFETCH(QByteArray, value);
        QFETCH(QList<int>, codes);
        QCOMPARE(codes_of(parse_key("silent", value).silent), codes);
        QCOMPARE(codes_of(parse_key("wrong_echo", value).wrong_echo), codes);
    }

    void traffic_log_path()
    {
        QCOMPARE(parse_key("traffic_log", "/tmp/a b/traffic.log").traffic_log,
                 QStringLiteral("/tmp/a b/traffic.log"));
        QCOMPARE(parse_key("traffic_log", "\"/tmp/x.log\"").traffic_log,
                 QStringLiteral("/tmp/x.log"));
    }

    void file_structure()
    {
        const EmulatorConfig config =
            EmulatorConfig::parse("variant=5\r\n"        // before any section: ignored
                                  "[other]\nvariant=6\n" // another section: ignored
                                  "[ amplifier ]\r\n"
                                  "; a comment\n# another\n"
                                  "  variant = 3  \r\n"
                                  "attached=false\nattached=true\n" // the last one counts
                                  "no equals sign\n=4\n");
        QCOMPARE(int(config.variant), 3);
        QVERIFY(config.attached);
    }

    // The file is edited by hand and by tests: no contents may break the
    // parser or produce values outside their ranges.
    void arbitrary_contents_parse()
    {
        const QByteArray valid =
            "[amplifier]\nattached=false\nvariant=4\nimage=" + valid_image_hex +
            "\nsilent=54,55\nwrong_echo=56\nreply_delay_ms=250\n"
            "other_interfaces=3\ntraffic_log=/tmp/t.log\n";
        QRandomGenerator random(2024);
        for (int round = 0; round < 3000; ++round) {
            QByteArray text = valid;
            if (round % 3 == 0) {
                text.resize(random.bounded(400));
                for (char& c : text)
                    c = static_cast<char>(random.bounded(256));
            } else {
                for (int edits = random.bounded(1, 8); edits > 0; --edits) {
                    const int at = random.bounded(int(text.size()));
                    text[at] = static_cast<char>(random.bounded(256));
                }
            }
            const EmulatorConfig config = EmulatorConfig::parse(text);
            QVERIFY(config.reply_delay_ms >= 0 &&
                    config.reply_delay_ms <= EmulatorConfig::max_reply_delay_ms);
            QVERIFY(config.other_interfaces >= 0 &&
                    config.other_interfaces <= EmulatorConfig::max_other_interfaces);
        }
    }
};

QTEST_APPLESS_MAIN(TestEmulatorConfig)
#include "test_emulator_config.moc"
