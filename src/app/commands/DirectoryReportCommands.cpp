#include "app/commands/DirectoryReportCommands.h"

#include "app/commands/ReportRun.h"
#include "common/Clock.h"
#include "db/DbDatabase.h"
#include "dialogs/DirectoryReportDialogs.h"
#include "platform/FileDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "reports/PrimaryStopReport.h"
#include "reports/RouteDirectoryReports.h"
#include "reports/StopDirectoryReports.h"
#include "reports/TerminalReport.h"
#include "reports/TripChainReport.h"

namespace {

constexpr const char* kTextFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

// The options dialog of resource `idd`, then the report that `make` builds.
template <class Dialog, class Make>
void RunDirectory(MainFrame& frame, int idd, Make make) {
  Dialog dialog(&frame, idd);
  if (dialog.DoModal() != ui::IDOK) return;
  RunReport(frame, make(frame.Database()), dialog.preview == 1);
}

// The text report of the loaded analysis, in the file the user chooses.
void SavePrimaryStopReport(MainFrame& frame, const PrimaryStopReport& report) {
  const ClockTime now = Now();
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, "Report Analisi Fermate Primarie", kPrimaryStopReportName,
                        kTextFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  const std::string databasePath = frame.Database() ? frame.Database()->Path() : std::string();
  ui::ShowOutcome(WritePrimaryStopReport(report, databasePath, dialog.Path(), now));
}

}  // namespace

void PrintStops(MainFrame& frame) {
  RunDirectory<StopListDialog>(frame, kStopListDialog, [](DbDatabase* db) {
    return std::make_unique<StopDirectoryReport>(db, StopDirectoryReport::Content::Stops);
  });
}

void PrintStopErrors(MainFrame& frame) {
  RunDirectory<StopListDialog>(frame, kStopListDialog, [](DbDatabase* db) {
    return std::make_unique<StopDirectoryReport>(db, StopDirectoryReport::Content::NormalisationErrors);
  });
}

void PrintStopLocalities(MainFrame& frame) {
  RunDirectory<StopLocalityListDialog>(frame, kStopLocalityListDialog,
                                       [](DbDatabase* db) { return std::make_unique<StopLocalityReport>(db); });
}

void PrintRoutes(MainFrame& frame) {
  RunDirectory<RouteListDialog>(frame, kRouteListDialog, [](DbDatabase* db) {
    return std::make_unique<RouteDirectoryReport>(db, RouteDirectoryReport::Content::Routes);
  });
}

void PrintRouteErrors(MainFrame& frame) {
  RunDirectory<RouteListDialog>(frame, kRouteListDialog, [](DbDatabase* db) {
    return std::make_unique<RouteDirectoryReport>(db, RouteDirectoryReport::Content::NormalisationErrors);
  });
}

void PrintLines(MainFrame& frame) {
  RunDirectory<LineListDialog>(frame, kLineListDialog,
                               [](DbDatabase* db) { return std::make_unique<LineDirectoryReport>(db); });
}

void PrintTerminals(MainFrame& frame) {
  RunDirectory<TerminusListDialog>(frame, kTerminusListDialog,
                                   [](DbDatabase* db) { return std::make_unique<TerminalReport>(db); });
}

void PrintTripChains(MainFrame& frame) {
  RunDirectory<TripChainListDialog>(frame, kTripChainListDialog,
                                    [](DbDatabase* db) { return std::make_unique<TripChainReport>(db); });
}

void PrintPrimaryStops(MainFrame& frame) {
  PrimaryStopAnalysisDialog dialog(&frame, kPrimaryStopAnalysisDialog);
  if (dialog.DoModal() != ui::IDOK) return;
  auto report = std::make_unique<PrimaryStopReport>(frame.Database());
  ReportView* view = OpenReport(frame, *report, dialog.textReport == 1 ? Undone::Files : Undone::Findings);
  if (!view) return;
  if (dialog.textReport == 1) {
    SavePrimaryStopReport(frame, *report);
    report.reset();
    frame.ClosePanel();
    return;
  }
  ShowReport(frame, view, std::move(report), dialog.preview == 1);
}
