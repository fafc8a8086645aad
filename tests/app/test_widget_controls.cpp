// Every control through its real slot: the bytes the amplifier receives, and a read image
// shown in the controls and sent back untouched.
#include "level_codes.h"
#include "widget_rig.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

constexpr std::size_t value_at(std::size_t k)
{
    return 2 * k + 1;
}

} // namespace

class TestWidgetControls : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void worked_values()
    {
        WidgetRig rig;
        rig.connect_amplifier(); // the stored image is all zeros: every preserved bit is 0

        rig.slider("input_gain_horizontalSlider")->setValue(5);
        rig.radio("input_1_radioButton")->click();
        rig.check_box("autozero_checkBox")->setChecked(true);
        rig.slider("volume_horizontalSlider")->setValue(-20);
        rig.slider("fl_horizontalSlider")->setValue(-20);
        rig.combo("treble_cf_comboBox")->setCurrentIndex(2);
        rig.slider("treble_gain_horizontalSlider")->setValue(3);
        rig.radio("sec_input_2_radioButton")->click();
        rig.slider("sec_input_gain_horizontalSlider")->setValue(15);
        rig.combo("rear_speaker_source_comboBox")->setCurrentIndex(1);
        rig.combo("sub_cut_off_comboBox")->setCurrentIndex(1);
        rig.combo("middle_cf_comboBox")->setCurrentIndex(2);
        rig.combo("bass_cf_comboBox")->setCurrentIndex(3);
        rig.check_box("soft_mute_checkBox")->setChecked(true);
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_PRI_SOURCE), 0x2B);
        QCOMPARE(rig.sent_value(REG_VOLUME), 0x24);
        QCOMPARE(rig.sent_value(REG_FL), 0xA4);
        QCOMPARE(rig.sent_value(REG_TREBLE), 0xD3);
        QCOMPARE(rig.sent_value(REG_SEC_SOURCE), 0xF8);
        QCOMPARE(rig.sent_value(REG_FREQ_SELECT), 0x39);
        QCOMPARE(rig.sent_value(REG_SOFT_MUTE), 0xFE);
        QCOMPARE(rig.text("volume_lineEdit"), QStringLiteral("-20 db"));
        QCOMPARE(rig.text("treble_lineEdit"), QStringLiteral("3 db"));
        QCOMPARE(rig.text("sec_input_lineEdit"), QStringLiteral("15 db"));

        rig.check_box("autozero_checkBox")->setChecked(false);
        rig.check_box("volume_mute_checkBox")->setChecked(true);
        rig.check_box("fl_mute_checkBox")->setChecked(true);
        rig.radio("sec_input_mute_radioButton")->click();
        rig.slider("sec_input_gain_horizontalSlider")->setValue(0);
        rig.combo("rear_speaker_source_comboBox")->setCurrentIndex(0);
        rig.check_box("soft_mute_checkBox")->setChecked(false);
        rig.check_box("hard_mute_checkBox")->setChecked(true);
        rig.find<QSpinBox>("acc_on_delay_spinBox")->setValue(200);
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_PRI_SOURCE), 0xAB);
        QCOMPARE(rig.sent_value(REG_VOLUME), 0x64);
        QCOMPARE(rig.sent_value(REG_FL), 0xE4);
        QCOMPARE(rig.sent_value(REG_SEC_SOURCE), 0x07);
        QCOMPARE(rig.sent_value(REG_SOFT_MUTE), 0xFF);
        QCOMPARE(int(rig.last_image()[36]), 1);
        QCOMPARE(int(rig.last_image()[37]), 200);

        rig.check_box("fl_mute_checkBox")->setChecked(false);
        rig.slider("volume_horizontalSlider")->setValue(-79);
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_FL), 0xA4);
        QCOMPARE(rig.sent_value(REG_VOLUME), 0x5F | 0x60);
        QCOMPARE(rig.text("volume_lineEdit"), QStringLiteral("-79 db"));
    }

    void a_read_image_goes_back_untouched()
    {
        // Random images, one per connection, all through one window so that each read-back
        // starts from the controls the previous one left.
        WidgetRig rig;
        QRandomGenerator random(4242);
        for (int connection = 0; connection < 300; ++connection) {
            std::array<std::uint8_t, 38> stored{};
            for (auto& b : stored)
                b = static_cast<std::uint8_t>(random.bounded(256));
            if (connection % 10 == 0)
                stored.fill(connection % 20 ? 0xFF : 0x00);
            const bool soft_mute_was_checked = rig.check_box("soft_mute_checkBox")->isChecked();
            rig.amp->stored_image = stored;
            rig.amp->plugged = false;
            rig.check_device();
            rig.amp->plugged = true;
            rig.amp->received.clear();
            rig.connect_amplifier();
            QCOMPARE(rig.amp->commands(), (std::vector<int>{54, 55, 56}));

            auto expected = std::vector<std::uint8_t>(stored.begin(), stored.end());
            const std::uint8_t soft = stored[value_at(REG_SOFT_MUTE)];
            if (soft_mute_was_checked != ((soft & 1) == 0))
                expected[value_at(REG_SOFT_MUTE)] = 0xFE | (soft & 1);
            QCOMPARE(rig.last_image(), expected);

            // The controls show what the registers hold.
            const int volume = stored[value_at(REG_VOLUME)];
            QCOMPARE(rig.slider("volume_horizontalSlider")->value(), level_to_db(volume & 0x7F));
            QCOMPARE(rig.check_box("volume_mute_checkBox")->isChecked(), (volume & 0x60) == 0x60);
            QCOMPARE(rig.text("volume_lineEdit"),
                     QStringLiteral("%1 db").arg(level_to_db(volume & 0x7F)));
            const int sub = stored[value_at(REG_SUB)];
            QCOMPARE(rig.slider("sub_horizontalSlider")->value(), level_to_db(sub & 0x7F));
            const int bass = stored[value_at(REG_BASS)];
            QCOMPARE(rig.slider("bass_gain_horizontalSlider")->value(), tone_to_db(bass & 31));
            QCOMPARE(rig.combo("bass_qf_comboBox")->currentIndex(), (bass >> 5) & 3);
            const int freq = stored[value_at(REG_FREQ_SELECT)];
            QCOMPARE(rig.combo("middle_cf_comboBox")->currentIndex(), (freq >> 2) & 3);
            const int sec = stored[value_at(REG_SEC_SOURCE)];
            QCOMPARE(rig.combo("rear_speaker_source_comboBox")->currentIndex(), sec >> 7);
            QCOMPARE(rig.slider("sec_input_gain_horizontalSlider")->value(), (sec >> 3) & 15);
            const char* sec_buttons[] = {"sec_input_2_radioButton", "sec_input_3_radioButton",
                                         "sec_input_4_radioButton", "sec_input_1_radioButton"};
            const char* sec_checked =
                (sec & 7) <= 3 ? sec_buttons[sec & 7] : "sec_input_mute_radioButton";
            QVERIFY(rig.radio(sec_checked)->isChecked());
            QCOMPARE(rig.check_box("hard_mute_checkBox")->isChecked(), (stored[36] & 1) == 1);
            QCOMPARE(rig.find<QSpinBox>("acc_on_delay_spinBox")->value(), int(stored[37]));
        }
    }

    void odd_input_codes_stay_until_a_button_is_clicked()
    {
        WidgetRig rig;
        rig.amp->stored_image[value_at(REG_PRI_SOURCE)] = 0x05;
        rig.amp->stored_image[value_at(REG_SEC_SOURCE)] = 0x05;
        rig.connect_amplifier();
        for (const char* name : {"input_1_radioButton", "input_2_radioButton",
                                 "input_3_radioButton", "input_4_radioButton"})
            QVERIFY(!rig.radio(name)->isChecked());
        QVERIFY(rig.radio("sec_input_mute_radioButton")->isChecked());
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_PRI_SOURCE), 0x05);
        QCOMPARE(rig.sent_value(REG_SEC_SOURCE), 0x05);
        rig.radio("input_3_radioButton")->click();
        rig.radio("sec_input_mute_radioButton")->click();
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_PRI_SOURCE), 0x01);
        QCOMPARE(rig.sent_value(REG_SEC_SOURCE), 0x07);
    }

    void a_muted_read_stays_muted_until_its_slider_moves()
    {
        WidgetRig rig;
        rig.amp->stored_image[value_at(REG_VOLUME)] = 0x70;
        rig.amp->stored_image[value_at(REG_RL)] = 0x10; // bit 7 read as 0
        rig.connect_amplifier();
        QCOMPARE(rig.slider("volume_horizontalSlider")->value(), -79);
        QVERIFY(rig.check_box("volume_mute_checkBox")->isChecked());
        rig.check_box("volume_mute_checkBox")->setChecked(false);
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_VOLUME), 0x70);
        QCOMPARE(rig.sent_value(REG_RL), 0x10);
        rig.slider("volume_horizontalSlider")->setValue(-20);
        rig.slider("rl_horizontalSlider")->setValue(-1);
        rig.cycle();
        QCOMPARE(rig.sent_value(REG_VOLUME), 0x24);
        QCOMPARE(rig.sent_value(REG_RL), 0x80 | 17);
    }

    void variants_change_between_connections()
    {
        WidgetRig rig;
        rig.amp->variant = 5;
        rig.connect_amplifier();
        QCOMPARE(rig.text("amp_version_lineEdit"), QStringLiteral("SOTRA"));
        QVERIFY(!rig.check_box("autozero_checkBox")->isEnabled());
        QVERIFY(!rig.slider("sub_horizontalSlider")->isEnabled());
        rig.amp->plugged = false;
        rig.check_device();
        rig.cycle();
        rig.amp->plugged = true;
        rig.amp->variant = 2;
        rig.connect_amplifier();
        QCOMPARE(rig.text("amp_version_lineEdit"), QStringLiteral("KARVO"));
        for (const char* name :
             {"input_1_radioButton", "input_4_radioButton", "sec_input_1_radioButton",
              "sec_input_4_radioButton", "sec_input_mute_radioButton"})
            QVERIFY2(rig.radio(name)->isEnabled(), name);
        QVERIFY(rig.slider("sub_horizontalSlider")->isEnabled());
        QVERIFY(rig.check_box("autozero_checkBox")->isEnabled());
    }
};

QTEST_MAIN(TestWidgetControls)
#include "test_widget_controls.moc"
