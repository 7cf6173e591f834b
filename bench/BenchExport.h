#pragma once
// The whole export of the regional files from a generated timetable, the yardstick the other
// exports' benchmarks are measured against in the same run.

#include "BenchTimetable.h"
#include "exchange/ExportEngine.h"

#include <QDir>
#include <cstdio>

namespace bench {

// The seven files written into the timetable's folder "export"; the lines written.
inline long ExportRegionFiles(Timetable& data) {
  ExportOptions options;
  options.db = data.db.get();
  options.folder = data.out + "/export";
  QDir().mkpath(QString::fromStdString(options.folder));
  const ExportResult r = RunExport(options);
  if (!r.ok) std::fprintf(stderr, "the export failed\n");
  long lines = 0;
  for (const auto& c : r.counts) lines += c.written;
  return lines;
}

}  // namespace bench
