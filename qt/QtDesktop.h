#pragma once
// How the window meets the desktop: Qt's own texts (file dialog, standard
// buttons) in the user's language, and the program icon.

#include <QIcon>
#include <QLocale>

class QCoreApplication;
class QTranslator;

namespace vela {

// Loads Qt's translations (qtbase_<language>.qm of qt6-translations-l10n)
// for the locale, by default the user's (QLocale::system(), from LC_ALL,
// LC_MESSAGES or LANG), from Qt's translations folder and installs them. The
// translator belongs to app; null when there are none for the locale, and
// Qt's dialogs then stay in English.
QTranslator* InstallQtTranslations(QCoreApplication& app,
                                   const QLocale& locale = QLocale::system());

// The program icon in all its sizes, from the program's resources.
QIcon ProgramIcon();

}  // namespace vela
