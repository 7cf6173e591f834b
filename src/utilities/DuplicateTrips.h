#pragma once
// Duplicate trips ("&Utilità" > "Sistemazione Corse &Doppie"): trips whose heads are equal in
// every value and that run on one day in common. Each such copy is listed in the CORSE_DOPPIE
// report and then moved one minute later, in its head and in its stop times, so that no two trips
// stay identical on a day of service.

#include "common/Clock.h"
#include "common/Outcome.h"
#include "utilities/TripDays.h"

#include <cstdint>
#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

struct DuplicateTripEntry {
  std::int32_t id = 0;
  TripDays days;
  std::int32_t duplicateOf = -1;  // the id of the earlier trip it copies; -1 when it copies none
};

// The head values shared by the trips of one group, texts without their trailing blanks.
struct TripHeadGroup {
  std::string codcorsa, codlinea;
  char verso = 0;  // the first character of the direction; 0 when there is none
  std::int32_t parte = 0, arriva = 0, ente = 0, lung = 0, tempo = 0, ct_lung = 0, ct_tempo = 0;
  std::string codperc, denom;
  std::int32_t gruppo = 0;
  // The keys (db/TextKeys) of those above that lost a character Windows-1252 lacks (read as '?'),
  // each after its column's number: "Ł1" and "Ś1" both read "?1" and are two codes.
  std::string stored;
  std::vector<DuplicateTripEntry> trips;  // by id

  // The thirteen values equal, texts byte for byte as stored and numbers by value.
  bool SameHead(const TripHeadGroup& other) const;
};

// `ok` when every selection was read whole (else the layer has said why, no trip is marked, and
// nothing must be changed); read whole and without copies, it holds the information that says so.
// A value read that its column cannot hold stops the reading there: `refused`, the set holds the
// message that names it, and nothing must be changed.
struct DuplicateTripSet : Outcome {
  bool refused = false;
  // The groups in the order of their heads (the order of the trip heads by every head value).
  std::vector<TripHeadGroup> groups;
  int tripsRead = 0;
  std::string firstDate;  // the calendar's first date "GG/MM/AAAA"; empty without a calendar
  int dayCount = 0;       // the days from the calendar's first date to its last

  // The trip of an id, or null.
  DuplicateTripEntry* FindTripEntry(std::int32_t id);
  // The number of trips marked as copies.
  int Duplicates() const;
  // The ids of the trips marked as copies, in the order of the report.
  std::vector<std::int32_t> MarkedIds() const;

  // The trips by id, for FindTripEntry: (id, group, position in the group).
  struct IndexEntry {
    std::int32_t id;
    std::uint32_t group, position;
  };
  std::vector<IndexEntry> index;
};

// Reads the heads, the calendar and the periods and marks the copies: in each group every later
// trip that shares a running day with an earlier one copies the last such trip before it (the
// first trip of a group is never a copy).
DuplicateTripSet FindDuplicateTrips(DbDatabase* db, WorkProgress* progress);

// The report's text, lines ending in CR LF: the framed heading with the moment and the database,
// then one numbered line per copy.
std::string DuplicateTripReportText(const DuplicateTripSet& set, const std::string& databasePath, const ClockTime& now);
// Writes that report to `path` whole or not at all; not written, the outcome holds "Impossibile
// creare" with the path.
Outcome WriteDuplicateTripReport(const std::string& path, const DuplicateTripSet& set, const std::string& databasePath,
                                 const ClockTime& now);

// `ok`: the batch is in the database (when not, nothing of it is and the counts are 0).
struct DuplicateShiftResult : Outcome {
  int trips = 0;         // heads written
  int rows = 0;          // stop rows written
  bool changed = false;  // the copies found again in the batch were not the set's: nothing moved
  // A value read that its column cannot hold: the message that names it; nothing moved.
  std::string refusal;
};

// Moves every copy one minute later, its head and its stop times, in one batch transaction; a
// row the database refuses is skipped and not counted. The result holds the result text, or the
// stop message of a batch the database did not take, or, when the copies found again in the
// batch are not the set's, kDuplicateTripsChangedText, or the refusal of a value read that its
// column cannot hold.
DuplicateShiftResult ShiftDuplicateTrips(DbDatabase* db, const DuplicateTripSet& set, WorkProgress* progress);

// One minute later, wrapping at midnight (2359 gives 0); a time that is no time (9999, or a
// negative one) stays as it is.
int OneMinuteLater(int hhmm);

// The texts of the command: no copy found, the title and default name of the report, the result.
extern const char* const kNoDuplicateTripsText;  // "Non è stata identificata nessuna corsa doppia"
extern const char* const kDuplicateTripsChangedText;
extern const char* const kDuplicateReportTitle;  // "Report Corse Doppie"
extern const char* const kDuplicateReportName;   // "CORSE_DOPPIE"
std::string DuplicateShiftResultText(const DuplicateShiftResult& result);
