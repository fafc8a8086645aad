#include "amp_variants.h"
#include "ui_widget.h"
#include "variant_availability.h"

#include <QTest>

namespace {

// What the variants may take away, then two that go with their group boxes.
const char* const columns = "input_1_radioButton sec_input_1_radioButton sub_groupBox "
                            "pri_source_groupBox sec_source_groupBox rear_speaker_source_comboBox "
                            "sec_source_gain_groupBox input_4_radioButton sec_input_4_radioButton "
                            "autozero_checkBox sub_cut_off_comboBox";

} // namespace

class TestVariantAvailability : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void variants_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("enabled");
        // Enabled or not, one digit per widget of `columns`, then whether it has a subwoofer.
        QTest::newRow("0") << 0 << QStringLiteral("111111111 11 0");
        QTest::newRow("1") << 1 << QStringLiteral("111111111 11 0");
        QTest::newRow("2") << 2 << QStringLiteral("111111111 11 1");
        QTest::newRow("3") << 3 << QStringLiteral("000111100 10 0");
        QTest::newRow("4") << 4 << QStringLiteral("000111100 10 0");
        QTest::newRow("5") << 5 << QStringLiteral("000000000 00 0");
        QTest::newRow("6") << 6 << QStringLiteral("001111100 11 1");
        QTest::newRow("7") << 7 << QStringLiteral("111111111 11 0");
    }

    // The outcome depends on the code alone, whichever amplifier came before, and holds
    // when applied while the frame is off for want of a device.
    void variants()
    {
        QFETCH(int, code);
        QFETCH(QString, enabled);
        QCOMPARE(variant_has_subwoofer(code), enabled.endsWith(u'1'));
        for (int previous : {0, 2, 3, 4, 5, 6}) {
            for (bool frame_on : {true, false}) {
                QWidget host;
                Ui::Widget ui;
                ui.setupUi(&host);
                apply_variant_availability(&ui, previous);
                ui.configuration_frame->setEnabled(frame_on);
                apply_variant_availability(&ui, code);
                ui.configuration_frame->setEnabled(true);

                QString shown;
                for (const QString& widget : QString::fromLatin1(columns).split(u' '))
                    shown.append(host.findChild<QWidget*>(widget)->isEnabled() ? u'1' : u'0');
                shown.insert(9, u' ');
                const QString context = QStringLiteral(" after variant %1, frame %2")
                                            .arg(previous)
                                            .arg(QLatin1String(frame_on ? "on" : "off"));
                QCOMPARE(shown + context, enabled.left(12) + context);
            }
        }
    }
};

QTEST_MAIN(TestVariantAvailability)
#include "test_variant_availability.moc"
