#pragma once

#include <QLoggingCategory>

// The desktop services' messages: settings file, autostart entry, hot keys, sleep notices.
Q_DECLARE_LOGGING_CATEGORY(desktop_log)
