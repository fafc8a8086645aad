#pragma once

namespace Ui {
class Widget;
}

// Fills the equalizer and subwoofer cut-off boxes, in the order bass_cf, bass_qf, middle_cf,
// middle_qf, treble_cf, sub_cut_off. Each box gets its four items in one insertion at the
// front, so a box whose handlers are already connected sees exactly one change, to index 0.
// The item index is what the amplifier stores; the texts are for display only.
void fill_combo_boxes(Ui::Widget* ui);
