#include "editing/CalendarRows.h"

#include "common/CalendarDays.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/FieldValue.h"
#include "db/MasterRow.h"

#include <algorithm>
#include <string_view>

namespace {

// A "dd/mm/yyyy" text as a date; invalid when it is none.
QDate DateOfText(std::string_view text) {
  DateRecord record;
  return ParseDateText10(text, record) ? ToQDate(record) : QDate();
}

// The reporting period of the master row, or the whole range the program handles without it.
// The working period of the master row; a value there that its column cannot hold is `fault`.
void ReadPeriod(DbDatabase* db, QDate& first, QDate& last, EditorFault& fault) {
  first = QDate(1900, 1, 1);
  last = QDate(2099, 12, 31);
  DbTable master(db, "master");
  master.SetFaultsToldByCaller(true);
  if (!SeekMasterRow(master)) return;
  std::string from, to;
  master.GetFieldText("datini", from);
  master.GetFieldText("datfin", to);
  if (master.Faulted()) {
    fault = {"dati generali", TitledFaultText(master.Fault(), "master")};
    return;
  }
  const QDate periodFirst = DateOfText(from), periodLast = DateOfText(to);
  if (!periodFirst.isValid() || !periodLast.isValid()) return;
  first = periodFirst;
  last = periodLast;
}

}  // namespace

CalendarRows::CalendarRows(DbDatabase* db) : db_(db), table_(db, "calend") {
  if (table_.isOpen) table_.SetIndex("codice");
}

void CalendarRows::Load() {
  fault_ = {};
  ReadPeriod(db_, first_, last_, fault_);
  index_.clear();
  positions_.clear();
  byDate_.clear();
  maxEntries_ = 0;
  BuildCalendarDays(rows_, first_, last_);
  const size_t days = static_cast<size_t>(rows_.Count());
  index_.reserve(days);
  positions_.reserve(days);
  byDate_.reserve(days);
  qint64 julianDay = first_.toJulianDay();
  for (CadenceNote& row : rows_) {
    positions_.emplace(&row, static_cast<int>(index_.size()));
    index_.push_back(&row);
    byDate_.emplace(julianDay++, &row);
  }

  if (fault_.Any()) return;
  DbSelect select(db_, {.columns = "data, caden, giorno, note", .from = "calend", .orderBy = "data, caden"});
  select.SetFaultsToldByCaller(true);
  std::string weekday, note;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    // A day of a year the database does not keep as itself reads as "00/00/0000" or "99/99/9999":
    // it is listed by its date as stored, so that it can be found and deleted.
    const DbText dateKey = select.DateKeyAt(0);
    const DbText code = select.TrimmedTextAt(1);
    select.GetFieldTextAt(2, weekday);
    select.GetFieldTextAt(3, note);
    if (select.Faulted()) {
      fault_ = FaultOf(select, "calend", CalendarDayRowName(dateKey.text, code.text));
      return;
    }
    const QDate day = CalendarKeyDate(dateKey);
    if (!day.isValid()) continue;  // no date the editor could show
    // A blank is the mark of a row without a note: it must not hide the real note of another
    // day type of the same date.
    if (WithoutTrailingBlanks(note).empty()) note.clear();
    CadenceNote* row = Find(day);
    if (!row) {
      row = Append(day, note);
      if (!weekday.empty()) row->weekday = weekday.front();
    }
    if (row->name.empty() && !note.empty()) row->name = note;
    row->AddText(code.text, code.stored)->storedDate = dateKey.stored;
    maxEntries_ = std::max(maxEntries_, row->TextCount());
  }
}

CadenceNote* CalendarRows::At(int position) const {
  return position >= 0 && position < Count() ? index_[static_cast<size_t>(position)] : nullptr;
}

int CalendarRows::PositionOf(const CadenceNote* row) const {
  const auto found = positions_.find(row);
  return found == positions_.end() ? -1 : found->second;
}

CadenceNote* CalendarRows::Find(const QDate& date) const {
  if (!date.isValid()) return nullptr;
  const auto found = byDate_.find(date.toJulianDay());
  return found == byDate_.end() ? nullptr : found->second;
}

CadenceNote* CalendarRows::Append(const QDate& date, const std::string& text) {
  CadenceNote* row = rows_.Append(date.year(), date.month(), date.day(), WeekdayDigit(date), text);
  positions_.emplace(row, static_cast<int>(index_.size()));
  index_.push_back(row);
  byDate_.emplace(date.toJulianDay(), row);
  return row;
}

CadenceNote* CalendarRows::RowFor(const QDate& date) {
  if (!date.isValid()) return nullptr;
  CadenceNote* row = Find(date);
  return row ? row : Append(date, std::string());
}

NoteText* CalendarRows::AppendEntry(CadenceNote* row, const DbText& code) {
  if (!row) return nullptr;
  NoteText* entry = row->AddText(WithoutTrailingBlanks(code.text), WithoutTrailingBlanks(code.stored));
  entry->changed = 1;
  maxEntries_ = std::max(maxEntries_, row->TextCount());
  return entry;
}

NoteText* CalendarRows::MarkDeleted(CadenceNote* row, const DbText& code) {
  if (!row) return nullptr;
  const std::string_view wanted = WithoutTrailingBlanks(code.text), stored = WithoutTrailingBlanks(code.stored);
  for (NoteText& entry : row->texts) {
    if (entry.deleted || WithoutTrailingBlanks(entry.text) != wanted || WithoutTrailingBlanks(entry.stored) != stored)
      continue;
    entry.deleted = 1;
    return &entry;
  }
  return nullptr;
}

NoteText* CalendarRows::AddEntry(const QDate& date, const DbText& code) {
  if (!date.isValid()) return nullptr;
  const CadenceNote* row = Find(date);
  const std::string note = row && !row->name.empty() ? row->name : std::string(" ");
  // The day may hold the code under its date stored with a time of day: the same key.
  const std::string_view text = WithoutTrailingBlanks(code.text), stored = WithoutTrailingBlanks(code.stored);
  for (const DayKey& key : KeysOf(date))
    if (WithoutTrailingBlanks(key.code.text) == text && WithoutTrailingBlanks(key.code.stored) == stored) {
      table_.RefuseAsDuplicate();
      return nullptr;
    }
  return InsertDay(date, code, note) ? AppendEntry(RowFor(date), code) : nullptr;
}

bool CalendarRows::InsertDay(const QDate& date, const DbText& code, const std::string& note) {
  const DbText trimmed{std::string(WithoutTrailingBlanks(code.text)), std::string(WithoutTrailingBlanks(code.stored))};
  const std::string weekday(1, WeekdayDigit(date));
  // A code that lost a character is written as stored.
  if (trimmed.Lost())
    return DbExecute(db_, "calend", "INSERT INTO calend (data, caden, giorno, note) VALUES (?1, ?2, ?3, ?4)",
                     {{CalendarIsoText(date), {}}, trimmed, {weekday, {}}, {note, {}}}) == 1;
  return table_.AddNew() && table_.SetFieldText("data", CalendarDateText(date)) &&
         table_.SetFieldText("caden", trimmed.text) && table_.SetFieldText("giorno", weekday) &&
         table_.SetFieldText("note", note) && table_.Update();
}

bool CalendarRows::RemoveEntry(CadenceNote* row, NoteText* entry) {
  if (!row || !entry || entry->deleted) return false;
  // A code read with '?', a date its text does not find, are sought as stored.
  if (!table_.SeekEqual({DbText{row->Format(), entry->storedDate}, DbText{entry->text, entry->stored}}) ||
      !table_.Delete())
    return false;
  entry->deleted = 1;
  return true;
}

std::vector<CalendarRows::DayKey> CalendarRows::KeysOf(const QDate& date) const {
  DbSelect select(db_, {.columns = "data, caden", .from = "calend", .where = "data >= ?1 AND data < ?2"});
  select.SetParameters({CalendarIsoText(date), CalendarIsoBound(date)});
  std::vector<DayKey> keys;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    DbText dateKey = select.DateKeyAt(0);
    if (CalendarKeyDate(dateKey) != date) continue;
    // The code as read, its padding included; as stored, padded alike, when it lost a character.
    DbText code = select.TrimmedTextAt(1);
    const std::size_t trimmed = code.text.size();
    select.GetFieldTextAt(1, code.text);
    if (code.Lost()) code.stored.append(code.text.size() - trimmed, ' ');
    keys.push_back({std::move(dateKey), std::move(code)});
  }
  return keys;
}

int CalendarRows::WriteNote(const QDate& date, const std::string& note) {
  if (!date.isValid()) return 0;
  const std::string written = note.empty() ? std::string(" ") : note;
  int count = 0;
  for (const DayKey& key : KeysOf(date)) {
    if (table_.SeekEqual({key.date, key.code}) && table_.Edit() && table_.SetFieldText("note", written) &&
        table_.Update())
      ++count;
  }
  if (count > 0)
    if (CadenceNote* row = Find(date)) row->name = written;
  return count;
}

int CalendarRows::ClearDay(const QDate& date) {
  if (!date.isValid()) return 0;
  CadenceNote* row = Find(date);
  int count = 0;
  for (const DayKey& key : KeysOf(date)) {
    if (!table_.SeekEqual({key.date, key.code}) || !table_.Delete()) continue;
    ++count;
    MarkDeleted(row, key.code);
  }
  return count;
}

std::string CalendarDateText(const QDate& date) { return DateRecord{date.year(), date.month(), date.day()}.Format(); }

QDate CalendarKeyDate(const DbText& key) {
  if (!key.Lost()) return DateOfText(key.text);
  int year = 0, month = 0, day = 0;
  return ParseDateText(key.stored, year, month, day) ? QDate(year, month, day) : QDate();
}

std::string CalendarIsoText(const QDate& date) {
  return IsoDate(date.year() * 10000LL + date.month() * 100 + date.day());
}

std::string CalendarIsoBound(const QDate& date) { return CalendarIsoText(date) + "~"; }

const char* WeekdayName(char digit) {
  static const char* const kNames[] = {"Lunedi", "Martedi", "Mercoledi", "Giovedi", "Venerdi", "Sabato", "Domenica"};
  return digit >= '1' && digit <= '7' ? kNames[digit - '1'] : "";
}
