#include "app/commands/ReportCommands.h"

#include "app/Busy.h"
#include "app/FrameProgress.h"
#include "app/MainFrame.h"
#include "dialogs/CheckReportDialogs.h"
#include "dialogs/DayTypeReportDialogs.h"
#include "platform/Ui.h"
#include "reports/ContractReport.h"
#include "reports/DayTypeReports.h"
#include "reports/OperatingDaysReport.h"
#include "reportview/ReportView.h"

namespace {

// The run every report command follows once its options are known: the report's view becomes
// the panel, the rows are loaded, and the report is previewed or printed.
template <class R>
void RunReport(MainFrame& frame, std::unique_ptr<R> report, bool preview) {
  ReportView* view = ReportView::Create(&frame);
  ShowBusy(true);
  report->Load(frame.Database());
  if (report->RowCount() == 0) {
    ui::MessageBox("Non ci sono dati da stampare !!!", ui::MB_ICONINFORMATION);
    report.reset();
    frame.ClosePanel();
    return;
  }
  if (!view->SetReport(std::move(report))) {
    ui::MessageBox("E' impossibile associare la stampa !!!\n", ui::MB_ICONINFORMATION);
    return;
  }
  if (preview)
    view->PrintPreview();
  else
    view->Print();
}

}  // namespace

void PrintCadences(MainFrame& frame) {
  CadenceListDialog dialog(&frame, kCadenceListDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  RunReport(frame, std::make_unique<CadenceReport>(frame.Database(), dialog.byCode == 1), dialog.preview == 1);
}

void PrintCalendar(MainFrame& frame) {
  CalendarListDialog dialog(&frame, kCalendarListDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  RunReport(
      frame,
      std::make_unique<CalendarReport>(frame.Database(), dialog.wholeCalendar == 1, dialog.fromDate, dialog.toDate),
      dialog.preview == 1);
}

void PrintContractCheck(MainFrame& frame) {
  ContractCheckDialog dialog(&frame, kContractCheckDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  auto report = std::make_unique<ContractReport>(frame.Database(), dialog.tripsAndTotals == 1);
  FrameProgress progress(&frame);
  report->progress = &progress;
  RunReport(frame, std::move(report), dialog.preview == 1);
}

void PrintOperatingDaysCheck(MainFrame& frame) {
  OperatingDaysCheckDialog dialog(&frame, kOperatingDaysCheckDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  auto report =
      std::make_unique<OperatingDaysReport>(frame.Database(), dialog.allTrips == 1, dialog.fromId, dialog.toId);
  FrameProgress progress(&frame);
  report->progress = &progress;
  RunReport(frame, std::move(report), dialog.preview == 1);
}
