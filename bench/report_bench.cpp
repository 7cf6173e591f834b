// The printed reports with the generated timetable: one row per stop row of its 20,000 trips
// (400,000 rows, some 7,000 A4 pages at 600 dpi), paginated, drawn into a PDF file, and previewed.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_report && build-bench/bench/bench_report
//
// BM_Paginate: the pagination alone. BM_PaginateAndPdf: pagination and every page into a PDF file,
// against a plain loop drawing the same texts and lines on the same PDF printer in the same run
// (pdf_share_of_plain_loop, the rate of the report over that of the loop). BM_PeakMemory: the
// peak memory of a whole PDF run of 700 and of 7,000 pages, each in a process of its own, beside
// the storage of the rows themselves. BM_Preview: Qt's preview of the 7,000 pages, which keeps
// every page as a picture: its time and peak memory.

#include "BenchData.h"
#include "BenchPeak.h"
#include "common/Cp1252.h"
#include "common/Formatters.h"
#include "platform/PrintSetup.h"
#include "reports/PainterCanvas.h"
#include "reports/Report.h"
#include "reports/ReportCanvas.h"
#include "reportview/ReportView.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <QApplication>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

// One stop row: trip, stop code, stop name, arrival, departure.
class StopReport : public Report {
 public:
  struct Row {
    int trip;
    std::string code, name, arrives, leaves;
  };

  explicit StopReport(int trips) : Report("Fermate delle corse") {
    subtitle = "Azienda 17 - Prova [periodo dal 01/01/2024 al 30/06/2024]";
    columns_ = {{"99999", "Corsa"},
                {"VVVVVVVVVV", "Fermata"},
                {std::string(30, 'V'), "Denominazione"},
                {"99:99", "Arriva"},
                {"99:99", "Parte"}};
    rows.reserve(static_cast<size_t>(trips) * bench::kStopsPerTrip);
    for (int t = 1; t <= trips; ++t)
      for (int s = 1; s <= bench::kStopsPerTrip; ++s) {
        const bench::StopTexts stop = bench::Stop(t, s);
        rows.push_back({t, stop.code, stop.name, FormatTimeOfDay(stop.arrives), FormatTimeOfDay(stop.leaves)});
      }
  }
  size_t RowCount() const override { return rows.size(); }

  std::vector<Row> rows;

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override {
    const Row& r = rows[n];
    RowLine(canvas, X(0) - 20, y);
    char trip[16];
    std::snprintf(trip, sizeof trip, "%d", r.trip);
    canvas.RightText(X(0) + W(0), y + 10, trip);
    canvas.Text(X(1), y + 10, r.code);
    canvas.Text(X(2), y + 10, r.name);
    canvas.Text(X(3), y + 10, r.arrives);
    canvas.Text(X(4), y + 10, r.leaves);
    return y + LineHeight() + 20;
  }
};

std::unique_ptr<QPrinter> PdfPrinter(const std::string& path) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  ui::SetPdfPrinter(*printer, path, false);
  printer->setResolution(600);
  return printer;
}

StopReport& AllStops() {
  static StopReport report(bench::kTrips);
  return report;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Paginates the report on `printer` and draws every page.
void DrawAll(StopReport& report, QPrinter& printer, bool preview) {
  QPainter painter(&printer);
  PainterCanvas canvas(painter);
  report.Paginate(canvas, PrinterPage(printer));
  for (int page = 1; page <= report.PageCount(); ++page) {
    if (page > 1) printer.newPage();
    report.PrintPage(canvas, page, preview);
  }
}

// The whole PDF run of the report: returns the texts drawn.
long PrintToPdf(StopReport& report, const std::string& path) {
  DrawAll(report, *PdfPrinter(path), false);
  return static_cast<long>(report.RowCount()) * 5 + report.PageCount() * 9L;
}

// The same texts and lines drawn straight on the printer: what the drawing costs by itself.
long PlainLoop(StopReport& report, const std::string& path) {
  auto printer = PdfPrinter(path);
  QPainter painter(printer.get());
  painter.setFont(PainterCanvas::ReportFont(80, 600));
  const QFontMetrics metrics(painter.font(), printer.get());
  const int ascent = metrics.ascent(), row = metrics.height() + 20;
  const auto& c = report.Columns();
  long texts = 0;
  for (int page = 1; page <= report.PageCount(); ++page) {
    if (page > 1) printer->newPage();
    const QString head[] = {QStringLiteral("Quendo"), QStringLiteral("Pag. %1 di %2").arg(page).arg(report.PageCount()),
                            cp1252::ToQString(report.subtitle), QStringLiteral("05/03/2004 09:07")};
    int y = 50;
    for (const QString& t : head) painter.drawText(50, (y += 40) + ascent, t), ++texts;
    for (const ReportColumn& col : c) painter.drawText(col.x, y + ascent, cp1252::ToQString(col.title)), ++texts;
    y += 200;
    const long first = report.GetPageEntry(page),
               last = page < report.PageCount() ? report.GetPageEntry(page + 1) : static_cast<long>(report.RowCount());
    for (long n = first; n < last; ++n, y += row) {
      const StopReport::Row& r = report.rows[static_cast<size_t>(n)];
      painter.drawLine(c[0].x - 20, y, c[4].x + c[4].width + 20, y);
      painter.drawText(c[0].x, y + 10 + ascent, QString::number(r.trip));
      painter.drawText(c[1].x, y + 10 + ascent, cp1252::ToQString(r.code));
      painter.drawText(c[2].x, y + 10 + ascent, cp1252::ToQString(r.name));
      painter.drawText(c[3].x, y + 10 + ascent, cp1252::ToQString(r.arrives));
      painter.drawText(c[4].x, y + 10 + ascent, cp1252::ToQString(r.leaves));
      texts += 5;
    }
  }
  painter.end();
  return texts;
}

QTemporaryDir& Scratch() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX"));
  return dir;
}
std::string ScratchPath(const char* name) {
  return (Scratch().path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
}

void BM_Paginate(benchmark::State& state) {
  StopReport& report = AllStops();
  auto printer = PdfPrinter(ScratchPath("misura.pdf"));
  QPainter painter(printer.get());
  PainterCanvas canvas(painter);
  for (auto _ : state) report.Paginate(canvas, PrinterPage(*printer));
  state.counters["rows"] = static_cast<double>(report.RowCount());
  state.counters["pages"] = report.PageCount();
  painter.end();
}

void BM_PaginateAndPdf(benchmark::State& state) {
  StopReport& report = AllStops();
  double reportSeconds = 0, loopSeconds = 0;
  long reportTexts = 0, loopTexts = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    reportTexts += PrintToPdf(report, ScratchPath("report.pdf"));
    reportSeconds += Since(start);
    start = std::chrono::steady_clock::now();
    loopTexts += PlainLoop(report, ScratchPath("loop.pdf"));
    loopSeconds += Since(start);
  }
  const double reportRate = static_cast<double>(reportTexts) / reportSeconds;
  const double loopRate = static_cast<double>(loopTexts) / loopSeconds;
  state.counters["pages"] = report.PageCount();
  state.counters["report_s"] = reportSeconds / static_cast<double>(state.iterations());
  state.counters["report_texts_per_s"] = reportRate;
  state.counters["loop_texts_per_s"] = loopRate;
  state.counters["pdf_share_of_plain_loop"] = reportRate / loopRate;
  if (reportRate < loopRate / 2) state.SkipWithError("the report draws at less than half the plain loop's rate");
}

// Runs this program again to measure one run in a process of its own: "KIND TRIPS" on its
// command line; it prints "peak-kB seconds storage-bytes pages".
bool Measure(const char* kind, int trips, long& peakKb, double& seconds, double& storage, int& pages) {
  QProcess p;
  p.start(QCoreApplication::applicationFilePath(),
          {QStringLiteral("--measure"), QString::fromLatin1(kind), QString::number(trips)});
  if (!p.waitForFinished(-1) || p.exitCode() != 0) return false;
  return std::sscanf(p.readAllStandardOutput().constData(), "%ld %lf %lf %d", &peakKb, &seconds, &storage, &pages) == 4;
}

int MeasureChild(const char* kind, int trips) {
  // The rows' own storage as the allocator counts it, headers and rounding included.
  const auto heap = [] {
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
  };
  const size_t heapBefore = heap();
  StopReport report(trips);
  const double rowsStorage = static_cast<double>(heap() - heapBefore);
  const auto start = std::chrono::steady_clock::now();
  if (std::strcmp(kind, "pdf") == 0) {
    PrintToPdf(report, ScratchPath("misura.pdf"));
  } else {
    auto printer = PdfPrinter(ScratchPath("anteprima.pdf"));
    QPrintPreviewWidget preview(printer.get());
    QObject::connect(&preview, &QPrintPreviewWidget::paintRequested, [&](QPrinter* p) { DrawAll(report, *p, true); });
    preview.updatePreview();
  }
  const double seconds = Since(start);
  // The peak of this process's own memory (the usage counters would count the parent's too,
  // whose copy this process began as).
  const long peakKb = bench::OwnPeakKb();
  std::printf("%ld %f %f %d\n", peakKb, seconds, rowsStorage, report.PageCount());
  return 0;
}

void BM_PeakMemory(benchmark::State& state) {
  long small = 0, large = 0;
  double s1 = 0, s2 = 0, storageSmall = 0, storageLarge = 0;
  int pagesSmall = 0, pagesLarge = 0;
  for (auto _ : state) {
    if (!Measure("pdf", bench::kTrips / 10, small, s1, storageSmall, pagesSmall) ||
        !Measure("pdf", bench::kTrips, large, s2, storageLarge, pagesLarge))
      state.SkipWithError("the measuring run failed");
  }
  state.counters["pages_small"] = pagesSmall;
  state.counters["pages_large"] = pagesLarge;
  state.counters["peak_kB_small"] = static_cast<double>(small);
  state.counters["peak_kB_large"] = static_cast<double>(large);
  state.counters["peak_growth_kB"] = static_cast<double>(large - small);
  state.counters["rows_storage_growth_kB"] = (storageLarge - storageSmall) / 1024;
  // Beyond the rows, a run keeps per page only its entry in the page table and the PDF writer's
  // offsets of the page's objects, which every PDF file lists at its end: 64 bytes a page at most.
  const double perPage = 64.0 * (pagesLarge - pagesSmall) / 1024;
  state.counters["per_page_bytes"] =
      (static_cast<double>(large - small) - (storageLarge - storageSmall) / 1024) * 1024 / (pagesLarge - pagesSmall);
  if (static_cast<double>(large - small) > (storageLarge - storageSmall) / 1024 + perPage)
    state.SkipWithError("the peak grows by more than the rows' own storage");
}

void BM_Preview(benchmark::State& state) {
  long peak = 0;
  double seconds = 0, storage = 0;
  int pages = 0;
  for (auto _ : state)
    if (!Measure("preview", bench::kTrips, peak, seconds, storage, pages)) state.SkipWithError("the preview failed");
  state.counters["pages"] = pages;
  state.counters["preview_s"] = seconds;
  state.counters["peak_kB"] = static_cast<double>(peak);
  state.counters["rows_storage_kB"] = storage / 1024;
}

}  // namespace

BENCHMARK(BM_Paginate)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaginateAndPdf)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_PeakMemory)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_Preview)->Unit(benchmark::kSecond)->Iterations(1);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) return MeasureChild(argv[2], std::atoi(argv[3]));
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
