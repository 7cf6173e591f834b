#pragma once
// Holders of the in-memory record lists. Every list keeps its records in the order they were
// appended (append at the tail), finders return the first exact match or null, and a record's
// address stays valid until the record is removed or the list cleared, so callers may keep
// pointers to records while they append more.

#include <algorithm>
#include <cstddef>
#include <list>
#include <utility>
#include <vector>

template <class T>
class RecordList {
 public:
  using iterator = typename std::list<T>::iterator;
  using const_iterator = typename std::list<T>::const_iterator;

  RecordList() = default;
  RecordList(const RecordList&) = delete;
  RecordList& operator=(const RecordList&) = delete;
  RecordList(RecordList&&) noexcept = default;
  RecordList& operator=(RecordList&&) noexcept = default;

  // Constructs a record at the tail and returns it.
  template <class... Args>
  T* Emplace(Args&&... args) {
    items_.emplace_back(std::forward<Args>(args)...);
    return &items_.back();
  }

  T* First() { return items_.empty() ? nullptr : &items_.front(); }
  const T* First() const { return items_.empty() ? nullptr : &items_.front(); }
  T* Last() { return items_.empty() ? nullptr : &items_.back(); }
  const T* Last() const { return items_.empty() ? nullptr : &items_.back(); }

  int Count() const { return static_cast<int>(items_.size()); }
  bool Empty() const { return items_.empty(); }
  void Clear() { items_.clear(); }

  // The first record for which pred holds, or null.
  template <class Pred>
  T* FindIf(Pred pred) {
    for (T& item : items_)
      if (pred(static_cast<const T&>(item))) return &item;
    return nullptr;
  }
  template <class Pred>
  const T* FindIf(Pred pred) const {
    for (const T& item : items_)
      if (pred(item)) return &item;
    return nullptr;
  }

  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }

 protected:
  std::list<T> items_;
};

// A list with a record count kept beside it (the map-file conversions keep their headers so).
template <class T>
struct CountedList {
  RecordList<T> records;
  int count = 0;

  template <class... Args>
  T* Append(Args&&... args) {
    ++count;
    return records.Emplace(std::forward<Args>(args)...);
  }
};

// Empties a counted list: no record, count 0.
template <class T>
void ClearListHeader(CountedList<T>& header) {
  header.records.Clear();
  header.count = 0;
}
template <class T>
void ResetListHeader(CountedList<T>& header) {
  ClearListHeader(header);
}

// A fixed number of pointer slots, all null when made. The array does not own what the slots
// point to.
template <class T>
class PtrArray {
 public:
  explicit PtrArray(int count = 0) : slots_(count > 0 ? static_cast<std::size_t>(count) : 0, nullptr) {}

  int Count() const { return static_cast<int>(slots_.size()); }
  // Index outside 0 .. count-1: ignored.
  void SetAt(int i, T* p) {
    if (i >= 0 && i < Count()) slots_[static_cast<std::size_t>(i)] = p;
  }
  // Index outside 0 .. count-1: null.
  T* GetAt(int i) const { return i >= 0 && i < Count() ? slots_[static_cast<std::size_t>(i)] : nullptr; }

 private:
  std::vector<T*> slots_;
};

// A record list that is also searched through an array of pointers to its records. The index
// is built over the records in list order and then put in order by the caller's comparison;
// the sort is stable, so records that compare equal keep their list order. Appending or
// clearing drops the index, so a stale index is never searched.
template <class T>
class IdTable : protected RecordList<T> {
 public:
  // Every change goes through this class (so that the index is dropped with it); the rest of
  // the list is read as it is.
  using RecordList<T>::First;
  using RecordList<T>::Last;
  using RecordList<T>::Count;
  using RecordList<T>::Empty;
  using RecordList<T>::FindIf;
  using RecordList<T>::begin;
  using RecordList<T>::end;

  template <class... Args>
  T* Emplace(Args&&... args) {
    index_.clear();
    return RecordList<T>::Emplace(std::forward<Args>(args)...);
  }
  void Clear() {
    index_.clear();
    RecordList<T>::Clear();
  }

  // Index in list order, unsorted.
  void BuildIndex() {
    index_.clear();
    index_.reserve(this->items_.size());
    for (T& item : this->items_) index_.push_back(&item);
  }
  // Index sorted ascending by less(a, b).
  template <class Less>
  void BuildIndex(Less less) {
    BuildIndex();
    std::stable_sort(index_.begin(), index_.end(), [&](const T* a, const T* b) { return less(*a, *b); });
  }

  int IndexCount() const { return static_cast<int>(index_.size()); }
  T* IndexAt(int i) const { return i >= 0 && i < IndexCount() ? index_[static_cast<std::size_t>(i)] : nullptr; }

  // Binary search of the sorted index; cmp(record, key) < 0, 0, > 0 as the record sorts
  // before, with or after the key. Null when nothing matches or no index was built.
  template <class Key, class Cmp>
  T* Lookup(const Key& key, Cmp cmp) const {
    std::size_t lo = 0, hi = index_.size();
    while (lo < hi) {
      const std::size_t mid = lo + (hi - lo) / 2;
      const int c = cmp(*index_[mid], key);
      if (c == 0) return index_[mid];
      if (c < 0)
        lo = mid + 1;
      else
        hi = mid;
    }
    return nullptr;
  }

 private:
  std::vector<T*> index_;
};
