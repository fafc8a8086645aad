#include "combo_box_items.h"

#include "ui_widget.h"

#include <QCoreApplication>
#include <QStringList>

namespace {

struct ComboBoxItems
{
    QComboBox* Ui::Widget::*box;
    const char* items[4];
};

const ComboBoxItems combo_box_items[] = {
    {&Ui::Widget::bass_cf_comboBox,
     {QT_TRANSLATE_NOOP("Widget", "60 Hz"), QT_TRANSLATE_NOOP("Widget", "80 Hz"),
      QT_TRANSLATE_NOOP("Widget", "100 Hz"), QT_TRANSLATE_NOOP("Widget", "200 Hz")}},
    {&Ui::Widget::bass_qf_comboBox,
     {QT_TRANSLATE_NOOP("Widget", "1.0"), QT_TRANSLATE_NOOP("Widget", "1.25"),
      QT_TRANSLATE_NOOP("Widget", "1.5"), QT_TRANSLATE_NOOP("Widget", "2.0")}},
    {&Ui::Widget::middle_cf_comboBox,
     {QT_TRANSLATE_NOOP("Widget", "500 Hz"), QT_TRANSLATE_NOOP("Widget", "1000 Hz"),
      QT_TRANSLATE_NOOP("Widget", "1500 Hz"), QT_TRANSLATE_NOOP("Widget", "2500 Hz")}},
    // "1", not "1.0": that is how the middle band's quality factor has always been shown.
    {&Ui::Widget::middle_qf_comboBox,
     {QT_TRANSLATE_NOOP("Widget", "0.5"), QT_TRANSLATE_NOOP("Widget", "0.75"),
      QT_TRANSLATE_NOOP("Widget", "1"), QT_TRANSLATE_NOOP("Widget", "1.25")}},
    {&Ui::Widget::treble_cf_comboBox,
     {QT_TRANSLATE_NOOP("Widget", "10.0 kHz"), QT_TRANSLATE_NOOP("Widget", "12.5 kHz"),
      QT_TRANSLATE_NOOP("Widget", "15.0 kHz"), QT_TRANSLATE_NOOP("Widget", "17.5 kHz")}},
    {&Ui::Widget::sub_cut_off_comboBox,
     {QT_TRANSLATE_NOOP("Widget", "flat"), QT_TRANSLATE_NOOP("Widget", "80 Hz"),
      QT_TRANSLATE_NOOP("Widget", "120 Hz"), QT_TRANSLATE_NOOP("Widget", "160 Hz")}},
};

} // namespace

void fill_combo_boxes(Ui::Widget* ui)
{
    for (const ComboBoxItems& entry : combo_box_items) {
        QStringList texts;
        for (const char* item : entry.items)
            texts.append(QCoreApplication::translate("Widget", item));
        (ui->*entry.box)->insertItems(0, texts);
    }
}
