#include "app/commands/CleanUpCommands.h"

#include "app/commands/BatchResultBox.h"
#include "dialogs/NormalizeDialogs.h"
#include "platform/Busy.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "utilities/CleanUps.h"

namespace {

void Clear(MainFrame* frame, CleanUp which) {
  if (!AskedToProceed(CleanUpQuestion(which))) return;
  ShowBusy(true);
  AssignmentResult result;
  {
    FrameProgress progress(frame);
    result = ClearCodes(frame->Database(), which, &progress);
  }
  ui::ShowOutcome(result);
}

}  // namespace

void ClearTripCodes(MainFrame* frame) { Clear(frame, CleanUp::TripCodes); }
void ClearRouteCodes(MainFrame* frame) { Clear(frame, CleanUp::RouteCodes); }
void ClearStopCodes(MainFrame* frame) { Clear(frame, CleanUp::StopCodes); }
void ClearStopLocations(MainFrame* frame) { Clear(frame, CleanUp::StopLocations); }

void DeleteTripsWithoutPeriod(MainFrame* frame) {
  if (!AskedToProceed(PeriodlessTripsQuestion())) return;
  ShowBusy(true);
  AssignmentResult result;
  {
    FrameProgress progress(frame);
    result = DeleteTripsWithoutPeriod(frame->Database(), &progress);
  }
  ui::ShowOutcome(result);
}

void DeleteStop(MainFrame* frame) {
  StopDeleteDialog dialog(frame, frame->Database(), 154);
  if (dialog.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  StopDeletion deletion;
  {
    FrameProgress progress(frame);
    deletion = DeleteStop(frame->Database(), dialog.code, &progress);
  }
  HideBusy();
  ui::ShowOutcome(deletion);
}
