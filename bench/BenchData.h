#pragma once
// Pieces of the generated timetables the benchmarks share.

#include "db/DbTable.h"

#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

namespace bench {

// Day `day` of the first half of 2024 as dd/mm/yyyy (day 0 = 01/01/2024).
inline std::string Date(int day) {
  static const int kMonth[] = {31, 29, 31, 30, 31, 30};
  int m = 0;
  while (day >= kMonth[m]) day -= kMonth[m++];
  char buf[32];
  std::snprintf(buf, sizeof buf, "%02d/%02d/2024", day + 1, m + 1);
  return buf;
}

// Minutes after midnight as an HHMM time of day.
inline int Hhmm(int minutes) { return (minutes / 60 % 24) * 100 + minutes % 60; }

// The generated timetable: 20,000 trips of 20 stops on 1,000 routes.
constexpr int kTrips = 20000;
constexpr int kStopsPerTrip = 20;
constexpr int kRoutes = 1000;

// The texts and times of stop `s` (from 1) of trip `t` (from 1). The trips of one route share
// their running and dwell times, unless each has its own (`ownTimes`): then the trip stays one
// minute longer at stop j (2 to 19) when bit j - 2 of its place among the route's trips is set,
// so that no two trips of a route keep the same times (for up to 262,144 trips a route).
struct StopTexts {
  char code[16];
  char name[48];
  char place[48];
  int arrives;  // HHMM, 9999 at the first stop
  int leaves;   // HHMM, 9999 at the last stop
};
inline StopTexts Stop(int t, int s, bool ownTimes = false) {
  StopTexts r;
  std::snprintf(r.code, sizeof r.code, "F%04d%02d", t % kRoutes, s);
  std::snprintf(r.name, sizeof r.name, "Fermata %d della linea %d", s, t % kRoutes);
  std::snprintf(r.place, sizeof r.place, "Via Città di Lucca %d", s * 3);
  const int start = 300 + (t * 7) % 900;
  const unsigned place = ownTimes ? static_cast<unsigned>(t / kRoutes) : 0;
  const auto longer = [place](int j) { return j >= 2 ? static_cast<int>(place >> (j - 2) & 1) : 0; };
  int before = 0;  // the extra minutes of the stops before this one
  for (int j = 2; j < s; ++j) before += longer(j);
  r.arrives = s == 1 ? 9999 : Hhmm(start + 2 * s + before);
  r.leaves = s == kStopsPerTrip ? 9999 : Hhmm(start + 2 * s + 1 + before + longer(s));
  return r;
}

// A stop as a region's stop file (RT_DTORA) names it: a short code of fixed width, a name of a
// town and often of a spot in it (most of them 8 to 20 characters, none near the 40 allowed), and
// a location (ubicaz) on one stop in three, a street or square, blank (NULL) on the others. Stop `s` of
// trip `t` is one of the 20,000 stops of the network, each with its own code and texts.
struct FeedStopTexts {
  std::string code, name, place;
};
inline const char* FeedTown(int k) {
  static const char* const kTowns[] = {
      "Aulla",       "Pontremoli",  "Lucca",     "Fivizzano",  "Massa",     "Carrara",  "Barga",       "Camaiore",
      "Pescia",      "Pistoia",     "Prato",     "Empoli",     "Siena",     "Arezzo",   "Cortona",     "Grosseto",
      "Livorno",     "Piombino",    "Volterra",  "Poggibonsi", "Sarzana",   "Bibbiena", "Licciana",    "Vinci",
      "Certaldo",    "Castelnuovo", "Seravezza", "Altopascio", "Orbetello", "Casole",   "San Miniato", "Bagni di Lucca",
      "Montevarchi", "Sansepolcro", "Colle",     "Rufina",     "Pelago"};
  return kTowns[k % (sizeof kTowns / sizeof *kTowns)];
}
inline FeedStopTexts FeedStop(int t, int s) {
  static const char* const kSpots[] = {
      "",       " Stazione", " Bivio",    "",       " Chiesa", " Scuole",    " Centro",     " Ospedale", "",
      " Ponte", " Bv.",      " Cimitero", " P.zza", "",        " Municipio", " Loc. Piano", " Incrocio"};
  static const char* const kPlaces[] = {"Via Roma", "Piazza Garibaldi", "Via Aurelia", "Viale Europa", "P.zza Stazione",
                                        "SS 63",    "Via Nazionale"};
  const int stop = (t % kRoutes) * kStopsPerTrip + s - 1;  // 0 to 19,999
  FeedStopTexts r;
  char code[16];
  std::snprintf(code, sizeof code, "F%05d", stop + 1);
  r.code = code;
  r.name = std::string(FeedTown(stop / 7)) + kSpots[stop % (sizeof kSpots / sizeof *kSpots)];
  if (stop % 3 == 0) r.place = kPlaces[stop / 3 % (sizeof kPlaces / sizeof *kPlaces)];
  return r;
}
// A trip's descriptor as a trip head file (RT_HDORA) gives it: its first and last towns.
inline std::string FeedTripName(int t) {
  return std::string(FeedTown((t % kRoutes) * kStopsPerTrip / 7)) + " - " +
         FeedTown(((t % kRoutes) * kStopsPerTrip + kStopsPerTrip - 1) / 7);
}

// Adds one row: the fields as (name, text) pairs.
inline void AddRow(DbTable& t, std::initializer_list<std::pair<const char*, std::string>> fields) {
  t.AddNew();
  for (const auto& [name, text] : fields) t.SetFieldText(name, text);
  if (!t.Update()) std::fprintf(stderr, "row refused in %s\n", t.TableName().c_str());
}

// The days of the first half of 2024, 01/01/2024 - 30/06/2024.
constexpr int kHalfYearDays = 182;

// The master row of company 17 for the first half of 2024, the day types FER and FES, and their
// calendar: FER from Monday to Saturday, FES on Sundays.
inline void AddHalfYear(DbTable& master, DbTable& cadenz, DbTable& calend) {
  AddRow(master, {{"codice", "0"},
                  {"azienda", "17"},
                  {"p_data", "15/01/2024"},
                  {"protoc", "42"},
                  {"resple", "Rossi"},
                  {"datini", "01/01/2024"},
                  {"datfin", "30/06/2024"},
                  {"id_corsa", "20001"},
                  {"gruppo", "0"}});
  AddRow(cadenz, {{"codice", "FER"}, {"denom", "Feriale"}});
  AddRow(cadenz, {{"codice", "FES"}, {"denom", "Festivo"}});
  for (int d = 0; d < kHalfYearDays; ++d)
    AddRow(calend, {{"data", Date(d)},
                    {"caden", d % 7 == 6 ? "FES" : "FER"},
                    {"giorno", std::to_string(d % 7 + 1)},
                    {"note", " "}});
}

}  // namespace bench
