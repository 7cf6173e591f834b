#pragma once
// The report of a railway itinerary run (GENERAZIONE_RT_ITIN): the stops not found among the
// stations, the arcs missing from the arc set (so that straight segments were drawn) and every
// route's verdict, "OK" along arcs only or "INTERPOLATO".

#include "common/Clock.h"
#include "common/Outcome.h"

#include <string>
#include <vector>

constexpr const char* kItineraryReportCaption = "Report Generazione RT_ITIN RezuRuzada";
constexpr const char* kItineraryReportName = "GENERAZIONE_RT_ITIN";

class ItineraryReport {
 public:
  // "manca fermata " and the code, once for each code.
  void AddMissingStation(const std::string& code);
  // "manca arco " from " - " to, once for each ordered pair.
  void AddMissingArc(const std::string& from, const std::string& to);
  // 'S': "OK", anything else "INTERPOLATO", then "- Percorso " and the code.
  void AddRouteVerdict(const std::string& code, char verdict);
  void Clear();

  const std::vector<std::string>& MissingStations() const { return stations_; }
  const std::vector<std::string>& MissingArcs() const { return arcs_; }
  const std::vector<std::string>& Verdicts() const { return verdicts_; }

  // The whole report as written at `now`, lines ended by CR LF.
  std::string Text(const ClockTime& now) const;

 private:
  static void AddOnce(std::vector<std::string>& lines, std::vector<std::string>& seen, std::string line);
  std::vector<std::string> stations_, arcs_, verdicts_;
  std::vector<std::string> seenStations_, seenArcs_;  // sorted, for the once-only test
};

// Writes the report whole at `path`; false when it could not be written (nothing changed).
Outcome WriteItineraryReport(const std::string& path, const ItineraryReport& report, const ClockTime& now);
