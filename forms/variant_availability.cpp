#include "variant_availability.h"

#include "ui_widget.h"

#include <QCoreApplication>

namespace {

constexpr VariantControls elmin_lacks = VariantControl::input_1 | VariantControl::sec_input_1 |
                                        VariantControl::sub | VariantControl::input_4 |
                                        VariantControl::sec_input_4;

const AmpVariant amp_variants[] = {
    {2, QT_TRANSLATE_NOOP("Widget", "KARVO"), {}},
    {3, QT_TRANSLATE_NOOP("Widget", "ELMIN"), elmin_lacks},
    {4, QT_TRANSLATE_NOOP("Widget", "ELMIN USB"), elmin_lacks},
    {5, QT_TRANSLATE_NOOP("Widget", "SOTRA"),
     VariantControl::sub | VariantControl::pri_source | VariantControl::sec_source |
         VariantControl::rear_source | VariantControl::sec_source_gain | VariantControl::input_4 |
         VariantControl::sec_input_4},
    {6, QT_TRANSLATE_NOOP("Widget", "ELMIN USB + SUB"),
     VariantControl::input_1 | VariantControl::sec_input_1 | VariantControl::input_4 |
         VariantControl::sec_input_4},
};

// The order in which the controls are made available again.
constexpr VariantControl variant_controls[] = {
    VariantControl::input_1,         VariantControl::sec_input_1, VariantControl::sub,
    VariantControl::pri_source,      VariantControl::sec_source,  VariantControl::rear_source,
    VariantControl::sec_source_gain, VariantControl::input_4,     VariantControl::sec_input_4,
};

QWidget* control_widget(Ui::Widget* ui, VariantControl control)
{
    switch (control) {
    case VariantControl::input_1:
        return ui->input_1_radioButton;
    case VariantControl::sec_input_1:
        return ui->sec_input_1_radioButton;
    case VariantControl::sub:
        return ui->sub_groupBox;
    case VariantControl::pri_source:
        return ui->pri_source_groupBox;
    case VariantControl::sec_source:
        return ui->sec_source_groupBox;
    case VariantControl::rear_source:
        return ui->rear_speaker_source_comboBox;
    case VariantControl::sec_source_gain:
        return ui->sec_source_gain_groupBox;
    case VariantControl::input_4:
        return ui->input_4_radioButton;
    case VariantControl::sec_input_4:
        return ui->sec_input_4_radioButton;
    }
    return nullptr;
}

} // namespace

const AmpVariant* find_amp_variant(int code)
{
    for (const AmpVariant& variant : amp_variants) {
        if (variant.code == code)
            return &variant;
    }
    return nullptr;
}

void apply_variant_availability(Ui::Widget* ui, int variant)
{
    // Undo whatever a previously connected amplifier of another variant took away.
    for (VariantControl control : variant_controls)
        control_widget(ui, control)->setEnabled(true);

    const AmpVariant* found = find_amp_variant(variant);
    if (found == nullptr)
        return;
    ui->amp_version_lineEdit->setText(QCoreApplication::translate("Widget", found->name));
    for (VariantControl control : variant_controls) {
        if (found->lacks.testFlag(control))
            control_widget(ui, control)->setEnabled(false);
    }
}

bool variant_has_subwoofer(int variant)
{
    const AmpVariant* found = find_amp_variant(variant);
    return found != nullptr && !found->lacks.testFlag(VariantControl::sub);
}
