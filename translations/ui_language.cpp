#include "ui_language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>

Q_LOGGING_CATEGORY(language_log, "quadron.language", QtInfoMsg)

namespace ui_language {

QString catalogue_for(const QStringList& ui_languages)
{
    for (const QString& language : ui_languages) {
        const QString code = language.section(u'-', 0, 0).section(u'_', 0, 0).toLower();
        if (code == QLatin1String("c") || code.startsWith(QLatin1String("c.")) ||
            code == QLatin1String("posix") || code == QLatin1String("ru"))
            return {};
        if (code == QLatin1String("en"))
            return QStringLiteral("en");
        // A language without a catalogue: the next one the user reads, else English.
    }
    return ui_languages.isEmpty() ? QString() : QStringLiteral("en");
}

void install(QCoreApplication& app)
{
    const QString catalogue = catalogue_for(QLocale::system().uiLanguages());
    if (catalogue.isEmpty())
        return;
    auto* own = new QTranslator(&app);
    if (own->load(QStringLiteral(":/i18n/quadron_%1.qm").arg(catalogue)))
        QCoreApplication::installTranslator(own);
    else
        qCWarning(language_log) << "The program's catalogue" << catalogue << "is missing";
    // Qt's own texts (message box buttons, shortcuts); a system without them shows Qt's
    // built-in English, which is what this catalogue asks for anyway.
    auto* toolkit = new QTranslator(&app);
    if (toolkit->load(QStringLiteral("qtbase_") + catalogue,
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(toolkit);
}

} // namespace ui_language
