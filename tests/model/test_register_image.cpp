// The amplifier's codes and register image, without a window: conversions between slider
// values and codes, and rebuilding registers from their decoded fields.
#include "level_codes.h"
#include "register_image.h"

#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>

class TestRegisterImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every slider value goes to a code of its register's range and back; every code a
    // register can hold decodes to a value a slider can show.
    void round_trip()
    {
        for (int db = -79; db <= 15; ++db) {
            const int level = db_to_level(db), tone_db = std::clamp(db, -15, 15);
            const int tone = db_to_tone(tone_db);
            QVERIFY2(level >= 0 && level <= 95 && tone >= 0 && tone <= 31,
                     qPrintable(QString::number(db)));
            QCOMPARE(level_to_db(unsigned(level)), db);
            QCOMPARE(tone_to_db(unsigned(tone)), tone_db);
        }
        for (unsigned code = 0; code < 256; ++code) {
            QVERIFY(level_to_db(code) >= -79 && level_to_db(code) <= 15);
            QVERIFY(tone_to_db(code) >= -15 && tone_to_db(code) <= 15);
        }
        QCOMPARE(level_to_db(16), 0);
        QCOMPARE(level_to_db(96), -79);
        QCOMPARE(tone_to_db(16), 0);
    }

    void edges_data()
    {
        QTest::addColumn<int>("input");
        QTest::addColumn<int>("level_from_db");
        QTest::addColumn<int>("tone_from_db");
        QTest::newRow("0 dB") << 0 << 0 << 0;
        QTest::newRow("+1 dB") << 1 << 1 << 17;
        QTest::newRow("-1 dB") << -1 << 17 << 1;
        QTest::newRow("+15 dB") << 15 << 15 << 31;
        QTest::newRow("-15 dB") << -15 << 31 << 15;
        QTest::newRow("+16 dB, past both ranges") << 16 << 95 << 0;
        QTest::newRow("-16 dB, past the tone range") << -16 << 32 << 0;
        QTest::newRow("-79 dB") << -79 << 95 << 0;
        QTest::newRow("-80 dB, past the level range") << -80 << 95 << 0;
        QTest::newRow("INT_MIN") << INT_MIN << 95 << 0;
        QTest::newRow("INT_MAX") << INT_MAX << 95 << 0;
    }
    void edges()
    {
        QFETCH(int, input);
        QTEST(db_to_level(input), "level_from_db");
        QTEST(db_to_tone(input), "tone_from_db");
    }

    void rebuilding_from_decoded_mirrors()
    {
        // Registers whose bit 7 is the program's own come back with it set; everything else
        // comes back exactly as read, including the preserved bits and muted level codes.
        QRandomGenerator random(7);
        for (int round = 0; round < 2000; ++round) {
            RegisterImage::Payload payload{};
            for (auto& b : payload)
                b = static_cast<std::uint8_t>(random.bounded(256));
            RegisterImage image;
            image.load_image(payload.data());
            image.read_mirrors();
            const auto before = image.registers;
            image.compose_pri_source();
            image.compose_volume();
            image.compose_sec_source();
            for (auto channel : {LevelChannel::FL, LevelChannel::FR, LevelChannel::RL,
                                 LevelChannel::RR, LevelChannel::Sub})
                image.compose_speaker(channel);
            image.compose_treble();
            image.compose_middle();
            image.compose_bass();
            for (std::size_t k = 0; k < RegisterImage::register_count; ++k) {
                QCOMPARE(image.registers[k].address, before[k].address);
                const bool forced = k == REG_TREBLE || k == REG_MIDDLE || k == REG_BASS ||
                                    (k >= REG_FL && k <= REG_RR) || k == REG_SUB;
                const std::uint8_t expected = forced ? before[k].value | 0x80 : before[k].value;
                QCOMPARE(image.registers[k].value, expected);
            }
        }
    }

    void mute_then_unmute_restores_the_byte()
    {
        for (const auto& [channel, reg] : {std::pair{LevelChannel::Volume, REG_VOLUME},
                                           {LevelChannel::FL, REG_FL},
                                           {LevelChannel::Sub, REG_SUB}}) {
            for (int bit7 = 0; bit7 <= 1; ++bit7) {
                for (int db = -79; db <= 15; ++db) {
                    RegisterImage image;
                    image.volume_bit7 = bit7;
                    image.set_level_db(channel, db);
                    const std::uint8_t unmuted = image.registers[reg].value;
                    image.set_level_muted(channel, true);
                    QVERIFY(image.registers[reg].value >= (unmuted & 0x80) + 96);
                    image.set_level_muted(channel, false);
                    QCOMPARE(image.registers[reg].value, unmuted);
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestRegisterImage)
#include "test_register_image.moc"
