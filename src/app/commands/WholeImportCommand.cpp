#include "app/commands/WholeImportCommand.h"

#include "app/commands/GroupingCommand.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

bool RunWholeImport(const WholeImportOptions& options) {
  static const ImportKind kOrder[] = {ImportKind::Protocol,  ImportKind::Cadences,    ImportKind::Calendar,
                                      ImportKind::TripHeads, ImportKind::TripDetails, ImportKind::Periods};
  std::string localFolder;
  std::string& folder = options.importFolder ? *options.importFolder : localFolder;
  for (ImportKind kind : kOrder) {
    if (RunBatchImport(kind, options.db, folder, options.choose, options.progress) == 0) {
      ui::MessageBox("Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati.",
                     ui::MB_ICONSTOP);
      return false;
    }
  }
  // The grouping is the last step: without its numbers the import is not complete either.
  if (!GroupHomogeneousTrips(options.db, options.progress, GroupingMode::Silent)) {
    ui::MessageBox("Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati.",
                   ui::MB_ICONSTOP);
    return false;
  }
  ui::MessageBox("L'importazione complessiva dei dati è terminata con successo.", ui::MB_ICONINFORMATION);
  return true;
}

void ImportAll(MainFrame& frame) {
  FrameProgress progress(&frame);
  RunWholeImport({frame.Database(), &frame.importFolder, ChooseImportFile, &progress});
  // The protocol, imported first, rewrote the master row even when a later file failed.
  frame.UpdateTitle();
}
