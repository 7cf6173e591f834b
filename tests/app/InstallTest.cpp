// The install step of the program: `quendo --install DIR`.

#include "app/AppTestSupport.h"
#include "common/Cp1252.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QProcess>

TEST(Install, RecordsTheDataFolderForTheFirstDatabase) {
  ScratchDir dir;
  const std::string settings = dir.Path("conf/quendo.ini");
  const std::string data = dir.Path("i miei dati");
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QUENDO_SETTINGS"), cp1252::ToQString(settings));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(QUENDO_BIN), {QStringLiteral("--install"), cp1252::ToQString(data)});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_TRUE(QDir(cp1252::ToQString(data)).exists());
  EXPECT_EQ(SettingsValue(settings, "Directory"), data);
  EXPECT_EQ(SettingsValue(settings, "Database"), "<absent>");

  // The first start then offers to create the default database in that folder.
  const DriverRun run = RunDriver(settings, {"ok"}, {});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(SettingsValue(settings, "Database"), data + "/QUENDO.MDB");
  EXPECT_TRUE(QFile::exists(cp1252::ToQString(data + "/QUENDO.MDB")));
}
