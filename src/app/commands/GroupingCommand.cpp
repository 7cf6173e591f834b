#include "app/commands/GroupingCommand.h"

#include "platform/Busy.h"
#include "platform/ClientArea.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/TripGrouping.h"

bool GroupHomogeneousTrips(DbDatabase* db, WorkProgress* progress, GroupingMode mode) {
  const bool silent = mode == GroupingMode::Silent;
  if (!silent && ui::MessageBox(GroupingQuestion(), ui::MB_OKCANCEL | ui::MB_ICONQUESTION) != ui::IDOK) return false;
  // The master row first: without it nothing starts, not even the busy clock.
  if (!ui::ShowOutcome(GroupingCanStart(db))) return false;
  ShowBusy(true);
  const GroupingResult result = GroupTrips(db, progress);
  // The silent grouping (the last step of the whole import) tells only a failure.
  if (silent && result.ok) return true;
  return ui::ShowOutcome(result);
}

void GroupHomogeneousTrips(MainFrame* frame, GroupingMode mode) {
  // No status band of its own: the band of an earlier operation (the last file of the whole
  // import) must not stand over this one.
  if (frame && frame->Client()) frame->Client()->ClearStatusBand();
  FrameProgress progress(frame);
  GroupHomogeneousTrips(frame->Database(), &progress, mode);
}
