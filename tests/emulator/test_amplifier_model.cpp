#include "amplifier_model.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

Q_DECLARE_METATYPE(AmplifierModel::CommandSet)

namespace {

AmplifierModel::OutputReport report_for(int command, QRandomGenerator* random = nullptr)
{
    AmplifierModel::OutputReport report{};
    report[1] = static_cast<std::uint8_t>(command);
    if (random) {
        for (std::size_t i = 2; i < report.size(); ++i)
            report[i] = static_cast<std::uint8_t>(random->bounded(256));
    }
    return report;
}

bool zero_from(const AmplifierModel::InputReport& reply, std::size_t from)
{
    return std::all_of(reply.begin() + static_cast<long>(from), reply.end(),
                       [](std::uint8_t byte) { return byte == 0; });
}

AmplifierModel::CommandSet commands(std::initializer_list<int> codes)
{
    AmplifierModel::CommandSet set;
    for (const int code : codes)
        set.set(static_cast<std::size_t>(code));
    return set;
}

} // namespace

class TestAmplifierModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void identify_answers_the_variant_data()
    {
        QTest::addColumn<int>("variant");
        for (const int variant : {0, 2, 3, 6, 7, 255})
            QTest::addRow("variant %d", variant) << variant;
    }

    void identify_answers_the_variant()
    {
        QFETCH(int, variant);
        AmplifierModel model;
        model.set_variant(static_cast<std::uint8_t>(variant));
        QRandomGenerator random(static_cast<quint32>(variant));
        const auto reply = model.handle(report_for(54, &random));
        QVERIFY(reply);
        QCOMPARE(int((*reply)[0]), 54);
        QCOMPARE(int((*reply)[1]), variant);
        QVERIFY(zero_from(*reply, 2));
    }

    // Any payload sent with 56 becomes the image that 55 returns; bytes past
    // the image are not kept, and 56 itself is answered with the echo alone.
    void write_image_is_read_back()
    {
        AmplifierModel model;
        QRandomGenerator random(56);
        for (int round = 0; round < 200; ++round) {
            const AmplifierModel::OutputReport written = report_for(56, &random);
            const auto echo = model.handle(written);
            QVERIFY(echo && (*echo)[0] == 56 && zero_from(*echo, 1));

            const auto read = model.handle(report_for(55, &random));
            QVERIFY(read);
            QCOMPARE(int((*read)[0]), 55);
            QVERIFY(std::equal(read->begin() + 1, read->begin() + 39, written.begin() + 2));
            QVERIFY(zero_from(*read, 39));
        }
    }

    void other_commands_are_echoed_only()
    {
        AmplifierModel model;
        const AmplifierModel::Image before = model.image();
        QRandomGenerator random(1);
        for (int command = 0; command < 256; ++command) {
            if (command >= 54 && command <= 56)
                continue;
            const auto reply = model.handle(report_for(command, &random));
            QVERIFY(reply && (*reply)[0] == command && zero_from(*reply, 1));
        }
        QVERIFY(model.image() == before);
    }

    void silent_and_wrong_echo_data()
    {
        QTest::addColumn<AmplifierModel::CommandSet>("silent");
        QTest::addColumn<AmplifierModel::CommandSet>("wrong_echo");
        QTest::newRow("none") << commands({}) << commands({});
        QTest::newRow("silent identify") << commands({54}) << commands({});
        QTest::newRow("silent write") << commands({56}) << commands({});
        QTest::newRow("wrong echo read") << commands({}) << commands({55});
        QTest::newRow("wrong echo everywhere") << commands({}) << commands({0, 54, 55, 56, 255});
        QTest::newRow("silent beats wrong echo") << commands({54, 99}) << commands({54, 56});
    }

    // Every command is either unanswered (silent), answered with the
    // complement of its code (wrong echo), or echoed; 56 is obeyed in all cases.
    void silent_and_wrong_echo()
    {
        QFETCH(AmplifierModel::CommandSet, silent);
        QFETCH(AmplifierModel::CommandSet, wrong_echo);
        AmplifierModel model;
        model.set_silent(silent);
        model.set_wrong_echo(wrong_echo);
        QRandomGenerator random(7);
        for (int command = 0; command < 256; ++command) {
            const AmplifierModel::OutputReport report = report_for(command, &random);
            const auto reply = model.handle(report);
            const auto code = static_cast<std::size_t>(command);
            if (silent.test(code)) {
                QVERIFY(!reply);
            } else {
                QVERIFY(reply);
                const int expected = wrong_echo.test(code) ? (command ^ 0xFF) : command;
                QCOMPARE(int((*reply)[0]), expected);
                QVERIFY((*reply)[0] != command || !wrong_echo.test(code));
            }
            if (command == 56) {
                const AmplifierModel::Image image = model.image();
                QVERIFY(std::equal(image.begin(), image.end(), report.begin() + 2));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestAmplifierModel)
#include "test_amplifier_model.moc"
