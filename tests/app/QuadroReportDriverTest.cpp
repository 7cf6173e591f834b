// The quadro timetables printed by the real program through the headless driver: a quadro of 30
// trips in slices of trip columns, each slice running down its pages; the bands over the trip
// columns, the cells, the footer on the paper, the notes; the line report's range as typed; a
// trip code wider than the page.

#include "app/ReportDumpSupport.h"

#include <set>

namespace {

std::string N(long v) { return std::to_string(v); }

// Trip `id` of quadro `quadro` leaving at `departure`: code "C<id>", line `line`, 5 km in 40 minutes.
std::string Trip(int id, int quadro, int departure, const std::string& line = "L1",
                 const std::string& code = std::string()) {
  return TripHeadSql(id, quadro, departure) + "UPDATE tescor SET codlinea = '" + line + "', codcorsa = '" +
         (code.empty() ? "C" + N(id) : code) + "', ct_lung = 5000, ct_tempo = 40 WHERE id = " + N(id) + ";";
}
std::string Stop(int id, int sub, int arrives, int leaves, int optional = 0) {
  return "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
         "VALUES (" +
         N(id) + ", " + N(sub) + ", 'F" + N(sub) + "', 'Fermata " + N(sub) + "', " + N((sub - 1) * 1250) + ", " +
         N(arrives) + ", " + N(leaves) + ", 0, " + N(optional) + ", 0, 0);";
}
std::string Period(int id, const std::string& from, const std::string& to, bool excluded = false) {
  return "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + N(id) + ", 'FER', '" + from + "', '" + to +
         "', " + (excluded ? "1" : "0") + ");";
}

class QuadroReportDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(db);
    RunSql(db,
           "INSERT INTO cadenz VALUES ('FER', 'Feriale');"
           "WITH RECURSIVE d(day) AS (SELECT date('2024-01-01') UNION ALL SELECT date(day, '+1 day') FROM d"
           "  WHERE day < '2024-06-30')"
           " INSERT INTO calend (data, caden, giorno, note)"
           " SELECT day, 'FER', '1', ' ' FROM d WHERE strftime('%w', day) <> '0';");
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const std::vector<std::string>& answers, const std::string& command, int exitCode = 0) {
    return RunDriver(settings, answers, {"--now", "2004-03-05 09:07", "--page-dump", dump, command}, exitCode);
  }
  // The texts of a page at y.
  static std::vector<std::string> At(const DumpPage& p, int y) {
    std::vector<std::string> out;
    for (const DumpText& t : p.texts)
      if (t.y == y) out.push_back(t.text);
    return out;
  }

  const std::string db = dir.Path("orari.mdb"), dump = dir.Path("pagine.txt"), pdf = dir.Path("stampa.pdf");
};

TEST_F(QuadroReportDriver, AQuadroOfThirtyTripsInSlicesOfColumns) {
  // Quadro 3: 30 trips of 90 stops, more than a page holds; trip k leaves at 6:00 + k minutes; odd trips run from
  // January to June, even ones the same less March.
  std::string sql;
  for (int k = 1; k <= 30; ++k) {
    sql += Trip(100 + k, 3, 600 + k) + Period(100 + k, "2024-01-01", "2024-06-30");
    if (k % 2 == 0) sql += Period(100 + k, "2024-03-01", "2024-03-31", true);
    for (int s = 1; s <= 90; ++s) {
      if (k == 2 && s == 7) continue;  // the second trip lacks stop 7 ...
      sql += Stop(100 + k, s, s == 1 ? 9999 : 700 + s % 60, s == 90 ? 9999 : 700 + s % 60);
    }
  }
  // ... and has an extra one, 91, that the first trip lacks.
  sql += Stop(102, 91, 758, 800) + "UPDATE detcor SET arriva = -1, parte = -1 WHERE id = 103 AND sub = 5;";
  RunSql(db, sql);
  const DriverRun run = Run({"dialog 125", "  1096=1", "printer " + pdf}, "5135");
  EXPECT_TRUE(Boxes(run).empty());
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"), std::vector<std::string>{"DIALOG\t125\tRubrica Corse"});
  const std::vector<DumpPage> pages = ReadDump(dump);
  const int n = static_cast<int>(pages.size());
  ASSERT_GT(n, 3);
  EXPECT_EQ(PdfPages(pdf), n);
  EXPECT_EQ(LinesStartingWith(run.transcript, "PRINT\t"), std::vector<std::string>{"PRINT\tRubrica Corse\t" + N(n)});

  Widths width(70);
  const int lineHeight = width.LineHeight();
  const int bottom = 50 + width.PrintableHeight();
  const DumpPage& first = pages[0];
  ASSERT_NE(first.Find("ID Corsa"), nullptr);
  const int idY = first.Find("ID Corsa")->y, letterY = first.Find("Nota Cadenza")->y, lineY = first.Find("Linea")->y;
  EXPECT_EQ(letterY - idY, lineHeight + 10);
  const int numberY = idY - (letterY - idY);
  const int k = static_cast<int>(At(first, numberY).size());
  ASSERT_GE(k, 2);
  ASSERT_LT(k, 30);

  // Expected: for each slice c0 = 0, k, 2k, ... the pages that together hold stops 1..91 in order.
  int c0 = 0;
  std::vector<int> subs;
  std::set<std::string> cells;
  std::string daysOfFirst;
  int pagesOfSlice = 0;
  for (int p = 0; p < n; ++p) {
    const DumpPage& page = pages[static_cast<size_t>(p)];
    ++pagesOfSlice;
    EXPECT_EQ(page.heading, "=== stampa pagina " + N(p + 1) + " di " + N(n));
    EXPECT_NE(page.Find("Pag. " + N(p + 1) + " di " + N(n)), nullptr);
    EXPECT_NE(page.Find("Quadro Orario: 3"), nullptr);
    const std::vector<std::string> numbers = At(page, numberY);
    const int columns = std::min(k, 30 - c0);
    std::vector<std::string> wantNumbers, wantIds, wantLetters, wantLines;
    for (int j = 0; j < columns; ++j) {
      wantNumbers.push_back(N(c0 + j + 1));
      wantIds.push_back(N(100 + c0 + j + 1));
      wantLetters.push_back((c0 + j) % 2 == 0 ? "A" : "B");
      wantLines.push_back("L1A");
    }
    ASSERT_EQ(numbers, wantNumbers) << "page " << p + 1;
    std::vector<std::string> ids = At(page, idY), letters = At(page, letterY), lines = At(page, lineY);
    ids.erase(ids.begin());  // the label
    letters.erase(letters.begin());
    lines.erase(lines.begin());
    EXPECT_EQ(ids, wantIds);
    EXPECT_EQ(letters, wantLetters);
    EXPECT_EQ(lines, wantLines);
    // The stop rows: their numbers right-aligned in the Sub column.
    const int subRight = page.Find("Sub")->x + std::max(width("Sub"), width("91"));
    for (const DumpText& t : page.texts) {
      if (t.y > page.Find("Sub")->y && t.x + width(t.text) == subRight &&
          t.text.find_first_not_of("0123456789") == std::string::npos)
        subs.push_back(std::stoi(t.text));
      if (t.text.find(':') != std::string::npos) cells.insert(t.text);
      // Nothing below the printable area, the footer included.
      EXPECT_LE(t.y + lineHeight, bottom) << t.text << " page " << p + 1;
    }
    const DumpText* days = page.Find("Giorni effettuazione ");
    ASSERT_NE(days, nullptr);
    if (p == 0) daysOfFirst = At(page, days->y).at(1);
    // The notes of both letters.
    EXPECT_NE(page.Find("Si effettua dal 01/01/2024 al 30/06/2024 [FER] Feriale"), nullptr);
    EXPECT_NE(page.Find("Si effettua dal 01/01/2024 al 30/06/2024 [FER] Feriale; Esclusa dal 01/03/2024 al "
                        "31/03/2024 [FER] Feriale"),
              nullptr);
    if (subs.back() == 91) {
      std::vector<int> all(91);
      for (int s = 0; s < 91; ++s) all[static_cast<size_t>(s)] = s + 1;
      EXPECT_EQ(subs, all) << "slice from column " << c0 + 1;
      EXPECT_GT(pagesOfSlice, 1) << "a slice runs down more than one page";
      pagesOfSlice = 0;
      subs.clear();
      c0 += k;
    }
  }
  EXPECT_EQ(c0, (30 + k - 1) / k * k) << "every slice printed";
  EXPECT_TRUE(subs.empty());
  for (const char* cell : {"7:01", "7:02", "7:58 / P: 8:00", "99:99"}) EXPECT_EQ(cells.count(cell), 1u) << cell;
  for (const std::string& cell : cells) EXPECT_EQ(cell.find("-1"), std::string::npos) << cell;
  EXPECT_EQ(daysOfFirst, N(std::stol(QueryFile(db, "SELECT count(*) FROM calend WHERE caden = 'FER'"))));
}

TEST_F(QuadroReportDriver, LineRangeAsTypedWithoutOptionalStops) {
  RunSql(db, Trip(1, 1, 600, "L\"1") + Trip(2, 2, 600, "L2") + Period(1, "2024-01-01", "2024-06-30") +
                 Period(2, "2024-01-01", "2024-06-30") + Stop(1, 1, 9999, 600) + Stop(1, 2, 610, 610, 1) +
                 Stop(1, 3, 620, 9999) + Stop(2, 1, 9999, 600));
  const DriverRun run =
      Run({"dialog 144", "  1088=0", "  1090=L\"1", "  1092=L\"1", "  1085=0", "  1096=1", "printer " + pdf}, "5158");
  EXPECT_TRUE(Boxes(run).empty());
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 1u);
  EXPECT_NE(pages[0].Find("L\"1A"), nullptr);
  EXPECT_EQ(pages[0].Find("L2A"), nullptr);
  EXPECT_NE(pages[0].Find("Fermata 3"), nullptr);
  EXPECT_EQ(pages[0].Find("Fermata 2"), nullptr) << "the optional stop is left out";
  EXPECT_EQ(PdfPages(pdf), 1);

  // Nothing in the range: no report.
  const DriverRun none = Run({"dialog 144", "  1088=0", "  1090=M", "  1092=Z"}, "5158");
  EXPECT_EQ(Boxes(none), std::vector<std::string>{U8("0x40\tNon ci sono dati da stampare !!!")});
}

TEST_F(QuadroReportDriver, ATripCodeWiderThanThePagePrintsOneColumnAPage) {
  std::string sql;
  for (int k = 1; k <= 3; ++k)
    sql += Trip(k, 1, 600 + k, "L1", k == 2 ? std::string(20, 'W') : std::string()) +
           Period(k, "2024-01-01", "2024-06-30") + Stop(k, 1, 9999, 600 + k) + Stop(k, 2, 700 + k, 9999);
  RunSql(db, sql + "UPDATE detcor SET denom = '" + std::string(40, 'W') + "', fermata = '" + std::string(10, 'W') +
                 "' WHERE sub = 2;");
  const DriverRun run = Run({"dialog 125", "  1096=1", "printer " + pdf}, "5135");
  const std::vector<DumpPage> pages = ReadDump(dump);
  ASSERT_EQ(pages.size(), 3u);
  EXPECT_EQ(PdfPages(pdf), 3);
  EXPECT_TRUE(Boxes(run).empty());
  EXPECT_NE(pages[0].Find("C1"), nullptr);
  EXPECT_NE(pages[1].Find(std::string(20, 'W')), nullptr);
  EXPECT_NE(pages[2].Find("C3"), nullptr);
  EXPECT_EQ(pages[2].Find("C1"), nullptr);
}

}  // namespace
