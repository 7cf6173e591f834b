#pragma once
// The folders where an export is putting its files in place, noted in the settings
// ("EsportazioniInCorso", one a line: the folder, a tab, the key of the journal written there)
// from before the first file changes until the folder holds one whole set again: a start of the
// program after a kill finds there the folders to put in order, and only a journal whose key is
// noted for its folder is obeyed. A folder is put in order by the next export into it as well, so
// a note that cannot be written costs only the start-up's look.

#include "common/ExportJournal.h"

#include <string>

// Notes `folder` with its journal's key, or forgets it (an empty key).
void NoteExportFolder(const std::string& folder, const std::string& key);
// The key noted for `folder`; empty when none.
std::string NotedExportKey(const std::string& folder);
// The export commands' folder watch, over the two above.
FolderWatch ExportFolderWatch();

// At start-up: puts in order every folder noted, telling the user what was done in each one. A
// folder that cannot be put in order stays noted for the next start.
void RecoverInterruptedExports();
