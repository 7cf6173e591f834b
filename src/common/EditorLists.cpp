#include "common/EditorLists.h"

#include <algorithm>

DayFlags::DayFlags(std::int32_t id_, int dayCount) : id(id_) {
  if (dayCount > 0) flags.assign(static_cast<std::size_t>(dayCount), 'N');
}

void DayFlags::SetDay(int i) {
  if (i >= 0 && static_cast<std::size_t>(i) < flags.size()) flags[static_cast<std::size_t>(i)] = 'S';
}

char DayFlags::GetDay(int i) const {
  if (i >= 0 && static_cast<std::size_t>(i) < flags.size()) return flags[static_cast<std::size_t>(i)];
  return 'N';
}

CadenceEntry* CadenceList::Find(std::string_view code) {
  return FindIf([&](const CadenceEntry& e) { return e.code == code; });
}

CadenceNote* CadenceNoteList::Find(int year, int month, int day) {
  return FindIf([&](const CadenceNote& n) { return n.year == year && n.month == month && n.day == day; });
}

NoteText* CadenceNoteList::Set(int year, int month, int day, char weekday, std::string_view text,
                               std::string_view name) {
  CadenceNote* note = Find(year, month, day);
  if (!note)
    note = Append(year, month, day, weekday, name);
  else if (note->name.empty() && !name.empty())
    note->name = std::string(name);
  return note->AddText(text);
}

int CadenceNoteList::MaxSubCount() const {
  int most = 0;
  for (const CadenceNote& n : *this) most = std::max(most, n.TextCount());
  return most;
}

TripLeg::TripLeg(std::int32_t id_, std::int32_t regionalId_, std::int32_t quadroNumber_, std::string_view tripCode_,
                 std::string_view lineCode_, char direction_, std::string_view departureText_,
                 std::string_view arrivalText_, std::string_view lengthText_, std::string_view durationText_,
                 std::string_view description_, std::string_view routeCode_)
    : id(id_),
      regionalId(regionalId_),
      quadroNumber(quadroNumber_),
      tripCode(tripCode_),
      lineCode(lineCode_),
      direction(direction_),
      departureText(departureText_),
      arrivalText(arrivalText_),
      lengthText(lengthText_),
      durationText(durationText_),
      description(description_),
      routeCode(routeCode_) {}

TripStop::TripStop(std::int32_t sub_, const TripStopValues& values, int cellCount) : TripStopValues(values), sub(sub_) {
  if (cellCount > 0) cells.resize(static_cast<std::size_t>(cellCount));
}

TimeCell* TripStop::GetCell(int i) { return i >= 0 && i < CellCount() ? &cells[static_cast<std::size_t>(i)] : nullptr; }

void TripStop::ResizeCells(int n) {
  std::vector<TimeCell> resized(n > 0 ? static_cast<std::size_t>(n) : 0);
  const std::size_t kept = std::min(resized.size(), cells.size());
  for (std::size_t i = 0; i < kept; ++i) {
    resized[i].arrivalText = std::move(cells[i].arrivalText);
    resized[i].departureText = std::move(cells[i].departureText);
  }
  cells = std::move(resized);
}

TripStop* TripStopList::Append(std::int32_t sub, const TripStopValues& values) {
  return Emplace(sub, values, ColumnCount());
}

TripStop* TripStopList::Prepend(std::int32_t sub, const TripStopValues& values) {
  items_.emplace_front(sub, values, ColumnCount());
  return &items_.front();
}

TripStop* TripStopList::InsertAfter(const TripStop* row, std::int32_t sub, const TripStopValues& values) {
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (&*it == row) return &*items_.emplace(std::next(it), sub, values, ColumnCount());
  }
  return Append(sub, values);
}

TripStop* TripStopList::FindById(std::int32_t sub) {
  return FindIf([&](const TripStop& s) { return s.sub == sub; });
}

TripStop* TripStopList::GetAt(int n) {
  if (n < 0) return nullptr;
  for (TripStop& s : items_)
    if (n-- == 0) return &s;
  return nullptr;
}

std::int32_t TripStopList::MaxId() const {
  std::int32_t most = 0;
  for (const TripStop& s : items_) most = std::max(most, s.sub);
  return most;
}

void TripStopList::AllocIndex() {
  columns_.emplace_back();
  for (TripStop& s : items_) s.ResizeCells(ColumnCount());
}

TripLeg* TripStopList::GetColumn(int i) const {
  return i >= 0 && i < ColumnCount() ? columns_[static_cast<std::size_t>(i)].get() : nullptr;
}

void TripStopList::SetColumn(int i, std::unique_ptr<TripLeg> trip) {
  if (i >= 0 && i < ColumnCount()) columns_[static_cast<std::size_t>(i)] = std::move(trip);
}

void TripStopList::Clear() {
  RecordList<TripStop>::Clear();
  columns_.clear();
}
