#include "register_image.h"

#include "level_codes.h"

#include <algorithm>

namespace {

constexpr int mute_pattern = 0x60;

std::uint8_t byte(int value)
{
    return static_cast<std::uint8_t>(value & 0xFF);
}

bool mute_pattern_set(std::uint8_t value)
{
    return (value & mute_pattern) == mute_pattern;
}

std::size_t register_of(LevelChannel channel)
{
    switch (channel) {
    case LevelChannel::Volume:
        return REG_VOLUME;
    case LevelChannel::FL:
        return REG_FL;
    case LevelChannel::FR:
        return REG_FR;
    case LevelChannel::RL:
        return REG_RL;
    case LevelChannel::RR:
        return REG_RR;
    case LevelChannel::Sub:
        break;
    }
    return REG_SUB;
}

} // namespace

int& RegisterImage::level_code(LevelChannel channel)
{
    switch (channel) {
    case LevelChannel::Volume:
        return volume_code;
    case LevelChannel::FL:
        return fl_code;
    case LevelChannel::FR:
        return fr_code;
    case LevelChannel::RL:
        return rl_code;
    case LevelChannel::RR:
        return rr_code;
    case LevelChannel::Sub:
        break;
    }
    return sub_code;
}

int& RegisterImage::level_muted(LevelChannel channel)
{
    switch (channel) {
    case LevelChannel::Volume:
        return volume_muted;
    case LevelChannel::FL:
        return fl_muted;
    case LevelChannel::FR:
        return fr_muted;
    case LevelChannel::RL:
        return rl_muted;
    case LevelChannel::RR:
        return rr_muted;
    case LevelChannel::Sub:
        break;
    }
    return sub_muted;
}

int& RegisterImage::tone_code(ToneBand band)
{
    switch (band) {
    case ToneBand::Treble:
        return treble_code;
    case ToneBand::Middle:
        return middle_code;
    case ToneBand::Bass:
        break;
    }
    return bass_code;
}

int& RegisterImage::index(IndexField field)
{
    switch (field) {
    case IndexField::treble_cf:
        return treble_cf;
    case IndexField::middle_qf:
        return middle_qf;
    case IndexField::middle_cf:
        return middle_cf;
    case IndexField::bass_qf:
        return bass_qf;
    case IndexField::bass_cf:
        return bass_cf;
    case IndexField::sub_cut_off:
        return sub_cut_off;
    case IndexField::rear_source:
        break;
    }
    return rear_source;
}

void RegisterImage::compose_pri_source()
{
    registers[REG_PRI_SOURCE].value = byte(pri_input | pri_gain << 3 | pri_autozero_off << 7);
}

void RegisterImage::compose_volume()
{
    int value = volume_code | volume_bit7 << 7;
    if (volume_muted)
        value |= mute_pattern;
    registers[REG_VOLUME].value = byte(value);
}

void RegisterImage::compose_speaker(LevelChannel channel)
{
    int value = level_code(channel) | 0x80;
    if (level_muted(channel))
        value |= mute_pattern;
    registers[register_of(channel)].value = byte(value);
}

void RegisterImage::compose_treble()
{
    registers[REG_TREBLE].value = byte(treble_code | treble_cf << 5 | 0x80);
}

void RegisterImage::compose_middle()
{
    registers[REG_MIDDLE].value = byte(middle_code | middle_qf << 5 | 0x80);
    compose_freq_select();
}

void RegisterImage::compose_bass()
{
    registers[REG_BASS].value = byte(bass_code | bass_qf << 5 | 0x80);
    compose_freq_select();
}

void RegisterImage::compose_sec_source()
{
    registers[REG_SEC_SOURCE].value =
        byte((sec_input & 7) | (sec_gain & 15) << 3 | (rear_source & 1) << 7);
}

void RegisterImage::compose_freq_select()
{
    registers[REG_FREQ_SELECT].value = byte(sub_cut_off | middle_cf << 2 | bass_cf << 4 |
                                            freq_select_bit6 << 6 | freq_select_bit7 << 7);
}

void RegisterImage::load_image(const std::uint8_t* payload)
{
    for (std::size_t k = 0; k < register_count; ++k) {
        registers[k].address = payload[2 * k];
        registers[k].value = payload[2 * k + 1];
    }
    control_flags = payload[36];
    acc_on_delay = payload[37];
}

void RegisterImage::store_image(std::uint8_t* destination) const
{
    for (std::size_t k = 0; k < register_count; ++k) {
        destination[2 * k] = registers[k].address;
        destination[2 * k + 1] = registers[k].value;
    }
    destination[36] = control_flags;
    destination[37] = acc_on_delay;
}

RegisterImage::Bytes RegisterImage::bytes() const
{
    Payload payload{};
    store_image(payload.data());
    Bytes image{};
    std::copy_n(payload.begin(), image_size, image.begin());
    return image;
}

void RegisterImage::read_mirrors()
{
    const std::uint8_t pri = registers[REG_PRI_SOURCE].value;
    pri_input = pri & 7;
    pri_autozero_off = pri >> 7;
    pri_gain = (pri >> 3) & 15;

    const std::uint8_t volume = registers[REG_VOLUME].value;
    volume_bit7 = volume >> 7;
    volume_muted = mute_pattern_set(volume);
    volume_code = volume & 0x7F;

    soft_mute_off = registers[REG_SOFT_MUTE].value & 1;
    hard_mute = control_flags & 1;

    for (LevelChannel channel : {LevelChannel::FL, LevelChannel::FR, LevelChannel::RL,
                                 LevelChannel::RR, LevelChannel::Sub}) {
        const std::uint8_t value = registers[register_of(channel)].value;
        level_code(channel) = value & 0x7F;
        level_muted(channel) = mute_pattern_set(value);
    }

    const std::uint8_t treble = registers[REG_TREBLE].value;
    treble_code = treble & 31;
    treble_cf = (treble >> 5) & 3;
    const std::uint8_t middle = registers[REG_MIDDLE].value;
    middle_code = middle & 31;
    middle_qf = (middle >> 5) & 3;
    const std::uint8_t bass = registers[REG_BASS].value;
    bass_code = bass & 31;
    bass_qf = (bass >> 5) & 3;

    const std::uint8_t freq = registers[REG_FREQ_SELECT].value;
    sub_cut_off = freq & 3;
    middle_cf = (freq >> 2) & 3;
    bass_cf = (freq >> 4) & 3;
    freq_select_bit6 = (freq >> 6) & 1;
    freq_select_bit7 = freq >> 7;

    const std::uint8_t sec = registers[REG_SEC_SOURCE].value;
    sec_input = sec & 7;
    sec_gain = (sec >> 3) & 15;
    rear_source = sec >> 7;
}

void RegisterImage::rebuild_level(LevelChannel channel)
{
    if (channel == LevelChannel::Volume)
        compose_volume();
    else
        compose_speaker(channel);
}

void RegisterImage::set_level_db(LevelChannel channel, int db)
{
    level_code(channel) = db_to_level(db);
    rebuild_level(channel);
}

void RegisterImage::set_level_muted(LevelChannel channel, bool muted)
{
    level_muted(channel) = muted ? 1 : 0;
    rebuild_level(channel);
}

void RegisterImage::rebuild_tone(ToneBand band)
{
    switch (band) {
    case ToneBand::Treble:
        compose_treble();
        break;
    case ToneBand::Middle:
        compose_middle();
        break;
    case ToneBand::Bass:
        compose_bass();
        break;
    }
}

void RegisterImage::set_tone_db(ToneBand band, int db)
{
    tone_code(band) = db_to_tone(db);
    rebuild_tone(band);
}

void RegisterImage::set_pri_input(int code)
{
    pri_input = code;
    compose_pri_source();
}

void RegisterImage::set_pri_gain(int gain)
{
    pri_gain = gain;
    compose_pri_source();
}

void RegisterImage::set_autozero(bool on)
{
    pri_autozero_off = on ? 0 : 1;
    compose_pri_source();
}

void RegisterImage::set_sec_input(int code)
{
    sec_input = code;
    compose_sec_source();
}

void RegisterImage::set_sec_gain(int gain)
{
    sec_gain = gain;
    compose_sec_source();
}

void RegisterImage::set_index(IndexField field, int value)
{
    index(field) = value;
    switch (field) {
    case IndexField::treble_cf:
        compose_treble();
        break;
    case IndexField::middle_qf:
    case IndexField::middle_cf:
        compose_middle();
        break;
    // The cut-off shares the frequency-select register with the bass centre frequency,
    // which the bass rebuild writes.
    case IndexField::bass_qf:
    case IndexField::bass_cf:
    case IndexField::sub_cut_off:
        compose_bass();
        break;
    case IndexField::rear_source:
        compose_sec_source();
        break;
    }
}

// The flags byte belongs to the amplifier; the switch writes it whole as 0 or 1.
void RegisterImage::set_hard_mute(bool on)
{
    hard_mute = on ? 1 : 0;
    control_flags = static_cast<std::uint8_t>(hard_mute);
}

void RegisterImage::set_soft_mute(bool on)
{
    soft_mute_off = on ? 0 : 1;
    registers[REG_SOFT_MUTE].value = byte(0xFE | soft_mute_off);
}

void RegisterImage::set_acc_on_delay(int value)
{
    acc_on_delay = byte(value);
}
