#pragma once
// "&Utilità": the automatic code assignments. Each asks first (5138 through its dialog), runs its
// engine (utilities/CodeAssignment.h) and tells the result.

class DbDatabase;
class MainFrame;
class WorkProgress;

// "Assegnazione &Codici Corsa" (5121), with the progress bar.
void AssignTripCodes(MainFrame* frame);
// "Assegnazione Codici C&ontratto" (5138): dialog 129, with the progress bar.
void AssignContractCodes(MainFrame* frame);
// "Assegnazione Codici &Fermata" (5164) and "Assegnazione Codici &Percorso" (5165): two
// questions, the second telling whether codes are already there; the busy clock only.
void AssignStopCodes(MainFrame* frame);
void AssignRouteCodes(MainFrame* frame);
// "Assegnazione &Quadro come Linea" (5160), with the progress bar.
void AssignBoardAsLine(MainFrame* frame);
