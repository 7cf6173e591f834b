#pragma once
// The files for the Olvi GIS: "Esportazione &Fermate" (5185, FERMATE_OLVI) and "Esportazione
// &Percorsi" (5186, PERCORSI_OLVI) of "Export per &OlviGis", and "Import F&ermate per VurOlvi"
// (5208), which reads FERMATE_OLVI back. The exports ask for the file, make it with the busy clock,
// and write it whole only when its check passes: a refusal says why and leaves a file already
// there untouched, then tells 0 lines. The import asks for the file and runs its engine with the
// busy clock and the progress bar, then shows the engine's messages in order.

class MainFrame;

void ExportStopsForOlvi(MainFrame* frame);
void ExportRoutesForOlvi(MainFrame* frame);
void ImportOlviStops(MainFrame* frame);
