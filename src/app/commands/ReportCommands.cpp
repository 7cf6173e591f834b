#include "app/commands/ReportCommands.h"

#include "app/commands/ReportRun.h"
#include "dialogs/CadenceReportDialogs.h"
#include "dialogs/CheckReportDialogs.h"
#include "dialogs/QuadroReportDialogs.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "reports/CadenceReports.h"
#include "reports/ContractReport.h"
#include "reports/OperatingDaysReport.h"
#include "reports/QuadroReports.h"

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

void PrintTrips(MainFrame& frame) {
  TripListDialog dialog(&frame, kTripListDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  RunReport(frame,
            std::make_unique<TripReport>(frame.Database(), dialog.whole == 1, dialog.fromGroup, dialog.toGroup,
                                         dialog.includeOptional == 1, dialog.includeNotServed == 1),
            dialog.preview == 1);
}

void PrintLineTimetables(MainFrame& frame) {
  LineTableListDialog dialog(&frame, kLineTableListDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  RunReport(frame,
            std::make_unique<LineTimetableReport>(frame.Database(), dialog.whole == 1, dialog.fromLine, dialog.toLine,
                                                  dialog.includeOptional == 1, dialog.includeNotServed == 1),
            dialog.preview == 1);
}

void PrintContractCheck(MainFrame& frame) {
  ContractCheckDialog dialog(&frame, kContractCheckDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  RunReport(frame, std::make_unique<ContractReport>(frame.Database(), dialog.tripsAndTotals == 1), dialog.preview == 1);
}

void PrintOperatingDaysCheck(MainFrame& frame) {
  OperatingDaysCheckDialog dialog(&frame, kOperatingDaysCheckDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  RunReport(frame,
            std::make_unique<OperatingDaysReport>(frame.Database(), dialog.allTrips == 1, dialog.fromId, dialog.toId),
            dialog.preview == 1);
}
