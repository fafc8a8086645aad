#include "amplifier_state.h"

#include "amp_variants.h"
#include "level_codes.h"

#include <algorithm>

namespace {

constexpr LevelChannel faders[] = {LevelChannel::FL, LevelChannel::FR, LevelChannel::RL,
                                   LevelChannel::RR};

} // namespace

// A control's change reaches the image only when the user (or a hot key) made it; while the
// program itself sets the controls it is already what the state holds. A hot key that moves
// several levels is one edit: shown once, and handed to the link whole.
template <typename Edit> void AmplifierState::edit(Edit change)
{
    if (updating_controls)
        return;
    if (editing) {
        change();
        return;
    }
    editing = true;
    const RegisterImage::Bytes before = registers.bytes();
    change();
    editing = false;
    publish(before);
}

void AmplifierState::publish(const RegisterImage::Bytes& before)
{
    Q_EMIT edited();
    Q_EMIT changed();
    const RegisterImage::Bytes after = registers.bytes();
    if (after != before)
        Q_EMIT image_changed(generation, after);
}

void AmplifierState::move_level(LevelChannel channel, int db)
{
    edit([&] {
        shown.level_db[slot(channel)] = db;
        registers.set_level_db(channel, db);
    });
}

void AmplifierState::mute_level(LevelChannel channel, bool muted)
{
    edit([&] {
        shown.level_muted[slot(channel)] = muted;
        registers.set_level_muted(channel, muted);
    });
}

void AmplifierState::move_tone(ToneBand band, int db)
{
    edit([&] {
        shown.tone_db[slot(band)] = db;
        registers.set_tone_db(band, db);
    });
}

void AmplifierState::move_pri_gain(int gain)
{
    edit([&] {
        shown.pri_gain = gain;
        registers.set_pri_gain(gain);
    });
}

void AmplifierState::move_sec_gain(int gain)
{
    edit([&] {
        shown.sec_gain = gain;
        registers.set_sec_gain(gain);
    });
}

void AmplifierState::choose_pri_input(int code)
{
    edit([&] {
        shown.pri_input = code;
        registers.set_pri_input(code);
    });
}

void AmplifierState::choose_sec_input(int code)
{
    edit([&] {
        shown.sec_input = code;
        registers.set_sec_input(code);
    });
}

void AmplifierState::choose_index(IndexField field, int index)
{
    edit([&] {
        shown.index[slot(field)] = index;
        registers.set_index(field, index);
    });
}

void AmplifierState::set_autozero(bool on)
{
    edit([&] {
        shown.autozero = on;
        registers.set_autozero(on);
    });
}

void AmplifierState::set_hard_mute(bool on)
{
    edit([&] {
        shown.hard_mute = on;
        registers.set_hard_mute(on);
    });
}

void AmplifierState::set_acc_on_delay(int value)
{
    edit([&] {
        shown.acc_on_delay = value;
        registers.set_acc_on_delay(value);
    });
}

// The soft mute acts whenever its box changes, even while the program itself sets it (the
// read-back below): the amplifier then gets the byte with its unused bits set, as it expects.
// A box set to what it already shows is no change.
void AmplifierState::set_soft_mute(bool on)
{
    if (on == shown.soft_mute)
        return;
    const RegisterImage::Bytes before = registers.bytes();
    shown.soft_mute = on;
    registers.set_soft_mute(on);
    if (!editing) // inside an edit, the edit publishes
        publish(before);
}

void AmplifierState::apply(const std::function<void()>& changes)
{
    edit(changes);
}

bool AmplifierState::Snapshot::operator==(const Snapshot& other) const
{
    const Controls& a = controls;
    const Controls& b = other.controls;
    return image == other.image && a.level_db == b.level_db && a.level_muted == b.level_muted &&
           a.tone_db == b.tone_db && a.pri_gain == b.pri_gain && a.sec_gain == b.sec_gain &&
           a.pri_input == b.pri_input && a.sec_input == b.sec_input && a.autozero == b.autozero &&
           a.hard_mute == b.hard_mute && a.soft_mute == b.soft_mute && a.index == b.index &&
           a.acc_on_delay == b.acc_on_delay;
}

AmplifierState::Snapshot AmplifierState::snapshot() const
{
    return {shown, registers.bytes()};
}

// The mirrors are read from the image again, as they were made from it.
void AmplifierState::restore(const Snapshot& to)
{
    edit([&] {
        registers.load_image(to.image.data());
        registers.read_mirrors();
        shown = to.controls;
    });
}

void AmplifierState::apply_amp_variant()
{
    // Unknown codes never get here: the link refuses them.
    if (const AmpVariant* found = find_amp_variant(variant)) {
        connection.availability_variant = found->code;
        connection.version = found->name;
    }
}

void AmplifierState::apply_image_to_controls(quint64 image_generation, int identified,
                                             const RegisterImage::Bytes& bytes)
{
    generation = image_generation;
    variant = identified;
    registers.load_image(bytes.data());
    {
        const Updating guard(*this);
        RegisterImage& r = registers;
        r.read_mirrors();
        shown.acc_on_delay = r.acc_on_delay;
        apply_amp_variant();
        // Codes 4..7 have no button: the primary buttons stay as they were.
        if (r.pri_input <= 3)
            shown.pri_input = r.pri_input;
        shown.autozero = r.pri_autozero_off == 0;
        shown.pri_gain = r.pri_gain;
        const bool soft_mute_checked = r.soft_mute_off == 0;
        if (soft_mute_checked != shown.soft_mute) {
            shown.soft_mute = soft_mute_checked;
            r.set_soft_mute(soft_mute_checked);
        }
        shown.hard_mute = r.hard_mute != 0;
        for (LevelChannel channel : {LevelChannel::Volume, LevelChannel::FL, LevelChannel::FR,
                                     LevelChannel::RL, LevelChannel::RR, LevelChannel::Sub}) {
            shown.level_db[slot(channel)] = level_to_db(unsigned(r.level_code(channel)));
            shown.level_muted[slot(channel)] = r.level_muted(channel) != 0;
        }
        for (ToneBand band : {ToneBand::Treble, ToneBand::Middle, ToneBand::Bass})
            shown.tone_db[slot(band)] = tone_to_db(unsigned(r.tone_code(band)));
        for (std::size_t field = 0; field < shown.index.size(); ++field)
            shown.index[field] = r.index(static_cast<IndexField>(field));
        shown.sec_gain = r.sec_gain;
        // Codes 4..7 show as the second source's Mute.
        shown.sec_input = r.sec_input <= 3 ? r.sec_input : input_code::muted;
    }
    Q_EMIT changed();
    Q_EMIT image_read();
    Q_EMIT image_changed(generation, registers.bytes());
}

void AmplifierState::set_link_state(LinkState state)
{
    link = state;
    if (state == LinkState::closed) {
        connection.frame_enabled = false;
        if (connection.connected_shown) {
            connection.connected_shown = false;
            variant = 0;
            connection.version = nullptr;
        }
    } else if (state == LinkState::synchronising) {
        connection.frame_enabled = true;
        connection.connected_shown = true;
    } else {
        connection.connected_shown = false; // held, but not (or no longer) in step
    }
    Q_EMIT changed();
}

void AmplifierState::set_link_problem(LinkProblem problem, const QString& detail)
{
    connection.problem = problem;
    connection.problem_detail = detail;
    Q_EMIT changed();
}

void AmplifierState::on_hot_key(int id)
{
    if (link == LinkState::closed)
        return;
    edit([&] {
        switch (id) {
        case HOTKEY_VOLUME_UP:
            step_volume(+1);
            break;
        case HOTKEY_VOLUME_DOWN:
            step_volume(-1);
            break;
        case HOTKEY_SUB_UP:
            step_subwoofer(+1);
            break;
        case HOTKEY_SUB_DOWN:
            step_subwoofer(-1);
            break;
        default:
            break;
        }
    });
}

// As a slider does: the value stays within the range, and one at its end does not move.
bool AmplifierState::step_level(LevelChannel channel, int step)
{
    const int now = shown.level_db[slot(channel)];
    const int next = std::clamp(now + step, level_min_db, level_max_db);
    if (next == now)
        return false;
    move_level(channel, next);
    return true;
}

void AmplifierState::step_subwoofer(int step)
{
    step_level(LevelChannel::Sub, step);
}

// With the rear speakers on an unmuted second source the volume keys move the faders
// together, and only while every fader (the subwoofer's included, whatever the variant) can
// still move.
void AmplifierState::step_volume(int step)
{
    if (registers.rear_source != 1 || registers.sec_input > 4) {
        step_level(LevelChannel::Volume, step);
        return;
    }
    const auto at_end = [&](LevelChannel channel) {
        const int db = shown.level_db[slot(channel)];
        return step > 0 ? db >= level_max_db : db <= level_min_db;
    };
    if (std::any_of(std::begin(faders), std::end(faders), at_end) || at_end(LevelChannel::Sub))
        return;
    for (LevelChannel fader : faders)
        step_level(fader, step);
    if (variant_has_subwoofer(variant))
        step_subwoofer(step);
}
