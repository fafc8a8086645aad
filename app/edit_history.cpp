#include "edit_history.h"

#include "amp_settings.h"

#include <QUndoCommand>

namespace {

// The settings (by table name) whose values differ between two snapshots.
QStringList settings_between(const AmplifierState::Snapshot& a, const AmplifierState::Snapshot& b)
{
    QStringList names;
    for (const AmpSetting& setting : amp_settings()) {
        if (setting.read(a.controls) != setting.read(b.controls))
            names.append(QLatin1String(setting.name));
    }
    return names;
}

} // namespace

class EditHistory::Step : public QUndoCommand
{
public:
    Step(EditHistory& history, const AmplifierState::Snapshot& from,
         const AmplifierState::Snapshot& to, bool joinable)
        : owner(history), before(from), after(to), settings(settings_between(from, to)),
          can_join(joinable)
    {
        setText(settings.join(QStringLiteral(", ")));
        since.start();
    }

    int id() const override { return can_join ? 1 : -1; }
    // The edit is already made when it is recorded.
    void redo() override
    {
        if (recorded) {
            recorded = false;
            return;
        }
        can_join = false; // a step that was gone back over stays as it is
        owner.go_to(after);
    }
    void undo() override
    {
        can_join = false;
        owner.go_to(before);
    }
    bool mergeWith(const QUndoCommand* other) override
    {
        const auto* next = static_cast<const Step*>(other);
        if (!can_join || !next->can_join || next->settings != settings ||
            since.elapsed() >= join_within_ms)
            return false;
        after = next->after;
        since.start();
        setObsolete(after == before); // dragged back to where it began
        return true;
    }

private:
    EditHistory& owner;
    AmplifierState::Snapshot before;
    AmplifierState::Snapshot after;
    QStringList settings;
    bool can_join;
    bool recorded = true;
    QElapsedTimer since;
};

EditHistory::EditHistory(AmplifierState& amplifier, QObject* parent)
    : QObject(parent), state(amplifier), last(amplifier.snapshot())
{
    steps.setUndoLimit(500);
    connect(&state, &AmplifierState::edited, this, &EditHistory::record);
    connect(&state, &AmplifierState::image_read, this, &EditHistory::restart);
}

bool EditHistory::undo()
{
    if (!steps.canUndo())
        return false;
    steps.undo();
    return true;
}

bool EditHistory::redo()
{
    if (!steps.canRedo())
        return false;
    steps.redo();
    return true;
}

void EditHistory::record()
{
    if (replaying)
        return;
    const AmplifierState::Snapshot now = state.snapshot();
    if (now == last)
        return;
    const AmplifierState::Snapshot before = last;
    last = now;
    steps.push(new Step(*this, before, now, !discrete));
}

void EditHistory::restart()
{
    steps.clear();
    last = state.snapshot();
}

void EditHistory::go_to(const AmplifierState::Snapshot& snapshot)
{
    replaying = true;
    state.restore(snapshot);
    replaying = false;
    last = state.snapshot();
}
