// The nominal response against its formulas, at every centre frequency and quality factor the
// settings table offers: a band's gain at its centre, its flatness far from it, the shelf's
// plateau and the low-pass's corner; and a bass boost's peak where the curve window shows it.
#include "amp_settings.h"
#include "response_curve.h"
#include "tone_response.h"

#include <QtTest>

namespace {

// Two decades from the centre: far enough for the widest band the table offers.
constexpr double far_factor = 100;

response_curve::ToneSection section_with(const QStringList& assignments, int variant = 2)
{
    AmplifierState state;
    std::vector<SettingChange> changes;
    if (parse_assignments(assignments, &changes))
        return {};
    for (const SettingChange& change : changes)
        change.setting->write(state, change.value);
    return tone_section_of(state.controls(), variant);
}

} // namespace

class TestResponseCurve : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void bands_follow_their_formulas_data()
    {
        QTest::addColumn<QString>("band");
        QTest::addColumn<QString>("centre");
        QTest::addColumn<QString>("quality"); // empty: the shelf's fixed slope
        QTest::addColumn<int>("gain");
        for (const char* band : {"bass", "middle", "treble"}) {
            const QString name = QLatin1String(band);
            const AmpSetting* cf = find_amp_setting(name + QStringLiteral("_cf"));
            const AmpSetting* qf = find_amp_setting(name + QStringLiteral("_qf"));
            const AmpSetting* gain = find_amp_setting(name + QStringLiteral("_gain"));
            QVERIFY(cf && gain);
            for (const AmpSetting::Item& centre : cf->items) {
                for (const AmpSetting::Item& quality :
                     qf ? qf->items : std::vector<AmpSetting::Item>{{"", 0}}) {
                    for (const int db : {gain->min, -7, 3, gain->max})
                        QTest::addRow("%s %s Hz Q %s %d dB", band, centre.text, quality.text, db)
                            << name << QString::fromLatin1(centre.text)
                            << QString::fromLatin1(quality.text) << db;
                }
            }
        }
    }
    void bands_follow_their_formulas()
    {
        QFETCH(QString, band);
        QFETCH(QString, centre);
        QFETCH(QString, quality);
        QFETCH(int, gain);
        QStringList assignments{band + QStringLiteral("_cf=") + centre,
                                band + QStringLiteral("_gain=") + QString::number(gain)};
        if (!quality.isEmpty())
            assignments.append(band + QStringLiteral("_qf=") + quality);
        const response_curve::ToneSection section = section_with(assignments);
        const response_curve::Band& shaped = band == QLatin1String("bass")     ? section.bass
                                             : band == QLatin1String("middle") ? section.middle
                                                                               : section.treble;
        const double f0 = centre.toDouble();
        QCOMPARE(shaped.f0_hz, f0);
        if (!quality.isEmpty())
            QCOMPARE(shaped.q, quality.toDouble());
        if (shaped.shape == response_curve::Band::Shape::peaking) {
            QVERIFY(qAbs(band_db(shaped, f0) - gain) < 1e-9);
            QVERIFY(qAbs(band_db(shaped, f0 * far_factor)) < 0.1);
        } else {
            QVERIFY(qAbs(band_db(shaped, f0) - gain / 2.0) < 1e-9);
            QVERIFY(qAbs(band_db(shaped, f0 * far_factor) - gain) < 0.1);
        }
        QVERIFY(qAbs(band_db(shaped, f0 / far_factor)) < 0.1);
        // The untouched bands stay flat, so the sum is this band alone.
        for (const auto& point : response_curve::response(section, {f0 / 3, f0, f0 * 3}))
            QVERIFY(qAbs(point.sum_db - band_db(shaped, point.f_hz)) < 1e-9);
    }

    void the_sub_low_pass_data()
    {
        QTest::addColumn<QString>("cut_off");
        QTest::addColumn<int>("variant");
        QTest::addColumn<bool>("filters");
        const AmpSetting* setting = find_amp_setting(QStringLiteral("sub_cut_off"));
        for (const AmpSetting::Item& item : setting->items) {
            for (const int variant : {2, 3, 6})
                QTest::addRow("%s on %d", item.text, variant)
                    << QString::fromLatin1(item.text) << variant
                    << (item.value != 0 && variant != 3);
        }
    }
    void the_sub_low_pass()
    {
        QFETCH(QString, cut_off);
        QFETCH(int, variant);
        QFETCH(bool, filters);
        const response_curve::ToneSection section =
            section_with({QStringLiteral("sub_cut_off=") + cut_off}, variant);
        QCOMPARE(section.has_sub_low_pass, filters);
        if (!filters)
            return;
        const double f0 = cut_off.toDouble();
        QCOMPARE(qRound(band_db(section.sub_low_pass, f0) * 100), -301);
        QVERIFY(qAbs(band_db(section.sub_low_pass, f0 / far_factor)) < 0.1);
        QVERIFY(qAbs(band_db(section.sub_low_pass, f0 * far_factor) + 80) < 0.1); // 12 dB/oct
    }

    // +6 dB of bass at 80 Hz peaks at 6.0 dB, at 80 Hz, on the window's dense axis and in the
    // third-octave report alike.
    void a_bass_boost_peaks_at_its_centre()
    {
        const response_curve::ToneSection section =
            section_with({QStringLiteral("bass_gain=6"), QStringLiteral("bass_cf=80"),
                          QStringLiteral("bass_qf=2.0")});
        std::vector<double> axis = response_curve::log_spaced(20, 20000, 500);
        axis.push_back(80);
        const auto points = response_curve::response(section, axis);
        const auto peak =
            std::max_element(points.begin(), points.end(),
                             [](const auto& a, const auto& b) { return a.sum_db < b.sum_db; });
        QCOMPARE(peak->f_hz, 80.0);
        QCOMPARE(QString::number(peak->sum_db, 'f', 1), QStringLiteral("6.0"));
        const QString report = response_report(section, false);
        QCOMPARE(report.count(u'\n'), 32);
        QVERIFY2(report.contains(QStringLiteral("\n80 6.00 6.00 0.00 0.00 -\n")),
                 qPrintable(report));
        QVERIFY(response_report(section, true).contains(QStringLiteral("\"hz\":[20,25,31.5,")));
    }
};

QTEST_GUILESS_MAIN(TestResponseCurve)
#include "test_response_curve.moc"
