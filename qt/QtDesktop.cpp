#include "qt/QtDesktop.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

static void InitIconResources() {
  Q_INIT_RESOURCE(icons);
}

namespace vela {

QTranslator* InstallQtTranslations(QCoreApplication& app, const QLocale& locale) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(locale, "qtbase", "_",
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return nullptr;
  }
  QCoreApplication::installTranslator(translator);
  return translator;
}

QIcon ProgramIcon() {
  InitIconResources();
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    icon.addFile(QString(":/icons/%1x%1/velalink.png").arg(size), QSize(size, size));
  }
  return icon;
}

}  // namespace vela
