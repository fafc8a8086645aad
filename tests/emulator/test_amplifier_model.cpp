#include "amplifier_model.h"

#include <QTest>

#include <algorithm>

namespace {

QByteArray bytes_from(std::uint8_t first, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(first + i));
    return bytes;
}

// What the amplifier stored before, and the payload every command is sent with.
const QByteArray stored = bytes_from(0x01, AmplifierModel::image_size);
const QByteArray payload = bytes_from(0x80, AmplifierModel::output_report_size - 2);

} // namespace

class TestAmplifierModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commands_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("silent");
        QTest::addColumn<bool>("wrong_echo");
        QTest::addColumn<QByteArray>("reply"); // null: none; zeros follow
        QTest::newRow("identify") << 54 << false << false << QByteArray("\x36\x06");
        QTest::newRow("identify, wrong echo") << 54 << false << true << QByteArray("\xc9\x06");
        QTest::newRow("identify, silent") << 54 << true << false << QByteArray();
        QTest::newRow("silent beats wrong echo") << 54 << true << true << QByteArray();
        QTest::newRow("read") << 55 << false << false << "\x37" + stored;
        QTest::newRow("read, wrong echo") << 55 << false << true << "\xc8" + stored;
        QTest::newRow("write") << 56 << false << false << QByteArray("\x38");
        QTest::newRow("write, wrong echo") << 56 << false << true << QByteArray("\xc7");
        QTest::newRow("write, silent") << 56 << true << false << QByteArray();
        QTest::newRow("other 0") << 0 << false << false << QByteArray(1, '\0');
        QTest::newRow("other 57") << 57 << false << false << QByteArray("\x39");
        QTest::newRow("other 255, wrong echo") << 255 << false << true << QByteArray(1, '\0');
        QTest::newRow("other 1, silent") << 1 << true << false << QByteArray();
    }

    void commands()
    {
        QFETCH(int, command);
        QFETCH(bool, silent);
        QFETCH(bool, wrong_echo);
        QFETCH(QByteArray, reply);
        AmplifierModel model;
        model.set_variant(6);
        AmplifierModel::Image image{};
        std::copy(stored.begin(), stored.end(), image.begin());
        model.set_image(image);
        // Another command in each set (9) must not matter.
        model.set_silent(AmplifierModel::CommandSet(1u << 9).set(std::size_t(command), silent));
        model.set_wrong_echo(
            AmplifierModel::CommandSet(1u << 9).set(std::size_t(command), wrong_echo));

        AmplifierModel::OutputReport report{};
        report[1] = std::uint8_t(command);
        std::copy(payload.begin(), payload.end(), report.begin() + 2);
        const auto answer = model.handle(report);
        QCOMPARE(answer.has_value(), !reply.isNull());
        if (answer)
            QCOMPARE(QByteArray(reinterpret_cast<const char*>(answer->data()), answer->size()),
                     reply.leftJustified(AmplifierModel::input_report_size, '\0'));
        // A write replaces the image even when the amplifier stays silent about it.
        const AmplifierModel::Image after = model.image();
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(after.data()), after.size()),
                 command == 56 ? payload.left(AmplifierModel::image_size) : stored);
    }
};

QTEST_APPLESS_MAIN(TestAmplifierModel)
#include "test_amplifier_model.moc"
