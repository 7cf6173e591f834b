// Lines per second of the communication against the whole export of the regional files, both on
// the generated timetable of 20,000 trips in the same run: the communication's passes over the
// database and its four files (communication, reference base, RT_IDREG, RT_FMREG) written whole,
// then the export's seven files. The communication must write at least a quarter as many lines a
// second as the export.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_communication && build-bench/bench/bench_communication

#include "BenchTimetable.h"
#include "exchange/ExportEngine.h"
#include "exchange/communication/CommunicationPasses.h"
#include "exchange/communication/CommunicationWriter.h"

#include <chrono>
#include <cstdio>

namespace {

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The whole communication as the command runs it, without its dialogs; the lines written.
long Communication(bench::Timetable& data) {
  CommunicationModel model;
  CommunicationHeader h = ReadCommunicationHeader(data.db.get(), 'B', true);
  BuildCommunicationModel(data.db.get(), model, h.periodStart, h.periodEnd, nullptr, nullptr);
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
  write("RT2_17_1.TXT", [&](const LineSink& s) { WriteCommunication(model, h, CommunicationFile::First, s, nullptr); });
  write("RT2_17_1_BASE.TXT",
        [&](const LineSink& s) { WriteCommunication(model, h, CommunicationFile::Base, s, nullptr); });
  write("RT_IDREG.TXT", [&](const LineSink& s) { WriteIdRegLines(model, h.company, s); });
  write("RT_FMREG.TXT", [&](const LineSink& s) { WriteFmRegLines(nullptr, h.company, s); });
  return lines;
}

long Export(bench::Timetable& data) {
  ExportOptions options;
  options.db = data.db.get();
  options.folder = data.out + "/export";
  QDir().mkpath(QString::fromStdString(options.folder));
  const ExportResult r = RunExport(options);
  if (!r.complete) std::fprintf(stderr, "the export failed\n");
  long lines = 0;
  for (const auto& c : r.counts) lines += c.written;
  return lines;
}

}  // namespace

int main() {
  ScopedNoticeSink quiet([](const Notice&) {});
  bench::Timetable data;
  double best[2] = {0, 0};
  long lines[2] = {0, 0};
  for (int run = 0; run < 3; ++run) {
    auto start = std::chrono::steady_clock::now();
    lines[0] = Communication(data);
    const double c = Seconds(start);
    start = std::chrono::steady_clock::now();
    lines[1] = Export(data);
    const double e = Seconds(start);
    if (best[0] == 0 || c < best[0]) best[0] = c;
    if (best[1] == 0 || e < best[1]) best[1] = e;
  }
  const double communication = lines[0] / best[0], exported = lines[1] / best[1];
  std::printf("communication: %ld lines in %.3f s, %.0f lines/s\n", lines[0], best[0], communication);
  std::printf("export:        %ld lines in %.3f s, %.0f lines/s\n", lines[1], best[1], exported);
  std::printf("ratio: %.2f (at least 0.25)\n", communication / exported);
  return communication >= exported / 4 ? 0 : 1;
}
