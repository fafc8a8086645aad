#pragma once

#include "hot_key_service.h"

#include <QAbstractNativeEventFilter>

#include <memory>

// Hot keys as passive key grabs on the X11 root windows, taken on the GUI's own X
// connection. Without an X11 display (Wayland, offscreen) nothing can be registered.
// Must be destroyed before the application object.
class X11HotKeys : public HotKeyService, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit X11HotKeys(QObject* parent = nullptr);
    ~X11HotKeys() override;

    // Grabs the combination with every state of NumLock and CapsLock. Refused when the
    // modifiers hold other bits than Alt, Ctrl, Shift and Win, when the key has no keysym
    // here or the keymap cannot produce it, when this object already holds it, and when
    // another client holds it.
    bool register_hot_key(int id, quint32 modifiers, quint32 virtual_key) override;
    // "x11" whenever there is an X display to grab keys on.
    QString status() const override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct Binding;
    struct State;

    bool grab(Binding& binding);
    void ungrab(const Binding& binding);
    void reload_keymap();

    std::unique_ptr<State> state;
};
