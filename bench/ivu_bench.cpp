// The IVU-InfoPool conversion's engine on the generated timetable (BenchData.h: 20,000 trips of 20
// stops on 1,000 routes, FER and FES over the first half of 2024) written as an IVU set in day-type
// mode: the reading and checking of the set, then the six region's files written; seconds of each
// and lines per second, best of three runs.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_ivu && build-bench/bench/bench_ivu

#include "BenchData.h"
#include "conversions/ivu/IvuConversion.h"

#include <QDir>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kDays = bench::kHalfYearDays;

// A file of the set, written whole at the end.
class AscFile {
 public:
  AscFile(const std::string& folder, const char* name) : path_(folder + "/" + name) {}
  ~AscFile() {
    if (std::FILE* f = std::fopen(path_.c_str(), "wb")) {
      std::fwrite(text_.data(), 1, text_.size(), f);
      std::fclose(f);
    }
  }
  void Line(const std::string& line) { text_ += line + "\r\n"; }

 private:
  std::string path_, text_;
};

std::string MinSec(int minutes) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%02d:00", minutes);
  return buf;
}

// Route r serves the trips t with t % 1,000 == r: one model, one minute from stop to stop and a
// minute at every stop but the first, so that each trip keeps the times of the generated timetable.
void WriteSet(const std::string& folder) {
  using namespace bench;
  AscFile(folder, "lieferan.asc").Line("ABC#Azienda Prova#");
  AscFile(folder, "betriebe.asc").Line("36#ABC#Azienda Prova#36000#BUS#BUS#36000#BUS#ABC#");
  AscFile(folder, "verkehrm.asc").Line("BUS#BUS#Bus#");
  AscFile(folder, "versione.asc").Line("42#Orario invernale#01.01.2024#30.06.2024##");
  {
    AscFile list(folder, "dateien.asc");
    for (const char* name : {"lieferan.asc", "betriebe.asc", "LD1.asc", "FD1.asc", "versione.asc"}) list.Line(name);
  }
  {
    AscFile types(folder, "betrtage.asc"), calendar(folder, "kalender.asc");
    types.Line("0#FER#Feriale#");
    types.Line("1#FES#Festivo#");
    for (int d = 0; d < kDays; ++d) {
      const std::string date = Date(d);  // dd/mm/yyyy: any separator will do
      calendar.Line(date + (d % 7 == 6 ? "##x#" : "#x##"));
    }
  }
  AscFile stops(folder, "halteste.asc"), routes(folder, "ld1.asc"), trips(folder, "fd1.asc");
  for (int r = 0; r < kRoutes; ++r) {
    const std::string line = std::to_string(r);
    routes.Line(line + "#42#1#36000#1#1#" + std::to_string(kStopsPerTrip) + "#1#BUS##");
    for (int s = 1; s <= kStopsPerTrip; ++s) {
      const StopTexts stop = Stop(r, s);
      const int id = r * kStopsPerTrip + s;
      stops.Line(std::to_string(id) + "#ABC####" + stop.code + "#####" + stop.name + "###" + stop.code + "#Centro#");
      routes.Line(std::to_string(s) + "##" + std::to_string(id) + "#850#0#" + std::to_string(s) + "#" + MinSec(1) +
                  "#" + MinSec(s == 1 ? 0 : 1) + "####");
    }
    const int count = kTrips / kRoutes;
    trips.Line(line + "#42#36000#1#1#" + std::to_string(count) + "#");
    for (int k = 0; k < count; ++k) {
      const int t = r == 0 ? (k + 1) * kRoutes : k * kRoutes + r;
      const int leaves = 300 + (t * 7) % 900 + 3;
      char time[16];
      std::snprintf(time, sizeof time, "%02d.%02d:00", leaves / 60 % 24, leaves % 60);
      trips.Line("1#0#" + std::string(time) + "#" + std::to_string(kStopsPerTrip) + "#0#" + time + "#BUS#1#C" +
                 std::to_string(t) + "#" + (t % 5 ? "FER" : "FES") + "#0#0#0##");
    }
  }
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

}  // namespace

int main() {
  QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX"));
  const std::string in = dir.path().toStdString() + "/ivu", out = dir.path().toStdString() + "/rt";
  QDir().mkpath(QString::fromStdString(in));
  QDir().mkpath(QString::fromStdString(out));
  WriteSet(in);
  const ClockTime today{2024, 3, 1, 8, 0, 0};
  double bestRead = 1e9, bestWrite = 1e9;
  long linesRead = 0, linesWritten = 0, trips = 0;
  for (int run = 0; run < 3; ++run) {
    auto start = Clock::now();
    const ivu::IvuReading reading = ivu::ReadIvuSet(in, nullptr);
    bestRead = std::min(bestRead, Seconds(start));
    if (!reading.ok || !reading.errors.Empty()) {
      std::fprintf(stderr, "the generated set was refused: %zu faults\n", reading.errors.Entries().size());
      return 1;
    }
    start = Clock::now();
    const ivu::IvuWriting writing = ivu::WriteIvuRtFiles(reading, 17, out, today, nullptr);
    bestWrite = std::min(bestWrite, Seconds(start));
    if (!writing.ok) {
      std::fprintf(stderr, "cannot write %s\n", writing.failedPath.c_str());
      return 1;
    }
    linesRead = reading.lines, linesWritten = writing.lines, trips = writing.trips;
  }
  std::printf("IVU set of %d trips of %d stops on %d routes, day-type mode\n", bench::kTrips, bench::kStopsPerTrip,
              bench::kRoutes);
  std::printf("  read and checked: %8ld lines in %.3f s, %10.0f lines/s\n", linesRead, bestRead, linesRead / bestRead);
  std::printf("  six files written: %7ld lines in %.3f s, %10.0f lines/s (%ld trips)\n", linesWritten, bestWrite,
              linesWritten / bestWrite, trips);
  std::printf("  whole conversion:  %.3f s, %10.0f lines/s read and written\n", bestRead + bestWrite,
              (linesRead + linesWritten) / (bestRead + bestWrite));
  return 0;
}
