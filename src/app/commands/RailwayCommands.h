#pragma once
// The commands of "&Archivi" > "&RezuRuzada": the railway arcs between stations from a sections
// set (ARCHI_FS), and the railway itineraries of the trips drawn along those arcs (RT_ITIN) with
// their report GENERAZIONE_RT_ITIN.

class MainFrame;

// "Generazione Archi &Ferroviari".
void GenerateRailwayArcs(MainFrame* frame);
// "Generazioni &Itinerari Ferroviari".
void GenerateRailwayItineraries(MainFrame* frame);
