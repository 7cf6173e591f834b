#pragma once
// The transport-mode letter (`tescor.mezzo`: U, X, W, F, T, N) of many trips at once: of every
// trip, of the trips of one line or of one granting authority, in one batch transaction.

#include "db/DbSelect.h"
#include "utilities/RowBatch.h"

#include <string>

class DbDatabase;
class WorkProgress;

struct ModeScope {
  enum class Kind { Company, Line, Authority } kind = Kind::Company;
  DbText line;        // Line: the code without trailing blanks (as stored when it lost a character)
  int authority = 0;  // Authority: its code
};

AssignmentResult AssignTransportMode(DbDatabase* db, const ModeScope& scope, char letter, WorkProgress* progress);

// "Risultati dell'assegnazione del mezzo di trasporto.\n", the scope's paragraph and the counts.
std::string TransportModeResultText(const ModeScope& scope, const AssignmentResult& r);
// The stop message of an authority text that names no authority of the list.
std::string TransportModeAuthorityRefusal();
