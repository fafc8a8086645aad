#include "register_image.h"

#include <QRandomGenerator>
#include <QtTest>

class TestRegisterImage : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void payload_layout()
    {
        RegisterImage::Payload in{};
        for (std::size_t i = 0; i < in.size(); ++i)
            in[i] = static_cast<std::uint8_t>(i + 1);
        RegisterImage image;
        image.load_image(in.data());
        QCOMPARE(image.registers[REG_VOLUME].address, std::uint8_t(7));
        QCOMPARE(image.registers[REG_VOLUME].value, std::uint8_t(8));
        QCOMPARE(image.control_flags, std::uint8_t(37));
        QCOMPARE(image.acc_on_delay, std::uint8_t(38));

        // Bytes past the image belong to nobody: they are left as the destination had them.
        RegisterImage::Payload out;
        out.fill(0xA5);
        image.store_image(out.data());
        for (std::size_t i = 0; i < out.size(); ++i)
            QCOMPARE(out[i], i < RegisterImage::image_size ? in[i] : std::uint8_t(0xA5));
    }

    void rebuilding_from_decoded_mirrors()
    {
        // Registers whose bit 7 is the program's own come back with it set; everything else
        // comes back exactly as read, including the preserved bits and muted level codes.
        QRandomGenerator random(7);
        for (int round = 0; round < 2000; ++round) {
            RegisterImage::Payload payload{};
            for (auto& b : payload)
                b = static_cast<std::uint8_t>(random.bounded(256));
            RegisterImage image;
            image.load_image(payload.data());
            image.read_mirrors();
            const auto before = image.registers;
            image.compose_pri_source();
            image.compose_volume();
            image.compose_sec_source();
            for (auto channel : {LevelChannel::FL, LevelChannel::FR, LevelChannel::RL,
                                 LevelChannel::RR, LevelChannel::Sub})
                image.compose_speaker(channel);
            image.compose_treble();
            image.compose_middle();
            image.compose_bass();
            for (std::size_t k = 0; k < RegisterImage::register_count; ++k) {
                QCOMPARE(image.registers[k].address, before[k].address);
                const bool forced = k == REG_TREBLE || k == REG_MIDDLE || k == REG_BASS ||
                                    (k >= REG_FL && k <= REG_RR) || k == REG_SUB;
                const std::uint8_t expected = forced ? before[k].value | 0x80 : before[k].value;
                QCOMPARE(image.registers[k].value, expected);
            }
        }
    }

    void mute_then_unmute_restores_the_byte()
    {
        for (const auto& [channel, reg] : {std::pair{LevelChannel::Volume, REG_VOLUME},
                                           {LevelChannel::FL, REG_FL},
                                           {LevelChannel::Sub, REG_SUB}}) {
            for (int bit7 = 0; bit7 <= 1; ++bit7) {
                for (int db = -79; db <= 15; ++db) {
                    RegisterImage image;
                    image.volume_bit7 = bit7;
                    image.set_level_db(channel, db);
                    const std::uint8_t unmuted = image.registers[reg].value;
                    image.set_level_muted(channel, true);
                    QVERIFY(image.registers[reg].value >= (unmuted & 0x80) + 96);
                    image.set_level_muted(channel, false);
                    QCOMPARE(image.registers[reg].value, unmuted);
                }
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestRegisterImage)
#include "test_register_image.moc"
