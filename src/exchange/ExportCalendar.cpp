#include "exchange/ExportCalendar.h"

#include "exchange/ExchangeText.h"

#include <algorithm>

void CadenceCalendar::AddDate(std::string_view code, std::string_view yyyymmdd) {
  std::vector<int>& dates = dates_[std::string(TrimRight(code))];
  DateRecord d;
  if (!ParseExchangeDate(yyyymmdd, d)) return;  // an invalid date never matches: not kept
  const int key = DateKey(d);
  // Kept sorted: rows usually come in date order, so this is an append.
  if (dates.empty() || dates.back() < key) {
    dates.push_back(key);
  } else {
    const auto at = std::lower_bound(dates.begin(), dates.end(), key);
    if (at == dates.end() || *at != key) dates.insert(at, key);
  }
}

bool CadenceCalendar::HasDateInRange(std::string_view code, int first, int last) const {
  const auto found = dates_.find(std::string(TrimRight(code)));
  if (found == dates_.end() || first > last) return false;
  const std::vector<int>& dates = found->second;
  const auto at = std::lower_bound(dates.begin(), dates.end(), first);
  return at != dates.end() && *at <= last;
}

void CadenceCalendar::Clear() {
  dates_.clear();
  trips_.clear();
}
