#pragma once
// The checks of the stop and route shapefiles against the timetable ("&Utilità") and the clean-up
// of routes drawn in several lines ("&Archivi"). Each offers its text report after its message.

class MainFrame;

// "Verifica Cartografia &Fermate".
void CheckStopsShapefile(MainFrame* frame);
// "Verifica Cartografia &Percorsi".
void CheckRoutesShapefile(MainFrame* frame);
// "Pulizia Percorsi &Multipli".
void ReduceMultiLineRoutes(MainFrame* frame);
