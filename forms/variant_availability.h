#pragma once

namespace Ui {
class Widget;
}

// Makes every variant-dependent control available again, then disables what the variant
// lacks. For a code no supported amplifier reports, everything stays available.
void apply_variant_availability(Ui::Widget* ui, int variant);
