#include "app/commands/NormalizationCommands.h"

#include "app/commands/BatchResultBox.h"
#include "dialogs/NormalizeDialogs.h"
#include "dialogs/StopLocalityAssignDialog.h"
#include "platform/Busy.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"

namespace {

// The dialog of `idd`, opened afresh after every replacement until it is cancelled; `replace`
// runs the replacement of the values it hands back and returns the result text.
template <class Dialog, class Replace>
void ReplaceUntilCancelled(MainFrame* frame, int idd, Replace replace) {
  for (;;) {
    Dialog dialog(frame, frame->Database(), idd);
    if (dialog.DoModal() != ui::IDOK) return;
    ShowBusy(true);
    std::string text;
    AssignmentResult result;
    {
      FrameProgress progress(frame);
      result = replace(dialog, &progress, text);
    }
    HideBusy();
    TellBatchResult(result, text);
  }
}

}  // namespace

void NormalizeStops(MainFrame* frame) {
  ReplaceUntilCancelled<StopNormalizeDialog>(
      frame, 140, [frame](StopNormalizeDialog& d, WorkProgress* progress, std::string& text) {
        const AssignmentResult r = NormalizeStops(frame->Database(), d.search, d.replacement, progress);
        text = StopNormalizationResultText(r);
        return r;
      });
}

void NormalizeLineCodes(MainFrame* frame) {
  ReplaceUntilCancelled<LineCodeNormalizeDialog>(
      frame, 139, [frame](LineCodeNormalizeDialog& d, WorkProgress* progress, std::string& text) {
        const AssignmentResult r = NormalizeLineCodes(frame->Database(), d.search, d.replacement, progress);
        text = TripNormalizationResultText(r);
        return r;
      });
}

void NormalizeRouteCodes(MainFrame* frame) {
  ReplaceUntilCancelled<RouteNormalizeDialog>(
      frame, 141, [frame](RouteNormalizeDialog& d, WorkProgress* progress, std::string& text) {
        const AssignmentResult r = NormalizeRouteCodes(frame->Database(), d.search, d.replacement, progress);
        text = TripNormalizationResultText(r);
        return r;
      });
}

void RunLocalityAssignment(MainFrame* frame) {
  StopLocalityAssignDialog dialog(frame, frame->Database(), 145);
  dialog.DoModal();
}
