#pragma once
// The files for the Olvi GIS: "Esportazione &Fermate" (5185, FERMATE_OLVI) and "Esportazione
// &Percorsi" (5186, PERCORSI_OLVI) of "Export per &OlviGis" (FERMATE_OLVI is read back by 5208,
// one of the auxiliary imports). Each asks for the file, makes it with the busy clock, and writes
// it whole only when its check passes: a refusal says why and leaves a file already there
// untouched, then tells 0 lines.

class MainFrame;

void ExportStopsForOlvi(MainFrame* frame);
void ExportRoutesForOlvi(MainFrame* frame);
