#pragma once
// The folders where an export is putting its files in place, noted in the settings
// ("EsportazioniInCorso", one a line: the folder, a tab, the mark of the journal written there,
// its key and the fingerprint of its lines, JournalMark) from before the first file changes until the folder
// holds one whole set again: a start of the program after a kill finds there the folders to put
// in order, and only a journal whose mark is noted for its folder is obeyed. A set is not begun
// where its note cannot be stored (the settings cannot be written, or the notes would not fit).

#include "common/ExportJournal.h"

#include <string>

// Notes `folder` with its journal's mark, or forgets it (an empty one). False when the notes
// could not be stored: they stay as they were.
bool NoteExportFolder(const std::string& folder, const std::string& key);
// The mark noted for `folder`; empty when none.
std::string NotedExportKey(const std::string& folder);
// The export commands' folder watch, over the two above.
FolderWatch ExportFolderWatch();

// At start-up: puts in order every folder noted, telling the user what was done in each one. A
// folder that cannot be put in order stays noted for the next start. The database the settings
// name is never touched.
void RecoverInterruptedExports();
