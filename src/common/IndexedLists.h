#pragma once
// Lists searched or walked through a sorted index: the renumbering map of the renumbered
// export, the trips of the error check and the numbered error texts.

#include "common/RecordList.h"

#include <cstdint>
#include <string>
#include <string_view>

// ---- Renumbering map -----------------------------------------------------------------------

struct IdPair {
  std::int32_t first = 0;   // the number given
  std::int32_t second = 0;  // the value it was given to
  IdPair(std::int32_t f, std::int32_t s) : first(f), second(s) {}
};

class IdPairList : public IdTable<IdPair> {
 public:
  std::int32_t nextNumber = 0;  // the number the next append gives

  // Appends {next number, value}, advances the counter and returns the number given.
  std::int32_t AppendNumbered(std::int32_t value);
  // Index ascending by second (pairs with equal second keep their list order).
  void BuildIndex();
  // A pair whose second equals value, or null (also before BuildIndex and after an append).
  IdPair* Lookup(std::int32_t value) const;
  void Free() { Clear(); }
};

// ---- Trips of the error check --------------------------------------------------------------

struct TripPeriod {
  std::int32_t key = 0;
  std::string text;
  std::int32_t stopCount = 0;
  std::int32_t hasPeriod = 0;
  std::int32_t badPeriodDates = 0;
  TripPeriod(std::int32_t k, std::string_view t) : key(k), text(t) {}
};

class TripPeriodList : public IdTable<TripPeriod> {
 public:
  TripPeriod* AppendPeriod(std::int32_t key, std::string_view text) { return Emplace(key, text); }
  void BuildIndex();                           // ascending by key
  TripPeriod* Lookup(std::int32_t key) const;  // binary search, null when absent or not indexed
};

// ---- Numbered texts ------------------------------------------------------------------------

struct NumberedText {
  std::int32_t number = 0;
  std::int32_t subNumber = 0;
  std::string text;
  NumberedText(std::int32_t n, std::int32_t s, std::string_view t) : number(n), subNumber(s), text(t) {}
};

class NumberedTextList : public IdTable<NumberedText> {
 public:
  NumberedText* Append(std::int32_t number, std::int32_t subNumber, std::string_view text) {
    return Emplace(number, subNumber, text);
  }
  // Index ascending by (number, sub-number); equal pairs keep their list order. Walk it with
  // IndexCount / IndexAt.
  void BuildIndex();
};

// ---- Renumbering state ---------------------------------------------------------------------

struct RenumberState {
  std::int32_t words[5] = {0, 0, 0, 0, 0};
  // Zeroes the four working words; the first is kept.
  void Reset() {
    for (int i = 1; i < 5; ++i) words[i] = 0;
  }
};
