// The directories of stops, routes, lines, termini, chains and primary stops on one hand-made
// database: what each loader keeps, in which order, and how their own rows are drawn (locality
// headings on black, optional and mixed stops on grey, the line under the end of a chain).

#include "FixedCanvas.h"
#include "StoppedLoading.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "reports/DirectoryLoading.h"
#include "reports/PrimaryStopReport.h"
#include "reports/RouteDirectoryReports.h"
#include "reports/StopDirectoryReports.h"
#include "reports/TerminalReport.h"
#include "reports/TripChainReport.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

const std::string kBorgo = "Borgo Alto - Comune Uno (PI)";
const std::string kCeppo = "Ceppo - Comune Due (LU)";

// The canvas of fixed metrics that also keeps the filled rectangles and the colour of each text.
class ColourCanvas : public FixedCanvas {
 public:
  struct Filled {
    int left, top, right, bottom;
    std::uint32_t rgb;
  };
  void Fill(int left, int top, int right, int bottom, std::uint32_t rgb) override {
    fills.push_back({left, top, right, bottom, rgb});
  }
  void SetTextColour(std::uint32_t rgb) override { colour = rgb; }
  void Text(int x, int y, std::string_view text) override {
    FixedCanvas::Text(x, y, text);
    colours.push_back(colour);
  }
  std::vector<Filled> fills;
  std::vector<std::uint32_t> colours;  // one a text
  std::uint32_t colour = kBlack;
};

// A page wide and tall enough for every row of these reports.
PageGeometry BigPage() {
  PageGeometry page;
  page.width = 4000;
  page.height = 100000;
  return page;
}

class DirectoryReports : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(path_);
    RunSql(path_, FileBytes(TestDataDir() + "/reports/rubriche.sql"));
    db_ = std::make_unique<DbDatabase>(path_);
  }
  void Reopen(const std::string& sql) {
    db_.reset();
    RunSql(path_, sql);
    db_ = std::make_unique<DbDatabase>(path_);
  }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db_;
};

std::vector<std::string> StopRows(const StopDirectoryReport& report) {
  std::vector<std::string> out;
  for (const auto& r : report.rows)
    out.push_back(r.name + "|" + r.location + "|" + r.locality + "|" + r.code + "|" + std::to_string(r.count));
  return out;
}

TEST_F(DirectoryReports, StopsDistinctByExactTextsWithTheLocalityOfTheirFirstRow) {
  StopDirectoryReport report(db_.get(), StopDirectoryReport::Content::Stops);
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Fermate (normalizzate)");
  // Fantasma and the blank stop stand in a locality that is not in `local`: in no directory.
  EXPECT_EQ(StopRows(report), (std::vector<std::string>{
                                  "Capolinea Unico|Largo|" + kBorgo + "|F07|1",
                                  "DEPOSITO|Via Nuova|" + kCeppo + "|D1|1",
                                  "Deposito|Via Nuova|" + kCeppo + "|D1|20",
                                  "Duomo|Piazza Duomo| |F05|1",
                                  "Duomo Vecchio|Piazza Duomo|" + kBorgo + "|F05|1",
                                  "Mercato|Via Roma|" + kBorgo + "|F02|2",
                                  "Nord||" + kCeppo + "|N1|21",
                                  "Ospedale|Viale dei Tigli|" + kCeppo + "|F03|2",
                                  "Porto|Molo|" + kBorgo + "|F11|2",
                                  "Scuola|Via Dante|" + kCeppo + "||2",
                                  "Stazione|Piazza Vittorio|" + kBorgo + "|F01|2",
                                  "Stazione Centrale di Santa Maria|Binario 1|" + kBorgo + "|F10|2",
                                  "mercato|Via Roma|" + kBorgo + "|F02|1",
                              }));
}

TEST_F(DirectoryReports, StopCodesWithMoreThanOneDescription) {
  StopDirectoryReport report(db_.get(), StopDirectoryReport::Content::NormalisationErrors);
  report.Load(db_.get());
  // The empty code comes first and has one description: not listed; nor are F01, F03, F07...
  EXPECT_EQ(StopRows(report), (std::vector<std::string>{
                                  "DEPOSITO|Via Nuova|" + kCeppo + "|D1|1",
                                  "Deposito|Via Nuova|" + kCeppo + "|D1|1",
                                  "Mercato|Via Roma|" + kBorgo + "|F02|1",
                                  "Mercato|Via Roma|" + kCeppo + "|F02|1",
                                  "mercato|Via Roma|" + kBorgo + "|F02|1",
                                  "Duomo|Piazza Duomo| |F05|1",
                                  "Duomo Vecchio|Piazza Duomo|" + kBorgo + "|F05|1",
                              }));
  // The empty code with a second description is listed, first.
  Reopen("UPDATE detcor SET ubicaz = 'Via Dante 2' WHERE id = 5 AND sub = 1;");
  report.Load(db_.get());
  ASSERT_GE(report.rows.size(), 2u);
  EXPECT_EQ(StopRows(report)[0], "Scuola|Via Dante|" + kCeppo + "||1");
  EXPECT_EQ(StopRows(report)[1], "Scuola|Via Dante 2|" + kCeppo + "||1");
}

TEST_F(DirectoryReports, StopsUnderTheirLocalities) {
  StopLocalityReport report(db_.get());
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Fermate (Località)");
  std::vector<std::string> rows;
  for (const auto& r : report.rows)
    rows.push_back(r.IsHeading() ? "# " + r.localityName + "|" + r.localityText
                                 : r.name + "|" + r.location + "|" + r.code);
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "# *** Località non assegnata ***| ",
                      "Duomo|Piazza Duomo|F05",
                      "# Borgo Alto|Comune Uno (PI)",
                      "Capolinea Unico|Largo|F07",
                      "Duomo Vecchio|Piazza Duomo|F05",
                      "Mercato|Via Roma|F02",
                      "Porto|Molo|F11",
                      "Stazione|Piazza Vittorio|F01",
                      "Stazione Centrale di Santa Maria|Binario 1|F10",
                      "mercato|Via Roma|F02",
                      "# Ceppo|Comune Due (LU)",
                      "DEPOSITO|Via Nuova|D1",
                      "Deposito|Via Nuova|D1",
                      "Mercato|Via Roma|F02",
                      "Nord||N1",
                      "Ospedale|Viale dei Tigli|F03",
                      "Scuola|Via Dante|",
                  }));

  // A heading is a black band across the table, its texts in white; the stops are black.
  ColourCanvas canvas;
  report.Paginate(canvas, BigPage());
  ASSERT_EQ(report.PageCount(), 1);
  report.PrintPage(canvas, 1, false);
  const auto& c = report.Columns();
  ASSERT_EQ(canvas.fills.size(), 3u);
  const int right = c[2].x + c[2].width + 20;
  for (const auto& f : canvas.fills) {
    EXPECT_EQ(f.rgb, ReportCanvas::kBlack);
    EXPECT_EQ(f.left, c[0].x - 20);
    EXPECT_EQ(f.right, right);
    EXPECT_EQ(f.bottom - f.top, report.LineHeight() + 20);
    // Its texts stand on it, in white.
    const std::vector<std::string> on = canvas.TextsAt(f.top + 10);
    ASSERT_EQ(on.size(), 2u);
    for (size_t k = 0; k < canvas.texts.size(); ++k) {
      if (canvas.texts[k].y != f.top + 10) continue;
      EXPECT_EQ(canvas.colours[k], ReportCanvas::kWhite) << canvas.texts[k].text;
    }
  }
  EXPECT_EQ(canvas.Find("Borgo Alto")->x, c[0].x);
  EXPECT_EQ(canvas.Find("Comune Uno (PI)")->x, c[1].x);
  const auto at = [&](const std::string& text) {
    for (size_t k = 0; k < canvas.texts.size(); ++k)
      if (canvas.texts[k].text == text) return canvas.colours[k];
    return 0x123456u;
  };
  EXPECT_EQ(at("Capolinea Unico"), ReportCanvas::kBlack);
  EXPECT_EQ(at("Denominazione Fermata"), ReportCanvas::kBlack);
}

std::vector<std::string> RouteRows(const RouteDirectoryReport& report) {
  std::vector<std::string> out;
  for (const auto& r : report.rows)
    out.push_back(r.code + "|" + std::to_string(r.quadro) + "|" + std::to_string(r.count) + "|" + r.name);
  return out;
}

TEST_F(DirectoryReports, RoutesAndTheirNormalisationErrors) {
  RouteDirectoryReport routes(db_.get(), RouteDirectoryReport::Content::Routes);
  routes.Load(db_.get());
  EXPECT_EQ(routes.Title(), "Rubrica Percorsi (normalizzati)");
  EXPECT_EQ(RouteRows(routes),
            (std::vector<std::string>{"|4|1|Senza percorso", "|5|1|Senza percorso", "P1|3|2|Linea uno",
                                      "P1|7|1|Linea uno", "P2|6|1|Due", "P3|8|9|Catena", "P9|9|21|Deposito"}));
  RouteDirectoryReport errors(db_.get(), RouteDirectoryReport::Content::NormalisationErrors);
  errors.Load(db_.get());
  EXPECT_EQ(RouteRows(errors), (std::vector<std::string>{"|4|1|Senza percorso", "|5|1|Senza percorso",
                                                         "P1|3|1|Linea uno", "P1|7|1|Linea uno"}));
  // A second name in one quadro is an error too.
  Reopen("UPDATE tescor SET denom = 'Catena bis' WHERE id = 17;");
  errors.Load(db_.get());
  EXPECT_EQ(RouteRows(errors),
            (std::vector<std::string>{"|4|1|Senza percorso", "|5|1|Senza percorso", "P1|3|1|Linea uno",
                                      "P1|7|1|Linea uno", "P3|8|1|Catena", "P3|8|1|Catena bis"}));
}

TEST_F(DirectoryReports, LinesWithTheirDirections) {
  LineDirectoryReport report(db_.get());
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Linee (normalizzate)");
  std::vector<std::string> rows;
  for (const auto& r : report.rows)
    rows.push_back(r.code + "|" + (r.direction ? std::string(1, r.direction) : "") + "|" + std::to_string(r.count));
  EXPECT_EQ(rows, (std::vector<std::string>{"L1|A|2", "L1|R|1", "L2||2", "L2|R|1", "L3|A|5", "L3|R|4", "L9|A|21"}));
  // Numbers and the direction end at the right of their columns.
  FixedCanvas canvas;
  report.Paginate(canvas, BigPage());
  report.PrintPage(canvas, 1, false);
  const auto& c = report.Columns();
  EXPECT_EQ(canvas.Find("21")->x + 20, c[2].x + c[2].width);
  EXPECT_EQ(canvas.Find("R")->x + 10, c[1].x + c[1].width);
  EXPECT_EQ(canvas.Find("L9")->x, c[0].x);
}

TEST_F(DirectoryReports, TerminiInNameOrder) {
  TerminalReport report(db_.get());
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Capolinea");
  std::vector<std::string> rows;
  for (const auto& r : report.rows)
    rows.push_back(r.name + "|" + r.location + "|" + r.code + "|" +
                   (r.kind == TerminalReport::kDeparture ? "PARTENZA" : "ARRIVO") + "|" + std::to_string(r.count));
  // The last stop of trip 5 has no code, name or location: no arrival terminus.
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "Capolinea Unico|Largo|F07|ARRIVO|1",
                      "Capolinea Unico|Largo|F07|PARTENZA|1",
                      "DEPOSITO|Via Nuova|D1|PARTENZA|1",
                      "Deposito|Via Nuova|D1|PARTENZA|20",
                      "Duomo Vecchio|Piazza Duomo|F05|ARRIVO|1",
                      "Fantasma|Via Persa|F09|ARRIVO|1",
                      "Nord||N1|ARRIVO|21",
                      "Ospedale|Viale dei Tigli|F03|ARRIVO|1",
                      "Ospedale|Viale dei Tigli|F03|PARTENZA|1",
                      "Porto|Molo|F11|ARRIVO|1",
                      "Porto|Molo|F11|PARTENZA|1",
                      "Scuola|Via Dante||PARTENZA|2",
                      "Stazione|Piazza Vittorio|F01|ARRIVO|1",
                      "Stazione|Piazza Vittorio|F01|PARTENZA|1",
                      "Stazione Centrale di Santa Maria|Binario 1|F10|ARRIVO|1",
                      "Stazione Centrale di Santa Maria|Binario 1|F10|PARTENZA|1",
                      "mercato|Via Roma|F02|PARTENZA|1",
                  }));
}

TEST_F(DirectoryReports, ChainsInRunningOrder) {
  TripChainReport report(db_.get());
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Concatenazioni Corse");
  std::vector<std::string> rows;
  for (const auto& r : report.rows)
    rows.push_back(std::to_string(r.id) + "|" + r.tripCode + "|" + r.start + " / " + r.end);
  // 12 -> 10 -> 11; 15 -> 16 -> 17 -> back to 16; then 7 (its previous trip is not there) and the
  // cycle 13 <-> 14 that no head reaches, in id order. Trips 1 to 6 have no link.
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "12|C12|Stazione Centrale di Sant (7.05) / Porto (7.30)",
                      "10|C10|Porto (7.45) / Stazione Centrale di Sant (8.15)",
                      "11|C11| / ",
                      "15|C15| / ",
                      "16|C16| / ",
                      "17|C17| / ",
                      "7|C7| / ",
                      "13|C13| / ",
                      "14|C14| / ",
                  }));

  // No line above a row; one under each trip that ends its chain (11 and 7), none under 17.
  FixedCanvas canvas;
  report.Paginate(canvas, BigPage());
  report.PrintPage(canvas, 1, false);
  const auto& c = report.Columns();
  const int step = report.LineHeight() + 20;
  // The trip of each row whose bottom has a line across the table (the last row's is the grid's).
  std::vector<std::string> under;
  for (const DrawnLine& l : canvas.lines) {
    if (l.y1 != l.y2 || l.x1 != c[0].x - 20 || l.x2 != c[2].x + c[2].width + 10) continue;
    for (const DrawnText& t : canvas.texts)
      if (t.x + static_cast<int>(t.text.size()) * FixedCanvas::kCharWidth == c[0].x + c[0].width &&
          t.y == l.y1 - step + 10)
        under.push_back(t.text);
  }
  EXPECT_EQ(under, (std::vector<std::string>{"11", "7", "14"}));
  // No row line: besides those, only the band's, the grid's verticals and its bottom line.
  int across = 0;
  for (const DrawnLine& l : canvas.lines) across += l.y1 == l.y2;
  EXPECT_EQ(across, 4);
}

TEST_F(DirectoryReports, PrimaryStopsByHowTheTripsMarkThem) {
  PrimaryStopReport report(db_.get());
  report.Load(db_.get());
  EXPECT_EQ(report.Title(), "Rubrica Fermate (Analisi Primarie");
  std::vector<std::string> rows;
  for (const auto& r : report.rows) rows.push_back(r.name + "|" + r.code + "|" + r.Type());
  EXPECT_EQ(rows, (std::vector<std::string>{
                      "||",
                      "Capolinea Unico|F07|PRIMARIA",
                      "DEPOSITO|D1|",
                      "Deposito|D1|",
                      "Duomo|F05|FACOLTATIVA",
                      "Duomo Vecchio|F05|MISTA",
                      "Fantasma|F09|",
                      "Mercato|F02|",
                      "Nord|N1|",
                      "Ospedale|F03|PRIMARIA",
                      "Porto|F11|MISTA",
                      "Scuola||",
                      "Stazione|F01|PRIMARIA",
                      "Stazione Centrale di Santa Maria|F10|",
                      "mercato|F02|FACOLTATIVA",
                  }));

  // Optional and mixed stops on grey, across the row, under its line; the others on white.
  ColourCanvas canvas;
  report.Paginate(canvas, BigPage());
  report.PrintPage(canvas, 1, false);
  const auto& c = report.Columns();
  std::vector<std::string> grey;
  for (const auto& f : canvas.fills) {
    EXPECT_EQ(f.rgb, ReportCanvas::kGrey);
    EXPECT_EQ(f.left, c[0].x - 20);
    EXPECT_EQ(f.right, c[2].x + c[2].width + 20);
    EXPECT_EQ(f.bottom - f.top, report.LineHeight() + 20);
    grey.push_back(canvas.TextsAt(f.top + 10).at(0));
  }
  EXPECT_EQ(grey, (std::vector<std::string>{"Duomo", "Duomo Vecchio", "Porto", "mercato"}));
}

TEST_F(DirectoryReports, PrimaryStopTextReportWrittenWhole) {
  PrimaryStopReport report(db_.get());
  report.Load(db_.get());
  const ClockTime now{2004, 3, 5, 9, 7, 0};
  const std::string out = dir_.Path("FermatePrimarie.TXT");
  ASSERT_TRUE(WritePrimaryStopReport(report, "/dati/orari.mdb", out, now).ok);
  std::string expected = FileBytes(TestDataDir() + "/reports/fermate_primarie.txt");
  expected.replace(expected.find("@DATABASE@"), 10, "/dati/orari.mdb");
  // The hand-made file is kept with plain line ends; the report ends its lines in CR LF.
  std::string crlf;
  for (char ch : expected) {
    if (ch == '\n') crlf += '\r';
    crlf += ch;
  }
  EXPECT_EQ(FileBytes(out), crlf);
  // Beside the database's own files, only the report: no temporary is left.
  QStringList files = QDir(cp1252::ToQString(dir_.Dir())).entryList(QDir::Files | QDir::Hidden);
  files.removeIf([](const QString& name) { return name.startsWith(QStringLiteral("orari.mdb")); });
  EXPECT_EQ(files, QStringList{QStringLiteral("FermatePrimarie.TXT")});

  // A place that cannot take the file: nothing written there.
  const Outcome missing = WritePrimaryStopReport(report, "/dati/orari.mdb", dir_.Path("manca") + "/F.TXT", now);
  EXPECT_FALSE(missing.ok);
  ASSERT_EQ(missing.messages.size(), 1u);
  EXPECT_EQ(missing.messages[0].text, "Impossibile creare\n\n" + dir_.Path("manca") + "/F.TXT");
  EXPECT_EQ(missing.messages[0].icon, NoticeIcon::Exclamation);
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(dir_.Path("cartella"))));
  EXPECT_FALSE(WritePrimaryStopReport(report, "/dati/orari.mdb", dir_.Path("cartella"), now).ok);
  EXPECT_TRUE(QFileInfo(cp1252::ToQString(dir_.Path("cartella"))).isDir());
  files = QDir(cp1252::ToQString(dir_.Dir())).entryList(QDir::Files | QDir::Hidden);
  files.removeIf([](const QString& name) { return name.startsWith(QStringLiteral("orari.mdb")); });
  EXPECT_EQ(files, QStringList{QStringLiteral("FermatePrimarie.TXT")});
}

TEST_F(DirectoryReports, NoStopRowsNoRows) {
  Reopen("DELETE FROM detcor;");
  StopDirectoryReport stops(db_.get(), StopDirectoryReport::Content::Stops);
  StopDirectoryReport errors(db_.get(), StopDirectoryReport::Content::NormalisationErrors);
  StopLocalityReport localities(db_.get());
  TerminalReport termini(db_.get());
  PrimaryStopReport primary(db_.get());
  std::vector<Report*> reports = {&stops, &errors, &localities, &termini, &primary};
  stops.Load(db_.get());
  errors.Load(db_.get());
  localities.Load(db_.get());
  termini.Load(db_.get());
  primary.Load(db_.get());
  for (Report* r : reports) EXPECT_EQ(r->RowCount(), 0u) << r->Title();
}

// A value its column cannot hold as its kind (bytes in a text column, a text in a number column)
// stops the loading at its row: no rows, and the message names the row, the field and the value,
// with no notice of the database layer before it.
TEST_F(DirectoryReports, AValueNotOfItsColumnsKindStopsTheLoading) {
  ExpectEachStopped(
      {
          {Loaded<StopDirectoryReport>(StopDirectoryReport::Content::Stops),
           "UPDATE detcor SET denom = X'436974E0' WHERE id = 2 AND sub = 2;",
           "fermata 2 della corsa 2:\nil campo denom (Denominazione Fermata) vale X'436974E0'" + kBytesNotText},
          {Loaded<StopDirectoryReport>(StopDirectoryReport::Content::NormalisationErrors),
           "UPDATE local SET comune = X'4181' WHERE id = 9002;",
           "località 9002:\nil campo comune (Comune) vale X'4181'" + kBytesNotText},
          {Loaded<StopLocalityReport>(), "UPDATE detcor SET ubicaz = X'4181' WHERE id = 1 AND sub = 3;",
           "fermata 3 della corsa 1:\nil campo ubicaz (Ubicazione Fermata) vale X'4181'" + kBytesNotText},
          {Loaded<RouteDirectoryReport>(RouteDirectoryReport::Content::Routes),
           "UPDATE tescor SET gruppo = 'abc' WHERE id = 6;",
           "corsa 6:\nil campo gruppo (Codice Quadro) vale 'abc'" + kTextNotNumber},
          {Loaded<RouteDirectoryReport>(RouteDirectoryReport::Content::NormalisationErrors),
           "UPDATE tescor SET codperc = X'5031' WHERE id = 3;",
           "corsa 3:\nil campo codperc (Codice Percorso) vale X'5031'" + kBytesNotText},
          {Loaded<LineDirectoryReport>(), "UPDATE tescor SET verso = X'41' WHERE id = 11;",
           "corsa 11:\nil campo verso (Verso Linea) vale X'41'" + kBytesNotText},
          {Loaded<TerminalReport>(), "UPDATE detcor SET ubicaz = X'436974E0' WHERE id = 2 AND sub = 3;",
           "fermata 3 della corsa 2:\nil campo ubicaz (Ubicazione Fermata) vale X'436974E0'" + kBytesNotText},
          {Loaded<TerminalReport>(), "UPDATE detcor SET id = 'x' WHERE id = 2 AND sub = 1;",
           "fermata 1 di una corsa:\nil campo id (Id Corsa) vale 'x',\nche è un testo e non un numero intero come "
           "richiede la sua colonna."},
          {Loaded<TripChainReport>(), "UPDATE tescor SET nextcor = 'abc' WHERE id = 12;",
           "corsa 12:\nil campo nextcor (Codice Corsa Successiva) vale 'abc'" + kTextNotNumber},
          {Loaded<TripChainReport>(), "UPDATE detcor SET parte = '7.05' WHERE id = 12 AND sub = 1;",
           "fermata 1 della corsa 12:\nil campo parte (Tempo di partenza) vale 7.05,\n"
           "che è un numero con decimali e non un numero intero come richiede la sua colonna."},
          {Loaded<PrimaryStopReport>(), "UPDATE detcor SET primaria = 'abc' WHERE id = 1 AND sub = 2;",
           "fermata 2 della corsa 1:\nil campo primaria (Fermata principale) vale 'abc'" + kTextNotNumber},
      },
      [&](const std::string& sql) {
        db_.reset();
        std::remove(path_.c_str());
        SetUp();
        Reopen(sql);
        return db_.get();
      });
}

// The loaders tell their progress: each selection a pass, from its first row to its last.
TEST_F(DirectoryReports, LoadersTellTheirProgress) {
  class Recorder : public WorkProgress {
   public:
    void Begin(const std::string& caption) override { events.push_back("begin " + caption); }
    void Step(long done, long total) override {
      last = {done, total};
      ++steps;
    }
    void End() override { events.push_back("end " + std::to_string(last.first) + "/" + std::to_string(last.second)); }
    std::vector<std::string> events;
    std::pair<long, long> last{0, 0};
    long steps = 0;
  };
  // 60 stop rows, 58 of them in a known locality; 36 trips, 9 of them chained.
  Recorder stops;
  StopDirectoryReport(db_.get(), StopDirectoryReport::Content::Stops).Load(db_.get(), &stops);
  EXPECT_EQ(stops.events, (std::vector<std::string>{"begin Rubrica Fermate (normalizzate)", "end 58/58"}));
  EXPECT_EQ(stops.steps, 58);
  Recorder chains;
  TripChainReport(db_.get()).Load(db_.get(), &chains);
  EXPECT_EQ(chains.events,
            (std::vector<std::string>{"begin Rubrica Concatenazioni Corse", "end 36/36", "begin ", "end 60/60"}));
}

// Keys of different texts differ, however the texts are split.
TEST(DirectoryKeys, ExactKeysKeepThePartsApart) {
  EXPECT_NE(ExactKey({"ab", "c"}), ExactKey({"a", "bc"}));
  EXPECT_NE(ExactKey({"", "a"}), ExactKey({"a", ""}));
  EXPECT_NE(ExactKey({"A"}), ExactKey({"a"}));
  EXPECT_NE(ExactKey({"a "}), ExactKey({"a"}));
  EXPECT_EQ(ExactKey({"a", "b"}), ExactKey({"a", "b"}));
}

}  // namespace
