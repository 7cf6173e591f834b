#include "app/commands/ReportRun.h"

#include "platform/Busy.h"
#include "platform/Ui.h"
#include "reports/Report.h"
#include "reportview/ReportView.h"

ReportView* BeginReport(MainFrame& frame) {
  ReportView* view = ReportView::Create(&frame);
  ShowBusy(true);
  return view;
}

bool ReportLoaded(MainFrame& frame, const Report& report, Undone undone) {
  if (!report.LoadFaulted()) return true;
  ui::MessageBox(report.LoadFaultMessage(undone), ui::MB_ICONSTOP);
  frame.ClosePanel();
  return false;
}

bool ReportHasRows(MainFrame& frame, const Report& report) {
  if (report.RowCount() != 0) return true;
  ui::MessageBox("Non ci sono dati da stampare !!!", ui::MB_ICONINFORMATION);
  frame.ClosePanel();
  return false;
}

void ShowReport(MainFrame& /*frame*/, ReportView* view, std::unique_ptr<Report> report, bool preview) {
  if (!view->SetReport(std::move(report))) {
    ui::MessageBox("E' impossibile associare la stampa !!!\n", ui::MB_ICONINFORMATION);
    return;
  }
  if (preview)
    view->PrintPreview();
  else
    view->Print();
}
