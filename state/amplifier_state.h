#pragma once

#include "amp_actions.h"
#include "link_state.h"
#include "register_image.h"

#include <QObject>
#include <QString>

#include <array>
#include <functional>

// Where a channel, a band or a field sits in the arrays of Controls.
constexpr std::size_t slot(LevelChannel channel)
{
    return static_cast<std::size_t>(channel);
}
constexpr std::size_t slot(ToneBand band)
{
    return static_cast<std::size_t>(band);
}
constexpr std::size_t slot(IndexField field)
{
    return static_cast<std::size_t>(field);
}

// The amplifier as the program knows it, apart from any window: the register image with its
// mirrors, what each control shows, the variant and the connection. Every change goes through
// here, whether it comes from a control, a hot key or a freshly read image, so the window is
// only a view of it and need not exist for the amplifier to be changed.
class AmplifierState : public QObject
{
    Q_OBJECT
public:
    static constexpr int no_input = -1;
    static constexpr int level_min_db = -79;
    static constexpr int level_max_db = 15;

    static constexpr int HOTKEY_VOLUME_UP = ::HOTKEY_VOLUME_UP;
    static constexpr int HOTKEY_VOLUME_DOWN = ::HOTKEY_VOLUME_DOWN;
    static constexpr int HOTKEY_SUB_UP = ::HOTKEY_SUB_UP;
    static constexpr int HOTKEY_SUB_DOWN = ::HOTKEY_SUB_DOWN;

    // What each control shows; at first, what the form shows before any amplifier was seen.
    struct Controls
    {
        std::array<int, 6> level_db{};     // by LevelChannel
        std::array<bool, 6> level_muted{}; // by LevelChannel
        std::array<int, 3> tone_db{};      // by ToneBand
        int pri_gain = 0;
        int sec_gain = 0;
        int pri_input = no_input; // input code of the checked primary button
        int sec_input = no_input; // input code of the checked second-source button
        bool autozero = false;
        bool hard_mute = false;
        bool soft_mute = false;
        std::array<int, 7> index{}; // by IndexField
        int acc_on_delay = 0;
    };

    // The connection as the window shows it.
    struct Display
    {
        bool connected_shown = false; // the green lamp
        bool frame_enabled = true;
        int availability_variant = 0;            // the variant whose controls are offered
        const char* version = nullptr;           // untranslated variant name; none: "N/A"
        LinkProblem problem = LinkProblem::none; // why the lamp is red
        QString problem_detail;                  // the node and the system's reason
    };

    // Raised while the program itself sets controls: the handlers then leave the image alone.
    class Updating
    {
    public:
        explicit Updating(AmplifierState& guarded) : state(guarded), was(guarded.updating_controls)
        {
            state.updating_controls = true;
        }
        ~Updating() { state.updating_controls = was; }
        Updating(const Updating&) = delete;
        Updating& operator=(const Updating&) = delete;

    private:
        AmplifierState& state;
        bool was;
    };

    using QObject::QObject;

    const Controls& controls() const { return shown; }
    const Display& display() const { return connection; }
    const RegisterImage& image() const { return registers; }
    int device_variant() const { return variant; }
    LinkState link_state() const { return link; }
    bool is_updating_controls() const { return updating_controls; }

    // What the controls do.
    void move_level(LevelChannel channel, int db);
    void mute_level(LevelChannel channel, bool muted);
    void move_tone(ToneBand band, int db);
    void move_pri_gain(int gain);
    void move_sec_gain(int gain);
    void choose_pri_input(int code);
    void choose_sec_input(int code);
    void choose_index(IndexField field, int index);
    void set_autozero(bool on);
    void set_hard_mute(bool on);
    void set_soft_mute(bool on);
    void set_acc_on_delay(int value);

    // The four global hot keys, by id; they act only while an amplifier is open.
    void on_hot_key(int id);

    // Several changes as one edit: shown once, and handed to the link as one image.
    void apply(const std::function<void()>& changes);

    // What the controls show and the image holds, to come back to (undo and redo).
    struct Snapshot
    {
        Controls controls;
        RegisterImage::Bytes image{};
        bool operator==(const Snapshot& other) const;
        bool operator!=(const Snapshot& other) const { return !(*this == other); }
    };
    Snapshot snapshot() const;
    // Back to a snapshot of this connection, as one edit: its image is the one written.
    void restore(const Snapshot& to);

public Q_SLOTS:
    // A new connection's image: shown in every control, then handed back for writing.
    void apply_image_to_controls(quint64 generation, int variant,
                                 const RegisterImage::Bytes& image);
    void set_link_state(LinkState state);
    void set_link_problem(LinkProblem problem, const QString& detail);

Q_SIGNALS:
    // Something a control or the connection display shows has changed.
    void changed();
    // An edit was made, whatever made it (before changed()); a read-back is none.
    void edited();
    // A new connection's image was read and shown (after changed()).
    void image_read();
    // The image to write, tagged with the generation of the read it grew from.
    void image_changed(quint64 generation, const RegisterImage::Bytes& image);

private:
    template <typename Edit> void edit(Edit edit);
    void publish(const RegisterImage::Bytes& before);
    void apply_amp_variant();
    bool step_level(LevelChannel channel, int step);
    void step_volume(int step);
    void step_subwoofer(int step);

    RegisterImage registers;
    Controls shown;
    Display connection;
    LinkState link = LinkState::closed;
    int variant = 0;
    quint64 generation = 0;
    bool updating_controls = false;
    bool editing = false; // inside an edit: the outermost one publishes
};
