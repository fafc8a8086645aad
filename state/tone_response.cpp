#include "tone_response.h"

#include "amp_settings.h"
#include "amp_variants.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

using response_curve::Band;

double number_of(const AmpSetting& setting, int value)
{
    if (setting.kind != AmpSetting::Kind::choice)
        return value;
    const AmpSetting::Item* item = setting.item_with_value(value);
    return item ? QByteArray(item->text).toDouble() : 0;
}

// Two decimals: finer than the gain steps, and what a script compares.
double rounded(double db)
{
    const double r = std::round(db * 100) / 100;
    return r == 0 ? 0 : r; // no "-0"
}

} // namespace

double setting_number(const char* name, const AmplifierState::Controls& controls)
{
    const AmpSetting* setting = find_amp_setting(QLatin1String(name));
    return setting ? number_of(*setting, setting->read(controls)) : 0;
}

response_curve::ToneSection tone_section_of(const AmplifierState::Controls& controls, int variant)
{
    const auto number = [&](const char* name) { return setting_number(name, controls); };
    response_curve::ToneSection section;
    section.bass = {Band::Shape::peaking, number("bass_cf"), number("bass_gain"),
                    number("bass_qf")};
    section.middle = {Band::Shape::peaking, number("middle_cf"), number("middle_gain"),
                      number("middle_qf")};
    section.treble = {Band::Shape::high_shelf, number("treble_cf"), number("treble_gain")};
    const double cut_off = number("sub_cut_off");
    // An amplifier that was never seen shows every control: so does the curve.
    const bool has_sub = !is_supported_variant(variant) || variant_has_subwoofer(variant);
    section.has_sub_low_pass = has_sub && cut_off > 0;
    section.sub_low_pass = {Band::Shape::low_pass, cut_off > 0 ? cut_off : 1, 0};
    return section;
}

QString response_report(const response_curve::ToneSection& section, bool json)
{
    const auto& centres = response_curve::third_octave_centres();
    const std::vector<response_curve::Point> points =
        response_curve::response(section, {centres.begin(), centres.end()});
    if (json) {
        QJsonArray hz, sum, bass, middle, treble, sub;
        for (const response_curve::Point& p : points) {
            hz.append(p.f_hz);
            sum.append(rounded(p.sum_db));
            bass.append(rounded(p.bass_db));
            middle.append(rounded(p.middle_db));
            treble.append(rounded(p.treble_db));
            if (section.has_sub_low_pass)
                sub.append(rounded(p.sub_db));
        }
        const QJsonObject object{{QStringLiteral("hz"), hz},
                                 {QStringLiteral("sum_db"), sum},
                                 {QStringLiteral("bass_db"), bass},
                                 {QStringLiteral("middle_db"), middle},
                                 {QStringLiteral("treble_db"), treble},
                                 {QStringLiteral("sub_db"), section.has_sub_low_pass
                                                                ? QJsonValue(sub)
                                                                : QJsonValue(QJsonValue::Null)}};
        return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) +
               QLatin1Char('\n');
    }
    const auto column = [](double db) { return QString::number(rounded(db), 'f', 2); };
    QString text = QStringLiteral("hz sum_db bass_db middle_db treble_db sub_db\n");
    for (const response_curve::Point& p : points) {
        text += QString::number(p.f_hz) + u' ' + column(p.sum_db) + u' ' + column(p.bass_db) +
                u' ' + column(p.middle_db) + u' ' + column(p.treble_db) + u' ' +
                (section.has_sub_low_pass ? column(p.sub_db) : QStringLiteral("-")) + u'\n';
    }
    return text;
}
