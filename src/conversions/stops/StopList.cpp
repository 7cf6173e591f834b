#include "conversions/stops/StopList.h"

void StopList::Append(int index, double x, double y) {
  if (index >= 0) {
    if (static_cast<std::size_t>(index) >= slotOf_.size()) slotOf_.resize(static_cast<std::size_t>(index) + 1, -1);
    if (slotOf_[static_cast<std::size_t>(index)] < 0) slotOf_[static_cast<std::size_t>(index)] = Count();
  }
  stops_.push_back({index, {}, {}, x, y});
}

StopNode* StopList::Find(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= slotOf_.size()) return nullptr;
  const int slot = slotOf_[static_cast<std::size_t>(index)];
  return slot < 0 ? nullptr : &stops_[static_cast<std::size_t>(slot)];
}

void StopList::SetStopNames(int index, const std::string& code, const std::string& name) {
  if (StopNode* stop = Find(index)) {
    stop->code = code;
    stop->name = name;
  }
}

void StopList::Clear() {
  stops_.clear();
  slotOf_.clear();
}
