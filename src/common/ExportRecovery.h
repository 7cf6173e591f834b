#pragma once
// Putting in order a folder where a set of files (an export, a shapefile set) was cut short (the
// program killed, the machine stopped): the journal it left (ExportJournal) says whether every new file was complete.
// If so, the new files are put in place; otherwise, or when that cannot be done, the previous files come back. Either
// way no temporary, previous file moved aside or journal is left, and the folder holds one whole set. Run before every
// set is written into a folder, and at start-up for the folders the interface noted while a set was under way there.
//
// Only a journal this program wrote is obeyed: its key must be the one the interface noted for
// the folder, and each file it names one of the set about to be written (when the caller knows
// them). Any other journal is told to the user and removed, and nothing else in the folder is
// touched.

#include "common/ExportJournal.h"
#include "common/Outcome.h"

#include <string>
#include <vector>

// Done unless the folder could not be put in order (kFailed, its path the file that stopped it);
// what was done is one warning (Windows-1252) whose caption says what the set was ("Esportazione dati orari").
// Inside this struct `Outcome` names the enum below: the base is ::Outcome.
struct FolderRecovery : ::Outcome {
  enum Outcome {
    kWhole,      // there was nothing to do (no journal): no message
    kCompleted,  // the new set was put in place
    kUndone,     // the previous set is back
    kFailed,     // the folder could not be put in order: its journal stays for the next run
    kForeign,    // a journal the program did not write: removed, not obeyed
  };
  Outcome outcome = kWhole;
  FolderRecovery() { ok = true; }
};

// `folder` is Windows-1252; `watch` gives the key noted for it. `step` is told after each change
// on the disk (tests stop there). `names`: the files of the set about to be written, or none.
FolderRecovery RecoverExportFolder(const std::string& folder, const FolderWatch& watch, const FileSetStep& step = {},
                                   const std::vector<std::string>& names = {});
