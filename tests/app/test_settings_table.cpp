// The settings table against the window it was made for: for every setting and every value (a
// spread of a level's), a change through the table and the same change through the form's
// control reach the amplifier as the same bytes, and the table's variants are the form's.
#include "window_rig.h"

#include "amp_variants.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonValue>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSlider>
#include <QSpinBox>
#include <QtTest>

namespace {

std::vector<int> values_of(const AmpSetting& setting)
{
    switch (setting.kind) {
    case AmpSetting::Kind::level: {
        std::vector<int> spread{setting.min, setting.max, (setting.min + setting.max) / 2,
                                setting.min + 1, setting.max - 1};
        if (setting.min < 0)
            spread.push_back(0);
        return spread;
    }
    case AmpSetting::Kind::flag:
        return {1, 0};
    case AmpSetting::Kind::choice:
        break;
    }
    std::vector<int> all;
    for (const AmpSetting::Item& item : setting.items)
        all.push_back(item.value);
    return all;
}

// The form's control for a value of the setting: its button, or the control holding it.
QWidget* control_for(const WindowRig& rig, const AmpSetting& setting, int value)
{
    const QString name = QLatin1String(setting.name);
    if (const AmpSetting::Item* item = setting.item_with_value(value)) {
        if (auto* button = rig.find<QRadioButton>(name + u'_' + QLatin1String(item->text) +
                                                  QStringLiteral("_radioButton")))
            return button;
    }
    for (const char* suffix : {"_horizontalSlider", "_checkBox", "_comboBox", "_spinBox"}) {
        if (auto* control = rig.find<QWidget>(name + QLatin1String(suffix)))
            return control;
    }
    return nullptr;
}

void act(QWidget* control, int value)
{
    if (auto* button = qobject_cast<QRadioButton*>(control))
        button->click();
    else if (auto* box = qobject_cast<QCheckBox*>(control))
        box->setChecked(value != 0);
    else if (auto* list = qobject_cast<QComboBox*>(control))
        list->setCurrentIndex(value);
    else
        control->setProperty("value", value);
}

// An image whose every field differs from the values the rows set first.
void store_varied_image(WindowRig& rig)
{
    for (std::size_t i = 0; i < rig.amp->stored_image.size(); ++i)
        rig.amp->stored_image[i] = std::uint8_t(0x35 + 7 * i);
}

} // namespace

class TestSettingsTable : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void table_and_form_write_the_same_bytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("value");
        for (const AmpSetting& setting : amp_settings()) {
            for (int value : values_of(setting))
                QTest::addRow("%s=%s", setting.name, qPrintable(setting.text(value)))
                    << QString::fromLatin1(setting.name) << value;
        }
    }
    void table_and_form_write_the_same_bytes()
    {
        QFETCH(QString, name);
        QFETCH(int, value);
        const AmpSetting* setting = find_amp_setting(name);
        QVERIFY(setting);
        std::vector<std::uint8_t> sent[2];
        for (const bool through_form : {false, true}) {
            WindowRig rig;
            store_varied_image(rig);
            rig.show();
            rig.connect_amplifier();
            const std::size_t writes = rig.amp->received.size();
            if (through_form) {
                QWidget* control = control_for(rig, *setting, value);
                QVERIFY2(control, "no control in the form for this setting");
                act(control, value);
            } else {
                QVERIFY(!apply_changes(rig.core->amplifier_state(), {{setting, value}}));
            }
            rig.cycle();
            QVERIFY(rig.amp->received.size() > writes);
            sent[through_form] = rig.last_image();
            QCOMPARE(setting->read(rig.core->amplifier_state().controls()), value);
        }
        QCOMPARE(sent[0], sent[1]);
    }

    // A setting (or one of its values) the table gives a variant is one its form offers.
    void the_tables_variants_are_the_forms_data()
    {
        QTest::addColumn<int>("variant");
        for (int variant : {2, 3, 4, 5, 6})
            QTest::addRow("%s", find_amp_variant(variant)->name) << variant;
    }
    void the_tables_variants_are_the_forms()
    {
        QFETCH(int, variant);
        WindowRig rig;
        rig.amp->variant = variant;
        rig.show();
        rig.connect_amplifier();
        for (const AmpSetting& setting : amp_settings()) {
            for (int value : values_of(setting)) {
                const AmpSetting::Item* item = setting.item_with_value(value);
                const bool offered = item ? setting.item_available_on(*item, variant)
                                          : setting.available_on(variant);
                QWidget* control = control_for(rig, setting, value);
                QVERIFY(control);
                QVERIFY2(control->isEnabled() == offered,
                         qPrintable(QStringLiteral("%1=%2").arg(QLatin1String(setting.name),
                                                                setting.text(value))));
                const SettingRefusal refusal =
                    check_changes(rig.core->amplifier_state(), {{&setting, value}});
                QCOMPARE(refusal.reason, offered ? SettingRefusal::Reason::none
                                                 : SettingRefusal::Reason::not_on_variant);
            }
        }
    }

    void values_that_are_not_refused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QVariant>("value"); // a string is a text, else a D-Bus value
        QTest::addColumn<QJsonValue>("json");
        const auto row = [](const char* name, const QVariant& value, const QJsonValue& json) {
            QTest::addRow("%s %s", name, qPrintable(value.toString()))
                << QString::fromLatin1(name) << value << json;
        };
        row("volume", QStringLiteral("16"), QJsonValue(16));
        row("volume", QStringLiteral("-3.5"), QJsonValue(-3.5));
        row("volume", QStringLiteral("loud"), QJsonValue(QStringLiteral("-3")));
        row("volume", QStringLiteral(""), QJsonValue(true));
        row("volume", 2.0, QJsonValue());
        row("bass_gain", QStringLiteral("16 dB"), QJsonValue(99999999999.0));
        row("hard_mute", QStringLiteral("maybe"), QJsonValue(1));
        row("hard_mute", 1, QJsonValue(QStringLiteral("yes")));
        row("input", QStringLiteral("5"), QJsonValue(0));
        row("input", QStringLiteral("mute"), QJsonValue(1.5));
        row("sub_cut_off", QStringLiteral("100"), QJsonValue(false));
        row("bass_qf", QStringLiteral("1.2"), QJsonValue(1.2));
        row("treble_cf", QStringLiteral("12.5 kHz"), QJsonValue(12500.5));
    }
    void values_that_are_not_refused()
    {
        QFETCH(QString, name);
        QFETCH(QVariant, value);
        QFETCH(QJsonValue, json);
        const AmpSetting* setting = find_amp_setting(name);
        QVERIFY(setting);
        if (value.metaType().id() == QMetaType::QString) {
            QCOMPARE(setting->parse(value.toString()), std::nullopt);
            std::vector<SettingChange> changes;
            QCOMPARE(parse_assignments({name + u'=' + value.toString()}, &changes).reason,
                     SettingRefusal::Reason::bad_value);
        }
        QCOMPARE(setting->from_dbus(value), std::nullopt);
        QCOMPARE(setting->from_json(json), std::nullopt);
    }

    // What --watch and D-Bus are told: the names whose shown value changed, whatever made the
    // change; the window's own edits included.
    void every_change_is_published()
    {
        WindowRig rig;
        rig.show();
        QSignalSpy published(rig.core.get(), &QuadronCore::values_changed);
        rig.connect_amplifier();
        QVERIFY(published.count() >= 1);
        QVERIFY(published.last().first().toStringList().contains(QStringLiteral("connected")));
        published.clear();
        act(rig.find<QWidget>(QStringLiteral("bass_gain_horizontalSlider")), 9);
        rig.hot_keys->press(HOTKEY_SUB_UP);
        QCOMPARE(published.count(), 2);
        QCOMPARE(published[0].first().toStringList(), QStringList{QStringLiteral("bass_gain")});
        QCOMPARE(published[1].first().toStringList(), QStringList{QStringLiteral("sub")});
        rig.replug(5);
        QVERIFY(published.count() >= 4);
    }
};

QTEST_MAIN(TestSettingsTable)
#include "test_settings_table.moc"
