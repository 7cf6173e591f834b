#include "conversions/ivu/IvuStandardTrips.h"

#include <algorithm>
#include <cstring>
#include <numeric>

namespace ivu {

namespace {

// A whole number without sign written seven bits a byte, the last byte without its high bit.
void PutNumber(std::string& out, std::uint64_t bits) {
  while (bits >= 0x80) {
    out += static_cast<char>((bits & 0x7F) | 0x80);
    bits >>= 7;
  }
  out += static_cast<char>(bits);
}

std::uint64_t NumberAt(const char*& p) {
  std::uint64_t bits = 0;
  for (int shift = 0;; shift += 7) {
    const auto byte = static_cast<unsigned char>(*p++);
    bits |= static_cast<std::uint64_t>(byte & 0x7F) << shift;
    if (byte < 0x80) return bits;
  }
}

std::uint64_t Zigzag(std::int64_t v) {
  return (static_cast<std::uint64_t>(v) << 1) ^ static_cast<std::uint64_t>(v >> 63);
}
std::int64_t Unzigzag(std::uint64_t bits) {
  return static_cast<std::int64_t>(bits >> 1) ^ -static_cast<std::int64_t>(bits & 1);
}

// The times of a standard trip are kept a stop at a time, its arrival and its departure. A time of
// the clock (HHMM, minutes below 60) is kept as the minutes since the one before it; the mark of
// no time and anything else as they are. The usual stop, a step forward of at most 15 minutes to
// the arrival and 7 to the departure, takes one byte, 0aaaaddd; any other a byte 1000xxyy, xx and
// yy saying what follows for the arrival and the departure: 0 the step, 1 nothing (no time), 2
// the time itself, each zigzagged.
constexpr int kNoTime = 9999;
enum TimeKind { kKeptStep = 0, kKeptNothing = 1, kKeptItself = 2 };

class TimeWriter {
 public:
  explicit TimeWriter(std::string& out) : out_(out) {}
  void Put(int arrival, int departure) {
    std::int64_t a = 0, d = 0;
    const TimeKind ka = KindOf(arrival, a), kd = KindOf(departure, d);
    if (ka == kKeptStep && kd == kKeptStep && a >= 0 && a <= 15 && d >= 0 && d <= 7) {
      out_ += static_cast<char>(a << 3 | d);
      return;
    }
    out_ += static_cast<char>(0x80 | ka << 2 | kd);
    if (ka != kKeptNothing) PutNumber(out_, Zigzag(a));
    if (kd != kKeptNothing) PutNumber(out_, Zigzag(d));
  }

 private:
  // What `time` is kept as: `kept` is the step or the time itself.
  TimeKind KindOf(int time, std::int64_t& kept) {
    if (time == kNoTime) return kKeptNothing;
    if (time < 0 || time % 100 >= 60) {
      kept = time;
      return kKeptItself;
    }
    const std::int64_t minutes = time / 100 * 60 + time % 100;
    kept = minutes - last_;
    last_ = minutes;
    return kKeptStep;
  }

  std::string& out_;
  std::int64_t last_ = 0;  // the minutes of the last time of the clock
};

class TimeReader {
 public:
  explicit TimeReader(const char* p) : p_(p) {}
  void Next(int& arrival, int& departure) {
    const auto byte = static_cast<unsigned char>(*p_++);
    if (byte < 0x80) {
      arrival = Clock(last_ += byte >> 3);
      departure = Clock(last_ += byte & 7);
      return;
    }
    arrival = Read(byte >> 2 & 3);
    departure = Read(byte & 3);
  }

 private:
  int Read(int kind) {
    if (kind == kKeptNothing) return kNoTime;
    const std::int64_t kept = Unzigzag(NumberAt(p_));
    if (kind == kKeptItself) return static_cast<int>(kept);
    return Clock(last_ += kept);
  }
  static int Clock(std::int64_t minutes) { return static_cast<int>(minutes / 60 * 100 + minutes % 60); }

  const char* p_;
  std::int64_t last_ = 0;
};

}  // namespace

std::uint64_t IvuStandardTrips::PackedBytes::Put(std::string_view piece) {
  if (blocks_.empty() || used_ + piece.size() > room_) {
    room_ = std::max(kBlock, piece.size());
    blocks_.push_back(std::make_unique_for_overwrite<char[]>(room_));
    used_ = 0;
  }
  const std::uint64_t where = static_cast<std::uint64_t>(blocks_.size() - 1) << 32 | used_;
  std::memcpy(blocks_.back().get() + used_, piece.data(), piece.size());
  used_ += piece.size();
  return where;
}

std::uint32_t IvuStandardTrips::RouteFor(const std::string& line, char direction,
                                         const std::vector<IvuTripStop>& stops) {
  const auto [named, newLine] = lineIndex_.try_emplace(line, static_cast<std::uint32_t>(lines_.size()));
  if (newLine) {
    lines_.push_back(line);
    lineRoutes_.push_back(0);
  }
  // The key: the line (its length first), the direction, each stop and its distance.
  const size_t length = line.size();
  key_.assign(reinterpret_cast<const char*>(&length), sizeof length).append(line) += direction;
  for (const IvuTripStop& s : stops) {
    key_.append(reinterpret_cast<const char*>(&s.stop), sizeof s.stop);
    key_.append(reinterpret_cast<const char*>(&s.distance), sizeof s.distance);
  }
  const auto [found, added] = routeIndex_.try_emplace(key_, static_cast<std::uint32_t>(routes_.size()));
  if (added) {
    Route r;
    r.line = named->second;
    r.direction = direction;
    r.variant = ++lineRoutes_[r.line];
    r.stopsAt = routeStops_.size();
    r.stopCount = stops.size();
    for (const IvuTripStop& s : stops) routeStops_.push_back({s.stop, s.distance});
    routes_.push_back(r);
  }
  return found->second;
}

void IvuStandardTrips::TimesOf(std::uint32_t s, std::vector<int>& times) const {
  times.resize(2 * routes_[standards_[s].route].stopCount);
  TimeReader reader(times_.At(standards_[s].times));
  for (size_t k = 0; k < times.size(); k += 2) reader.Next(times[k], times[k + 1]);
}

void IvuStandardTrips::PatternOf(const std::vector<int>& times, std::vector<int>& pattern) {
  const size_t n = times.size() / 2;
  pattern.resize(times.size());
  const int first = IvuMinutes(times[1]);
  const auto offset = [first](int hhmm) {
    const int m = IvuMinutes(hhmm);
    return (m < first ? m + 1440 : m) - first;
  };
  for (size_t k = 0; k < n; ++k) {
    const int arrival = k == 0 ? 0 : offset(times[2 * k]);
    pattern[2 * k] = arrival;
    pattern[2 * k + 1] = k + 1 == n ? arrival : k == 0 ? 0 : offset(times[2 * k + 1]);
  }
}

std::uint64_t IvuStandardTrips::HashOf(std::uint32_t route, const std::vector<int>& pattern) {
  std::uint64_t h = (route + 1ULL) * 0x9E3779B97F4A7C15ULL;
  for (const int v : pattern) h = (h ^ static_cast<std::uint32_t>(v)) * 0x100000001B3ULL;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ULL;
  return h ^ (h >> 32);
}

size_t IvuStandardTrips::SlotOf(std::uint32_t route, std::uint64_t hash) {
  const size_t mask = slots_.size() - 1;
  for (size_t k = hash & mask;; k = (k + 1) & mask) {
    const std::uint32_t slot = slots_[k];
    if (slot == 0) return k;
    if (standards_[slot - 1].route != route) continue;
    TimesOf(slot - 1, otherTimes_);
    PatternOf(otherTimes_, otherPattern_);
    if (otherPattern_ == pattern_) return k;
  }
}

void IvuStandardTrips::Grow() {
  slots_.assign(std::max<size_t>(64, slots_.size() * 2), 0);
  const size_t mask = slots_.size() - 1;
  for (std::uint32_t s = 0; s < standards_.size(); ++s) {
    TimesOf(s, otherTimes_);
    PatternOf(otherTimes_, otherPattern_);
    size_t k = HashOf(standards_[s].route, otherPattern_) & mask;
    while (slots_[k] != 0) k = (k + 1) & mask;
    slots_[k] = s + 1;
  }
}

void IvuStandardTrips::Add(long id, const std::string& line, char direction, const std::vector<IvuTripStop>& stops,
                           std::string_view code) {
  const std::uint32_t route = RouteFor(line, direction, stops);
  tripTimes_.resize(2 * stops.size());
  for (size_t k = 0; k < stops.size(); ++k) {
    tripTimes_[2 * k] = stops[k].arrival;
    tripTimes_[2 * k + 1] = stops[k].departure;
  }
  PatternOf(tripTimes_, pattern_);
  if ((standards_.size() + 1) * 2 > slots_.size()) Grow();
  const size_t slot = SlotOf(route, HashOf(route, pattern_));
  if (slots_[slot] == 0) {
    piece_.clear();
    TimeWriter writer(piece_);
    for (size_t k = 0; k < tripTimes_.size(); k += 2) writer.Put(tripTimes_[k], tripTimes_[k + 1]);
    Standard made;
    made.times = times_.Put(piece_);
    made.route = route;
    standards_.push_back(made);
    slots_[slot] = static_cast<std::uint32_t>(standards_.size());
  }
  Standard& standard = standards_[slots_[slot] - 1];
  piece_.clear();
  PutNumber(piece_, code.size());
  piece_.append(code);
  PutNumber(piece_, Zigzag(id));
  Trip trip;
  trip.code = codes_.Put(piece_);
  trip.departure = stops.front().departure;
  trip.arrival = stops.back().arrival;
  trip.before = standard.last;
  standard.last = static_cast<std::uint32_t>(trips_.size());
  trips_.push_back(trip);
}

std::vector<std::string> IvuStandardTrips::Finish() {
  std::vector<std::uint32_t> byCode(lines_.size()), rank(lines_.size());
  std::iota(byCode.begin(), byCode.end(), 0);
  std::sort(byCode.begin(), byCode.end(), [this](std::uint32_t a, std::uint32_t b) { return lines_[a] < lines_[b]; });
  std::vector<std::string> lines;
  for (size_t k = 0; k < byCode.size(); ++k) {
    rank[byCode[k]] = static_cast<std::uint32_t>(k);
    lines.push_back(lines_[byCode[k]]);
  }
  // The routes in file order, each followed by its standard trips in order of making.
  std::vector<std::uint32_t> routeOrder(routes_.size());
  std::iota(routeOrder.begin(), routeOrder.end(), 0);
  std::sort(routeOrder.begin(), routeOrder.end(), [this, &rank](std::uint32_t a, std::uint32_t b) {
    const Route &x = routes_[a], &y = routes_[b];
    return rank[x.line] != rank[y.line] ? rank[x.line] < rank[y.line] : x.variant < y.variant;
  });
  std::vector<size_t> next(routes_.size(), 0);
  for (const Standard& s : standards_) ++next[s.route];
  size_t at = 0;
  for (const std::uint32_t r : routeOrder) {
    const size_t count = next[r];
    routes_[r].firstAt = next[r] = at;
    at += count;
  }
  order_.assign(standards_.size(), 0);
  for (std::uint32_t s = 0; s < standards_.size(); ++s) order_[next[standards_[s].route]++] = s;
  // What only the folding needed goes.
  lineIndex_ = {};
  routeIndex_ = {};
  slots_ = {};
  tripTimes_ = {};
  key_ = {};
  piece_ = {};
  pattern_ = {};
  otherTimes_ = {};
  otherPattern_ = {};
  return lines;
}

void IvuStandardTrips::StopsOf(size_t k, std::vector<IvuTripStop>& stops) const {
  const Standard& s = standards_[order_[k]];
  const Route& r = routes_[s.route];
  stops.resize(r.stopCount);
  TimeReader reader(times_.At(s.times));
  for (size_t n = 0; n < r.stopCount; ++n) {
    const RouteStop& at = routeStops_[r.stopsAt + n];
    stops[n].stop = at.stop;
    stops[n].distance = at.distance;
    reader.Next(stops[n].arrival, stops[n].departure);
  }
}

long IvuStandardTrips::IdOf(std::uint32_t t) const {
  const char* p = codes_.At(trips_[t].code);
  p += NumberAt(p);
  return static_cast<long>(Unzigzag(NumberAt(p)));
}

size_t IvuStandardTrips::TripOf(long id) const {
  size_t from = 0, to = trips_.size();
  while (from < to) {
    const size_t middle = from + (to - from) / 2;
    const long at = IdOf(static_cast<std::uint32_t>(middle));
    if (at == id) return middle;
    if (at < id)
      from = middle + 1;
    else
      to = middle;
  }
  return SIZE_MAX;
}

void IvuStandardTrips::TripsOf(size_t k, std::vector<IvuExportTrip>& trips) const {
  size_t n = 0;
  for (std::uint32_t t = standards_[order_[k]].last; t != kNone; t = trips_[t].before) ++n;
  trips.resize(n);
  // The links lead from the last trip back to the first.
  for (std::uint32_t t = standards_[order_[k]].last; t != kNone; t = trips_[t].before) {
    IvuExportTrip& out = trips[--n];
    const char* p = codes_.At(trips_[t].code);
    const auto length = static_cast<size_t>(NumberAt(p));
    out.code.assign(p, length);
    p += length;
    out.id = static_cast<long>(Unzigzag(NumberAt(p)));
    out.departure = trips_[t].departure;
    out.arrival = trips_[t].arrival;
    out.daySet = trips_[t].daySet;
  }
}

IvuStandardTrip IvuStandardTrips::operator[](size_t k) const {
  IvuStandardTrip t;
  t.line = Line(k);
  t.direction = Direction(k);
  StopsOf(k, t.stops);
  TripsOf(k, t.trips);
  t.variant = Variant(k);
  t.ordinal = Ordinal(k);
  return t;
}

}  // namespace ivu
