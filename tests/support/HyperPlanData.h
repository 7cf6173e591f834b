#pragma once
// The hand-made timetables of the HyperPlan route-code and MTram day-type tests, shared by the
// engine tests and the command tests: trips grouped into quadri by hand, with the descriptor of
// tests/data/conversions that names some of their stop sequences; day types to merge.

#include "support/TimetableData.h"

#include <string>

// The stops of trip `id`, one a position from 1: codes separated by commas.
inline std::string TripStopsSql(int id, const std::string& codes) {
  std::string sql;
  int sub = 0;
  std::size_t start = 0;
  while (start <= codes.size() && !codes.empty()) {
    std::size_t end = codes.find(',', start);
    if (end == std::string::npos) end = codes.size();
    sql +=
        "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
        " reglocal) VALUES (" +
        std::to_string(id) + ", " + std::to_string(++sub) + ", '" + codes.substr(start, end - start) +
        "', 'Fermata', NULL, 0, 700, 701, 0, 0, 0, 0);";
    start = end + 1;
  }
  return sql;
}

// Trips 1-10 in their quadri. The descriptor (percorsi_hyperplan.txt) gives R1 A1 B2 C3, R3 A1 B2
// X9, R4 D4 E5 without "#F", R5B and then R5A both F6 G7, R6 H8 I9 on a last line without its end.
inline void MakeRouteCodeDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  RunSql(path, TripHeadSql(1, 1, 700) + TripStopsSql(1, "A1,B2,C3") +  // quadro 1: R1
                   TripHeadSql(2, 1, 800) + TripStopsSql(2, "A1,B2,C3") + TripHeadSql(3, 2, 700) +
                   TripStopsSql(3, "A1,C3,B2") +                        // another order
                   TripHeadSql(4, 3, 700) + TripStopsSql(4, "A1,X9") +  // two stops at position 2
                   TripHeadSql(5, 3, 800) + TripStopsSql(5, "A1,B2") + TripHeadSql(6, 4, 700) +
                   TripStopsSql(6, "D4,E5") +                               // the descriptor lacks "#F"
                   TripHeadSql(7, 5, 700) + TripStopsSql(7, "F6,G7") +      // two routes: the first stands
                   TripHeadSql(8, -1, 700) + TripStopsSql(8, "A1,B2,C3") +  // in no quadro
                   TripHeadSql(9, 12, 700) +                                // a quadro without stops
                   TripHeadSql(10, 6, 700) + TripStopsSql(10, "H8,I9"));    // the last line
}

// What the descriptor gives the trips of MakeRouteCodeDatabase.
inline const char* const kAssignedRouteCodes =
    "1|R1\n2|R1\n3|GRUPPO_2\n4|R3\n5|R3\n6|GRUPPO_4\n7|R5B\n8|GRUPPO_-1\n9|GRUPPO_12\n10|R6\n";

// Day types A1 and A2 of one name and dates, A3 of those dates under another name, B'1 equal to
// A1, C1 with periods and no calendar row; a period of trips 1-5 on each.
inline void MakeMTramDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  std::string sql =
      "INSERT INTO cadenz (codice, denom) VALUES ('A1', 'Feriale'), ('A2', 'Feriale'),"
      " ('A3', 'Festivo'), ('B''1', 'Feriale'), ('C1', 'Feriale');";
  for (const char* code : {"A1", "A2", "A3", "B''1"})
    for (const char* date : {"2024-01-02", "2024-01-03", "2024-02-10"})
      sql += std::string("INSERT INTO calend (data, caden, giorno, note) VALUES ('") + date + "', '" + code +
             "', '2', 'x');";
  int id = 0;
  for (const char* code : {"A1", "A2", "A3", "B''1", "C1"}) {
    ++id;
    sql += TripHeadSql(id, 1, 700) + "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" +
           std::to_string(id) + ", '" + code + "', '2024-01-01', '2024-03-31', 0);";
  }
  RunSql(path, sql);
}

inline const char* const kMergedPeriods = "1|A1\n2|A1\n3|A3\n4|A1\n5|C1\n";
inline const char* const kMergedCalendar =
    "2024-01-02|A1\n2024-01-02|A3\n2024-01-03|A1\n2024-01-03|A3\n2024-02-10|A1\n2024-02-10|A3\n";
inline const char* const kMergedDayTypes = "A1|Feriale\nA3|Festivo\nC1|Feriale\n";
