#pragma once
// The export of the timetable as an IVU-InfoPool file set: the operator, the stops, each line's
// standard trips ("ld" files) and trips ("fd" files), their day sets and the version. The set is
// read from the database into memory first (LoadIvuExport; the standard trips kept compact, see
// IvuStandardTrips), the stops may then receive their coordinates, and WriteIvuExport writes every
// file of the set or none.

#include "common/ExportFiles.h"
#include "common/Outcome.h"
#include "common/WorkProgress.h"
#include "conversions/ivu/IvuStandardTrips.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

class DbDatabase;

namespace ivu {

constexpr const char* kIvuExportDone = "L'esportazione dei dati nel formato IVU-InfoPool è terminata con successo";
constexpr const char* kIvuExportStopped =
    "ATTENZIONE: a causa dell'errore precedente non è stato possibile\n"
    "possibile portare a termine l'esportazione dati nel formato IVU";
// The days one day set can hold.
constexpr int kIvuDaySetDays = 384;

struct IvuExportOptions {
  std::string sigla;        // trimmed, not empty
  long version = 1;         // greater than 0
  std::string description;  // trimmed, not empty
  std::string mode = "BUS";
};

struct IvuExportStop {
  long id = 0;
  std::string code, name, location;
  double x = 0, y = 0;
};

struct IvuExportData {
  int company = 0;
  std::string companyName = "?????";
  std::string periodStart = "01/01/1901", periodEnd = "31/12/2099";
  std::vector<IvuExportStop> stops;
  IvuStandardTrips standardTrips;    // in file order: by line, then variant, ordinals given
  std::vector<std::string> daySets;  // id k+1 is daySets[k]
  std::vector<std::string> lines;    // the line codes in file order
};

// Whether the version (datini..datfin) fits into one day set; when not, the message naming it.
bool IvuVersionFits(const std::string& start, const std::string& end, std::string& message);

// Whether every line code can name its "ld" and "fd" files: not empty, no character that a file
// name cannot hold (\ / : * ? " < > | and control characters), and no two codes that differ only
// in letter case (the reader, as the systems it serves, takes them for one file); when not, the
// message naming the line.
bool IvuLineCodesFit(const std::vector<std::string>& lines, std::string& message);

// The refusal of the master row's company or period, or of the company's name, when one of them
// is not of its column's kind; empty when they can be read. The command says it before its
// dialogs; the load reads them again and refuses alike.
std::string IvuMasterRefusal(DbDatabase* db);

// Reads the timetable. Not done when the version does not fit a day set or a line code cannot name
// its files (the message says why): nothing is to be written then.
Outcome LoadIvuExport(DbDatabase* db, IvuExportData& data, WorkProgress* progress);

// The names of the set's files, in the order of writing (every name but "dateien.asc" is listed in
// that last file).
std::vector<std::string> IvuExportFileNames(const IvuExportData& data);

// Where the rows of the set go as they are made: each file begun by its name, in the order of
// IvuExportFileNames (false from `begin` stops the making), then its rows, each without line end.
struct IvuFileSink {
  std::function<bool(const std::string& name)> begin;
  std::function<void(std::string_view row)> row;
};
void ProduceIvuExportFiles(const IvuExportData& data, const IvuExportOptions& options, const IvuFileSink& sink);

// The rows of each file, in the order of writing, gathered in memory.
struct IvuExportFile {
  std::string name;
  std::vector<std::string> rows;
};
std::vector<IvuExportFile> IvuExportFiles(const IvuExportData& data, const IvuExportOptions& options);

// The messages: what was done first in a folder where an earlier export had been cut short; when
// the folder could not be put in order or a file could not be created or written (`failedPath`),
// that and that the export stopped; otherwise its success.
struct IvuExportWriting : Outcome {
  long files = 0;
};

// Writes the whole set into `folder` (Windows-1252, no final separator), all or none, once an
// earlier export cut short there has been put in order (a folder that cannot be put in order gets
// nothing new). Our note of the folder (`watch`) is taken back once a journal of ours there has
// been obeyed and the folder is whole; a journal of another program does not make the note ours
// to forget.
IvuExportWriting WriteIvuExport(const IvuExportData& data, const IvuExportOptions& options, const std::string& folder,
                                WorkProgress* progress, const FolderWatch& watch = {});

}  // namespace ivu
