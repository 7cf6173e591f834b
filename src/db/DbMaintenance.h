#pragma once
// Work on whole database files: the check that a file is one of ours and undamaged, its repair
// (a rebuild of a sound file, the salvage of a damaged one) and its compacted copy into a new
// file. None of these shows a message: the repair and the copy hand back their outcome, with the
// message for the user (Windows-1252), and the caller shows it.

#include "common/Outcome.h"

#include <functional>
#include <string>
#include <vector>

enum class CheckDepth {
  Quick,  // the structure of every page and table (fast)
  Full,   // also every index against its table
};

// Opens the file apart from any other connection and checks that it is one of our databases and
// that the engine finds no damage in it. A file is ours when its header carries our mark, read
// from the file's bytes: one whose pages the engine cannot read (a file cut short) is then damaged,
// not foreign. The engine checks the rules of each column too: a value they refuse, which another
// program wrote with the engine's checks turned off, is no damage: the file is refused naming
// table, row, field and value (RuleBreachRefusal). `damaged` (when given) tells a damaged file of
// ours from every other refusal.
bool CheckDatabaseFile(const std::string& path, CheckDepth depth, std::string& error, bool* damaged = nullptr);

// The full check of a file about to be opened in place of the open one, every index compared with
// its table (an index that lacks rows would have the program's searches find nothing), its tables
// compared with the builder's as the open compares them, every value against its column's rules
// (as CheckDatabaseFile), and every row checked against the builder's relations (CheckRelations):
// refused,
// the outcome holds the stop message of a database that cannot be opened, "Errore in fase di
// apertura del database" with the reason. A file an earlier build wrote (HoldsEarlierTables) has
// only its tables compared here: its open copies every row under the builder's rules, reading every
// page of its tables (a page it cannot read refuses the file as damaged), makes its indexes anew
// and checks the relations (BringDefinitionsForward).
Outcome CheckDatabaseToOpen(const std::string& path, bool* damaged = nullptr);

// The digest of the schema of one of our database files (SchemaDigest); empty when the file is not
// one of ours or its schema cannot be read.
std::string StoredSchemaDigest(const std::string& path);

struct RepairOptions {
  std::string path;  // Windows-1252
  // The program that reads what a damaged file still holds (its ".recover"): a name looked up on
  // the path, or a path.
  std::string recoverProgram = "sqlite3";
  // Called now and then while the work goes on (the busy clock); may be empty.
  std::function<void()> pump;
  // Told after each step of a salvage done on the disk (what was done): tests stop the repair there.
  std::function<void(const std::string& done)> step;
};

enum class RepairOutcome {
  Failed,    // nothing changed: the message says why
  Rebuilt,   // the file was sound and has been rebuilt in place
  Salvaged,  // the file was damaged: what it still held is now under its name, the file beside it
};

struct TableRows {
  std::string table;
  long long rows = 0;
};

// A trip that lost stop rows with the damaged pages.
struct ShortenedTrip {
  enum Lost { Stops = 0, All = 1, Head = 2 };  // some of its stops; every stop; its head (its stops remain)
  long long id = 0;
  std::string code;  // codcorsa; empty when the head is lost
  Lost lost = Stops;
};

// A trip whose stops lost their locality with the damaged pages: they keep their place in it, in
// the locality 0, the one a stop takes when none is known.
struct RelocatedTrip {
  long long id = 0;
  std::string code;  // codcorsa
  long long stops = 0;
};

// `ok` once rebuilt or salvaged. What to tell the user (caption "Riparazione database"), with the
// exclamation icon: the report of a salvage, or why nothing changed; nothing after a rebuild.
struct RepairResult : Outcome {
  RepairOutcome outcome = RepairOutcome::Failed;
  std::vector<TableRows> recovered;      // rows of each table of the new file, dictionary order
  long long orphanRows = 0;              // rows that referred to a row that was lost, not carried over
  long long unplacedRows = 0;            // rows found outside every table, not carried over
  std::vector<ShortenedTrip> shortened;  // trips that lost stop rows, by id, whatever step lost them
  std::vector<RelocatedTrip> relocated;  // trips whose stops kept their place in the locality 0, by id
  // Rows the new file does not admit (a value its field does not admit, a key another row has),
  // not carried over; the first twenty named: table, key, field and value.
  long long refusedRows = 0;
  std::vector<std::string> refused;
  std::string damagedPath;  // where the damaged file is kept
};

// Checks one of our database files in full. A sound file is rebuilt in place without its free
// pages, even while other connections have it open; one an earlier build wrote is rebuilt by the
// copy that brings it forward (BringDefinitionsForward), refused naming a value the builder's rules
// refuse and left as it was; one that lacks a table or a field its data
// dictionary names, that holds a value its column's rules refuse, or whose rows break a relation,
// is refused with the open's reason and left untouched. A damaged file (one the
// engine cannot read whole too) is salvaged, unless another connection has it open: its log folded
// into it, it is given a second name ("<name>.danneggiato", or with "-2", "-3"... when that name is
// taken), a new file is built beside it from the program's own dictionary, and of what the
// recovery program reads from the damaged file only the rows for the program's tables are taken,
// each a single insert checked by the engine before it runs; nothing else the damaged file holds
// is run, and a statement of any other kind stops the salvage; a date stored with a time of day
// is its date, and a row the new file does not admit even so (a value its field does not admit, a
// key another row has) is left out and named, a stop row's trip with it; the rows that then refer
// to a row lost are left out (counted), as the file would not open with them, but for a stop whose
// locality alone was lost: it keeps its place, in the locality 0. The new file replaces the original
// name only once the engine finds it sound and the recovery found the definition of every table:
// until then, a kill included, the name holds the damaged file, unchanged, and any failure only
// takes its second name away. The scratch files a killed repair left beside the file are removed
// by the next one, which gives the file the second name the killed one gave it again and removes
// the empty logs its recovery left beside that name. A rollback journal left beside the file is
// played back into it at the first read, as every open of the engine does. A file that is not one
// of ours is refused untouched.
RepairResult RepairDatabase(const RepairOptions& options);

// Writes a compacted copy of `source` (one of our databases, undamaged) into `destination`,
// which must not exist. The copy is made under a scratch name and takes its name only once it
// is complete and checked; on failure nothing is left at `destination`, and the outcome's message
// (caption "Duplicazione database") names both files and the reason.
Outcome DuplicateDatabaseFile(const std::string& source, const std::string& destination);
