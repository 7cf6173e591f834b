#pragma once
// The timetable of the contract and days-of-operation checks and of the contract export: a working
// period of the whole of 2024 whose calendar gives day type FER to its first 250 dates (01/01 to
// 06/09) and SAB to its Saturdays, and trips chosen for what each shows:
//   ente 1 "Regione Toscana", contract 10, line L1 A:
//     1  FER over the year: 250 days, ct_lung 12500, ct_tempo 35
//     2  the same with FER 01/02-10/02 excluded: 240 days
//     3  FER 01/03-10/03 and a period of 2025, outside the working period: 10 days
//   contract 10, line L2 A:
//     4  one day of 5 contractual minutes
//   contract 11, line L1 A (the same line under a second contract):
//     5  FER 01/01-31/01 and 15/01-15/02, overlapping: 46 days; an unknown transport mode 'Q'
//   contract 12, line L3 A:
//    10  only a period of 2025: 0 days
//   ente 5 "Città Metropolitana di Firenze", contract 3, line L1 A:
//     9  FER in June: 30 days
//   ente 9999, not in `regent`, contract 1, line L1 A then L1 R:
//     6  only an excluded period: 0 days; ct_lung 0
//     7  SAB over the year, 13/01 excluded: 51 Saturdays
//   8  a trip without periods.

#include "support/TimetableData.h"

#include <string>

// The SQL that makes a timetable database (MakeTimetableDatabase) this timetable.
inline std::string ContractTimetableSql() {
  std::string sql =
      "UPDATE master SET datini = '2024-01-01', datfin = '2024-12-31';"
      "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('SAB', 'Sabato');"
      "WITH RECURSIVE d(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM d WHERE n < 365)"
      " INSERT INTO calend (data, caden, giorno, note)"
      " SELECT date('2024-01-01', '+' || n || ' day'), 'FER',"
      " (CAST(strftime('%w', date('2024-01-01', '+' || n || ' day')) AS INTEGER) + 6) % 7 + 1, ' ' FROM d"
      " WHERE n < 250;"
      "WITH RECURSIVE d(n) AS (SELECT 5 UNION ALL SELECT n + 7 FROM d WHERE n + 7 < 366)"
      " INSERT INTO calend (data, caden, giorno, note) SELECT date('2024-01-01', '+' || n || ' day'), 'SAB', 6, ' '"
      " FROM d;";
  struct Trip {
    int id, ente, contract;
    const char* line;
    const char* direction;
    int departure, length, minutes, contractLength, contractMinutes;
    const char* mode;
  };
  const Trip trips[] = {
      {1, 1, 10, "L1", "A", 730, 13000, 40, 12500, 35, "X"},  {2, 1, 10, "L1", "A", 800, 13000, 40, 12500, 35, "U"},
      {3, 1, 10, "L1", "A", 900, 5000, 95, 5000, 95, "W"},    {4, 1, 10, "L2", "A", 1000, 1000, 5, 1000, 5, "T"},
      {5, 1, 11, "L1", "A", 700, 2000, 20, 2000, 20, "Q"},    {6, 9999, 1, "L1", "A", 600, 2500, 30, 0, 30, "F"},
      {7, 9999, 1, "L1", "R", 1200, 3000, 60, 3000, 60, "N"}, {8, 1, 10, "L1", "A", 1300, 1000, 10, 1000, 10, "X"},
      {9, 5, 3, "L1", "A", 1300, 6000, 50, 6000, 50, "U"},    {10, 1, 12, "L3", "A", 1100, 4000, 30, 4000, 30, "U"},
  };
  for (const Trip& t : trips) {
    const std::string n = std::to_string(t.id);
    sql +=
        "INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom, ente,"
        " contratt, ct_lung, ct_tempo, mezzo) VALUES (" +
        n + ", 0, 'P" + n + "', 'C" + n + "  ', '" + t.line + " ', '" + t.direction + "', " +
        std::to_string(t.departure) + ", 2359, " + std::to_string(t.length) + ", " + std::to_string(t.minutes) +
        ", 'Corsa " + n + "', " + std::to_string(t.ente) + ", " + std::to_string(t.contract) + ", " +
        std::to_string(t.contractLength) + ", " + std::to_string(t.contractMinutes) + ", '" + t.mode + "');";
  }
  sql +=
      "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES"
      " (1, 'FER', '2024-01-01', '2024-12-31', 0),"
      " (2, 'FER', '2024-01-01', '2024-12-31', 0), (2, 'FER', '2024-02-01', '2024-02-10', 1),"
      " (3, 'FER', '2024-03-01', '2024-03-10', 0), (3, 'FER', '2025-01-01', '2025-12-31', 0),"
      " (4, 'FER', '2024-01-05', '2024-01-05', 0),"
      " (5, 'FER', '2024-01-01', '2024-01-31', 0), (5, 'FER', '2024-01-15', '2024-02-15', 0),"
      " (6, 'FER', '2024-01-01', '2024-01-10', 1),"
      " (7, 'SAB', '2024-01-01', '2024-12-31', 0), (7, 'SAB', '2024-01-13', '2024-01-13', 1),"
      " (9, 'FER', '2024-06-01', '2024-06-30', 0),"
      " (10, 'FER', '2025-01-01', '2025-01-31', 0);";
  return sql;
}
