#pragma once
// The standard trips of the IVU-InfoPool export, folded from the trips as they are read (in order
// of trip id) and kept as the writer needs them: each route (line, direction, stops and their
// distances) once; each standard trip as its route and the times of its first trip, a byte a stop
// as a rule; each trip as its code, id, departure, arrival and day set. A timetable whose trips
// each keep their own times thus holds little more than those times, and no trip's stops whole.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ivu {

struct IvuTripStop {
  long stop = 0;  // index into the stop list (equal to the stop's id)
  int distance = 0, arrival = 0, departure = 0;
};

struct IvuExportTrip {
  long id = 0;
  std::string code;
  int departure = 0, arrival = 0;
  long daySet = -1;
};

struct IvuStandardTrip {
  std::string line;
  char direction = ' ';
  std::vector<IvuTripStop> stops;
  std::vector<IvuExportTrip> trips;
  long variant = -1;
  int ordinal = 0;  // among the standard trips of its variant, from 1
};

// An HHMM time as minutes after midnight (the mark of no time, 9999, as 6039).
inline int IvuMinutes(int hhmm) { return hhmm / 100 * 60 + hhmm % 100; }

class IvuStandardTrips {
 public:
  // Folds the next trip (trip ids ascending) into the standard trip of its route and pattern of
  // times (each stop's arrival and departure as minutes after the first departure): the first one
  // made with them, or a new one. `stops` is not empty.
  void Add(long id, const std::string& line, char direction, const std::vector<IvuTripStop>& stops,
           std::string_view code);
  // The number of the trip of id `id` (SIZE_MAX when none was folded), and its day set.
  size_t TripOf(long id) const;
  void SetDaySet(size_t trip, long daySet) { trips_[trip].daySet = static_cast<std::int32_t>(daySet); }
  // Ends the folding: the standard trips put in file order (by line code, then variant, each
  // line's routes numbered in order of first appearance, then in order of making). Returns the
  // line codes in file order.
  std::vector<std::string> Finish();

  // The standard trips, once the folding has ended.
  size_t size() const { return order_.size(); }
  bool empty() const { return order_.empty(); }
  // Standard trip k in file order, made whole.
  IvuStandardTrip operator[](size_t k) const;

  // What a writer reads of standard trip k in file order, without making it whole.
  const std::string& Line(size_t k) const { return lines_[RouteOf(k).line]; }
  char Direction(size_t k) const { return RouteOf(k).direction; }
  long Variant(size_t k) const { return RouteOf(k).variant; }
  int Ordinal(size_t k) const { return static_cast<int>(k - RouteOf(k).firstAt + 1); }
  // Its stops with the times of its first trip.
  void StopsOf(size_t k, std::vector<IvuTripStop>& stops) const;
  // Its trips in order of id.
  void TripsOf(size_t k, std::vector<IvuExportTrip>& trips) const;

 private:
  // Bytes kept piece after piece in blocks that are never moved (a piece never spans two), so
  // that holding more never copies, nor holds twice for a moment, what is already held.
  class PackedBytes {
   public:
    // Keeps `piece`; returns where it is.
    std::uint64_t Put(std::string_view piece);
    const char* At(std::uint64_t where) const { return blocks_[where >> 32].get() + (where & 0xFFFFFFFFu); }

   private:
    static constexpr size_t kBlock = 1 << 18;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t used_ = 0, room_ = 0;  // of the last block
  };
  static constexpr std::uint32_t kNone = UINT32_MAX;
  struct Route {
    std::uint32_t line = 0;
    char direction = ' ';
    long variant = 0;
    size_t stopsAt = 0, stopCount = 0;  // in routeStops_
    size_t firstAt = 0;                 // where its standard trips begin in file order
  };
  struct RouteStop {
    long stop = 0;
    int distance = 0;
  };
  struct Standard {
    std::uint64_t times = 0;  // its first trip's times in times_
    std::uint32_t route = 0;
    std::uint32_t last = kNone;  // its last trip, which leads back to the others through Trip::before
  };
  struct Trip {
    std::uint64_t code = 0;  // in codes_: its length, the code, its id
    std::int32_t departure = 0, arrival = 0, daySet = -1;
    std::uint32_t before = kNone;  // the trip before it of its standard trip
  };

  long IdOf(std::uint32_t t) const;
  const Route& RouteOf(size_t k) const { return routes_[standards_[order_[k]].route]; }
  std::uint32_t RouteFor(const std::string& line, char direction, const std::vector<IvuTripStop>& stops);
  // The arrivals and departures of standard trip s, in turn, as stored.
  void TimesOf(std::uint32_t s, std::vector<int>& times) const;
  // The pattern of times of `times` (arrival and departure of each stop, in turn): the minutes
  // after the first departure.
  static void PatternOf(const std::vector<int>& times, std::vector<int>& pattern);
  static std::uint64_t HashOf(std::uint32_t route, const std::vector<int>& pattern);
  // The slot of the pattern `pattern_` of route `route`: the one holding its standard trip, or
  // the empty one where it goes.
  size_t SlotOf(std::uint32_t route, std::uint64_t hash);
  // Twice the slots, each standard trip placed again: at most half of them are ever taken.
  void Grow();

  std::vector<std::string> lines_;         // in order of first appearance
  std::vector<std::uint32_t> lineRoutes_;  // the routes of each line so far
  std::vector<Route> routes_;
  std::vector<RouteStop> routeStops_;
  std::deque<Standard> standards_;    // in order of making
  std::deque<Trip> trips_;            // in order of id
  PackedBytes codes_;                 // each trip's code, its length first, then its id
  PackedBytes times_;                 // each standard trip's times, a stop's in a byte or more
  std::vector<std::uint32_t> order_;  // the standard trips in file order

  // While folding: the lines and routes by their keys, the standard trips by hash (0: empty slot,
  // else the standard trip's number + 1), and the working buffers of one trip.
  std::unordered_map<std::string, std::uint32_t> lineIndex_, routeIndex_;
  std::vector<std::uint32_t> slots_;
  std::string key_, piece_;
  std::vector<int> tripTimes_, pattern_, otherTimes_, otherPattern_;
};

}  // namespace ivu
