#include "response_curve.h"

#include <cmath>

namespace response_curve {

namespace {

// |N(jw)|^2 / |D(jw)|^2 of H(s) = (a2 s^2 + a1 s + a0) / (b2 s^2 + b1 s + b0), w = f / f0.
double magnitude_db(double w, double a2, double a1, double a0, double b2, double b1, double b0)
{
    const double w2 = w * w;
    const double num_re = a0 - a2 * w2, num_im = a1 * w;
    const double den_re = b0 - b2 * w2, den_im = b1 * w;
    const double ratio = (num_re * num_re + num_im * num_im) / (den_re * den_re + den_im * den_im);
    return 10.0 * std::log10(ratio);
}

} // namespace

double band_db(const Band& band, double f_hz)
{
    const double w = f_hz / band.f0_hz;
    const double a = std::pow(10.0, band.gain_db / 40.0);
    switch (band.shape) {
    case Band::Shape::peaking:
        // (s^2 + s A/Q + 1) / (s^2 + s/(A Q) + 1)
        return magnitude_db(w, 1, a / band.q, 1, 1, 1 / (a * band.q), 1);
    case Band::Shape::high_shelf: {
        // A (A s^2 + sqrt(A)/Q s + 1) / (s^2 + sqrt(A)/Q s + A)
        const double k = std::sqrt(a) / band.q;
        return 20.0 * std::log10(a) + magnitude_db(w, a, k, 1, 1, k, a);
    }
    case Band::Shape::low_pass:
        // 1 / (s^2 + s/Q + 1)
        return magnitude_db(w, 0, 0, 1, 1, 1 / band.q, 1);
    }
    return 0;
}

std::vector<Point> response(const ToneSection& section, const std::vector<double>& frequencies)
{
    std::vector<Point> points;
    points.reserve(frequencies.size());
    for (const double f : frequencies) {
        Point point{f,
                    band_db(section.bass, f),
                    band_db(section.middle, f),
                    band_db(section.treble, f),
                    0,
                    section.has_sub_low_pass ? band_db(section.sub_low_pass, f) : 0};
        point.sum_db = point.bass_db + point.middle_db + point.treble_db;
        points.push_back(point);
    }
    return points;
}

std::vector<double> log_spaced(double low, double high, int count)
{
    std::vector<double> frequencies;
    frequencies.reserve(std::size_t(count));
    const double ratio = std::log(high / low);
    for (int i = 0; i < count; ++i)
        frequencies.push_back(count > 1 ? low * std::exp(ratio * i / (count - 1)) : low);
    return frequencies;
}

const std::array<double, 31>& third_octave_centres()
{
    static const std::array<double, 31> centres{20,   25,   31.5, 40,    50,    63,    80,   100,
                                                125,  160,  200,  250,   315,   400,   500,  630,
                                                800,  1000, 1250, 1600,  2000,  2500,  3150, 4000,
                                                5000, 6300, 8000, 10000, 12500, 16000, 20000};
    return centres;
}

} // namespace response_curve
