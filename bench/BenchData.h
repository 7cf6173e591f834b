#pragma once
// Pieces of the generated timetables the benchmarks share.

#include <cstdio>
#include <string>

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

// The texts and times of stop `s` (from 1) of trip `t` (from 1).
struct StopTexts {
  char code[16];
  char name[48];
  char place[48];
  int arrives;  // HHMM, 9999 at the first stop
  int leaves;   // HHMM, 9999 at the last stop
};
inline StopTexts Stop(int t, int s) {
  StopTexts r;
  std::snprintf(r.code, sizeof r.code, "F%04d%02d", t % kRoutes, s);
  std::snprintf(r.name, sizeof r.name, "Fermata %d della linea %d", s, t % kRoutes);
  std::snprintf(r.place, sizeof r.place, "Via Città di Lucca %d", s * 3);
  const int start = 300 + (t * 7) % 900;
  r.arrives = s == 1 ? 9999 : Hhmm(start + 2 * s);
  r.leaves = s == kStopsPerTrip ? 9999 : Hhmm(start + 2 * s + 1);
  return r;
}

}  // namespace bench
