#include "app/commands/ExportCommands.h"

#include "app/commands/InterruptedExports.h"
#include "common/CalendarDays.h"
#include "db/DbDatabase.h"
#include "dialogs/ExportDialogs.h"
#include "exchange/ExportEngine.h"
#include "exchange/RecordLayouts.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

namespace {

constexpr const char* kTextFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

// The folder of the file chosen in the save-file dialog (its name is not used).
bool ChooseExportFolder(std::string& folder) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, "Esportazione Dati Orari", CadenceLayout().defaultName, kTextFilter,
                        "TXT");
  if (dialog.DoModal() != ui::IDOK) return false;
  folder = dialog.Folder();
  return true;
}

void RunAndReport(MainFrame* frame, ExportOptions options) {
  if (!ChooseExportFolder(options.folder)) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  options.db = frame->Database();
  options.progress = &progress;
  options.folderWatch = ExportFolderWatch();
  ui::ShowOutcome(RunExport(options));
}

}  // namespace

// Each command holds one read snapshot from its dialog to the last file: the authorities offered,
// the master period the dates are checked against and the files are one moment of the database.
void ExportTimetableText(MainFrame* frame) {
  DbReadSnapshot snapshot(frame->Database());
  TimetableExportDialog dialog(frame, frame->Database(), kTimetableExportDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  ExportOptions options;
  options.kind = ExportKind::Plain;
  options.anyAuthority = dialog.anyAuthority;
  options.authority = dialog.authority;
  RunAndReport(frame, options);
}

void ExportTimetableTextRenumbered(MainFrame* frame) {
  DbReadSnapshot snapshot(frame->Database());
  RenumberedExportDialog dialog(frame, kRenumberedExportDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  ExportOptions options;
  options.kind = ExportKind::Renumbered;
  options.firstId = dialog.firstId;
  RunAndReport(frame, options);
}

void ExportTimetableTextForPeriod(MainFrame* frame) {
  DbReadSnapshot snapshot(frame->Database());
  const MasterHeading master = ReadMasterHeading(frame->Database());
  PeriodTimetableExportDialog dialog(frame, frame->Database(), master.periodStart, master.periodEnd,
                                     kPeriodTimetableExportDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  ExportOptions options;
  options.kind = ExportKind::DateRange;
  options.anyAuthority = dialog.anyAuthority;
  options.authority = dialog.authority;
  // The dialog hands back checked dates "GG/MM/AAAA".
  ParseDateText10(dialog.rangeStart, options.rangeStart);
  ParseDateText10(dialog.rangeEnd, options.rangeEnd);
  RunAndReport(frame, options);
}
