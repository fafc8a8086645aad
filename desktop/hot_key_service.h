#pragma once

#include <QObject>
#include <QString>

// System-wide key combinations. Modifiers and keys keep their stored meaning
// (modifier bits Alt 1, Ctrl 2, Shift 4, Win 8; Windows virtual-key codes).
class HotKeyService : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotKeyService() override = default;

    // Grabs the combination for id; false when it cannot be had. Never throws, never reports.
    virtual bool register_hot_key(int id, quint32 modifiers, quint32 virtual_key) = 0;

    // How the hot keys reach the program now, for "quadron --status": "x11", "portal: " and
    // the ids the desktop bound, or "none: " and why not.
    virtual QString status() const = 0;

Q_SIGNALS:
    // A registered combination was pressed; delivered on the GUI thread.
    void activated(int id);
};
