#pragma once
// The auxiliary imports of "&Archivi" > "&Importazione dati (VUR-TXT)": trip chains (5173),
// the return flow of regional trip numbers (5204), normalised stops (5162) and the stops of the
// Olvi GIS (5208). Each asks for its file, runs its engine (exchange/auxiliary/) with the busy
// clock and, but for the regional numbers, the progress bar, and shows the engine's messages.

class MainFrame;

void ImportChainFile(MainFrame& frame);
void ImportRegionalTripCodes(MainFrame& frame);
void ImportNormalisedStops(MainFrame& frame);
void ImportOlviStops(MainFrame& frame);
