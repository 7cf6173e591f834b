#pragma once
// The export of the working database as the region's exchange files, without any window: the
// six fixed-width files RT_HDORA, RT_DTORA, RT_PERIOD, RT_CADEN, RT_CALEN, RT_PROTO and the
// tab-separated FERMATE_NORMALIZZATE.TXT, written into one folder under their fixed names. Three
// variants share it:
//   Plain       every trip, or the trips of one granting authority;
//   Renumbered  every trip, the trip ids replaced by consecutive ids from a given first one,
//               the same in the head, stop and period records of a trip;
//   DateRange   the calendar of a date range, the periods clipped to it and kept only when their
//               day type runs inside them, the trips that keep a period with their stops, the
//               range as the protocol's period; optionally one authority.
// The database is only read, in one read transaction: another program that writes meanwhile is
// not seen, so the files hold the rows of one moment. The seven files are written all or none
// (ExportFileSet): a file that cannot be written, a failed read of the database, or a value that
// the layout cannot carry (refused, naming the record) leaves the folder as it was. A folder where
// an earlier export was cut short is put in order first (RecoverExportFolder); one that cannot be
// is not written into.

#include "common/ExportFiles.h"
#include "common/Formatters.h"
#include "common/Outcome.h"
#include "db/DbSelect.h"

#include <string>
#include <vector>

class DbDatabase;
class WorkProgress;

enum class ExportKind { Plain, Renumbered, DateRange };

// The files, in the order of the result message.
enum ExportFile {
  kTripHeadsFile,
  kTripStopsFile,
  kPeriodsFile,
  kDayTypesFile,
  kCalendarFile,
  kProtocolFile,
  kNormalStopsFile,
  kExportFileCount
};

// "RT_HDORA.TXT" ... "FERMATE_NORMALIZZATE.TXT".
const char* ExportFileName(ExportFile file);
// The seven names, in the order the export's journal gives them.
std::vector<std::string> ExportSetNames();

struct ExportOptions {
  DbDatabase* db = nullptr;
  std::string folder;  // Windows-1252, the files' folder
  ExportKind kind = ExportKind::Plain;
  // Plain and DateRange: every authority, or only the trips of `authority` (a code of `regent`).
  bool anyAuthority = true;
  int authority = 0;
  // Renumbered: the id the trip with the lowest stored id receives.
  long firstId = 0;
  // DateRange: the first and last date, both included.
  DateRecord rangeStart, rangeEnd;
  WorkProgress* progress = nullptr;  // none: nothing shown
  // Told when the folder starts to hold files not yet in place and when it holds one whole set
  // again (the interface notes the folder meanwhile, for a start after a kill).
  FolderWatch folderWatch;
  // Told after each change on the disk while the folder is put in order or the files are put in
  // place (tests stop the program there).
  FileSetStep fileSetStep;
};

// The rows read from a file's selection and the lines written for them.
struct ExportCount {
  int read = 0;
  int written = 0;
};

// Done when every file is in place. Otherwise `failedPath` is the file that could not be created
// or written, or whose rows could not be read (the database layer has told its failure), or the
// export was refused and no file was put in place. The messages, in order: what was done to put
// the folder in order when an earlier export into it had been cut short; then why the export was
// refused (and nothing more), or "Impossibile creare" and the file that failed; last the result
// message (ExportResultText). All but the result message are warnings captioned
// "Esportazione dati orari".
struct ExportResult : Outcome {
  ExportCount counts[kExportFileCount];  // all zero when the export failed: no file was written
  int overWide = 0;                      // records where a text was cut to its field
  int unmatchedRows = 0;                 // renumbered: stop and period rows of no trip head, left out
  std::vector<std::string> written;      // the paths put in place
};

// The `master` row as the exports read it: display texts of its fields.
struct MasterHeading {
  bool found = false;
  int company = 0;
  std::string sendDate;  // p_data, dd/mm/yyyy or empty
  long protocol = 0;
  bool hasProtocol = false;  // protoc holds a value
  std::string person;        // resple, untrimmed
  // A character of resple that Windows-1252 lacks (read as '?' at offset personLostAt); 0 none.
  char32_t personLost = 0;
  int personLostAt = 0;
  std::string periodStart, periodEnd;  // datini, datfin
  // The first field of the row read that its column cannot hold as its kind (none: position -1).
  DbSelect::ValueFault fault;
};
MasterHeading ReadMasterHeading(DbDatabase* db);
// Writes the heading the user gave into the master row: company, send date, protocol (none when
// not hasProtocol), person in charge and period, as texts. Done when the row took every one; the
// database layer's refusals are the outcome's messages, kMissingMasterText when there is no row.
Outcome WriteMasterHeading(DbDatabase* db, const MasterHeading& heading);

// Runs the export. Never shows a message: the caller shows the result.
ExportResult RunExport(const ExportOptions& options);

// The result message: "Risultati dell'esportazione dati:\n\n" and one line per file, then the
// warnings of left-out rows and texts cut to their fields.
std::string ExportResultText(const ExportResult& result);
