// Lines per second of the communication against the whole export of the regional files, both on
// the generated timetable of 20,000 trips in the same run: the communication's passes over the
// database and its four files (communication, reference base, RT_IDREG, RT_FMREG) written whole,
// then the export's seven files. The communication must write at least a quarter as many lines a
// second as the export. Beside them, the communication georeferenced from an RT_NODI set of
// 20,000 points, one for each stop code of the timetable: the set read, the coordinates by code in
// the stop rows, every point listed in RT_FMREG.
//
// Then the first and the incremental communication (each with its base and both return flows,
// and a progress bar, as the command makes them), and the export of the regional files beside
// them, at 263,000 and at 2,400,000 stop rows whose stop codes lie scattered over the table
// (BenchTimetable.h), each in a process of its own (BenchPeak.h): the peak memory, which for the
// larger timetable may be at most 1.5 times that of the smaller one; and the read calls and the
// processor time a stop row, which for each communication may grow by at most 1.15 times from the
// smaller timetable to the larger ("--memory": these measures alone).
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_communication && build-bench/bench/bench_communication

#include "BenchExport.h"
#include "BenchPeak.h"
#include "BenchTimetable.h"
#include "common/WorkProgress.h"
#include "conversions/georeferencing/Georeferencing.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "exchange/communication/BaseReader.h"
#include "exchange/communication/CommunicationPasses.h"
#include "exchange/communication/CommunicationWriter.h"

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// An RT_NODI set of the working company with a point for each stop code of the timetable.
std::string WriteNodi(const bench::Timetable& data) {
  ShapeSetWriter w(StopsLayout());
  for (int route = 0; route < bench::kRoutes; ++route)
    for (int s = 1; s <= bench::kStopsPerTrip; ++s) {
      const bench::StopTexts stop = bench::Stop(route, s);
      w.AddPoint(1600000 + route * 10.125 + s, 4800000 + s * 100.375 - route, {"17", stop.code, stop.name});
    }
  const std::string base = data.folder + "/RT_NODI";
  std::string failed;
  if (!w.WriteTo(base, ClockTime{2024, 3, 1, 8, 0, 0}, failed))
    std::fprintf(stderr, "%s not written\n", failed.c_str());
  return base + ".SHP";
}

// The whole communication as the command runs it, without its dialogs, georeferenced from `nodi`
// when given; the lines written.
long Communication(bench::Timetable& data, const std::string& nodi = {}) {
  CommunicationModel model;
  CommunicationHeader h = ReadCommunicationHeader(data.db.get(), 'B', true).header;
  GeoStopList list;
  const GeoStopList* geo = nullptr;
  if (!nodi.empty()) {
    if (!GeoreferenceStops(nodi, list, h.company, true).ok || list.Count() != 20000)
      std::fprintf(stderr, "RT_NODI not read\n");
    geo = &list;
  }
  BuildCommunicationModel(data.db.get(), model, h.periodStart, h.periodEnd, geo, nullptr);
  long lines = 0;
  const auto write = [&](const std::string& name, auto produce) {
    if (!WriteWholeLines(data.out + "/" + name, [&](const LineSink& sink) {
          produce([&](std::string_view line) {
            ++lines;
            sink(line);
          });
        }))
      std::fprintf(stderr, "%s not written\n", name.c_str());
  };
  write("RT2_17_1.TXT",
        [&](const LineSink& s) { WriteCommunication(data.db.get(), model, h, CommunicationFile::First, s, nullptr); });
  write("RT2_17_1_BASE.TXT",
        [&](const LineSink& s) { WriteCommunication(data.db.get(), model, h, CommunicationFile::Base, s, nullptr); });
  write("RT_IDREG.TXT", [&](const LineSink& s) { WriteIdRegLines(data.db.get(), model, h.company, s); });
  write("RT_FMREG.TXT", [&](const LineSink& s) { WriteFmRegLines(geo, h.company, s); });
  return lines;
}

// A bar that shows nothing: the passes count their rows for it as for the window's.
struct UnseenProgress : WorkProgress {
  void Begin(const std::string&) override {}
  void Step(long, long) override {}
  void End() override {}
};

// The child of a measure: the first ("first") or the incremental communication of the timetable
// in `database`, as the command makes it, into `folder`, where the incremental one finds the base
// the first one wrote; or the export of the regional files ("export") into its own folder there.
// Prints the peak memory in kB, the read calls and the processor time in microseconds of the work.
int PeakChild(const std::string& kind, const std::string& database, const std::string& folder) {
  ScopedNoticeSink quiet([](const Notice&) {});
  const long long readsAtStart = bench::OwnReads(), cpuAtStart = bench::OwnCpuMicros();
  DbDatabase db(database);
  if (kind == "export") {
    ExportOptions options;
    options.db = &db;
    options.folder = folder + "/export";
    QDir().mkpath(QString::fromStdString(options.folder));
    if (!RunExport(options).ok) return 1;
    bench::PrintChildFigures(readsAtStart, cpuAtStart);
    return 0;
  }
  CommunicationHeader h = ReadCommunicationHeader(&db, 'B', true).header;
  const bool first = kind == "first";
  std::unique_ptr<CommunicationModel> model;
  if (first) {
    model = std::make_unique<CommunicationModel>();
  } else {
    BaseReadResult read = ReadReferenceBase(folder + "/" + BaseDefaultName(h.company, 1) + ".TXT", h.company, nullptr);
    if (!read.ok) return 1;
    h.number = read.number + 1;
    model = std::move(read.model);
  }
  UnseenProgress progress;
  if (!BuildCommunicationModel(&db, *model, h.periodStart, h.periodEnd, nullptr, &progress).ok) return 1;
  CommunicationPaths paths;
  paths.communication = folder + "/" + CommunicationDefaultName(h.company, h.number) + ".TXT";
  paths.base = folder + "/" + BaseDefaultName(h.company, h.number) + ".TXT";
  paths.tripFlow = folder + "/RT_IDREG.TXT";
  paths.stopFlow = folder + "/RT_FMREG.TXT";
  if (!WriteCommunicationFiles(&db, *model, h, first, nullptr, paths, &progress, {}).ok) return 1;
  bench::PrintChildFigures(readsAtStart, cpuAtStart);
  return 0;
}

// The line of the read calls and the processor time a stop row at both sizes; true when neither
// grows by more than 1.15 times (always, for a yardstick: `held` false).
bool ReportPerRow(const char* what, const bench::ChildFigures (&f)[2], bool held) {
  constexpr double kRows[2] = {double(bench::kSmallTrips) * bench::kStopsPerTrip,
                               double(bench::kLargeTrips) * bench::kStopsPerTrip};
  double reads[2], cpu[2];
  for (int k = 0; k < 2; ++k) {
    reads[k] = static_cast<double>(f[k].reads) / kRows[k];
    cpu[k] = static_cast<double>(f[k].cpuMicros) / kRows[k];
  }
  const double readRatio = reads[1] / reads[0], cpuRatio = cpu[1] / cpu[0];
  std::printf("%-34s reads %.3f a stop row at 263k, %.3f at 2.4M (%.2f times)\n", what, reads[0], reads[1], readRatio);
  std::printf("%-34s cpu %.2f us a stop row at 263k, %.2f at 2.4M (%.2f times%s)\n", "", cpu[0], cpu[1], cpuRatio,
              held ? ", each at most 1.15" : "");
  const bool measured = f[0].reads > 0 && f[1].reads > 0 && f[0].cpuMicros > 0 && f[1].cpuMicros > 0;
  return !held || (measured && readRatio <= 1.15 && cpuRatio <= 1.15);
}

// The peaks, reads and processor time of the first and the incremental communication at both
// sizes, and of the export beside them.
bool MeasurePeaks(const std::string& program) {
  bench::ChildFigures first[2], incremental[2], exported[2];
  for (int size = 0; size < 2; ++size) {
    const bench::Timetable data(size == 0 ? bench::kSmallTrips : bench::kLargeTrips, {}, false, true);
    const QStringList at = {QString::fromStdString(data.database), QString::fromStdString(data.out)};
    first[size] = bench::FiguresOfChild(program, QStringList{QStringLiteral("first")} + at);
    incremental[size] = bench::FiguresOfChild(program, QStringList{QStringLiteral("incremental")} + at);
    exported[size] = bench::FiguresOfChild(program, QStringList{QStringLiteral("export")} + at);
  }
  bool held = bench::ReportPeaks("first communication (5170):", first[0].peakKb, first[1].peakKb);
  held = ReportPerRow("", first, true) && held;
  held = bench::ReportPeaks("incremental communication (5170):", incremental[0].peakKb, incremental[1].peakKb) && held;
  held = ReportPerRow("", incremental, true) && held;
  bench::ReportPeaks("export of the regional files:", exported[0].peakKb, exported[1].peakKb);
  ReportPerRow("", exported, false);
  return held;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc == 5 && std::strcmp(argv[1], "--peak") == 0) return PeakChild(argv[2], argv[3], argv[4]);
  if (argc == 2 && std::strcmp(argv[1], "--memory") == 0)
    return MeasurePeaks(QCoreApplication::applicationFilePath().toStdString()) ? 0 : 1;
  ScopedNoticeSink quiet([](const Notice&) {});
  bench::Timetable data;
  const std::string nodi = WriteNodi(data);
  double best[3] = {0, 0, 0};
  long lines[3] = {0, 0, 0};
  for (int run = 0; run < 3; ++run) {
    auto start = std::chrono::steady_clock::now();
    lines[0] = Communication(data);
    const double c = Seconds(start);
    start = std::chrono::steady_clock::now();
    lines[1] = bench::ExportRegionFiles(data);
    const double e = Seconds(start);
    start = std::chrono::steady_clock::now();
    lines[2] = Communication(data, nodi);
    const double g = Seconds(start);
    if (best[0] == 0 || c < best[0]) best[0] = c;
    if (best[1] == 0 || e < best[1]) best[1] = e;
    if (best[2] == 0 || g < best[2]) best[2] = g;
  }
  const double communication = lines[0] / best[0], exported = lines[1] / best[1];
  std::printf("communication: %ld lines in %.3f s, %.0f lines/s\n", lines[0], best[0], communication);
  std::printf("export:        %ld lines in %.3f s, %.0f lines/s\n", lines[1], best[1], exported);
  std::printf("ratio: %.2f (at least 0.25)\n", communication / exported);
  std::printf("georeferenced from 20,000 points: %ld lines in %.3f s (%.2f times the plain run)\n", lines[2], best[2],
              best[2] / best[0]);
  const bool peaksHold = MeasurePeaks(QCoreApplication::applicationFilePath().toStdString());
  return communication >= exported / 4 && peaksHold ? 0 : 1;
}
