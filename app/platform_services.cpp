#include "platform_services.h"

#include "hidapi_backend.h"
#include "logind_sleep_notifier.h"
#include "x11_hot_keys.h"

#include <QCoreApplication>

PlatformServices PlatformServices::system()
{
    PlatformServices services;
    services.hid = std::make_unique<HidapiBackend>();
    services.hot_keys = std::make_unique<X11HotKeys>();
    services.sleep = std::make_unique<LogindSleepNotifier>();
    services.executable_path = QCoreApplication::applicationFilePath();
    return services;
}
