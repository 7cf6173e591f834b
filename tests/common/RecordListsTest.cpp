// The record lists of the editors: order of insertion, stable addresses, bounds of their cells
// and columns, and the indexes that find records by key with their tie rules.

#include "common/DateList.h"
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
  v.stopName = "Fermata " + code;
  return v;
}

std::string Walk(TripStopList& stops) {
  std::string order;
  for (const TripStop& s : stops) order += s.stopCode;
  return order;
}

TEST(RecordLists, AppendKeepsOrderAndRecordAddresses) {
  CadenceList list;
  EXPECT_EQ(list.First(), nullptr);
  CadenceEntry* first = list.Append("FER", "Feriale");
  for (int i = 0; i < 1000; ++i) list.Append("C" + std::to_string(i), "");
  CadenceEntry* last = list.Append("FES", "Festivo");
  EXPECT_EQ(list.First(), first);  // still valid after many appends
  EXPECT_EQ(first->code, "FER");
  EXPECT_EQ(list.Last(), last);
  EXPECT_EQ(list.Count(), 1002);
  EXPECT_EQ(list.Find("FES"), last);
  EXPECT_EQ(list.Find("fer"), nullptr);
  EXPECT_EQ(list.Find("FER "), nullptr);
  list.Append("FER", "Second");
  EXPECT_EQ(list.Find("FER"), first);  // first match wins
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Last(), nullptr);
}

TEST(RecordLists, QuadroRowsInsertPrependAndAppend) {
  TripStopList stops;
  TripStop* a = stops.Prepend(1, Stop("A"));
  EXPECT_EQ(stops.Last(), a);
  stops.Append(2, Stop("B"));
  TripStop* c = stops.InsertAfter(stops.Last(), 3, Stop("C"));
  EXPECT_EQ(stops.Last(), c);
  stops.Append(4, Stop("D"));
  stops.InsertAfter(a, 5, Stop("E"));
  stops.Prepend(6, Stop("F"));
  EXPECT_EQ(Walk(stops), "FAEBCD");
  TripStopList other;
  stops.InsertAfter(other.Append(9, Stop("X")), 7, Stop("G"));  // not in the list: tail
  stops.InsertAfter(nullptr, 8, Stop("H"));
  EXPECT_EQ(Walk(stops), "FAEBCDGH");
  EXPECT_EQ(stops.Count(), 8);

  EXPECT_EQ(stops.GetAt(7)->stopCode, "H");
  EXPECT_EQ(stops.GetAt(8), nullptr);
  EXPECT_EQ(stops.GetAt(-1), nullptr);
  EXPECT_EQ(stops.FindById(5)->stopCode, "E");
  EXPECT_EQ(stops.FindById(42), nullptr);
  EXPECT_EQ(stops.MaxId(), 8);
  TripStopList negative;
  negative.Append(-4, Stop("N"));
  EXPECT_EQ(negative.MaxId(), 0);
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
  EXPECT_EQ(quadro.ColumnCount(), 3);
  ASSERT_NE(quadro.GetColumn(0), nullptr);
  EXPECT_EQ(quadro.GetColumn(0)->tripCode, "C10");
  for (int k : {1, 2, 3}) EXPECT_EQ(quadro.GetColumn(k), nullptr) << k;
  EXPECT_EQ(quadro.First()->GetCell(-1), nullptr);
  EXPECT_EQ(quadro.Append(9, Stop("Z"))->CellCount(), 3);  // a new row has one cell per column

  quadro.First()->ResizeCells(1);
  quadro.GetAt(1)->ResizeCells(0);
  EXPECT_EQ(Cells(quadro), "A00/P00/0 ;;//0 //0 //0 ;");
  quadro.SetColumn(7, std::make_unique<TripLeg>(1, 1, 1, "", "", 'R', "", "", "", "", "", ""));  // ignored
  quadro.Clear();
  EXPECT_EQ(quadro.ColumnCount() + quadro.Count(), 0);
  EXPECT_EQ(TripStop(1, Stop("X"), -3).CellCount(), 0);
}

TEST(RecordLists, DateTextsAccumulate) {
  DateList dates;
  DateEntry* e = dates.AddDateText("05/03/2024", "FER");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(dates.AddDateText("05/03/2024", "FER"), e);
  EXPECT_EQ(e->texts.Count(), 2);
  EXPECT_TRUE(e->HasText("FER") && !e->HasText("FES"));
  EXPECT_EQ(dates.AddDateText("5/03/2024", "FES"), nullptr);
  EXPECT_EQ(dates.AddDateText("05/03/2024 ", "FES"), nullptr);
  EXPECT_EQ(dates.Count(), 1);
  EXPECT_EQ(dates.Find(2024, 3, 5), e);
  EXPECT_EQ(dates.Find(2024, 5, 3), nullptr);
  dates.AddDateText("04/03/2024", "FES");
  EXPECT_EQ(dates.Last()->day, 4);  // appended, not sorted
  e->ClearTexts();
  EXPECT_EQ(e->HasText("FER"), 0);
}

TEST(RecordLists, CalendarNotesKeepTheirFirstName) {
  CadenceNoteList notes;
  notes.Append(2024, 12, 25, '3', "Natale");
  NoteText* t = notes.Set(2024, 12, 25, '3', "FES", "Festa");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->text, "FES");
  EXPECT_EQ(notes.Find(2024, 12, 25)->name, "Natale");
  notes.Set(2024, 12, 27, '5', "FER", "");
  notes.Set(2024, 12, 27, '5', "SCO", "Nota");  // a day without a name takes one
  notes.Set(2024, 12, 27, '5', "SCO", "Altra");
  EXPECT_EQ(notes.Find(2024, 12, 27)->name, "Nota");
  EXPECT_EQ(std::vector<int>({notes.Find(2024, 12, 27)->TextCount(), notes.Count(), notes.MaxSubCount()}),
            std::vector<int>({3, 2, 3}));  // texts of the day, days, most texts of a day
  EXPECT_EQ(CadenceNoteList().MaxSubCount(), 0);
}

TEST(RecordLists, DayFlagsAndPointersStayInBounds) {
  DayFlags none(7, 0);
  EXPECT_EQ(none.GetDay(0), 'N');
  none.SetDay(0);
  EXPECT_TRUE(none.flags.empty());
  DayFlags three(8, 3);
  for (int day : {1, 3, -1}) three.SetDay(day);
  EXPECT_EQ(three.flags + three.GetDay(1) + three.GetDay(3) + three.GetDay(-1), "NSNSNN");

  PtrArray<int> pointers(3);
  int x = 1, y = 2;
  pointers.SetAt(0, &x);
  pointers.SetAt(3, &y);
  pointers.SetAt(-1, &y);
  EXPECT_EQ(pointers.GetAt(0), &x);
  for (int k : {1, 3, -1}) EXPECT_EQ(pointers.GetAt(k), nullptr) << k;
  EXPECT_EQ(PtrArray<int>(-2).GetAt(0), nullptr);
}

TEST(IndexedLists, RenumberingMapLooksUpByOldId) {
  IdPairList map;
  map.nextNumber = 500;
  EXPECT_EQ(map.AppendNumbered(77), 500);
  EXPECT_EQ(map.AppendNumbered(12), 501);
  EXPECT_EQ(map.AppendNumbered(45), 502);
  EXPECT_EQ(map.Lookup(12), nullptr);  // no index yet
  map.BuildIndex();
  ASSERT_NE(map.Lookup(77), nullptr);
  EXPECT_EQ(map.Lookup(77)->first, 500);
  EXPECT_EQ(map.Lookup(46), nullptr);
  map.AppendNumbered(12);
  EXPECT_EQ(map.Lookup(77), nullptr);  // an append needs a new index
  map.BuildIndex();
  ASSERT_NE(map.Lookup(12), nullptr);
  EXPECT_EQ(map.Lookup(12)->second, 12);
  EXPECT_TRUE(map.Lookup(12)->first == 501 || map.Lookup(12)->first == 503);

  IdPairList big;
  for (int i = 0; i < 1000; ++i) big.AppendNumbered((i * 7919) % 1009);
  big.BuildIndex();
  for (int i = 0; i < 1000; ++i) {
    ASSERT_NE(big.Lookup((i * 7919) % 1009), nullptr) << i;
    EXPECT_EQ(big.Lookup((i * 7919) % 1009)->first, i);
  }
  big.Free();
  EXPECT_EQ(big.Lookup(0), nullptr);
}

TEST(IndexedLists, TripPeriodsFoundByKey) {
  TripPeriodList trips;
  trips.AppendPeriod(30, "C30");
  trips.AppendPeriod(10, "C10");
  trips.AppendPeriod(20, "C20")->stopCount = 4;
  EXPECT_EQ(trips.Lookup(20), nullptr);
  trips.BuildIndex();
  ASSERT_TRUE(trips.Lookup(20) && trips.Lookup(10));
  EXPECT_EQ(trips.Lookup(20)->text + trips.Lookup(10)->text + std::to_string(trips.Lookup(20)->stopCount), "C20C104");
  EXPECT_EQ(trips.Lookup(15), nullptr);
  EXPECT_EQ(std::vector<int>({trips.IndexAt(0)->key, trips.IndexAt(2)->key}), std::vector<int>({10, 30}));
}

TEST(IndexedLists, NumberedTextsSortByNumberThenSubNumberStably) {
  NumberedTextList errors;
  errors.BuildIndex();
  EXPECT_EQ(errors.IndexCount(), 0);
  for (const auto& [number, sub, text] : {std::tuple{3, 1, "a"}, {1, 2, "b"}, {1, 1, "c"}, {3, 0, "d"}, {1, 2, "e"}})
    errors.Append(number, sub, text);
  errors.BuildIndex();
  std::string order;
  for (int i = 0; i < errors.IndexCount(); ++i) order += errors.IndexAt(i)->text;
  EXPECT_EQ(order, "cbeda");
  EXPECT_EQ(errors.First()->text, "a");  // the list itself is unchanged
}

}  // namespace
