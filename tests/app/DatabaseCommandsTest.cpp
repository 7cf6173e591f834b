// The Database menu and the working company: create, connect, disconnect, repair and duplicate
// on real files, and the company header written into the master row.

#include "app/ProgramTestSupport.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "refdata/Seeding.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QFile>

namespace {

const std::string kFullCaption = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";

std::string FileLine(const std::string& title) {
  return "FILE\t" + title + "\t*.MDB\tDatabase JET (*.mdb)|*.mdb|Tutti i files (*.*)|*.*||";
}

// The row counts of the reference tables, the largest of a new database.
std::string RowCounts(const std::string& path) {
  return QueryFile(path,
                   "SELECT (SELECT count(*) FROM local), (SELECT count(*) FROM regazi), (SELECT count(*) FROM "
                   "regent), (SELECT count(*) FROM master)");
}

TEST(DatabaseMenuDriver, CreateConnectSetTheCompanyAndDisconnect) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string current = dir.Path("lavoro.mdb");
  const std::string fresh = dir.Path("nuovo.mdb");
  MakeDatabase(current, kShellSchema);
  WriteSettings(settings, {"Database=" + current});
  const DriverRun run =
      RunDriver(settings,
                {"file " + fresh, "file " + fresh, "dialog 115", "  1000=0012", "  1001=01/01/2024",
                 "  1002=31/12/2024", "  1004=", "ok"},
                {QStringLiteral("5103"), QStringLiteral("5104"), QStringLiteral("5108"), QStringLiteral("5105")});
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string name = QueryFile(fresh, "SELECT denom FROM regazi WHERE codice = 12");
  ASSERT_FALSE(name.empty());
  const std::vector<std::string> expected = {
      // Start-up on the current database.
      "TITLE\tQuendo - Azienda 0 - Azienda non definita [periodo dal 01/01/1900 al 31/12/2099]",
      // "&Crea": the dialog, the success box, and nothing else: the title stays.
      FileLine("Creazione Nuovo Database"),
      U8("0x40\tIl database " + fresh + " è stato creato con successo\\n\\n"),
      // "&Connetti": the new database with the default company and period.
      FileLine("Selezione del Database"),
      "TITLE\tQuendo - Azienda 0 - *** azienda non assegnata *** [periodo dal 01/01/1900 al 31/12/2099]",
      // "&Azienda": the dialog, then the title of the company written.
      "DIALOG\t115\tIntestazione Azienda e Comunicazione",
      "TITLE\tQuendo - Azienda 12 - " + name.substr(0, name.size() - 1) + " [periodo dal 01/01/2024 al 31/12/2024]",
      // "&Sconnetti": the question, then the plain title; no database is remembered.
      U8("0x21\tConfermi sconnessione database ?"),
      "TITLE\t" + U8(kFullCaption),
  };
  ASSERT_EQ(run.transcript.size(), 11u);
  EXPECT_EQ(std::vector<std::string>(run.transcript.begin() + 2, run.transcript.end()), expected);
  EXPECT_EQ(QueryFile(fresh, "SELECT codice, azienda, p_data, protoc, resple, datini, datfin FROM master"),
            "0|12|NULL|NULL|NULL|2024-01-01|2024-12-31\n");
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
  const DriverRun run =
      RunDriver(settings, {"dialog 115", "  1001=31/02/2024", "  1002=31/12/2024"}, {QStringLiteral("5108")});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 3) << run.err;  // the user would be left at the dialog
  EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\t"),
            std::vector<std::string>{U8("0x10\tATTENZIONE: la data di inizio periodo è espressa in un formato "
                                        "illegale.\\n\\nLe date devono essere espresse nella forma GG/MM/AAAA.\\n\\n"
                                        "I dati immessi non saranno registrati !!!")});
  EXPECT_EQ(QueryFile(db, "SELECT azienda, protoc, datini, datfin FROM master"), "0|NULL|1900-01-01|2099-12-31\n");
}

// The program started in this process on a full database of the test's own.
class DatabaseMenu : public ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(CreateSeededDatabase(db_, CreateMode::Startup), 1);
    StartProgram(false);
    title_ = frame_->title;
    script_.Clear();
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
    WriteFileBytes(copy, FileBytes(db_));
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

  std::string title_;
};

TEST_F(DatabaseMenu, DisconnectAsksAndLeavesOnlyTheDatabaseCommandsEnabled) {
  script_.Cancel();
  ASSERT_TRUE(frame_->RunCommand(5105));
  ExpectStillWorking();
  script_.Ok();
  ASSERT_TRUE(frame_->RunCommand(5105));
  EXPECT_EQ(frame_->Database(), nullptr);
  EXPECT_EQ(frame_->databasePath, "");
  EXPECT_EQ(frame_->title, kFullCaption);
  EXPECT_FALSE(frame_->CommandAction(5108)->isEnabled());
  EXPECT_TRUE(frame_->CommandAction(5104)->isEnabled());
  EXPECT_FALSE(frame_->RunCommand(5108));
}

TEST_F(DatabaseMenu, CreateRefusesAnExistingFileAndCancelledDoesNothing) {
  script_.Cancel();
  ASSERT_TRUE(frame_->RunCommand(5103));
  EXPECT_TRUE(script_.Messages().empty());
  ExpectStillWorking();

  frame_->CloseDatabase();
  const std::string before = FileBytes(db_);
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5103));
  const std::string failed = "Errore durante la creazione del database " + db_ + "\n\n";
  EXPECT_EQ(MessagesOf(script_), failed + "Il file esiste già\n--\n" + failed);
  for (const ui::ShownMessage& m : script_.Messages()) {
    EXPECT_EQ(m.type, ui::MB_ICONEXCLAMATION);
    EXPECT_EQ(m.caption, "Creazione database");
  }
  EXPECT_TRUE(FileBytes(db_) == before) << "the file changed";
}

TEST_F(DatabaseMenu, ConnectReopensTheOpenFileAndRefusesWhatIsNotOneOfOurSoundDatabases) {
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5104));
  EXPECT_EQ(MessagesOf(script_), "");
  ExpectStillWorking();

  const std::string text = dir_.Path("appunti.mdb");
  WriteFileBytes(text, std::string(3000, 'x'));
  const std::string damaged = CopyOfWorking("rotto.mdb");
  DamageDatabaseFile(damaged);
  const std::string damagedBytes = FileBytes(damaged);
  for (const auto& [file, reason] :
       {std::pair{text, "Il file non è un database valido"}, {damaged, "Il file del database è danneggiato"}}) {
    script_.Clear();
    script_.File(file);
    ASSERT_TRUE(frame_->RunCommand(5104));
    EXPECT_TRUE(HasPrefix(OnlyMessage(), std::string("16||Errore in fase di apertura del database\n\n") + reason));
    ExpectStillWorking();
  }
  EXPECT_TRUE(FileBytes(damaged) == damagedBytes) << "the refused file changed";
}

TEST_F(DatabaseMenu, DuplicateCopiesEveryRowAndRefusesAnExistingDestination) {
  const std::string copy = dir_.Path("copia.mdb");
  script_.File(db_).File(copy);
  ASSERT_TRUE(frame_->RunCommand(5107));
  EXPECT_EQ(MessagesOf(script_), "");
  EXPECT_EQ(script_.Transcript(), (std::vector<std::string>{FileLine("Selezione del Database di origine"),
                                                            FileLine("Selezione del Database di destinazione")}));
  EXPECT_EQ(RowCounts(copy), RowCounts(db_));
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

// A damaged file is salvaged (RepairCommandTest); the working database itself, while open, is
// rebuilt without a message and stays usable.
TEST_F(DatabaseMenu, RepairRebuildsTheOpenDatabaseSilently) {
  const std::string counts = RowCounts(db_);
  script_.File(db_);
  ASSERT_TRUE(frame_->RunCommand(5106));
  EXPECT_EQ(MessagesOf(script_), "");
  EXPECT_EQ(RowCounts(db_), counts);
  ExpectStillWorking();
}

TEST_F(DatabaseMenu, CompanyCancelledOrWithoutMasterRowWritesNothing) {
  const std::string master = "SELECT * FROM master";
  const std::string before = QueryFile(CopyOfWorking("prima.mdb"), master);
  script_.Push({ui::Answer::Kind::DialogCancel, "115", {}});
  ASSERT_TRUE(frame_->RunCommand(5108));
  EXPECT_TRUE(script_.Messages().empty());
  EXPECT_EQ(QueryFile(db_, master), before);

  // The master row gone behind the program's back: the command says so and writes nothing.
  script_.Clear();
  {
    DbTable row(frame_->Database(), "master");
    ASSERT_TRUE(row.SetIndex("codice") && row.SeekEqual({"0"}) && row.Delete());
  }
  ASSERT_TRUE(frame_->RunCommand(5108));
  EXPECT_EQ(OnlyMessage(),
            "16||ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!");
  EXPECT_EQ(script_.PendingAnswers(), 0u);
  EXPECT_EQ(QueryFile(db_, "SELECT count(*) FROM master"), "0\n");
}

}  // namespace
