#include "utilities/TripDays.h"

#include <algorithm>

void DayBits::SetWithin(const DayBits& mask, int first, int last) {
  first = std::max(first, 0);
  last = std::min({last, count_ - 1, mask.count_ - 1});
  if (first > last) return;
  const size_t from = static_cast<size_t>(first) / 64, to = static_cast<size_t>(last) / 64;
  for (size_t w = from; w <= to; ++w) {
    std::uint64_t bits = mask.words_[w];
    if (w == from) bits &= ~std::uint64_t{0} << (first % 64);
    if (w == to && last % 64 != 63) bits &= (std::uint64_t{1} << (last % 64 + 1)) - 1;
    words_[w] |= bits;
  }
}

bool DayBits::CommonDay(const DayBits& a, const DayBits& notA, const DayBits& b, const DayBits& notB) {
  const size_t n = std::min({a.words_.size(), notA.words_.size(), b.words_.size(), notB.words_.size()});
  for (size_t w = 0; w < n; ++w)
    if (a.words_[w] & ~notA.words_[w] & b.words_[w] & ~notB.words_[w]) return true;
  return false;
}
