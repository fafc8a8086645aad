#include "platform_services.h"

#include "amplifier_state.h"
#include "app_settings.h"
#include "hidapi_backend.h"
#include "logind_sleep_notifier.h"
#include "portal_hot_keys.h"
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
    using S = AmplifierState;
    const auto text = [](const char* source) {
        return QCoreApplication::translate("PlatformServices", source);
    };
    return std::make_unique<PortalHotKeys>(
        QDBusConnection::sessionBus(), QLatin1String(desktop_app_id),
        std::vector<PortalHotKeys::Shortcut>{
            {S::HOTKEY_VOLUME_UP, QStringLiteral("volume-up"), text("Громкость: прибавить")},
            {S::HOTKEY_VOLUME_DOWN, QStringLiteral("volume-down"), text("Громкость: убавить")},
            {S::HOTKEY_SUB_UP, QStringLiteral("subwoofer-up"), text("Сабвуфер: прибавить")},
            {S::HOTKEY_SUB_DOWN, QStringLiteral("subwoofer-down"), text("Сабвуфер: убавить")},
        });
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
    if (demo) {
        services.executable_path =
            QCoreApplication::applicationDirPath() + QStringLiteral("/quadron-demo");
        services.autostart_file_name = QStringLiteral("brenvik-quadron-demo.desktop");
    }
    return services;
}
