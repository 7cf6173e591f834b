#pragma once
// The rebuilding of the day types of a timetable that came from MTram: day types of one name and
// exactly the same calendar dates are merged into the first of them in code order, which takes
// over the others' validity periods; the others are deleted with their calendar rows. A day type
// without calendar rows is neither kept over others nor merged. Every change is made in one batch
// transaction, each condition with its code bound as a value, as stored: a run that does not reach
// its end leaves the database as it was, a step the database refuses is told by the layer and
// skipped.

#include "common/Outcome.h"
#include "db/DbSelect.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

// A day type as loaded: code and name without trailing blanks, each with its stored text when it
// lost a character Windows-1252 lacks (two codes or names read alike stay apart), its dates
// ("%02d/%02d/%04d") in date order, and the index of the day type it is merged into (-1: kept).
struct MTramCadence {
  DbText code;
  DbText name;
  std::vector<std::string> dates;
  int keeper = -1;
};

// The day types with calendar rows, in code order, with their dates; none, with `refusal`, at a value
// read that is not of its column's kind (StoredValues), when nothing is to be changed.
std::vector<MTramCadence> LoadMTramCadences(DbDatabase* db, std::string& refusal);
// Marks each day type equal (name and dates) to an earlier kept one as merged into it.
void MarkDuplicateCadences(std::vector<MTramCadence>& cadences);

// Ok: the batch is in the database, told as done. Not ok: nothing of it is (the counts are 0),
// told with the stop icon.
struct CadenceRebuildResult : Outcome {
  int merged = 0;   // day types merged into another
  int periods = 0;  // periods moved
  int dates = 0;    // calendar rows deleted
};

CadenceRebuildResult RebuildMTramCadences(DbDatabase* db, WorkProgress* progress);

// The closing message.
std::string CadenceRebuildDoneText();
