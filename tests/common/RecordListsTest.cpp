#include "common/DateList.h"
#include "common/EditorLists.h"
#include "common/IndexedLists.h"
#include "common/RecordList.h"

#include <gtest/gtest.h>
#include <string>
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

}  // namespace

TEST(RecordLists, AppendKeepsOrderAndRecordAddresses) {
  CadenceList list;
  EXPECT_EQ(list.First(), nullptr);
  CadenceEntry* first = list.Append("FER", "Feriale");
  EXPECT_EQ(list.First(), first);
  EXPECT_EQ(list.Last(), first);
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
  EXPECT_EQ(stops.First(), a);
  EXPECT_EQ(stops.Last(), a);
  stops.Append(2, Stop("B"));
  EXPECT_EQ(Walk(stops), "AB");

  TripStop* c = stops.InsertAfter(stops.Last(), 3, Stop("C"));
  EXPECT_EQ(stops.Last(), c);
  stops.Append(4, Stop("D"));
  stops.InsertAfter(a, 5, Stop("E"));
  stops.Prepend(6, Stop("F"));
  EXPECT_EQ(Walk(stops), "FAEBCD");

  TripStopList other;
  TripStop* foreign = other.Append(9, Stop("X"));
  stops.InsertAfter(foreign, 7, Stop("G"));  // not in the list: tail
  stops.InsertAfter(nullptr, 8, Stop("H"));
  EXPECT_EQ(Walk(stops), "FAEBCDGH");
  EXPECT_EQ(stops.Count(), 8);

  EXPECT_EQ(stops.GetAt(0)->stopCode, "F");
  EXPECT_EQ(stops.GetAt(7)->stopCode, "H");
  EXPECT_EQ(stops.GetAt(8), nullptr);
  EXPECT_EQ(stops.GetAt(-1), nullptr);
  EXPECT_EQ(stops.FindById(5)->stopCode, "E");
  EXPECT_EQ(stops.FindById(42), nullptr);
  EXPECT_EQ(stops.MaxId(), 8);

  TripStopList negative;
  negative.Append(-4, Stop("N"));
  EXPECT_EQ(negative.MaxId(), 0);
  EXPECT_EQ(TripStopList().MaxId(), 0);
}

TEST(RecordLists, AddingAColumnKeepsTheCellTexts) {
  TripStopList quadro;
  quadro.AllocIndex();
  quadro.AllocIndex();
  for (int r = 0; r < 3; ++r) {
    TripStop* row = quadro.Append(r + 1, Stop(std::to_string(r)));
    ASSERT_EQ(row->CellCount(), 2);
    for (int c = 0; c < 2; ++c) {
      row->GetCell(c)->arrivalText = "A" + std::to_string(r) + std::to_string(c);
      row->GetCell(c)->departureText = "P" + std::to_string(r) + std::to_string(c);
      row->GetCell(c)->changed = 1;
    }
  }
  quadro.SetColumn(0,
                   std::make_unique<TripLeg>(10, -1, 3, "C10", "L1", 'A', "8:00", "9:00", "1,000", "1h 0m", "", "P1"));
  quadro.AllocIndex();
  EXPECT_EQ(quadro.ColumnCount(), 3);
  ASSERT_NE(quadro.GetColumn(0), nullptr);
  EXPECT_EQ(quadro.GetColumn(0)->tripCode, "C10");
  EXPECT_EQ(quadro.GetColumn(1), nullptr);
  EXPECT_EQ(quadro.GetColumn(2), nullptr);
  EXPECT_EQ(quadro.GetColumn(3), nullptr);
  for (int r = 0; r < 3; ++r) {
    TripStop* row = quadro.GetAt(r);
    ASSERT_EQ(row->CellCount(), 3);
    for (int c = 0; c < 2; ++c) {
      EXPECT_EQ(row->GetCell(c)->arrivalText, "A" + std::to_string(r) + std::to_string(c));
      EXPECT_EQ(row->GetCell(c)->departureText, "P" + std::to_string(r) + std::to_string(c));
      EXPECT_EQ(row->GetCell(c)->changed, 0);  // the third field starts again
    }
    EXPECT_EQ(row->GetCell(2)->arrivalText, "");
    EXPECT_EQ(row->GetCell(3), nullptr);
    EXPECT_EQ(row->GetCell(-1), nullptr);
  }
  // A new row has one cell per column.
  EXPECT_EQ(quadro.Append(9, Stop("Z"))->CellCount(), 3);

  TripStop* row = quadro.First();
  row->ResizeCells(1);
  EXPECT_EQ(row->CellCount(), 1);
  EXPECT_EQ(row->GetCell(0)->arrivalText, "A00");
  row->ResizeCells(0);
  EXPECT_EQ(row->GetCell(0), nullptr);

  quadro.SetColumn(7, std::make_unique<TripLeg>(1, 1, 1, "", "", 'R', "", "", "", "", "", ""));  // ignored
  quadro.Clear();
  EXPECT_EQ(quadro.ColumnCount(), 0);
  EXPECT_EQ(quadro.Count(), 0);

  EXPECT_EQ(TripStop(1, Stop("X"), 0).CellCount(), 0);
  EXPECT_EQ(TripStop(1, Stop("X"), -3).CellCount(), 0);
}

TEST(RecordLists, DateTextsAccumulate) {
  DateList dates;
  DateEntry* e = dates.AddDateText("05/03/2024", "FER");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(dates.AddDateText("05/03/2024", "FER"), e);
  EXPECT_EQ(dates.Count(), 1);
  EXPECT_EQ(e->texts.Count(), 2);
  EXPECT_EQ(e->HasText("FER"), 1);
  EXPECT_EQ(e->HasText("FES"), 0);
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
  const CadenceNote* d = notes.Find(2024, 12, 27);
  EXPECT_EQ(d->name, "Nota");
  EXPECT_EQ(d->TextCount(), 3);
  EXPECT_EQ(d->weekday, '5');
  EXPECT_EQ(notes.Count(), 2);
  EXPECT_EQ(notes.MaxSubCount(), 3);
  EXPECT_EQ(CadenceNoteList().MaxSubCount(), 0);
}

TEST(RecordLists, DayFlagsStayInsideTheirDays) {
  DayFlags none(7, 0);
  EXPECT_TRUE(none.flags.empty());
  EXPECT_EQ(none.GetDay(0), 'N');
  none.SetDay(0);
  EXPECT_TRUE(none.flags.empty());

  DayFlags three(8, 3);
  three.SetDay(1);
  three.SetDay(3);
  three.SetDay(-1);
  EXPECT_EQ(three.flags, "NSN");
  EXPECT_EQ(three.GetDay(1), 'S');
  EXPECT_EQ(three.GetDay(3), 'N');
  EXPECT_EQ(three.GetDay(-1), 'N');
}

TEST(RecordLists, SmallListsAndHolders) {
  IntList owner;
  owner.Append(5);
  owner.Append(6);
  owner.second.Emplace(1);
  EXPECT_EQ(owner.first.Count(), 2);
  EXPECT_EQ(owner.first.Last()->value, 6);
  EXPECT_EQ(owner.CountSecond(), 1);

  PtrArray<int> pointers(3);
  int x = 1, y = 2;
  pointers.SetAt(0, &x);
  pointers.SetAt(3, &y);
  pointers.SetAt(-1, &y);
  EXPECT_EQ(pointers.GetAt(0), &x);
  EXPECT_EQ(pointers.GetAt(1), nullptr);
  EXPECT_EQ(pointers.GetAt(3), nullptr);
  EXPECT_EQ(pointers.GetAt(-1), nullptr);
  EXPECT_EQ(PtrArray<int>(0).Count(), 0);
  EXPECT_EQ(PtrArray<int>(-2).GetAt(0), nullptr);

  CountedList<KeyText> header;
  header.Append(1, "a");
  header.Append(2, "b");
  EXPECT_EQ(header.count, 2);
  ClearListHeader(header);
  EXPECT_EQ(header.count, 0);
  EXPECT_EQ(header.records.First(), nullptr);

  RenumberState state;
  for (int i = 0; i < 5; ++i) state.words[i] = i + 10;
  state.Reset();
  EXPECT_EQ(state.words[0], 10);
  EXPECT_EQ(state.words[1] + state.words[2] + state.words[3] + state.words[4], 0);

  PeriodList periods;
  periods.Append("01/01/2024", "31/12/2024", "FER", "Feriale", 1);
  EXPECT_EQ(periods.Count(), 1);
  EXPECT_EQ(periods.First()->excluded, 1);
  EXPECT_EQ(periods.First()->changed, 0);

  CodeNameList names;
  names.Add(3, "Ente");
  EXPECT_EQ(names.Last()->name, "Ente");
}

TEST(IndexedLists, RenumberingMapLooksUpByOldId) {
  IdPairList map;
  map.nextNumber = 500;
  EXPECT_EQ(map.AppendNumbered(77), 500);
  EXPECT_EQ(map.AppendNumbered(12), 501);
  EXPECT_EQ(map.AppendNumbered(45), 502);
  EXPECT_EQ(map.Lookup(12), nullptr);  // no index yet
  map.BuildIndex();
  ASSERT_NE(map.Lookup(12), nullptr);
  EXPECT_EQ(map.Lookup(12)->first, 501);
  EXPECT_EQ(map.Lookup(77)->first, 500);
  EXPECT_EQ(map.Lookup(45)->first, 502);
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
    const int old = (i * 7919) % 1009;
    ASSERT_NE(big.Lookup(old), nullptr) << old;
    EXPECT_EQ(big.Lookup(old)->first, i);
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
  ASSERT_NE(trips.Lookup(20), nullptr);
  EXPECT_EQ(trips.Lookup(20)->text, "C20");
  EXPECT_EQ(trips.Lookup(20)->stopCount, 4);
  EXPECT_EQ(trips.Lookup(10)->text, "C10");
  EXPECT_EQ(trips.Lookup(15), nullptr);
  EXPECT_EQ(trips.IndexAt(0)->key, 10);
  EXPECT_EQ(trips.IndexAt(2)->key, 30);
}

TEST(IndexedLists, NumberedTextsSortByNumberThenSubNumberStably) {
  NumberedTextList errors;
  errors.BuildIndex();
  EXPECT_EQ(errors.IndexCount(), 0);
  errors.Append(3, 1, "a");
  errors.Append(1, 2, "b");
  errors.Append(1, 1, "c");
  errors.Append(3, 0, "d");
  errors.Append(1, 2, "e");
  errors.BuildIndex();
  std::string order;
  for (int i = 0; i < errors.IndexCount(); ++i) order += errors.IndexAt(i)->text;
  EXPECT_EQ(order, "cbeda");
  EXPECT_EQ(errors.First()->text, "a");  // the list itself is unchanged
}
