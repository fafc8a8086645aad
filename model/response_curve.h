#pragma once

#include <array>
#include <vector>

// The nominal response of the tone section and of the subwoofer's low-pass, from the analog
// prototypes of the usual audio-equalizer filters (no sample rate): what the settings ask the
// amplifier to do, not a measurement of what it does.
namespace response_curve {

struct Band
{
    enum class Shape {
        peaking,    // gain_db at f0, 0 dB far from it; q sets the width
        high_shelf, // 0 dB below f0, gain_db above it, half of it at f0
        low_pass    // second-order Butterworth: -3.01 dB at f0
    };
    Shape shape = Shape::peaking;
    double f0_hz = 1000;
    double gain_db = 0;
    double q = 0.7071067811865476;
};

// The band's gain in dB at frequency f (Hz).
double band_db(const Band& band, double f_hz);

// The tone section's three bands, and the subwoofer's low-pass when it filters at all.
struct ToneSection
{
    Band bass;
    Band middle;
    Band treble;
    bool has_sub_low_pass = false;
    Band sub_low_pass;
};

// One frequency of a curve: each band, their sum (the bands act in series), the low-pass
// (0 when there is none).
struct Point
{
    double f_hz;
    double bass_db;
    double middle_db;
    double treble_db;
    double sum_db;
    double sub_db;
};

std::vector<Point> response(const ToneSection& section, const std::vector<double>& frequencies);

// count frequencies spread evenly on a logarithmic axis from low to high, both included.
std::vector<double> log_spaced(double low_hz, double high_hz, int count);

// The 31 nominal third-octave centre frequencies from 20 Hz to 20 kHz.
const std::array<double, 31>& third_octave_centres();

constexpr double low_hz = 20;
constexpr double high_hz = 20000;

} // namespace response_curve
