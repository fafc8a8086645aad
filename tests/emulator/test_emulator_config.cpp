#include "emulator_config.h"

#include <QFile>
#include <QHash>
#include <QTest>

namespace {

const QByteArray image_hex = "00 03 01 00 02 ff 03 24 04 a0 05 80 06 c0 07 07 08 15 09 00 "
                             "0a 90 0b 90 0c 90 0d 90 0e 9f 0f 90 10 10 11 00 00 0a";

// One parsed field as text: command sets as lists of codes, a missing image as "none".
QByteArray field(const EmulatorConfig& config, const QByteArray& key)
{
    if (key == "silent" || key == "wrong_echo") {
        QByteArrayList codes;
        for (int code = 0; code < 256; ++code) {
            if ((key == "silent" ? config.silent : config.wrong_echo).test(std::size_t(code)))
                codes.append(QByteArray::number(code));
        }
        return codes.join(',');
    }
    const auto& image = config.image;
    const QHash<QByteArray, QByteArray> fields{
        {"attached", config.attached ? "true" : "false"},
        {"variant", QByteArray::number(config.variant)},
        {"image",
         image ? QByteArray(reinterpret_cast<const char*>(image->data()), qsizetype(image->size()))
                     .toHex(' ')
               : "none"},
        {"reply_delay_ms", QByteArray::number(config.reply_delay_ms)},
        {"other_interfaces", QByteArray::number(config.other_interfaces)},
        {"traffic_log", config.traffic_log.toUtf8()}};
    return fields.value(key);
}

} // namespace

class TestEmulatorConfig : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A missing or malformed value keeps the key's default, which an empty file shows.
    void keys_data()
    {
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QByteArray>("parsed");
        const auto add = [](const char* key, const QByteArray& value, const QByteArray& parsed) {
            QTest::addRow("%s=%s", key, value.constData()) << QByteArray(key) << value << parsed;
        };
        // "value parsed" pairs.
        const auto add_pairs = [&add](const char* key, std::initializer_list<const char*> rows) {
            for (const char* row : rows)
                add(key, QByteArray(row).split(' ')[0], QByteArray(row).split(' ')[1]);
        };
        const char* const defaults[][2] = {{"attached", "true"},      {"variant", "2"},
                                           {"image", "none"},         {"silent", ""},
                                           {"wrong_echo", ""},        {"reply_delay_ms", "0"},
                                           {"other_interfaces", "0"}, {"traffic_log", ""}};
        for (const auto& [key, parsed] : defaults)
            add(key, "(absent)", parsed);
        add_pairs("attached", {"false false", "no false", "yes true", "unplugged true"});
        // Integers: decimal or 0x-hex, never octal; out of range or not a number is the default.
        add_pairs("variant", {"6 6", "0x10 16", "010 10", "256 2", "-1 2", "KARVO 2"});
        add_pairs("reply_delay_ms", {"3500 3500", "600001 0", "2.5 0"});
        add("image", image_hex, image_hex);
        add("image", QByteArray(image_hex).replace(' ', "").toUpper(), image_hex);
        add("image", image_hex.left(image_hex.size() - 3), "none");
        add("image", QByteArray(image_hex).replace("ff", "fg"), "none");
        // Entries that are not command codes are skipped; the others still count.
        add("silent", "56, 54,55", "54,55,56");
        add("wrong_echo", "54,,x,300,-1,56", "54,56");
        add("traffic_log", "\"/tmp/x.log\"", "/tmp/x.log");
        add("variant", "3 ; a comment", "3");
    }

    void keys()
    {
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        const QByteArray text =
            value == "(absent)" ? QByteArray() : QByteArray("[amplifier]\n" + key + '=' + value);
        QTEST(field(EmulatorConfig::parse(text), key), "parsed");
    }

    // The example the README gives is read as written, its comments included.
    void the_readme_example()
    {
        QFile readme(QStringLiteral(README_PATH));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QByteArray text = readme.readAll();
        const qsizetype start = text.indexOf("```ini\n[amplifier]");
        QVERIFY(start >= 0);
        const QByteArray example = text.mid(start + 7, text.indexOf("```", start + 7) - start - 7);
        const EmulatorConfig config = EmulatorConfig::parse(example);
        QCOMPARE(field(config, "silent"), QByteArray("54"));
        QCOMPARE(field(config, "wrong_echo"), QByteArray());
        QCOMPARE(config.node_mode, -1);
        QCOMPARE(field(config, "traffic_log"), QByteArray("/tmp/amp.log"));
        QVERIFY(config.attached && config.variant == 2 && !config.image);
    }
};

QTEST_APPLESS_MAIN(TestEmulatorConfig)
#include "test_emulator_config.moc"
