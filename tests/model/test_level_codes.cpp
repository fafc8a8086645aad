#include "level_codes.h"

#include <QtTest>

#include <algorithm>

class TestLevelCodes : public QObject
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
};

QTEST_APPLESS_MAIN(TestLevelCodes)
#include "test_level_codes.moc"
