#pragma once
// Record lists of the printed reports and checks: rows with validity periods (their day totals
// and the letters that mark rows with the same periods), the contract and days-of-operation
// checks, the stop rows of the quadro reports and the calendar days.

#include "common/DateList.h"
#include "common/EditorLists.h"
#include "common/RecordList.h"

#include <cstdint>
#include <string>
#include <string_view>

// One validity period: day type, a second text, from and to ("GG/MM/AAAA") and the mode (1
// subtracts or excludes, any other value adds or includes).
struct PeriodEntry {
  std::string dayType;
  std::string text2;
  std::string from;
  std::string to;
  std::int32_t mode = 0;
  PeriodEntry(std::string_view d, std::string_view t2, std::string_view f, std::string_view t, std::int32_t m)
      : dayType(d), text2(t2), from(f), to(t), mode(m) {}
};
using PeriodEntryList = RecordList<PeriodEntry>;

// Sum over the periods of the dates of the list that lie in each period and carry its day type,
// excluding periods subtracted.
int CountPeriodDays(const PeriodEntryList& periods, const DateList& dates);

// ---- Rows with periods ---------------------------------------------------------------------

struct ReportRow {
  std::int32_t key = 0;  // the group the row belongs to
  std::int32_t id = 0;
  std::string text;
  std::string text2;
  char flag = 0;
  std::int32_t length = 0;   // metres
  std::int32_t minutes = 0;  // running time
  char code = '?';           // letter of the row's period pattern
  std::int32_t count = 0;    // days of operation
  PeriodEntryList periods;

  ReportRow(std::int32_t k, std::int32_t i, std::string_view t, std::string_view t2, char f, std::int32_t len,
            std::int32_t min)
      : key(k), id(i), text(t), text2(t2), flag(f), length(len), minutes(min) {}
  PeriodEntry* AddPeriod(std::string_view dayType, std::string_view periodText, std::string_view from,
                         std::string_view to, std::int32_t mode) {
    return periods.Emplace(dayType, periodText, from, to, mode);
  }
};

// The rows of one key are appended one after another. The n-th row of a key counts from 0 over
// the rows with that key, in list order.
class ReportRowList : public RecordList<ReportRow> {
 public:
  ReportRow* Append(std::int32_t key, std::int32_t id, std::string_view text, std::string_view text2, char flag,
                    std::int32_t length, std::int32_t minutes) {
    return Emplace(key, id, text, text2, flag, length, minutes);
  }

  int CountByKey(std::int32_t key) const;
  ReportRow* FindById(std::int32_t id);
  int IndexOf(std::int32_t key, std::int32_t id) const;              // 0 when absent
  std::int32_t GetIdAt(std::int32_t key, int n) const;               // -1 when absent
  char GetFlagAt(std::int32_t key, int n) const;                     // 0 when absent
  char GetCodeAt(std::int32_t key, int n) const;                     // '?' when absent
  const PeriodEntryList* GetValueAt(std::int32_t key, int n) const;  // null when absent
  const std::string* GetTextAt(std::int32_t key, int n) const;       // null when absent
  const std::string* GetText2At(std::int32_t key, int n) const;      // null when absent

  // Texts of the n-th row of a key; "?" when there is no such row.
  std::string FormatKmAt(std::int32_t key, int n) const;         // length "%1.3lf", comma
  std::string FormatTimeAt(std::int32_t key, int n) const;       // "%02d:%02d", "00:%02d" below 60
  std::string FormatCountAt(std::int32_t key, int n) const;      // "%d"
  std::string FormatTotalKmAt(std::int32_t key, int n) const;    // length x count "%1.1lf", comma
  std::string FormatTotalTimeAt(std::int32_t key, int n) const;  // minutes x count "%d:%02d"

  // count += the days of the row's periods in the date list.
  void Tally(const DateList& dates);
  // Gives every row still coded '?' a letter, the same letter to the rows of one key with the
  // same periods (day type, from, to in order); letters start at 'A' for every key, 'Z' is
  // followed by 'a'.
  void AssignCodes();

 private:
  const ReportRow* RowAt(std::int32_t key, int n) const;
};

// ---- Contract check ------------------------------------------------------------------------

struct CalendarSummaryRecord {
  std::int32_t ente = 0;
  std::int32_t contract = 0;
  std::int32_t tripId = 0;
  std::string tripCode;
  std::string lineCode;
  char direction = 0;
  std::string departureText;
  std::string lengthText;
  std::string contractLengthText;
  std::string timeText;
  std::string contractTimeText;
  std::int32_t contractLength = 0;
  std::int32_t contractMinutes = 0;
  std::int32_t total = 0;
  char mode = 0;
  PeriodEntryList periods;

  CalendarSummaryRecord(std::int32_t ente, std::int32_t contract, std::int32_t tripId, std::string_view tripCode,
                        std::string_view lineCode, char direction, std::string_view departureText,
                        std::string_view lengthText, std::string_view contractLengthText, std::string_view timeText,
                        std::string_view contractTimeText, std::int32_t contractLength, std::int32_t contractMinutes,
                        char mode);
};

class CalendarSummaryList : public RecordList<CalendarSummaryRecord> {
 public:
  template <class... Args>
  CalendarSummaryRecord* Append(Args&&... args) {
    return Emplace(std::forward<Args>(args)...);
  }
  PeriodEntry* AddDate(CalendarSummaryRecord& record, std::string_view dayType, std::string_view text2,
                       std::string_view from, std::string_view to, std::int32_t mode) {
    return record.periods.Emplace(dayType, text2, from, to, mode);
  }
  void Tally(const DateList& dates);
};

// A line of the contract check's print list: a trip (with the record it prints) or a total.
struct ContractTripEntry {
  std::int32_t ente = 0;
  std::int32_t contract = 0;
  const CalendarSummaryRecord* trip = nullptr;  // null for a total
  std::string text;
  // A total's four sums (lengths in metres, times in minutes over every running day): a year of
  // one contract passes what 32 bits hold, so they are kept as doubles.
  double values[4] = {0, 0, 0, 0};
};

class ContractTripList : public RecordList<ContractTripEntry> {
 public:
  // A total.
  ContractTripEntry* Append(std::int32_t ente, std::int32_t contract, std::string_view text, double v1, double v2,
                            double v3, double v4);
  // A trip, with an empty text.
  ContractTripEntry* Append(std::int32_t ente, std::int32_t contract, const CalendarSummaryRecord* trip);
};
using ContractTotalList = ContractTripList;
using TripReportList = ContractTripList;

// ---- Days-of-operation check ---------------------------------------------------------------

struct OperatingDaysDate {
  std::string dateText;  // "%02d/%02d/%04d"
  char weekday = 0;      // '1' Monday to '7' Sunday
  std::int32_t run = 0;
  std::int32_t excluded = 0;
  OperatingDaysDate(std::string_view t, char w) : dateText(t), weekday(w) {}
};

struct OperatingDaysTrip {
  std::int32_t id = 0;
  std::string tripCode;
  std::string lineCode;
  char direction = 0;
  std::string departureText;
  PeriodEntryList periods;
  RecordList<OperatingDaysDate> dates;

  OperatingDaysTrip(std::int32_t i, std::string_view trip, std::string_view line, char dir, std::string_view dep)
      : id(i), tripCode(trip), lineCode(line), direction(dir), departureText(dep) {}
  PeriodEntry* AddDate(std::string_view dayType, std::string_view text2, std::string_view from, std::string_view to,
                       std::int32_t mode) {
    return periods.Emplace(dayType, text2, from, to, mode);
  }
  OperatingDaysDate* AddDateRow(std::string_view dateText, char weekday) { return dates.Emplace(dateText, weekday); }
  OperatingDaysDate* FindDate(std::string_view dateText);
  // Replaces the date rows by one row a day from `from` to `to` ("GG/MM/AAAA") inclusive.
  void BuildDateRows(std::string_view from, std::string_view to);
};

class OperatingDaysTripList : public RecordList<OperatingDaysTrip> {
 public:
  OperatingDaysTrip* Append(std::int32_t id, std::string_view tripCode, std::string_view lineCode, char direction,
                            std::string_view departureText) {
    return Emplace(id, tripCode, lineCode, direction, departureText);
  }
  // For every trip: date rows from `from` to `to`, then the marks of each of its periods.
  void ApplyPeriods(const DateList& dates, std::string_view from, std::string_view to);
};

struct OperatingDaysLine {
  const OperatingDaysTrip* trip = nullptr;  // the trip the line prints; null for a text line
  std::string text;
};

class OperatingDaysLineList : public RecordList<OperatingDaysLine> {
 public:
  OperatingDaysLine* Append(const OperatingDaysTrip* trip) { return Emplace(OperatingDaysLine{trip, {}}); }
  OperatingDaysLine* AppendText(std::string_view text) {
    return Emplace(OperatingDaysLine{nullptr, std::string(text)});
  }
};

// ---- Stop rows of the quadro reports -------------------------------------------------------

struct ReportStopRow {
  std::int32_t key = 0;         // group
  std::int32_t stopNumber = 0;  // second key
  std::string stopCode;
  std::string stopName;
  std::int32_t values[4] = {0, 0, 0, 0};  // distance, primary, optional, not served
  std::vector<TimeCell> cells;

  TimeCell* GetCell(int i);  // null outside 0 .. cell count-1
  int CellCount() const { return static_cast<int>(cells.size()); }
};

class ReportStopRowList : public RecordList<ReportStopRow> {
 public:
  ReportStopRow* Append(std::int32_t key, std::int32_t stopNumber, std::string_view stopCode, std::string_view stopName,
                        std::int32_t v1, std::int32_t v2, std::int32_t v3, std::int32_t v4, int cellCount);
  ReportStopRow* Find(std::int32_t key, std::int32_t stopNumber);
};

// ---- Calendar days -------------------------------------------------------------------------

struct CalendarDay {
  std::string label;  // day abbreviation, a blank, the date text
  std::string note;
  std::string code;
  std::string name;
};

// The day's abbreviation ("1" LUN to "7" DOM, any other character "???"), a blank and the date.
std::string CalendarDayLabel(char weekdayDigit, std::string_view dateText);

class CalendarDayList : public RecordList<CalendarDay> {
 public:
  CalendarDay* Append(char weekdayDigit, std::string_view dateText, std::string_view note, std::string_view code,
                      std::string_view name);
};
