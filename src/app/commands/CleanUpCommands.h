#pragma once
// "&Utilità" > "&Pulizie": each asks first (the stop elimination through dialog 154), runs its
// engine (utilities/CleanUps.h) with the progress bar and tells the result.

class MainFrame;

// "&Codici Corsa" (5177), "Codici &Percorso" (5178), "Codici &Fermata" (5179) and "&Ubicazione
// Fermate" (5180).
void ClearTripCodes(MainFrame* frame);
void ClearRouteCodes(MainFrame* frame);
void ClearStopCodes(MainFrame* frame);
void ClearStopLocations(MainFrame* frame);
// "Corse &Senza Periodi" (5181).
void DeleteTripsWithoutPeriod(MainFrame* frame);
// "&Eliminazione Fermata" (5191).
void DeleteStop(MainFrame* frame);
