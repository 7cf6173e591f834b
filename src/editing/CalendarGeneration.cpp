#include "editing/CalendarGeneration.h"

#include "common/CalendarDays.h"
#include "common/WorkProgress.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/FieldValue.h"
#include "editing/CalendarRows.h"

#include <string_view>
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

// Adds the day type to every chosen date that does not have it; returns the rows added.
int AddDayTypeDays(CalendarRows& rows, const CalendarGeneration& options, const DbText& code, WorkProgress* progress) {
  DbTable& table = rows.Table();
  const int dataField = table.FieldIndex("data"), codeField = table.FieldIndex("caden");
  const int weekdayField = table.FieldIndex("giorno"), noteField = table.FieldIndex("note");
  const long total = static_cast<long>(options.first.daysTo(options.last)) + 1;
  int added = 0;
  long done = 0;
  for (QDate date = options.first; date <= options.last; date = date.addDays(1)) {
    if (progress && ++done % kDatesPerStep == 0) progress->Step(done, total);
    if (!Chosen(options, date)) continue;
    const std::string dateText = CalendarDateText(date);
    if (table.SeekEqual({DbText{dateText, {}}, code})) continue;  // already there, note and all
    const char weekday = WeekdayDigit(date);
    // A code that lost a character is written as stored.
    const bool written = code.Lost()
                             ? DbExecute(rows.Database(), "calend",
                                         "INSERT INTO calend (data, caden, giorno, note) VALUES (?1, ?2, ?3, ' ')",
                                         {{CalendarIsoText(date), {}}, code, {std::string(1, weekday), {}}}) == 1
                             : table.AddNew() && table.SetFieldTextAt(dataField, dateText) &&
                                   table.SetFieldTextAt(codeField, code.text) &&
                                   table.SetFieldTextAt(weekdayField, std::string_view(&weekday, 1)) &&
                                   table.SetFieldTextAt(noteField, " ") && table.Update();
    if (written) {
      rows.AppendEntry(rows.RowFor(date), code.text);
      ++added;
    }
  }
  return added;
}

// Deletes the day type from every chosen date of the range; returns the rows deleted.
int RemoveDayTypeDays(CalendarRows& rows, const CalendarGeneration& options, const DbText& code,
                      WorkProgress* progress) {
  DbSelect select(
      rows.Database(),
      {.columns = "data", .from = "calend", .where = "caden = ?1 AND data >= ?2 AND data <= ?3", .orderBy = "data"});
  select.SetParameters(
      std::vector<DbText>{code, {CalendarIsoText(options.first), {}}, {CalendarIsoText(options.last), {}}});
  select.Open();
  DbTable& table = rows.Table();
  const long total = select.RowCount();
  int deleted = 0;
  long done = 0;
  std::string dateText;
  for (; select.hasRow; select.MoveNext()) {
    if (progress && ++done % kDatesPerStep == 0) progress->Step(done, total);
    select.GetFieldTextAt(0, dateText);
    DateRecord record;
    if (!ParseDateText10(dateText, record)) continue;
    const QDate date = ToQDate(record);
    if (!date.isValid() || !Chosen(options, date)) continue;
    if (!table.SeekEqual({DbText{dateText, {}}, code}) || !table.Delete()) continue;
    rows.MarkDeleted(rows.Find(date), code.text);
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

  if (progress) progress->Begin("Generazione calendario");
  result.written = options.operation == CalendarGeneration::Operation::Add
                       ? AddDayTypeDays(rows, options, code, progress)
                       : RemoveDayTypeDays(rows, options, code, progress);
  if (progress) progress->End();
  return result;
}
