#include "combo_box_items.h"
#include "ui_widget.h"

#include <QButtonGroup>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

namespace {

// Every named widget: class, then for sliders minimum:maximum:tick interval, for others the
// parent widget ("-": anywhere; given where radio button exclusivity or variant availability
// depends on it), then names.
const char* const widget_table = R"(
QFrame - configuration_frame
QSpinBox - acc_on_delay_spinBox
QLabel - label_7 status_label label_9 label_8 label_6 label label_2 label_3 label_4 label_5 label_10
QLineEdit - amp_version_lineEdit volume_lineEdit input_lineEdit sec_input_lineEdit fl_lineEdit
QLineEdit - fr_lineEdit rl_lineEdit rr_lineEdit sub_lineEdit bass_lineEdit middle_lineEdit
QLineEdit - treble_lineEdit
QCheckBox - autoload_checkBox volume_mute_checkBox hard_mute_checkBox soft_mute_checkBox
QCheckBox - fl_mute_checkBox fr_mute_checkBox rl_mute_checkBox rr_mute_checkBox sub_mute_checkBox
QGroupBox - groupBox groupBox_2 groupBox_3 groupBox_4 groupBox_5 groupBox_6 groupBox_7 groupBox_8
QGroupBox - groupBox_9 groupBox_10 groupBox_11 groupBox_12 groupBox_13 sec_source_gain_groupBox
QGroupBox configuration_frame pri_source_groupBox sec_source_groupBox
QGroupBox groupBox_7 sub_groupBox
QComboBox sub_groupBox sub_cut_off_comboBox
QComboBox - rear_speaker_source_comboBox bass_cf_comboBox bass_qf_comboBox middle_cf_comboBox
QComboBox - middle_qf_comboBox treble_cf_comboBox
QCheckBox pri_source_groupBox autozero_checkBox
QRadioButton pri_source_groupBox input_1_radioButton input_2_radioButton input_3_radioButton
QRadioButton pri_source_groupBox input_4_radioButton
QRadioButton sec_source_groupBox sec_input_1_radioButton sec_input_2_radioButton
QRadioButton sec_source_groupBox sec_input_3_radioButton sec_input_4_radioButton
QRadioButton sec_source_groupBox sec_input_mute_radioButton
QSlider -79:15:5 volume_horizontalSlider fl_horizontalSlider fr_horizontalSlider rl_horizontalSlider
QSlider -79:15:5 rr_horizontalSlider sub_horizontalSlider
QSlider 0:15:1 input_gain_horizontalSlider sec_input_gain_horizontalSlider
QSlider -15:15:2 bass_gain_horizontalSlider middle_gain_horizontalSlider
QSlider -15:15:2 treble_gain_horizontalSlider
)";

// The items, index 0 first: the index is what the amplifier stores. "1", not "1.0", in middle_qf.
const char* const combo_table = R"(
rear_speaker_source_comboBox|Pri. source|Sec. source
sub_cut_off_comboBox|flat|80 Hz|120 Hz|160 Hz
bass_cf_comboBox|60 Hz|80 Hz|100 Hz|200 Hz
bass_qf_comboBox|1.0|1.25|1.5|2.0
middle_cf_comboBox|500 Hz|1000 Hz|1500 Hz|2500 Hz
middle_qf_comboBox|0.5|0.75|1|1.25
treble_cf_comboBox|10.0 kHz|12.5 kHz|15.0 kHz|17.5 kHz
)";

QList<QStringList> rows(const char* table, QChar separator = u' ')
{
    QList<QStringList> result;
    for (const QString& line : QString::fromLatin1(table).split(u'\n', Qt::SkipEmptyParts))
        result.append(line.split(separator, Qt::SkipEmptyParts));
    return result;
}

} // namespace

using namespace Qt::StringLiterals;

class TestControlPanelForm : public QObject
{
    Q_OBJECT

    QWidget host;
    Ui::Widget ui;
    QStringList changes; // as handlers connected before the fill see them

private Q_SLOTS:
    void initTestCase()
    {
        ui.setupUi(&host);
        for (QComboBox* box : host.findChildren<QComboBox*>()) {
            connect(box, &QComboBox::currentIndexChanged, this, [this, box](int index) {
                changes.append(box->objectName() + u':' + QString::number(index));
            });
        }
        fill_combo_boxes(&ui);
    }

    void widgets()
    {
        int listed = 0;
        for (const QStringList& row : rows(widget_table)) {
            for (const QString& name : row.mid(2)) {
                QWidget* widget = host.findChild<QWidget*>(name);
                QVERIFY2(widget != nullptr, qPrintable(name));
                QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), row[0]);
                ++listed;
                if (auto* slider = qobject_cast<QSlider*>(widget)) {
                    const QStringList range = row[1].split(u':');
                    QCOMPARE(slider->minimum(), range[0].toInt());
                    QCOMPARE(slider->maximum(), range[1].toInt());
                    QCOMPARE(slider->tickInterval(), range[2].toInt());
                    QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);
                } else if (row[1] != u"-") {
                    QCOMPARE(widget->parentWidget()->objectName(), row[1]);
                }
            }
        }
        QCOMPARE(host.findChildren<QWidget*>(QRegularExpression(u"^(?!qt_)."_s)).size(), listed);
        QCOMPARE(ui.acc_on_delay_spinBox->maximum(), 255);
    }

    // The fill makes one change per box, to index 0, in a fixed order.
    void combo_boxes()
    {
        QCOMPARE(changes.join(u' '), u"bass_cf_comboBox:0 bass_qf_comboBox:0 middle_cf_comboBox:0 "
                                     "middle_qf_comboBox:0 treble_cf_comboBox:0 "
                                     "sub_cut_off_comboBox:0"_s);
        for (const QStringList& row : rows(combo_table, u'|')) {
            auto* box = host.findChild<QComboBox*>(row[0]);
            QStringList shown;
            for (int i = 0; i < box->count(); ++i)
                shown.append(box->itemText(i));
            QCOMPARE(shown, row.mid(1));
            QCOMPARE(box->currentIndex(), 0);
            QVERIFY(!box->isEditable());
        }
    }

    void initial_state()
    {
        QCOMPARE(host.windowTitle(), u"Brenvik Quadron for Mac v.1.0"_s);
        for (QAbstractButton* button : host.findChildren<QAbstractButton*>()) {
            QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
            // Radio buttons are exclusive among their siblings, no button group involved.
            QCOMPARE(button->autoExclusive(), qobject_cast<QRadioButton*>(button) != nullptr);
        }
        QVERIFY(host.findChildren<QButtonGroup*>().isEmpty());
        for (QWidget* widget : host.findChildren<QWidget*>())
            QVERIFY2(widget->isEnabled(), qPrintable(widget->objectName()));
        for (QLineEdit* field :
             host.findChildren<QLineEdit*>(QRegularExpression(u"_lineEdit$"_s))) {
            QVERIFY2(field->isReadOnly(), qPrintable(field->objectName()));
            const bool version = field == ui.amp_version_lineEdit;
            QCOMPARE(field->text(), version ? u"N/A"_s : u"0 db"_s);
        }
        QCOMPARE(ui.label_7->text(), u"Статус устройства :"_s);
        QCOMPARE(ui.autoload_checkBox->text(), u"Автозагрузка"_s);
        QVERIFY(ui.status_label->text().isEmpty());
        QCOMPARE(ui.status_label->pixmap().size(), QSize(32, 32));
        QCOMPARE(ui.acc_on_delay_spinBox->value(), 0);
    }

    // Clear corners so the images sit on any panel colour; lamps told apart at a glance.
    void images()
    {
        for (const QStringList& row : rows("red-button 32\ngreen-button 32\nsounds 128")) {
            const QImage image(u":/images/"_s + row[0] + u".png"_s);
            const int size = row[1].toInt();
            QCOMPARE(image.size(), QSize(size, size));
            QVERIFY(image.hasAlphaChannel());
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            QCOMPARE(qAlpha(image.pixel(size - 1, size - 1)), 0);
            const QColor lamp = image.pixelColor(16, 18);
            if (row[0] == u"red-button")
                QVERIFY(lamp.red() > 2 * lamp.green());
            if (row[0] == u"green-button")
                QVERIFY(lamp.green() > 2 * lamp.red());
        }
    }
};

QTEST_MAIN(TestControlPanelForm)
#include "test_control_panel_form.moc"
