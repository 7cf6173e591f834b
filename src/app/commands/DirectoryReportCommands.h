#pragma once
// The directory commands of "&Stampe": stops, routes, lines, termini, trip chains and the
// primary-stop analysis. Each runs its options dialog, then the report run of ReportRun.h.

class MainFrame;

// Resource ids of the options dialogs.
constexpr int kStopListDialog = 132;
constexpr int kRouteListDialog = 133;
constexpr int kLineListDialog = 137;
constexpr int kTerminusListDialog = 138;
constexpr int kStopLocalityListDialog = 146;
constexpr int kTripChainListDialog = 151;
constexpr int kPrimaryStopAnalysisDialog = 157;

// "rubrica &Fermate (normalizzate)".
void PrintStops(MainFrame& frame);
// "rubrica Fermate (&Errori normalizzazione)".
void PrintStopErrors(MainFrame& frame);
// "rubrica Fermate (&Località)".
void PrintStopLocalities(MainFrame& frame);
// "rubrica &Percorsi (normalizzati)".
void PrintRoutes(MainFrame& frame);
// "rubrica Percorsi (&Errori normalizzazione)".
void PrintRouteErrors(MainFrame& frame);
// "rubrica &Linee (normalizzate)".
void PrintLines(MainFrame& frame);
// "rubrica &Capolinea".
void PrintTerminals(MainFrame& frame);
// "rubrica &Concatenazioni Corse".
void PrintTripChains(MainFrame& frame);
// "rubrica Fermate (&Analisi Primarie)": previewed, printed, or written as the text report
// "FermatePrimarie" chosen in a file dialog (then no panel is left).
void PrintPrimaryStops(MainFrame& frame);
