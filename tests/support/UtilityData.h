#pragma once
// The hand-made timetable of the batch utilities' tests: the SQL script and the expected report
// under tests/data/utilities, shared by the engine tests and the command tests.

#include "support/TimetableData.h"

#include <QString>

// A file of tests/data/utilities.
inline std::string UtilityDataFile(const std::string& name) { return TestDataDir() + "/utilities/" + name; }

// A timetable database at `path` with the trips of the duplicate-trip script.
inline void MakeDuplicateTripsDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  // The script is UTF-8; RunSql takes the program's code page.
  RunSql(path, cp1252::FromQStringLossy(QString::fromUtf8(FileBytes(UtilityDataFile("corse_doppie.sql")))));
}

// The expected CORSE_DOPPIE report for a database at `databasePath`.
inline std::string ExpectedDuplicateReport(const std::string& databasePath) {
  std::string text = FileBytes(UtilityDataFile("CORSE_DOPPIE.TXT"));
  const std::string mark = "@DATABASE@";
  const size_t at = text.find(mark);
  if (at != std::string::npos) text.replace(at, mark.size(), databasePath);
  return text;
}

// The times of a database's trips: "id|parte|arriva" per head, then "id|sub|arriva|parte" per stop.
inline std::string TripTimes(const std::string& path) {
  return QueryFile(path, "SELECT id, parte, arriva FROM tescor ORDER BY id") + "--\n" +
         QueryFile(path, "SELECT id, sub, arriva, parte FROM detcor ORDER BY id, sub");
}

// The trips of the normalisation script added to the timetable database at `path`, and a new
// database with them.
inline void FillNormalisationDatabase(const std::string& path) {
  RunSql(path, cp1252::FromQStringLossy(QString::fromUtf8(FileBytes(UtilityDataFile("normalizzazioni.sql")))));
}
inline void MakeNormalisationDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  FillNormalisationDatabase(path);
}

// The one message of a run stopped at a value of another kind than its column's: the row, the
// field with its value (as SQL writes it), what it is and what its column wants, and what was not
// done (the changes of a utility unless said).
inline std::string StoppedAtValue(const std::string& row, const std::string& field, const std::string& value,
                                  const std::string& is, const std::string& wanted = "un numero intero",
                                  bool check = false) {
  return "ATTENZIONE: " + row + ":\nil campo " + field + " vale " + value + ",\nche è " + is + " e non " + wanted +
         " come richiede la sua colonna.\n\n" +
         (check ? "Il prospetto non è stato preparato: correggere il dato prima di ripeterlo."
                : "Nessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.");
}
