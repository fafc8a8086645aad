#pragma once

#include <QStringList>

class QCoreApplication;

// The program's own texts are Russian. A user whose desktop asks for English, or for a
// language the program has no catalogue of, reads them in English; Russian, and a session with
// no locale at all (C, POSIX), keeps them as they are.
namespace ui_language {

// The catalogue for these UI languages, most preferred first: "en", or empty for the source.
QString catalogue_for(const QStringList& ui_languages);

// Loads the catalogue for the system's UI languages, and Qt's own texts in that language,
// into app; nothing for the source texts. Call before any text is shown.
void install(QCoreApplication& app);

} // namespace ui_language
