#include "app/commands/ImportCommands.h"

#include "common/Clock.h"
#include "db/DbDatabase.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

namespace {

bool AsksForItsFile(ImportKind kind) { return kind == ImportKind::Protocol || kind == ImportKind::Cadences; }

void ReportRefusals(const ImportEngine& engine, const std::string& databasePath) {
  ui::ShowOutcome(engine.LoadOutcome(kRefusalsShown));
  const int count = static_cast<int>(engine.Refused().size());
  if (count <= kRefusalsShown) return;
  const std::string text = Format("Altre %d righe sono state rifiutate dal database.\n\n", count - kRefusalsShown) +
                           "Vuoi salvare il report analitico degli errori ?";
  if (ui::MessageBox(text, ui::MB_OKCANCEL | ui::MB_ICONSTOP) == ui::IDOK)
    SaveImportErrorReport(engine.Errors(), databasePath);
}

}  // namespace

void SaveImportErrorReport(const ImportErrorList& errors, const std::string& databasePath) {
  const ClockTime now = Now();
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, "Report Errori Riscontrati", kImportErrorReportName,
                        kTextFileFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(WriteImportErrorReport(errors, databasePath, dialog.Path(), now));
}

ImportResult RunImportWorker(ImportKind kind, const ImportOptions& options) {
  const std::string databasePath = options.db ? options.db->Path() : std::string();
  const auto engine = ImportEngine::Create(kind, options);
  ImportResult result;
  if (!engine->Check()) {
    result.Take(engine->StopOutcome());
    result.linesRead = engine->LinesRead();
    result.valueRefused = engine->StoredValueRefused();
    return result;
  }
  result.linesRead = engine->LinesRead();
  result.outcome = ImportOutcome::Checked;
  if (engine->Blocking()) {
    engine->SetOutcome(ImportOutcome::Blocked);
    result.outcome = ImportOutcome::Blocked;
    if (ui::MessageBox(engine->BlockingMessage(), ui::MB_OKCANCEL | ui::MB_ICONSTOP) == ui::IDOK)
      SaveImportErrorReport(engine->Errors(), databasePath);
    return result;
  }
  if (engine->Remediable() &&
      ui::MessageBox(engine->RemediableMessage(), ui::MB_OKCANCEL | ui::MB_ICONQUESTION) != ui::IDOK) {
    engine->SetOutcome(ImportOutcome::Declined);
    result.outcome = ImportOutcome::Declined;
    return result;
  }
  engine->Load();
  result.rowsInserted = engine->RowsInserted();
  result.outcome = ImportOutcome::Loaded;
  result.valueRefused = engine->StoredValueRefused();
  result.ok = !result.valueRefused;
  ReportRefusals(*engine, databasePath);
  return result;
}

int ImportResultStep(ImportKind kind, const ImportResult& result, bool batch) {
  if (result.valueRefused) {
    ui::ShowOutcome(result);  // the refusal of pass 1; that of pass 2 has been shown with its rows
    return 0;
  }
  const Outcome summary =
      ImportSummary(kind, result.linesRead, result.rowsInserted, batch && result.outcome == ImportOutcome::Declined);
  Outcome shown = result;
  shown.ok = summary.ok;
  // In a batch a success says nothing, and only the files asked for say their failure.
  if (!batch || (!summary.ok && AsksForItsFile(kind))) shown.Take(summary);
  ui::ShowOutcome(shown);
  return batch && shown.ok ? 1 : 0;
}

bool ChooseImportFile(ImportKind kind, std::string& path) {
  const ImportDescriptor& descriptor = DescriptorOf(kind);
  ui::FileDialog dialog(ui::FileDialog::Mode::Open, descriptor.dialogTitle, descriptor.layout().defaultName,
                        kTextFileFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return false;
  path = dialog.Path();
  return true;
}

int RunBatchImport(ImportKind kind, DbDatabase* db, std::string& importFolder, const FileChooser& choose,
                   WorkProgress* progress) {
  std::string path;
  if (AsksForItsFile(kind)) {
    if (!choose || !choose(kind, path)) return 0;
    importFolder = FolderOf(path);
  } else {
    path = FindFileNoCase(importFolder, DescriptorOf(kind).layout().fileName);
  }
  ShowBusy(true);
  const ImportResult result = RunImportWorker(kind, {db, path, true, progress});
  return ImportResultStep(kind, result, true);
}

int RunImportCommand(MainFrame* frame, ImportKind kind, bool batch) {
  FrameProgress progress(frame);
  int result = 0;
  if (batch) {
    result = RunBatchImport(kind, frame->Database(), frame->importFolder, ChooseImportFile, &progress);
  } else {
    std::string path;
    if (!ChooseImportFile(kind, path)) return 0;
    ShowBusy(true);
    result = ImportResultStep(kind, RunImportWorker(kind, {frame->Database(), path, false, &progress}), false);
  }
  // The protocol rewrites the master row: the caption shows its company and period.
  frame->UpdateTitle();
  return result;
}

int ImportProtocol(MainFrame* frame, bool batch) { return RunImportCommand(frame, ImportKind::Protocol, batch); }
int ImportCadences(MainFrame* frame, bool batch) { return RunImportCommand(frame, ImportKind::Cadences, batch); }
int ImportCalendar(MainFrame* frame, bool batch) { return RunImportCommand(frame, ImportKind::Calendar, batch); }
int ImportTripHeads(MainFrame* frame, bool batch) { return RunImportCommand(frame, ImportKind::TripHeads, batch); }
int ImportTripDetails(MainFrame* frame, bool batch) { return RunImportCommand(frame, ImportKind::TripDetails, batch); }
int ImportValidityPeriods(MainFrame* frame, bool batch) { return RunImportCommand(frame, ImportKind::Periods, batch); }
