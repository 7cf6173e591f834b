// The directories of stops (5140), termini (5153) and primary stops (5205) over the 400,000 stop
// rows of the generated timetable: each loader against a plain read of the same selection in the
// same run (every column of every row read, nothing kept), and the pagination of the loaded rows
// on an A4 PDF printer at 600 dpi.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_directory && build-bench/bench/bench_directory
//
// Counters: rows (stop rows read), report_rows (rows of the report), load_s and plain_s (the best
// run of each), load_share_of_plain (rows per second of the loader over those of the plain read;
// the run fails below 0.5), paginate_s and pages.

#include "BenchTimetable.h"
#include "common/Notices.h"
#include "db/DbSelect.h"
#include "platform/PrintSetup.h"
#include "refdata/Seeding.h"
#include "reports/PainterCanvas.h"
#include "reports/PrimaryStopReport.h"
#include "reports/StopDirectoryReports.h"
#include "reports/TerminalReport.h"
#include "reportview/ReportView.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <memory>

namespace {

using Data = bench::Timetable;

Data& TheData() {
  static Data d;
  return d;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The selection a loader reads, as it reads it.
struct Selection {
  const char* columns;
  const char* from;
  const char* where;
  const char* orderBy;
  const char* kinds;  // a letter a column: T read as text, N as a whole number
};

// Reads every column of every row by its kind; returns the rows.
long PlainRead(DbDatabase* db, const Selection& s) {
  DbSelect select(db);
  select.SetColumns(s.columns);
  select.SetFrom(s.from);
  if (*s.where) select.SetWhere(s.where);
  select.SetOrderBy(s.orderBy);
  if (!select.Open()) return 0;
  std::string text;
  long rows = 0, number = 0;
  for (; select.hasRow; select.MoveNext(), ++rows)
    for (int c = 0; s.kinds[c]; ++c) {
      if (s.kinds[c] == 'T')
        select.GetFieldTextAt(c, text);
      else
        select.GetFieldLongAt(c, &number);
    }
  return rows;
}

template <class R, class Make>
void Run(benchmark::State& state, Make make, const Selection& selection) {
  Data& data = TheData();
  DbDatabase* db = data.db.get();
  std::unique_ptr<R> report;
  double load = 0, plain = 0, paginate = 0;
  long rows = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    report = make(db);
    report->Load(db);
    const double l = Since(start);
    start = std::chrono::steady_clock::now();
    rows = PlainRead(db, selection);
    const double p = Since(start);
    load = load == 0 ? l : std::min(load, l);
    plain = plain == 0 ? p : std::min(plain, p);

    QPrinter printer(QPrinter::HighResolution);
    ui::SetPdfPrinter(printer, (data.dir.path() + QStringLiteral("/misura.pdf")).toStdString(), false);
    printer.setResolution(600);
    QPainter painter(&printer);
    PainterCanvas canvas(painter);
    start = std::chrono::steady_clock::now();
    report->Paginate(canvas, PrinterPage(printer));
    const double g = Since(start);
    paginate = paginate == 0 ? g : std::min(paginate, g);
    painter.end();
  }
  const double share = (static_cast<double>(rows) / load) / (static_cast<double>(rows) / plain);
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["report_rows"] = static_cast<double>(report->RowCount());
  state.counters["load_s"] = load;
  state.counters["plain_s"] = plain;
  state.counters["load_share_of_plain"] = share;
  state.counters["paginate_s"] = paginate;
  state.counters["pages"] = report->PageCount();
  if (rows != bench::kTrips * bench::kStopsPerTrip && selection.where[0] == '\0')
    state.SkipWithError("the selection did not read every stop row");
  if (share < 0.5) state.SkipWithError("the loader reads at less than half the rate of a plain read");
}

void BM_Stops5140(benchmark::State& state) {
  Run<StopDirectoryReport>(
      state,
      [](DbDatabase* db) { return std::make_unique<StopDirectoryReport>(db, StopDirectoryReport::Content::Stops); },
      {"detcor.fermata, detcor.denom, detcor.ubicaz, local.denom, local.comune, local.prov", "detcor, local",
       "local.id = detcor.reglocal", "detcor.denom, detcor.ubicaz, detcor.fermata, detcor.id, detcor.sub", "TTTTTT"});
}

void BM_Termini5153(benchmark::State& state) {
  Run<TerminalReport>(state, [](DbDatabase* db) { return std::make_unique<TerminalReport>(db); },
                      {"id, sub, fermata, denom, ubicaz", "detcor", "", "id, sub", "NNTTT"});
}

void BM_PrimaryStops5205(benchmark::State& state) {
  Run<PrimaryStopReport>(state, [](DbDatabase* db) { return std::make_unique<PrimaryStopReport>(db); },
                         {"fermata, denom, primaria, facolt", "detcor", "", "denom, fermata", "TTNN"});
}

}  // namespace

BENCHMARK(BM_Stops5140)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_Termini5153)->Unit(benchmark::kSecond)->Iterations(3);
BENCHMARK(BM_PrimaryStops5205)->Unit(benchmark::kSecond)->Iterations(3);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
