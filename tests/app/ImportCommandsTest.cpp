// The import commands run in this process on real files and a real database: one import alone (its decision boxes, the
// report saved, the refused rows, the result box), the whole import and where it stops, and the grouping of homogeneous
// trips as a command and as the whole import's silent last step, on the real main window.

#include "app/ProgramTestSupport.h"
#include "app/commands/GroupingCommand.h"
#include "app/commands/ImportCommands.h"
#include "app/commands/WholeImportCommand.h"
#include "common/Clock.h"
#include "common/InputFile.h"
#include "db/DbDatabase.h"
#include "platform/Busy.h"
#include "platform/ClientArea.h"
#include "support/ExchangeData.h"
#include "utilities/TripGrouping.h"

#include <sqlite3.h>
#include <QApplication>

namespace {

using K = ImportKind;
using Strings = std::vector<std::string>;

struct ImportCommand : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string report = dir.Path("ERRORI_VURTXT.TXT");
  ui::Script script;
  void SetUp() override { MakeTimetableDatabase(db); }
  // Writes the file of the import, runs the worker, then the result box; the boxes shown.
  Strings Run(K kind, const Strings& lines) {
    WriteLines(dir.Path(FileNameOf(kind)), lines);
    script.Clear();
    DbDatabase handle(db);
    ImportResultStep(kind, RunImportWorker(kind, {&handle, dir.Path(FileNameOf(kind)), false, nullptr}), false);
    return Boxes(script.Transcript());
  }
  std::string Count(const char* table) const { return QueryFile(db, std::string("SELECT COUNT(*) FROM ") + table); }
};

TEST_F(ImportCommand, BlockingFaultOffersTheReportAndWritesNothing) {
  auto lines = HandMadeLines("RT_CADEN.TXT");
  lines[1].pop_back();
  script.Ok().File(report);
  FixClock({2024, 3, 5, 9, 7, 0});
  const Strings boxes = Run(K::Cadences, lines);
  ASSERT_EQ(boxes.size(), 2u) << MessagesOf(script);
  EXPECT_TRUE(HasPrefix(boxes[0], Box(0x11, "ATTENZIONE: il file di testo proposto")));  // the text: ImportTest
  EXPECT_EQ(boxes[1], Box(0x10, ResultText(K::Cadences, 2, 0)));
  UnfixClock();
  EXPECT_EQ(
      LinesStartingWith(script.Transcript(), "FILE\t"),
      Strings{"FILE\tReport Errori Riscontrati\tERRORI_VURTXT\tFile di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||"});
  EXPECT_EQ(Count("cadenz"), "0\n");
  const std::string frame(72, '=');
  EXPECT_EQ(FileBytes(report), frame + "\r\n05/03/2024 09.07 Report Errori VurTxt V1 (Quendo)\r\nDatabase: " + db +
                                   "\r\nFile: " + dir.Path("RT_CADEN.TXT") + "\r\n" + frame +
                                   "\r\n\r\nRiga 2: la riga è lunga 73 [deve essere 74]\r\n");
}

TEST_F(ImportCommand, AReportThatCannotBeWrittenIsSaidBeforeTheResult) {
  auto lines = HandMadeLines("RT_CADEN.TXT");
  lines[1].pop_back();
  const std::string unwritable = dir.Path("manca/ERRORI_VURTXT.TXT");
  script.Ok().File(unwritable);
  const Strings boxes = Run(K::Cadences, lines);
  ASSERT_EQ(boxes.size(), 3u) << MessagesOf(script);
  EXPECT_TRUE(HasPrefix(boxes[0], "0x11\t"));
  EXPECT_EQ(boxes[1], Box(0x10, "Impossibile creare\n\n" + unwritable));
  EXPECT_EQ(boxes[2], Box(0x10, ResultText(K::Cadences, 2, 0)));
}

TEST_F(ImportCommand, AloneAQuestionEndsInTheResultOfTheCounts) {
  auto other = HandMadeLines("RT_CADEN.TXT");
  for (auto& l : other) l.replace(0, 4, "0018");
  for (bool accept : {false, true}) {
    accept ? script.Ok() : script.Cancel();
    const Strings boxes = Run(K::Cadences, other);
    ASSERT_EQ(boxes.size(), 2u) << MessagesOf(script);
    EXPECT_TRUE(HasPrefix(boxes[0], Box(0x21, "ATTENZIONE: il Codice Regionale Azienda")));
    EXPECT_EQ(boxes[1], Box(accept ? 0x40 : 0x10, ResultText(K::Cadences, 2, accept ? 2 : 0)));
    EXPECT_EQ(Count("cadenz"), accept ? "2\n" : "0\n");
  }
}

TEST_F(ImportCommand, RefusedRowsShowAFewBoxesThenOneThatCountsTheRest) {
  Strings lines;
  for (int k = 0; k < 6; ++k) lines.push_back("0017C" + std::to_string(k) + std::string(68, 'x'));
  EXPECT_EQ(Run(K::Cadences, lines), Strings{Box(0x40, ResultText(K::Cadences, 6, 6))});
  script.Ok().File(report);
  const Strings boxes = Run(K::Cadences, lines);
  ASSERT_EQ(boxes.size(), 5u) << MessagesOf(script);
  for (int k = 0; k < 3; ++k)
    EXPECT_EQ(boxes[k].rfind(Box(0x10, "Errore aggiornamento tavola (cadenz)\n\nValore duplicato"), 0), 0u);
  EXPECT_EQ(boxes[3], Box(0x11,
                          "Altre 3 righe sono state rifiutate dal database.\n\n"
                          "Vuoi salvare il report analitico degli errori ?"));
  EXPECT_EQ(boxes[4], Box(0x10, ResultText(K::Cadences, 6, 0)));
  const std::string text = FileBytes(report);
  for (int k = 1; k <= 6; ++k)
    EXPECT_TRUE(
        HasPart(text, "Riga " + std::to_string(k) + ": Errore aggiornamento tavola (cadenz): Valore duplicato"));
}

TEST_F(ImportCommand, AnEmptyFileAloneIsNeverASuccess) {
  ImportHandMade(db, {K::Cadences, K::TripHeads});  // what the calendar and the periods refer to
  for (K kind : {K::Protocol, K::Cadences, K::Calendar, K::Periods})
    for (bool accept : {true, false}) {
      accept ? script.Ok() : script.Cancel();
      // The company question first (an empty file has none), then the failure.
      const Strings boxes = Run(kind, {});
      ASSERT_EQ(boxes.size(), 2u) << FileNameOf(kind) << MessagesOf(script);
      EXPECT_TRUE(HasPrefix(boxes[0], "0x21\t"));
      EXPECT_EQ(boxes[1], Box(0x10, ResultText(kind, 0, 0))) << accept;
    }
}

// A stored value that its column cannot hold, read before the file (the working company) or after
// the load (a stop's time): its refusal is the one box, with no count of lines after it.
TEST_F(ImportCommand, AStoredValueRefusedIsTheOnlyBox) {
  AllowReadingMismatches();  // told by the import
  const std::string tail =
      " come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere il dato prima di ripetere "
      "l'elaborazione.";
  const struct {
    K kind;
    const char* sql;
    std::string box;
    const char* table;
  } cases[] = {
      {K::Cadences, "UPDATE master SET azienda = 'abc'",
       "ATTENZIONE: dati generali:\nil campo azienda (Codice Azienda) vale 'abc',\nche è un testo e non un numero "
       "intero" +
           tail,
       "cadenz"},
      {K::TripDetails,
       "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
       " ct_tempo, gruppo) VALUES (999, 'C', 'L', 'A', 0, 0, 1, 0, 0, 0, 0, 0, 0);"
       "INSERT INTO detcor (id, sub, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
       " VALUES (999, 1, 'Aulla', 0, 9999, 'sette', 0, 0, 0, 0)",
       "ATTENZIONE: corsa 999, prima fermata:\nil campo parte vale 'sette',\nche è un testo e non un numero intero" +
           tail,
       "detcor"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    MakeTimetableDatabase(db = dir.Path(std::string("orari_") + c.table + ".mdb"));
    if (c.kind == K::TripDetails) ImportHandMade(db, {K::Cadences, K::TripHeads});
    RunSql(db, c.sql);
    const std::string before = Count(c.table);
    EXPECT_EQ(Run(c.kind, HandMadeLines(FileNameOf(c.kind))), Strings{Box(0x10, c.box)}) << MessagesOf(script);
    EXPECT_EQ(Count(c.table), before);
  }
}

enum Change { kOtherCompany, kMissing, kEmpty, kGroupingRefused, kPipe };

struct WholeCase {
  const char* name;
  K kind;  // the file changed
  Change change;
  bool accept;  // the answer to a question
  bool done;
  std::string rows;                // the rows of each table and the trips' quadri at the end
  std::vector<std::string> boxes;  // the start of each box shown, in order
};

std::vector<std::string> Shows(auto... boxes) { return {boxes...}; }
const std::string kStop =
    Box(0x10, "Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati.");
const std::string kDone = Box(0x40, "L'importazione complessiva dei dati è terminata con successo.");
const std::string kQuestion = Box(0x21, "ATTENZIONE: il Codice Regionale Azienda");
const std::string kRemediable = Box(0x21, "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n");
const std::string kEmptyFile = Box(0x10, "ATTENZIONE: il file di testo\n\n");
std::string Failure(K kind, int read) { return Box(0x10, ResultText(kind, read, 0)); }

const WholeCase kCases[] = {
    // A declined question stops it, a failure of the protocol or the day types even when told in its box;
    // accepted, the import goes on to the grouping.
    {"DayTypesOfAnotherCompanyDeclined", K::Cadences, kOtherCompany, false, false, "0|0|0|0|0|NULL\n",
     Shows(kQuestion, Failure(K::Cadences, 2), kStop)},
    {"TripHeadsOfAnotherCompanyDeclined", K::TripHeads, kOtherCompany, false, false, "2|3|0|0|0|NULL\n",
     Shows(kRemediable, kStop)},
    {"PeriodsOfAnotherCompanyAccepted", K::Periods, kOtherCompany, true, true, "2|3|3|8|4|1,2,1\n",
     Shows(kRemediable, kDone)},
    // A file missing from the folder.
    {"TripDetailsMissing", K::TripDetails, kMissing, false, false, "2|3|3|0|0|-1,-1,-1\n",
     Shows(Box(0x10, "Impossibile aprire\n\n"), kStop)},
    // A named pipe in the place of a file: refused naming it, never waited on.
    {"ProtocolIsAPipe", K::Protocol, kPipe, false, false, "0|0|0|0|0|NULL\n",
     Shows(Box(0x10, "Impossibile aprire\n\n"), Failure(K::Protocol, -1), kStop)},
    {"TripDetailsIsAPipe", K::TripDetails, kPipe, false, false, "2|3|3|0|0|-1,-1,-1\n",
     Shows(Box(0x10, "Impossibile aprire\n\n"), kStop)},
    // An empty file: no question (a yes would be taken), the files before it in, none after it.
    {"ProtocolEmpty", K::Protocol, kEmpty, true, false, "0|0|0|0|0|NULL\n",
     Shows(kEmptyFile, Failure(K::Protocol, 0), kStop)},
    {"CalendarEmpty", K::Calendar, kEmpty, true, false, "2|0|0|0|0|NULL\n", Shows(kEmptyFile, kStop)},
    {"PeriodsEmpty", K::Periods, kEmpty, true, false, "2|3|3|8|0|-1,-1,-1\n", Shows(kEmptyFile, kStop)},
    // Every write of the grouping succeeds; the rule they broke is checked at the commit.
    {"GroupingNotStored", K::Periods, kGroupingRefused, true, false, "2|3|3|8|4|-1,-1,-1\n",
     Shows(Box(0x10, "Errore in fase di convalida della transazione\n\n"), Box(0x10, GroupingNotStoredText()), kStop)},
};

TEST(WholeImport, StopsAtTheFirstImportThatFails) {
  for (const WholeCase& c : kCases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::string db = dir.Path("orari.mdb");
    MakeTimetableDatabase(db);
    const auto path = [&](K kind) { return dir.Path(FileNameOf(kind)); };
    for (K kind : kImportOrder) {
      auto lines = HandMadeLines(FileNameOf(kind));
      if (kind == c.kind && c.change == kOtherCompany)
        for (auto& l : lines) l.replace(0, 4, "0018");
      if (kind == c.kind && c.change == kEmpty) lines.clear();
      if (kind == c.kind && c.change == kPipe)
        MakePipe(path(kind));
      else if (kind != c.kind || c.change != kMissing)
        WriteLines(path(kind), lines);
    }
    const PipeWatchdog watchdog(c.change == kPipe ? std::vector{path(c.kind)} : std::vector<std::string>{});
    if (c.change == kGroupingRefused)
      RunSql(db,
             "CREATE TABLE keeper (k INTEGER PRIMARY KEY);"
             "CREATE TABLE watch (k INTEGER REFERENCES keeper (k) DEFERRABLE INITIALLY DEFERRED);");
    ui::Script script;
    c.accept ? script.Ok() : script.Cancel();
    DbDatabase handle(db);
    // The rule is set up on the program's connection: a file that holds a trigger is not opened.
    if (c.change == kGroupingRefused) {
      ASSERT_EQ(sqlite3_exec(handle.Handle(),
                             "CREATE TEMP TRIGGER stall AFTER UPDATE OF gruppo ON tescor BEGIN INSERT INTO watch "
                             "VALUES (NEW.id); END;",
                             nullptr, nullptr, nullptr),
                SQLITE_OK);
    }
    std::string importFolder;
    const FileChooser choose = [&](K kind, std::string& file) {
      file = path(kind);
      return kind == K::Protocol || kind == K::Cadences;
    };
    EXPECT_EQ(RunWholeImport({&handle, &importFolder, choose, nullptr}), c.done);
    const auto boxes = Boxes(script.Transcript());
    ASSERT_EQ(boxes.size(), c.boxes.size()) << MessagesOf(script);
    for (size_t k = 0; k < boxes.size(); ++k) EXPECT_EQ(boxes[k].substr(0, c.boxes[k].size()), c.boxes[k]);
    if (c.change == kEmpty) {
      EXPECT_TRUE(HasPart(boxes[0], ui::TranscriptText(path(c.kind) + "\n\nè vuoto")));
    }
    if (c.change == kPipe) {
      EXPECT_EQ(boxes[0], Box(0x10, "Impossibile aprire\n\n" + path(c.kind) + "\n\n" + kNotARegularFileText));
    }
    EXPECT_EQ(QueryFile(db,
                        "SELECT (SELECT COUNT(*) FROM cadenz), (SELECT COUNT(*) FROM calend), (SELECT COUNT(*) FROM "
                        "tescor), (SELECT COUNT(*) FROM detcor), (SELECT COUNT(*) FROM period), (SELECT "
                        "group_concat(gruppo) FROM (SELECT gruppo FROM tescor ORDER BY id))"),
              c.rows);
  }
}

struct OnTheFrame : ProgramTest {
  void SetUp() override {
    MakeTimetableDatabase(db_);
    ImportHandMade(db_, {K::Cadences, K::TripHeads, K::TripDetails});
    StartProgram(false);
    ASSERT_NE(frame_->Database(), nullptr);
    QApplication::processEvents();
    script_.Clear();
  }
  std::string Groups() const { return QueryFile(db_, "SELECT gruppo FROM tescor ORDER BY id"); }
};

TEST_F(OnTheFrame, CommandAsksFirstThenTellsTheResult) {
  script_.Cancel();
  GroupHomogeneousTrips(frame_, GroupingMode::Command);
  EXPECT_EQ(Groups(), "-1\n-1\n-1\n");
  script_.Ok();
  GroupHomogeneousTrips(frame_, GroupingMode::Command);
  const auto boxes = Boxes(script_.Transcript());
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_TRUE(HasPrefix(boxes[0], Box(0x21, "ATTENZIONE: Questa funzione identificherà le corse")));
  EXPECT_EQ(boxes[1], boxes[0]);
  EXPECT_EQ(boxes[2], Box(0x40, "Risultati dell'elaborazione:\n\nLette 3 corse; Identificati 2 quadri orari."));
  EXPECT_EQ(Groups(), "1\n2\n1\n");
}

TEST_F(OnTheFrame, SilentGroupingShowsNoBandOfItsOwn) {
  frame_->ShowStatusBand(DescriptorOf(K::Periods).caption);
  BandAtEachBar watch(frame_->Client());
  GroupHomogeneousTrips(frame_, GroupingMode::Silent);
  ASSERT_FALSE(watch.bands.empty());
  for (const std::string& band : watch.bands) EXPECT_EQ(band, "");
  EXPECT_TRUE(script_.Messages().empty());
  EXPECT_EQ(Groups(), "1\n2\n1\n");
}

TEST_F(OnTheFrame, MissingMasterIsSaidEvenWhenSilentBeforeTheBusyClockStarts) {
  ASSERT_EQ(sqlite3_exec(frame_->Database()->Handle(), "DELETE FROM master", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_TRUE(app_->busyWindow && !app_->busyWindow->IsRunning());
  GroupHomogeneousTrips(frame_, GroupingMode::Silent);
  EXPECT_FALSE(app_->busyWindow->IsRunning());
  const auto boxes = Boxes(script_.Transcript());
  EXPECT_TRUE(boxes.size() == 1 && HasPrefix(boxes[0], Box(0x10, "ATTENZIONE: risulta impossibile trovare il MASTER")));
  EXPECT_EQ(Groups(), "-1\n-1\n-1\n");
}

}  // namespace
