// "Rubrica Corse" of the generated timetable: its 20,000 trips of 20 stops (400,000 stop rows)
// grouped into quadri by the grouping utility (1,000 quadri of 20 trips), loaded, paginated and
// drawn into a PDF file, against a plain loop drawing the same texts on the same PDF printer in
// the same run.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_quadro_report && build-bench/bench/bench_quadro_report
//
// BM_Load: the loader (two selections, the letters, the days of operation). BM_PaginateAndPdf:
// pagination and every page into a PDF file (report_s, the figure asked for), and the rate of its
// texts over that of the plain loop (pdf_share_of_plain_loop, at least 0.5).

#include "BenchData.h"
#include "common/Cp1252.h"
#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "platform/PrintSetup.h"
#include "refdata/Seeding.h"
#include "reports/PainterCanvas.h"
#include "reports/QuadroReports.h"
#include "reports/ReportCanvas.h"
#include "reportview/ReportView.h"
#include "utilities/TripGrouping.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>

namespace {

using bench::kStopsPerTrip;
using bench::kTrips;

QTemporaryDir& Scratch() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX"));
  return dir;
}
std::string ScratchPath(const char* name) {
  return (Scratch().path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
}

bool Exec(sqlite3* db, const std::string& sql) {
  char* message = nullptr;
  const bool ok = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK;
  if (!ok) std::fprintf(stderr, "%s\n", message ? message : "?");
  sqlite3_free(message);
  return ok;
}

// The generated timetable, grouped into quadri; made once.
struct Timetable {
  std::string path = ScratchPath("corse.mdb");
  bool ok = false;

  Timetable() {
    {
      const ScopedNoticeSink quiet([](const Notice&) {});
      CreateSeededDatabase(path, CreateMode::Startup);
    }
    DbDatabase db(path);
    {
      DbTable master(&db, "master");
      master.AddNew();
      for (const auto& [field, value] : {std::pair{"codice", "0"},
                                         {"azienda", "17"},
                                         {"datini", "01/01/2024"},
                                         {"datfin", "30/06/2024"},
                                         {"id_corsa", "20001"},
                                         {"gruppo", "0"}})
        master.SetFieldText(field, value);
      master.Update();
    }
    sqlite3* h = db.Handle();
    ok = Exec(h,
              "BEGIN;"
              "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');"
              "WITH RECURSIVE d(n) AS (SELECT 0 UNION ALL SELECT n + 1 FROM d WHERE n < 181)"
              " INSERT INTO calend (data, caden, giorno, note) SELECT date('2024-01-01', '+' || n || ' day'),"
              "  CASE n % 7 WHEN 6 THEN 'FES' ELSE 'FER' END, n % 7 + 1, ' ' FROM d;"
              "WITH RECURSIVE t(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM t WHERE k < 20000)"
              " INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
              "  ct_tempo, codperc, denom, gruppo)"
              " SELECT k, 'C' || k, 'L' || (k % 1000), CASE k % 2 WHEN 1 THEN 'A' ELSE 'R' END,"
              "  (300 + k * 7 % 900) / 60 * 100 + (300 + k * 7 % 900) % 60, 2359, 1, k % 50, 16150, 40, 16150, 40,"
              "  'P' || (k % 1000), 'Corsa ' || k, -1 FROM t;"
              "WITH RECURSIVE t(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM t WHERE k < 20000)"
              " INSERT INTO period (id, caden, inizio, fine, escluso)"
              " SELECT k, CASE WHEN k % 5 THEN 'FER' ELSE 'FES' END, '2024-01-01', '2024-03-31', 0 FROM t"
              " UNION ALL SELECT k, CASE WHEN k % 5 THEN 'FER' ELSE 'FES' END, '2024-04-01', '2024-06-30', 0 FROM t"
              " UNION ALL SELECT k, 'FER', '2024-08-01', '2024-08-31', 1 FROM t WHERE k % 3 = 0;");
    sqlite3_stmt* insert = nullptr;
    ok = ok && sqlite3_prepare_v2(h,
                                  "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria,"
                                  " facolt, nonferma, reglocal) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, 0, 0, 0)",
                                  -1, &insert, nullptr) == SQLITE_OK;
    for (int t = 1; ok && t <= kTrips; ++t)
      for (int s = 1; s <= kStopsPerTrip; ++s) {
        const bench::StopTexts stop = bench::Stop(t, s);
        const std::string name = cp1252::ToUtf8(stop.name), place = cp1252::ToUtf8(stop.place);
        sqlite3_bind_int(insert, 1, t);
        sqlite3_bind_int(insert, 2, s);
        sqlite3_bind_text(insert, 3, stop.code, -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, place.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(insert, 6, (s - 1) * 850);
        sqlite3_bind_int(insert, 7, stop.arrives);
        sqlite3_bind_int(insert, 8, stop.leaves);
        sqlite3_bind_int(insert, 9, s == 1 ? 1 : 0);
        ok = sqlite3_step(insert) == SQLITE_DONE && sqlite3_reset(insert) == SQLITE_OK;
      }
    sqlite3_finalize(insert);
    ok = ok && Exec(h, "COMMIT;");
    const GroupingResult grouped = GroupTrips(&db, nullptr);
    ok = ok && grouped.ok;
    std::fprintf(stderr, "timetable: %d trips in %d quadri\n", grouped.tripsRead, grouped.quadri);
  }
};

Timetable& TheTimetable() {
  static Timetable t;
  return t;
}

std::unique_ptr<QPrinter> PdfPrinter(const std::string& path) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  ui::SetPdfPrinter(*printer, path, false);
  printer->setResolution(600);
  return printer;
}

// Takes down the texts of every page as the report draws them.
class TextRecorder : public ReportCanvas {
 public:
  explicit TextRecorder(ReportCanvas& measure) : measure_(measure) {}
  void SetFont(int tenths) override { measure_.SetFont(tenths); }
  int TextWidth(std::string_view text) override { return measure_.TextWidth(text); }
  int LineHeight() override { return measure_.LineHeight(); }
  void Text(int x, int y, std::string_view text) override {
    if (!text.empty()) pages.back().push_back({x, y, std::string(text)});
  }
  void Line(int, int, int, int) override {}
  void Band(int, int, int, int) override {}
  struct Drawn {
    int x, y;
    std::string text;
  };
  std::vector<std::vector<Drawn>> pages;

 private:
  ReportCanvas& measure_;
};

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void BM_Load(benchmark::State& state) {
  Timetable& t = TheTimetable();
  if (!t.ok) state.SkipWithError("the timetable could not be made");
  DbDatabase db(t.path);
  size_t rows = 0, quadri = 0;
  for (auto _ : state) {
    TripReport report(&db, true, -1, -1, true, true);
    report.Load(&db);
    rows = report.RowCount();
    quadri = report.quadri.size();
  }
  state.counters["stop_rows"] = static_cast<double>(rows);
  state.counters["quadri"] = static_cast<double>(quadri);
}

void BM_PaginateAndPdf(benchmark::State& state) {
  Timetable& t = TheTimetable();
  if (!t.ok) state.SkipWithError("the timetable could not be made");
  DbDatabase db(t.path);
  TripReport report(&db, true, -1, -1, true, true);
  report.Load(&db);

  // The texts of every page, once, for the plain loop.
  std::vector<std::vector<TextRecorder::Drawn>> pages;
  {
    auto printer = PdfPrinter(ScratchPath("misura.pdf"));
    QPainter painter(printer.get());
    PainterCanvas measure(painter);
    TextRecorder recorder(measure);
    report.Paginate(recorder, PrinterPage(*printer));
    for (int page = 1; page <= report.PageCount(); ++page) {
      recorder.pages.emplace_back();
      report.PrintPage(recorder, page, false);
    }
    pages = std::move(recorder.pages);
  }
  long texts = 0;
  for (const auto& page : pages) texts += static_cast<long>(page.size());

  double reportSeconds = 0, loopSeconds = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    {
      auto printer = PdfPrinter(ScratchPath("rubrica.pdf"));
      QPainter painter(printer.get());
      PainterCanvas canvas(painter);
      report.Paginate(canvas, PrinterPage(*printer));
      for (int page = 1; page <= report.PageCount(); ++page) {
        if (page > 1) printer->newPage();
        report.PrintPage(canvas, page, false);
      }
    }
    reportSeconds += Since(start);
    start = std::chrono::steady_clock::now();
    {
      auto printer = PdfPrinter(ScratchPath("ciclo.pdf"));
      QPainter painter(printer.get());
      painter.setFont(PainterCanvas::ReportFont(70, 600));
      const int ascent = QFontMetrics(painter.font(), printer.get()).ascent();
      bool first = true;
      for (const auto& page : pages) {
        if (!first) printer->newPage();
        first = false;
        for (const TextRecorder::Drawn& d : page) painter.drawText(d.x, d.y + ascent, cp1252::ToQString(d.text));
      }
    }
    loopSeconds += Since(start);
  }
  const double n = static_cast<double>(state.iterations());
  const double reportRate = static_cast<double>(texts) * n / reportSeconds;
  const double loopRate = static_cast<double>(texts) * n / loopSeconds;
  state.counters["pages"] = report.PageCount();
  state.counters["texts"] = static_cast<double>(texts);
  state.counters["report_s"] = reportSeconds / n;
  state.counters["loop_s"] = loopSeconds / n;
  state.counters["pdf_share_of_plain_loop"] = reportRate / loopRate;
  if (reportRate < loopRate / 2) state.SkipWithError("the report draws at less than half the plain loop's rate");
}

}  // namespace

BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PaginateAndPdf)->Unit(benchmark::kSecond)->Iterations(2);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
