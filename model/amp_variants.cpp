#include "amp_variants.h"

namespace {

constexpr unsigned elmin_lacks =
    lacks_input_1 | lacks_sec_input_1 | lacks_sub | lacks_input_4 | lacks_sec_input_4;

// The names are marked for translation with the context "Widget" where they are shown.
constexpr AmpVariant amp_variants[] = {
    {2, "KARVO", 0},
    {3, "ELMIN", elmin_lacks},
    {4, "ELMIN USB", elmin_lacks},
    {5, "SOTRA",
     lacks_sub | lacks_pri_source | lacks_sec_source | lacks_rear_source | lacks_sec_source_gain |
         lacks_input_4 | lacks_sec_input_4},
    {6, "ELMIN USB + SUB", lacks_input_1 | lacks_sec_input_1 | lacks_input_4 | lacks_sec_input_4},
};

} // namespace

const AmpVariant* find_amp_variant(int code)
{
    for (const AmpVariant& variant : amp_variants) {
        if (variant.code == code)
            return &variant;
    }
    return nullptr;
}

bool variant_has_subwoofer(int code)
{
    const AmpVariant* found = find_amp_variant(code);
    return found != nullptr && (found->lacks & lacks_sub) == 0;
}
