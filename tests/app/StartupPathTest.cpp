// The working database's path across starts, through the headless driver: a file that does not
// open now is kept for the next start, no creation is offered over a file already there, paths
// with commas come back whole, and the warning of a missing settings file names what stands in
// for the installer and the registry here.

#include "app/AppTestSupport.h"
#include "platform/Settings.h"
#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

const std::string kFullCaption = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";
const std::string kCreateQuestion = "0x21\tL'applicazione Quendo non è associata ad un database.";
const std::string kOpenFailure = "0x10\tErrore in fase di apertura del database\\n\\n";

std::string LastTitle(const DriverRun& run) {
  const auto titles = LinesStartingWith(run.transcript, "TITLE\t");
  return titles.empty() ? std::string() : titles.back().substr(6);
}

// A value as the program reads it from the settings file.
std::string ProgramSetting(const std::string& settingsPath, const char* name) {
  qputenv(settings::kEnvironmentVariable, QByteArray::fromStdString(settingsPath));
  std::string value = "<absent>";
  settings::Read(name, value);
  qunsetenv(settings::kEnvironmentVariable);
  return value;
}

void MakeSeededDatabase(const std::string& path) {
  ui::Script quiet;  // the creation's own success box
  ASSERT_EQ(CreateSeededDatabase(path, CreateMode::Startup), 1) << MessagesOf(quiet);
}

}  // namespace

TEST(StartupPath, AFileThatDoesNotOpenIsKeptAndTriedAgainAtTheNextStart) {
  struct Case {
    const char* name;
    bool exists;          // false: the file is not there (a folder not mounted yet)
    const char* content;  // what the file holds when it is there
  };
  for (const Case& c : {Case{"sparito.mdb", false, ""}, Case{"rovinato.mdb", true, "non un database, solo testo\n"}}) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::string settings = dir.Path("quendo.ini");
    const std::string db = dir.Path(c.name);
    if (c.exists) WriteFileBytes(db, c.content);
    MakeSeededDatabase(dir.Path("QUENDO.MDB"));  // the default database, which must not be created anew
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});

    // Two starts in a row: each says why the file does not open, runs without a database, offers
    // nothing, and leaves the path as it was.
    for (int start = 1; start <= 2; ++start) {
      SCOPED_TRACE(start);
      const DriverRun run = RunDriver(settings, {}, {"5102"});
      ASSERT_TRUE(run.finished);
      EXPECT_EQ(run.exitCode, 0) << run.err;
      EXPECT_EQ(LinesStartingWith(run.transcript, kOpenFailure).size(), 1u);
      EXPECT_TRUE(LinesStartingWith(run.transcript, U8(kCreateQuestion)).empty());
      EXPECT_EQ(LastTitle(run), U8(kFullCaption));
      EXPECT_EQ(SettingsValue(settings, "Database"), db);
    }
    EXPECT_EQ(QFile::exists(QString::fromStdString(db)), c.exists);
    EXPECT_EQ(FileBytes(db), c.content);

    // Once the file is sound again, the next start works on it.
    QFile::remove(QString::fromStdString(db));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(dir.Path("QUENDO.MDB")), QString::fromStdString(db)));
    const DriverRun run = RunDriver(settings, {}, {});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(LinesStartingWith(run.transcript, kOpenFailure).empty());
    EXPECT_EQ(LastTitle(run).rfind("Quendo - Azienda 0 - ", 0), 0u) << LastTitle(run);
  }
}

TEST(StartupPath, NoCreationIsOfferedOverTheDefaultDatabaseAlreadyThere) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string data = dir.Path("dati");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(data)));
  const std::string existing = data + "/QUENDO.MDB";
  MakeSeededDatabase(existing);
  const std::string before = FileBytes(existing);
  WriteSettings(settings, {"Database=", "Directory=" + data});

  const DriverRun run = RunDriver(settings, {}, {"5102"});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(LinesStartingWith(run.transcript, U8(kCreateQuestion)).empty());
  const auto told = LinesStartingWith(run.transcript, "0x30\t");
  ASSERT_EQ(told.size(), 1u);
  EXPECT_NE(told[0].find(U8("Il database " + existing + " esiste già.")), std::string::npos) << told[0];
  EXPECT_EQ(LastTitle(run), U8(kFullCaption));
  EXPECT_EQ(FileBytes(existing), before);
  EXPECT_EQ(SettingsValue(settings, "Database"), "");
}

TEST(StartupPath, PathsWithCommasComeBackWhole) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string data = dir.Path("Orari, 2024,estate");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(data)));
  const std::string db = data + "/lavoro, copia.mdb";
  MakeSeededDatabase(db);
  // Written by hand, as the README invites: no quotes around the values.
  WriteSettings(settings, {"Database=" + db, "Directory=" + data});

  for (int start = 1; start <= 2; ++start) {
    SCOPED_TRACE(start);
    const DriverRun run = RunDriver(settings, {}, {});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(LinesStartingWith(run.transcript, "0x").empty()) << run.transcript.back();
    EXPECT_EQ(LastTitle(run).rfind("Quendo - Azienda 0 - ", 0), 0u) << LastTitle(run);
    // The exit rewrote the file; both values still read whole.
    EXPECT_EQ(ProgramSetting(settings, settings::kDatabase), db);
    EXPECT_EQ(ProgramSetting(settings, settings::kDirectory), data);
  }
}

TEST(StartupPath, MissingSettingsFileNamesTheFileAndTheInstallStep) {
  ScratchDir dir;
  const std::string settings = dir.Path("conf/quendo.ini");
  const DriverRun run = RunDriver(settings, {"cancel"}, {});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const auto grave = LinesStartingWith(run.transcript, U8("0x10\tATTENZIONE: è stata riscontrata una anomalia grave"));
  ASSERT_EQ(grave.size(), 1u);
  EXPECT_NE(grave[0].find("quendo --install"), std::string::npos) << grave[0];
  EXPECT_NE(grave[0].find(settings), std::string::npos) << grave[0];
  for (const char* windowsOnly : {"Setup", "Windows", "registro"})
    EXPECT_EQ(grave[0].find(windowsOnly), std::string::npos) << windowsOnly;
}
