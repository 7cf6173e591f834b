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

}  // namespace bench
