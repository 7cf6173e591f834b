#pragma once
// Days as bit sets: one bit a day of a calendar, so that a year of days costs a few words and the
// tests on two sets of days are a few word operations.

#include <cstddef>
#include <cstdint>
#include <vector>

// A set of positions 0 .. size-1.
class DayBits {
 public:
  DayBits() = default;
  explicit DayBits(size_t size) : size_(size), words_((size + 63) / 64, 0) {}

  size_t Size() const { return size_; }
  void Set(size_t i) { words_[i / 64] |= std::uint64_t{1} << (i % 64); }
  bool Test(size_t i) const { return i < size_ && (words_[i / 64] >> (i % 64) & 1) != 0; }
  // How many positions are set.
  size_t Count() const;
  // The first set position at or after `from`; Size() when there is none.
  size_t NextSet(size_t from) const;
  // The position of the k-th set one (k from 0); Size() when fewer are set.
  size_t NthSet(size_t k) const;

  // Sets the positions of [first, last) that `mask` holds (both of one size).
  void AddRange(const DayBits& mask, size_t first, size_t last);
  // Clears every position that `other` holds.
  void Remove(const DayBits& other);
  // Whether one position is set in `a` and in `b` and in neither `notA` nor `notB` (all of one size).
  static bool CommonDay(const DayBits& a, const DayBits& notA, const DayBits& b, const DayBits& notB);

 private:
  size_t size_ = 0;
  std::vector<std::uint64_t> words_;
};
