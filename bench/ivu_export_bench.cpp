// The IVU-InfoPool export's engine on the generated timetable (BenchTimetable.h: 20,000 trips of
// 20 stops on 1,000 lines, two periods each, the first half of 2024), once with the trips of a
// route sharing their times and once with each trip's own times (every trip its own standard
// trip, as on real bus data): the timetable read and folded into standard trips with their day
// sets, the set written (2,000 "ld" and "fd" files among them); then, for the shared times, the
// IVU conversion's engine on that set: read and checked, the six region's files written. Seconds
// of each, best of three runs; the conversion must find every trip again. Then the peak memory of
// the export, read and written, at 263,000 and at 2,400,000 stop rows of both kinds
// (BenchPeak.h): the larger timetable may take at most 1.5 times the memory of the smaller one
// ("--memory": this measure alone).
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_TESTS=OFF -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_ivu_export && build-bench/bench/bench_ivu_export

#include "BenchPeak.h"
#include "BenchTimetable.h"
#include "conversions/ivu/IvuConversion.h"
#include "conversions/ivu/IvuExport.h"

#include <QCoreApplication>
#include <QDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

ivu::IvuExportOptions Options() {
  ivu::IvuExportOptions options;
  options.sigla = "ABC";
  options.version = 42;
  options.description = "Orario invernale";
  return options;
}

// The child of a peak measure: the export of the timetable in `database` into `folder`, as the
// command runs it. Prints the peak memory in kB.
int PeakChild(const std::string& database, const std::string& folder) {
  ScopedNoticeSink quiet([](const Notice&) {});
  DbDatabase db(database);
  ivu::IvuExportData exported;
  if (!ivu::LoadIvuExport(&db, exported, nullptr).ok) return 1;
  if (!ivu::WriteIvuExport(exported, Options(), folder, nullptr).ok) return 1;
  std::printf("%ld\n", bench::OwnPeakKb());
  return 0;
}

bool MeasurePeaks(const std::string& program) {
  bool hold = true;
  for (const bool ownTimes : {false, true}) {
    long peaks[2] = {};
    for (int size = 0; size < 2; ++size) {
      const bench::Timetable data(size == 0 ? bench::kSmallTrips : bench::kLargeTrips, {}, ownTimes);
      peaks[size] =
          bench::PeakOfChild(program, {QString::fromStdString(data.database), QString::fromStdString(data.out)});
    }
    hold = bench::ReportPeaks(ownTimes ? "IVU export (5166), own times:" : "IVU export (5166), shared times:", peaks[0],
                              peaks[1]) &&
           hold;
  }
  return hold;
}

// The export of one generated timetable, best of three runs, and with the trips of a route sharing
// their times, the conversion of its set (the conversion's reader takes one timetable a variant);
// false when a step fails or the conversion misses a trip.
bool Measure(bool ownTimes) {
  ScopedNoticeSink quiet([](const Notice&) {});
  bench::Timetable data(bench::kTrips, {}, ownTimes);
  const std::string set = data.folder + "/ivu", rt = data.folder + "/rt";
  QDir().mkpath(QString::fromStdString(set));
  QDir().mkpath(QString::fromStdString(rt));
  const ivu::IvuExportOptions options = Options();
  double best[4] = {1e9, 1e9, 1e9, 1e9};
  long files = 0, standardTrips = 0, daySets = 0, converted = 0;
  for (int run = 0; run < 3; ++run) {
    auto start = Clock::now();
    ivu::IvuExportData exported;
    const Outcome loaded = ivu::LoadIvuExport(data.db.get(), exported, nullptr);
    if (!loaded.ok) {
      std::fprintf(stderr, "export refused: %s\n", loaded.Texts().c_str());
      return false;
    }
    best[0] = std::min(best[0], Seconds(start));
    start = Clock::now();
    const ivu::IvuExportWriting written = ivu::WriteIvuExport(exported, options, set, nullptr);
    best[1] = std::min(best[1], Seconds(start));
    if (!written.ok) {
      std::fprintf(stderr, "cannot write %s\n", written.failedPath.c_str());
      return false;
    }
    files = written.files;
    standardTrips = static_cast<long>(exported.standardTrips.size());
    daySets = static_cast<long>(exported.daySets.size());
    if (ownTimes) continue;

    start = Clock::now();
    const ivu::IvuReading reading = ivu::ReadIvuSet(set, nullptr);
    best[2] = std::min(best[2], Seconds(start));
    if (!reading.ok || !reading.errors.Empty()) {
      std::fprintf(stderr, "the exported set was refused: %zu faults\n", reading.errors.Entries().size());
      return false;
    }
    start = Clock::now();
    const ivu::IvuWriting writing = ivu::WriteIvuRtFiles(reading, 17, rt, ClockTime{2024, 3, 1, 8, 0, 0}, nullptr);
    best[3] = std::min(best[3], Seconds(start));
    if (!writing.ok) {
      std::fprintf(stderr, "cannot write %s\n", writing.failedPath.c_str());
      return false;
    }
    converted = writing.trips;
  }
  std::printf("IVU-InfoPool export of %d trips of %d stops, %s (%ld standard trips, %ld day sets, %ld files)\n",
              bench::kTrips, bench::kStopsPerTrip, ownTimes ? "each with its own times" : "times shared", standardTrips,
              daySets, files);
  std::printf("  timetable read and folded: %.3f s\n", best[0]);
  std::printf("  set written:               %.3f s\n", best[1]);
  std::printf("  export in all:             %.3f s\n", best[0] + best[1]);
  if (ownTimes) return true;
  std::printf("IVU-InfoPool conversion of that set (%ld trips)\n", converted);
  std::printf("  set read and checked:      %.3f s\n", best[2]);
  std::printf("  six files written:         %.3f s\n", best[3]);
  std::printf("  conversion in all:         %.3f s\n", best[2] + best[3]);
  return converted == bench::kTrips;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "--peak") == 0) return PeakChild(argv[2], argv[3]);
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  if (argc == 2 && std::strcmp(argv[1], "--memory") == 0) return MeasurePeaks(program) ? 0 : 1;
  const bool shared = Measure(false), own = Measure(true);
  const bool peaksHold = MeasurePeaks(program);
  return shared && own && peaksHold ? 0 : 1;
}
