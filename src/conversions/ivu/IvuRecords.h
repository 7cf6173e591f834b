#pragma once
// The in-memory form of an IVU-InfoPool file set while it is converted: one record per line kind,
// kept in vectors in file order, the stops and the routes reached through an index sorted once
// (stable, so that of two records with one key the first in file order is found), and the
// readers that turn one line each into a record, refusing any line whose fields break their rules.

#include <array>
#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ivu {

struct IvuSupplier {
  std::string code;
};

struct IvuCompany {
  std::string name;      // field 3: shown in the company dialog
  std::string second;    // field 6
  std::string code;      // field 7: matched with the division of the routes
  std::string fourth;    // field 8
  std::string supplier;  // field 9: the first part of the stop key
};

struct IvuTransportMode {
  std::string code, name, description;
};

struct IvuVersion {
  std::int32_t number = 0;
  std::string description;
  std::string from, to;  // ten characters each, as read
};

struct IvuStop {
  std::int32_t id = 0;
  std::string supplier;
  std::string code;  // field 6
  std::string name;  // field 11
};

struct IvuServiceBits {
  std::int32_t id = 0;
  std::string days;  // hexadecimal digits, the first digit's high bit day 0
  // Whether day `i` of the version is a service day (false for any i outside the digits or
  // at a character that is no hexadecimal digit).
  bool IsDaySet(long i) const;
};

struct IvuDayType {
  std::int32_t number = 0;
  std::string shortName;
  std::string description;
};

struct IvuCalendarDay {
  int day = 0, month = 0, year = 0;
  std::string date;  // the ten characters as read
  std::bitset<256> marks;
  void SetDayType(int i) {
    if (i >= 0 && i <= 255) marks.set(static_cast<size_t>(i));
  }
  bool HasDayType(int i) const { return i >= 0 && i <= 255 && marks.test(static_cast<size_t>(i)); }
};

struct IvuRouteStop {
  std::int32_t position = -1;
  std::int32_t stopId = -1;
  std::int32_t distance = -1;
  std::int32_t modelCount = 0;
  std::vector<std::int32_t> run, dwell;  // seconds, per model; -1 not given
  const IvuStop* stop = nullptr;

  void Set(std::int32_t position, std::int32_t stopId, std::int32_t distance, std::int32_t models);
  void SetTimes(long i, std::int32_t running, std::int32_t dwelling);
  std::int32_t GetRunTime(long i) const;
  std::int32_t GetDwellTime(long i) const;
};

struct IvuCompany;

// The key of a route.
struct RouteKey {
  std::string_view line;
  std::int32_t version;
  std::string_view division;
  std::int32_t variant;
  std::string_view direction;
};

// What names a route, in a route's head and in the head of its block of trips.
struct IvuRouteName {
  std::string line;
  std::int32_t version = 0;
  std::string division;
  std::int32_t variant = 0;
  std::string direction;

  RouteKey Key() const { return RouteKey{line, version, division, variant, direction}; }
};

struct IvuRoute : IvuRouteName {
  std::int32_t stopCount = 0;   // N
  std::int32_t modelCount = 0;  // M
  std::string ninth;
  long long totalLength = -1;
  std::vector<long long> totalTimes;  // M, seconds
  std::vector<IvuRouteStop> stops;    // N slots
  std::int32_t filled = 0;            // slots filled by stop lines, from the first
  const IvuCompany* company = nullptr;

  IvuRouteStop* GetStop(long i) { return i >= 0 && i < static_cast<long>(stops.size()) ? &stops[size_t(i)] : nullptr; }
  const IvuRouteStop* GetStop(long i) const {
    return i >= 0 && i < static_cast<long>(stops.size()) ? &stops[size_t(i)] : nullptr;
  }
  void SetTotalTime(long i, long long seconds) {
    if (i >= 0 && i < static_cast<long>(totalTimes.size())) totalTimes[size_t(i)] = seconds;
  }
  long long GetTotalTime(long i) const {
    return i >= 0 && i < static_cast<long>(totalTimes.size()) ? totalTimes[size_t(i)] : 0;
  }
};

constexpr int kDayCodes = 32;

struct IvuTrip {
  std::int32_t firstPosition = -1;
  std::int32_t second = -1;
  std::int32_t departure = -1;  // seconds after midnight
  std::int32_t lastPosition = -1;
  std::int32_t fifth = -1;
  std::int32_t sixth = -1;
  std::string seventh;
  std::int32_t model = -1;
  std::string code;
  std::int32_t eleventh = 0, twelfth = 0;
  std::int32_t bitFieldId = -1;
  std::vector<std::string> dayCodes;  // at most kDayCodes, none empty
  const IvuRoute* route = nullptr;

  void AddDayCode(std::string_view text) {
    if (!text.empty() && dayCodes.size() < kDayCodes) dayCodes.emplace_back(text);
  }
  std::string GetDayCode(long i) const {
    return i >= 0 && i < static_cast<long>(dayCodes.size()) ? dayCodes[size_t(i)] : std::string();
  }
};

struct IvuTripBlock : IvuRouteName {
  std::int32_t tripCount = 0;  // K
  std::vector<IvuTrip> trips;  // the slots filled, in the order of their lines (at most K)
  const IvuTrip* GetTrip(long i) const {
    return i >= 0 && i < static_cast<long>(trips.size()) ? &trips[size_t(i)] : nullptr;
  }
};

// Every list of one file set.
struct IvuSet {
  std::vector<IvuSupplier> suppliers;
  std::vector<IvuCompany> companies;
  std::vector<IvuTransportMode> modes;
  std::vector<IvuVersion> versions;
  std::vector<IvuStop> stops;
  std::vector<IvuServiceBits> serviceBits;
  std::vector<IvuDayType> dayTypes;
  std::vector<IvuCalendarDay> calendar;
  std::vector<std::string> suffixes;  // of the LD and FD files, upper case, each once
  std::vector<IvuRoute> routes;
  std::vector<IvuTripBlock> blocks;
  bool bitFieldMode = true;

  // Indexes: built once after their lists are complete.
  void BuildStopIndex();
  void BuildRouteIndex();
  void BuildServiceBitsIndex();
  void BuildDayTypeIndex();
  // The first stop in file order of that key; null when none.
  const IvuStop* FindStop(std::string_view supplier, std::int32_t id) const;
  // The route of that key whose models include `model` (1 to M); null when none.
  const IvuRoute* FindRoute(const RouteKey& key, std::int32_t model) const;
  // The first day set in file order of that id; null when none.
  const IvuServiceBits* FindServiceBits(std::int32_t id) const;
  // The short name of the first day type in file order of that number; null when none.
  const std::string* FindShortName(std::int32_t number) const;

 private:
  std::vector<std::uint32_t> stopIndex_, routeIndex_;
  std::unordered_map<std::int32_t, std::uint32_t> bitsById_, dayTypeByNumber_;
};

// ---- Readers: one line (without its line end) each; true when its record was appended -------

bool ReadIvuSupplier(std::string_view line, IvuSet& set);
bool ReadIvuCompany(std::string_view line, IvuSet& set);
bool ReadIvuTransportMode(std::string_view line, IvuSet& set);
bool ReadIvuVersion(std::string_view line, IvuSet& set);
bool ReadIvuStop(std::string_view line, IvuSet& set);
bool ReadIvuServiceBits(std::string_view line, IvuSet& set);
bool ReadIvuDayType(std::string_view line, IvuSet& set);
bool ReadIvuCalendarDay(std::string_view line, IvuSet& set);
// Head lines: `expected` gets the number of body lines that follow (0 when refused).
bool ReadIvuRouteHead(std::string_view line, IvuSet& set, long& expected);
bool ReadIvuTripBlockHead(std::string_view line, IvuSet& set, long& expected);
// Body lines, on the last head read (refused when there is none or its slots are all taken).
bool ReadIvuRouteStop(std::string_view line, IvuRoute* route);
bool ReadIvuTrip(std::string_view line, IvuTripBlock* block);

// A dateien.asc line, upper case: keeps the suffix of an "LD...ASC" or "FD...ASC" line once.
void AddDataFile(std::string_view upperLine, std::vector<std::string>& suffixes);

}  // namespace ivu
