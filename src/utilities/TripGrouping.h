#pragma once
// Grouping of homogeneous trips ("&Utilità" > "&Raggruppamento Corse Omogenee", also the last
// step of the whole import): trips that run over an identical stop sequence get one common
// quadro number (`tescor.gruppo`), so that they can be edited together as one quadro timetable.

#include "common/Outcome.h"

#include <cstdint>
#include <string>

class DbDatabase;
class WorkProgress;

struct GroupStop {
  std::int16_t sub = 0;
  std::string fermata, denom, ubicaz;  // trailing blanks removed
  std::int32_t dist = 0;
  std::int32_t primaria = 0, facolt = 0, nonferma = 0;  // 0 or 1
};

// `ok`: every number is in the database, each write and the commit succeeded. When one fails, the
// grouping stops there and nothing of it is kept (the database layer has said why, and the result
// holds the stop message of a grouping not stored); once stored, it holds the result text.
struct GroupingResult : Outcome {
  bool masterFound = false;  // when not, the result holds the stop message of a missing `master` row
  // A stop value its column cannot hold: the message that names it, the result's one message.
  std::string refusal;
  int tripsRead = 0;
  int quadri = 0;
};

// The work without any window: reads `detcor` in order, numbers the groups from 1 in the order of
// each group's lowest trip id (every trip, also one alone, gets a number; the trips without
// stops keep theirs), writes `tescor.gruppo` and the next free number into `master.gruppo`, all
// in one batch transaction. Nothing is written when the `master` row is missing. The stops are
// read as the walk goes: only the first trip of each group keeps its stops in memory, to compare
// the later trips with.
GroupingResult GroupTrips(DbDatabase* db, WorkProgress* progress);

// Whether the `master` row is there: without it the grouping does not start.
bool GroupingMasterExists(DbDatabase* db);
// The same as an outcome: `ok` when the row is there, else the stop message of a missing one.
Outcome GroupingCanStart(DbDatabase* db);

// The texts of the command: its question, the stop message of a missing `master` row, the
// result, and the stop message of a grouping that could not be stored.
std::string GroupingQuestion();
std::string GroupingMissingMasterText();
std::string GroupingResultText(const GroupingResult& result);
std::string GroupingNotStoredText();
