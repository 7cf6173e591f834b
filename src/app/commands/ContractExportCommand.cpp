#include "app/commands/ContractExportCommand.h"

#include "exchange/ContractExport.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

void ExportServiceContracts(MainFrame& frame) {
  ContractExportData data;
  {
    ShowBusy(true);
    FrameProgress progress(&frame);
    data = ReadContractExport(frame.Database(), &progress);
  }
  if (!ui::ShowOutcome(data)) return;
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, "Esportazione Contratti", "Contratti",
                        "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||", "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(WriteContractExport(data, dialog.Path()));
}
