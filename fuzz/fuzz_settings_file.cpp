// Whatever a hand-edited settings file holds, it loads, and what is saved from it loads back
// as the same values.
#include "app_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    static int round = 0;
    // A fresh name each time: the settings reader caches files it has seen.
    const QString path = dir.filePath(QStringLiteral("config-%1.ini").arg(++round));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const SettingsValues loaded = AppSettings::load(path);
    const QString saved = dir.filePath(QStringLiteral("saved-%1.ini").arg(round));
    AppSettings::save(saved, loaded);
    if (AppSettings::load(saved) != loaded)
        std::abort();
    QFile::remove(path);
    QFile::remove(saved);
    return 0;
}
