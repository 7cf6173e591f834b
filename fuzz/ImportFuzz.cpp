#include "ImportFuzz.h"

#include "FuzzSupport.h"
#include "checks/DataErrorCheck.h"
#include "checks/ErrorReportFile.h"
#include "db/DbDatabase.h"
#include "exchange/ImportErrors.h"

#include <memory>

namespace fuzz {
namespace {

// The imports in the order the whole import runs them: each finds in the database what those
// before it stored.
constexpr ImportKind kOrder[] = {ImportKind::Protocol,  ImportKind::Cadences,    ImportKind::Calendar,
                                 ImportKind::TripHeads, ImportKind::TripDetails, ImportKind::Periods};

std::string FileName(ImportKind kind) { return DescriptorOf(kind).layout().fileName; }

}  // namespace

void MakeHandMadeTimetable(const std::string& path, std::optional<ImportKind> before, const std::string& folder) {
  MakeTimetable(path);
  DbDatabase db(path);
  for (ImportKind earlier : kOrder) {
    if (earlier == before) break;
    const auto engine =
        ImportEngine::Create(earlier, {&db, TestData() + "/" + folder + "/" + FileName(earlier), false, nullptr});
    Require(engine->Check() && !engine->Blocking(), "a hand-made file does not import");
    engine->Load();
    Require(engine->RowsInserted() == engine->LinesRead(), "a hand-made file does not store every line");
  }
}

namespace {

// The data error check, every option on, over what the import stored, and its text report.
void CheckStoredRows(DbDatabase& db, const std::string& dbPath) {
  static const std::string reportPath = ScratchPath("ERR_17.txt");
  ErrorCheckOptions all;
  all.tripName = all.stopPlace = true;
  const ErrorCheckResult result = RunErrorCheck(&db, all, "01/01/2024", "30/06/2024", nullptr);
  for (const ErrorRow& row : result.rows) Require(!row.text.empty(), "an error row without its text");
  Require(WriteErrorReport(reportPath, result.rows, all, "Azienda 17", dbPath, ClockTime{2024, 3, 1, 8, 0, 0}).ok,
          "the error check's report cannot be written");
}

}  // namespace

int FuzzImport(ImportKind kind, const std::uint8_t* data, std::size_t size) {
  static const TemplateDatabase before([kind](const std::string& path) { MakeHandMadeTimetable(path, kind); });
  static const std::string dbPath = ScratchPath("orari.mdb");
  static const std::string filePath = ScratchPath(FileName(kind));
  static const std::string reportPath = ScratchPath("ERRORI_VURTXT.txt");
  before.Put(dbPath);
  WriteWhole(filePath, Bytes(data, size));
  {
    DbDatabase db(dbPath);
    const auto engine = ImportEngine::Create(kind, {&db, filePath, false, nullptr});
    if (engine->Check()) {
      Require(engine->LinesRead() >= 0, "pass 1 read no line count");
      if (engine->Blocking()) {
        Require(!engine->BlockingMessage().empty(), "a blocking fault without its text");
        engine->SetOutcome(ImportOutcome::Blocked);
      } else {
        if (engine->Remediable()) Require(!engine->RemediableMessage().empty(), "a remediable fault without its text");
        engine->Load();
        Require(engine->RowsInserted() <= engine->LinesRead(), "more rows stored than lines read");
        if (engine->RowsInserted() > 0) CheckStoredRows(db, dbPath);
      }
    } else {
      Require(!engine->StopMessage().empty() || TakeNotices() > 0, "an import stopped without saying why");
    }
    if (engine->Errors().Count() > 0) {
      ImportErrorReportText(engine->Errors(), dbPath, ClockTime{2024, 3, 1, 8, 0, 0});
      Require(WriteImportErrorReport(engine->Errors(), dbPath, reportPath, ClockTime{2024, 3, 1, 8, 0, 0}).ok,
              "the error report cannot be written");
    }
  }
  TakeNotices();
  return 0;
}

}  // namespace fuzz
