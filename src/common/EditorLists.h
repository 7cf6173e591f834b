#pragma once
// Record lists of the editors and of the conversions: integer lists, day flags, keyed texts,
// day types, calendar notes, the trip list, the quadro timetable model, validity periods and
// code/name pairs. Every list appends at the tail and its finders return the first exact match
// (texts compared byte by byte, case counts, no trimming) or null.

#include "common/Formatters.h"
#include "common/RecordList.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// ---- Integer lists -------------------------------------------------------------------------

struct IntListNode {
  std::int32_t value = 0;
  explicit IntListNode(std::int32_t v) : value(v) {}
};

// The two integer lists of an owner (a route variant of the map-file conversions).
struct IntList {
  RecordList<IntListNode> first;
  RecordList<IntListNode> second;

  IntListNode* Append(std::int32_t value) { return first.Emplace(value); }  // to the first list
  int CountSecond() const { return second.Count(); }
};

// ---- Keyed texts and day flags -------------------------------------------------------------

struct KeyText {
  std::int32_t key = 0;
  std::string text;
  KeyText(std::int32_t k, std::string_view t) : key(k), text(t) {}
};

// One character a day, 'N' until the day is set to 'S'.
struct DayFlags {
  std::int32_t id = 0;
  std::string flags;                 // empty when made with no days
  const KeyText* pattern = nullptr;  // set by the user of the record

  DayFlags(std::int32_t id, int dayCount);
  void SetDay(int i);        // out of range: ignored
  char GetDay(int i) const;  // out of range or no days: 'N'
};

// ---- Day types -----------------------------------------------------------------------------

struct CadenceEntry {
  std::string code;
  std::string storedCode;  // as stored, a code that lost a character Windows-1252 lacks (else empty)
  std::string name;
  std::int32_t changed = 0;
  std::int32_t deleted = 0;
  CadenceEntry(std::string_view c, std::string_view n) : code(c), name(n) {}
};

class CadenceList : public RecordList<CadenceEntry> {
 public:
  CadenceEntry* Append(std::string_view code, std::string_view name) { return Emplace(code, name); }
  CadenceEntry* Find(std::string_view code);
};

// ---- Calendar notes ------------------------------------------------------------------------

// One text of a calendar day (a day-type code in the calendar editor).
struct NoteText {
  std::string text;
  std::string stored;  // as stored, a text that lost a character Windows-1252 lacks (else empty)
  // A calendar day's date as stored where its text does not find its row (a time of day, a year
  // the database does not keep as itself); else empty.
  std::string storedDate;
  std::int32_t changed = 0;
  std::int32_t deleted = 0;
  explicit NoteText(std::string_view t, std::string_view s = {}) : text(t), stored(s) {}
};

// One calendar day: its date, weekday digit ('1' Monday to '7' Sunday), holiday name (empty on
// an ordinary day) and its texts.
struct CadenceNote : DateRecord {
  char weekday = 0;
  std::string name;
  RecordList<NoteText> texts;

  CadenceNote(int y, int m, int d, char weekdayDigit, std::string_view holiday)
      : DateRecord{y, m, d}, weekday(weekdayDigit), name(holiday) {}
  NoteText* AddText(std::string_view text, std::string_view stored = {}) { return texts.Emplace(text, stored); }
  int TextCount() const { return texts.Count(); }
};

class CadenceNoteList : public RecordList<CadenceNote> {
 public:
  CadenceNote* Append(int year, int month, int day, char weekday, std::string_view name) {
    return Emplace(year, month, day, weekday, name);
  }
  CadenceNote* Find(int year, int month, int day);
  // Finds the day (or appends it with the weekday and name given), takes the name when the day
  // has none, and appends the text to the day's texts; returns the new text.
  NoteText* Set(int year, int month, int day, char weekday, std::string_view text, std::string_view name);
  // The largest text count of a day (0 for an empty list).
  int MaxSubCount() const;
};

// ---- Trip list -----------------------------------------------------------------------------

// One trip head as display texts: a row of the trip list and a column of the quadro model.
struct TripLeg {
  std::int32_t id = 0;
  std::int32_t regionalId = 0;
  std::int32_t quadroNumber = 0;
  std::string tripCode;
  std::string lineCode;
  char direction = 0;
  std::string departureText;
  std::string arrivalText;
  std::string lengthText;
  std::string durationText;
  std::string description;
  std::string routeCode;
  std::int32_t changed = 0;
  std::int32_t deleted = 0;

  TripLeg(std::int32_t id, std::int32_t regionalId, std::int32_t quadroNumber, std::string_view tripCode,
          std::string_view lineCode, char direction, std::string_view departureText, std::string_view arrivalText,
          std::string_view lengthText, std::string_view durationText, std::string_view description,
          std::string_view routeCode);
};

class TripLegList : public RecordList<TripLeg> {
 public:
  template <class... Args>
  TripLeg* Append(Args&&... args) {
    return Emplace(std::forward<Args>(args)...);
  }
};

// ---- Quadro timetable model ----------------------------------------------------------------

// The arrival and departure texts of one trip at one stop.
struct TimeCell {
  std::string arrivalText;
  std::string departureText;
  std::int32_t changed = 0;

  // The texts as HHMM (see ParseTimeText).
  int GetArrivalHhmm() const { return ParseTimeText(arrivalText); }
  int GetDepartureHhmm() const { return ParseTimeText(departureText); }
};

struct TripStopValues {
  std::string stopCode;
  std::string stopName;
  std::string location;
  std::string lengthText;
  std::int32_t distance = 0;
  std::int32_t primary = 0;
  std::int32_t optional = 0;
  std::int32_t noStop = 0;
};

// One stop row of the quadro model, with one cell per trip column.
struct TripStop : TripStopValues {
  std::int32_t sub = 0;
  std::int32_t changed = 0;
  std::int32_t deleted = 0;
  std::vector<TimeCell> cells;

  TripStop(std::int32_t sub, const TripStopValues& values, int cellCount);
  int CellCount() const { return static_cast<int>(cells.size()); }
  TimeCell* GetCell(int i);  // null outside 0 .. cellCount-1
  // Resizes to n empty cells keeping the texts of the first min(old, n).
  void ResizeCells(int n);
};

// The quadro model: stop rows in display order and the trip columns, whose TripLegs it owns.
class TripStopList : public RecordList<TripStop> {
 public:
  TripStop* Append(std::int32_t sub, const TripStopValues& values);
  TripStop* Prepend(std::int32_t sub, const TripStopValues& values);
  // After the given row; a row not in the list appends at the tail.
  TripStop* InsertAfter(const TripStop* row, std::int32_t sub, const TripStopValues& values);

  TripStop* FindById(std::int32_t sub);
  TripStop* GetAt(int n);      // n-th row from 0, null beyond
  std::int32_t MaxId() const;  // largest row id, never below 0

  // Columns.
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  // Adds one empty column and one empty cell to every row.
  void AllocIndex();
  TripLeg* GetColumn(int i) const;  // null outside the columns or for an empty slot
  // Stores the trip of column i (ignored outside the columns; the old trip is freed).
  void SetColumn(int i, std::unique_ptr<TripLeg> trip);

  void Clear();

 private:
  std::vector<std::unique_ptr<TripLeg>> columns_;
};

// ---- Validity periods ----------------------------------------------------------------------

struct PeriodRecord {
  std::string start;
  std::string end;
  std::string code;
  std::string name;
  std::int32_t excluded = 0;
  std::int32_t changed = 0;
  std::int32_t deleted = 0;
  std::string storedCode;  // as stored, a day type that lost a character Windows-1252 lacks (else empty)
  // As stored, a date its text does not find (one read as "99/99/9999" or "00/00/0000"), else empty.
  std::string storedStart;
  std::string storedEnd;
  PeriodRecord(std::string_view s, std::string_view e, std::string_view c, std::string_view n, std::int32_t x)
      : start(s), end(e), code(c), name(n), excluded(x) {}
};

class PeriodList : public RecordList<PeriodRecord> {
 public:
  PeriodRecord* Append(std::string_view start, std::string_view end, std::string_view code, std::string_view name,
                       std::int32_t excluded) {
    return Emplace(start, end, code, name, excluded);
  }
};

// ---- Codes and names -----------------------------------------------------------------------

struct CodeName {
  std::int32_t code = 0;
  std::string name;
  CodeName(std::int32_t c, std::string_view n) : code(c), name(n) {}
};

class CodeNameList : public RecordList<CodeName> {
 public:
  CodeName* Add(std::int32_t code, std::string_view name) { return Emplace(code, name); }
};
