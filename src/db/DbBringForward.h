#pragma once
// A file written by the builds before each column of the program's tables was held to its kind
// (KindRuleSql) is brought to the builder's definitions when it is opened, without a question:
// whole or not at all, every row kept, or the file left as it was with a refusal that names the
// value the new definitions do not take.

#include <string>

struct sqlite3;

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
// field and value (RuleBreachRefusal), the relations' fault, or the engine's reason.
bool BringDefinitionsForward(sqlite3* db, std::string& error);
