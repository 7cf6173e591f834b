#include "common/IndexedLists.h"

namespace {
int Compare(std::int32_t a, std::int32_t b) { return a < b ? -1 : (a > b ? 1 : 0); }
}  // namespace

std::int32_t IdPairList::AppendNumbered(std::int32_t value) {
  const std::int32_t given = nextNumber;
  Emplace(given, value);
  ++nextNumber;
  return given;
}

void IdPairList::BuildIndex() {
  IdTable<IdPair>::BuildIndex([](const IdPair& a, const IdPair& b) { return a.second < b.second; });
}

IdPair* IdPairList::Lookup(std::int32_t value) const {
  return IdTable<IdPair>::Lookup(value, [](const IdPair& p, std::int32_t v) { return Compare(p.second, v); });
}

void TripPeriodList::BuildIndex() {
  IdTable<TripPeriod>::BuildIndex([](const TripPeriod& a, const TripPeriod& b) { return a.key < b.key; });
}

TripPeriod* TripPeriodList::Lookup(std::int32_t key) const {
  return IdTable<TripPeriod>::Lookup(key, [](const TripPeriod& p, std::int32_t k) { return Compare(p.key, k); });
}

void NumberedTextList::BuildIndex() {
  IdTable<NumberedText>::BuildIndex([](const NumberedText& a, const NumberedText& b) {
    return a.number != b.number ? a.number < b.number : a.subNumber < b.subNumber;
  });
}
