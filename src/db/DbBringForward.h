#pragma once
// A file written by the builds before each column of the program's tables was held to its kind
// (KindRuleSql) is brought to the builder's definitions when it is opened, without a question:
// whole or not at all, every row kept, or the file left as it was with a refusal that names the
// value the new definitions do not take.

#include "common/WorkProgress.h"

#include <string>

struct sqlite3;

// The caption of the pass while the tables are brought forward (the status band's words).
inline constexpr const char* kBringForwardCaption = "Aggiornamento del database alla versione attuale del programma";
// The last paragraph of a bring-forward stopped by anything but a value it names (a full disk, a
// failing disk): nothing of it was kept.
inline constexpr const char* kLeftAsItWas = "Il database non è stato aperto e il file è rimasto com'era.";

// Brings every program table that the file holds as an earlier build wrote it
// (SchemaFindings::earlier) to the builder's definition, all in one transaction: each table is
// made again from the builder's definition under a scratch name, every row copied into it (a date
// column's text with a time of day as its date, BroughtForwardDateSql), the old table dropped, the
// new one given its name and the builder's indexes made on it again; then the relations are checked
// (CheckRelations) and the whole is committed. The relations are not enforced meanwhile: the caller
// opens the file with them off, as the engine opens it, and turns them on after (the setting cannot
// change inside a transaction). The file keeps its own journal mode; a kill half-way leaves the
// earlier file, as the engine's journal brings it back. A file without such a table is not written.
// False with the file as it was and, in `error` (Windows-1252), the refusal that names table, row,
// field and value (RuleBreachRefusal), or two rows and the value that gives them one key once
// brought forward (a date with a time of day beside the same date without it); otherwise the
// relations' fault or the engine's reason (a full disk), followed by kLeftAsItWas.
// `progress` (may be null) is told the pass (kBringForwardCaption) when there is a table to bring
// forward, a step at each table, and its end: the work is long on a large file.
bool BringDefinitionsForward(sqlite3* db, std::string& error, WorkProgress* progress = nullptr);

// Whether the file holds a table that its open brings forward (SchemaFindings::earlier); false
// when its schema cannot be read (the open then says why).
bool HoldsEarlierTables(sqlite3* db);
