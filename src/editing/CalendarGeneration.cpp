#include "editing/CalendarGeneration.h"

#include "common/CalendarDays.h"
#include "common/WorkProgress.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "editing/CalendarRows.h"
#include "editing/EditorFaults.h"

#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

constexpr long kDatesPerStep = 200;

bool Chosen(const CalendarGeneration& options, const QDate& date) {
  return options.weekdays[static_cast<size_t>(date.dayOfWeek() - 1)];
}

bool CadenceExists(DbDatabase* db, const DbText& code) {
  if (code.text.empty()) return false;
  DbTable cadences(db, "cadenz");
  return cadences.isOpen && cadences.SetIndex("codice") && cadences.SeekEqual(std::vector<DbText>{code});
}

// Adds the day type to every chosen date that does not have it (`dates`, those of the range that
// hold it, as stored); returns the rows added.
int AddDayTypeDays(CalendarRows& rows, const CalendarGeneration& options, const DbText& code,
                   const std::vector<DbText>& dates, WorkProgress* progress) {
  std::unordered_set<qint64> held;
  for (const DbText& dateKey : dates) held.insert(CalendarKeyDate(dateKey).toJulianDay());
  const long total = static_cast<long>(options.first.daysTo(options.last)) + 1;
  int added = 0;
  long done = 0;
  for (QDate date = options.first; date <= options.last; date = date.addDays(1)) {
    if (progress && ++done % kDatesPerStep == 0) progress->Step(done, total);
    if (!Chosen(options, date)) continue;
    if (held.contains(date.toJulianDay())) continue;  // already there, note and all
    if (rows.InsertDay(date, code, " ")) {
      rows.AppendEntry(rows.RowFor(date), code);
      ++added;
    }
  }
  return added;
}

// The dates of the range that hold the day type, as read ("GG/MM/AAAA") and as stored where that
// text does not find them (DbSelect::DateKeyAt), the last date stored with a time of day included;
// a stored value its column cannot hold as its kind ends the reading and goes to `fault`.
std::vector<DbText> DayTypeDates(CalendarRows& rows, const CalendarGeneration& options, const DbText& code,
                                 EditorFault& fault) {
  DbSelect select(
      rows.Database(),
      {.columns = "data", .from = "calend", .where = "caden = ?1 AND data >= ?2 AND data < ?3", .orderBy = "data"});
  select.SetParameters(
      std::vector<DbText>{code, {CalendarIsoText(options.first), {}}, {CalendarIsoBound(options.last), {}}});
  select.SetFaultsToldByCaller(true);
  std::vector<DbText> dates;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    dates.push_back(select.DateKeyAt(0));
    if (select.Faulted()) {
      fault = FaultOf(select, "calend", CalendarDayRowName(dates.back().text, code.text));
      break;
    }
  }
  return dates;
}

// Deletes the day type from every chosen date of the range (`dates`, those that hold it); returns
// the rows deleted.
int RemoveDayTypeDays(CalendarRows& rows, const CalendarGeneration& options, const DbText& code,
                      const std::vector<DbText>& dates, WorkProgress* progress) {
  DbTable& table = rows.Table();
  const long total = static_cast<long>(dates.size());
  int deleted = 0;
  long done = 0;
  for (const DbText& dateKey : dates) {
    if (progress && ++done % kDatesPerStep == 0) progress->Step(done, total);
    // The weekday of the date itself: one read as "99/99/9999" by its stored text.
    const QDate date = CalendarKeyDate(dateKey);
    if (!date.isValid() || !Chosen(options, date)) continue;
    if (!table.SeekEqual({dateKey, code}) || !table.Delete()) continue;
    rows.MarkDeleted(rows.Find(date), code);
    ++deleted;
  }
  return deleted;
}

}  // namespace

GenerationResult RunCalendarGeneration(CalendarRows& rows, const CalendarGeneration& options, WorkProgress* progress) {
  GenerationResult result;
  result.ok = true;
  if (!options.first.isValid() || !options.last.isValid() || options.first > options.last) return result;
  bool anyWeekday = false;
  for (bool chosen : options.weekdays) anyWeekday = anyWeekday || chosen;
  if (!anyWeekday) return result;

  const DbText code{std::string(WithoutTrailingBlanks(options.cadence.text)), options.cadence.stored};
  if (!CadenceExists(rows.Database(), code)) {
    result.Fail("ATTENZIONE: la cadenza \"" + code.text +
                "\" non è presente nella tabella delle Cadenze.\n\n"
                "Nessun giorno del calendario è stato modificato.");
    return result;
  }

  // The dates that hold the day type are read whole first: a value that is no date stops the work
  // before any row is written. Bytes for a day type find their own rows to delete, and are never added.
  const bool add = options.operation == CalendarGeneration::Operation::Add;
  if (add) {
    result.Take(WritableDayType(code));
    if (!result.ok) return result;
  }
  EditorFault fault;
  const std::vector<DbText> dates = DayTypeDates(rows, options, code, fault);
  if (fault.Any()) {
    result.Fail(fault.Refusal(Undone::Changes));
    return result;
  }
  if (progress) progress->Begin("Generazione calendario");
  result.written = add ? AddDayTypeDays(rows, options, code, dates, progress)
                       : RemoveDayTypeDays(rows, options, code, dates, progress);
  if (progress) progress->End();
  return result;
}
