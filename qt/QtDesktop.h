#pragma once
// How the window meets the desktop: Qt's own texts (file dialog, standard
// buttons) in the user's language, and the program icon.

#include <QIcon>

class QCoreApplication;

namespace vela {

// Loads Qt's translations for the user's locale (QLocale::system(), from the
// LC_ALL, LC_MESSAGES or LANG variables) from Qt's translations folder; true
// when they were found. Without them Qt's dialogs stay in English.
bool InstallQtTranslations(QCoreApplication& app);

// The program icon in all its sizes, from the program's resources.
QIcon ProgramIcon();

}  // namespace vela
