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

int Minutes(int hhmm) { return hhmm / 100 * 60 + hhmm % 100; }

// Takes a record read from the base under its own number, which must be new; the numbers made
// afterwards come past it.
template <typename Record>
bool TakeBaseRecord(Record record, std::unordered_map<long, size_t>& byNumber, std::vector<Record>& records,
                    long& next) {
  if (!byNumber.emplace(record.number, records.size()).second) return false;
  record.fromBase = true;
  next = std::max(next, record.number + 1);
  records.push_back(std::move(record));
  return true;
}

}  // namespace

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

std::string CommunicationModel::StopKey(const std::string& code, const std::string& name, const std::string& place,
                                        int locality) {
  std::string key;
  PutText(key, code);
  PutText(key, name);
  PutText(key, place);
  Put(key, locality);
  return key;
}

std::string CommunicationModel::ItineraryKey(const std::string& code, const std::string& name,
                                             const std::vector<ItineraryRow>& rows) {
  std::string key;
  PutText(key, code);
  PutText(key, name);
  Put(key, rows.size());
  for (const ItineraryRow& r : rows) {
    Put(key, r.from);
    Put(key, r.to);
    Put(key, r.distance);
  }
  return key;
}

std::string CommunicationModel::RunKey(const ServiceRun& r) {
  std::string key;
  key.reserve(128 + r.stops.size() * 12);
  PutText(key, r.tripCode);
  PutText(key, r.lineCode);
  Put(key, r.direction);
  PutText(key, r.routeCode);
  Put(key, r.authority);
  Put(key, r.itinerary);
  Put(key, r.length);
  Put(key, r.time);
  Put(key, r.ctLength);
  Put(key, r.ctTime);
  Put(key, r.firstStop);
  Put(key, r.departure);
  Put(key, r.lastStop);
  Put(key, r.arrival);
  Put(key, r.previous);
  Put(key, r.next);
  Put(key, r.mode);
  Put(key, r.stops.size());
  for (const RunStopTime& t : r.stops) {
    Put(key, t.time);
    Put(key, t.dwell);
    Put(key, static_cast<char>(t.main | t.request << 1 | t.passing << 2));
  }
  return key;
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

long CommunicationModel::ArcOf(long from, long to, long length) {
  std::string key;
  Put(key, from);
  Put(key, to);
  Put(key, length);
  const auto [it, made] = arcByKey_.emplace(std::move(key), arcs_.size());
  if (!made) return arcs_[it->second].number;
  arcs_.push_back(CommArc{nextArc_++, from, to, length, false});
  return arcs_.back().number;
}

void CommunicationModel::AddTrip(const TripInput& trip) {
  if (trip.stops.empty()) return;
  const size_t n = trip.stops.size();
  // The itinerary: the route and, for every arc, its ends and the distance where it ends.
  std::vector<ItineraryRow> rows(n - 1);
  for (size_t k = 1; k < n; ++k)
    rows[k - 1] = ItineraryRow{0, trip.stops[k].distance, trip.stops[k - 1].stop, trip.stops[k].stop};
  long itinerary = 0;
  {
    const std::string key = ItineraryKey(trip.routeCode, trip.routeName, rows);
    const std::size_t hash = std::hash<std::string>{}(key);
    if (const long found = FindItinerary(hash, key); found >= 0) {
      itinerary = itineraries_[static_cast<size_t>(found)].number;
    } else {
      Itinerary made;
      made.number = nextItinerary_++;
      made.routeCode = trip.routeCode;
      made.routeName = trip.routeName;
      for (size_t k = 1; k < n; ++k) {
        ItineraryRow& r = rows[k - 1];
        r.arc = ArcOf(r.from, r.to, trip.stops[k].distance - trip.stops[k - 1].distance);
      }
      made.rows = std::move(rows);
      itinerary = made.number;
      itineraries_.push_back(std::move(made));
      itineraryByHash_.emplace(hash, itineraries_.size() - 1);
    }
  }
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
  run.stops.reserve(n);
  for (const TripStopInput& s : trip.stops) run.stops.push_back(StopTimeOf(s));
  const std::string key = RunKey(run);
  const std::size_t hash = std::hash<std::string>{}(key);
  long index = FindRun(hash, key);
  if (index < 0) {
    index = static_cast<long>(runs_.size());
    run.number = nextRun_++;
    runs_.push_back(std::move(run));
    runByHash_.emplace(hash, runs_.size() - 1);
  }
  ServiceRun& holder = runs_[static_cast<size_t>(index)];
  holder.trips.push_back(trip.id);
  runByTrip_.emplace(trip.id, static_cast<size_t>(index));
}

long CommunicationModel::FindItinerary(std::size_t hash, const std::string& key) const {
  const auto [first, last] = itineraryByHash_.equal_range(hash);
  for (auto it = first; it != last; ++it) {
    const Itinerary& t = itineraries_[it->second];
    if (ItineraryKey(t.routeCode, t.routeName, t.rows) == key) return static_cast<long>(it->second);
  }
  return -1;
}

long CommunicationModel::FindRun(std::size_t hash, const std::string& key) const {
  const auto [first, last] = runByHash_.equal_range(hash);
  for (auto it = first; it != last; ++it)
    if (RunKey(runs_[it->second]) == key) return static_cast<long>(it->second);
  return -1;
}

ServiceRun* CommunicationModel::FindRunByTrip(long tripId) {
  const auto it = runByTrip_.find(tripId);
  return it == runByTrip_.end() ? nullptr : &runs_[it->second];
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
  std::string key;
  Put(key, arc.from);
  Put(key, arc.to);
  Put(key, arc.length);
  arcByKey_.emplace(std::move(key), arcs_.size());
  arcs_.push_back(arc);
  return true;
}

bool CommunicationModel::AddBaseItinerary(Itinerary itinerary) {
  return TakeBaseRecord(std::move(itinerary), itineraryByNumber_, itineraries_, nextItinerary_);
}

bool CommunicationModel::AddBaseItineraryRow(long itinerary, long position, const ItineraryRow& row) {
  const auto it = itineraryByNumber_.find(itinerary);
  const auto arc = arcByNumber_.find(row.arc);
  if (it == itineraryByNumber_.end() || arc == arcByNumber_.end()) return false;
  std::vector<ItineraryRow>& rows = itineraries_[it->second].rows;
  const CommArc& a = arcs_[arc->second];
  if (position != static_cast<long>(rows.size()) || a.from != row.from || a.to != row.to) return false;
  if (!rows.empty() && rows.back().to != row.from) return false;
  rows.push_back(row);
  return true;
}

bool CommunicationModel::AddBaseRun(ServiceRun run) {
  if (!itineraryByNumber_.count(run.itinerary) || !stopByNumber_.count(run.firstStop) ||
      !stopByNumber_.count(run.lastStop))
    return false;
  return TakeBaseRecord(std::move(run), runByNumber_, runs_, nextRun_);
}

bool CommunicationModel::AddBaseStopTime(long run, long position, const RunStopTime& time) {
  const auto it = runByNumber_.find(run);
  if (it == runByNumber_.end() || !stopByNumber_.count(time.stop)) return false;
  std::vector<RunStopTime>& stops = runs_[it->second].stops;
  if (position != static_cast<long>(stops.size())) return false;
  stops.push_back(time);
  return true;
}

bool CommunicationModel::EndBase() {
  for (const ServiceRun& r : runs_) {
    const std::vector<ItineraryRow>& rows = itineraries_[itineraryByNumber_.at(r.itinerary)].rows;
    if (r.stops.size() != rows.size() + 1 || r.stops.front().stop != r.firstStop || r.stops.back().stop != r.lastStop)
      return false;
    for (size_t k = 0; k < rows.size(); ++k)
      if (r.stops[k].stop != rows[k].from || r.stops[k + 1].stop != rows[k].to) return false;
  }
  for (size_t i = 0; i < itineraries_.size(); ++i) {
    const Itinerary& t = itineraries_[i];
    const std::string key = ItineraryKey(t.routeCode, t.routeName, t.rows);
    const std::size_t hash = std::hash<std::string>{}(key);
    if (FindItinerary(hash, key) < 0) itineraryByHash_.emplace(hash, i);  // the first of a key is found
  }
  for (size_t i = 0; i < runs_.size(); ++i) {
    const std::string key = RunKey(runs_[i]);
    const std::size_t hash = std::hash<std::string>{}(key);
    if (FindRun(hash, key) < 0) runByHash_.emplace(hash, i);
  }
  itineraryByNumber_.clear();
  runByNumber_.clear();
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

std::vector<std::pair<long, size_t>> CommunicationModel::TripRunPairs() const {
  std::vector<std::pair<long, size_t>> pairs;
  size_t count = 0;
  for (const ServiceRun& r : runs_) count += r.trips.size();
  pairs.reserve(count);
  for (size_t i = 0; i < runs_.size(); ++i)
    for (long id : runs_[i].trips) pairs.emplace_back(id, i);
  std::stable_sort(pairs.begin(), pairs.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  return pairs;
}
