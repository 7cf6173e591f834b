#include "app/commands/DuplicateTripsCommand.h"

#include "common/Clock.h"
#include "db/DbDatabase.h"
#include "exchange/ImportErrors.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FileDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/DuplicateTrips.h"

void FixDuplicateTrips(MainFrame* frame) {
  DbDatabase* db = frame->Database();
  ShowBusy(true);
  const ClockTime now = Now();
  BusyProgress progress;
  const DuplicateTripSet set = FindDuplicateTrips(db, &progress);
  if (!set.ok) {
    ui::ShowOutcome(set);  // a value that stopped the reading; else the layer has said why
    return;
  }
  if (set.Duplicates() == 0) {
    ui::ShowOutcome(set);
    return;
  }
  // Nothing changes before the report is on the disk.
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, kDuplicateReportTitle, kDuplicateReportName, kTextFileFilter,
                        "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  if (!ui::ShowOutcome(WriteDuplicateTripReport(dialog.Path(), set, db->Path(), now))) return;
  ui::ShowOutcome(ShiftDuplicateTrips(db, set, &progress));
}
