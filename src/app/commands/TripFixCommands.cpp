#include "app/commands/TripFixCommands.h"

#include "dialogs/TransportModeDialogs.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/TripFixes.h"

namespace {

using Fix = AssignmentResult (*)(DbDatabase*, WorkProgress*);

// The question (none when empty), the fix with the progress bar or the busy clock only, the result.
void Run(MainFrame* frame, const std::string& question, Fix fix, bool bar) {
  if (!question.empty() && ui::MessageBox(question, ui::MB_OKCANCEL | ui::MB_ICONQUESTION) != ui::IDOK) return;
  ShowBusy(true);
  AssignmentResult result;
  if (bar) {
    FrameProgress progress(frame);
    result = fix(frame->Database(), &progress);
  } else {
    BusyProgress progress;
    result = fix(frame->Database(), &progress);
  }
  ui::ShowOutcome(result);
}

void RunModeDialog(TransportModeDialog& dialog) {
  BusyProgress progress;
  dialog.progress = &progress;
  dialog.beforeAssignment = [] { ShowBusy(true); };
  dialog.DoModal();
}

}  // namespace

void FixTripTimes(MainFrame* frame) { Run(frame, TripTimesQuestion(), ::FixTripTimes, true); }

void FixRouteLengths(MainFrame* frame) { Run(frame, RouteLengthsQuestion(), ::FixRouteLengths, true); }

void FixTripChaining(MainFrame* frame) { Run(frame, {}, ::FixTripChaining, false); }

void FixHalfTransitTimes(MainFrame* frame) { Run(frame, HalfTransitTimesQuestion(), ::FixHalfTransitTimes, false); }

void AlignContractLengthsAndTimes(MainFrame* frame) {
  Run(frame, ContractValuesQuestion(), ::AlignContractLengthsAndTimes, false);
}

void RunTransportModeByCompany(MainFrame* frame) {
  CompanyModeDialog dialog(frame, frame->Database(), 149);
  RunModeDialog(dialog);
}

void RunTransportModeByLine(MainFrame* frame) {
  LineModeDialog dialog(frame, frame->Database(), 150);
  RunModeDialog(dialog);
}

void RunTransportModeByAuthority(MainFrame* frame) {
  AuthorityModeDialog dialog(frame, frame->Database(), 152);
  RunModeDialog(dialog);
}
