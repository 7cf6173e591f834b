#pragma once
// The fixes of trip values of the "&Utilità" menu: times and running time from the stop times,
// lengths from the progressive distances, the chains between trips, stop times given only on one
// side, and the contract length and time made equal to the real ones. Each writes its rows in one
// batch transaction (a run killed half way leaves every row as it was); a row the database
// refuses is skipped and not counted.

#include "utilities/RowBatch.h"

#include <string>

class DbDatabase;
class WorkProgress;

// The first stop's arrival and the last stop's departure become 9999; each trip head gets its
// departure, arrival and running time (also as contract time). A stop time of 9999 or below 0 is
// no time: it moves nothing, and the next time is measured from the last one there. A trip of one
// stop keeps that stop's times; its head takes the stop's time (departure, else arrival) both as
// departure and arrival, and a running time of 0. `updated`: the heads written.
AssignmentResult FixTripTimes(DbDatabase* db, WorkProgress* progress);
// Each trip's length and contract length from the distance of its last stop row.
AssignmentResult FixRouteLengths(DbDatabase* db, WorkProgress* progress);
// Each trip's previous and next trips made to name it back, the chains read as they stood at the
// start; `updated`: the corrections.
AssignmentResult FixTripChaining(DbDatabase* db, WorkProgress* progress);
// A stop with one time below 1 and the other a time (neither 9999) takes the other for both.
AssignmentResult FixHalfTransitTimes(DbDatabase* db, WorkProgress* progress);
// Each trip's contract length and time made equal to its length and running time.
AssignmentResult AlignContractLengthsAndTimes(DbDatabase* db, WorkProgress* progress);

// Minutes from midnight of a time HHMM.
inline int Minutes(int hhmm) { return (hhmm / 100) * 60 + hhmm % 100; }

std::string TripTimesQuestion();
std::string RouteLengthsQuestion();
std::string HalfTransitTimesQuestion();
std::string ContractValuesQuestion();
// "Sistemate %d corse." (5139 and 5159).
std::string FixedTripsResultText(const AssignmentResult& r);
std::string TripChainingResultText(const AssignmentResult& r);
std::string HalfTransitTimesResultText(const AssignmentResult& r);
std::string ContractValuesResultText(const AssignmentResult& r);
