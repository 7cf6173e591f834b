#include "app/commands/DuplicateTripsCommand.h"

#include "common/Clock.h"
#include "common/WholeFile.h"
#include "db/DbDatabase.h"
#include "exchange/ImportErrors.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FileDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/CodeAssignment.h"
#include "utilities/DuplicateTrips.h"

void FixDuplicateTrips(MainFrame* frame) {
  DbDatabase* db = frame->Database();
  ShowBusy(true);
  const ClockTime now = Now();
  BusyProgress progress;
  bool read = false;
  const DuplicateTripSet set = FindDuplicateTrips(db, &progress, &read);
  if (!read) return;  // the layer has said why; nothing is changed
  if (set.Duplicates() == 0) {
    ui::MessageBox(kNoDuplicateTripsText, ui::MB_ICONINFORMATION);
    return;
  }
  // Nothing changes before the report is on the disk.
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, kDuplicateReportTitle, kDuplicateReportName, kTextFileFilter,
                        "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  if (!WriteWholeFile(dialog.Path(), DuplicateTripReportText(set, db->Path(), now))) {
    ui::MessageBox("Impossibile creare\n\n" + dialog.Path(), ui::MB_ICONEXCLAMATION);
    return;
  }
  const DuplicateShiftResult result = ShiftDuplicateTrips(db, set, &progress);
  if (!result.stored)
    ui::MessageBox(AssignmentNotStoredText(), ui::MB_ICONSTOP);
  else
    ui::MessageBox(DuplicateShiftResultText(result), ui::MB_ICONINFORMATION);
}
