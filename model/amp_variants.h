#pragma once

// The amplifier variants the program drives, as the identification reply names them, and the
// controls each one lacks for the inputs or outputs it does not have.
enum VariantControl : unsigned {
    lacks_input_1 = 1u << 0,
    lacks_sec_input_1 = 1u << 1,
    lacks_sub = 1u << 2,
    lacks_pri_source = 1u << 3,
    lacks_sec_source = 1u << 4,
    lacks_rear_source = 1u << 5,
    lacks_sec_source_gain = 1u << 6,
    lacks_input_4 = 1u << 7,
    lacks_sec_input_4 = 1u << 8,
};

struct AmpVariant
{
    int code;         // as reported by the amplifier when identified
    const char* name; // untranslated; translation context "Widget"
    unsigned lacks;   // VariantControl bits
};

// The variant with this code, or nullptr for a code no supported amplifier reports.
const AmpVariant* find_amp_variant(int code);

inline bool is_supported_variant(int code)
{
    return find_amp_variant(code) != nullptr;
}

// Only variants with a subwoofer output take part in subwoofer level changes.
bool variant_has_subwoofer(int code);
