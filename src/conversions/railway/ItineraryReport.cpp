#include "conversions/railway/ItineraryReport.h"

#include "common/WholeFile.h"

#include <algorithm>
#include <cstdio>

void ItineraryReport::AddOnce(std::vector<std::string>& lines, std::vector<std::string>& seen, std::string line) {
  const auto it = std::lower_bound(seen.begin(), seen.end(), line);
  if (it != seen.end() && *it == line) return;
  seen.insert(it, line);
  lines.push_back(std::move(line));
}

void ItineraryReport::AddMissingStation(const std::string& code) {
  AddOnce(stations_, seenStations_, "manca fermata " + code + "\n");
}

void ItineraryReport::AddMissingArc(const std::string& from, const std::string& to) {
  AddOnce(arcs_, seenArcs_, "manca arco " + from + " - " + to + "\n");
}

void ItineraryReport::AddRouteVerdict(const std::string& code, char verdict) {
  verdicts_.push_back(std::string(verdict == 'S' ? "OK          " : "INTERPOLATO ") + "- Percorso " + code + "\n");
}

void ItineraryReport::Clear() {
  stations_.clear();
  arcs_.clear();
  verdicts_.clear();
  seenStations_.clear();
  seenArcs_.clear();
}

std::string ItineraryReport::Text(const ClockTime& now) const {
  const std::string rule(87, '=');
  char heading[128];
  std::snprintf(heading, sizeof heading, "%02d/%02d/%04d %02d.%02d", now.day, now.month, now.year, now.hour,
                now.minute);
  std::string text =
      rule + "\n" + heading + " Report Generazione shapefile RT_ITIN RezuRuzada (Quendo)\n" + rule + "\n\n";
  const auto section = [&text](const char* banner, const std::vector<std::string>& lines, bool always) {
    if (lines.empty() && !always) return;
    text += banner;
    for (const std::string& line : lines) text += line;
    if (!always) text += "\n\n\n";
  };
  section("\n******* Fermate non trovate in RT_NODI ****************************\n\n", stations_, false);
  section("\n******* Archi non trovati nello shapefile RezuRuzada ****************\n\n", arcs_, false);
  section("\n******* Percorsi Generati *****************************************\n\n", verdicts_, true);
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

Outcome WriteItineraryReport(const std::string& path, const ItineraryReport& report, const ClockTime& now) {
  return SaveWholeFile(path, report.Text(now));
}
