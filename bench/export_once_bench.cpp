// One plain export of the regional files in a process of its own, for counting its instructions
// under callgrind: the process does little besides the export, and its bare run (the same process
// with the database opened and nothing exported) is counted apart and subtracted.
//
//   bench_export_once make TRIPS FILE     writes the generated timetable of TRIPS trips (20 stop
//                                         rows each) into the database FILE
//   bench_export_once run FILE FOLDER     exports FILE into FOLDER
//   bench_export_once bare FILE FOLDER    opens FILE and exits: the run above less the export
//
//   valgrind --tool=callgrind bench_export_once run FILE FOLDER    (and the same with bare)

#include "BenchTimetable.h"
#include "exchange/ExportEngine.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "make") == 0) {
    bench::Timetable data(std::atoi(argv[2]));
    data.db->Checkpoint();
    data.db.reset();
    QFile::remove(QString::fromLocal8Bit(argv[3]));
    return QFile::copy(QString::fromStdString(data.database), QString::fromLocal8Bit(argv[3])) ? 0 : 1;
  }
  const bool run = argc == 4 && std::strcmp(argv[1], "run") == 0;
  if (!run && !(argc == 4 && std::strcmp(argv[1], "bare") == 0)) {
    std::fprintf(stderr, "usage: %s make TRIPS FILE | run FILE FOLDER | bare FILE FOLDER\n", argv[0]);
    return 2;
  }
  DbDatabase db(argv[2]);
  if (!db.isOpen) return 1;
  if (!run) return 0;
  ExportOptions options;
  options.db = &db;
  options.folder = argv[3];
  const ExportResult result = RunExport(options);
  std::printf("RT_DTORA lines: %d\n", result.counts[kTripStopsFile].written);
  return result.ok ? 0 : 1;
}
