#include "app/commands/ErrorCheckCommand.h"

#include "app/commands/ReportRun.h"
#include "checks/ErrorReportFile.h"
#include "db/DbDatabase.h"
#include "dialogs/ErrorCheckDialog.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "reports/ErrorListReport.h"
#include "reportview/ReportView.h"

namespace {

ErrorCheckOptions OptionsOf(const ErrorCheckDialog& d) {
  ErrorCheckOptions o;
  o.tripCode = d.tripCode == 1;
  o.lineCode = d.lineCode == 1;
  o.routeCode = d.routeCode == 1;
  o.tripName = d.tripName == 1;
  o.stopCode = d.stopCode == 1;
  o.stopPlace = d.stopPlace == 1;
  o.distances = d.distances == 1;
  o.mode = d.mode == 1;
  return o;
}

}  // namespace

void SaveErrorReport(MainFrame& frame, const ErrorListReport& report) {
  const ClockTime now = Now();
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, kErrorReportTitle, report.DefaultFileName(), kErrorReportFilter,
                        "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  const std::string databasePath = frame.Database() ? frame.Database()->Path() : std::string();
  ui::ShowOutcome(report.WriteReport(dialog.Path(), databasePath, now));
}

void VerifyErrors(MainFrame& frame) {
  ErrorCheckDialog dialog(&frame, kErrorCheckDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  const bool toFile = dialog.file == 1, preview = dialog.preview == 1;

  ReportView* view = ReportView::Create(&frame);
  auto report = std::make_unique<ErrorListReport>(frame.Database(), OptionsOf(dialog));
  ShowBusy(true);
  Outcome checked;
  {
    FrameProgress progress(&frame);
    checked = report->CheckData(frame.Database(), &progress);
  }
  if (report->RowCount() == 0) {
    ui::ShowOutcome(checked);
    report.reset();
    frame.ClosePanel();
    return;
  }
  if (toFile) {
    SaveErrorReport(frame, *report);
    report.reset();
    frame.ClosePanel();
    return;
  }
  ShowReport(frame, view, std::move(report), preview);
}
