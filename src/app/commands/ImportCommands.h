#pragma once
// The six import commands of the regional files ("&Archivi" > "&Importazione dati (VUR-TXT)",
// 5109-5114) and the worker they share with the whole import: the engine's two passes with the
// decision boxes between them and the report of the faults.

#include "exchange/ImportEngine.h"
#include "exchange/ImportErrors.h"

#include <functional>

class MainFrame;

// Done when pass 2 ran. The messages are those still to be shown with the result message: why
// pass 1 stopped.
struct ImportResult : Outcome {
  int linesRead = -1;  // -1: stopped before reading the file
  int rowsInserted = 0;
  ImportOutcome outcome = ImportOutcome::Stopped;
  // Stopped, or nothing kept, at a stored value that its column cannot hold as its kind: its
  // refusal is the only message, with no count of lines after it.
  bool valueRefused = false;
};

// Pass 1, then: a blocking fault shows its box and, on OK, writes the report ("ERRORI_VURTXT");
// remediable faults ask "Proseguo comunque?"; then pass 2. Rows the database refused are shown,
// the first few one box each and the rest counted in one box that offers the report. A pass 1
// that stopped is told with the result (ImportResultStep).
ImportResult RunImportWorker(ImportKind kind, const ImportOptions& options);

// The command's result: alone (`batch` false) why pass 1 stopped and the result box, and 0; in a
// batch 1 when every line read was inserted, else 0, the protocol and day types saying so in their
// failure box (after why pass 1 stopped, which every file says). A file without lines (0 read, 0
// inserted) is a failure, never a success; in a batch a declined "Proseguo comunque?" is a failure
// too, so that the whole import stops instead of going on without the file's rows. A stored value
// refused (ImportResult::valueRefused) is said alone, and is 0.
int ImportResultStep(ImportKind kind, const ImportResult& result, bool batch);

// The open-file dialog of an import (its title and default name); false when cancelled.
bool ChooseImportFile(ImportKind kind, std::string& path);

// Gives the file of an import (a file dialog in the program); false when none was chosen.
using FileChooser = std::function<bool(ImportKind kind, std::string& path)>;

// One import of a batch: the protocol and the day types take their file from `choose` and store
// its folder in `importFolder`; the other four read their fixed file from that folder (its name
// found without regard to letter case). Then the worker and the batch result: 1 or 0.
int RunBatchImport(ImportKind kind, DbDatabase* db, std::string& importFolder, const FileChooser& choose,
                   WorkProgress* progress);

// Asks where to save the report of the faults ("ERRORI_VURTXT") and writes it; nothing when the
// dialog is cancelled. A file that cannot be written is said in a stop box.
void SaveImportErrorReport(const ImportErrorList& errors, const std::string& databasePath);

// One import command. Alone it asks for its file; in a batch the protocol and the day types ask
// for theirs and store its folder as the frame's import folder, and the other four read their
// fixed file from that folder.
int RunImportCommand(MainFrame* frame, ImportKind kind, bool batch);

int ImportProtocol(MainFrame* frame, bool batch);
int ImportCadences(MainFrame* frame, bool batch);
int ImportCalendar(MainFrame* frame, bool batch);
int ImportTripHeads(MainFrame* frame, bool batch);
int ImportTripDetails(MainFrame* frame, bool batch);
int ImportValidityPeriods(MainFrame* frame, bool batch);

// How many refused rows get a box of their own before the rest are counted in one.
constexpr int kRefusalsShown = 3;
