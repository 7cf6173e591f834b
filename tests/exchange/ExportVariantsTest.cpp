// The renumbered export and the export for a date range, on the hand-made set imported into a
// real database, and the in-memory calendar that decides which periods a range keeps.

#include "ExchangeTestSupport.h"
#include "ExportTestSupport.h"

#include "exchange/ExportCalendar.h"
#include "exchange/RecordLayouts.h"

#include <gtest/gtest.h>
#include <QDir>

namespace {

struct Variants : ImportedDatabaseTest {
  std::vector<std::string> Lines(const std::string& name) const { return ExportedLines(out + "/" + name); }
  ExportResult Renumbered(long first) {
    ExportOptions o;
    o.kind = ExportKind::Renumbered;
    o.firstId = first;
    return ExportInto(db, out, o);
  }
  ExportResult Range(DateRecord from, DateRecord to, int authority = -1) {
    ExportOptions o;
    o.kind = ExportKind::DateRange;
    o.rangeStart = from;
    o.rangeEnd = to;
    o.anyAuthority = authority < 0;
    o.authority = authority;
    return ExportInto(db, out, o);
  }
};

// The hand-made lines with the trip id field replaced as `newId` says (stored id -> new id).
template <class F>
std::vector<std::string> WithIds(const std::string& name, F newId) {
  std::vector<std::string> lines;
  for (std::string l : HandMadeLines(name)) {
    l.replace(4, 6, newId(l.substr(4, 6)));
    lines.push_back(l);
  }
  return lines;
}

std::vector<std::string> OnlyTrips(const std::string& name, std::initializer_list<const char*> ids) {
  std::vector<std::string> kept;
  for (const std::string& l : HandMadeLines(name))
    for (const char* id : ids)
      if (l.substr(4, 6) == id) kept.push_back(l);
  return kept;
}

// ---- Renumbered ----------------------------------------------------------------------------

TEST_F(Variants, RenumberingGivesConsecutiveIdsTheSameInEveryFile) {
  // Stored ids 7, 12 and 40 in place of 1, 2 and 3.
  for (const char* table : {"tescor", "detcor", "period"})
    RunSql(db, std::string("UPDATE ") + table + " SET id = CASE id WHEN 1 THEN 7 WHEN 2 THEN 12 ELSE 40 END");
  const std::string before = DumpTimetable(db);
  const ExportResult r = Renumbered(1000);
  ASSERT_TRUE(r.complete) << r.failedPath;
  const auto map = [](const std::string& old) {
    return old == "000001" ? std::string("001000") : old == "000002" ? std::string("001001") : std::string("001002");
  };
  for (const char* name : {"RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"})
    EXPECT_EQ(Lines(name), WithIds(name, map)) << name;
  for (const char* name : {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT"})
    EXPECT_EQ(Lines(name), HandMadeLines(name)) << name;
  EXPECT_EQ(r.counts[kTripStopsFile].written, 8);
  // Nothing of the database moves, the next trip id of the master row included.
  EXPECT_EQ(DumpTimetable(db), before);
  EXPECT_EQ(QueryFile(db, "SELECT id_corsa FROM master"), "4\n");
}

TEST_F(Variants, RowsOfNoTripHeadAreLeftOutAndTold) {
  RunSql(
      db,
      "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
      "VALUES (77, 1, 'F01', 'Orfana', 0, 9999, 800, 0, 0, 0, 0), (77, 2, 'F02', 'Orfana', 10, 810, 9999, 0, 0, 0, 0);"
      "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (77, 'FER', '2024-01-01', '2024-01-31', 0);");
  const ExportResult r = Renumbered(1);
  ASSERT_TRUE(r.complete);
  const auto same = [](const std::string& old) { return old; };
  EXPECT_EQ(Lines("RT_DTORA.TXT"), WithIds("RT_DTORA.TXT", same));
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), WithIds("RT_PERIOD.TXT", same));
  EXPECT_EQ(r.counts[kTripStopsFile].read, 10);
  EXPECT_EQ(r.counts[kTripStopsFile].written, 8);
  EXPECT_EQ(r.counts[kPeriodsFile].read, 5);
  EXPECT_EQ(r.counts[kPeriodsFile].written, 4);
  EXPECT_EQ(r.unmatchedRows, 3);
  const std::string text = ExportResultText(r);
  EXPECT_NE(text.find("8 su 10 Dettagli Corsa\n4 su 5 Periodi Validità Corsa\n"), std::string::npos) << text;
  EXPECT_NE(text.find("ATTENZIONE: 3 righe di dettaglio o di periodo non appartengono a nessuna testa corsa"),
            std::string::npos);
}

TEST_F(Variants, RenumberingPastSixDigitsIsRefused) {
  // Three trips from 999997 end on 999999; from 999998 the last would need seven digits.
  const ExportResult fits = Renumbered(999997);
  ASSERT_TRUE(fits.complete);
  const auto heads = Lines("RT_HDORA.TXT");
  ASSERT_EQ(heads.size(), 3u);
  EXPECT_EQ(heads[2].substr(4, 6), "999999");
  EXPECT_EQ(fits.overWide, 0);
  const std::string before = ReadBytes(out + "/RT_HDORA.TXT");
  const ExportResult refused = Renumbered(999998);
  EXPECT_FALSE(refused.complete);
  EXPECT_EQ(refused.refusal,
            "ATTENZIONE: rinumerando le 3 corse a partire da 999998 l'ultimo ID corsa sarebbe 1000000,\n"
            "mentre il tracciato regionale ammette ID corsa di sei cifre (al massimo 999999).\n\n"
            "Nessun file è stato scritto: indicare un ID iniziale più basso.");
  EXPECT_EQ(ReadBytes(out + "/RT_HDORA.TXT"), before);  // the previous export stays as it was
}

// ---- Date range ----------------------------------------------------------------------------

struct RangeCase : Variants {
  void SetUp() override {
    Variants::SetUp();
    // March has working days (FER) but no holiday (FES).
    RunSql(db,
           "INSERT INTO calend (data, caden, giorno, note) VALUES ('2024-03-04', 'FER       ', '1', '                  "
           "  '),"
           "('2024-03-05', 'FER       ', '2', 'Martedì'), ('2024-04-01', 'FES       ', '1', 'Pasquetta');");
  }
};

TEST_F(RangeCase, PeriodsAreClippedAndOnlyTheirTripsAreWritten) {
  const std::string before = DumpTimetable(db);
  const ExportResult r = Range({2024, 3, 1}, {2024, 3, 31});
  ASSERT_TRUE(r.complete);
  // Trip 1's FER period is clipped to March; its FES day in January, trip 2's FES period (no
  // holiday in March) and trip 3's February period are dropped.
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), (std::vector<std::string>{"0017000001FER       20240301202403310"}));
  EXPECT_EQ(Lines("RT_HDORA.TXT"), OnlyTrips("RT_HDORA.TXT", {"000001"}));
  EXPECT_EQ(Lines("RT_DTORA.TXT"), OnlyTrips("RT_DTORA.TXT", {"000001"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT"), (std::vector<std::string>{"001720240304                    FER       ",
                                                             "001720240305Martedì             FER       "}));
  // Every day type, also those that do not run in the range.
  EXPECT_EQ(Lines("RT_CADEN.TXT"), HandMadeLines("RT_CADEN.TXT"));
  // The protocol carries the range.
  const std::string proto = HandMadeLines("RT_PROTO.TXT")[0];
  EXPECT_EQ(Lines("RT_PROTO.TXT"),
            (std::vector<std::string>{proto.substr(0, 18) + "2024030120240331" + proto.substr(34)}));
  EXPECT_EQ(ExportResultText(r),
            "Risultati dell'esportazione dati:\n\n"
            "1 su 1 Teste Corsa\n3 su 3 Dettagli Corsa\n1 su 1 Periodi Validità Corsa\n2 su 2 Cadenze\n"
            "2 su 2 Calendario Giorni/Cadenze\n1 su 1 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n");
  EXPECT_EQ(DumpTimetable(db), before);
}

TEST_F(RangeCase, RangeOfOneDayAndTheExcludedPeriod) {
  // 6 January: trip 1's excluded FES day and trip 2's FES period both cover it and FES runs.
  ExportResult r = Range({2024, 1, 6}, {2024, 1, 6});
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), (std::vector<std::string>{"0017000001FES       20240106202401061",
                                                              "0017000002FES       20240106202401060"}));
  EXPECT_EQ(Lines("RT_HDORA.TXT"), OnlyTrips("RT_HDORA.TXT", {"000001", "000002"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT"), (std::vector<std::string>{HandMadeLines("RT_CALEN.TXT")[2]}));

  // 2 January: only FER runs; trip 3's FER period lies in February.
  r = Range({2024, 1, 2}, {2024, 1, 2});
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), (std::vector<std::string>{"0017000001FER       20240102202401020"}));
  EXPECT_EQ(Lines("RT_DTORA.TXT"), OnlyTrips("RT_DTORA.TXT", {"000001"}));

  // 3 January: no calendar row, nothing runs.
  r = Range({2024, 1, 3}, {2024, 1, 3});
  ASSERT_TRUE(r.complete);
  EXPECT_TRUE(Lines("RT_HDORA.TXT").empty());
  EXPECT_TRUE(Lines("RT_CALEN.TXT").empty());
  EXPECT_EQ(r.counts[kTripHeadsFile].read, 0);
  EXPECT_EQ(r.counts[kDayTypesFile].written, 2);
}

TEST_F(RangeCase, AuthorityAndRangeTogether) {
  // The whole half-year for authority 1 (trip 2 only).
  const ExportResult r = Range({2024, 1, 1}, {2024, 6, 30}, 1);
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), OnlyTrips("RT_PERIOD.TXT", {"000002"}));
  EXPECT_EQ(Lines("RT_HDORA.TXT"), OnlyTrips("RT_HDORA.TXT", {"000002"}));
  EXPECT_EQ(Lines("RT_DTORA.TXT"), OnlyTrips("RT_DTORA.TXT", {"000002"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT").size(), 6u);
}

TEST(CadenceCalendar, DatesOfADayTypeInsideARange) {
  CadenceCalendar c;
  c.AddDate("FER       ", "20240304");
  c.AddDate("FER", "20240102");  // out of order: still found
  c.AddDate("FES", "20240231");  // no date: never matches
  EXPECT_EQ(c.DayTypeCount(), 2);
  EXPECT_TRUE(c.HasDateInRange("FER", 20240304, 20240304));
  EXPECT_TRUE(c.HasDateInRange("FER    ", 20240101, 20240102));
  EXPECT_TRUE(c.HasDateInRange("FER", 20240103, 20240331));
  EXPECT_FALSE(c.HasDateInRange("FER", 20240103, 20240303));
  EXPECT_FALSE(c.HasDateInRange("FER", 20240305, 20241231));
  EXPECT_FALSE(c.HasDateInRange("fer", 20240101, 20241231));  // codes are compared exactly
  EXPECT_FALSE(c.HasDateInRange("FES", 20240101, 20241231));
  EXPECT_FALSE(c.HasDateInRange("FER", 20240305, 20240304));
  c.AddTrip(5);
  c.AddTrip(5);
  EXPECT_TRUE(c.HasTrip(5));
  EXPECT_FALSE(c.HasTrip(6));
  c.Clear();
  EXPECT_FALSE(c.HasTrip(5));
  EXPECT_FALSE(c.HasDateInRange("FER", 20240101, 20241231));
}

}  // namespace
