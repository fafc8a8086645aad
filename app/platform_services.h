#pragma once

#include "hid_backend.h"
#include "hot_key_service.h"
#include "program_identity.h"
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
    // What the autostart entry starts, and the entry's file name (the program's app id).
    QString executable_path;
    QString autostart_file_name =
        QLatin1String(program_identity::app_id) + QLatin1String(".desktop");
    // Where the presets are kept; none: in no folder (nothing can be saved).
    QString presets_folder;
    // The name the D-Bus interface is offered under on the session bus; none: not offered.
    QString bus_name;
    // The program runs the amplifier link on its own thread; tests step it by hand instead.
    bool link_on_own_thread = true;

    // demo: the copy quadron-demo starts, with settings and an autostart entry of its own.
    static PlatformServices system(bool demo = false);
};
