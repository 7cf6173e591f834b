#include "app/commands/AuxiliaryImportCommands.h"

#include "exchange/ImportErrors.h"
#include "exchange/NormalStopsLayout.h"
#include "exchange/RecordLayouts.h"
#include "exchange/auxiliary/ChainImport.h"
#include "exchange/auxiliary/NormalisedStopsImport.h"
#include "exchange/auxiliary/OlviStopsImport.h"
#include "exchange/auxiliary/RegionalCodesImport.h"
#include "exchange/communication/VurTxtLayout.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

namespace {

using Engine = AuxiliaryImportResult (*)(const AuxiliaryImportOptions&);

// The open-file dialog, then the engine; the messages it hands back, in order. Cancel: nothing.
void RunAuxiliaryImport(MainFrame& frame, const char* title, const char* defaultName, Engine engine, bool withBar) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Open, title, defaultName, kTextFileFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  AuxiliaryImportResult result;
  {
    FrameProgress bar(&frame);
    BusyProgress clock;
    result = engine({frame.Database(), dialog.Path(), withBar ? static_cast<WorkProgress*>(&bar) : &clock});
  }
  ui::ShowOutcome(result);
}

}  // namespace

void ImportChainFile(MainFrame& frame) {
  RunAuxiliaryImport(frame, "Importazione Concatenazioni Corse", ChainLayout().defaultName, RunChainImport, true);
}

void ImportRegionalTripCodes(MainFrame& frame) {
  RunAuxiliaryImport(frame, "Importazione Flusso di Ritorno Codici Corsa Regionali", vurtxt::IdRegLayout().defaultName,
                     RunRegionalCodesImport, false);
}

void ImportNormalisedStops(MainFrame& frame) {
  RunAuxiliaryImport(frame, "Importazione Fermate Normalizzate", kNormalStopsDefaultName, RunNormalisedStopsImport,
                     true);
}

void ImportOlviStops(MainFrame& frame) {
  RunAuxiliaryImport(frame, kOlviStopsImportTitle, kOlviStopsImportName, RunOlviStopsImport, true);
}
