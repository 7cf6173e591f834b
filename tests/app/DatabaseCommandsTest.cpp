// The Database menu and the working company: create, connect, disconnect, repair and duplicate
// on real files, and the company header written into the master row.

#include "app/AppTestSupport.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"
#include "app/TimetableApp.h"
#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QFile>
#include <set>

namespace {

const std::string kFullCaption = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";
const std::string kFilter = "Database JET (*.mdb)|*.mdb|Tutti i files (*.*)|*.*||";

std::string FileLine(const std::string& title) { return "FILE\t" + title + "\t*.MDB\t" + kFilter; }

// Every table of a database file with its row count, one per line.
std::string RowCounts(const std::string& path) {
  std::string out;
  const std::string tables = QueryFile(path, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name");
  size_t start = 0;
  while (start < tables.size()) {
    const size_t end = tables.find('\n', start);
    const std::string name = tables.substr(start, end - start);
    out += name + " " + QueryFile(path, "SELECT count(*) FROM \"" + name + "\"");
    start = end + 1;
  }
  return out;
}

TEST(DatabaseMenuDriver, CreateConnectSetTheCompanyAndDisconnect) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string current = dir.Path("lavoro.mdb");
  const std::string fresh = dir.Path("nuovo.mdb");
  MakeDatabase(current, kShellSchema);
  WriteSettings(settings, {"Database=" + current});
  const DriverRun run = RunDriver(settings,
                                  {"file " + fresh, "file " + fresh, "dialog 115", "  1000=0012", "  1001=01/01/2024",
                                   "  1002=31/12/2024", "  1004=", "ok"},
                                  {"5103", "5104", "5108", "5105"});
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string>& t = run.transcript;
  ASSERT_EQ(t.size(), 11u);
  // Start-up on the current database.
  const std::string startTitle = "Quendo - Azienda 0 - Azienda non definita [periodo dal 01/01/1900 al 31/12/2099]";
  EXPECT_EQ(t[2], "TITLE\t" + startTitle);
  // "&Crea": the dialog, the success box, and nothing else: the title stays.
  EXPECT_EQ(t[3], FileLine("Creazione Nuovo Database"));
  EXPECT_EQ(t[4], U8("0x40\tIl database " + fresh + " è stato creato con successo\\n\\n"));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(fresh)));
  // "&Connetti": the new database with the default company and period.
  EXPECT_EQ(t[5], FileLine("Selezione del Database"));
  EXPECT_EQ(t[6], "TITLE\tQuendo - Azienda 0 - *** azienda non assegnata *** [periodo dal 01/01/1900 al 31/12/2099]");
  // "&Azienda": the dialog, then the title of the company written.
  EXPECT_EQ(t[7], "DIALOG\t115\tIntestazione Azienda e Comunicazione");
  const std::string name = QueryFile(fresh, "SELECT denom FROM regazi WHERE codice = 12");
  ASSERT_FALSE(name.empty());
  EXPECT_EQ(t[8], "TITLE\tQuendo - Azienda 12 - " + name.substr(0, name.size() - 1) +
                      " [periodo dal 01/01/2024 al 31/12/2024]");
  EXPECT_EQ(QueryFile(fresh, "SELECT codice, azienda, p_data, protoc, resple, datini, datfin FROM master"),
            "0|12|NULL|NULL|NULL|2024-01-01|2024-12-31\n");
  // "&Sconnetti": the question, then the plain title; no database is remembered.
  EXPECT_EQ(t[9], U8("0x21\tConfermi sconnessione database ?"));
  EXPECT_EQ(t[10], "TITLE\t" + U8(kFullCaption));
  EXPECT_EQ(SettingsValue(settings, "Database"), "");
  // The file that was open at first is untouched by all this.
  EXPECT_EQ(QueryFile(current, "SELECT azienda, datini FROM master"), "0|1900-01-01\n");
}

TEST(DatabaseMenuDriver, RefusedCompanyHeaderWritesNothing) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string db = dir.Path("lavoro.mdb");
  MakeDatabase(db, std::string(kShellSchema) + "INSERT INTO regazi VALUES (0, 'non assegnata');");
  WriteSettings(settings, {"Database=" + db});
  const DriverRun run = RunDriver(settings, {"dialog 115", "  1001=31/02/2024", "  1002=31/12/2024"}, {"5108"});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 3) << run.err;  // the user would be left at the dialog
  const auto stops = LinesStartingWith(run.transcript, "0x10\t");
  ASSERT_EQ(stops.size(), 1u);
  EXPECT_EQ(stops[0], U8("0x10\tATTENZIONE: la data di inizio periodo è espressa in un formato illegale.\\n\\n"
                         "Le date devono essere espresse nella forma GG/MM/AAAA.\\n\\n"
                         "I dati immessi non saranno registrati !!!"));
  EXPECT_EQ(QueryFile(db, "SELECT azienda, protoc, datini, datfin FROM master"), "0|NULL|1900-01-01|2099-12-31\n");
}

// The program started in this process on a full database of the test's own.
class DatabaseMenu : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = dir_.Path("quendo.ini");
    db_ = dir_.Path("lavoro.mdb");
    ASSERT_EQ(CreateSeededDatabase(db_, CreateMode::Startup), 1);
    WriteSettings(settings_, {"Database=" + db_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(false));
    frame_ = app_->Frame();
    title_ = frame_->title;
    script_.Clear();
  }
  void TearDown() override {
    if (app_) app_->ExitInstance();
    app_.reset();
    qunsetenv("QUENDO_SETTINGS");
  }

  // The one message shown so far, with its type and caption.
  std::string OnlyMessage() {
    if (script_.Messages().size() != 1) return "<" + std::to_string(script_.Messages().size()) + " messages>";
    const ui::ShownMessage& m = script_.Messages()[0];
    return std::to_string(m.type) + "|" + m.caption + "|" + m.text;
  }

  // A copy of the working database, with its master row written to the file.
  std::string CopyOfWorking(const std::string& name) {
    frame_->CloseDatabase();
    const std::string copy = dir_.Path(name);
    EXPECT_TRUE(QFile::copy(QString::fromStdString(db_), QString::fromStdString(copy)));
    frame_->OpenDatabase();
    return copy;
  }

  void ExpectStillWorking() {
    ASSERT_NE(frame_->Database(), nullptr);
    EXPECT_EQ(frame_->Database()->isOpen, 1);
    EXPECT_EQ(frame_->databasePath, db_);
    EXPECT_EQ(frame_->title, title_);
    EXPECT_TRUE(frame_->IsCommandEnabled(5110));
  }

  ScratchDir dir_;
  ui::Script script_;
  std::string settings_, db_, title_;
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
};

TEST_F(DatabaseMenu, DisconnectLeavesOnlyTheDatabaseCommandsEnabled) {
  script_.Cancel();
  ASSERT_TRUE(frame_->RunCommand(5105));
  ExpectStillWorking();

  script_.Ok();
  ASSERT_TRUE(frame_->RunCommand(5105));
  EXPECT_EQ(frame_->Database(), nullptr);
  EXPECT_EQ(frame_->databasePath, "");
  EXPECT_EQ(frame_->title, kFullCaption);
  std::set<int> enabled;
  for (const CommandEntry& e : CommandTable())
    if (e.id && frame_->IsCommandEnabled(e.id)) enabled.insert(e.id);
  EXPECT_EQ(enabled, (std::set<int>{5101, 5102, 5103, 5104, 5105, 5106, 5107}));
  EXPECT_FALSE(frame_->CommandAction(5108)->isEnabled());
  EXPECT_TRUE(frame_->CommandAction(5104)->isEnabled());
  EXPECT_FALSE(frame_->RunCommand(5108));
}

TEST_F(DatabaseMenu, CreateOntoAnExistingFileRefusesAndLeavesIt) {
  frame_->CloseDatabase();
  const std::string before = FileBytes(db_);
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5103));
  ASSERT_EQ(script_.Messages().size(), 2u);
  const std::string failed = "Errore durante la creazione del database " + db_ + "\n\n";
  EXPECT_EQ(script_.Messages()[0].text, failed + "Il file esiste già");
  EXPECT_EQ(script_.Messages()[1].text, failed);
  for (const ui::ShownMessage& m : script_.Messages()) {
    EXPECT_EQ(m.type, ui::MB_ICONEXCLAMATION);
    EXPECT_EQ(m.caption, "Creazione database");
  }
  EXPECT_TRUE(FileBytes(db_) == before) << "the file changed";
}

TEST_F(DatabaseMenu, CreateCancelledDoesNothing) {
  script_.Cancel();
  ASSERT_TRUE(frame_->RunCommand(5103));
  EXPECT_TRUE(script_.Messages().empty());
  ExpectStillWorking();
}

TEST_F(DatabaseMenu, ConnectRefusesWhatIsNotOneOfOurSoundDatabases) {
  const std::string text = dir_.Path("appunti.mdb");
  {
    QFile f(QString::fromStdString(text));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(3000, 'x'));
  }
  script_.File(text);
  ASSERT_TRUE(frame_->RunCommand(5104));
  EXPECT_EQ(OnlyMessage().rfind("16||Errore in fase di apertura del database\n\nIl file non è un database valido", 0),
            0u)
      << OnlyMessage();
  ExpectStillWorking();

  script_.Clear();
  const std::string damaged = CopyOfWorking("rotto.mdb");
  DamageDatabaseFile(damaged);
  const std::string damagedBytes = FileBytes(damaged);
  script_.File(damaged);
  ASSERT_TRUE(frame_->RunCommand(5104));
  EXPECT_TRUE(FileBytes(damaged) == damagedBytes) << "the refused file changed";
  EXPECT_EQ(OnlyMessage().rfind("16||Errore in fase di apertura del database\n\nIl file del database è danneggiato", 0),
            0u)
      << OnlyMessage();
  ExpectStillWorking();
}

TEST_F(DatabaseMenu, ConnectToTheOpenFileReopensIt) {
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5104));
  EXPECT_TRUE(script_.Messages().empty()) << MessagesOf(script_);
  ExpectStillWorking();
}

TEST_F(DatabaseMenu, DuplicateCopiesEveryRowAndRefusesAnExistingDestination) {
  const std::string copy = dir_.Path("copia.mdb");
  script_.File(db_).File(copy);
  ASSERT_TRUE(frame_->RunCommand(5107));
  EXPECT_TRUE(script_.Messages().empty()) << MessagesOf(script_);
  EXPECT_EQ(script_.Transcript()[0], FileLine("Selezione del Database di origine"));
  EXPECT_EQ(script_.Transcript()[1], FileLine("Selezione del Database di destinazione"));
  const std::string counts = RowCounts(db_);
  EXPECT_NE(counts.find("local "), std::string::npos) << counts;
  EXPECT_EQ(RowCounts(copy), counts);
  EXPECT_EQ(QueryFile(copy, "PRAGMA application_id"), QueryFile(db_, "PRAGMA application_id"));
  ExpectStillWorking();

  // Again onto the copy: refused, the copy untouched.
  script_.Clear();
  const std::string copyBytes = FileBytes(copy);
  script_.File(db_).File(copy);
  ASSERT_TRUE(frame_->RunCommand(5107));
  EXPECT_EQ(OnlyMessage(), "48|Duplicazione database|Errore durante la duplicazione del database\n\n" + db_ + "\n" +
                               copy + "\n\nIl file di destinazione esiste già");
  EXPECT_TRUE(FileBytes(copy) == copyBytes) << "the file changed";

  // Cancelled at the second dialog: nothing happens.
  script_.Clear();
  script_.File(db_).Cancel();
  ASSERT_TRUE(frame_->RunCommand(5107));
  EXPECT_TRUE(script_.Messages().empty());
}

TEST_F(DatabaseMenu, RepairReportsADamagedFileAndRebuildsASoundOne) {
  const std::string damaged = CopyOfWorking("rotto.mdb");
  DamageDatabaseFile(damaged);
  script_.File(damaged);
  ASSERT_TRUE(frame_->RunCommand(5106));
  EXPECT_EQ(script_.Transcript()[0], FileLine("Riparazione del Database"));
  const std::string head = "48|Riparazione database|Errore durante la riparazione del database\n\n" + damaged +
                           "\n\nIl file del database è danneggiato";
  EXPECT_EQ(OnlyMessage().rfind(head, 0), 0u) << OnlyMessage();

  // The working database itself, while open: rebuilt, no message, still usable.
  script_.Clear();
  const std::string counts = RowCounts(db_);
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5106));
  EXPECT_TRUE(script_.Messages().empty()) << MessagesOf(script_);
  EXPECT_EQ(RowCounts(db_), counts);
  ExpectStillWorking();
}

TEST_F(DatabaseMenu, CompanyCancelledOrWithoutMasterRowWritesNothing) {
  const std::string master = "SELECT * FROM master";
  frame_->CloseDatabase();
  const std::string before = QueryFile(db_, master);
  frame_->OpenDatabase();
  script_.Push({ui::Answer::Kind::DialogCancel, "115", {}});
  ASSERT_TRUE(frame_->RunCommand(5108));
  EXPECT_TRUE(script_.Messages().empty());
  EXPECT_EQ(QueryFile(db_, master), before);

  // An end before the start: refused, nothing written.
  script_.Push({ui::Answer::Kind::Dialog, "115", {{"1001", "01/07/2024"}, {"1002", "30/06/2024"}}});
  EXPECT_THROW(frame_->RunCommand(5108), ui::UnansweredQuestion);
  EXPECT_EQ(MessagesOf(script_),
            "ATTENZIONE: la data di inizio periodo supera la data di fine periodo.\n\n"
            "I dati immessi non saranno registrati !!!");
  EXPECT_EQ(QueryFile(db_, master), before);

  // The master row gone behind the program's back: the command says so and writes nothing.
  script_.Clear();
  {
    DbTable row(frame_->Database(), "master");
    ASSERT_TRUE(row.SetIndex("codice") && row.SeekEqual({"0"}) && row.Delete());
  }
  ASSERT_TRUE(frame_->RunCommand(5108));
  EXPECT_EQ(OnlyMessage(),
            "16||ATTENZIONE: risulta impossibile trovare il MASTER\n\n"
            "Presumibilmente il DataBase è corrotto !!!");
  EXPECT_EQ(script_.PendingAnswers(), 0u);
  EXPECT_EQ(QueryFile(db_, "SELECT count(*) FROM master"), "0\n");
}

}  // namespace
