#include "app/commands/NormalizationCommands.h"

#include "dialogs/NormalizeDialogs.h"
#include "dialogs/StopLocalityAssignDialog.h"
#include "platform/Busy.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/Normalisation.h"

namespace {

// The dialog of `idd`, opened afresh after every replacement until it is cancelled; `replace`
// runs the replacement of the values it hands back and returns its result.
template <class Dialog, class Replace>
void ReplaceUntilCancelled(MainFrame* frame, int idd, Replace replace) {
  for (;;) {
    Dialog dialog(frame, frame->Database(), idd);
    if (dialog.DoModal() != ui::IDOK) return;
    ShowBusy(true);
    AssignmentResult result;
    {
      FrameProgress progress(frame);
      result = replace(dialog, &progress);
    }
    HideBusy();
    ui::ShowOutcome(result);
  }
}

}  // namespace

void NormalizeStops(MainFrame* frame) {
  ReplaceUntilCancelled<StopNormalizeDialog>(frame, 140, [frame](StopNormalizeDialog& d, WorkProgress* progress) {
    return NormalizeStops(frame->Database(), d.search, d.replacement, progress);
  });
}

void NormalizeLineCodes(MainFrame* frame) {
  ReplaceUntilCancelled<LineCodeNormalizeDialog>(
      frame, 139, [frame](LineCodeNormalizeDialog& d, WorkProgress* progress) {
        return NormalizeLineCodes(frame->Database(), d.search, d.replacement, progress);
      });
}

void NormalizeRouteCodes(MainFrame* frame) {
  ReplaceUntilCancelled<RouteNormalizeDialog>(frame, 141, [frame](RouteNormalizeDialog& d, WorkProgress* progress) {
    return NormalizeRouteCodes(frame->Database(), d.search, d.replacement, progress);
  });
}

void RunLocalityAssignment(MainFrame* frame) {
  StopLocalityAssignDialog dialog(frame, frame->Database(), 145);
  dialog.DoModal();
}
