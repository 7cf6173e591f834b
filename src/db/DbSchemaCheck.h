#pragma once
// Whether a database file holds the tables and fields that its data dictionary describes. A file
// whose table lost a field would otherwise take rows without it and report success.

#include "db/StoredValueRefusal.h"

#include <string>
#include <string_view>
#include <vector>

struct sqlite3;

// Checks, on an open connection, that the file holds every table the builder makes (the
// dictionary's seven, the timetable's nine with their fields), whatever its dictionary lists, and
// every other table named in `tavole` with the fields `campi` describes; and that the rows of
// `tavole` and `campi` for the nine are those the builder writes (names compared as the engine
// compares them, the other columns exactly): a row missing, changed or there twice is named under
// the heading of the redefined tables. A file without the dictionary tables is checked
// against the program's own schema (SchemaTables) instead, for the tables it has: a table it
// lacks is told by whoever needs it ("non esiste il MASTER"), and so is a missing `master`, whatever
// the dictionary says. Only reads: a few small queries and look-ups in the schema the engine holds,
// whatever the size of the file.
// Nothing stored in the file may act on the program's tables other than as the builder makes
// them: a file that holds a trigger, a view or a virtual table is refused, each of them named (a
// trigger would act on the user's changes unseen), and so is one where a table or an index of the
// program is stored with a definition other than the builder's (SchemaObjectsUnlikeTheBuilder);
// a table stored as an earlier build wrote it passes, for the open brings it forward.
// Returns false with a text naming what is wrong (Windows-1252), or with the engine's failure when
// the file's schema cannot be read.
bool CheckTablesAgainstDictionary(sqlite3* db, std::string& error);

// Whether every row of the program's timetable tables finds the row it refers to, as the builder's
// relations want: the engine's own check of them (PRAGMA foreign_key_check), which it makes only
// when asked, for a file written with the relations off would otherwise be taken whole (stops of a
// trip that does not exist, a stop in no locality). Otherwise false with kRowsBreakingRelations (such
// rows are no damage: the file's pages are sound) and a line for each of the first rows that break a
// relation, naming table, row (its key) and the row it lacks, the rest counted; or with the engine's
// failure. Reads every row of the tables that refer to others, once, each parent row looked up once
// rather than once a row: it belongs with the check of the whole file. The file's tables must be the builder's
// (CheckTablesAgainstDictionary); one it lacks is not looked at.
bool CheckRelations(sqlite3* db, std::string& error);
// The first line of CheckRelations' refusal of rows that break a relation.
extern const char* const kRowsBreakingRelations;

// Deletes the rows of the program's timetable tables that break a relation (CheckRelations), until
// none is left; `dropped` counts them. False with the engine's reason.
bool DropRowsThatBreakRelations(sqlite3* db, long long& dropped, std::string& error);

// What tells a file's schema apart: a digest of every row of it as the engine stores it (kind, name,
// table, first page, definition) and of the version number the engine gives the schema at each of
// its changes; a change made in place, however it keeps the file's size and times, changes it.
// False with the engine's reason when the schema cannot be read.
bool SchemaDigest(sqlite3* db, std::string& digest, std::string& error);

// A row of a file's schema as the engine stores it (UTF-8).
struct StoredObject {
  std::string type;
  std::string name;
  std::string table;
  std::string sql;
};

// The rows of a file's schema, in the order stored; false with the engine's reason when they cannot
// all be read.
bool ReadStoredObjects(sqlite3* db, std::vector<StoredObject>& objects, std::string& error);

// What a file's schema holds that the builder does not make, one line each (Windows-1252), in the
// order stored. `foreign`: triggers and views (whatever the case of their type) and virtual
// tables. `redefined`: a table of the program (the timetable's nine and the dictionary's seven)
// whose definition is not the one the builder writes, an index on one of them that the builder
// does not make so, and another table whose foreign keys refer to them. Definitions compare as
// the engine reads them: blanks, comments, the quotes around a name and the case of keywords and
// type names do not count; names, texts and numbers do, exactly. A file written by the builds
// that stored tables in the order of their row id (no WITHOUT ROWID) is the builder's too; extra
// tables of their own, and the engine's, may stay. `earlier`: the program's tables stored as the
// builds before each column was held to its kind wrote them (with or without WITHOUT ROWID), by
// their stored names (UTF-8): not redefined, but to be brought forward (BringDefinitionsForward).
struct SchemaFindings {
  std::vector<std::string> foreign;
  std::vector<std::string> redefined;
  std::vector<std::string> earlier;
};
SchemaFindings SchemaObjectsUnlikeTheBuilder(const std::vector<StoredObject>& objects);

// The one text that tells `findings` (empty when there are none): the foreign objects first.
std::string SchemaFindingsText(const SchemaFindings& findings);

// What a date column's stored value becomes when its table is brought forward, as an SQL
// expression: a text that is a date followed by a blank or 'T' and a time of day ("2026-09-25
// 00:00:00", "2026-09-25T10:30", seconds, fractions) is its date, the time dropped; any other value
// stays as it is, for the column's rule to judge.
std::string BroughtForwardDateSql(std::string_view column);

// The first row of a program's table that holds a value its column refuses: one the builder's
// rules for the column do not let in (NOT NULL, a required text's empty text, a text's size, the
// column's kind: KindRuleSql, by the type declared), as another program writes with the engine's
// checks turned off. The rows are walked in the table's order; in a table stored as an earlier
// build wrote it, a date column's text with a time of day is taken as it is brought forward
// (BroughtForwardDateSql). Reads the table with one query.
struct RuleBreach {
  bool found = false;
  std::string table;           // Windows-1252
  std::string row;             // riga (id 3, sub 2) della tavola "detcor": its key fields and values
  DbSelect::ValueFault fault;  // the field, its value as SQL writes it, what it is and what its column holds
};
// False with the engine's reason when the table cannot be read; `out.found` false when no row breaks a rule.
bool FindRuleBreach(sqlite3* db, const std::string& table, RuleBreach& out, std::string& error);

// The refusal that names the value found (StoredValueRefusal), the field by its title in the
// dictionary, and says what was not done.
std::string RuleBreachRefusal(const RuleBreach& breach, Undone undone);
