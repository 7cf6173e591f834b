// The grid editors on the offscreen platform: the time to open one (the dialog built, its rows
// loaded, shown over a 1280x800 area and painted once), and, in the same open dialog, the time of
// a page of scrolling (the grid moved down a page and repainted at once) from the first row to the
// last. The calendar over a two-year period and over the whole 1900-2099 range (no master row),
// with the rows a generation of ten day types gives; the day types with 200 of them.
// The time reported is the opening; the counters give the pages: page_ms their mean, page_p99_ms
// and page_max_ms the slow ones, scroll_ms all the pages of one opening.
//
// The trip list over 20,000 trips, opened as its command opens it, three times: the opening as
// above, the page of scrolling from the first trip to the last, then each of the eleven sort
// orders chosen in turn (the trips read again in that order and the grid repainted at once):
// sort_mean_ms, sort_max_ms and the slowest one's order, slowest_order. Aim: an opening and a
// sort under half a second, a page under 16 ms.
//
// The quadro of one trip among 300 with 60 stops each, opened three times from the trip list: the
// time from ShowQuadro to its first paint (open_mean_ms, open_max_ms), then the columns scrolled a
// page at a time with the horizontal bar, each page repainted at once (page_ms, page_max_ms). Aim:
// an opening under 0.3 s, a page under 16 ms.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_editor && build-bench/bench/bench_editor

#include "common/Cp1252.h"
#include "common/Notices.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "editing/EditorTransaction.h"
#include "editors/CadenceDialog.h"
#include "editors/CalendarDialog.h"
#include "editors/CalendarGrid.h"
#include "editors/GridWindow.h"
#include "editors/ListGrid.h"
#include "editors/TimetableGrid.h"
#include "editors/TripDialog.h"
#include "editors/TripListGrid.h"
#include "platform/Ui.h"
#include "refdata/Seeding.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QScrollBar>
#include <QSize>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double>(to - from).count();
}

constexpr int kCalendarDayTypes = 10;
constexpr int kListDayTypes = 200;

// One database of each kind, made once.
struct Databases {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string twoYears, wholeRange, dayTypes;
  long calendRows = 0;

  Databases() {
    const std::string folder = dir.path().toStdString();
    wholeRange = folder + "/intero.mdb";
    twoYears = folder + "/biennio.mdb";
    dayTypes = folder + "/cadenze.mdb";
    {
      const ScopedNoticeSink quiet([](const Notice&) {});  // the creation's success notice
      CreateSeededDatabase(wholeRange, CreateMode::Startup);
    }
    QFile::copy(QString::fromStdString(wholeRange), QString::fromStdString(dayTypes));
    calendRows = Generate(wholeRange);
    QFile::copy(QString::fromStdString(wholeRange), QString::fromStdString(twoYears));
    AddMaster(twoYears);
    AddMaster(dayTypes);
    AddDayTypes(dayTypes, kListDayTypes, "C%03d", "Cadenza di prova numero %d");
  }

  static void AddMaster(const std::string& path) {
    DbDatabase db(path);
    DbTable master(&db, "master");
    master.AddNew();
    master.SetFieldText("codice", "0");
    master.SetFieldText("azienda", "17");
    master.SetFieldText("datini", "01/01/2024");
    master.SetFieldText("datfin", "31/12/2025");
    master.SetFieldText("id_corsa", "0");
    master.SetFieldText("gruppo", "0");
    master.Update();
  }

  static void AddDayTypes(const std::string& path, int count, const char* codeForm, const char* nameForm) {
    DbDatabase db(path);
    DbTable table(&db, "cadenz");
    DbBatch batch(&db);
    char code[16], name[64];
    for (int n = 1; n <= count; ++n) {
      std::snprintf(code, sizeof code, codeForm, n);
      std::snprintf(name, sizeof name, nameForm, n);
      table.AddNew();
      table.SetFieldText("codice", code);
      table.SetFieldText("denom", name);
      table.Update();
    }
    batch.Commit();
  }

  // Ten day types over 2024-2025, each on two to five weekdays, as ten generations would write
  // them; returns the calendar rows written.
  static long Generate(const std::string& path) {
    AddDayTypes(path, kCalendarDayTypes, "CAD%02d", "Cadenza %d");
    DbDatabase db(path);
    DbTable table(&db, "calend");
    DbBatch batch(&db);
    long rows = 0;
    char code[16], date[16], weekday[2] = {0, 0};
    for (QDate day(2024, 1, 1); day <= QDate(2025, 12, 31); day = day.addDays(1)) {
      std::snprintf(date, sizeof date, "%02d/%02d/%04d", day.day(), day.month(), day.year());
      weekday[0] = static_cast<char>('0' + day.dayOfWeek());
      for (int n = 1; n <= kCalendarDayTypes; ++n) {
        if ((day.dayOfWeek() + n) % 7 >= 2 + n % 4) continue;
        std::snprintf(code, sizeof code, "CAD%02d", n);
        table.AddNew();
        table.SetFieldText("data", date);
        table.SetFieldText("caden", code);
        table.SetFieldText("giorno", weekday);
        table.SetFieldText("note", " ");
        if (table.Update()) ++rows;
      }
    }
    batch.Commit();
    return rows;
  }
};

Databases& TheDatabases() {
  static Databases databases;
  return databases;
}

constexpr int kTrips = 20000;

// The trips of a working timetable: 57 lines both ways, leaving from 5:00 to 22:30, 15 to 84
// minutes long, in 800 quadri; route codes, trip codes like "12/0451", descriptions between twelve
// places (some with accents, one in lower case), one trip in nine without a regional id.
const char* const kTripsSql =
    "UPDATE master SET id_corsa = 20000, gruppo = 800;"
    "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 20000),"
    " place(p, name) AS (VALUES (0, 'Città Alta'), (1, 'Forlì Centro'), (2, 'Stazione FS'), (3, 'Cantù'),"
    "  (4, 'Piazza Unità'), (5, 'Ospedale'), (6, 'Sant''Agata'), (7, 'Università'), (8, 'Porta Nuova'),"
    "  (9, 'Ca'' Foscari'), (10, 'Zona Industriale'), (11, 'àncora Molo')),"
    " t(k, line, dep, dur) AS (SELECT k, 1 + k * 7 % 57, 300 + k * 53 % 1050, 15 + k * 11 % 70 FROM n)"
    " INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
    "  ct_tempo, codperc, reglinea, denom, gruppo)"
    " SELECT k, line || '/' || printf('%04d', k * 37 % 9973), line || CASE WHEN line % 5 = 0 THEN 'B' ELSE '' END,"
    "  CASE k % 2 WHEN 0 THEN 'A' ELSE 'R' END, dep / 60 * 100 + dep % 60,"
    "  (dep + dur) / 60 * 100 + (dep + dur) % 60, 1, 1, dur * (250 + k % 170), dur, dur * (250 + k % 170), dur,"
    "  'P' || printf('%03d', k * 13 % 700), CASE WHEN k % 9 = 0 THEN NULL ELSE 1000 + k * 3 % 800 END,"
    "  (SELECT name FROM place WHERE p = k % 12) || ' - ' || (SELECT name FROM place WHERE p = (k / 12 + 5) % 12),"
    "  1 + k * 7919 % 800"
    " FROM t";

// A seeded database with its master row and the trips, made once.
struct TripDatabase {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string path;
  bool ok = false;

  TripDatabase() : path(dir.path().toStdString() + "/corse.mdb") {
    {
      const ScopedNoticeSink quiet([](const Notice&) {});
      CreateSeededDatabase(path, CreateMode::Startup);
    }
    Databases::AddMaster(path);
    DbDatabase db(path);
    char* message = nullptr;
    ok = sqlite3_exec(db.Handle(), cp1252::ToUtf8(kTripsSql).c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok) std::fprintf(stderr, "%s\n", message ? message : "?");
    sqlite3_free(message);
  }
};

TripDatabase& TheTripDatabase() {
  static TripDatabase database;
  return database;
}

// Counts the paint events of a widget.
class PaintCounter : public QObject {
 public:
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++count;
    return false;
  }
};

// Waits for the first paint counted; the seconds since `start` then, 0 when none came.
double WaitFirstPaint(const PaintCounter& paints, Clock::time_point start) {
  QElapsedTimer guard;
  guard.start();
  while (paints.count == 0 && guard.elapsed() < 10000) QCoreApplication::processEvents();
  return paints.count > 0 ? Seconds(start, Clock::now()) : 0;
}

// Scrolls a grid page by page to its last row, repainting each page at once; the time of each.
std::vector<double> ScrollToEnd(GridWindow* grid) {
  std::vector<double> pages;
  while (grid->Top() + grid->VisibleRows() < grid->RowCount()) {
    const Clock::time_point t0 = Clock::now();
    grid->ScrollTo(grid->Top() + grid->VisibleRows());
    grid->repaint();
    pages.push_back(Seconds(t0, Clock::now()));
  }
  return pages;
}

struct Sample {
  double open = 0;                // seconds, from the dialog's construction to its grid painted
  std::vector<double> pages;      // seconds, each page scrolled to reach the last row
  int pagePaints = 0;             // paints of the grid while scrolling (one a page expected)
  int rows = 0, visibleRows = 0;  // of the grid
  QSize size;                     // of the editor
};

// Opens an editor as its command does over a 1280x800 area, waits for its grid's first paint,
// then scrolls it page by page to the last row and closes it.
template <class Editor, class Make>
Sample OpenAndScroll(const std::string& path, Make make) {
  DbDatabase db(path);
  EditorTransaction transaction(&db);
  QWidget area;
  area.resize(1280, 800);
  Sample s;
  const Clock::time_point start = Clock::now();
  std::unique_ptr<Editor> editor(make(&area, &db, &transaction));
  GridWindow* grid = editor->GridWindowOf();
  PaintCounter paints;
  grid->viewport()->installEventFilter(&paints);
  QTimer::singleShot(0, editor.get(), [&] {
    s.open = WaitFirstPaint(paints, start);
    s.rows = grid->RowCount();
    s.visibleRows = grid->VisibleRows();
    s.size = editor->size();
    const int before = paints.count;
    s.pages = ScrollToEnd(grid);
    s.pagePaints = paints.count - before;
    editor->close();
  });
  editor->DoModal();
  transaction.Commit();
  return s;
}

// The value below which the given fraction of the sorted times lies.
double Percentile(const std::vector<double>& sorted, double fraction) {
  if (sorted.empty()) return 0;
  return sorted[std::min(sorted.size() - 1, static_cast<size_t>(fraction * static_cast<double>(sorted.size())))];
}

template <class Editor, class Make>
void RunEditor(benchmark::State& state, const std::string& path, Make make) {
  std::vector<double> pages;
  Sample last;
  for (auto _ : state) {
    last = OpenAndScroll<Editor>(path, make);
    if (last.open <= 0 || last.pagePaints < static_cast<int>(last.pages.size())) {
      state.SkipWithError("the grid was not painted as expected");
      return;
    }
    state.SetIterationTime(last.open);
    pages.insert(pages.end(), last.pages.begin(), last.pages.end());
  }
  if (state.iterations() == 0) return;
  std::sort(pages.begin(), pages.end());
  double total = 0;
  for (double p : pages) total += p;
  const double iterations = static_cast<double>(state.iterations());
  state.counters["rows"] = last.rows;
  state.counters["rows_shown"] = last.visibleRows;
  state.counters["width"] = last.size.width();
  state.counters["height"] = last.size.height();
  state.counters["pages"] = static_cast<double>(last.pages.size());
  state.counters["page_ms"] = pages.empty() ? 0 : total / static_cast<double>(pages.size()) * 1e3;
  state.counters["page_p99_ms"] = Percentile(pages, 0.99) * 1e3;
  state.counters["page_max_ms"] = pages.empty() ? 0 : pages.back() * 1e3;
  state.counters["scroll_ms"] = total / iterations * 1e3;
}

auto MakeCalendar = [](QWidget* area, DbDatabase* db, EditorTransaction* transaction) {
  return new CalendarDialog(area, db, transaction, nullptr, 118);
};

void BM_CalendarTwoYears(benchmark::State& state) {
  RunEditor<CalendarDialog>(state, TheDatabases().twoYears, MakeCalendar);
  state.counters["calend_rows"] = static_cast<double>(TheDatabases().calendRows);
}

void BM_CalendarWholeRange(benchmark::State& state) {
  RunEditor<CalendarDialog>(state, TheDatabases().wholeRange, MakeCalendar);
  state.counters["calend_rows"] = static_cast<double>(TheDatabases().calendRows);
}

void BM_DayTypes(benchmark::State& state) {
  RunEditor<CadenceDialog>(state, TheDatabases().dayTypes,
                           [](QWidget* area, DbDatabase* db, EditorTransaction* transaction) {
                             return new CadenceDialog(area, db, transaction, 116);
                           });
}

struct TripSample : Sample {
  std::vector<double> sorts;  // seconds, each sort order 0 to 10 chosen and repainted
  int sortPaints = 0;
};

// Opens the trip editor as its command does, waits for its first paint, scrolls to the last trip,
// chooses each sort order in turn and ends the editor with "Fine" (its close button never does).
TripSample OpenScrollAndSort(const std::string& path) {
  DbDatabase db(path);
  EditorTransaction transaction(&db);
  QWidget area;
  area.resize(1280, 800);
  TripSample s;
  const Clock::time_point start = Clock::now();
  TripDialog editor(&area, &db, &transaction, 120);
  GridWindow* grid = editor.ListGrid();
  PaintCounter paints;
  grid->viewport()->installEventFilter(&paints);
  QTimer::singleShot(0, &editor, [&] {
    s.open = WaitFirstPaint(paints, start);
    s.rows = grid->RowCount();
    s.visibleRows = grid->VisibleRows();
    s.size = editor.size();
    int before = paints.count;
    s.pages = ScrollToEnd(grid);
    s.pagePaints = paints.count - before;
    before = paints.count;
    for (int k = 0; k < TripRows::kSortOrders; ++k) {
      const Clock::time_point t0 = Clock::now();
      editor.SelectSortOrder(k);
      grid->repaint();
      s.sorts.push_back(Seconds(t0, Clock::now()));
    }
    s.sortPaints = paints.count - before;
    editor.OnFine();
  });
  editor.DoModal();
  transaction.Commit();
  return s;
}

void BM_TripList(benchmark::State& state) {
  const TripDatabase& database = TheTripDatabase();
  if (!database.ok) {
    state.SkipWithError("the trips were not written");
    return;
  }
  TripSample s;
  for (auto _ : state) {
    s = OpenScrollAndSort(database.path);
    if (s.open <= 0 || s.rows != kTrips || s.pagePaints < static_cast<int>(s.pages.size()) ||
        s.sortPaints < static_cast<int>(s.sorts.size())) {
      state.SkipWithError("the trip list was not shown as expected");
      return;
    }
    state.SetIterationTime(s.open);
  }
  if (state.iterations() == 0) return;
  std::vector<double> pages = s.pages;
  std::sort(pages.begin(), pages.end());
  double pageTotal = 0, sortTotal = 0;
  for (double p : pages) pageTotal += p;
  for (double t : s.sorts) sortTotal += t;
  const auto slowest = std::max_element(s.sorts.begin(), s.sorts.end());
  state.counters["rows"] = s.rows;
  state.counters["rows_shown"] = s.visibleRows;
  state.counters["pages"] = static_cast<double>(pages.size());
  state.counters["page_ms"] = pages.empty() ? 0 : pageTotal / static_cast<double>(pages.size()) * 1e3;
  state.counters["page_p99_ms"] = Percentile(pages, 0.99) * 1e3;
  state.counters["page_max_ms"] = pages.empty() ? 0 : pages.back() * 1e3;
  state.counters["sort_mean_ms"] = sortTotal / static_cast<double>(s.sorts.size()) * 1e3;
  state.counters["sort_max_ms"] = *slowest * 1e3;
  state.counters["slowest_order"] = static_cast<double>(slowest - s.sorts.begin());
}

constexpr int kQuadroTrips = 300;
constexpr int kQuadroStops = 60;

// One quadro of 300 trips leaving every four minutes from 5:00, each calling at the same 60 stops
// two minutes apart; trip 1 is the first column.
const char* const kQuadroSql =
    "UPDATE master SET id_corsa = 301, gruppo = 2;"
    "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 300),"
    " t(k, dep) AS (SELECT k, 300 + (k - 1) * 4 FROM n)"
    " INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
    "  ct_tempo, codperc, denom, gruppo)"
    " SELECT k, '7/' || printf('%04d', k), '7', 'A', dep / 60 * 100 + dep % 60,"
    "  (dep + 118) / 60 * 100 + (dep + 118) % 60,"
    "  1, 1, 29500, 118, 29500, 118, 'P007', 'Stazione FS - Università', 1 FROM t;"
    "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 300),"
    " s(sub) AS (SELECT 1 UNION ALL SELECT sub + 1 FROM s WHERE sub < 60),"
    " c(k, sub, m) AS (SELECT k, sub, 300 + (k - 1) * 4 + (sub - 1) * 2 FROM n, s)"
    " INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
    "  reglocal)"
    " SELECT k, sub, 'F' || printf('%03d', sub), 'Fermata di via numero ' || sub, 'Città', sub * 500,"
    "  CASE sub WHEN 1 THEN 9999 ELSE m / 60 * 100 + m % 60 END,"
    "  CASE sub WHEN 60 THEN 9999 ELSE (m + sub % 2) / 60 * 100 + (m + sub % 2) % 60 END,"
    "  sub % 10 = 0, sub % 7 = 0, 0, (SELECT min(id) FROM local) FROM c";

struct QuadroDatabase {
  QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quendo-bench-XXXXXX")};
  std::string path;
  bool ok = false;

  QuadroDatabase() : path(dir.path().toStdString() + "/quadro.mdb") {
    {
      const ScopedNoticeSink quiet([](const Notice&) {});
      CreateSeededDatabase(path, CreateMode::Startup);
    }
    Databases::AddMaster(path);
    DbDatabase db(path);
    char* message = nullptr;
    ok = sqlite3_exec(db.Handle(), cp1252::ToUtf8(kQuadroSql).c_str(), nullptr, nullptr, &message) == SQLITE_OK;
    if (!ok) std::fprintf(stderr, "%s\n", message ? message : "?");
    sqlite3_free(message);
  }
};

QuadroDatabase& TheQuadroDatabase() {
  static QuadroDatabase database;
  return database;
}

struct QuadroSample {
  double open = 0;            // seconds, from ShowQuadro to the timetable's first paint
  std::vector<double> pages;  // seconds, each page of columns scrolled and repainted
  int pagePaints = 0;
  int columns = 0, rows = 0, visibleColumns = 0;
};

// Opens the trip editor over a 1280x800 area, opens the quadro of trip 1 (the wait for its first
// paint included), scrolls the columns page by page with the horizontal bar to the last one,
// repainting each page at once, and ends the editor.
QuadroSample OpenQuadroAndScroll(const std::string& path) {
  DbDatabase db(path);
  EditorTransaction transaction(&db);
  QWidget area;
  area.resize(1280, 800);
  QuadroSample s;
  TripDialog editor(&area, &db, &transaction, 120);
  TimetableGrid* grid = editor.Timetable();
  PaintCounter paints;
  grid->viewport()->installEventFilter(&paints);
  QTimer::singleShot(0, &editor, [&] {
    editor.ListGrid()->SelectRow(editor.Rows().FindId(1), true);
    const Clock::time_point start = Clock::now();
    editor.ShowQuadro();
    s.open = WaitFirstPaint(paints, start);
    s.columns = grid->ColumnCount();
    s.rows = grid->RowCount();
    s.visibleColumns = grid->VisibleColumns();
    const int before = paints.count;
    QScrollBar* bar = grid->horizontalScrollBar();
    while (grid->FirstColumn() + grid->VisibleColumns() < grid->ColumnCount()) {
      const int first = grid->FirstColumn();
      const Clock::time_point t0 = Clock::now();
      bar->setValue(bar->value() + bar->pageStep());
      grid->viewport()->repaint();
      s.pages.push_back(Seconds(t0, Clock::now()));
      if (grid->FirstColumn() == first) break;  // the bar does not move the columns
    }
    s.pagePaints = paints.count - before;
    editor.OnFine();
    editor.OnFine();
  });
  editor.DoModal();
  transaction.Commit();
  return s;
}

// The quadro of 300 trips and 60 stops: the opening (reported time) and the pages of columns
// (page_ms, page_max_ms), three openings.  Aim: an opening under 0.3 s, a page under 16 ms.
void BM_Quadro(benchmark::State& state) {
  const QuadroDatabase& database = TheQuadroDatabase();
  if (!database.ok) {
    state.SkipWithError("the quadro was not written");
    return;
  }
  std::vector<double> opens, pages;
  QuadroSample s;
  for (auto _ : state) {
    s = OpenQuadroAndScroll(database.path);
    if (s.open <= 0 || s.columns != kQuadroTrips || s.rows != kQuadroStops || s.pages.empty() ||
        s.pagePaints < static_cast<int>(s.pages.size()) ||
        s.pages.size() < static_cast<size_t>((kQuadroTrips - s.visibleColumns) / std::max(1, s.visibleColumns))) {
      state.SkipWithError("the quadro was not shown as expected");
      return;
    }
    state.SetIterationTime(s.open);
    opens.push_back(s.open);
    pages.insert(pages.end(), s.pages.begin(), s.pages.end());
  }
  if (opens.empty()) return;
  double openTotal = 0, pageTotal = 0;
  for (double o : opens) openTotal += o;
  for (double p : pages) pageTotal += p;
  state.counters["columns"] = s.columns;
  state.counters["rows"] = s.rows;
  state.counters["columns_shown"] = s.visibleColumns;
  state.counters["pages"] = static_cast<double>(s.pages.size());
  state.counters["open_mean_ms"] = openTotal / static_cast<double>(opens.size()) * 1e3;
  state.counters["open_max_ms"] = *std::max_element(opens.begin(), opens.end()) * 1e3;
  state.counters["page_ms"] = pageTotal / static_cast<double>(pages.size()) * 1e3;
  state.counters["page_max_ms"] = *std::max_element(pages.begin(), pages.end()) * 1e3;
}

}  // namespace

BENCHMARK(BM_CalendarTwoYears)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_CalendarWholeRange)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);
BENCHMARK(BM_DayTypes)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);
BENCHMARK(BM_TripList)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1)->Repetitions(3);
BENCHMARK(BM_Quadro)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ui::ShowWindowsOffscreen(true);
  SetNoticeSink([](const Notice& notice) { std::fprintf(stderr, "%s\n", notice.text.c_str()); });
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
