#include "platform/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace ui {

bool InstallItalianTranslation(QCoreApplication& app) {
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  auto* translator = new QTranslator(&app);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  if (translator->load(QStringLiteral("qtbase_it"), folder) ||
      translator->load(QStringLiteral("qtbase_it"), QStringLiteral("/usr/share/qt6/translations"))) {
    app.installTranslator(translator);
    return true;
  }
  delete translator;
  return false;
}

}  // namespace ui
