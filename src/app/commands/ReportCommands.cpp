#include "app/commands/ReportCommands.h"

#include "app/Busy.h"
#include "app/MainFrame.h"
#include "dialogs/DayTypeReportDialogs.h"
#include "platform/Ui.h"
#include "reports/DayTypeReports.h"
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
  ShowReport(*view, std::move(report), preview);
}

}  // namespace

void ShowReport(ReportView& view, std::unique_ptr<Report> report, bool preview) {
  if (!view.SetReport(std::move(report))) {
    ui::MessageBox("E' impossibile associare la stampa !!!\n", ui::MB_ICONINFORMATION);
    return;
  }
  if (preview)
    view.PrintPreview();
  else
    view.Print();
}

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
