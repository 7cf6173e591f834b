// Qt's own texts in Italian.

#include "platform/Translation.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QFile>
#include <QLibraryInfo>

TEST(Translation, QtButtonsSpeakItalianWhenTheSystemHasTheTranslation) {
  const QString file = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_it.qm");
  const bool present = QFile::exists(file) || QFile::exists(QStringLiteral("/usr/share/qt6/translations/qtbase_it.qm"));
  EXPECT_EQ(ui::InstallItalianTranslation(*QCoreApplication::instance()), present);
  if (!present) GTEST_SKIP() << "no Italian translation of Qt on this system";
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annulla"));
}
