#pragma once
// Timetables for the IVU-InfoPool export's tests, built row by row as SQL on a seeded database:
// the master row, trips, their stops, periods and the service calendar. Dates are written
// year-month-day, as the database keeps them.

#include "conversions/ivu/IvuExport.h"
#include "db/DbDatabase.h"
#include "support/TimetableData.h"

#include <functional>
#include <string>

struct IvuTimetable {
  std::string sql;

  // The master row: the working company and the version's first and last day.
  IvuTimetable& Master(int company, const std::string& from, const std::string& to) {
    sql += "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) VALUES (0, " +
           std::to_string(company) + ", '" + from + "', '" + to + "', 0, 0);";
    return *this;
  }
  IvuTimetable& Company(int code, const std::string& name) {
    sql += "INSERT OR REPLACE INTO regazi (codice, denom) VALUES (" + std::to_string(code) + ", '" + name + "');";
    return *this;
  }
  IvuTimetable& NoCompany(int code) {
    sql += "DELETE FROM regazi WHERE codice = " + std::to_string(code) + ";";
    return *this;
  }
  // Trip `id` of `line` with the direction `verso` and the trip code `code` ("C<id>" when empty).
  IvuTimetable& Trip(int id, const std::string& line, const std::string& verso, std::string code = {}) {
    if (code.empty()) code = "C" + std::to_string(id);
    sql +=
        "INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom, ente,"
        " contratt, ct_lung, ct_tempo) VALUES (" +
        std::to_string(id) + ", 0, 'P', '" + code + "', '" + line + "', '" + verso +
        "', 0, 0, 0, 0, 'Corsa', 1, 1, 0, 0);";
    return *this;
  }
  // Stop `sub` of trip `id`: stop code, distance from the first stop, arrival and departure (HHMM);
  // the stop's name is "Fermata <code>" unless given, its location `location` (NULL when empty).
  IvuTimetable& Stop(int id, int sub, const std::string& code, int dist, int arrival, int departure,
                     std::string name = {}, const std::string& location = {}) {
    if (name.empty()) name = "Fermata " + code;
    sql +=
        "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
        " reglocal) VALUES (" +
        std::to_string(id) + ", " + std::to_string(sub) + ", '" + code + "', '" + name + "', " +
        (location.empty() ? std::string("NULL") : "'" + location + "'") + ", " + std::to_string(dist) + ", " +
        std::to_string(arrival) + ", " + std::to_string(departure) + ", 0, 0, 0, 0);";
    return *this;
  }
  // The three stops A, B and C at 0, 4.2 and 9 km; the trip leaves A at `departure` (HHMM), reaches
  // B 10 minutes later, stays `dwell` minutes and reaches C 30 minutes after leaving A.
  IvuTimetable& ThreeStops(int id, int departure, int dwell = 2) {
    const auto at = [departure](int minutes) {
      const int m = (departure / 100 * 60 + departure % 100 + minutes) % 1440;
      return m / 60 * 100 + m % 60;
    };
    return Stop(id, 1, "A", 0, 9999, departure)
        .Stop(id, 2, "B", 4200, at(10), at(10 + dwell))
        .Stop(id, 3, "C", 9000, at(30), 9999);
  }
  IvuTimetable& Period(int id, const std::string& dayType, const std::string& from, const std::string& to,
                       bool excluded = false) {
    sql += "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + std::to_string(id) + ", '" + dayType +
           "', '" + from + "', '" + to + "', " + (excluded ? "1" : "0") + ");";
    return *this;
  }
  // The day type `dayType` runs on every day from `from` to `to`.
  IvuTimetable& Days(const std::string& dayType, const std::string& from, const std::string& to) {
    sql += "WITH RECURSIVE d(x) AS (SELECT '" + from + "' UNION ALL SELECT date(x, '+1 day') FROM d WHERE x < '" + to +
           "') INSERT INTO calend (data, caden, giorno, note) SELECT x, '" + dayType + "', '1', 'x' FROM d;";
    return *this;
  }

  // The database at `path`: the seeded one with these rows.
  void Make(const std::string& path) const {
    CopySeededDatabase(path);
    RunSql(path, "BEGIN;" + sql + "COMMIT;");
  }
};

// The export of the database at `path` written into `folder` with the options `o` (`prepare`
// changes what was read before it is written); the test fails when either step does.
inline void ExportIvuSet(const std::string& path, const std::string& folder, const ivu::IvuExportOptions& o,
                         const std::function<void(ivu::IvuExportData&)>& prepare = {}) {
  ivu::IvuExportData data;
  {
    DbDatabase db(path);
    const Outcome loaded = ivu::LoadIvuExport(&db, data, nullptr);
    ASSERT_TRUE(loaded.ok) << loaded.Texts();
  }
  if (prepare) prepare(data);
  const ivu::IvuExportWriting w = ivu::WriteIvuExport(data, o, folder, nullptr);
  ASSERT_TRUE(w.ok) << w.failedPath;
  EXPECT_EQ(w.files, static_cast<long>(data.lines.size()) * 2 + 9);  // dateien.asc included
}

// The options of the tests: Sigla ABC, the version and its description, the mode.
inline ivu::IvuExportOptions IvuOptions(long version, const std::string& description, const std::string& mode = "BUS") {
  ivu::IvuExportOptions o;
  o.sigla = "ABC";
  o.version = version;
  o.description = description;
  o.mode = mode;
  return o;
}
