#pragma once
// "&Utilità" > "&Normalizzazioni": each replacement opens its dialog, runs its engine
// (utilities/Normalisation.h) with the progress bar and tells the result, then opens the dialog
// again, filled afresh, until Annulla. The locality assignment is the dialog alone.

class MainFrame;

// "&Fermate" (5154): dialog 140.
void NormalizeStops(MainFrame* frame);
// "Codici &Linea" (5155): dialog 139.
void NormalizeLineCodes(MainFrame* frame);
// "Codici &Percorso" (5156): dialog 141.
void NormalizeRouteCodes(MainFrame* frame);
// "&Assegnazione  Località" (5161): dialog 145.
void RunLocalityAssignment(MainFrame* frame);
