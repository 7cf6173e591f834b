#include "editing/PeriodRows.h"

#include "db/DbSelect.h"
#include "db/MasterRow.h"

#include <algorithm>

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
  std::string start, end, code, name;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    int excluded = 0;
    select.GetFieldTextAt(0, start);
    select.GetFieldTextAt(1, end);
    select.GetFieldTextAt(2, code);
    select.GetFieldIntAt(3, &excluded);
    select.GetFieldTextAt(4, name);
    index_.push_back(
        rows_.Append(start, end, WithoutTrailingBlanks(code), WithoutTrailingBlanks(name), excluded != 0 ? 1 : 0));
    index_.back()->codeLost = select.LostAt(2).code != 0;
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

PeriodRecord* PeriodRows::Insert(const std::string& start, const std::string& end, const std::string& code,
                                 const std::string& name, bool excluded) {
  const std::string trimmed(WithoutTrailingBlanks(code));
  if (!table_.AddNew() || !table_.SetFieldText("id", std::to_string(tripId_)) ||
      !table_.SetFieldText("inizio", start) || !table_.SetFieldText("fine", end) ||
      !table_.SetFieldText("caden", trimmed) || !table_.SetFieldText("escluso", excluded ? "1" : "0") ||
      !table_.Update())
    return nullptr;
  PeriodRecord* row = rows_.Append(start, end, trimmed, WithoutTrailingBlanks(name), excluded ? 1 : 0);
  row->changed = 1;
  index_.push_back(row);
  return row;
}

bool PeriodRows::Modify(PeriodRecord* row, const std::string& code, const std::string& name, bool excluded,
                        bool codeChanged) {
  if (!row || row->deleted) return false;
  const std::string trimmed(WithoutTrailingBlanks(code));
  // A day type read with '?' and left as shown stays as stored.
  codeChanged = codeChanged || !row->codeLost;
  if (!table_.SeekEqual({std::to_string(tripId_).c_str(), row->start.c_str(), row->end.c_str()}) || !table_.Edit() ||
      (codeChanged && !table_.SetFieldText("caden", trimmed)) ||
      !table_.SetFieldText("escluso", excluded ? "1" : "0") || !table_.Update())
    return false;
  if (codeChanged) {
    row->code = trimmed;
    row->name = WithoutTrailingBlanks(name);
  }
  row->excluded = excluded ? 1 : 0;
  row->changed = 1;
  return true;
}

bool PeriodRows::Remove(PeriodRecord* row) {
  if (!row || row->deleted) return false;
  if (!table_.SeekEqual({std::to_string(tripId_).c_str(), row->start.c_str(), row->end.c_str()}) || !table_.Delete())
    return false;
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
