// The lists behind the reports and the directories: letters for rows with the same periods,
// day counts of periods, operating days, and the finders and sort orders of the directories.

#include "common/DirectoryLists.h"
#include "common/ReportLists.h"

#include <gtest/gtest.h>
#include <string>

namespace {

void AddPattern(ReportRow* row, char pattern) {
  row->AddPeriod("FER" + std::string(1, pattern), "", "01/01/2024", "30/06/2024", 0);
  row->AddPeriod("FES", "", "01/07/2024", "31/12/2024", pattern == 'R' ? 1 : 0);
}

std::string Codes(const ReportRowList& rows) {
  std::string codes;
  for (const ReportRow& r : rows) codes += r.code;
  return codes;
}

DateList Weeks() {
  DateList dates;
  for (int d = 1; d <= 14; ++d)
    dates.AddDateText((d < 10 ? "0" : "") + std::to_string(d) + "/01/2024", d % 7 == 0 ? "FES" : "FER");
  return dates;
}

TEST(ReportRows, LettersMarkRowsWithTheSamePeriodsKeyByKey) {
  ReportRowList rows;
  int id = 0;
  for (char p : {'P', 'Q', 'P', 'R'}) AddPattern(rows.Append(1, ++id, "", "", 'A', 0, 0), p);
  for (char p : {'Q', 'Q', 'P'}) AddPattern(rows.Append(2, ++id, "", "", 'A', 0, 0), p);
  rows.Append(2, ++id, "", "", 'A', 0, 0)->code = 'X';  // a row already lettered is left alone
  rows.Append(2, ++id, "", "", 'A', 0, 0);
  rows.AssignCodes();
  EXPECT_EQ(Codes(rows),
            "ABAC"
            "AABXC");
  EXPECT_EQ(rows.GetCodeAt(2, 2), 'B');

  // After Z the lower case; rows without periods match each other.
  ReportRowList many;
  for (int i = 0; i < 28; ++i)
    many.Append(5, i, "", "", 'A', 0, 0)->AddPeriod(std::to_string(i), "", "01/01/2024", "02/01/2024", 0);
  many.Append(5, 100, "", "", 'A', 0, 0);
  many.Append(5, 101, "", "", 'A', 0, 0);
  many.AssignCodes();
  EXPECT_EQ(Codes(many), "ABCDEFGHIJKLMNOPQRSTUVWXYZabcc");
}

TEST(ReportRows, PatternsLongerThanSixtyFourPeriodsAreStillToldApart) {
  ReportRowList rows;
  ReportRow* a = rows.Append(1, 1, "", "", 'A', 0, 0);
  ReportRow* b = rows.Append(1, 2, "", "", 'A', 0, 0);
  ReportRow* c = rows.Append(1, 3, "", "", 'A', 0, 0);
  for (int i = 0; i < 70; ++i) {
    const std::string day = std::to_string(i);
    a->AddPeriod(day, "", "01/01/2024", "02/01/2024", 0);
    b->AddPeriod(i == 69 ? "other" : day, "", "01/01/2024", "02/01/2024", 0);
    c->AddPeriod(day, "", "01/01/2024", "02/01/2024", 0);
  }
  rows.AssignCodes();
  EXPECT_EQ(Codes(rows), "ABA");
}

TEST(ReportRows, TallyCountsDaysOfThePeriods) {
  const DateList dates = Weeks();
  ReportRowList rows;
  ReportRow* weekdays = rows.Append(1, 1, "", "", 'A', 1000, 30);
  weekdays->AddPeriod("FER", "", "01/01/2024", "14/01/2024", 0);
  weekdays->AddPeriod("FES", "", "01/01/2024", "14/01/2024", 0);
  weekdays->AddPeriod("FER", "", "08/01/2024", "14/01/2024", 1);
  ReportRow* none = rows.Append(1, 2, "", "", 'A', 1000, 30);
  none->AddPeriod("FER", "", "01/01/2024", "14/01/2024", 0);
  none->AddPeriod("FER", "", "01/01/2024", "14/01/2024", 1);
  ReportRow* bad = rows.Append(1, 3, "", "", 'A', 1000, 30);
  bad->AddPeriod("FER", "", "1/01/2024", "14/01/2024", 0);
  rows.Tally(dates);
  EXPECT_EQ(weekdays->count, 12 + 2 - 6);
  EXPECT_EQ(none->count, 0);
  EXPECT_EQ(bad->count, 0);
  EXPECT_EQ(rows.FormatTotalKmAt(1, 0), "8,0");
  rows.Tally(dates);  // adds again
  EXPECT_EQ(weekdays->count, 16);

  CalendarSummaryList contracts;
  CalendarSummaryRecord* trip =
      contracts.Append(1, 2, 3, "C3", "L1", 'A', "8:00", "1,000", "1,000", "0:30", "0:30", 1000, 30, 'X');
  contracts.AddDate(*trip, "FES", "", "01/01/2024", "31/01/2024", 0);
  contracts.Tally(dates);
  EXPECT_EQ(trip->total, 2);
}

TEST(ReportRows, AccessorsByKeyAndPosition) {
  ReportRowList rows;
  rows.Append(1, 10, "a", "", 'A', 0, 0);
  rows.Append(1, 11, "b", "", 'R', 0, 0);
  rows.Append(2, 12, "c", "", 'A', 0, 0);
  rows.Append(2, 11, "d", "", 'A', 0, 0);
  EXPECT_EQ(std::vector<int>({rows.CountByKey(1), rows.CountByKey(3), rows.IndexOf(2, 11), rows.IndexOf(1, 11),
                              rows.IndexOf(1, 12)}),
            std::vector<int>({2, 0, 1, 1, 0}));  // an absent row gives 0
  EXPECT_EQ(rows.FindById(11)->text, "b");
  EXPECT_EQ(rows.FindById(99), nullptr);
  EXPECT_EQ(*rows.GetTextAt(2, 1), "d");
}

TEST(OperatingDays, RowsMarkRunAndExcludedDays) {
  const DateList dates = Weeks();
  OperatingDaysTripList trips;
  OperatingDaysTrip* trip = trips.Append(7, "C7", "L1", 'A', "8:00");
  trip->AddDate("FER", "", "01/01/2024", "10/01/2024", 0);
  trip->AddDate("FER", "", "03/01/2024", "04/01/2024", 1);
  trip->AddDate("FES", "", "bad", "04/01/2024", 0);
  OperatingDaysTrip* empty = trips.Append(8, "C8", "L1", 'R', "9:00");
  trips.ApplyPeriods(dates, "30/12/2023", "08/01/2024");

  ASSERT_EQ(trip->dates.Count(), 10);
  std::string run, excluded, weekdays;
  for (const OperatingDaysDate& d : trip->dates) {
    run += d.run ? 'S' : 'N';
    excluded += d.excluded ? 'S' : 'N';
    weekdays += d.weekday;
  }
  EXPECT_EQ(trip->dates.First()->dateText + "-" + trip->dates.Last()->dateText, "30/12/2023-08/01/2024");
  EXPECT_EQ(weekdays, "6712345671");
  EXPECT_EQ(run, "NNSSSSSSNS");  // 07/01 is FES
  EXPECT_EQ(excluded, "NNNNSSNNNN");
  EXPECT_EQ(empty->dates.Count(), 10);
  EXPECT_EQ(trip->FindDate("31/12/2023")->weekday, '7');
  EXPECT_EQ(trip->FindDate("31/12/2024"), nullptr);

  trips.ApplyPeriods(dates, "01/01/2024", "02/01/2024");  // rows rebuilt, not added
  EXPECT_EQ(trip->dates.Count(), 2);
  trip->BuildDateRows("00/00/0000", "02/01/2024");  // no such date: no rows
  EXPECT_EQ(trip->dates.Count(), 0);
}

TEST(ReportLists, ContractTotalsStopCellsAndDayLabels) {
  // A year of one contract: 240 trips of 30 km on 300 days, beyond what 32 bits hold.
  ContractTripList print;
  print.Append(1, 2, "Totale", 240.0 * 30000 * 300, 20, 30, 40);
  EXPECT_EQ(print.Last()->values[0], 2160000000.0);
  EXPECT_EQ(print.Last()->values[3], 40);

  ReportStopRowList stops;
  ReportStopRow* row = stops.Append(4, 2, "F1", "Piazza", 1200, 1, 0, 0, 3);
  stops.Append(4, 3, "F2", "Stazione", 2400, 0, 0, 0, 0);
  EXPECT_EQ(stops.Find(4, 2), row);
  EXPECT_EQ(stops.Find(2, 4), nullptr);
  EXPECT_NE(row->GetCell(2), nullptr);
  for (const TimeCell* outside : {row->GetCell(3), row->GetCell(-1), stops.Find(4, 3)->GetCell(0)})
    EXPECT_EQ(outside, nullptr);

  CalendarDayList days;
  for (const auto& [weekday, label] : {std::pair{'1', "LUN"}, {'3', "MER"}, {'7', "DOM"}, {'8', "???"}, {'0', "???"}})
    EXPECT_EQ(days.Append(weekday, "11/03/2024", "", "", "")->label, std::string(label) + " 11/03/2024");
}

TEST(DirectoryLists, LocalityGroupsAddAGroupRecordFirst) {
  LocalityGroupList groups;
  LocalityGroup* r = groups.AddOrFind("X", "Y", "1", "2", "3");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(groups.First()->c, "");
  EXPECT_EQ(groups.Last(), r);
  EXPECT_EQ(groups.AddOrFind("X", "Y", "1", "2", "3"), nullptr);
  groups.AddOrFind("X", "Z", "1", "2", "3");
  EXPECT_NE(groups.AddOrFind("X", "Y", "4", "5", "6"), nullptr);
  EXPECT_EQ(groups.AddOrFind("X", "Y", "", "", ""), nullptr);  // the group record itself
  EXPECT_EQ(groups.Count(), 5);
  EXPECT_EQ(groups.Last()->c, "4");  // at the tail, not after its group
}

TEST(DirectoryLists, FindersCompareExactly) {
  StopLocalityList stops;
  stops.Append("a", "b", "c", "d1");
  stops.Append("a", "b", "c", "d2");
  EXPECT_EQ(stops.Contains("a", "b", "c")->d, "d1");
  EXPECT_EQ(stops.Contains("a", "b", "C"), nullptr);

  PrimaryStopList primaries;
  PrimaryStop* first = primaries.Append("F1", "Uno");
  primaries.Append("F2", "Due");
  PrimaryStop* again = primaries.Append("F1", "Uno");
  EXPECT_EQ(primaries.Find("F1", "Uno"), again);  // the last record is tried first
  primaries.Append("F3", "Tre");
  EXPECT_EQ(primaries.Find("F1", "Uno"), first);
  EXPECT_EQ(primaries.Find("F1", "uno"), nullptr);
  EXPECT_EQ(PrimaryStopList().Find("F1", "Uno"), nullptr);
}

TEST(DirectoryLists, StopDetailsSortByTheirCompoundKey) {
  StopDetailList details;
  details.SortIndex();
  EXPECT_EQ(details.IndexCount(), 0);
  std::vector<const StopDetail*> added;
  for (const auto& [a, b, c, n] : {std::tuple{"z", "b", "c", 2},
                                   {"a", "b", "c", 2},
                                   {"a", "b", "c", 1},
                                   {"a", "a", "z", 9},
                                   {"a", "b", "b", 5},
                                   {"a", "b", "c", 1},      // equal to the third
                                   {"a", "\xE0", "a", 0}})  // a byte above 0x7F sorts after ASCII
    added.push_back(details.Append(a, b, c, n));
  details.SortIndex();
  ASSERT_EQ(details.IndexCount(), 7);
  const int order[] = {3, 4, 2, 5, 1, 0, 6};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(details.IndexAt(i), added[static_cast<std::size_t>(order[i])]) << i;
  EXPECT_NE(details.Contains("a", "b", "b", 5), nullptr);
  EXPECT_EQ(details.Contains("a", "b", "b", 6), nullptr);
}

TEST(DirectoryLists, ShapeMatches) {
  ShapeMatchList matches;
  EXPECT_EQ(matches.NoneMatched(), 1);
  EXPECT_EQ(matches.AnyUnmatched(), 0);
  int nameMatches = 7;
  EXPECT_EQ(matches.FindByCode("F1", "Uno", nameMatches), nullptr);
  EXPECT_EQ(nameMatches, 7);

  ShapeMatch* f1 = matches.Append("F1", "Uno");
  matches.Append("F1", "Altro");
  matches.Append("F2", "Due");
  EXPECT_EQ(matches.FindByCode("F1", "Altro", nameMatches), f1);
  EXPECT_EQ(nameMatches, 0);
  EXPECT_EQ(matches.FindByCode("F1", "Uno", nameMatches), f1);
  EXPECT_EQ(nameMatches, 1);
  EXPECT_EQ(f1->matched, 0);  // finding does not match
  EXPECT_EQ(matches.AnyUnmatched(), 1);
  for (ShapeMatch& m : matches) m.matched = 1;
  EXPECT_EQ(matches.NoneMatched(), 0);
  EXPECT_EQ(matches.AnyUnmatched(), 0);
}

}  // namespace
