#include "combo_box_items.h"
#include "ui_widget.h"
#include "variant_availability.h"

#include <QTest>

#include <memory>

namespace {

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

const char* const elmin_missing = "input_1_radioButton sec_input_1_radioButton sub_groupBox "
                                  "input_4_radioButton sec_input_4_radioButton";

} // namespace

class TestVariantAvailability : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> host;
    std::unique_ptr<Ui::Widget> ui;

    // Which widgets of the whole form are usable, by name.
    QMap<QString, bool> availability() const
    {
        QMap<QString, bool> enabled;
        const QList<QWidget*> widgets = host->findChildren<QWidget*>();
        for (QWidget* widget : widgets) {
            if (!widget->objectName().isEmpty())
                enabled.insert(widget->objectName(), widget->isEnabled());
        }
        return enabled;
    }

    // Usable unless the widget or one of its ancestors is named in `missing`.
    bool expected_available(QWidget* widget, const QStringList& missing) const
    {
        for (QWidget* w = widget; w != host.get(); w = w->parentWidget()) {
            if (missing.contains(w->objectName()))
                return false;
        }
        return true;
    }

private Q_SLOTS:
    void init()
    {
        host = std::make_unique<QWidget>();
        ui = std::make_unique<Ui::Widget>();
        ui->setupUi(host.get());
        fill_combo_boxes(ui.get());
    }

    void cleanup()
    {
        ui.reset();
        host.reset();
    }

    void variants_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("name"); // null: the previous text stays
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("autozero");
        QTest::addColumn<bool>("sub_cut_off");
        QTest::addColumn<bool>("subwoofer");

        QTest::newRow("0 none") << 0 << QString() << QStringList() << true << true << false;
        QTest::newRow("1 unknown") << 1 << QString() << QStringList() << true << true << false;
        QTest::newRow("2 KARVO") << 2 << QStringLiteral("KARVO") << QStringList() << true << true
                                 << true;
        QTest::newRow("3 ELMIN") << 3 << QStringLiteral("ELMIN") << words(elmin_missing) << true
                                 << false << false;
        QTest::newRow("4 ELMIN USB")
            << 4 << QStringLiteral("ELMIN USB") << words(elmin_missing) << true << false << false;
        QTest::newRow("5 SOTRA") << 5 << QStringLiteral("SOTRA")
                                 << words("sub_groupBox pri_source_groupBox sec_source_groupBox "
                                          "rear_speaker_source_comboBox sec_source_gain_groupBox "
                                          "input_4_radioButton sec_input_4_radioButton")
                                 << false << false << false;
        QTest::newRow("6 ELMIN USB + SUB")
            << 6 << QStringLiteral("ELMIN USB + SUB")
            << words("input_1_radioButton sec_input_1_radioButton input_4_radioButton "
                     "sec_input_4_radioButton")
            << true << true << true;
        QTest::newRow("7 unknown") << 7 << QString() << QStringList() << true << true << false;
    }

    // The outcome depends on the code alone, whichever amplifier was connected before.
    void variants()
    {
        QFETCH(int, code);
        QFETCH(QString, name);
        QFETCH(QStringList, missing);
        QFETCH(bool, autozero);
        QFETCH(bool, sub_cut_off);
        QFETCH(bool, subwoofer);

        QCOMPARE(variant_has_subwoofer(code), subwoofer);
        QCOMPARE(find_amp_variant(code) != nullptr, !name.isNull());

        for (int previous : {0, 2, 3, 4, 5, 6}) {
            init();
            apply_variant_availability(ui.get(), previous);
            const QString shown_before = ui->amp_version_lineEdit->text();
            apply_variant_availability(ui.get(), code);

            const QByteArray context = "after variant " + QByteArray::number(previous);
            QVERIFY2(ui->amp_version_lineEdit->text() == (name.isNull() ? shown_before : name),
                     context.constData());
            QVERIFY2(ui->autozero_checkBox->isEnabled() == autozero, context.constData());
            QVERIFY2(ui->sub_cut_off_comboBox->isEnabled() == sub_cut_off, context.constData());
            if (!name.isNull())
                QVERIFY2(ui->sub_groupBox->isEnabled() == subwoofer, context.constData());
            const QList<QWidget*> widgets = host->findChildren<QWidget*>();
            for (QWidget* widget : widgets) {
                const QByteArray what = context + ": " + widget->objectName().toLatin1();
                QVERIFY2(widget->isEnabled() == expected_available(widget, missing),
                         what.constData());
            }
            cleanup();
        }
    }

    void elmin_and_elmin_usb_differ_only_in_name()
    {
        apply_variant_availability(ui.get(), 3);
        const QMap<QString, bool> elmin = availability();
        apply_variant_availability(ui.get(), 4);
        QCOMPARE(availability(), elmin);
        QCOMPARE(ui->amp_version_lineEdit->text(), QStringLiteral("ELMIN USB"));
    }

    void sotra_then_karvo_restores_everything()
    {
        apply_variant_availability(ui.get(), 5);
        QVERIFY(!ui->input_1_radioButton->isEnabled());
        apply_variant_availability(ui.get(), 2);
        const QMap<QString, bool> enabled = availability();
        for (auto it = enabled.cbegin(); it != enabled.cend(); ++it)
            QVERIFY2(it.value(), qPrintable(it.key()));
        QCOMPARE(ui->amp_version_lineEdit->text(), QStringLiteral("KARVO"));
    }

    // The frame being off (no device) must not stop the variant's own set from being prepared.
    void works_inside_disabled_frame()
    {
        ui->configuration_frame->setEnabled(false);
        apply_variant_availability(ui.get(), 6);
        ui->configuration_frame->setEnabled(true);
        QVERIFY(ui->sub_cut_off_comboBox->isEnabled());
        QVERIFY(!ui->input_1_radioButton->isEnabled());
        QVERIFY(ui->input_2_radioButton->isEnabled());
    }
};

QTEST_MAIN(TestVariantAvailability)
#include "test_variant_availability.moc"
