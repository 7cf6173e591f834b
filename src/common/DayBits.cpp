#include "common/DayBits.h"

#include <algorithm>
#include <bit>

size_t DayBits::Count() const {
  size_t n = 0;
  for (std::uint64_t w : words_) n += static_cast<size_t>(std::popcount(w));
  return n;
}

size_t DayBits::NextSet(size_t from) const {
  if (from >= size_) return size_;
  size_t w = from / 64;
  std::uint64_t word = words_[w] & (~std::uint64_t{0} << (from % 64));
  for (;;) {
    if (word != 0) return std::min(size_, w * 64 + static_cast<size_t>(std::countr_zero(word)));
    if (++w == words_.size()) return size_;
    word = words_[w];
  }
}

size_t DayBits::NthSet(size_t k) const {
  for (size_t w = 0; w < words_.size(); ++w) {
    std::uint64_t word = words_[w];
    const size_t here = static_cast<size_t>(std::popcount(word));
    if (k >= here) {
      k -= here;
      continue;
    }
    while (k-- > 0) word &= word - 1;  // drop the lower set bits
    return std::min(size_, w * 64 + static_cast<size_t>(std::countr_zero(word)));
  }
  return size_;
}

void DayBits::AddRange(const DayBits& mask, size_t first, size_t last) {
  last = std::min(last, size_);
  if (first >= last || mask.size_ != size_) return;
  const size_t firstWord = first / 64, lastWord = (last - 1) / 64;
  for (size_t w = firstWord; w <= lastWord; ++w) {
    std::uint64_t range = ~std::uint64_t{0};
    if (w == firstWord) range &= ~std::uint64_t{0} << (first % 64);
    if (w == lastWord && last % 64 != 0) range &= ~std::uint64_t{0} >> (64 - last % 64);
    words_[w] |= mask.words_[w] & range;
  }
}

void DayBits::Remove(const DayBits& other) {
  const size_t n = std::min(words_.size(), other.words_.size());
  for (size_t w = 0; w < n; ++w) words_[w] &= ~other.words_[w];
}

bool DayBits::CommonDay(const DayBits& a, const DayBits& notA, const DayBits& b, const DayBits& notB) {
  const size_t n = std::min({a.words_.size(), notA.words_.size(), b.words_.size(), notB.words_.size()});
  for (size_t w = 0; w < n; ++w)
    if (a.words_[w] & ~notA.words_[w] & b.words_[w] & ~notB.words_[w]) return true;
  return false;
}
