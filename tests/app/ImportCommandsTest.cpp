// The import commands run in this process on real files and a real database: the worker as a
// command runs it alone (the decision boxes between the engine's passes, the report of the faults
// saved through the file dialog, the boxes of refused rows, the result box), and the whole import,
// where it stops and what it says on the way.

#include "CommandTestSupport.h"

#include "app/commands/WholeImportCommand.h"
#include "common/Clock.h"
#include "db/DbDatabase.h"

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
  EXPECT_EQ(Run(K::Cadences, lines),
            (Strings{Box(0x11,
                         "ATTENZIONE: il file di testo proposto per l'importazione non risulta corrispondere\n"
                         "alle specifiche stabilite dalla Regione Toscana.\n\n"
                         "L'acquisizione dati risulta quindi impossibile.\n\n"
                         "Vuoi salvare il report analitico degli errori ?"),
                     Box(0x10, ResultText(K::Cadences, 2, 0))}));
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

TEST_F(ImportCommand, AloneAQuestionEndsInTheResultOfTheCounts) {
  const std::string question = Box(0x21,
                                   "ATTENZIONE: il Codice Regionale Azienda indicato nel file di testo è incoerente\n"
                                   "oppure non corrisponde a quello dell'Azienda.\n\nProseguo comunque?");
  auto other = HandMadeLines("RT_CADEN.TXT");
  for (auto& l : other) l.replace(0, 4, "0018");
  script.Cancel();
  EXPECT_EQ(Run(K::Cadences, other), (Strings{question, Box(0x10, ResultText(K::Cadences, 2, 0))}));
  EXPECT_EQ(Count("cadenz"), "0\n");
  script.Ok();
  EXPECT_EQ(Run(K::Cadences, other), (Strings{question, Box(0x40, ResultText(K::Cadences, 2, 2))}));
  EXPECT_EQ(Count("cadenz"), "2\n");
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
    EXPECT_NE(text.find("Riga " + std::to_string(k) + ": Errore aggiornamento tavola (cadenz): Valore duplicato"),
              std::string::npos)
        << text;
}

// ---- The whole import --------------------------------------------------------------------------

enum Change { kOtherCompany, kMissing };

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
      if (kind != c.kind || c.change != kMissing) WriteLines(path(kind), lines);
    }
    ui::Script script;
    c.accept ? script.Ok() : script.Cancel();
    DbDatabase handle(db);
    std::string importFolder;
    const FileChooser choose = [&](K kind, std::string& file) {
      file = path(kind);
      return kind == K::Protocol || kind == K::Cadences;
    };
    EXPECT_EQ(RunWholeImport({&handle, &importFolder, choose, nullptr}), c.done);
    const auto boxes = Boxes(script.Transcript());
    ASSERT_EQ(boxes.size(), c.boxes.size()) << MessagesOf(script);
    for (size_t k = 0; k < boxes.size(); ++k) EXPECT_EQ(boxes[k].substr(0, c.boxes[k].size()), c.boxes[k]);
    EXPECT_EQ(QueryFile(db,
                        "SELECT (SELECT COUNT(*) FROM cadenz), (SELECT COUNT(*) FROM calend), (SELECT COUNT(*) FROM "
                        "tescor), (SELECT COUNT(*) FROM detcor), (SELECT COUNT(*) FROM period), (SELECT "
                        "group_concat(gruppo) FROM (SELECT gruppo FROM tescor ORDER BY id))"),
              c.rows);
  }
}

}  // namespace
