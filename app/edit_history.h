#pragma once

#include "amplifier_state.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QUndoStack>

// Every edit of the amplifier's settings as a step to undo and redo, whatever made it: the
// window, a hot key, a command, D-Bus or a preset. It watches the state rather than the ways
// in, so none can bypass it. A slider's drag or a run of hot-key presses (edits of the same
// settings less than a second apart) is one step; a new connection's read-back starts afresh,
// the amplifier's own settings being the new start. Undo and redo are edits like the others:
// the state goes back, and the link writes its image.
class EditHistory : public QObject
{
    Q_OBJECT
public:
    static constexpr int join_within_ms = 1000;

    explicit EditHistory(AmplifierState& state, QObject* parent = nullptr);

    QUndoStack& stack() { return steps; }
    // False when there is nothing to undo (or redo).
    bool undo();
    bool redo();

    // While one lives, edits are steps of their own, never joined to the one before (a
    // command, a preset).
    class Discrete
    {
    public:
        explicit Discrete(EditHistory& history) : owner(history), was(history.discrete)
        {
            owner.discrete = true;
        }
        ~Discrete() { owner.discrete = was; }
        Discrete(const Discrete&) = delete;
        Discrete& operator=(const Discrete&) = delete;

    private:
        EditHistory& owner;
        bool was;
    };

private:
    class Step;
    void record();
    void restart();
    void go_to(const AmplifierState::Snapshot& snapshot);

    AmplifierState& state;
    QUndoStack steps;
    AmplifierState::Snapshot last;
    bool replaying = false;
    bool discrete = false;
};
