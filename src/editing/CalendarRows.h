#pragma once
// The rows of the service-calendar editor: one row per date of the reporting period (the `master`
// row's `datini`..`datfin`, or 01/01/1900..31/12/2099 without it), with its weekday, holiday
// name and day types, and after them a row for each date of `calend` outside the period. A row's
// text is its holiday name, else the note of its first calendar row that has one (blanks are none). Each day type
// (an entry) carries changed and deleted marks until the next load. Every write goes to the
// database at once (inside the editor's transaction); a write the database refuses has been
// reported by the table layer and leaves the rows as they were.

#include "common/EditorLists.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "editing/EditorFaults.h"

#include <QDate>
#include <string>
#include <unordered_map>
#include <vector>

class DbDatabase;

class CalendarRows {
 public:
  explicit CalendarRows(DbDatabase* db);

  // (Re)builds the rows from the period and the table: each entry its code without trailing
  // blanks, and as stored when it lost a character. A stored value its column cannot hold as its
  // kind ends the reading: Fault names it.
  void Load();
  const EditorFault& Fault() const { return fault_; }

  // The period the rows were built for.
  QDate PeriodFirst() const { return first_; }
  QDate PeriodLast() const { return last_; }

  int Count() const { return static_cast<int>(index_.size()); }
  // The row at a position from 0, null outside the rows.
  CadenceNote* At(int position) const;
  // The position of a row, -1 when it is not one of these rows. Constant time.
  int PositionOf(const CadenceNote* row) const;
  // The row of a date, or null. Constant time.
  CadenceNote* Find(const QDate& date) const;
  // The largest number of entries of a row, deleted ones included.
  int MaxEntries() const { return maxEntries_; }

  // Adds a day type to a date (as stored when it lost a character: an entry of the list of day
  // types). The note written is the row's text, or one blank. On success the entry is appended to
  // the date's row (a new row at the end for a date outside the rows), marked changed, and returned.
  NoteText* AddEntry(const QDate& date, const DbText& code);
  // Writes the calendar row of a date and a day type (without trailing blanks; as stored when it
  // lost a character) with its weekday and note; true when stored. The rows are not changed.
  bool InsertDay(const QDate& date, const DbText& code, const std::string& note);
  // Deletes an entry's calendar row; on success the entry is marked deleted.
  bool RemoveEntry(CadenceNote* row, NoteText* entry);
  // Writes the note (one blank when empty) on every calendar row of the date; the date's row
  // then shows it. Returns the number of rows written.
  int WriteNote(const QDate& date, const std::string& note);
  // Deletes every calendar row of the date; each deleted day type's entry is marked. Returns the
  // number of rows deleted.
  int ClearDay(const QDate& date);

  // For the generation: the row of a date, made at the end when the date has none.
  CadenceNote* RowFor(const QDate& date);
  // Appends an entry to a row, marked changed (the calendar row is already written).
  NoteText* AppendEntry(CadenceNote* row, const DbText& code);
  // Marks the first not yet deleted entry of the row whose code, without trailing blanks, is
  // `code` without trailing blanks (two codes read alike are two); null when there is none.
  NoteText* MarkDeleted(CadenceNote* row, const DbText& code);

  DbTable& Table() { return table_; }
  DbDatabase* Database() const { return db_; }

 private:
  CadenceNote* Append(const QDate& date, const std::string& text);
  // The keys of the calendar rows of a date as stored (DbSelect::DateKeyAt, a date stored with a
  // time of day included; a code that lost a character Windows-1252 lacks as stored).
  struct DayKey {
    DbText date, code;
  };
  std::vector<DayKey> KeysOf(const QDate& date) const;

  DbDatabase* db_;
  DbTable table_;  // calend, index "codice" (data, caden)
  QDate first_, last_;
  CadenceNoteList rows_;
  std::vector<CadenceNote*> index_;
  std::unordered_map<const CadenceNote*, int> positions_;
  std::unordered_map<qint64, CadenceNote*> byDate_;  // Julian day -> row
  int maxEntries_ = 0;
  EditorFault fault_;
};

// A date as the program's text "GG/MM/AAAA", and as the ISO text the selections bind.
std::string CalendarDateText(const QDate& date);
std::string CalendarIsoText(const QDate& date);
// The bound above every text stored for a date, alone or followed by a time of day: its ISO text
// followed by '~'. A selection of `data >= iso AND data < bound` reaches the date's rows as stored.
std::string CalendarIsoBound(const QDate& date);
// The date of a calendar day read as a key (DbSelect::DateKeyAt): by its stored text when it has
// one (a year the database does not keep as itself, a time of day), else by its text; invalid
// when it is none.
QDate CalendarKeyDate(const DbText& key);

// The weekday name of a digit '1' (Monday) to '7' (Sunday): "Lunedi" ... "Domenica"; empty for
// any other.
const char* WeekdayName(char digit);
