#pragma once
// Putting in order a folder where a set of files (an export, a shapefile set) was cut short (the
// program killed, the machine stopped): the journal it left (ExportJournal) says whether every new file was complete.
// If so, the new files are put in place; otherwise, or when that cannot be done, the previous files come back. Either
// way no temporary, previous file moved aside or journal is left, and the folder holds one whole set. Run before every
// set is written into a folder, and at start-up for the folders the interface noted while a set was under way there.
//
// Only a journal this program wrote is obeyed, and only as far as the note the interface took for
// the folder vouches for it (FolderWatch): a mark of the journal (JournalMark) vouches for every
// line of it. A note of an earlier version vouches for the names alone: its mark of the names, or
// its key alone when the names are those of a set whose writer fixes them (FolderWatch::fixedSets);
// which files had a previous one is then read from the folder, and no file of the set's names is
// removed. Each file the journal writes must be one of the set about to be written (when
// the caller knows them; a file it removes may be any), and none of them, their temporaries or previous files a
// database's (DatabaseFiles). Any other journal is told to the user and removed, and nothing else in the folder is
// touched; so is one whose key is noted but whose lines are damaged. Where the files the process holds open cannot be
// listed, a journal of ours stays, not obeyed.

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
    kForeign,    // a journal the program did not write, or damaged: removed, not obeyed
  };
  Outcome outcome = kWhole;
  FolderRecovery() { ok = true; }
};

// `folder` is Windows-1252; `watch` gives the mark noted for it. `step` is told after each change
// on the disk (tests stop there). `names`: the files of the set about to be written, or none.
// `database`: the database the program is about to open (Windows-1252), or none; the one open is
// known without it.
FolderRecovery RecoverExportFolder(const std::string& folder, const FolderWatch& watch, const FileSetStep& step = {},
                                   const std::vector<std::string>& names = {}, const std::string& database = {});
