#pragma once

#include "hid_backend.h"
#include "hot_key_service.h"
#include "sleep_notifier.h"

#include <QString>

#include <memory>

// The machine-facing services the window relies on. The program uses the real Linux ones;
// tests hand in doubles so they can step the window without hardware or a desktop session.
struct PlatformServices
{
    std::unique_ptr<HidBackend> hid;
    std::unique_ptr<HotKeyService> hot_keys;
    std::unique_ptr<SleepNotifier> sleep;
    QString settings_path;
    QString executable_path;
    // The program runs the amplifier link on its own thread; tests step it by hand instead.
    bool link_on_own_thread = true;

    static PlatformServices system();
};
