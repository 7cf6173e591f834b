#include "app/commands/ReportCommands.h"

#include "app/MainFrame.h"
#include "app/commands/ReportRun.h"
#include "dialogs/DayTypeReportDialogs.h"
#include "platform/Ui.h"
#include "reports/DayTypeReports.h"

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
