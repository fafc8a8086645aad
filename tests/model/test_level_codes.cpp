#include "level_codes.h"

#include <QtTest>

class TestLevelCodes : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void level_round_trip_over_the_slider_range()
    {
        for (int db = -79; db <= 15; ++db) {
            const int code = db_to_level(db);
            QVERIFY2(code >= 0 && code <= 95, qPrintable(QString::number(db)));
            QCOMPARE(level_to_db(static_cast<unsigned>(code)), db);
        }
    }

    void tone_round_trip_over_the_slider_range()
    {
        for (int db = -15; db <= 15; ++db) {
            const int code = db_to_tone(db);
            QVERIFY(code >= 0 && code <= 31);
            QCOMPARE(tone_to_db(static_cast<unsigned>(code)), db);
        }
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
    }
    void edges()
    {
        QFETCH(int, input);
        QFETCH(int, level_from_db);
        QFETCH(int, tone_from_db);
        QCOMPARE(db_to_level(input), level_from_db);
        QCOMPARE(db_to_tone(input), tone_from_db);
    }

    void codes_decode_to_safe_values()
    {
        // Every code a register can hold decodes to a value a slider can show.
        for (unsigned code = 0; code < 256; ++code) {
            const int level = level_to_db(code);
            QVERIFY(level >= -79 && level <= 15);
            const int tone = tone_to_db(code);
            QVERIFY(tone >= -15 && tone <= 15);
        }
        QCOMPARE(level_to_db(16), 0);
        QCOMPARE(level_to_db(96), -79);
        QCOMPARE(level_to_db(0x70), -79);
        QCOMPARE(tone_to_db(16), 0);
        QCOMPARE(db_to_level(INT_MIN), 95);
        QCOMPARE(db_to_tone(INT_MAX), 0);
    }
};

QTEST_APPLESS_MAIN(TestLevelCodes)
#include "test_level_codes.moc"
