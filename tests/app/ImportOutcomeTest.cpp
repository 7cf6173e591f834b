// What the import commands say at the end: a file that gave nothing is never a success, the whole
// import stops at an empty file naming it, and it does not end in success when the grouping that
// closes it cannot be stored. Real files, a real seeded database, boxes answered by a script.

#include "app/commands/ImportCommands.h"
#include "app/commands/WholeImportCommand.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"
#include "utilities/TripGrouping.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

using K = ImportKind;

const K kOrder[] = {K::Protocol, K::Cadences, K::Calendar, K::TripHeads, K::TripDetails, K::Periods};
const char* const kStop = "Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati.";
const char* const kDone = "L'importazione complessiva dei dati è terminata con successo.";

std::string FileName(K kind) { return DescriptorOf(kind).layout().fileName; }

std::string ResultText(K kind, int read, int inserted, bool success) {
  const ImportDescriptor& d = DescriptorOf(kind);
  return std::string(d.heading) + "Lette " + std::to_string(read) + " righe dal file testo.\nInserite " +
         std::to_string(inserted) + " righe nel database.\n\n" + (success ? d.success : d.failure);
}

std::string EmptyFileText(const std::string& path) {
  return "ATTENZIONE: il file di testo\n\n" + path + "\n\nè vuoto: non contiene neppure una riga da importare.";
}

// A seeded database whose master row holds company 17 and the first half of 2024, and a folder
// with the six hand-made files.
struct Outcome : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string folder = dir.Path("arrivi");
  void SetUp() override {
    static const ScratchDir seedDir;
    static const std::string seeded = [] {
      ui::Script quiet;
      EXPECT_EQ(CreateSeededDatabase(seedDir.Path("seeded.mdb"), CreateMode::Startup), 1) << MessagesOf(quiet);
      return seedDir.Path("seeded.mdb");
    }();
    ASSERT_TRUE(QFile::copy(cp1252::ToQString(seeded), cp1252::ToQString(db)));
    ASSERT_EQ(ExecOnFile(db,
                         "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
                         "VALUES (0, 17, '2024-01-01', '2024-06-30', 0, 0)"),
              "ok");
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(folder)));
    for (K kind : kOrder) WriteFileBytes(Path(kind), FileBytes(TestDataDir() + "/exchange/" + FileName(kind)));
  }
  std::string Path(K kind) const { return folder + "/" + FileName(kind); }
  std::string Q(const std::string& sql) const { return QueryFile(db, sql); }
  bool RunWhole() {
    DbDatabase handle(db);
    std::string importFolder;
    const FileChooser choose = [&](K kind, std::string& path) {
      path = Path(kind);
      return true;
    };
    return RunWholeImport({&handle, &importFolder, choose, nullptr});
  }
  // One import as its command runs it alone: the worker and the result box.
  void RunAlone(K kind) {
    DbDatabase handle(db);
    ImportResultStep(kind, RunImportWorker(kind, {&handle, Path(kind), false, nullptr}), false);
  }
};

std::vector<std::string> Texts(const ui::Script& script) {
  std::vector<std::string> out;
  for (const auto& m : script.Messages()) out.push_back(m.text);
  return out;
}

TEST_F(Outcome, AnEmptyFileAloneIsNeverASuccess) {
  {
    ui::Script prerequisites;
    RunAlone(K::Cadences);
    RunAlone(K::TripHeads);
  }
  for (K kind : {K::Protocol, K::Cadences, K::Calendar, K::Periods}) {
    for (bool accept : {true, false}) {
      SCOPED_TRACE(FileName(kind) + (accept ? " accepted" : " declined"));
      WriteFileBytes(Path(kind), "");
      ui::Script script;
      if (accept)
        script.Ok();
      else
        script.Cancel();
      RunAlone(kind);
      // The question of the Part first (the company of an empty file is -1), then the failure.
      ASSERT_EQ(script.Messages().size(), 2u) << MessagesOf(script);
      EXPECT_EQ(script.Messages()[0].type, ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
      EXPECT_EQ(script.Messages()[1].text, ResultText(kind, 0, 0, false));
      EXPECT_EQ(script.Messages()[1].type, ui::MB_ICONSTOP);
    }
  }
}

TEST_F(Outcome, AWholeFileAloneIsStillASuccess) {
  ui::Script script;
  RunAlone(K::Cadences);
  EXPECT_EQ(Texts(script), std::vector<std::string>{ResultText(K::Cadences, 2, 2, true)});
}

TEST_F(Outcome, TheWholeImportStopsAtAnEmptyFileNamingIt) {
  for (size_t k = 0; k < std::size(kOrder); ++k) {
    const K kind = kOrder[k];
    SCOPED_TRACE(FileName(kind));
    QFile::remove(cp1252::ToQString(db));
    SetUp();
    WriteFileBytes(Path(kind), "");
    ui::Script script;
    script.Ok();  // were a question asked, it would be taken
    EXPECT_FALSE(RunWhole());
    EXPECT_EQ(script.PendingAnswers(), 1u) << "no question is asked";
    std::vector<std::string> expected{EmptyFileText(Path(kind))};
    // The protocol and the day types also show their result in the whole import.
    if (kind == K::Protocol || kind == K::Cadences) expected.push_back(ResultText(kind, 0, 0, false));
    expected.push_back(kStop);
    EXPECT_EQ(Texts(script), expected);
    // The files before the empty one are in, none after it.
    const char* const tables[] = {"master WHERE p_data IS NOT NULL", "cadenz", "calend", "tescor", "detcor", "period"};
    for (size_t t = 0; t < std::size(tables); ++t)
      EXPECT_EQ(Q(std::string("SELECT COUNT(*) > 0 FROM ") + tables[t]), t < k ? "1\n" : "0\n") << tables[t];
  }
}

TEST_F(Outcome, TheWholeImportFailsWhenItsGroupingIsNotStored) {
  // Every write of the grouping succeeds; the rule they broke is checked at the commit.
  ASSERT_EQ(ExecOnFile(db,
                       "CREATE TABLE keeper (k INTEGER PRIMARY KEY);"
                       "CREATE TABLE watch (k INTEGER REFERENCES keeper (k) DEFERRABLE INITIALLY DEFERRED);"
                       "CREATE TRIGGER stall AFTER UPDATE OF gruppo ON tescor "
                       "BEGIN INSERT INTO watch VALUES (NEW.id); END;"),
            "ok");
  ui::Script script;
  EXPECT_FALSE(RunWhole());
  const auto texts = Texts(script);
  ASSERT_EQ(texts.size(), 3u) << MessagesOf(script);
  EXPECT_TRUE(HasPrefix(texts[0], "Errore in fase di convalida della transazione\n\n"));
  EXPECT_EQ(texts[1], GroupingNotStoredText());
  EXPECT_EQ(texts[2], kStop);
  for (const auto& m : script.Messages()) EXPECT_EQ(m.type, ui::MB_ICONSTOP);
  // The six files are in; the trips have no quadro.
  EXPECT_EQ(Q("SELECT COUNT(*), group_concat(gruppo) FROM tescor"), "3|-1,-1,-1\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM period"), "4\n");
}

TEST_F(Outcome, TheWholeImportOfTheHandMadeSetSucceeds) {
  ui::Script script;
  EXPECT_TRUE(RunWhole());
  EXPECT_EQ(Texts(script), std::vector<std::string>{kDone});
  EXPECT_EQ(Q("SELECT group_concat(gruppo) FROM (SELECT gruppo FROM tescor ORDER BY id)"), "1,2,1\n");
}

}  // namespace
