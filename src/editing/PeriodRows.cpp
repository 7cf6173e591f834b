#include "editing/PeriodRows.h"

#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/MasterRow.h"

#include <algorithm>

namespace {

// A "GG/MM/AAAA" date as the ISO text a statement binds; empty when it is no date.
std::string IsoOf(const std::string& date) {
  const std::string sql = SqlDate(date);
  return sql.size() > 2 && sql.front() == '\'' ? sql.substr(1, sql.size() - 2) : std::string();
}

// The key of a period as read (DbSelect::DateKeyAt): its dates as stored where their texts do not
// find them.
std::vector<DbText> KeyOf(std::int32_t tripId, const PeriodRecord& row) {
  return {{std::to_string(tripId), {}}, {row.start, row.storedStart}, {row.end, row.storedEnd}};
}

// A date of a period's key as a statement binds it: as stored, or its ISO text.
DbText BoundDate(const std::string& date, const std::string& stored) {
  return stored.empty() ? DbText{IsoOf(date), {}} : DbText{date, stored};
}

}  // namespace

PeriodRows::PeriodRows(DbDatabase* db) : db_(db), table_(db, "period") {
  if (table_.isOpen) table_.SetIndex("codice");
}

void PeriodRows::Load(std::int32_t tripId) {
  tripId_ = tripId;
  rows_.Clear();
  index_.clear();
  // A period whose day type is not in `cadenz` is not listed; padded codes still match, as the
  // text columns compare without their trailing blanks.
  DbSelect select(db_, {.columns = "period.inizio, period.fine, period.caden, period.escluso, cadenz.denom",
                        .from = "period, cadenz",
                        .where = "period.id = ?1 AND cadenz.codice = period.caden",
                        .orderBy = "period.inizio, period.fine"});
  select.SetParameters({std::to_string(tripId)});
  select.SetFaultsToldByCaller(true);
  fault_ = {};
  std::string name;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    int excluded = 0;
    DbText start = select.DateKeyAt(0);
    DbText end = select.DateKeyAt(1);
    DbText code = select.TrimmedTextAt(2);
    select.GetFieldIntAt(3, &excluded);
    select.GetFieldTextAt(4, name);
    if (select.Faulted()) {
      fault_ = FaultOf(select, select.Fault().position == 4 ? "cadenz" : "period",
                       PeriodRowName(std::to_string(tripId), start.text, end.text, code.text));
      return;
    }
    PeriodRecord* row =
        rows_.Append(start.text, end.text, code.text, WithoutTrailingBlanks(name), excluded != 0 ? 1 : 0);
    row->storedCode = std::move(code.stored);
    row->storedStart = std::move(start.stored);
    row->storedEnd = std::move(end.stored);
    index_.push_back(row);
  }
}

PeriodRecord* PeriodRows::At(int position) const {
  return position >= 0 && position < Count() ? index_[static_cast<size_t>(position)] : nullptr;
}

int PeriodRows::PositionOf(const PeriodRecord* row) const {
  const auto found = std::find(index_.begin(), index_.end(), row);
  return found == index_.end() ? -1 : static_cast<int>(found - index_.begin());
}

int PeriodRows::FindStart(const std::string& start) const {
  for (size_t k = 0; k < index_.size(); ++k)
    if (index_[k]->start == start) return static_cast<int>(k);
  return -1;
}

PeriodRecord* PeriodRows::Insert(const std::string& start, const std::string& end, const DbText& code,
                                 const std::string& name, bool excluded) {
  const DbText trimmed{std::string(WithoutTrailingBlanks(code.text)), std::string(WithoutTrailingBlanks(code.stored))};
  const std::string isoStart = IsoOf(start), isoEnd = IsoOf(end);
  // A day type that lost a character is written as stored; the table takes every other value (and
  // refuses a date that is none).
  const bool stored =
      trimmed.Lost() && !isoStart.empty() && !isoEnd.empty()
          ? DbExecute(
                db_, "period", "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (?1, ?2, ?3, ?4, ?5)",
                {{std::to_string(tripId_), {}}, trimmed, {isoStart, {}}, {isoEnd, {}}, {excluded ? "1" : "0", {}}}) == 1
          : table_.AddNew() && table_.SetFieldText("id", std::to_string(tripId_)) &&
                table_.SetFieldText("inizio", start) && table_.SetFieldText("fine", end) &&
                table_.SetFieldText("caden", trimmed.text) && table_.SetFieldText("escluso", excluded ? "1" : "0") &&
                table_.Update();
  if (!stored) return nullptr;
  PeriodRecord* row = rows_.Append(start, end, trimmed.text, WithoutTrailingBlanks(name), excluded ? 1 : 0);
  row->storedCode = trimmed.stored;
  row->changed = 1;
  index_.push_back(row);
  return row;
}

bool PeriodRows::Modify(PeriodRecord* row, const DbText& code, const std::string& name, bool excluded,
                        bool codeChanged) {
  if (!row || row->deleted) return false;
  const DbText trimmed{std::string(WithoutTrailingBlanks(code.text)), std::string(WithoutTrailingBlanks(code.stored))};
  // A day type read with '?' and left as shown stays as stored.
  codeChanged = codeChanged || row->storedCode.empty();
  const DbText start = BoundDate(row->start, row->storedStart), end = BoundDate(row->end, row->storedEnd);
  const bool written =
      codeChanged && trimmed.Lost() && !start.text.empty() && !end.text.empty()
          ? DbExecute(db_, "period",
                      "UPDATE period SET caden = ?1, escluso = ?2 WHERE id = ?3 AND inizio = ?4 AND fine = ?5",
                      {trimmed, {excluded ? "1" : "0", {}}, {std::to_string(tripId_), {}}, start, end}) == 1
          : table_.SeekEqual(KeyOf(tripId_, *row)) && table_.Edit() &&
                (!codeChanged || table_.SetFieldText("caden", trimmed.text)) &&
                table_.SetFieldText("escluso", excluded ? "1" : "0") && table_.Update();
  if (!written) return false;
  if (codeChanged) {
    row->code = trimmed.text;
    row->storedCode = trimmed.stored;
    row->name = WithoutTrailingBlanks(name);
  }
  row->excluded = excluded ? 1 : 0;
  row->changed = 1;
  return true;
}

bool PeriodRows::Remove(PeriodRecord* row) {
  if (!row || row->deleted) return false;
  if (!table_.SeekEqual(KeyOf(tripId_, *row)) || !table_.Delete()) return false;
  row->deleted = 1;
  return true;
}

bool PeriodRows::MasterPeriod(std::string& start, std::string& end) {
  DbTable master(db_, "master");
  if (!SeekMasterRow(master)) return false;
  master.GetFieldText("datini", start);
  master.GetFieldText("datfin", end);
  return true;
}
