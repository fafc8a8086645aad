#pragma once

#include "amplifier_state.h"
#include "response_curve.h"

#include <QString>

// The tone section's bands as the shown settings make them: frequencies and quality factors
// are read from the settings table's items, so the curve and the combo boxes never disagree.
response_curve::ToneSection tone_section_of(const AmplifierState::Controls& controls, int variant);

// The setting's value as a number: a level's own, a choice's item text ("80", "1.25"); 0 for
// an item without a number ("flat").
double setting_number(const char* name, const AmplifierState::Controls& controls);

// The response at the third-octave centres, as --response prints it: a header and one line
// per frequency, or one JSON object of arrays on one line.
QString response_report(const response_curve::ToneSection& section, bool json);
