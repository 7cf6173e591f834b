// The contract check, the days-of-operation check and the contract export over a generated
// timetable of 20,000 trips with their validity periods (overlapping and excluded ones among them)
// and the calendar of 2024: about a million rows of day texts in the days check.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_check && build-bench/bench/bench_check
//
// BM_OperatingDaysPdf: the days check loaded, paginated and written into a PDF file, against a
// plain loop drawing the same texts (made beforehand) and lines on the same PDF printer in the same
// run (pdf_share_of_plain_loop: the report's rate over the loop's, at least 0.5).
// BM_OperatingDaysMemory: the peak memory of the pagination and PDF run beyond what the loaded
// report holds, for 2,000 and for 20,000 trips, each in a process of its own: flat in the pages.
// BM_ContractCheckPdf and BM_ContractExport: the other two, load and output.

#include "BenchData.h"
#include "common/Cp1252.h"
#include "common/Notices.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "exchange/ContractExport.h"
#include "platform/PrintSetup.h"
#include "refdata/Seeding.h"
#include "reports/ContractReport.h"
#include "reports/OperatingDaysReport.h"
#include "reports/PainterCanvas.h"
#include "reportview/ReportView.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>

namespace {

using bench::kTrips;

QTemporaryDir& Scratch() {
  static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX"));
  return dir;
}
std::string ScratchPath(const char* name) {
  return (Scratch().path() + QLatin1Char('/') + QLatin1String(name)).toStdString();
}

// The generated database, over the whole of 2024: FER from Monday to Saturday, FES on Sundays;
// each trip runs FER (one in ten FES) in two periods of half a year each; one in seven has half of
// March excluded, one in eleven an extra period over the other two.
std::string Database() {
  static const std::string path = [] {
    const std::string p = ScratchPath("verifiche.mdb");
    ScopedNoticeSink quiet([](const Notice&) {});
    CreateSeededDatabase(p, CreateMode::Startup);
    DbDatabase db(p);
    DbBatch batch(&db);
    DbTable master(&db, "master"), cadenz(&db, "cadenz"), calend(&db, "calend"), tescor(&db, "tescor"),
        period(&db, "period");
    bench::AddHalfYear(master, cadenz, calend);
    // The whole year: the second half of the calendar, and the master's period to its end.
    for (QDate d(2024, 7, 1); d.year() == 2024; d = d.addDays(1))
      bench::AddRow(calend, {{"data", d.toString(QStringLiteral("dd/MM/yyyy")).toStdString()},
                             {"caden", d.dayOfWeek() == 7 ? "FES" : "FER"},
                             {"giorno", std::to_string(d.dayOfWeek())},
                             {"note", " "}});
    if (master.SetIndex("codice") && master.SeekEqual({"0"}) && master.Edit()) {
      master.SetFieldText("datfin", "31/12/2024");
      master.Update();
    }
    for (int t = 1; t <= kTrips; ++t) {
      const std::string id = std::to_string(t), route = std::to_string(t % bench::kRoutes);
      bench::AddRow(tescor, {{"id", id},
                             {"codcorsa", "C" + id},
                             {"codlinea", "L" + route},
                             {"verso", t % 2 ? "A" : "R"},
                             {"parte", std::to_string(bench::Hhmm(300 + t % 900))},
                             {"arriva", "2359"},
                             {"ente", std::to_string(1 + t % 6)},
                             {"contratt", std::to_string(t % 50)},
                             {"lung", "16150"},
                             {"tempo", "40"},
                             {"ct_lung", "16000"},
                             {"ct_tempo", "38"},
                             {"codperc", "P" + route},
                             {"denom", "Corsa " + id},
                             {"gruppo", "-1"},
                             {"mezzo", t % 3 ? "X" : "U"}});
      const char* type = t % 10 ? "FER" : "FES";
      auto addPeriod = [&](const char* from, const char* to, const char* excluded) {
        bench::AddRow(period, {{"id", id}, {"caden", type}, {"inizio", from}, {"fine", to}, {"escluso", excluded}});
      };
      addPeriod("01/01/2024", "30/06/2024", "0");
      addPeriod("01/07/2024", "31/12/2024", "0");
      if (t % 7 == 0) addPeriod("01/03/2024", "15/03/2024", "1");
      if (t % 11 == 0) addPeriod("15/06/2024", "15/07/2024", "0");
    }
    batch.Commit();
    return p;
  }();
  return path;
}

std::unique_ptr<QPrinter> PdfPrinter(const std::string& path, bool landscape = false) {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  ui::SetPdfPrinter(*printer, path, landscape);
  printer->setResolution(600);
  return printer;
}

double Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Paginates the report on a PDF printer and draws every page; returns the pages.
int PrintToPdf(Report& report, const std::string& path, bool landscape = false) {
  auto printer = PdfPrinter(path, landscape);
  QPainter painter(printer.get());
  PainterCanvas canvas(painter);
  report.Paginate(canvas, PrinterPage(*printer));
  for (int page = 1; page <= report.PageCount(); ++page) {
    if (page > 1) printer->newPage();
    report.PrintPage(canvas, page, false);
  }
  painter.end();
  return report.PageCount();
}

std::unique_ptr<OperatingDaysReport> LoadedDaysReport(DbDatabase& db, long lastId) {
  auto report = std::make_unique<OperatingDaysReport>(&db, false, 1, lastId);
  report->Load(&db);
  return report;
}

// The texts of the days check drawn straight on the printer, with the rows' lines: what the
// drawing costs by itself. The texts are made before the clock starts.
double PlainLoop(OperatingDaysReport& report, const std::string& path, long& texts) {
  std::vector<QString> rowTexts;
  rowTexts.reserve(report.RowCount());
  for (size_t n = 0; n < report.RowCount(); ++n) rowTexts.push_back(cp1252::ToQString(report.RowText(n)));
  const auto start = std::chrono::steady_clock::now();
  auto printer = PdfPrinter(path);
  QPainter painter(printer.get());
  painter.setFont(PainterCanvas::ReportFont(80, 600));
  QPen pen(Qt::black);
  pen.setWidth(2);
  painter.setPen(pen);
  const QFontMetrics metrics(painter.font(), printer.get());
  const int ascent = metrics.ascent(), rowHeight = metrics.height() + 20;
  const auto& c = report.Columns();
  const int right = c[4].x + c[4].width + 20;
  texts = 0;
  for (int page = 1; page <= report.PageCount(); ++page) {
    if (page > 1) printer->newPage();
    int y = 50;
    for (const QString& t :
         {QStringLiteral("Quendo"), QStringLiteral("Pag. %1 di %2").arg(page).arg(report.PageCount()),
          cp1252::ToQString(report.subtitle), QStringLiteral("05/03/2004 09:07")})
      painter.drawText(50, (y += 40) + ascent, t), ++texts;
    for (const ReportColumn& col : c) painter.drawText(col.x, y + ascent, cp1252::ToQString(col.title)), ++texts;
    y += 200;
    const long first = report.GetPageEntry(page),
               last = page < report.PageCount() ? report.GetPageEntry(page + 1) : static_cast<long>(report.RowCount());
    for (long n = first; n < last; ++n, y += rowHeight) {
      size_t row = 0;
      const OperatingDaysReport::Trip& trip = report.trips[report.TripOfRow(static_cast<size_t>(n), row)];
      if (row == 0) {
        painter.drawLine(c[0].x - 20, y, right, y);
        painter.drawText(c[0].x, y + 10 + ascent, cp1252::ToQString(trip.lineCode));
        painter.drawText(c[1].x, y + 10 + ascent, QString::number(trip.id));
        painter.drawText(c[2].x, y + 10 + ascent, cp1252::ToQString(trip.tripCode));
        painter.drawText(c[3].x, y + 10 + ascent, cp1252::ToQString(trip.departure));
        texts += 4;
      } else {
        painter.drawLine(c[4].x - 20, y, right, y);
      }
      painter.drawText(c[4].x, y + 10 + ascent, rowTexts[static_cast<size_t>(n)]);
      ++texts;
    }
  }
  painter.end();
  return Since(start);
}

void BM_OperatingDaysPdf(benchmark::State& state) {
  DbDatabase db(Database());
  double loadSeconds = 0, reportSeconds = 0, loopSeconds = 0;
  long loopTexts = 0;
  size_t rows = 0;
  int pages = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    auto report = LoadedDaysReport(db, kTrips);
    loadSeconds += Since(start);
    start = std::chrono::steady_clock::now();
    pages = PrintToPdf(*report, ScratchPath("giorni.pdf"));
    reportSeconds += Since(start);
    rows = report->RowCount();
    loopSeconds += PlainLoop(*report, ScratchPath("ciclo.pdf"), loopTexts);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["trips"] = kTrips;
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["pages"] = pages;
  state.counters["load_s"] = loadSeconds / n;
  state.counters["paginate_and_pdf_s"] = reportSeconds / n;
  state.counters["plain_loop_s"] = loopSeconds / n;
  // The same texts in both: the share is the ratio of the times.
  state.counters["pdf_share_of_plain_loop"] = loopSeconds / reportSeconds;
  state.counters["loop_texts"] = static_cast<double>(loopTexts);
  if (loopSeconds / reportSeconds < 0.5)
    state.SkipWithError("the report draws at less than half the plain loop's rate");
}

// Runs this program again for one measure in a process of its own: "--measure LAST-ID"; it prints
// "peak-growth-kB pages rows load-peak-kB run-peak-kB".
bool Measure(long lastId, long& growthKb, int& pages, long& rows, long& loadPeakKb, long& runPeakKb) {
  QProcess p;
  p.start(QCoreApplication::applicationFilePath(),
          {QStringLiteral("--measure"), QString::number(lastId), QString::fromStdString(Database())});
  if (!p.waitForFinished(-1) || p.exitCode() != 0) return false;
  return std::sscanf(p.readAllStandardOutput().constData(), "%ld %d %ld %ld %ld", &growthKb, &pages, &rows, &loadPeakKb,
                     &runPeakKb) == 5;
}

long StatusKb(const char* field) {
  long kb = -1;
  if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
    char line[256];
    const size_t n = std::strlen(field);
    while (std::fgets(line, sizeof line, status))
      if (std::strncmp(line, field, n) == 0) {
        kb = std::atol(line + n);
        break;
      }
    std::fclose(status);
  }
  return kb;
}

int MeasureChild(long lastId, const char* path) {
  DbDatabase db(path);
  auto report = LoadedDaysReport(db, lastId);
  const long loadPeak = StatusKb("VmHWM:");
  // The peak from here on: what the pagination and the PDF run add to the loaded report.
  if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
    std::fputs("5", refs);
    std::fclose(refs);
  }
  const long before = StatusKb("VmRSS:");
  const int pages = PrintToPdf(*report, ScratchPath("misura.pdf"));
  std::printf("%ld %d %zu %ld %ld\n", StatusKb("VmHWM:") - before, pages, report->RowCount(), loadPeak,
              StatusKb("VmHWM:"));
  return 0;
}

void BM_OperatingDaysMemory(benchmark::State& state) {
  long small = 0, large = 0, smallRows = 0, largeRows = 0, loadPeak = 0, runPeak = 0, unused = 0;
  int smallPages = 0, largePages = 0;
  for (auto _ : state)
    if (!Measure(kTrips / 10, small, smallPages, smallRows, unused, unused) ||
        !Measure(kTrips, large, largePages, largeRows, loadPeak, runPeak))
      state.SkipWithError("the measuring run failed");
  // The whole process: the peak of the load (the selection's rows included) and of the PDF run.
  state.counters["process_peak_kB_load"] = static_cast<double>(loadPeak);
  state.counters["process_peak_kB_pdf_run"] = static_cast<double>(runPeak);
  state.counters["pages_small"] = smallPages;
  state.counters["pages_large"] = largePages;
  state.counters["rows_large"] = static_cast<double>(largeRows);
  state.counters["pdf_run_peak_kB_small"] = static_cast<double>(small);
  state.counters["pdf_run_peak_kB_large"] = static_cast<double>(large);
  // Per page the run keeps its page table entry and the PDF writer's offsets of the page's
  // objects: 64 bytes a page at most, and a megabyte for the machine's noise.
  const double allowedKb = 64.0 * (largePages - smallPages) / 1024 + 1024;
  state.counters["growth_kB"] = static_cast<double>(large - small);
  state.counters["allowed_growth_kB"] = allowedKb;
  if (static_cast<double>(large - small) > allowedKb) state.SkipWithError("the run's memory grows with its pages");
}

void BM_ContractCheckPdf(benchmark::State& state) {
  DbDatabase db(Database());
  double loadSeconds = 0, pdfSeconds = 0;
  int pages = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    ContractReport report(&db, true);
    report.Load(&db);
    loadSeconds += Since(start);
    start = std::chrono::steady_clock::now();
    pages = PrintToPdf(report, ScratchPath("contratti.pdf"), true);
    pdfSeconds += Since(start);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["pages"] = pages;
  state.counters["load_s"] = loadSeconds / n;
  state.counters["paginate_and_pdf_s"] = pdfSeconds / n;
}

void BM_ContractExport(benchmark::State& state) {
  DbDatabase db(Database());
  double readSeconds = 0, writeSeconds = 0;
  int lines = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    const ContractExportData data = ReadContractExport(&db, nullptr);
    readSeconds += Since(start);
    start = std::chrono::steady_clock::now();
    const ContractExportResult r = WriteContractExport(data, ScratchPath("Contratti.TXT"));
    writeSeconds += Since(start);
    if (!r.ok) state.SkipWithError("the file was not written");
    lines = r.tripLines;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["trip_lines"] = lines;
  state.counters["read_s"] = readSeconds / n;
  state.counters["write_s"] = writeSeconds / n;
}

}  // namespace

BENCHMARK(BM_OperatingDaysPdf)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_OperatingDaysMemory)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_ContractCheckPdf)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(BM_ContractExport)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (argc == 4 && std::strcmp(argv[1], "--measure") == 0) return MeasureChild(std::atol(argv[2]), argv[3]);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
