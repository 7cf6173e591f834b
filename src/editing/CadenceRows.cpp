#include "editing/CadenceRows.h"

#include "db/DbSelect.h"

#include <algorithm>
#include <string_view>

CadenceRows::CadenceRows(DbDatabase* db) : db_(db), table_(db, "cadenz") {
  if (table_.isOpen) table_.SetIndex("codice");
}

void CadenceRows::Load() {
  rows_.Clear();
  index_.clear();
  fault_ = {};
  DbSelect select(db_, {.columns = "codice, denom", .from = "cadenz", .orderBy = "codice"});
  select.SetFaultsToldByCaller(true);
  std::string name;
  for (select.Open(); select.hasRow; select.MoveNext()) {
    DbText code = select.TrimmedTextAt(0);
    select.GetFieldTextAt(1, name);
    if (select.Faulted()) {
      fault_ = FaultOf(select, "cadenz", CadenceRowName(code.text));
      return;
    }
    index_.push_back(rows_.Append(code.text, WithoutTrailingBlanks(name)));
    index_.back()->storedCode = std::move(code.stored);
  }
}

CadenceEntry* CadenceRows::At(int position) const {
  return position >= 0 && position < Count() ? index_[static_cast<size_t>(position)] : nullptr;
}

int CadenceRows::PositionOf(const CadenceEntry* row) const {
  const auto found = std::find(index_.begin(), index_.end(), row);
  return found == index_.end() ? -1 : static_cast<int>(found - index_.begin());
}

int CadenceRows::Find(const std::string& code) const {
  const std::string_view wanted = WithoutTrailingBlanks(code);
  for (size_t k = 0; k < index_.size(); ++k)
    if (WithoutTrailingBlanks(index_[k]->code) == wanted) return static_cast<int>(k);
  return -1;
}

CadenceEntry* CadenceRows::Insert(const std::string& code, const std::string& name) {
  if (!table_.AddNew() || !table_.SetFieldText("codice", code) || !table_.SetFieldText("denom", name) ||
      !table_.Update())
    return nullptr;
  CadenceEntry* row = rows_.Append(WithoutTrailingBlanks(code), WithoutTrailingBlanks(name));
  row->changed = 1;
  index_.push_back(row);
  return row;
}

bool CadenceRows::Rename(CadenceEntry* row, const std::string& name) {
  if (!row || row->deleted) return false;
  // A code read with '?' is sought as stored.
  if (!table_.SeekEqual({DbText{row->code, row->storedCode}}) || !table_.Edit() ||
      !table_.SetFieldText("denom", name) || !table_.Update())
    return false;
  row->name = WithoutTrailingBlanks(name);
  row->changed = 1;
  return true;
}

bool CadenceRows::Remove(CadenceEntry* row) {
  if (!row || row->deleted) return false;
  if (!table_.SeekEqual({DbText{row->code, row->storedCode}}) || !table_.Delete()) return false;
  row->deleted = 1;
  return true;
}
