#include "exchange/communication/CommunicationModel.h"

#include "exchange/GeoStops.h"
#include "exchange/communication/VurTxtLayout.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// Keys are the values' bytes, each text preceded by its length, so that no two different sets of
// values give one key.
void PutText(std::string& key, const std::string& text) {
  const std::uint32_t n = static_cast<std::uint32_t>(text.size());
  key.append(reinterpret_cast<const char*>(&n), sizeof n).append(text);
}
template <typename T>
void Put(std::string& key, T value) {
  key.append(reinterpret_cast<const char*>(&value), sizeof value);
}

std::uint64_t Mix(std::uint64_t x) {
  x ^= x >> 33;
  x *= 0xFF51AFD7ED558CCDull;
  x ^= x >> 33;
  x *= 0xC4CEB9FE1A85EC53ull;
  x ^= x >> 33;
  return x;
}

int Minutes(int hhmm) { return hhmm / 100 * 60 + hhmm % 100; }

}  // namespace

void KeyHasher::Add(std::uint64_t v) {
  a_ = Mix((a_ ^ v) * 0x9E3779B97F4A7C15ull);
  b_ = Mix((b_ + v) * 0xC2B2AE3D27D4EB4Full ^ 0x165667B19E3779F9ull);
}

void KeyHasher::Text(const std::string& text) {
  Add(text.size());
  for (size_t k = 0; k < text.size(); k += 8) {
    std::uint64_t v = 0;
    std::memcpy(&v, text.data() + k, std::min<size_t>(8, text.size() - k));
    Add(v);
  }
}

bool NumberIndex::Add(long number) {
  if (rising_ && (numbers_.empty() || number > numbers_.back())) {
    numbers_.push_back(number);
    return true;
  }
  if (rising_) {
    rising_ = false;
    for (size_t k = 0; k < numbers_.size(); ++k) byNumber_.emplace(numbers_[k], static_cast<std::uint32_t>(k));
  }
  if (!byNumber_.emplace(number, static_cast<std::uint32_t>(numbers_.size())).second) return false;
  numbers_.push_back(number);
  return true;
}

long NumberIndex::Find(long number) const {
  if (!rising_) {
    const auto it = byNumber_.find(number);
    return it == byNumber_.end() ? -1L : static_cast<long>(it->second);
  }
  const auto it = std::lower_bound(numbers_.begin(), numbers_.end(), number);
  return it == numbers_.end() || *it != number ? -1 : it - numbers_.begin();
}

RunStopTime StopTimeOf(const TripStopInput& s) {
  RunStopTime t;
  t.stop = s.stop;
  const int arrival = vurtxt::TimeOrNone(s.arrival), departure = vurtxt::TimeOrNone(s.departure);
  t.time = arrival == vurtxt::kNoTime ? departure : arrival;
  if (arrival != vurtxt::kNoTime && departure != vurtxt::kNoTime) {
    t.dwell = Minutes(departure) - Minutes(arrival);
    if (departure < arrival) t.dwell += 1440;
  }
  t.main = s.main;
  t.request = s.request;
  t.passing = s.passing;
  return t;
}

std::uint32_t* RunDays::Touch(int year, int month) {
  const int offset = (year - firstYear_) * 12 + month - firstMonth_;
  if (offset < 0 || offset >= months_) return nullptr;
  for (int k = 0; k < months_; ++k) {
    if (order_[k] == offset) break;
    if (order_[k] == CommunicationModel::kNoMonth) {
      order_[k] = static_cast<std::uint16_t>(offset);
      break;
    }
  }
  return &masks_[offset];
}

std::vector<RunMonthDays> RunDays::Months() const {
  std::vector<RunMonthDays> months;
  for (int k = 0; k < months_ && order_[k] != CommunicationModel::kNoMonth; ++k) {
    const int m = firstMonth_ - 1 + order_[k];
    months.push_back(RunMonthDays{firstYear_ + m / 12, m % 12 + 1, masks_[order_[k]]});
  }
  return months;
}

void HashIndex::Reserve(const std::vector<KeyHash>& hashes, size_t count) {
  size_t slots = 16;
  while (slots < count * 2) slots *= 2;
  if (slots > slots_.size()) Grow(hashes, slots);
}

long HashIndex::Find(const std::vector<KeyHash>& hashes, const KeyHash& hash) const {
  if (slots_.empty()) return -1;
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash.a & mask;; at = (at + 1) & mask) {
    const std::uint32_t i = slots_[at];
    if (i == kFree) return -1;
    if (hashes[i] == hash) return i;
  }
}

void HashIndex::Add(const std::vector<KeyHash>& hashes, const KeyHash& hash, std::uint32_t index) {
  if ((count_ + 1) * 2 > slots_.size()) Grow(hashes, std::max<size_t>(16, slots_.size() * 2));
  const size_t mask = slots_.size() - 1;
  size_t at = hash.a & mask;
  while (slots_[at] != kFree) at = (at + 1) & mask;
  slots_[at] = index;
  ++count_;
}

void HashIndex::Grow(const std::vector<KeyHash>& hashes, size_t slots) {
  std::vector<std::uint32_t> old(slots, kFree);
  old.swap(slots_);
  const size_t mask = slots_.size() - 1;
  for (std::uint32_t i : old) {
    if (i == kFree) continue;
    size_t at = hashes[i].a & mask;
    while (slots_[at] != kFree) at = (at + 1) & mask;
    slots_[at] = i;
  }
}

std::string CommunicationModel::StopKey(const std::string& code, const std::string& name, const std::string& place,
                                        int locality) {
  std::string key;
  PutText(key, code);
  PutText(key, name);
  PutText(key, place);
  Put(key, locality);
  return key;
}

KeyHash CommunicationModel::ItineraryHash(const std::string& code, const std::string& name,
                                          const std::vector<ItineraryRow>& rows) {
  KeyHasher h;
  h.Text(code);
  h.Text(name);
  for (const ItineraryRow& r : rows) {
    h.Signed(r.from);
    h.Signed(r.to);
    h.Signed(r.distance);
  }
  h.Add(rows.size());
  return h.Done();
}

namespace {

// A run's key: its line's values, then its stop rows, then their count.
void HashRunLine(KeyHasher& h, const ServiceRun& r) {
  h.Text(r.tripCode);
  h.Text(r.lineCode);
  h.Signed(r.direction);
  h.Text(r.routeCode);
  h.Signed(r.authority);
  h.Signed(r.itinerary);
  h.Signed(r.length);
  h.Signed(r.time);
  h.Signed(r.ctLength);
  h.Signed(r.ctTime);
  h.Signed(r.firstStop);
  h.Signed(r.departure);
  h.Signed(r.lastStop);
  h.Signed(r.arrival);
  h.Signed(r.previous);
  h.Signed(r.next);
  h.Signed(r.mode);
}

void HashStopTime(KeyHasher& h, const RunStopTime& t) {
  h.Add(static_cast<std::uint64_t>(static_cast<std::uint32_t>(t.time)) << 32 ^
        static_cast<std::uint64_t>(static_cast<std::uint32_t>(t.dwell)) << 3 ^
        static_cast<std::uint64_t>(t.main | t.request << 1 | t.passing << 2));
}

}  // namespace

KeyHash CommunicationModel::RunHash(const ServiceRun& r) {
  KeyHasher h;
  HashRunLine(h, r);
  for (const RunStopTime& t : r.stops) HashStopTime(h, t);
  h.Add(r.stops.size());
  return h.Done();
}

const CommStop& CommunicationModel::NormaliseStop(const std::string& code, const std::string& name,
                                                  const std::string& place, int locality, const GeoStopList* geo) {
  double x = 0.0, y = 0.0;
  if (geo) geo->GetCoordinates(code, x, y);
  x += 0.0;  // -0 and 0 are equal coordinates: one key
  y += 0.0;
  const std::string key = StopKey(code, name, place, locality);
  std::string full = key;
  Put(full, x);
  Put(full, y);
  const auto [it, made] = stopByValues_.emplace(full, stops_.size());
  if (!made) return stops_[it->second];
  CommStop stop;
  stop.number = nextStop_++;
  stop.code = code;
  stop.name = name;
  stop.place = place;
  stop.locality = locality;
  stop.x = x;
  stop.y = y;
  stops_.push_back(std::move(stop));
  stopByKey_.emplace(key, stops_.size() - 1);
  return stops_.back();
}

const CommStop* CommunicationModel::FindStop(const std::string& code, const std::string& name, const std::string& place,
                                             int locality) const {
  const auto it = stopByKey_.find(StopKey(code, name, place, locality));
  return it == stopByKey_.end() ? nullptr : &stops_[it->second];
}

namespace {
std::string ArcKey(long from, long to, long length) {
  std::string key;
  Put(key, from);
  Put(key, to);
  Put(key, length);
  return key;
}
}  // namespace

long CommunicationModel::ArcOf(long from, long to, long length) {
  const auto [it, made] = arcByKey_.emplace(ArcKey(from, to, length), arcs_.size());
  if (!made) return arcs_[it->second].number;
  arcs_.push_back(CommArc{nextArc_++, from, to, length, false});
  return arcs_.back().number;
}

long CommunicationModel::ArcNumber(long from, long to, long length) const {
  const auto it = arcByKey_.find(ArcKey(from, to, length));
  return it == arcByKey_.end() ? 0 : arcs_[it->second].number;
}

CommunicationModel::RunEnds CommunicationModel::EndsOf(const ServiceRun& run) {
  return RunEnds{static_cast<std::int32_t>(run.firstStop), static_cast<std::int32_t>(run.lastStop), run.departure,
                 run.arrival};
}

ServiceRun CommunicationModel::RunLineOf(const TripInput& head, size_t run) const {
  TripInput trip = head;
  const RunEnds& ends = runEnds_[run];
  trip.stops = {TripStopInput{ends.firstStop, 0, 0, ends.departure, false, false, false},
                TripStopInput{ends.lastStop, 0, ends.arrival, 0, false, false, false}};
  ServiceRun r = RunOf(trip, ItineraryNumber(runItineraries_[run]));
  r.number = RunNumber(run);
  r.stops.clear();
  return r;
}

long CommunicationModel::ItineraryNumber(size_t index) const {
  return index < baseItineraries_.Count() ? baseItineraries_.NumberAt(index)
                                          : firstNewItinerary_ + static_cast<long>(index - baseItineraries_.Count());
}

long CommunicationModel::RunNumber(size_t index) const {
  return index < baseRuns_.Count() ? baseRuns_.NumberAt(index)
                                   : firstNewRun_ + static_cast<long>(index - baseRuns_.Count());
}

std::vector<ItineraryRow> CommunicationModel::RowsOf(const TripInput& trip) {
  const size_t n = trip.stops.size();
  std::vector<ItineraryRow> rows(n - 1);
  for (size_t k = 1; k < n; ++k)
    rows[k - 1] = ItineraryRow{0, trip.stops[k].distance, trip.stops[k - 1].stop, trip.stops[k].stop};
  return rows;
}

ServiceRun CommunicationModel::RunOf(const TripInput& trip, long itinerary) {
  ServiceRun run;
  run.tripCode = trip.tripCode;
  run.lineCode = trip.lineCode;
  run.direction = trip.direction;
  run.authority = trip.authority;
  run.routeCode = trip.routeCode;
  run.itinerary = itinerary;
  run.length = trip.length;
  run.time = trip.time;
  run.ctLength = trip.ctLength;
  run.ctTime = trip.ctTime;
  run.firstStop = trip.stops.front().stop;
  run.departure = vurtxt::TimeOrNone(trip.stops.front().departure);
  run.lastStop = trip.stops.back().stop;
  run.arrival = vurtxt::TimeOrNone(trip.stops.back().arrival);
  run.previous = trip.previous;
  run.next = trip.next;
  run.mode = trip.mode;
  run.stops.reserve(trip.stops.size());
  for (const TripStopInput& s : trip.stops) run.stops.push_back(StopTimeOf(s));
  return run;
}

void CommunicationModel::ReserveTrips(size_t trips) {
  tripIds_.reserve(tripIds_.size() + trips);
  tripRuns_.reserve(tripRuns_.size() + trips);
  // Without a base every trip may make its itinerary and run; on a base most trips find theirs,
  // and the lists grow as they need.
  if (BaseRuns() > 0 || BaseItineraries() > 0) return;
  itineraryHashes_.reserve(trips);
  runHashes_.reserve(trips);
  runItineraries_.reserve(trips);
  runEnds_.reserve(trips);
  itineraryByHash_.Reserve(itineraryHashes_, trips);
  runByHash_.Reserve(runHashes_, trips);
}

void CommunicationModel::AddTrip(const TripInput& trip) {
  if (trip.stops.empty()) return;
  const size_t n = trip.stops.size();
  // The itinerary: the route and, for every arc, its ends and the distance where it ends.
  const std::vector<ItineraryRow> rows = RowsOf(trip);
  const KeyHash itineraryHash = ItineraryHash(trip.routeCode, trip.routeName, rows);
  long itinerary = FindItinerary(itineraryHash);
  if (itinerary < 0) {
    for (size_t k = 1; k < n; ++k)
      ArcOf(rows[k - 1].from, rows[k - 1].to, trip.stops[k].distance - trip.stops[k - 1].distance);
    itinerary = static_cast<long>(itineraryHashes_.size());
    itineraryHashes_.push_back(itineraryHash);
    itineraryByHash_.Add(itineraryHashes_, itineraryHash, static_cast<std::uint32_t>(itinerary));
    ++nextItinerary_;
    newItineraryRows_ += static_cast<long>(rows.size());
  }
  const KeyHash runHash = RunHash(RunOf(trip, ItineraryNumber(static_cast<size_t>(itinerary))));
  long run = FindRun(runHash);
  if (run < 0) {
    run = static_cast<long>(runHashes_.size());
    runHashes_.push_back(runHash);
    runItineraries_.push_back(static_cast<std::uint32_t>(itinerary));
    runEnds_.push_back(EndsOf(RunOf(trip, 0)));
    runByHash_.Add(runHashes_, runHash, static_cast<std::uint32_t>(run));
    ++nextRun_;
    newStopTimes_ += static_cast<long>(n);
  }
  tripIds_.push_back(trip.id);
  tripRuns_.push_back(static_cast<std::uint32_t>(run));
}

bool CommunicationModel::PlaceAgain(const TripInput& trip, Placement& placement) const {
  if (trip.stops.empty()) return false;
  const long itinerary = FindItinerary(ItineraryHash(trip.routeCode, trip.routeName, RowsOf(trip)));
  if (itinerary < 0) return false;
  const long run = FindRun(RunHash(RunOf(trip, ItineraryNumber(static_cast<size_t>(itinerary)))));
  if (run < 0 || RunOfTrip(trip.id) != run) return false;
  placement.run = static_cast<size_t>(run);
  placement.itinerary = static_cast<size_t>(itinerary);
  return true;
}

long CommunicationModel::FindItinerary(const KeyHash& hash) const {
  return itineraryByHash_.Find(itineraryHashes_, hash);
}

long CommunicationModel::FindRun(const KeyHash& hash) const { return runByHash_.Find(runHashes_, hash); }

long CommunicationModel::RunOfTrip(long tripId) const {
  // The trips come by id: the first of an id is the one placed.
  const auto it = std::lower_bound(tripIds_.begin(), tripIds_.end(), tripId);
  if (it == tripIds_.end() || *it != tripId) return -1;
  return tripRuns_[static_cast<size_t>(it - tripIds_.begin())];
}

std::vector<std::pair<long, size_t>> CommunicationModel::TripRunPairs() const {
  std::vector<std::pair<long, size_t>> pairs;
  pairs.reserve(tripIds_.size());
  for (size_t k = 0; k < tripIds_.size(); ++k) pairs.emplace_back(tripIds_[k], tripRuns_[k]);
  return pairs;
}

void CommunicationModel::BeginDays(int firstYear, int firstMonth, int months) {
  firstYear_ = firstYear;
  firstMonth_ = firstMonth;
  months_ = std::clamp(months, 0, 0xFFFE);
  masks_.assign(RunCount() * static_cast<size_t>(months_), 0);
  monthOrder_.assign(RunCount() * static_cast<size_t>(months_), kNoMonth);
}

RunDays CommunicationModel::DaysOf(size_t run) {
  const size_t at = run * static_cast<size_t>(months_);
  return RunDays(masks_.data() + at, monthOrder_.data() + at, months_, firstYear_, firstMonth_);
}

std::vector<RunMonthDays> CommunicationModel::MonthsOf(size_t run) const {
  return const_cast<CommunicationModel*>(this)->DaysOf(run).Months();
}

bool CommunicationModel::AddBaseStop(CommStop stop) {
  if (!stopByNumber_.emplace(stop.number, stops_.size()).second) return false;
  stop.fromBase = true;
  stop.x += 0.0;
  stop.y += 0.0;
  nextStop_ = std::max(nextStop_, stop.number + 1);
  const std::string key = StopKey(stop.code, stop.name, stop.place, stop.locality);
  std::string full = key;
  Put(full, stop.x);
  Put(full, stop.y);
  stopByValues_.emplace(full, stops_.size());
  stopByKey_.emplace(key, stops_.size());
  stops_.push_back(std::move(stop));
  return true;
}

bool CommunicationModel::AddBaseArc(CommArc arc) {
  if (!stopByNumber_.count(arc.from) || !stopByNumber_.count(arc.to)) return false;
  if (!arcByNumber_.emplace(arc.number, arcs_.size()).second) return false;
  arc.fromBase = true;
  nextArc_ = std::max(nextArc_, arc.number + 1);
  arcByKey_.emplace(ArcKey(arc.from, arc.to, arc.length), arcs_.size());
  arcs_.push_back(arc);
  return true;
}

void CommunicationModel::ReserveBase(size_t itineraries, size_t runs) {
  readItineraries_.reserve(itineraries);
  readRuns_.reserve(runs);
}

void CommunicationModel::NoteBaseSection(int section, long rows, long check) {
  baseRows_[section] = rows;
  baseChecks_[section] = check;
}

bool CommunicationModel::AddBaseItinerary(long number, const std::string& routeCode, const std::string& routeName) {
  if (!baseItineraries_.Add(number)) return false;
  nextItinerary_ = std::max(nextItinerary_, number + 1);
  BaseItinerary& t = readItineraries_.emplace_back();
  t.key.Text(routeCode);
  t.key.Text(routeName);
  return true;
}

bool CommunicationModel::AddBaseItineraryRow(long itinerary, long position, const ItineraryRow& row) {
  const long index = baseItineraries_.Find(itinerary);
  const auto arc = arcByNumber_.find(row.arc);
  if (index < 0 || arc == arcByNumber_.end() || index < lastRowItinerary_) return false;
  lastRowItinerary_ = index;
  BaseItinerary& t = readItineraries_[static_cast<size_t>(index)];
  const CommArc& a = arcs_[arc->second];
  if (position != static_cast<long>(t.rows) || a.from != row.from || a.to != row.to) return false;
  if (t.rows > 0 && t.last != row.from) return false;
  if (t.rows == 0) t.stops.Signed(row.from);
  t.stops.Signed(row.to);
  t.key.Signed(row.from);
  t.key.Signed(row.to);
  t.key.Signed(row.distance);
  t.last = static_cast<std::int32_t>(row.to);
  ++t.rows;
  return true;
}

bool CommunicationModel::AddBaseRun(const ServiceRun& run) {
  const long itinerary = baseItineraries_.Find(run.itinerary);
  if (itinerary < 0 || !stopByNumber_.count(run.firstStop) || !stopByNumber_.count(run.lastStop)) return false;
  if (!baseRuns_.Add(run.number)) return false;
  nextRun_ = std::max(nextRun_, run.number + 1);
  BaseRun& r = readRuns_.emplace_back();
  HashRunLine(r.key, run);
  r.itinerary = static_cast<std::uint32_t>(itinerary);
  r.firstStop = static_cast<std::int32_t>(run.firstStop);
  r.lastStop = static_cast<std::int32_t>(run.lastStop);
  runEnds_.push_back(EndsOf(run));
  return true;
}

bool CommunicationModel::AddBaseStopTime(long run, long position, const RunStopTime& time) {
  const long index = baseRuns_.Find(run);
  if (index < 0 || !stopByNumber_.count(time.stop) || index < lastStopRun_) return false;
  lastStopRun_ = index;
  BaseRun& r = readRuns_[static_cast<size_t>(index)];
  if (position != static_cast<long>(r.rows)) return false;
  if (r.rows == 0) r.first = static_cast<std::int32_t>(time.stop);
  HashStopTime(r.key, time);
  r.stops.Signed(time.stop);
  r.last = static_cast<std::int32_t>(time.stop);
  ++r.rows;
  return true;
}

bool CommunicationModel::EndBase() {
  // Each run over the stops of its itinerary: as many, the same ones in order (their hashes), from
  // its first stop to its last.
  for (const BaseRun& r : readRuns_) {
    const BaseItinerary& t = readItineraries_[r.itinerary];
    if (r.rows != t.rows + 1 || r.first != r.firstStop || r.last != r.lastStop) return false;
    if (t.rows > 0 && !(r.stops.Done() == t.stops.Done())) return false;
  }
  // The first of a key is the one found.
  itineraryByHash_.Reserve(itineraryHashes_, readItineraries_.size());
  itineraryHashes_.reserve(readItineraries_.size());
  for (BaseItinerary& t : readItineraries_) {
    t.key.Add(t.rows);
    const KeyHash hash = t.key.Done();
    const bool first = FindItinerary(hash) < 0;
    itineraryHashes_.push_back(hash);
    if (first) itineraryByHash_.Add(itineraryHashes_, hash, static_cast<std::uint32_t>(itineraryHashes_.size() - 1));
  }
  runByHash_.Reserve(runHashes_, readRuns_.size());
  runHashes_.reserve(readRuns_.size());
  runItineraries_.reserve(readRuns_.size());
  for (BaseRun& r : readRuns_) {
    r.key.Add(r.rows);
    const KeyHash hash = r.key.Done();
    const bool first = FindRun(hash) < 0;
    runHashes_.push_back(hash);
    runItineraries_.push_back(r.itinerary);
    if (first) runByHash_.Add(runHashes_, hash, static_cast<std::uint32_t>(runHashes_.size() - 1));
  }
  firstNewItinerary_ = nextItinerary_;
  firstNewRun_ = nextRun_;
  std::vector<BaseItinerary>().swap(readItineraries_);
  std::vector<BaseRun>().swap(readRuns_);
  stopByNumber_.clear();
  arcByNumber_.clear();
  return true;
}

long CommunicationModel::NextNumber(int kind) const {
  switch (kind) {
    case vurtxt::kStops: return nextStop_;
    case vurtxt::kArcs: return nextArc_;
    case vurtxt::kItineraryHeads: return nextItinerary_;
    default: return nextRun_;
  }
}
