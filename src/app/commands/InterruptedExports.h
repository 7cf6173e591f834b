#pragma once
// The folders where an export is putting its files in place, noted in the settings
// ("EsportazioniInCorso", one folder a line) from before the first file changes until the folder
// holds one whole set again: a start of the program after a kill finds there the folders to put
// in order. A folder is put in order by the next export into it as well, so a note that cannot be
// written costs only the start-up's look.

#include <string>

// The export commands' folder watch: notes `folder` (underWay true) or forgets it.
void NoteExportFolder(const std::string& folder, bool underWay);

// At start-up: puts in order every folder noted, telling the user what was done in each one. A
// folder that cannot be put in order stays noted for the next start.
void RecoverInterruptedExports();
