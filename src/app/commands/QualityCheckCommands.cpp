#include "app/commands/QualityCheckCommands.h"

#include "common/Clock.h"
#include "exchange/ImportErrors.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "utilities/CoherenceCheck.h"
#include "utilities/QualityCheck.h"

void CheckCommunicationQuality(MainFrame* frame) {
  ShowBusy(true);
  ui::ShowOutcome(CommunicationQuality(frame->Database()));
}

void CheckBoardRouteCoherence(MainFrame* frame) {
  const ClockTime now = Now();
  ShowBusy(true);
  const CoherenceMessageList list = FindBoardRouteIncoherence(frame->Database());
  if (ui::ShowOutcome(list) || list.refused) return;  // coherent, or stopped at a value
  // Incoherent: the report of what was found.
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, kCoherenceReportTitle, kCoherenceReportName, kTextFileFilter,
                        "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(WriteCoherenceReport(dialog.Path(), list, now));
}
