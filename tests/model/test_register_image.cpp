#include "register_image.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

RegisterImage::Payload random_payload(QRandomGenerator& random)
{
    RegisterImage::Payload payload{};
    for (auto& b : payload)
        b = static_cast<std::uint8_t>(random.bounded(256));
    return payload;
}

RegisterImage loaded(const RegisterImage::Payload& payload)
{
    RegisterImage image;
    image.load_image(payload.data());
    image.read_mirrors();
    return image;
}

constexpr std::size_t value_offset(std::size_t index)
{
    return 2 * index + 1;
}

} // namespace

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
        for (std::size_t i = 0; i < RegisterImage::image_size; ++i)
            QCOMPARE(out[i], in[i]);
        for (std::size_t i = RegisterImage::image_size; i < out.size(); ++i)
            QCOMPARE(out[i], std::uint8_t(0xA5));
    }

    void decoding_keeps_every_byte()
    {
        // Any payload read, decoded and laid out again comes back identical.
        QRandomGenerator random(20261207);
        for (int round = 0; round < 2000; ++round) {
            const auto in = random_payload(random);
            const RegisterImage image = loaded(in);
            RegisterImage::Payload out{};
            image.store_image(out.data());
            QVERIFY(std::equal(out.begin(), out.begin() + RegisterImage::image_size, in.begin()));
        }
    }

    void rebuilding_from_decoded_mirrors()
    {
        // Registers whose bit 7 is the program's own come back with it set; everything else
        // comes back exactly as read, including the preserved bits and muted level codes.
        QRandomGenerator random(7);
        for (int round = 0; round < 2000; ++round) {
            RegisterImage image = loaded(random_payload(random));
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
        for (auto channel : {LevelChannel::Volume, LevelChannel::FL, LevelChannel::Sub}) {
            for (int bit7 = 0; bit7 <= 1; ++bit7) {
                for (int db = -79; db <= 15; ++db) {
                    RegisterImage image;
                    image.volume_bit7 = bit7;
                    image.set_level_db(channel, db);
                    const auto reg = channel == LevelChannel::Volume ? REG_VOLUME
                                     : channel == LevelChannel::FL   ? REG_FL
                                                                     : REG_SUB;
                    const std::uint8_t unmuted = image.registers[reg].value;
                    image.set_level_muted(channel, true);
                    QVERIFY(image.registers[reg].value >= (unmuted & 0x80) + 96);
                    image.set_level_muted(channel, false);
                    QCOMPARE(image.registers[reg].value, unmuted);
                }
            }
        }
    }

    void muted_read_stays_muted_until_the_level_moves()
    {
        RegisterImage::Payload payload{};
        payload[value_offset(REG_VOLUME)] = 0x70;
        RegisterImage image = loaded(payload);
        QCOMPARE(image.volume_muted, 1);
        image.set_level_muted(LevelChannel::Volume, false);
        QCOMPARE(image.registers[REG_VOLUME].value, std::uint8_t(0x70));
        image.set_level_db(LevelChannel::Volume, -20);
        QCOMPARE(image.registers[REG_VOLUME].value, std::uint8_t(0x24));
    }

    void shared_registers_are_rebuilt_whole()
    {
        RegisterImage::Payload payload{};
        payload[value_offset(REG_BASS)] = 0x05;
        payload[value_offset(REG_FREQ_SELECT)] = 0xC0;
        RegisterImage image = loaded(payload);
        image.set_index(IndexField::sub_cut_off, 1);
        QCOMPARE(image.registers[REG_BASS].value, std::uint8_t(0x85));
        QCOMPARE(image.registers[REG_FREQ_SELECT].value, std::uint8_t(0xC1));
        image.set_index(IndexField::middle_qf, 3);
        QCOMPARE(image.registers[REG_MIDDLE].value, std::uint8_t(0xE0));
        QCOMPARE(image.registers[REG_FREQ_SELECT].value, std::uint8_t(0xC1));
    }

    void flags_and_secondary_source()
    {
        RegisterImage image;
        image.control_flags = 0xF0;
        image.set_hard_mute(true);
        QCOMPARE(image.control_flags, std::uint8_t(1));
        image.set_hard_mute(false);
        QCOMPARE(image.control_flags, std::uint8_t(0));
        image.set_acc_on_delay(0x1FF);
        QCOMPARE(image.acc_on_delay, std::uint8_t(0xFF));
        image.set_sec_gain(9);
        image.set_index(IndexField::rear_source, 1);
        image.set_sec_input(input_code::muted);
        QCOMPARE(image.registers[REG_SEC_SOURCE].value, std::uint8_t(0x80 | 9 << 3 | 7));
        image.set_soft_mute(false);
        QCOMPARE(image.registers[REG_SOFT_MUTE].value, std::uint8_t(0xFF));
    }
};

QTEST_APPLESS_MAIN(TestRegisterImage)
#include "test_register_image.moc"
