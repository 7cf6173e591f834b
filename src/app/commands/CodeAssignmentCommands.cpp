#include "app/commands/CodeAssignmentCommands.h"

#include "app/commands/BatchResultBox.h"
#include "dialogs/ContractsAssignDialog.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/CodeAssignment.h"

namespace {

// The two questions of the stop and route codes, the second chosen by whether codes are there
// (`codesThere`, for the engine to check again).
bool AskTwice(DbDatabase* db, const std::string& first, std::string (*second)(bool), bool (*assigned)(DbDatabase*),
              bool& codesThere) {
  if (!AskedToProceed(first)) return false;
  ShowBusy(true);
  codesThere = assigned(db);
  return AskedToProceed(second(codesThere));
}

}  // namespace

void AssignTripCodes(MainFrame* frame) {
  if (!AskedToProceed(TripCodesQuestion())) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  ui::ShowOutcome(AssignTripCodes(frame->Database(), &progress));
}

void AssignContractCodes(MainFrame* frame) {
  ContractsAssignDialog dialog(frame, frame->Database(), 129);
  if (dialog.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  const ContractChoice choice{dialog.anyLine, dialog.line, dialog.authority, dialog.contract};
  ui::ShowOutcome(AssignContractCodes(frame->Database(), choice, &progress));
}

void AssignStopCodes(MainFrame* frame) {
  bool codesThere = false;
  if (!AskTwice(frame->Database(), StopCodesFirstQuestion(), StopCodesSecondQuestion, StopCodesAssigned, codesThere))
    return;
  BusyProgress progress;
  ui::ShowOutcome(AssignStopCodes(frame->Database(), codesThere, &progress));
}

void AssignRouteCodes(MainFrame* frame) {
  bool codesThere = false;
  if (!AskTwice(frame->Database(), RouteCodesFirstQuestion(), RouteCodesSecondQuestion, RouteCodesAssigned, codesThere))
    return;
  BusyProgress progress;
  ui::ShowOutcome(AssignRouteCodes(frame->Database(), codesThere, &progress));
}

void AssignBoardAsLine(MainFrame* frame) {
  if (!AskedToProceed(BoardAsLineQuestion())) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  ui::ShowOutcome(AssignBoardAsLine(frame->Database(), &progress));
}
