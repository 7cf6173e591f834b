#pragma once
// "Verifica coerenza &Quadri/Percorsi": quadri whose trips carry more than one route code, and
// route codes whose trips lie in more than one quadro, found over every trip; with their report
// ERRORI_QUADRI_PERCORSI. It only reads.

#include "common/Clock.h"
#include "common/Outcome.h"

#include <string>
#include <vector>

class DbDatabase;

// The lines found, each ending "\n", in the order found. As found by the check, `ok` when the
// codes are coherent, with the information that says so; else the stop message that announces
// the report, or, `refused`, the stop message of a value its column cannot hold (no line, and no
// report to write).
struct CoherenceMessageList : Outcome {
  std::vector<std::string> boards;  // "Quadro %ld Percorsi: A / B"
  std::vector<std::string> routes;  // "Percorso: A Quadri: 1 / 2"
  bool refused = false;
  void AddBoardMessage(long board, const std::string& previousRoute, const std::string& route);
  void AddRouteMessage(const std::string& route, long previousBoard, long board);
  bool Empty() const { return boards.empty() && routes.empty(); }
};

// The two passes. A trip without quadro is in quadro 0 and one without route code has the empty
// code; codes are compared without trailing blanks, letter case counting, as the database holds them.
CoherenceMessageList FindBoardRouteIncoherence(DbDatabase* db);

// The report's text, lines ending CR LF: the framed heading of `now`, both sections always.
std::string CoherenceReportText(const CoherenceMessageList& list, const ClockTime& now);
// Writes that report to `path` whole or not at all; not written, the outcome holds "Impossibile
// creare" with the path (or, for a refused list, its own stop message, and nothing is written).
Outcome WriteCoherenceReport(const std::string& path, const CoherenceMessageList& list, const ClockTime& now);

extern const char* const kCoherentText;
extern const char* const kIncoherentText;
extern const char* const kCoherenceReportName;
extern const char* const kCoherenceReportTitle;
