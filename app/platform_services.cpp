#include "platform_services.h"

#include "amplifier_state.h"
#include "app_settings.h"
#include "autostart_entry.h"
#include "hidapi_backend.h"
#include "logind_sleep_notifier.h"
#include "portal_hot_keys.h"
#include "preset_file.h"
#include "program_identity.h"
#include "x11_hot_keys.h"

#include <QCoreApplication>
#include <QGuiApplication>

namespace {

// Under X11 the program grabs its keys itself; elsewhere (a native Wayland session) it asks
// the desktop, through its portal, for global shortcuts, under the id of its desktop entry.
std::unique_ptr<HotKeyService> system_hot_keys(const char* app_id)
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11HotKeys>();
    std::vector<PortalHotKeys::Shortcut> shortcuts;
    for (const AmpAction& action : amp_actions)
        shortcuts.push_back(
            {action.hot_key_id, QLatin1String(action.option),
             QCoreApplication::translate("PlatformServices", action.shortcut_text)});
    return std::make_unique<PortalHotKeys>(QLatin1String(app_id), std::move(shortcuts));
}

} // namespace

PlatformServices PlatformServices::system(bool demo)
{
    PlatformServices services;
    services.hid = std::make_unique<HidapiBackend>();
    services.hot_keys =
        system_hot_keys(demo ? program_identity::demo_app_id : program_identity::app_id);
    services.sleep = std::make_unique<LogindSleepNotifier>();
    const QString settings_file =
        demo ? QStringLiteral("config-demo.ini") : QStringLiteral("config.ini");
    services.settings_path = AppSettings::default_path(settings_file);
    AppSettings::take_over_misplaced(services.settings_path, settings_file);
    services.executable_path = QCoreApplication::applicationFilePath();
    services.presets_folder = PresetStore::default_folder(demo);
    services.bus_name =
        QLatin1String(demo ? program_identity::demo_app_id : program_identity::app_id);
    if (demo) {
        services.executable_path =
            QCoreApplication::applicationDirPath() + QStringLiteral("/quadron-demo");
        services.autostart_file_name =
            QLatin1String(program_identity::demo_app_id) + QLatin1String(".desktop");
    }
    // Earlier versions named the entry after the package; the user's choice moves along.
    AutostartEntry::adopt(demo ? QStringLiteral("brenvik-quadron-demo.desktop")
                               : QStringLiteral("brenvik-quadron.desktop"),
                          services.autostart_file_name);
    return services;
}
