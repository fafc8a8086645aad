#include "combo_box_items.h"
#include "ui_widget.h"

#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(u' ', Qt::SkipEmptyParts);
}

// What a layout holds, in order: widget and layout names, "-" and "|" for spacers.
QStringList layout_items(QLayout* layout)
{
    QStringList items;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget() != nullptr)
            items.append(item->widget()->objectName());
        else if (item->layout() != nullptr)
            items.append(item->layout()->objectName());
        else if (item->spacerItem() != nullptr)
            items.append(item->sizeHint().width() > item->sizeHint().height()
                             ? QStringLiteral("-")
                             : QStringLiteral("|"));
    }
    return items;
}

const char* const value_fields = "volume_lineEdit input_lineEdit sec_input_lineEdit fl_lineEdit "
                                 "fr_lineEdit rl_lineEdit rr_lineEdit sub_lineEdit bass_lineEdit "
                                 "middle_lineEdit treble_lineEdit";

} // namespace

class TestControlPanelForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QWidget> host;
    std::unique_ptr<Ui::Widget> ui;

    template <typename T> T* find(const QString& name)
    {
        T* found = host->findChild<T*>(name);
        if (found == nullptr)
            qFatal("no %s named %s", T::staticMetaObject.className(), qPrintable(name));
        return found;
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

    void widgets_data()
    {
        QTest::addColumn<QString>("class_name");
        QTest::addColumn<QString>("parent");
        QTest::addColumn<QString>("text"); // text or group title; null when the widget has none
        const auto add = [](const char* name, const char* cls, const char* parent,
                            const char* text = nullptr) {
            QTest::newRow(name) << QString::fromLatin1(cls) << QString::fromLatin1(parent)
                                << (text != nullptr ? QString::fromUtf8(text) : QString());
        };
        add("label_7", "QLabel", "Widget", "Статус устройства :");
        add("status_label", "QLabel", "Widget", "");
        add("label_9", "QLabel", "Widget", "Версия :");
        add("amp_version_lineEdit", "QLineEdit", "Widget", "N/A");
        add("autoload_checkBox", "QCheckBox", "Widget", "Автозагрузка");
        add("configuration_frame", "QFrame", "Widget");

        add("groupBox", "QGroupBox", "configuration_frame", "Volume");
        add("volume_lineEdit", "QLineEdit", "groupBox", "0 db");
        add("volume_horizontalSlider", "QSlider", "groupBox");
        add("volume_mute_checkBox", "QCheckBox", "groupBox", "Mute");
        add("groupBox_6", "QGroupBox", "configuration_frame", "Main Mute");
        add("hard_mute_checkBox", "QCheckBox", "groupBox_6", "Hard Mute");
        add("soft_mute_checkBox", "QCheckBox", "groupBox_6", "Soft Mute");
        add("groupBox_8", "QGroupBox", "configuration_frame", "Pri. Source Gain");
        add("input_lineEdit", "QLineEdit", "groupBox_8", "0 db");
        add("input_gain_horizontalSlider", "QSlider", "groupBox_8");
        add("pri_source_groupBox", "QGroupBox", "configuration_frame", "Pri. Source");
        add("input_1_radioButton", "QRadioButton", "pri_source_groupBox", "Input 1");
        add("input_2_radioButton", "QRadioButton", "pri_source_groupBox", "Input 2");
        add("input_3_radioButton", "QRadioButton", "pri_source_groupBox", "Input 3");
        add("input_4_radioButton", "QRadioButton", "pri_source_groupBox", "Input 4");
        add("autozero_checkBox", "QCheckBox", "pri_source_groupBox", "AutoZero");
        add("sec_source_groupBox", "QGroupBox", "configuration_frame", "Sec. Source");
        add("sec_input_1_radioButton", "QRadioButton", "sec_source_groupBox", "Input 1");
        add("sec_input_2_radioButton", "QRadioButton", "sec_source_groupBox", "Input 2");
        add("sec_input_3_radioButton", "QRadioButton", "sec_source_groupBox", "Input 3");
        add("sec_input_4_radioButton", "QRadioButton", "sec_source_groupBox", "Input 4");
        add("sec_input_mute_radioButton", "QRadioButton", "sec_source_groupBox", "Mute");
        add("sec_source_gain_groupBox", "QGroupBox", "configuration_frame", "Sec. Source Gain");
        add("sec_input_lineEdit", "QLineEdit", "sec_source_gain_groupBox", "0 db");
        add("sec_input_gain_horizontalSlider", "QSlider", "sec_source_gain_groupBox");
        add("label_8", "QLabel", "configuration_frame", "RL + RR Source :");
        add("rear_speaker_source_comboBox", "QComboBox", "configuration_frame");

        add("groupBox_7", "QGroupBox", "configuration_frame", "Faders");
        add("groupBox_2", "QGroupBox", "groupBox_7", "Front Left");
        add("fl_lineEdit", "QLineEdit", "groupBox_2", "0 db");
        add("fl_horizontalSlider", "QSlider", "groupBox_2");
        add("fl_mute_checkBox", "QCheckBox", "groupBox_2", "Mute");
        add("groupBox_3", "QGroupBox", "groupBox_7", "Front Right");
        add("fr_lineEdit", "QLineEdit", "groupBox_3", "0 db");
        add("fr_horizontalSlider", "QSlider", "groupBox_3");
        add("fr_mute_checkBox", "QCheckBox", "groupBox_3", "Mute");
        add("groupBox_4", "QGroupBox", "groupBox_7", "Rear Left");
        add("rl_lineEdit", "QLineEdit", "groupBox_4", "0 db");
        add("rl_horizontalSlider", "QSlider", "groupBox_4");
        add("rl_mute_checkBox", "QCheckBox", "groupBox_4", "Mute");
        add("groupBox_5", "QGroupBox", "groupBox_7", "Rear Right");
        add("rr_lineEdit", "QLineEdit", "groupBox_5", "0 db");
        add("rr_horizontalSlider", "QSlider", "groupBox_5");
        add("rr_mute_checkBox", "QCheckBox", "groupBox_5", "Mute");
        add("sub_groupBox", "QGroupBox", "groupBox_7", "Subwoofer");
        add("sub_lineEdit", "QLineEdit", "sub_groupBox", "0 db");
        add("sub_horizontalSlider", "QSlider", "sub_groupBox");
        add("sub_mute_checkBox", "QCheckBox", "sub_groupBox", "Mute");
        add("label_6", "QLabel", "sub_groupBox", "Sub. cut-off :");
        add("sub_cut_off_comboBox", "QComboBox", "sub_groupBox");

        add("groupBox_12", "QGroupBox", "configuration_frame", "Equalizer");
        add("groupBox_9", "QGroupBox", "groupBox_12", "Bass");
        add("bass_lineEdit", "QLineEdit", "groupBox_9", "0 db");
        add("bass_gain_horizontalSlider", "QSlider", "groupBox_9");
        add("label", "QLabel", "groupBox_9", "Center Freq. :");
        add("bass_cf_comboBox", "QComboBox", "groupBox_9");
        add("label_2", "QLabel", "groupBox_9", "Quality Factor :");
        add("bass_qf_comboBox", "QComboBox", "groupBox_9");
        add("groupBox_10", "QGroupBox", "groupBox_12", "Middle");
        add("middle_lineEdit", "QLineEdit", "groupBox_10", "0 db");
        add("middle_gain_horizontalSlider", "QSlider", "groupBox_10");
        add("label_3", "QLabel", "groupBox_10", "Center Freq. :");
        add("middle_cf_comboBox", "QComboBox", "groupBox_10");
        add("label_4", "QLabel", "groupBox_10", "Quality Factor :");
        add("middle_qf_comboBox", "QComboBox", "groupBox_10");
        add("groupBox_11", "QGroupBox", "groupBox_12", "Treble");
        add("treble_lineEdit", "QLineEdit", "groupBox_11", "0 db");
        add("treble_gain_horizontalSlider", "QSlider", "groupBox_11");
        add("label_5", "QLabel", "groupBox_11", "Center Freq. :");
        add("treble_cf_comboBox", "QComboBox", "groupBox_11");
        add("groupBox_13", "QGroupBox", "configuration_frame", "Delays");
        add("label_10", "QLabel", "groupBox_13", "ACC_ON Delay :");
        add("acc_on_delay_spinBox", "QSpinBox", "groupBox_13");
    }

    void widgets()
    {
        QFETCH(QString, class_name);
        QFETCH(QString, parent);
        QFETCH(QString, text);
        QWidget* widget = find<QWidget>(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(QString::fromLatin1(widget->metaObject()->className()), class_name);
        QCOMPARE(widget->parentWidget()->objectName(), parent);
        if (!text.isNull()) {
            const char* property = qobject_cast<QGroupBox*>(widget) != nullptr ? "title" : "text";
            QCOMPARE(widget->property(property).toString(), text);
        }
    }

    void layouts_data()
    {
        QTest::addColumn<QString>("parent");
        QTest::addColumn<int>("spacing");
        QTest::addColumn<QMargins>("margins");
        QTest::addColumn<QStringList>("items");
        const auto add = [](const char* name, const char* parent, int spacing, QMargins margins,
                            const char* items) {
            QTest::newRow(name) << QString::fromLatin1(parent) << spacing << margins
                                << words(items);
        };
        const QMargins none;
        const QMargins fader(6, 0, 6, 0);
        const QMargins band(6, 0, 6, 4);
        add("verticalLayout_20", "Widget", 6, QMargins(9, 9, 9, 9),
            "horizontalLayout_33 configuration_frame");
        add("horizontalLayout_33", "verticalLayout_20", 6, none,
            "horizontalLayout_24 - horizontalLayout_26 - autoload_checkBox");
        add("horizontalLayout_24", "horizontalLayout_33", 6, none, "label_7 status_label");
        add("horizontalLayout_26", "horizontalLayout_33", 6, none, "label_9 amp_version_lineEdit");
        add("horizontalLayout_32", "configuration_frame", 6, none,
            "verticalLayout_16 verticalLayout_19 verticalLayout_18");

        add("verticalLayout_16", "horizontalLayout_32", 3, none,
            "groupBox groupBox_6 groupBox_8 horizontalLayout_28 sec_source_gain_groupBox "
            "horizontalLayout_14 |");
        add("verticalLayout", "groupBox", 0, fader, "horizontalLayout horizontalLayout_2");
        add("horizontalLayout", "verticalLayout", 6, none,
            "volume_lineEdit volume_horizontalSlider");
        add("horizontalLayout_2", "verticalLayout", 6, none, "- volume_mute_checkBox");
        add("verticalLayout_17", "groupBox_6", 6, QMargins(3, 3, 3, 3), "horizontalLayout_29");
        add("horizontalLayout_29", "verticalLayout_17", 6, none,
            "- hard_mute_checkBox soft_mute_checkBox");
        add("verticalLayout_8", "groupBox_8", 0, QMargins(6, 0, 6, 6), "horizontalLayout_13");
        add("horizontalLayout_13", "verticalLayout_8", 6, none,
            "input_lineEdit input_gain_horizontalSlider");
        add("horizontalLayout_28", "verticalLayout_16", 6, none,
            "pri_source_groupBox sec_source_groupBox");
        add("verticalLayout_13", "pri_source_groupBox", 6, QMargins(6, 6, 6, 6),
            "input_1_radioButton input_2_radioButton input_3_radioButton input_4_radioButton "
            "autozero_checkBox");
        add("verticalLayout_14", "sec_source_groupBox", 6, QMargins(6, 6, 6, 6),
            "sec_input_1_radioButton sec_input_2_radioButton sec_input_3_radioButton "
            "sec_input_4_radioButton sec_input_mute_radioButton");
        add("verticalLayout_15", "sec_source_gain_groupBox", 0, QMargins(6, 0, 6, 6),
            "horizontalLayout_25");
        add("horizontalLayout_25", "verticalLayout_15", 6, none,
            "sec_input_lineEdit sec_input_gain_horizontalSlider");
        add("horizontalLayout_14", "verticalLayout_16", 6, none,
            "- label_8 rear_speaker_source_comboBox");

        add("verticalLayout_19", "horizontalLayout_32", 3, none, "groupBox_7 |");
        add("verticalLayout_7", "groupBox_7", 3, QMargins(3, 3, 3, 3),
            "groupBox_2 groupBox_3 groupBox_4 groupBox_5 sub_groupBox");
        add("verticalLayout_2", "groupBox_2", 0, fader, "horizontalLayout_3 horizontalLayout_4");
        add("horizontalLayout_3", "verticalLayout_2", 6, none, "fl_lineEdit fl_horizontalSlider");
        add("horizontalLayout_4", "verticalLayout_2", 6, none, "- fl_mute_checkBox");
        add("verticalLayout_3", "groupBox_3", 0, fader, "horizontalLayout_5 horizontalLayout_6");
        add("horizontalLayout_5", "verticalLayout_3", 6, none, "fr_lineEdit fr_horizontalSlider");
        add("horizontalLayout_6", "verticalLayout_3", 6, none, "- fr_mute_checkBox");
        add("verticalLayout_4", "groupBox_4", 0, fader, "horizontalLayout_7 horizontalLayout_8");
        add("horizontalLayout_7", "verticalLayout_4", 6, none, "rl_lineEdit rl_horizontalSlider");
        add("horizontalLayout_8", "verticalLayout_4", 6, none, "- rl_mute_checkBox");
        add("verticalLayout_5", "groupBox_5", 0, fader, "horizontalLayout_9 horizontalLayout_10");
        add("horizontalLayout_9", "verticalLayout_5", 6, none, "rr_lineEdit rr_horizontalSlider");
        add("horizontalLayout_10", "verticalLayout_5", 6, none, "- rr_mute_checkBox");
        add("verticalLayout_6", "sub_groupBox", 0, QMargins(6, 0, 6, 4),
            "horizontalLayout_11 horizontalLayout_12 horizontalLayout_23");
        add("horizontalLayout_11", "verticalLayout_6", 6, none,
            "sub_lineEdit sub_horizontalSlider");
        add("horizontalLayout_12", "verticalLayout_6", 6, none, "- sub_mute_checkBox");
        add("horizontalLayout_23", "verticalLayout_6", 6, none, "- label_6 sub_cut_off_comboBox");

        add("verticalLayout_18", "horizontalLayout_32", 3, none,
            "groupBox_12 horizontalLayout_31 |");
        add("verticalLayout_12", "groupBox_12", 3, QMargins(3, 3, 3, 3),
            "groupBox_9 groupBox_10 groupBox_11");
        add("verticalLayout_9", "groupBox_9", 3, band,
            "horizontalLayout_15 horizontalLayout_17 horizontalLayout_18");
        add("horizontalLayout_15", "verticalLayout_9", 6, none,
            "bass_lineEdit bass_gain_horizontalSlider");
        add("horizontalLayout_17", "verticalLayout_9", 6, none, "- label bass_cf_comboBox");
        add("horizontalLayout_18", "verticalLayout_9", 6, none, "- label_2 bass_qf_comboBox");
        add("verticalLayout_10", "groupBox_10", 3, band,
            "horizontalLayout_16 horizontalLayout_19 horizontalLayout_20");
        add("horizontalLayout_16", "verticalLayout_10", 6, none,
            "middle_lineEdit middle_gain_horizontalSlider");
        add("horizontalLayout_19", "verticalLayout_10", 6, none, "- label_3 middle_cf_comboBox");
        add("horizontalLayout_20", "verticalLayout_10", 6, none, "- label_4 middle_qf_comboBox");
        add("verticalLayout_11", "groupBox_11", 3, band, "horizontalLayout_21 horizontalLayout_22");
        add("horizontalLayout_21", "verticalLayout_11", 6, none,
            "treble_lineEdit treble_gain_horizontalSlider");
        add("horizontalLayout_22", "verticalLayout_11", 6, none, "- label_5 treble_cf_comboBox");
        add("horizontalLayout_31", "verticalLayout_18", 0, none, "groupBox_13 -");
        add("horizontalLayout_30", "groupBox_13", 6, QMargins(6, 6, 6, 6), "horizontalLayout_27");
        add("horizontalLayout_27", "horizontalLayout_30", 6, none, "label_10 acc_on_delay_spinBox");
    }

    void layouts()
    {
        QFETCH(QString, parent);
        QFETCH(int, spacing);
        QFETCH(QMargins, margins);
        QFETCH(QStringList, items);
        const QString name = QString::fromLatin1(QTest::currentDataTag());
        QLayout* layout = find<QLayout>(name);
        const bool vertical = name.startsWith(QLatin1String("vertical"));
        QCOMPARE(qobject_cast<QBoxLayout*>(layout)->direction(),
                 vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
        QCOMPARE(layout->parent()->objectName(), parent);
        QCOMPARE(layout->spacing(), spacing);
        QCOMPARE(layout->contentsMargins(), margins);
        QCOMPARE(layout_items(layout), items);
        QCOMPARE(layout->sizeConstraint(), QLayout::SetDefaultConstraint);
    }

    void spacers()
    {
        int horizontal = 0;
        int vertical = 0;
        const QList<QLayout*> layouts = host->findChildren<QLayout*>();
        for (QLayout* layout : layouts) {
            for (int i = 0; i < layout->count(); ++i) {
                QSpacerItem* spacer = layout->itemAt(i)->spacerItem();
                if (spacer == nullptr)
                    continue;
                const QSizePolicy policy = spacer->sizePolicy();
                if (spacer->sizeHint() == QSize(40, 20)) {
                    ++horizontal;
                    QCOMPARE(policy.horizontalPolicy(), QSizePolicy::Expanding);
                    QCOMPARE(policy.verticalPolicy(), QSizePolicy::Minimum);
                } else {
                    ++vertical;
                    QCOMPARE(spacer->sizeHint(), QSize(20, 40));
                    QCOMPARE(policy.horizontalPolicy(), QSizePolicy::Minimum);
                    QCOMPARE(policy.verticalPolicy(), QSizePolicy::Expanding);
                }
            }
        }
        QCOMPARE(horizontal, 17);
        QCOMPARE(vertical, 3);
    }

    void sliders_data()
    {
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("tick_interval");
        QTest::newRow("volume_horizontalSlider") << -79 << 15 << 5;
        QTest::newRow("input_gain_horizontalSlider") << 0 << 15 << 1;
        QTest::newRow("sec_input_gain_horizontalSlider") << 0 << 15 << 1;
        QTest::newRow("fl_horizontalSlider") << -79 << 15 << 5;
        QTest::newRow("fr_horizontalSlider") << -79 << 15 << 5;
        QTest::newRow("rl_horizontalSlider") << -79 << 15 << 5;
        QTest::newRow("rr_horizontalSlider") << -79 << 15 << 5;
        QTest::newRow("sub_horizontalSlider") << -79 << 15 << 5;
        QTest::newRow("bass_gain_horizontalSlider") << -15 << 15 << 2;
        QTest::newRow("middle_gain_horizontalSlider") << -15 << 15 << 2;
        QTest::newRow("treble_gain_horizontalSlider") << -15 << 15 << 2;
    }

    void sliders()
    {
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(int, tick_interval);
        QSlider* slider = find<QSlider>(QString::fromLatin1(QTest::currentDataTag()));
        QCOMPARE(slider->minimum(), minimum);
        QCOMPARE(slider->maximum(), maximum);
        QCOMPARE(slider->tickInterval(), tick_interval);
        QCOMPARE(slider->tickPosition(), QSlider::TicksBothSides);
        QCOMPARE(slider->orientation(), Qt::Horizontal);
        QCOMPARE(slider->singleStep(), 1);
        QCOMPARE(slider->pageStep(), 10);
        QVERIFY(slider->hasTracking());
        QVERIFY(!slider->invertedAppearance());
        QCOMPARE(slider->value(), 0);

        // Moving to the extremes stops at the range's ends.
        slider->setValue(minimum - 100);
        QCOMPARE(slider->value(), minimum);
        slider->setValue(maximum + 100);
        QCOMPARE(slider->value(), maximum);
    }

    void sizes_and_policies()
    {
        QCOMPARE(host->size(), QSize(782, 538));
        QCOMPARE(host->minimumSize(), QSize(0, 0));
        QCOMPARE(host->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        QCOMPARE(host->windowTitle(), QStringLiteral("Brenvik Quadron for Mac v.1.0"));

        QCOMPARE(ui->sub_horizontalSlider->minimumSize(), QSize(100, 29));
        QCOMPARE(ui->bass_gain_horizontalSlider->sizePolicy(),
                 QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed));
        QCOMPARE(ui->label_9->sizePolicy(),
                 QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred));
        QCOMPARE(ui->label_10->sizePolicy(), QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));
        QCOMPARE(ui->amp_version_lineEdit->sizePolicy(),
                 QSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed));
        QCOMPARE(ui->amp_version_lineEdit->maximumWidth(), 90);
        QCOMPARE(ui->amp_version_lineEdit->alignment(), Qt::AlignCenter);
        QVERIFY(ui->amp_version_lineEdit->isReadOnly());

        QCOMPARE(ui->configuration_frame->frameShape(), QFrame::NoFrame);
        QCOMPARE(ui->configuration_frame->frameShadow(), QFrame::Plain);
        QCOMPARE(ui->configuration_frame->lineWidth(), 0);

        for (const QString& name : words(value_fields)) {
            QLineEdit* field = find<QLineEdit>(name);
            QVERIFY2(field->isReadOnly(), qPrintable(name));
            QCOMPARE(field->maximumWidth(), 45);
        }

        QCOMPARE(ui->acc_on_delay_spinBox->minimum(), 0);
        QCOMPARE(ui->acc_on_delay_spinBox->maximum(), 255);
        QCOMPARE(ui->acc_on_delay_spinBox->singleStep(), 1);
        QVERIFY(ui->acc_on_delay_spinBox->prefix().isEmpty());
        QVERIFY(ui->acc_on_delay_spinBox->suffix().isEmpty());
    }

    void combo_boxes_data()
    {
        QTest::addColumn<QStringList>("items");
        const auto add = [](const char* name, std::initializer_list<const char*> items) {
            QStringList texts;
            for (const char* item : items)
                texts.append(QString::fromLatin1(item));
            QTest::newRow(name) << texts;
        };
        add("rear_speaker_source_comboBox", {"Pri. source", "Sec. source"});
        add("sub_cut_off_comboBox", {"flat", "80 Hz", "120 Hz", "160 Hz"});
        add("bass_cf_comboBox", {"60 Hz", "80 Hz", "100 Hz", "200 Hz"});
        add("bass_qf_comboBox", {"1.0", "1.25", "1.5", "2.0"});
        add("middle_cf_comboBox", {"500 Hz", "1000 Hz", "1500 Hz", "2500 Hz"});
        add("middle_qf_comboBox", {"0.5", "0.75", "1", "1.25"});
        add("treble_cf_comboBox", {"10.0 kHz", "12.5 kHz", "15.0 kHz", "17.5 kHz"});
    }

    void combo_boxes()
    {
        QFETCH(QStringList, items);
        QComboBox* box = find<QComboBox>(QString::fromLatin1(QTest::currentDataTag()));
        QStringList shown;
        for (int i = 0; i < box->count(); ++i)
            shown.append(box->itemText(i));
        QCOMPARE(shown, items);
        QCOMPARE(box->currentIndex(), 0);
        QVERIFY(!box->isEditable());
    }

    // Handlers connected before the fill see one change per box, to index 0, in a fixed order.
    void fill_reports_one_change_per_box()
    {
        QWidget fresh_host;
        Ui::Widget fresh;
        fresh.setupUi(&fresh_host);
        QStringList changes;
        const QList<QComboBox*> boxes = fresh_host.findChildren<QComboBox*>();
        for (QComboBox* box : boxes) {
            connect(box, &QComboBox::currentIndexChanged, this, [&changes, box](int index) {
                changes.append(box->objectName() + u':' + QString::number(index));
            });
        }
        fill_combo_boxes(&fresh);
        QCOMPARE(changes, words("bass_cf_comboBox:0 bass_qf_comboBox:0 middle_cf_comboBox:0 "
                                "middle_qf_comboBox:0 treble_cf_comboBox:0 "
                                "sub_cut_off_comboBox:0"));
    }

    void initial_state()
    {
        const QList<QAbstractButton*> buttons = host->findChildren<QAbstractButton*>();
        QCOMPARE(buttons.size(), 10 + 9);
        for (QAbstractButton* button : buttons)
            QVERIFY2(!button->isChecked(), qPrintable(button->objectName()));
        const QList<QWidget*> widgets = host->findChildren<QWidget*>();
        for (QWidget* widget : widgets)
            QVERIFY2(widget->isEnabled(), qPrintable(widget->objectName()));
        QCOMPARE(ui->acc_on_delay_spinBox->value(), 0);
        QVERIFY(ui->status_label->text().isEmpty());
        QCOMPARE(ui->status_label->pixmap().size(), QSize(32, 32));
    }

    void radio_groups_data()
    {
        QTest::addColumn<QStringList>("buttons");
        QTest::newRow("pri_source_groupBox")
            << words("input_1_radioButton input_2_radioButton input_3_radioButton "
                     "input_4_radioButton");
        QTest::newRow("sec_source_groupBox")
            << words("sec_input_1_radioButton sec_input_2_radioButton sec_input_3_radioButton "
                     "sec_input_4_radioButton sec_input_mute_radioButton");
    }

    // Checking a button unchecks its siblings, never the other group or the AutoZero box.
    void radio_groups()
    {
        QFETCH(QStringList, buttons);
        ui->autozero_checkBox->setChecked(true);
        QRadioButton* other_group = ui->pri_source_groupBox->isAncestorOf(find<QWidget>(buttons[0]))
                                        ? ui->sec_input_2_radioButton
                                        : ui->input_2_radioButton;
        other_group->setChecked(true);
        for (const QString& checked : buttons) {
            find<QRadioButton>(checked)->setChecked(true);
            for (const QString& name : buttons)
                QCOMPARE(find<QRadioButton>(name)->isChecked(), name == checked);
            QVERIFY(ui->autozero_checkBox->isChecked());
            QVERIFY(other_group->isChecked());
        }
        ui->autozero_checkBox->setChecked(false);
        QVERIFY(find<QRadioButton>(buttons.last())->isChecked());
    }

    void images_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QSize>("size");
        QTest::newRow("red lamp") << QStringLiteral(":/images/red-button.png") << QSize(32, 32);
        QTest::newRow("green lamp") << QStringLiteral(":/images/green-button.png") << QSize(32, 32);
        QTest::newRow("app image") << QStringLiteral(":/images/sounds.png") << QSize(128, 128);
    }

    void images()
    {
        QFETCH(QString, path);
        QFETCH(QSize, size);
        const QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), size);
        QVERIFY(image.hasAlphaChannel());
        // Drawn shapes on a clear background, so they sit on any panel colour.
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(image.pixel(size.width() - 1, size.height() - 1)), 0);
    }

    // The lamps must be told apart at a glance.
    void lamp_colours()
    {
        const QColor red = QImage(QStringLiteral(":/images/red-button.png")).pixelColor(16, 18);
        const QColor green = QImage(QStringLiteral(":/images/green-button.png")).pixelColor(16, 18);
        QVERIFY(red.red() > 2 * red.green());
        QVERIFY(green.green() > 2 * green.red());
    }
};

QTEST_MAIN(TestControlPanelForm)
#include "test_control_panel_form.moc"
