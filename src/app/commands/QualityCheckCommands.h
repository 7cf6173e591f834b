#pragma once
// "&Utilità": the two checks that only read: "Verifica &Qualità Comunicazione" (5167), one
// verdict box, and "Verifica coerenza &Quadri/Percorsi" (5196), with its report
// ERRORI_QUADRI_PERCORSI.

class MainFrame;

void CheckCommunicationQuality(MainFrame* frame);
void CheckBoardRouteCoherence(MainFrame* frame);
