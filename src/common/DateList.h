#pragma once
// Dates with their texts (the day types of the service calendar), and the counting and marking
// of the dates that fall inside a period and carry a given day type.

#include "common/Formatters.h"
#include "common/RecordList.h"

#include <QDate>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

struct TextNode {
  std::string text;
  explicit TextNode(std::string_view t) : text(t) {}
};
using TextList = RecordList<TextNode>;

struct DateEntry : DateRecord {
  TextList texts;

  DateEntry(int y, int m, int d) : DateRecord{y, m, d} {}
  TextNode* AddText(std::string_view text) { return texts.Emplace(text); }
  int HasText(std::string_view text) const;  // 1 when one of the texts equals it
  void ClearTexts() { texts.Clear(); }
};

struct OperatingDaysTrip;

class DateList : public RecordList<DateEntry> {
 public:
  // date is "GG/MM/AAAA" of exactly 10 characters (anything else adds nothing and gives null);
  // finds or appends the entry of that date and appends text to its texts (also when the entry
  // already holds it). Returns the entry.
  DateEntry* AddDateText(std::string_view date, std::string_view text);
  DateEntry* Find(int year, int month, int day);

  // The earliest and the latest valid date of the list. An empty list (or one without a valid
  // date) gives first = 31/12/2099 and last = 01/01/1901, first after last: an empty range.
  void GetDateRange(QDate& first, QDate& last) const;

  // Number of entries inside [from, to] ("GG/MM/AAAA" texts) that hold cadence; negative (each
  // match subtracts 1) when mode is 1. Either text not exactly 10 characters: 0.
  int CountText(std::string_view from, std::string_view to, std::string_view cadence, int mode) const;

  // For every entry inside [from, to] that holds cadence, calls mark(index) with the whole
  // number of days from start to the entry's date. Any text not exactly 10 characters, or a
  // start that is no calendar date: nothing happens.
  void ForEachPeriodDay(std::string_view start, std::string_view cadence, std::string_view from, std::string_view to,
                        const std::function<void(int)>& mark) const;

  // Marks the days of a trip: every entry inside [from, to] holding cadence sets 'S' at its day
  // index (counted from start) in the excluded flags (mode 1) or in the run flags (any other).
  template <class Days>
  void MarkTripDays(Days& days, std::string_view start, std::string_view cadence, std::string_view from,
                    std::string_view to, int mode) const {
    ForEachPeriodDay(start, cadence, from, to, [&](int index) {
      if (mode == 1)
        days.SetExcludedDay(index, 'S');
      else
        days.SetRunDay(index, 'S');
    });
  }

  // Sets the run flag (or, mode 1, the excluded flag) of the trip's date rows of every entry
  // inside [from, to] that holds cadence.
  void MarkPeriodDays(OperatingDaysTrip& trip, std::string_view from, std::string_view to, std::string_view cadence,
                      int mode) const;
};
