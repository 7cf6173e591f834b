#pragma once
// The route commands of "&Archivi" > "&HyperPlan/MTram": the route shapefile into RT_ITIN, the
// trips' route codes from a HyperPlan descriptor, and the merge of equal MTram day types. The
// first two end without a closing message; the merge ends with "Elaborazione terminata".

class MainFrame;

// "Conversione Cartografia HyperPlan (&Percorsi)".
void ConvertHyperPlanRoutes(MainFrame* frame);
// "Assegnazione Codici Percorso (&HyperPlan)".
void AssignHyperPlanRouteCodes(MainFrame* frame);
// "&Ricostruzione Cadenze MTram".
void RebuildMTramCadences(MainFrame* frame);
