#pragma once
// A file written by the builds before each column of the program's tables was held to its kind
// (KindRuleSql) is brought to the builder's definitions when it is opened, without a question:
// whole or not at all, every row kept, or the file left as it was with a refusal that names the
// value the new definitions do not take.

#include "common/WorkProgress.h"
#include "db/StoredValueRefusal.h"

#include <functional>
#include <string>

struct sqlite3;

// The caption of the pass while the tables are brought forward (the status band's words).
inline constexpr const char* kBringForwardCaption = "Aggiornamento del database alla versione attuale del programma";
// The last paragraph of a bring-forward stopped by anything but a value it names (a full disk, a
// failing disk): nothing of it was kept.
inline constexpr const char* kLeftAsItWas = "Il database non è stato aperto e il file è rimasto com'era.";
// Why an earlier file cannot be brought forward: another program keeps it, or keeps writing it,
// past the open's wait.
inline constexpr const char* kOpenElsewhere = "Il file è aperto in un altro programma";
// The heading of the findings of a file whose pages cannot be read.
inline constexpr const char* kDamagedFile = "Il file del database è danneggiato:";

// A new connection to the file of the database at its name, opened as its first one was; null with
// the reason in `error` when it cannot be opened.
using ReopenDatabase = std::function<sqlite3*(std::string& error)>;

// Brings a file (`path`, Windows-1252) that holds program tables as an earlier build wrote them
// (SchemaFindings::earlier) to the builder's definitions, in the file itself: `db` holds the file
// from any other writer, its schema is read and checked again as held (what it holds then, tables
// another program made among them, is what is carried over), a scratch file beside it is made of
// the builder's definitions (a table of the file's own as it is), every row copied into it (a date
// column's text with a time of day as its date, BroughtForwardDateSql), the indexes made once the
// rows are in, the relations checked (CheckRelations); its whole content then goes into the
// earlier file in one transaction of the engine, and `db` is the connection `reopen` opens on it.
// A kill at any moment leaves the earlier file as it was or brought forward whole, and the next
// open removes what was left beside it (RemoveScratchFilesLeftBeside). A file without such a
// table is not written.
// False with the earlier file as it was, `db` open on it, and, in `error` (Windows-1252), the
// refusal that names table, row, field and value (RuleBreachRefusal), or two rows and the value
// that gives them one key once brought forward (a date with a time of day beside the same date
// without it); otherwise the relations' fault, kOpenElsewhere or the engine's reason (a full disk),
// followed by kLeftAsItWas. `progress` (may be null) is told the pass (kBringForwardCaption) when there is a
// table to bring forward, the share of the rows copied as it moves, and its end. `undone`: what a
// refusal says was not done; for any other than the open, the engine's reason stands alone.
bool BringDefinitionsForward(sqlite3*& db, const std::string& path, const ReopenDatabase& reopen, std::string& error,
                             WorkProgress* progress = nullptr, Undone undone = Undone::Opening);

// Whether the file holds a table that its open brings forward (SchemaFindings::earlier); false
// when its schema cannot be read (the open then says why).
bool HoldsEarlierTables(sqlite3* db);
