#pragma once
// The timetable of the Olvi files' tests, company 17: route P1 "Linea Uno" run by two trips of
// 5,000 m with the same stops and one of 4,800 m with a stop of its own; route A0 whose stop name
// holds an accented letter; route P2 with no stop rows; a stop name written with trailing blanks
// in one trip. FERMATE_OLVI.TXT and PERCORSI_OLVI.TXT of tests/data/exchange are its files,
// made by hand.

#include <string>

inline std::string OlviStopSql(int id, int sub, const std::string& code, const std::string& name,
                               const std::string& place, int distance) {
  return "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
         "reglocal) VALUES (" +
         std::to_string(id) + ", " + std::to_string(sub) + ", " + code + ", " + name + ", " + place + ", " +
         std::to_string(distance) + ", 9999, 9999, 0, 0, 0, 0);";
}

inline std::string OlviTripSql(int id, const std::string& route, const std::string& name, int length) {
  const std::string n = std::to_string(id);
  return "INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom, ente,"
         " contratt, ct_lung, ct_tempo) VALUES (" +
         n + ", 0, " + route + ", 'C" + n + "', 'L1', 'A', 700, 800, " + std::to_string(length) + ", 40, " + name +
         ", 1, 2, 0, 0);";
}

inline std::string OlviTimetableSql() {
  return OlviTripSql(1, "'P1'", "'Linea Uno'", 5000) + OlviStopSql(1, 1, "'F1'", "'Piazza Grande'", "'Centro'", 0) +
         OlviStopSql(1, 2, "'F2'", "'Stazione'", "NULL", 800) +  //
         OlviTripSql(2, "'P1'", "'Linea Uno'", 5000) + OlviStopSql(2, 1, "'F1'", "'Piazza Grande'", "'Centro'", 0) +
         OlviStopSql(2, 2, "'F2'", "'Stazione   '", "NULL", 800) +  //
         OlviTripSql(3, "'P1'", "'Linea Uno'", 4800) + OlviStopSql(3, 1, "'F1'", "'Piazza Grande'", "'Centro'", 0) +
         OlviStopSql(3, 2, "'F3'", "'Ospedale'", "'Via Roma 3'", 700) +  //
         OlviTripSql(4, "'P2'", "'Linea Due'", 3000) +                   //
         OlviTripSql(5, "'A0'", "'Linea Zero'", 1200) + OlviStopSql(5, 1, "'F10'", "'Città'", "'Viale'", 0);
}

// The stop rows of the timetable.
constexpr int kOlviStopRows = 7;
