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
  bool done = true;
  for (ImportKind kind : kOrder)
    if (done) done = RunBatchImport(kind, options.db, folder, options.choose, options.progress) != 0;
  // The grouping is the last step: without its numbers the import is not complete either.
  done = done && GroupHomogeneousTrips(options.db, options.progress, GroupingMode::Silent);
  Outcome whole;
  if (done)
    whole.Succeed("L'importazione complessiva dei dati è terminata con successo.");
  else
    whole.Fail("Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati.");
  return ui::ShowOutcome(whole);
}

void ImportAll(MainFrame& frame) {
  FrameProgress progress(&frame);
  RunWholeImport({frame.Database(), &frame.importFolder, ChooseImportFile, &progress});
  // The protocol, imported first, rewrote the master row even when a later file failed.
  frame.UpdateTitle();
}
