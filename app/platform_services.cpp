#include "platform_services.h"

#include "app_settings.h"
#include "hidapi_backend.h"
#include "logind_sleep_notifier.h"
#include "x11_hot_keys.h"

#include <QCoreApplication>

PlatformServices PlatformServices::system(bool demo)
{
    PlatformServices services;
    services.hid = std::make_unique<HidapiBackend>();
    services.hot_keys = std::make_unique<X11HotKeys>();
    services.sleep = std::make_unique<LogindSleepNotifier>();
    services.settings_path = AppSettings::default_path(demo ? QStringLiteral("config-demo.ini")
                                                            : QStringLiteral("config.ini"));
    services.executable_path = QCoreApplication::applicationFilePath();
    if (demo) {
        services.executable_path =
            QCoreApplication::applicationDirPath() + QStringLiteral("/quadron-demo");
        services.autostart_file_name = QStringLiteral("brenvik-quadron-demo.desktop");
    }
    return services;
}
