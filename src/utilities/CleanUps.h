#pragma once
// The clean-ups of the "&Pulizie" menu: codes that the operator supplied emptied in every row,
// the trips that never run deleted with their stops, and one stop deleted from every timetable
// unless it is a terminus somewhere in the quadri that use it. Each runs in one batch transaction
// (utilities/RowBatch.h): a run killed half way leaves every row as it was. Each result holds its
// message: the result text below, or the stop message of a batch the database did not take.

#include "db/DbSelect.h"
#include "utilities/RowBatch.h"

#include <string>

class DbDatabase;
class WorkProgress;

// The four codes that a clean-up empties.
enum class CleanUp {
  TripCodes,      // `tescor.codcorsa` := one blank
  RouteCodes,     // `tescor.codperc` := NULL
  StopCodes,      // `detcor.fermata` := NULL
  StopLocations,  // `detcor.ubicaz` := NULL
};

AssignmentResult ClearCodes(DbDatabase* db, CleanUp which, WorkProgress* progress);
std::string CleanUpQuestion(CleanUp which);
std::string CleanUpResultText(CleanUp which, const AssignmentResult& r);

// Deletes every trip without a period row (whatever its dates, day type or exclusion) with its
// stop rows, and the stop rows of no trip; `updated` counts the trip heads deleted.
AssignmentResult DeleteTripsWithoutPeriod(DbDatabase* db, WorkProgress* progress);
std::string PeriodlessTripsQuestion();
std::string PeriodlessTripsResultText(const AssignmentResult& r);

// The stop `code` deleted from every trip, or refused when it is the first or the last stop of
// some trip of a quadro that uses it (then nothing is deleted, and the result holds the stop
// message of a terminus). The counts are the rows of the stop read and deleted. A code that lost a
// character Windows-1252 lacks is searched as stored.
struct StopDeletion : AssignmentResult {
  bool terminus = false;
};
StopDeletion DeleteStop(DbDatabase* db, const DbText& code, WorkProgress* progress);
std::string TerminusStopText();
std::string StopDeletionResultText(const AssignmentResult& r);
