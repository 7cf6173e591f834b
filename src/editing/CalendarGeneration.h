#pragma once
// Generation of the service calendar: one day type given to, or taken from, every date of a range
// that falls on one of the chosen weekdays. Holidays get no treatment of their own: the editor
// shows their names and the user adjusts those dates by hand. The rows are written in the
// editor's transaction and the editor's rows are marked at once.

#include "common/Outcome.h"
#include "db/DbSelect.h"

#include <QDate>
#include <array>
#include <string>

class CalendarRows;
class WorkProgress;

struct CalendarGeneration {
  enum class Operation { Add, Remove };

  DbText cadence;  // the code as the user gave it; as stored, one chosen from a list that lost a character
  QDate first;     // both ends included
  QDate last;
  std::array<bool, 7> weekdays{};  // Monday .. Sunday
  Operation operation = Operation::Add;
};

// Not `ok`: nothing was done, and the stop message says why.
struct GenerationResult : Outcome {
  int written = 0;  // calendar rows added or deleted
};

// Adds the day type on every chosen weekday of the range that does not have it yet (existing
// rows keep their notes), or deletes it from every chosen weekday of the range. A day type that
// is not in `cadenz` is refused once, before anything is written. A first date after the last
// does nothing. Progress, when given, is reported as the dates go by.
GenerationResult RunCalendarGeneration(CalendarRows& rows, const CalendarGeneration& options,
                                       WorkProgress* progress = nullptr);
