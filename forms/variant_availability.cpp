#include "variant_availability.h"

#include "amp_variants.h"
#include "ui_widget.h"

#include <utility>

void apply_variant_availability(Ui::Widget* ui, int variant)
{
    // In the order in which they are made available again.
    const std::pair<VariantControl, QWidget*> controls[] = {
        {lacks_input_1, ui->input_1_radioButton},
        {lacks_sec_input_1, ui->sec_input_1_radioButton},
        {lacks_sub, ui->sub_groupBox},
        {lacks_pri_source, ui->pri_source_groupBox},
        {lacks_sec_source, ui->sec_source_groupBox},
        {lacks_rear_source, ui->rear_speaker_source_comboBox},
        {lacks_sec_source_gain, ui->sec_source_gain_groupBox},
        {lacks_input_4, ui->input_4_radioButton},
        {lacks_sec_input_4, ui->sec_input_4_radioButton},
    };
    // Undo whatever an amplifier of another variant took away.
    for (const auto& [control, widget] : controls)
        widget->setEnabled(true);
    const AmpVariant* found = find_amp_variant(variant);
    if (found == nullptr)
        return;
    for (const auto& [control, widget] : controls) {
        if (found->lacks & control)
            widget->setEnabled(false);
    }
}
