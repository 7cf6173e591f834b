#include "app/commands/CodeAssignmentCommands.h"

#include "dialogs/ContractsAssignDialog.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/CodeAssignment.h"

namespace {

bool Asked(const std::string& question) {
  return ui::MessageBox(question, ui::MB_OKCANCEL | ui::MB_ICONQUESTION) == ui::IDOK;
}

// The result box, or the stop box of a batch the database did not take.
void Tell(const AssignmentResult& result, std::string (*text)(const AssignmentResult&)) {
  if (!result.stored)
    ui::MessageBox(AssignmentNotStoredText(), ui::MB_ICONSTOP);
  else
    ui::MessageBox(text(result), ui::MB_ICONINFORMATION);
}

// The two questions of the stop and route codes, the second chosen by whether codes are there.
bool AskTwice(DbDatabase* db, const std::string& first, std::string (*second)(bool), bool (*assigned)(DbDatabase*)) {
  if (!Asked(first)) return false;
  ShowBusy(true);
  return Asked(second(assigned(db)));
}

}  // namespace

void AssignTripCodes(MainFrame* frame) {
  if (!Asked(TripCodesQuestion())) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  Tell(AssignTripCodes(frame->Database(), &progress), TripCodesResultText);
}

void AssignContractCodes(MainFrame* frame) {
  ContractsAssignDialog dialog(frame, frame->Database(), 129);
  if (dialog.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  const ContractChoice choice{dialog.anyLine, dialog.line, dialog.authority, dialog.contract};
  Tell(AssignContractCodes(frame->Database(), choice, &progress), ContractCodesResultText);
}

void AssignStopCodes(MainFrame* frame) {
  if (!AskTwice(frame->Database(), StopCodesFirstQuestion(), StopCodesSecondQuestion, StopCodesAssigned)) return;
  BusyProgress progress;
  Tell(AssignStopCodes(frame->Database(), &progress), StopCodesResultText);
}

void AssignRouteCodes(MainFrame* frame) {
  if (!AskTwice(frame->Database(), RouteCodesFirstQuestion(), RouteCodesSecondQuestion, RouteCodesAssigned)) return;
  BusyProgress progress;
  Tell(AssignRouteCodes(frame->Database(), &progress), RouteCodesResultText);
}

void AssignBoardAsLine(MainFrame* frame) {
  if (!Asked(BoardAsLineQuestion())) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  Tell(AssignBoardAsLine(frame->Database(), &progress), BoardAsLineResultText);
}
