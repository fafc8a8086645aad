#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct RegisterPair
{
    std::uint8_t address = 0;
    std::uint8_t value = 0;
};

// Registers known by their index in the image; the others are passed through untouched.
enum RegisterIndex : std::size_t {
    REG_PRI_SOURCE = 0,
    REG_SOFT_MUTE = 2,
    REG_VOLUME = 3,
    REG_TREBLE = 4,
    REG_MIDDLE = 5,
    REG_BASS = 6,
    REG_SEC_SOURCE = 7,
    REG_FREQ_SELECT = 8,
    REG_FL = 10,
    REG_FR = 11,
    REG_RL = 12,
    REG_RR = 13,
    REG_SUB = 15,
};

// The volume and the five speaker outputs share the level-code encoding.
enum class LevelChannel { Volume, FL, FR, RL, RR, Sub };
enum class ToneBand { Treble, Middle, Bass };
// Two-bit fields chosen from a list: the item index is what the amplifier stores.
enum class IndexField {
    treble_cf,
    middle_qf,
    middle_cf,
    bass_qf,
    bass_cf,
    sub_cut_off,
    rear_source
};

// Input selector codes as the amplifier numbers them; the buttons are not in code order.
namespace input_code {
constexpr int input_1 = 3;
constexpr int input_2 = 0;
constexpr int input_3 = 1;
constexpr int input_4 = 2;
constexpr int muted = 7;
} // namespace input_code

// The amplifier's settings as the program mirrors them: 18 processor registers plus the
// amplifier's flags and delay bytes, and one decoded mirror per control field.
// Handlers change a mirror and rebuild the register from the mirrors; bits the program does
// not own (address bytes, passed-through registers, preserved bits) are never disturbed.
class RegisterImage
{
public:
    static constexpr std::size_t register_count = 18;
    static constexpr std::size_t payload_size = 63;
    static constexpr std::size_t image_size = 38;
    using Payload = std::array<std::uint8_t, payload_size>;
    // The image as the payload carries it: 18 address/value pairs, flags, delay.
    using Bytes = std::array<std::uint8_t, image_size>;

    std::uint8_t control_flags = 0;
    std::uint8_t acc_on_delay = 0;
    std::array<RegisterPair, register_count> registers{};

    int pri_input = 0;
    int pri_autozero_off = 0;
    int pri_gain = 0;
    int volume_code = 0;
    int volume_muted = 0;
    int volume_bit7 = 0;
    int soft_mute_off = 0;
    int hard_mute = 0;
    int fl_code = 0;
    int fl_muted = 0;
    int fr_code = 0;
    int fr_muted = 0;
    int rl_code = 0;
    int rl_muted = 0;
    int rr_code = 0;
    int rr_muted = 0;
    int treble_code = 0;
    int treble_cf = 0;
    int middle_code = 0;
    int middle_qf = 0;
    int bass_code = 0;
    int bass_qf = 0;
    int sub_cut_off = 0;
    int middle_cf = 0;
    int bass_cf = 0;
    int freq_select_bit6 = 0;
    int freq_select_bit7 = 0;
    int sec_input = 0;
    int sec_gain = 0;
    int rear_source = 0;
    int sub_code = 0;
    int sub_muted = 0;

    // Rebuild value bytes from the mirrors.
    void compose_pri_source();
    void compose_volume();
    void compose_speaker(LevelChannel channel);
    void compose_treble();
    void compose_middle();
    void compose_bass();
    void compose_sec_source();

    // Payload of the read and write commands: 18 address/value pairs, flags, delay.
    void load_image(const std::uint8_t* payload);
    void store_image(std::uint8_t* destination) const;
    Bytes bytes() const;

    // Decodes every mirror from the register bytes, as a freshly read image defines them.
    void read_mirrors();

    // What each control's handler does to the image.
    void set_level_db(LevelChannel channel, int db);
    void set_level_muted(LevelChannel channel, bool muted);
    void set_tone_db(ToneBand band, int db);
    void set_pri_input(int code);
    void set_pri_gain(int gain);
    void set_autozero(bool on);
    void set_sec_input(int code);
    void set_sec_gain(int gain);
    void set_index(IndexField field, int index);
    void set_hard_mute(bool on);
    void set_soft_mute(bool on);
    void set_acc_on_delay(int value);

    int& level_code(LevelChannel channel);
    int& level_muted(LevelChannel channel);
    int& tone_code(ToneBand band);
    int& index(IndexField field);

private:
    void compose_freq_select();
    void rebuild_level(LevelChannel channel);
    void rebuild_tone(ToneBand band);
};
