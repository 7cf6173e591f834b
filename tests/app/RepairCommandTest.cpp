// "&Ripara" on real files: a damaged database is salvaged and the rows recovered per table are
// shown; the open database, when damaged, is refused and stays open; a sound file is rebuilt
// without a word.

#include "app/AppTestSupport.h"
#include "app/MainFrame.h"
#include "app/TimetableApp.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QFile>
#include <fstream>

namespace {

// Overwrites one page of a closed database file with a fixed pattern, as a failing disk would.
void DamagePage(const std::string& path, long page) {
  std::fstream f(cp1252::ToUtf8(path), std::ios::in | std::ios::out | std::ios::binary);
  ASSERT_TRUE(f.is_open()) << path;
  f.seekp((page - 1) * 4096);
  f.write(std::string(4096, '\xA5').data(), 4096);
  ASSERT_TRUE(f.good());
}

// The second leaf page of the localities, and the rows it holds.
std::pair<long, long> LocalityLeaf(const std::string& path) {
  const std::string leaf = QueryFile(
      path, "SELECT pageno, ncell FROM dbstat WHERE name = 'local' AND pagetype = 'leaf' ORDER BY pageno LIMIT 1, 1");
  EXPECT_FALSE(leaf.empty()) << "the localities fit in one page";
  if (leaf.empty()) return {0, 0};
  return {std::stol(leaf), std::stol(leaf.substr(leaf.find('|') + 1))};
}

long Rows(const std::string& path, const char* table) {
  return std::stol(QueryFile(path, std::string("SELECT count(*) FROM ") + table));
}

class RepairCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = dir_.Path("lavoro.mdb");
    ASSERT_EQ(CreateSeededDatabase(db_, CreateMode::Startup), 1);
    const std::string settings = dir_.Path("quendo.ini");
    WriteSettings(settings, {"Database=" + db_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings));
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(false));
    frame_ = app_->Frame();
    script_.Clear();
  }
  void TearDown() override {
    if (app_) app_->ExitInstance();
    app_.reset();
    qunsetenv("QUENDO_SETTINGS");
  }

  // A damaged copy of the working database: one page of its localities unreadable.
  std::string DamagedCopy(const std::string& name, long& localities) {
    frame_->CloseDatabase();
    const std::string copy = dir_.Path(name);
    EXPECT_TRUE(QFile::copy(cp1252::ToQString(db_), cp1252::ToQString(copy)));
    frame_->OpenDatabase();
    const auto [page, cells] = LocalityLeaf(copy);
    localities = Rows(copy, "local") - cells;
    DamagePage(copy, page);
    return copy;
  }

  ScratchDir dir_;
  ui::Script script_;
  std::string db_;
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
};

TEST_F(RepairCommand, ADamagedFileIsSalvagedAndTheRowsRecoveredAreShown) {
  long localities = 0;
  const std::string damaged = DamagedCopy("rotto.mdb", localities);
  const std::string damagedBytes = FileBytes(damaged);
  const long companies = Rows(db_, "regazi");
  script_.File(damaged);
  ASSERT_TRUE(frame_->RunCommand(5106));
  ASSERT_EQ(script_.Messages().size(), 1u) << MessagesOf(script_);
  const ui::ShownMessage& shown = script_.Messages()[0];
  EXPECT_EQ(shown.type, ui::MB_ICONEXCLAMATION);
  EXPECT_EQ(shown.caption, "Riparazione database");
  EXPECT_TRUE(HasPrefix(
      shown.text,
      "Il file del database era danneggiato: i dati ancora leggibili sono stati "
      "recuperati in un nuovo file, che ne ha preso il nome.\n\n" +
          damaged + "\n\nRighe recuperate per tavola:\nmaster: 1\nregazi: " + std::to_string(companies) + "\n"));
  EXPECT_TRUE(HasPart(shown.text, "\nlocal: " + std::to_string(localities) + "\n"));
  EXPECT_TRUE(HasPart(shown.text, "\n\nIl file danneggiato è stato conservato come:\n" + damaged + ".danneggiato"));
  EXPECT_EQ(Rows(damaged, "local"), localities);
  EXPECT_EQ(Rows(damaged, "regazi"), companies);
  EXPECT_TRUE(FileBytes(damaged + ".danneggiato") == damagedBytes) << "the damaged file changed";

  // The working database is untouched and still open; the salvaged file can be connected.
  ASSERT_NE(frame_->Database(), nullptr);
  EXPECT_EQ(frame_->databasePath, db_);
  script_.Clear();
  script_.File(damaged);
  ASSERT_TRUE(frame_->RunCommand(5104));
  EXPECT_TRUE(script_.Messages().empty()) << MessagesOf(script_);
  EXPECT_EQ(frame_->databasePath, damaged);
}

TEST_F(RepairCommand, TheOpenDatabaseDamagedIsRefusedAndStaysOpen) {
  frame_->CloseDatabase();
  const long page = LocalityLeaf(db_).first;
  DamagePage(db_, page);
  frame_->OpenDatabase();
  ASSERT_NE(frame_->Database(), nullptr);
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5106));
  ASSERT_EQ(script_.Messages().size(), 1u) << MessagesOf(script_);
  EXPECT_EQ(script_.Messages()[0].caption, "Riparazione database");
  EXPECT_TRUE(HasPrefix(script_.Messages()[0].text, "Errore durante la riparazione del database\n\n" + db_ +
                                                        "\n\nIl file del database è danneggiato"));
  EXPECT_TRUE(HasPart(script_.Messages()[0].text,
                      "\n\nNon è stato possibile recuperarne i dati: il file è aperto, in questo o in un altro "
                      "programma: chiuderlo prima di ripararlo"));
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(db_ + ".danneggiato")));
  ASSERT_NE(frame_->Database(), nullptr);
  EXPECT_EQ(frame_->Database()->isOpen, 1);
  EXPECT_EQ(frame_->databasePath, db_);
}

TEST(RepairCommandDriver, TheWholeProgramSalvagesAFileAndRebuildsTheOpenSoundOne) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string damaged = dir.Path("rotto.mdb");
  const std::string sound = dir.Path("sano.mdb");
  ASSERT_EQ(CreateSeededDatabase(damaged, CreateMode::Startup), 1);
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(damaged), cp1252::ToQString(sound)));
  const auto [page, cells] = LocalityLeaf(damaged);
  const long localities = Rows(damaged, "local") - cells;
  DamagePage(damaged, page);
  WriteSettings(settings, {"Database=" + sound});  // the sound file is the open database
  const DriverRun run = RunDriver(settings, {"file " + damaged, "file " + sound}, {"5106", "5106"});
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> shown = LinesStartingWith(run.transcript, "0x");
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_TRUE(HasPrefix(shown[0], U8("0x30\tIl file del database era danneggiato: ")));
  EXPECT_TRUE(HasPart(shown[0], "\\nlocal: " + std::to_string(localities) + "\\n"));
  EXPECT_EQ(Rows(damaged, "local"), localities);
  EXPECT_EQ(Rows(sound, "local"), localities + cells);
}

}  // namespace
