#pragma once
// The shape of timetable data that came from a MicroBus-IVU export: every period a single day
// (start and end the same date) of the day type "UNICA", none excluded. Both the normalisation of
// the communication and the cadence rebuilding run only on data of that shape.

#include "common/Outcome.h"

#include <cstdint>
#include <functional>
#include <string>

class DbDatabase;

// One period row against the rules: `caden` without trailing blanks, the two dates as display
// texts, `escluso` as read.
bool IsMicroBusPeriod(const std::string& caden, const std::string& inizio, const std::string& fine, int escluso);

// Every period row of the database keeps the rules (a database without periods does).
bool HasMicroBusShape(DbDatabase* db);
// The same as an outcome: ok, or not with the refusal of data of another shape, or of a period's
// value that is not of its column's kind (stop icon).
Outcome CheckMicroBusShape(DbDatabase* db);

// The period rows in the order of trip and start, each handed to `take(trip, start)` (the start as
// its display text) while they keep the rules: Walked when all did, NotMicroBus at the first that
// does not, Refused at a value that is not of its column's kind (`refusal` names the trip and the
// field: nothing is to be changed), Failed when the selection cannot be walked.
enum class MicroBusPeriodWalk { Walked, NotMicroBus, Refused, Failed };
MicroBusPeriodWalk WalkMicroBusPeriods(DbDatabase* db,
                                       const std::function<void(std::int32_t, const std::string&)>& take,
                                       std::string& refusal);

// The refusal of data of another shape.
std::string MicroBusShapeRefusalText();
