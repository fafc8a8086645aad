// The main window: each control wired to its own register both ways, the settings table wired to
// the same registers and variants as the form, and the window's life in the tray.
#include "autostart_entry.h"
#include "window_rig.h"

#include "response_window.h"
#include "tone_response.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QSlider>
#include <QSystemTrayIcon>
#include <QTranslator>
#include <QtTest>

#include <algorithm>

namespace {

using Changes = QList<QPair<int, int>>; // image offset, byte

constexpr int value_of(std::size_t reg)
{
    return int(2 * reg + 1);
}
constexpr int flags_offset = 36;
constexpr int delay_offset = 37;

// The property a control shows its value in.
const char* value_property(const QWidget* control)
{
    if (qobject_cast<const QComboBox*>(control))
        return "currentIndex";
    return qobject_cast<const QAbstractButton*>(control) ? "checked" : "value";
}

// As a user would: a radio button is clicked, any other control set to the value.
void act(QWidget* control, int value)
{
    if (auto* radio = qobject_cast<QRadioButton*>(control))
        radio->click();
    else
        control->setProperty(value_property(control), value);
}

int shown(const QWidget* control)
{
    return control->property(value_property(control)).toInt();
}

// The value display beside a slider.
QString display_of(QString slider)
{
    return slider.replace(QRegularExpression(QStringLiteral("(_gain)?_horizontalSlider$")),
                          QStringLiteral("_lineEdit"));
}

void store(WindowRig& rig, const Changes& bytes)
{
    rig.amp->stored_image.fill(0);
    for (const auto& [offset, value] : bytes)
        rig.amp->stored_image[std::size_t(offset)] = std::uint8_t(value);
}

QSystemTrayIcon* tray(const WindowRig& rig)
{
    return rig.core->findChild<QSystemTrayIcon*>();
}

QAction* menu_entry(const WindowRig& rig, int index)
{
    return tray(rig)->contextMenu()->actions().at(index);
}

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

// An image whose every field differs from the values the rows set first.
void store_varied_image(WindowRig& rig)
{
    for (std::size_t i = 0; i < rig.amp->stored_image.size(); ++i)
        rig.amp->stored_image[i] = std::uint8_t(0x35 + 7 * i);
}

// Opens the response curve from the tray menu, with the bands set by the table first.
ResponsePlot* open_curve(WindowRig& rig, const char* assignments)
{
    std::vector<SettingChange> changes;
    if (parse_assignments(QString::fromLatin1(assignments).split(u' ', Qt::SkipEmptyParts),
                          &changes) ||
        (!changes.empty() && rig.core->change_settings(changes)))
        return nullptr;
    rig.cycle();
    menu_entry(rig, 1)->trigger();
    ResponseWindow* window = rig.core->response_window();
    if (!window || !QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window->plot();
}

std::vector<std::uint8_t> image_set_by_table(const char* assignments)
{
    WindowRig rig;
    rig.connect_amplifier();
    std::vector<SettingChange> changes;
    parse_assignments(QString::fromLatin1(assignments).split(u' '), &changes);
    rig.core->change_settings(changes);
    rig.cycle();
    return rig.last_image();
}

// Any Cyrillic letter.
bool russian(const QString& text)
{
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x400 && c.unicode() < 0x500; });
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each control writes its own register's bits, and those bytes read back show in it, the
    // form built before the read or after; "read_back" rows are read only.
    void controls_and_their_registers_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("value");
        QTest::addColumn<Changes>("changes");
        QTest::addColumn<bool>("read_only");
        const auto row = [](const char* control, int value, const Changes& changes) {
            QTest::addRow("%s=%d", control, value)
                << QString::fromLatin1(control) << value << changes << false;
        };
        const auto read_back = [](const char* control, int value, const Changes& changes) {
            QTest::addRow("%s shows %d", control, value)
                << QString::fromLatin1(control) << value << changes << true;
        };
        row("volume_horizontalSlider", -20, {{value_of(REG_VOLUME), 0x24}});
        row("fl_horizontalSlider", -20, {{value_of(REG_FL), 0xA4}});
        row("fr_horizontalSlider", -21, {{value_of(REG_FR), 0xA5}});
        row("rl_horizontalSlider", -22, {{value_of(REG_RL), 0xA6}});
        row("rr_horizontalSlider", -23, {{value_of(REG_RR), 0xA7}});
        row("sub_horizontalSlider", 15, {{value_of(REG_SUB), 0x8F}});
        row("treble_gain_horizontalSlider", 3, {{value_of(REG_TREBLE), 0x93}});
        row("middle_gain_horizontalSlider", -5, {{value_of(REG_MIDDLE), 0x85}});
        row("bass_gain_horizontalSlider", 7, {{value_of(REG_BASS), 0x97}});
        row("input_gain_horizontalSlider", 5, {{value_of(REG_PRI_SOURCE), 0x2D}});
        row("sec_input_gain_horizontalSlider", 15, {{value_of(REG_SEC_SOURCE), 0x7D}});
        row("volume_mute_checkBox", 1, {{value_of(REG_VOLUME), 0x60}});
        row("fl_mute_checkBox", 1, {{value_of(REG_FL), 0xE0}});
        row("fr_mute_checkBox", 1, {{value_of(REG_FR), 0xE0}});
        row("rl_mute_checkBox", 1, {{value_of(REG_RL), 0xE0}});
        row("rr_mute_checkBox", 1, {{value_of(REG_RR), 0xE0}});
        row("sub_mute_checkBox", 1, {{value_of(REG_SUB), 0xE0}});
        row("input_1_radioButton", 1, {{value_of(REG_PRI_SOURCE), 0x03}});
        row("input_2_radioButton", 1, {{value_of(REG_PRI_SOURCE), 0x00}});
        row("input_3_radioButton", 1, {{value_of(REG_PRI_SOURCE), 0x01}});
        row("input_4_radioButton", 1, {{value_of(REG_PRI_SOURCE), 0x02}});
        row("sec_input_1_radioButton", 1, {{value_of(REG_SEC_SOURCE), 0x03}});
        row("sec_input_2_radioButton", 1, {{value_of(REG_SEC_SOURCE), 0x00}});
        row("sec_input_3_radioButton", 1, {{value_of(REG_SEC_SOURCE), 0x01}});
        row("sec_input_4_radioButton", 1, {{value_of(REG_SEC_SOURCE), 0x02}});
        row("sec_input_mute_radioButton", 1, {{value_of(REG_SEC_SOURCE), 0x07}});
        row("treble_cf_comboBox", 2, {{value_of(REG_TREBLE), 0xC0}});
        row("middle_qf_comboBox", 3, {{value_of(REG_MIDDLE), 0xE0}});
        row("middle_cf_comboBox", 2,
            {{value_of(REG_MIDDLE), 0x80}, {value_of(REG_FREQ_SELECT), 0x08}});
        row("bass_qf_comboBox", 1, {{value_of(REG_BASS), 0xA0}});
        row("bass_cf_comboBox", 3, {{value_of(REG_BASS), 0x80}, {value_of(REG_FREQ_SELECT), 0x30}});
        row("sub_cut_off_comboBox", 1,
            {{value_of(REG_BASS), 0x80}, {value_of(REG_FREQ_SELECT), 0x01}});
        row("rear_speaker_source_comboBox", 1, {{value_of(REG_SEC_SOURCE), 0x85}});
        row("autozero_checkBox", 0, {{value_of(REG_PRI_SOURCE), 0x85}});
        row("hard_mute_checkBox", 1, {{flags_offset, 0x01}});
        row("soft_mute_checkBox", 0, {{value_of(REG_SOFT_MUTE), 0xFF}});
        row("acc_on_delay_spinBox", 200, {{delay_offset, 200}});
        read_back("volume_horizontalSlider", -79, {{value_of(REG_VOLUME), 0x70}}); // a muted code
        read_back("sec_input_mute_radioButton", 1, {{value_of(REG_SEC_SOURCE), 0x06}});
        read_back("autozero_checkBox", 1, {{value_of(REG_PRI_SOURCE), 0x00}});
        read_back("soft_mute_checkBox", 1, {{value_of(REG_SOFT_MUTE), 0x02}});
    }
    void controls_and_their_registers()
    {
        QFETCH(QString, control);
        QFETCH(int, value);
        QFETCH(Changes, changes);
        QFETCH(bool, read_only);
        // Input codes with no button, so that any button's click changes them.
        const Changes no_button{{value_of(REG_PRI_SOURCE), 0x05}, {value_of(REG_SEC_SOURCE), 0x05}};
        // Pass 0 moves the control; passes 1 and 2 read its bytes, the form built before, after.
        for (int pass = read_only ? 1 : 0; pass < 3; ++pass) {
            WindowRig rig;
            store(rig, pass == 0 ? no_button : no_button + changes);
            if (pass < 2)
                rig.show();
            rig.connect_amplifier();
            rig.show();
            if (pass == 0) {
                std::vector<std::uint8_t> expected = rig.last_image();
                act(rig.find<QWidget>(control), value);
                rig.cycle();
                for (const auto& [offset, byte] : changes)
                    expected[std::size_t(offset)] = std::uint8_t(byte);
                QCOMPARE(rig.last_image(), expected);
            }
            QCOMPARE(shown(rig.find<QWidget>(control)), value);
            if (auto* display = rig.find<QLineEdit>(display_of(control)))
                QCOMPARE(display->text(), QStringLiteral("%1 db").arg(value));
        }
    }

    // Each variant offers only the controls for what it has, whichever variant came before; a
    // control inside a group taken away is unavailable with it.
    void variants_offer_what_they_have_data()
    {
        QTest::addColumn<int>("variant");
        QTest::addColumn<QString>("enabled"); // one digit per control below
        QTest::newRow("KARVO") << 2 << QStringLiteral("111111111 11");
        QTest::newRow("ELMIN") << 3 << QStringLiteral("000111100 10");
        QTest::newRow("ELMIN USB") << 4 << QStringLiteral("000111100 10");
        QTest::newRow("SOTRA") << 5 << QStringLiteral("000000000 00");
        QTest::newRow("ELMIN USB + SUB") << 6 << QStringLiteral("001111100 11");
    }
    void variants_offer_what_they_have()
    {
        QFETCH(int, variant);
        QFETCH(QString, enabled);
        const QStringList controls =
            QStringLiteral("input_1_radioButton sec_input_1_radioButton sub_horizontalSlider "
                           "input_2_radioButton sec_input_2_radioButton "
                           "rear_speaker_source_comboBox sec_input_gain_horizontalSlider "
                           "input_4_radioButton sec_input_4_radioButton autozero_checkBox "
                           "sub_cut_off_comboBox")
                .split(u' ');
        for (const int before : {2, 5, 6}) {
            WindowRig rig;
            rig.show();
            rig.replug(before);
            rig.replug(variant);
            QString shown;
            for (const QString& name : controls)
                shown += rig.find<QWidget>(name)->isEnabled() ? u'1' : u'0';
            shown.insert(9, u' ');
            QCOMPARE(shown + QStringLiteral(" after %1").arg(before),
                     enabled + QStringLiteral(" after %1").arg(before));
        }
        // The settings table offers (and commands may set) exactly what the form offers, and
        // each value (a spread of a level's) set through either reaches the amplifier as the
        // same bytes, both from the same other value, on an image whose every field differs.
        WindowRig rig;
        rig.amp->variant = variant;
        store_varied_image(rig);
        rig.show();
        rig.connect_amplifier();
        AmplifierState& state = rig.core->amplifier_state();
        for (const AmpSetting& setting : amp_settings()) {
            const std::vector<int> values = values_of(setting);
            const auto offered = [&](int value) {
                const AmpSetting::Item* item = setting.item_with_value(value);
                return item ? setting.item_available_on(*item, variant)
                            : setting.available_on(variant);
            };
            for (int value : values) {
                QWidget* control = control_for(rig, setting, value);
                QVERIFY(control);
                QVERIFY2(control->isEnabled() == offered(value), setting.name);
                QCOMPARE(check_changes(state, {{&setting, value}}).reason,
                         offered(value) ? SettingRefusal::Reason::none
                                        : SettingRefusal::Reason::not_on_variant);
                const auto other = std::find_if(values.begin(), values.end(),
                                                [&](int v) { return v != value && offered(v); });
                if (!offered(value) || other == values.end())
                    continue;
                std::vector<std::uint8_t> sent[2];
                for (const bool through_form : {false, true}) {
                    QVERIFY(!apply_changes(state, {{&setting, *other}}));
                    rig.cycle();
                    if (through_form)
                        act(control, value);
                    else
                        QVERIFY(!apply_changes(state, {{&setting, value}}));
                    rig.cycle();
                    sent[through_form] = rig.last_image();
                    QCOMPARE(setting.read(state.controls()), value);
                }
                QVERIFY2(sent[0] == sent[1],
                         qPrintable(QLatin1String(setting.name) + u'=' + setting.text(value)));
            }
        }
    }

    // Random images, one per connection, through one shown window so that each read-back
    // starts from the controls the previous one left: what was read goes back byte for byte,
    // but for the soft-mute register when its box had to change.
    void a_read_image_goes_back_untouched()
    {
        WindowRig rig;
        rig.show();
        QRandomGenerator random(4242);
        for (int connection = 0; connection < 200; ++connection) {
            for (auto& b : rig.amp->stored_image)
                b = static_cast<std::uint8_t>(random.bounded(256));
            if (connection % 10 == 0)
                rig.amp->stored_image.fill(connection % 20 ? 0xFF : 0x00);
            const auto stored = rig.amp->stored_image;
            const bool soft_mute_was_checked =
                rig.find<QCheckBox>(QStringLiteral("soft_mute_checkBox"))->isChecked();
            rig.amp->received.clear();
            rig.replug(2);
            QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));

            std::vector<std::uint8_t> expected(stored.begin(), stored.end());
            const std::uint8_t soft = stored[value_of(REG_SOFT_MUTE)];
            if (soft_mute_was_checked != ((soft & 1) == 0))
                expected[value_of(REG_SOFT_MUTE)] = 0xFE | (soft & 1);
            QCOMPARE(rig.last_image(), expected);
        }
    }

    // Hidden in the tray at the start, with no form built even while the amplifier is served;
    // the menu's first entry shows and hides the window and names what it will do next, and its
    // presets entry applies one.
    void lives_in_the_tray()
    {
        WindowRig rig;
        QVERIFY(!rig.window());
        QVERIFY(tray(rig)->isVisible());
        QCOMPARE(tray(rig)->toolTip(), QStringLiteral("Brenvik Quadron"));
        const QImage icon = tray(rig)->icon().pixmap(128).toImage();
        const QImage drawn(QStringLiteral(":/images/sounds.png"));
        const auto premultiplied = QImage::Format_ARGB32_Premultiplied;
        QCOMPARE(icon.convertToFormat(premultiplied), drawn.convertToFormat(premultiplied));
        QAction* entry = menu_entry(rig, 0); // the curve and presets entries are opened below
        QCOMPARE(entry->text(), QStringLiteral("Показать"));
        rig.connect_amplifier();
        QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));
        QVERIFY(!rig.window()); // not built while the amplifier is served

        entry->trigger();
        QVERIFY(rig.window()->isVisible());
        QCOMPARE(rig.window()->minimumSize(), rig.window()->maximumSize());
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));
        rig.window()->showMinimized();
        entry->trigger(); // a minimized window counts as visible: it is hidden
        QVERIFY(!rig.window()->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Показать"));
        rig.show();
        QCOMPARE(entry->text(), QStringLiteral("Спрятать"));

        QVERIFY(!rig.window()->close()); // the close button hides
        QVERIFY(!rig.window()->isVisible());
        QCOMPARE(entry->text(), QStringLiteral("Показать"));

        Q_EMIT tray(rig)->activated(QSystemTrayIcon::Context);
        Q_EMIT tray(rig)->activated(QSystemTrayIcon::DoubleClick);
        QVERIFY(!rig.window()->isVisible());
        Q_EMIT tray(rig)->activated(QSystemTrayIcon::Trigger);
        QVERIFY(rig.window()->isVisible());
        rig.window()->showMinimized();
        Q_EMIT tray(rig)->activated(QSystemTrayIcon::Trigger);
        QTRY_VERIFY(!rig.window()->isMinimized());

        // A preset saved, the settings moved away, then the preset chosen in the tray: one write
        // brings its bytes back, the window names it, and one undo takes it back; the window's
        // menu applies it again.
        auto* label = rig.find<QLabel>(QStringLiteral("preset_label"));
        auto* volume = rig.find<QSlider>(QStringLiteral("volume_horizontalSlider"));
        auto* bass = rig.find<QSlider>(QStringLiteral("bass_gain_horizontalSlider"));
        volume->setValue(-30);
        bass->setValue(2);
        rig.cycle();
        QCOMPARE(label->text(), QStringLiteral("Несохранённые изменения"));
        QVERIFY(!rig.core->save_preset(QStringLiteral("Night")));
        QCOMPARE(label->text(), QStringLiteral("Пресет: Night"));
        const std::vector<std::uint8_t> saved = rig.last_image();
        volume->setValue(-10);
        bass->setValue(5);
        rig.cycle();
        QCOMPARE(label->text(), QStringLiteral("Несохранённые изменения"));

        QMenu* presets = menu_entry(rig, 2)->menu();
        QCOMPARE(presets->actions().size(), 1);
        const std::size_t writes = rig.amp->received.size();
        presets->actions().first()->trigger();
        rig.cycle();
        QCOMPARE(rig.amp->received.size(), writes + 1);
        QCOMPARE(rig.last_image(), saved);
        QCOMPARE(volume->value(), -30);
        QCOMPARE(label->text(), QStringLiteral("Пресет: Night"));

        rig.core->edit_history().undo();
        rig.cycle();
        QCOMPARE(volume->value(), -10);
        auto* window_menu = rig.find<QMenu>(QStringLiteral("presets_menu"));
        Q_EMIT window_menu->aboutToShow();
        window_menu->actions().first()->trigger(); // the window's own entry for it
        rig.cycle();
        QCOMPARE(rig.last_image(), saved);
        QVERIFY(!rig.core->remove_preset(QStringLiteral("Night")));
        QCOMPARE(presets->actions().first()->text(), QStringLiteral("Нет пресетов"));
    }

    // With autoload on, the box says what the next logon does, whatever the desktop did to the
    // entry (one it disabled is left as it is). Only a click writes the entry, saved at once; a
    // choice the desktop cannot carry out is neither shown nor saved as made.
    void autostart_follows_the_desktop_and_the_users_clicks_data()
    {
        QTest::addColumn<QByteArray>("added"); // to an entry of another executable's; null: none
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("warning");
        const QString disabled = QStringLiteral("the desktop has disabled");
        QTest::newRow("no entry") << QByteArray() << false
                                  << QStringLiteral("there is no autostart entry .*/"
                                                    "org.brenvik_quadron.Quadron.desktop: ");
        QTest::newRow("enabled") << QByteArray("X-GNOME-Autostart-enabled=true\n") << true
                                 << QString();
        QTest::newRow("hidden") << QByteArray("Hidden=true\n") << false << disabled;
        QTest::newRow("disabled") << QByteArray("X-GNOME-Autostart-enabled=false\n") << false
                                  << disabled;
        QTest::newRow("another group's")
            << QByteArray("[Desktop Action a]\nHidden=true\n") << true << QString();
    }
    void autostart_follows_the_desktop_and_the_users_clicks()
    {
        QFETCH(QByteArray, added);
        QFETCH(bool, checked);
        QFETCH(QString, warning);
        QTemporaryDir config;
        qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
        const QString path = config.filePath(QStringLiteral("config.ini"));
        const QDir autostart(config.filePath(QStringLiteral("autostart")));
        const QString entry =
            autostart.filePath(QStringLiteral("org.brenvik_quadron.Quadron.desktop"));
        QByteArray text;
        if (!added.isNull()) {
            QVERIFY(autostart.mkpath(autostart.path()));
            text = AutostartEntry::entry_text(QStringLiteral("/old/quadron"))
                       .toUtf8()
                       .replace("X-GNOME-Autostart-enabled=true\n", "") +
                   added;
        }
        for (const auto& [file, content] :
             {std::pair{path, QByteArray("[General]\nautoload=yes\n")}, {entry, text}}) {
            QFile out(file);
            QVERIFY(content.isNull() ||
                    (out.open(QIODevice::WriteOnly) && out.write(content) == content.size()));
        }
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
        if (!warning.isEmpty())
            QTest::ignoreMessage(QtWarningMsg,
                                 QRegularExpression(u"^autostart is chosen, but " + warning));
        WindowRig rig(path);
        rig.show();
        auto* box = rig.find<QCheckBox>(QStringLiteral("autoload_checkBox"));
        QCOMPARE(box->isChecked(), checked);
        QCOMPARE(autostart.exists(), !added.isNull()); // nothing written without a click
        QFile in(entry);
        QCOMPARE(in.open(QIODevice::ReadOnly), !added.isNull());
        QCOMPARE(in.isOpen() && in.readAll().contains("/old/quadron"), !added.isNull() && !checked);

        const auto saved = [&] {
            return QSettings(path, QSettings::IniFormat).value(QStringLiteral("autoload"));
        };
        box->setChecked(false);
        box->setChecked(true);
        QVERIFY(!autostart.isEmpty());
        box->setChecked(false);
        QVERIFY(autostart.isEmpty());
        QCOMPARE(saved().toString(), QStringLiteral("false"));
        box->setChecked(true);
        QCOMPARE(saved().toString(), QStringLiteral("true"));
        box->setChecked(false);
        QVERIFY(autostart.rmdir(autostart.path()) &&
                QFile(autostart.path()).open(QFile::WriteOnly));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral(
                                               "^the autostart entry .* cannot be written")));
        box->setChecked(true); // a file in the way of the entry
        QVERIFY(!box->isChecked());
        QVERIFY(!saved().toBool());
    }

    // The curve is drawn from the settings (a +6 dB bass at 80 Hz peaks there), each handle at
    // its band's centre and gain, the window not built before it is opened. A drag snaps to the
    // table's values and is one edit when let go; the wheel steps the quality, an item a notch.
    void the_curve_shows_the_settings_and_a_drag_is_one_edit()
    {
        WindowRig rig;
        rig.connect_amplifier();
        QVERIFY(!rig.core->response_window());
        ResponsePlot* plot =
            open_curve(rig, "bass_gain=6 bass_cf=80 bass_qf=2.0 middle_gain=-9 middle_cf=1500 "
                            "treble_gain=12");
        QVERIFY(plot);
        QVERIFY(!rig.window()); // the control panel stays unbuilt
        const QImage image = plot->grab().toImage();
        const std::pair<ResponsePlot::Handle, QPointF> handles[] = {
            {ResponsePlot::Handle::bass, plot->position_of(80, 6)},
            {ResponsePlot::Handle::middle, plot->position_of(1500, -9)},
            {ResponsePlot::Handle::treble, plot->position_of(10000, 12)}};
        QSet<QRgb> fills;
        for (const auto& [handle, expected] : handles) {
            QCOMPARE(plot->handle_position(handle), expected);
            const QRgb centre = image.pixel(expected.toPoint());
            QVERIFY2(QColor(centre).hsvSaturation() > 100, qPrintable(QString::number(centre, 16)));
            fills.insert(centre);
        }
        QCOMPARE(fills.size(), 3); // a colour each
        // The bold sum is drawn where the response is, near the peak and far from it.
        int dark = 0;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y)
                dark += qGray(image.pixel(x, y)) < 60;
        }
        QVERIFY2(dark > image.width(), qPrintable(QString::number(dark)));
        const auto section = tone_section_of(rig.core->amplifier_state().controls(), 2);
        for (const auto& point : response_curve::response(section, {30, 120, 400, 5000})) {
            const QPoint at = plot->position_of(point.f_hz, point.sum_db).toPoint();
            QVERIFY2(qGray(image.pixel(at)) < 100, qPrintable(QString::number(point.f_hz)));
        }

        const std::vector<std::uint8_t> before = rig.last_image();
        const QPoint from = plot->handle_position(ResponsePlot::Handle::bass).toPoint();
        QTest::mousePress(plot, Qt::LeftButton, {}, from + QPoint(10, 10)); // within reach
        for (const auto& [hz, db] : {std::pair{90.0, 3.2}, {150.0, 8.6}, {110.0, 9.4}}) {
            QTest::mouseMove(plot, plot->position_of(hz, db).toPoint());
            rig.cycle();
            QCOMPARE(rig.last_image(), before); // nothing is written while dragging
        }
        QCOMPARE(plot->handle_position(ResponsePlot::Handle::bass), plot->position_of(100, 9));
        QTest::mouseRelease(plot, Qt::LeftButton, {}, plot->position_of(104, 8.8).toPoint());
        rig.cycle();
        QCOMPARE(rig.last_image(),
                 image_set_by_table("bass_cf=100 bass_gain=9 bass_qf=2.0 "
                                    "middle_gain=-9 middle_cf=1500 treble_gain=12"));
        QWheelEvent notch(plot->position_of(100, 9), plot->mapToGlobal(plot->position_of(100, 9)),
                          {}, {0, -120}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(plot, &notch);
        rig.cycle();
        QCOMPARE(rig.last_image(),
                 image_set_by_table("bass_cf=100 bass_gain=9 bass_qf=1.5 "
                                    "middle_gain=-9 middle_cf=1500 treble_gain=12"));
        // Without an amplifier the handles do not move.
        rig.amp->plugged = false;
        rig.check_device();
        QTest::mousePress(plot, Qt::LeftButton, {}, plot->position_of(100, 9).toPoint());
        QTest::mouseMove(plot, plot->position_of(200, -6).toPoint());
        QCOMPARE(plot->handle_position(ResponsePlot::Handle::bass), plot->position_of(100, 9));
        QTest::mouseRelease(plot, Qt::LeftButton, {}, plot->position_of(200, -6).toPoint());
    }

    // The lamp's tip says why it is red; under the English catalogue nothing the windows and
    // the tray menu show is left in Russian, whatever the lamp says.
    void the_lamp_says_why_it_is_red_data()
    {
        QTest::addColumn<int>("open_errno"); // -1: nothing plugged in
        QTest::addColumn<bool>("silent");
        QTest::addColumn<QString>("says");
        QTest::newRow("nothing plugged in") << -1 << false << QStringLiteral("не найден");
        QTest::newRow("not allowed") << EACCES << false << QStringLiteral("нет прав");
        QTest::newRow("cannot be opened") << EBUSY << false << QStringLiteral("не удалось");
        QTest::newRow("silent") << 0 << true << QStringLiteral("не отвечает");
        QTest::newRow("in step") << 0 << false << QStringLiteral("подключён");
    }
    void the_lamp_says_why_it_is_red()
    {
        QFETCH(int, open_errno);
        QFETCH(bool, silent);
        QFETCH(QString, says);
        QTranslator english;
        QVERIFY(english.load(QStringLiteral(":/i18n/quadron_en.qm")));
        const auto done = qScopeGuard([&] { QCoreApplication::removeTranslator(&english); });
        for (const bool in_english : {false, true}) {
            QVERIFY(!in_english || QCoreApplication::installTranslator(&english));
            WindowRig rig;
            rig.amp->plugged = open_errno >= 0;
            rig.amp->open_errno = std::max(open_errno, 0);
            if (silent)
                rig.amp->silent = {55};
            rig.show();
            rig.connect_amplifier();
            const QString tip = rig.find<QLabel>(QStringLiteral("status_label"))->toolTip();
            QVERIFY2(in_english || tip.contains(says), qPrintable(tip));
            if (!in_english)
                continue;
            QVERIFY(open_curve(rig, ""));
            QStringList shown;
            for (QAction* entry : tray(rig)->contextMenu()->actions())
                shown << entry->text();
            for (QWidget* top : {static_cast<QWidget*>(rig.window()),
                                 static_cast<QWidget*>(rig.core->response_window())}) {
                QList<QWidget*> widgets = top->findChildren<QWidget*>();
                widgets.prepend(top);
                for (QWidget* widget : widgets) {
                    shown << widget->windowTitle() << widget->toolTip();
                    for (const char* property : {"text", "title", "currentText"})
                        shown << widget->property(property).toString();
                    if (auto* list = qobject_cast<QComboBox*>(widget)) {
                        for (int i = 0; i < list->count(); ++i)
                            shown << list->itemText(i);
                    }
                }
            }
            for (const QString& text : shown)
                QVERIFY2(!russian(text), qPrintable(text));
            QVERIFY(shown.contains(QStringLiteral("Exit")));
            QVERIFY(shown.contains(QStringLiteral("Autostart")));
        }
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
