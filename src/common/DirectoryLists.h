#pragma once
// Record lists of the directory reports (stops, localities, routes, lines) and of the
// verification of stop and route shapefiles against the timetable.

#include "common/DateList.h"
#include "common/RecordList.h"

#include <cstdint>
#include <string>
#include <string_view>

// ---- Stops by locality ---------------------------------------------------------------------

struct StopLocality {
  std::string a, b, c, d;
  std::int32_t flag = 1;
};

class StopLocalityList : public RecordList<StopLocality> {
 public:
  StopLocality* Append(std::string_view a, std::string_view b, std::string_view c, std::string_view d);
  // The first record whose first three texts equal a, b, c.
  StopLocality* Contains(std::string_view a, std::string_view b, std::string_view c);
};

// ---- Primary stops -------------------------------------------------------------------------

struct PrimaryStop {
  std::string code;
  std::string name;
  std::int32_t values[4] = {0, 0, 0, 0};
};

class PrimaryStopList : public RecordList<PrimaryStop> {
 public:
  PrimaryStop* Append(std::string_view code, std::string_view name);
  // The last record is tried first, then the list from the first.
  PrimaryStop* Find(std::string_view code, std::string_view name);
};

// ---- Localities and their groups -----------------------------------------------------------

struct LocalityGroup {
  std::string a, b, c, d, e;
};

class LocalityGroupList : public RecordList<LocalityGroup> {
 public:
  // Null when a record equals all five texts; otherwise appends a group record (a, b, "", "",
  // "") when no record has a and b yet, then (a, b, c, d, e), and returns the latter.
  LocalityGroup* AddOrFind(std::string_view a, std::string_view b, std::string_view c, std::string_view d,
                           std::string_view e);
};

// ---- Regional localities -------------------------------------------------------------------

struct RegionalLocality {
  std::int32_t value = 0;
  std::string code;
  std::string name;
  std::int32_t number = 0;
  std::int32_t flag = 1;
};

class RegionalLocalityList : public RecordList<RegionalLocality> {
 public:
  RegionalLocality* Append(std::int32_t value, std::string_view code, std::string_view name, std::int32_t number);
  RegionalLocality* Find(std::string_view code, std::int32_t number);
};

// ---- Routes by group -----------------------------------------------------------------------

struct RouteGroup {
  std::string code;
  std::int32_t group = 0;
  std::string name;
  std::int32_t flag = 1;
};

class RouteGroupList : public RecordList<RouteGroup> {
 public:
  RouteGroup* Append(std::string_view code, std::int32_t group, std::string_view name);
  RouteGroup* Contains(std::string_view code, std::int32_t group, std::string_view name);
};

// ---- Lines and directions ------------------------------------------------------------------

struct LineDirection {
  std::string code;
  char direction = 0;
  std::int32_t flag = 1;
};

class LineDirectionList : public RecordList<LineDirection> {
 public:
  LineDirection* Append(std::string_view code, char direction);
  LineDirection* Find(std::string_view code, char direction);
};

// ---- Stop details --------------------------------------------------------------------------

struct StopDetail {
  std::string a, b, c;
  std::int32_t number = 0;
  std::int32_t flag = 1;
};

class StopDetailList : public IdTable<StopDetail> {
 public:
  StopDetail* Append(std::string_view a, std::string_view b, std::string_view c, std::int32_t number);
  StopDetail* Contains(std::string_view a, std::string_view b, std::string_view c, std::int32_t number);
  // Index in the order b, c, a (bytes), then number; equal records keep their list order.
  void SortIndex();
};

// ---- Shapefile verification ----------------------------------------------------------------

struct ShapeMatch {
  std::string code;
  std::string name;
  std::int32_t matched = 0;
};

class ShapeMatchList : public RecordList<ShapeMatch> {
 public:
  ShapeMatch* Append(std::string_view code, std::string_view name) {
    return Emplace(ShapeMatch{std::string(code), std::string(name), 0});
  }
  // The first entry with the code; nameMatches then says whether its name equals name (left
  // as it was when no entry has the code).
  ShapeMatch* FindByCode(std::string_view code, std::string_view name, int& nameMatches);
  int NoneMatched() const;   // 1 when no entry has matched (also for an empty list)
  int AnyUnmatched() const;  // 1 when some entry has not matched (0 for an empty list)
};

struct ShapeCheck {
  ShapeMatchList matches;
  TextList first;
  TextList second;
  void Clear() {
    matches.Clear();
    first.Clear();
    second.Clear();
  }
};

struct ShapeNameLists {
  TextList first;
  TextList second;
  void Clear() {
    first.Clear();
    second.Clear();
  }
};
