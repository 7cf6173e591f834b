#pragma once
// The whole import ("Importazione &Complessiva", command 5120): the six regional files in order,
// each as a batch import, stopping at the first that does not insert every line it read; then
// the silent grouping of the trips into quadri.

#include "app/commands/ImportCommands.h"

#include <string>

class DbDatabase;
class MainFrame;
class WorkProgress;

struct WholeImportOptions {
  DbDatabase* db = nullptr;
  // The folder of the four files read without a dialog; set from the protocol's and then the
  // day types' file.
  std::string* importFolder = nullptr;
  // The file of the protocol and of the day types.
  FileChooser choose;
  WorkProgress* progress = nullptr;
};

// Runs the sequence with its boxes: the stop box when an import fails, or when the grouping
// that ends it cannot be stored ("Il risultato dell'azione precedente ..."; the imports done
// stay), the closing box when all seven steps succeeded. True when they all succeeded.
bool RunWholeImport(const WholeImportOptions& options);

// The command on the main window: the file dialogs, the frame's import folder and progress.
void ImportAll(MainFrame& frame);
