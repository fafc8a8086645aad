#include "platform_services.h"

#include "amplifier_state.h"
#include "app_settings.h"
#include "hidapi_backend.h"
#include "logind_sleep_notifier.h"
#include "portal_hot_keys.h"
#include "program_identity.h"
#include "x11_hot_keys.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QGuiApplication>

namespace {

// The desktop entry the package installs, by which a portal knows the program.
const char desktop_app_id[] = "brenvik-quadron";

// Under X11 the program grabs its keys itself; elsewhere (a native Wayland session) it asks
// the desktop, through its portal, for global shortcuts.
std::unique_ptr<HotKeyService> system_hot_keys()
{
    if (QGuiApplication::platformName() == QLatin1String("xcb"))
        return std::make_unique<X11HotKeys>();
    std::vector<PortalHotKeys::Shortcut> shortcuts;
    for (const AmpAction& action : amp_actions)
        shortcuts.push_back(
            {action.hot_key_id, QLatin1String(action.option),
             QCoreApplication::translate("PlatformServices", action.shortcut_text)});
    return std::make_unique<PortalHotKeys>(QDBusConnection::sessionBus(),
                                           QLatin1String(desktop_app_id), std::move(shortcuts));
}

} // namespace

PlatformServices PlatformServices::system(bool demo)
{
    PlatformServices services;
    services.hid = std::make_unique<HidapiBackend>();
    services.hot_keys = system_hot_keys();
    services.sleep = std::make_unique<LogindSleepNotifier>();
    const QString settings_file =
        demo ? QStringLiteral("config-demo.ini") : QStringLiteral("config.ini");
    services.settings_path = AppSettings::default_path(settings_file);
    AppSettings::take_over_misplaced(services.settings_path, settings_file);
    services.executable_path = QCoreApplication::applicationFilePath();
    services.bus_name =
        QLatin1String(demo ? program_identity::demo_app_id : program_identity::app_id);
    if (demo) {
        services.executable_path =
            QCoreApplication::applicationDirPath() + QStringLiteral("/quadron-demo");
        services.autostart_file_name = QStringLiteral("brenvik-quadron-demo.desktop");
    }
    return services;
}
