#pragma once

#include <QFlags>

namespace Ui {
class Widget;
}

// The controls an amplifier variant may lack, for inputs or outputs it does not have.
enum class VariantControl : unsigned {
    input_1 = 1u << 0,
    sec_input_1 = 1u << 1,
    sub = 1u << 2,
    pri_source = 1u << 3,
    sec_source = 1u << 4,
    rear_source = 1u << 5,
    sec_source_gain = 1u << 6,
    input_4 = 1u << 7,
    sec_input_4 = 1u << 8,
};
Q_DECLARE_FLAGS(VariantControls, VariantControl)
Q_DECLARE_OPERATORS_FOR_FLAGS(VariantControls)

struct AmpVariant
{
    int code;              // as reported by the amplifier when identified
    const char* name;      // untranslated; translation context "Widget"
    VariantControls lacks; // controls disabled for this variant
};

// The variant with this code, or nullptr for a code no supported amplifier reports.
const AmpVariant* find_amp_variant(int code);

// Makes every variant-dependent control available again, then, for a known code, shows the
// variant's name in amp_version_lineEdit and disables what the variant lacks. Unknown codes
// leave the name as it was.
void apply_variant_availability(Ui::Widget* ui, int variant);

// Only variants with a subwoofer output take part in subwoofer level changes.
bool variant_has_subwoofer(int variant);
