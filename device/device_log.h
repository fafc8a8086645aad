#pragma once

#include <QLoggingCategory>

// The amplifier link's messages: why no amplifier is held, why it does not answer.
Q_DECLARE_LOGGING_CATEGORY(device_log)
