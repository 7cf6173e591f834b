// The record lists of the editors: order of insertion, stable addresses, bounds of their cells
// and columns, and the indexes that find records by key with their tie rules; the lists behind the
// directories: their finders and sort orders.

#include "common/DirectoryLists.h"
#include "common/EditorLists.h"
#include "common/IndexedLists.h"
#include "common/RecordList.h"

#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

TripStopValues Stop(const std::string& code) {
  TripStopValues v;
  v.stopCode = code;
  return v;
}

TEST(RecordLists, QuadroRowsInsertPrependAndAppend) {
  TripStopList stops, other;
  TripStop* a = stops.Prepend(1, Stop("A"));
  stops.Append(2, Stop("B"));
  TripStop* c = stops.InsertAfter(stops.Last(), 3, Stop("C"));
  EXPECT_EQ(stops.Last(), c);
  stops.Append(4, Stop("D"));
  stops.InsertAfter(a, 5, Stop("E"));
  stops.Prepend(6, Stop("F"));
  stops.InsertAfter(other.Append(9, Stop("X")), 7, Stop("G"));  // not in the list: tail
  stops.InsertAfter(nullptr, 8, Stop("H"));
  std::string order;
  for (const TripStop& s : stops) order += s.stopCode;
  EXPECT_EQ(order + std::to_string(stops.Count()), "FAEBCDGH8");
  EXPECT_EQ(stops.GetAt(7)->stopCode + stops.FindById(5)->stopCode, "HE");
  EXPECT_TRUE(!stops.GetAt(8) && !stops.GetAt(-1) && !stops.FindById(42));
  EXPECT_EQ(std::pair(stops.MaxId(), other.MaxId()), std::pair(8, 9));
  other.First()->sub = -4;
  EXPECT_EQ(other.MaxId(), 0);
}

// Every cell of every row, "arrival/departure/changed" separated by ' ', rows by ';'.
std::string Cells(TripStopList& quadro) {
  std::string out;
  for (TripStop& row : quadro) {
    for (int c = 0; row.GetCell(c); ++c)
      out += row.GetCell(c)->arrivalText + "/" + row.GetCell(c)->departureText + "/" +
             std::to_string(row.GetCell(c)->changed) + " ";
    out += ";";
  }
  return out;
}

TEST(RecordLists, AddingAColumnKeepsTheCellTexts) {
  TripStopList quadro;
  quadro.AllocIndex();
  quadro.AllocIndex();
  for (int r = 0; r < 2; ++r) {
    TripStop* row = quadro.Append(r + 1, Stop(std::to_string(r)));
    for (int c = 0; c < 2; ++c) {
      row->GetCell(c)->arrivalText = "A" + std::to_string(r) + std::to_string(c);
      row->GetCell(c)->departureText = "P" + std::to_string(r) + std::to_string(c);
      row->GetCell(c)->changed = 1;
    }
  }
  EXPECT_EQ(Cells(quadro), "A00/P00/1 A01/P01/1 ;A10/P10/1 A11/P11/1 ;");
  quadro.SetColumn(0,
                   std::make_unique<TripLeg>(10, -1, 3, "C10", "L1", 'A', "8:00", "9:00", "1,000", "1h 0m", "", "P1"));
  quadro.AllocIndex();
  // The texts stay, the changed flags start again, and the new column's cells are empty.
  EXPECT_EQ(Cells(quadro), "A00/P00/0 A01/P01/0 //0 ;A10/P10/0 A11/P11/0 //0 ;");
  ASSERT_TRUE(quadro.ColumnCount() == 3 && quadro.GetColumn(0)->tripCode == "C10");
  for (int k : {1, 2, 3}) EXPECT_EQ(quadro.GetColumn(k), nullptr) << k;
  EXPECT_EQ(quadro.Append(9, Stop("Z"))->CellCount(), 3);  // a new row has one cell per column

  quadro.First()->ResizeCells(1);
  quadro.GetAt(1)->ResizeCells(0);
  EXPECT_EQ(Cells(quadro), "A00/P00/0 ;;//0 //0 //0 ;");
  quadro.SetColumn(7, std::make_unique<TripLeg>(1, 1, 1, "", "", 'R', "", "", "", "", "", ""));  // ignored
  EXPECT_EQ(quadro.ColumnCount(), 3);
  EXPECT_EQ(TripStop(1, Stop("X"), -3).CellCount(), 0);
}

TEST(RecordLists, CalendarNotesKeepTheirFirstNameAndDayFlagsAndPointersStayInBounds) {
  CadenceNoteList notes;
  notes.Append(2024, 12, 25, '3', "Natale");
  EXPECT_EQ(notes.Set(2024, 12, 25, '3', "FES", "Festa")->text, "FES");
  EXPECT_EQ(notes.Find(2024, 12, 25)->name, "Natale");
  notes.Set(2024, 12, 27, '5', "FER", "");
  notes.Set(2024, 12, 27, '5', "SCO", "Nota");  // a day without a name takes one
  notes.Set(2024, 12, 27, '5', "SCO", "Altra");
  EXPECT_EQ(notes.Find(2024, 12, 27)->name, "Nota");
  EXPECT_EQ(std::vector<int>({notes.Find(2024, 12, 27)->TextCount(), notes.Count(), notes.MaxSubCount()}),
            std::vector<int>({3, 2, 3}));  // texts of the day, days, most texts of a day
  DayFlags none(7, 0);
  none.SetDay(0);
  EXPECT_EQ(none.flags + none.GetDay(0), "N");
  DayFlags three(8, 3);
  for (int day : {1, 3, -1}) three.SetDay(day);
  EXPECT_EQ(three.flags + three.GetDay(1) + three.GetDay(3) + three.GetDay(-1), "NSNSNN");

  PtrArray<int> pointers(3);
  int x = 1;
  for (int k : {0, 3, -1}) pointers.SetAt(k, &x);
  EXPECT_EQ(pointers.GetAt(0), &x);
  for (int k : {1, 3, -1}) EXPECT_EQ(pointers.GetAt(k), nullptr) << k;
  EXPECT_EQ(PtrArray<int>(-2).GetAt(0), nullptr);
}

TEST(IndexedLists, RenumberingMapLooksUpByOldId) {
  IdPairList map;
  map.nextNumber = 500;
  for (int old : {77, 12, 45}) map.AppendNumbered(old);
  EXPECT_EQ(map.Lookup(12), nullptr);  // no index yet
  map.BuildIndex();
  EXPECT_EQ(map.Lookup(45)->first, 502);
  EXPECT_EQ(map.Lookup(46), nullptr);
  EXPECT_EQ(map.AppendNumbered(12), 503);
  EXPECT_EQ(map.Lookup(77), nullptr);  // an append needs a new index

  IdPairList big;
  for (int i = 0; i < 1000; ++i) big.AppendNumbered((i * 7919) % 1009);
  big.BuildIndex();
  for (int i = 0; i < 1000; ++i) EXPECT_EQ(big.Lookup((i * 7919) % 1009)->first, i) << i;
  big.Free();
  EXPECT_EQ(big.Lookup(0), nullptr);
}

// Trip periods found by key, and numbered texts sorted by number, then sub-number, stably.
TEST(IndexedLists, TripPeriodsAndNumberedTextsInKeyOrder) {
  TripPeriodList trips;
  for (int key : {30, 10, 20}) trips.AppendPeriod(key, "C" + std::to_string(key));
  trips.BuildIndex();
  ASSERT_TRUE(trips.Lookup(20) && trips.Lookup(10) && !trips.Lookup(15));
  EXPECT_EQ(trips.Lookup(20)->text + trips.Lookup(10)->text + trips.IndexAt(2)->text, "C20C10C30");
  NumberedTextList errors;
  for (const auto& [number, sub, text] : {std::tuple{3, 1, "a"}, {1, 2, "b"}, {1, 1, "c"}, {3, 0, "d"}, {1, 2, "e"}})
    errors.Append(number, sub, text);
  errors.BuildIndex();
  std::string order;
  for (int i = 0; i < errors.IndexCount(); ++i) order += errors.IndexAt(i)->text;
  EXPECT_EQ(order + errors.First()->text, "cbedaa");  // the list itself is unchanged
}

TEST(DirectoryLists, LocalityGroupsAddAGroupRecordFirstAndPrimaryStopsAreFoundExactly) {
  LocalityGroupList groups;
  LocalityGroup* r = groups.AddOrFind("X", "Y", "1", "2", "3");
  ASSERT_NE(r, nullptr);
  EXPECT_TRUE(groups.First()->c.empty() && groups.Last() == r);
  EXPECT_EQ(groups.AddOrFind("X", "Y", "1", "2", "3"), nullptr);  // there already
  groups.AddOrFind("X", "Z", "1", "2", "3");
  EXPECT_NE(groups.AddOrFind("X", "Y", "4", "5", "6"), nullptr);
  EXPECT_EQ(groups.AddOrFind("X", "Y", "", "", ""), nullptr);  // the group record itself
  EXPECT_EQ(groups.Count(), 5);
  EXPECT_EQ(groups.Last()->c, "4");  // at the tail, not after its group
  PrimaryStopList primaries;
  PrimaryStop* first = primaries.Append("F1", "Uno");
  primaries.Append("F2", "Due");
  PrimaryStop* again = primaries.Append("F1", "Uno");
  EXPECT_EQ(primaries.Find("F1", "Uno"), again);  // the last record is tried first, then from the start
  primaries.Append("F3", "Tre");
  EXPECT_EQ(primaries.Find("F1", "Uno"), first);
  EXPECT_TRUE(primaries.Find("F1", "uno") == nullptr && PrimaryStopList().Find("F1", "Uno") == nullptr);
}

// The sixth equals the third and stays after it; a byte above 0x7F sorts after ASCII.
TEST(DirectoryLists, StopDetailsSortByTheirCompoundKey) {
  StopDetailList details;
  std::vector<const StopDetail*> added;
  for (const auto& [a, b, c, n] : {std::tuple{"z", "b", "c", 2},
                                   {"a", "b", "c", 2},
                                   {"a", "b", "c", 1},
                                   {"a", "a", "z", 9},
                                   {"a", "b", "b", 5},
                                   {"a", "b", "c", 1},
                                   {"a", "\xE0", "a", 0}})
    added.push_back(details.Append(a, b, c, n));
  details.SortIndex();
  ASSERT_EQ(details.IndexCount(), 7);
  const int order[] = {3, 4, 2, 5, 1, 0, 6};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(details.IndexAt(i), added[static_cast<std::size_t>(order[i])]) << i;
  EXPECT_TRUE(details.Contains("a", "b", "b", 5) && !details.Contains("a", "b", "b", 6));
}

TEST(DirectoryLists, ShapeMatches) {
  ShapeMatchList matches;
  EXPECT_EQ(std::pair(matches.NoneMatched(), matches.AnyUnmatched()), std::pair(1, 0));
  int nameMatches = 7;
  EXPECT_EQ(matches.FindByCode("F1", "Uno", nameMatches), nullptr);
  EXPECT_EQ(nameMatches, 7);

  ShapeMatch* f1 = matches.Append("F1", "Uno");
  matches.Append("F1", "Altro");
  matches.Append("F2", "Due");
  for (const auto& [name, named] : {std::pair{"Altro", 0}, {"Uno", 1}}) {
    EXPECT_EQ(matches.FindByCode("F1", name, nameMatches), f1);
    EXPECT_EQ(nameMatches, named);
  }
  EXPECT_EQ(std::pair(f1->matched, matches.AnyUnmatched()), std::pair(0, 1));  // finding does not match
  for (ShapeMatch& m : matches) m.matched = 1;
  EXPECT_EQ(std::pair(matches.NoneMatched(), matches.AnyUnmatched()), std::pair(0, 0));
}

}  // namespace
