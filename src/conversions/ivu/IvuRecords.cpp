#include "conversions/ivu/IvuRecords.h"

#include "conversions/ivu/IvuFields.h"
#include "exchange/RecordLayouts.h"

#include <algorithm>
#include <tuple>

namespace ivu {

namespace {

// The fields of a line, or false when one is longer than any the files carry.
struct Fields {
  std::vector<std::string_view> f;
  bool ok;
  explicit Fields(std::string_view line) : ok(SplitFields(line, f)) {}
  size_t size() const { return f.size(); }
  // Field n, counted from 1.
  std::string_view operator[](size_t n) const { return f[n - 1]; }
};

// Reads the checked fields of a line; every rule is applied, and any failure marks the line bad.
struct Check {
  const Fields& fields;
  bool good = true;
  std::string Text(size_t n, size_t width) {
    const std::string_view v = fields[n];
    if (!TextFits(v, width)) good = false;
    return std::string(v);
  }
  std::string Exactly(size_t n, size_t width) {
    const std::string_view v = fields[n];
    if (v.size() != width) good = false;
    return std::string(v);
  }
  std::int32_t Number(size_t n, size_t width) {
    std::int32_t v = 0;
    if (!ReadIvuNumber(fields[n], width, v)) good = false;
    return v;
  }
  std::int32_t Duration(size_t n) {
    std::int32_t v = 0;
    if (!ParseIvuDuration(fields[n], v)) good = false;
    return v;
  }
  std::int32_t TimeOfDay(size_t n) {
    std::int32_t v = 0;
    if (!ParseIvuTimeOfDay(fields[n], v)) good = false;
    return v;
  }
};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

auto StopKey(const IvuStop& s) { return std::tie(s.supplier, s.id); }

int CompareRoute(const IvuRoute& r, const RouteKey& k) {
  if (int c = std::string_view(r.line).compare(k.line)) return c;
  if (r.version != k.version) return r.version < k.version ? -1 : 1;
  if (int c = std::string_view(r.division).compare(k.division)) return c;
  if (r.variant != k.variant) return r.variant < k.variant ? -1 : 1;
  return std::string_view(r.direction).compare(k.direction);
}

}  // namespace

// ---- Records ---------------------------------------------------------------------------------

bool IvuServiceBits::IsDaySet(long i) const {
  if (i < 0 || static_cast<unsigned long>(i / 4) >= days.size()) return false;
  const int digit = HexValue(days[static_cast<size_t>(i / 4)]);
  return digit >= 0 && (digit & (8 >> (i % 4))) != 0;
}

void IvuRouteStop::Set(std::int32_t p, std::int32_t id, std::int32_t d, std::int32_t models) {
  position = p;
  stopId = id;
  distance = d;
  modelCount = models;
  run.assign(models > 0 ? static_cast<size_t>(models) : 0, -1);
  dwell.assign(run.size(), -1);
}

void IvuRouteStop::SetTimes(long i, std::int32_t running, std::int32_t dwelling) {
  if (i < 0 || i >= static_cast<long>(run.size())) return;
  run[static_cast<size_t>(i)] = running;
  dwell[static_cast<size_t>(i)] = dwelling;
}

std::int32_t IvuRouteStop::GetRunTime(long i) const {
  return i >= 0 && i < static_cast<long>(run.size()) ? run[static_cast<size_t>(i)] : -1;
}

std::int32_t IvuRouteStop::GetDwellTime(long i) const {
  return i >= 0 && i < static_cast<long>(dwell.size()) ? dwell[static_cast<size_t>(i)] : -1;
}

// ---- Indexes ---------------------------------------------------------------------------------

void IvuSet::BuildStopIndex() {
  stopIndex_.resize(stops.size());
  for (std::uint32_t k = 0; k < stopIndex_.size(); ++k) stopIndex_[k] = k;
  std::stable_sort(stopIndex_.begin(), stopIndex_.end(),
                   [this](std::uint32_t a, std::uint32_t b) { return StopKey(stops[a]) < StopKey(stops[b]); });
}

void IvuSet::BuildRouteIndex() {
  routeIndex_.resize(routes.size());
  for (std::uint32_t k = 0; k < routeIndex_.size(); ++k) routeIndex_[k] = k;
  std::stable_sort(routeIndex_.begin(), routeIndex_.end(),
                   [this](std::uint32_t a, std::uint32_t b) { return CompareRoute(routes[a], routes[b].Key()) < 0; });
}

void IvuSet::BuildServiceBitsIndex() {
  bitsById_.clear();
  for (std::uint32_t k = 0; k < serviceBits.size(); ++k) bitsById_.emplace(serviceBits[k].id, k);
}

void IvuSet::BuildDayTypeIndex() {
  dayTypeByNumber_.clear();
  for (std::uint32_t k = 0; k < dayTypes.size(); ++k) dayTypeByNumber_.emplace(dayTypes[k].number, k);
}

const IvuStop* IvuSet::FindStop(std::string_view supplier, std::int32_t id) const {
  const auto at = std::lower_bound(stopIndex_.begin(), stopIndex_.end(), 0u, [&](std::uint32_t k, unsigned) {
    const IvuStop& s = stops[k];
    const int c = std::string_view(s.supplier).compare(supplier);
    return c < 0 || (c == 0 && s.id < id);
  });
  if (at == stopIndex_.end() || stops[*at].supplier != supplier || stops[*at].id != id) return nullptr;
  return &stops[*at];
}

const IvuRoute* IvuSet::FindRoute(const RouteKey& key, std::int32_t model) const {
  const auto at = std::lower_bound(routeIndex_.begin(), routeIndex_.end(), 0u,
                                   [&](std::uint32_t k, unsigned) { return CompareRoute(routes[k], key) < 0; });
  if (at == routeIndex_.end() || CompareRoute(routes[*at], key) != 0) return nullptr;
  const IvuRoute& route = routes[*at];
  // A model is one of the route's: 1 to M.
  if (model < 1 || model > route.modelCount) return nullptr;
  return &route;
}

const IvuServiceBits* IvuSet::FindServiceBits(std::int32_t id) const {
  const auto it = bitsById_.find(id);
  return it == bitsById_.end() ? nullptr : &serviceBits[it->second];
}

const std::string* IvuSet::FindShortName(std::int32_t number) const {
  const auto it = dayTypeByNumber_.find(number);
  return it == dayTypeByNumber_.end() ? nullptr : &dayTypes[it->second].shortName;
}

// ---- Readers ---------------------------------------------------------------------------------

bool ReadIvuSupplier(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() != 2) return false;
  Check c{f};
  IvuSupplier s{c.Text(1, 6)};
  if (!c.good) return false;
  set.suppliers.push_back(std::move(s));
  return true;
}

bool ReadIvuCompany(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() != 9) return false;
  Check c{f};
  IvuCompany r;
  r.name = c.Text(3, 60);
  r.second = c.Text(6, 60);
  r.code = c.Text(7, 6);
  r.fourth = c.Text(8, 8);
  r.supplier = c.Text(9, 6);
  if (!c.good) return false;
  set.companies.push_back(std::move(r));
  return true;
}

bool ReadIvuTransportMode(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() != 3) return false;
  Check c{f};
  IvuTransportMode r{c.Text(1, 8), c.Text(2, 8), c.Text(3, 40)};
  if (!c.good) return false;
  set.modes.push_back(std::move(r));
  return true;
}

bool ReadIvuVersion(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() != 5) return false;
  Check c{f};
  IvuVersion r;
  r.number = c.Number(1, 10);
  r.description = c.Text(2, 60);
  r.from = c.Exactly(3, 10);
  r.to = c.Exactly(4, 10);
  if (!c.good) return false;
  set.versions.push_back(std::move(r));
  return true;
}

bool ReadIvuStop(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() < 15) return false;
  Check c{f};
  IvuStop r;
  r.id = c.Number(1, 10);
  r.supplier = c.Text(2, 6);
  r.code = c.Text(6, 8);
  r.name = c.Text(11, 60);
  if (!c.good) return false;
  set.stops.push_back(std::move(r));
  return true;
}

bool ReadIvuServiceBits(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() != 2) return false;
  Check c{f};
  IvuServiceBits r;
  r.id = c.Number(1, 10);
  r.days = c.Text(2, 255);
  // A day string with a character that is no hexadecimal digit would lose that digit's days.
  if (!c.good || r.days.empty() || std::any_of(r.days.begin(), r.days.end(), [](char ch) { return HexValue(ch) < 0; }))
    return false;
  set.serviceBits.push_back(std::move(r));
  return true;
}

bool ReadIvuDayType(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() != 3) return false;
  Check c{f};
  IvuDayType r;
  r.number = c.Number(1, 3);
  r.shortName = c.Text(2, 4);
  r.description = c.Text(3, 60);
  if (!c.good) return false;
  set.dayTypes.push_back(std::move(r));
  return true;
}

bool ReadIvuCalendarDay(std::string_view line, IvuSet& set) {
  const Fields f(line);
  if (!f.ok || f.size() < 1) return false;
  Check c{f};
  IvuCalendarDay r;
  r.date = c.Exactly(1, 10);
  if (!c.good) return false;
  SplitDateText(r.date, r.day, r.month, r.year);
  if (!DateFits(r.year, r.month, r.day)) return false;
  // Field k (from 2) is the column of day type k - 2: "x" or "X" marks it, an empty field leaves it
  // unmarked. Any other mark, or one beyond day type 255, would lose a day: the line is refused.
  for (size_t k = 2; k <= f.size(); ++k) {
    if (f[k].empty()) continue;
    if ((f[k] != "x" && f[k] != "X") || k - 2 > 255) return false;
    r.SetDayType(static_cast<int>(k - 2));
  }
  set.calendar.push_back(std::move(r));
  return true;
}

bool ReadIvuRouteHead(std::string_view line, IvuSet& set, long& expected) {
  expected = 0;
  const Fields f(line);
  if (!f.ok || f.size() != 10) return false;
  Check c{f};
  IvuRoute r;
  r.line = c.Text(1, 8);
  r.version = c.Number(2, 10);
  r.division = c.Text(4, 6);
  r.variant = c.Number(5, 8);
  r.direction = c.Text(6, 2);
  r.stopCount = c.Number(7, 3);
  r.modelCount = c.Number(8, 3);
  r.ninth = c.Text(9, 8);
  // Counts are what they say: a negative one is no count.
  if (!c.good || r.stopCount < 0 || r.modelCount < 0) return false;
  r.stops.resize(static_cast<size_t>(r.stopCount));
  r.totalTimes.assign(static_cast<size_t>(r.modelCount), 0);
  expected = r.stopCount;
  set.routes.push_back(std::move(r));
  return true;
}

bool ReadIvuRouteStop(std::string_view line, IvuRoute* route) {
  if (!route) return false;
  const Fields f(line);
  if (!f.ok || f.size() < 11) return false;
  if (route->filled >= route->stopCount) return false;
  Check c{f};
  const std::int32_t position = c.Number(1, 4), stopId = c.Number(3, 10), distance = c.Number(4, 7);
  const std::int32_t models = route->modelCount;
  std::vector<std::int32_t> run(static_cast<size_t>(models), -1), dwell(static_cast<size_t>(models), -1);
  for (std::int32_t k = 0; k < models; ++k) {
    const size_t runField = 7 + 5 * static_cast<size_t>(k);
    if (runField > f.size()) {
      c.good = false;  // a running time of a model is missing
      break;
    }
    run[size_t(k)] = c.Duration(runField);
    if (runField + 1 <= f.size()) dwell[size_t(k)] = c.Duration(runField + 1);
  }
  if (!c.good) return false;
  IvuRouteStop& slot = route->stops[static_cast<size_t>(route->filled++)];
  slot.Set(position, stopId, distance, models);
  for (std::int32_t k = 0; k < models; ++k) slot.SetTimes(k, run[size_t(k)], dwell[size_t(k)]);
  return true;
}

bool ReadIvuTripBlockHead(std::string_view line, IvuSet& set, long& expected) {
  expected = 0;
  const Fields f(line);
  if (!f.ok || f.size() != 6) return false;
  Check c{f};
  IvuTripBlock b;
  b.line = c.Text(1, 8);
  b.version = c.Number(2, 10);
  b.division = c.Text(3, 6);
  b.direction = c.Text(4, 2);
  b.variant = c.Number(5, 8);
  b.tripCount = c.Number(6, 10);
  if (!c.good || b.tripCount < 0) return false;
  expected = b.tripCount;
  set.blocks.push_back(std::move(b));
  return true;
}

bool ReadIvuTrip(std::string_view line, IvuTripBlock* block) {
  if (!block) return false;
  const Fields f(line);
  if (!f.ok || f.size() < 14) return false;
  if (static_cast<long>(block->trips.size()) >= block->tripCount) return false;
  Check c{f};
  IvuTrip t;
  t.firstPosition = c.Number(1, 4);
  t.second = c.Number(2, 10);
  t.departure = c.TimeOfDay(3);
  t.lastPosition = c.Number(4, 4);
  t.fifth = c.Number(5, 10);
  t.sixth = c.TimeOfDay(6);
  t.seventh = c.Text(7, 8);
  t.model = c.Number(8, 3);
  t.code = c.Text(9, 10);
  t.eleventh = c.Number(11, 5);
  t.twelfth = c.Number(12, 5);
  t.bitFieldId = c.Number(13, 10);
  if (!c.good) return false;
  // Day codes: field 10, then 14 onwards; a longer text than 4 characters is dropped.
  const auto day = [&](size_t n) {
    if (f[n].size() <= 4) t.AddDayCode(f[n]);
  };
  day(10);
  for (size_t n = 14; n <= f.size(); ++n) day(n);
  block->trips.push_back(std::move(t));
  return true;
}

void AddDataFile(std::string_view line, std::vector<std::string>& suffixes) {
  if (line.size() < 5 || line.substr(line.size() - 4) != ".ASC") return;
  if (line.substr(0, 2) != "LD" && line.substr(0, 2) != "FD") return;
  std::string suffix(line.substr(2, line.size() - 6));
  if (std::find(suffixes.begin(), suffixes.end(), suffix) == suffixes.end()) suffixes.push_back(std::move(suffix));
}

}  // namespace ivu
