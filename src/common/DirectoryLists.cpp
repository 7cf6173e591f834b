#include "common/DirectoryLists.h"

#include <algorithm>
#include <tuple>

StopLocality* StopLocalityList::Append(std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
  return Emplace(StopLocality{std::string(a), std::string(b), std::string(c), std::string(d), 1});
}

StopLocality* StopLocalityList::Contains(std::string_view a, std::string_view b, std::string_view c) {
  return FindIf([&](const StopLocality& r) { return r.a == a && r.b == b && r.c == c; });
}

PrimaryStop* PrimaryStopList::Append(std::string_view code, std::string_view name) {
  return Emplace(PrimaryStop{std::string(code), std::string(name), {0, 0, 0, 0}});
}

PrimaryStop* PrimaryStopList::Find(std::string_view code, std::string_view name) {
  PrimaryStop* last = Last();
  if (last && last->code == code && last->name == name) return last;
  return FindIf([&](const PrimaryStop& r) { return r.code == code && r.name == name; });
}

LocalityGroup* LocalityGroupList::AddOrFind(std::string_view a, std::string_view b, std::string_view c,
                                            std::string_view d, std::string_view e) {
  bool groupExists = false;
  for (const LocalityGroup& r : items_) {
    if (r.a == a && r.b == b) groupExists = true;
    if (r.a == a && r.b == b && r.c == c && r.d == d && r.e == e) return nullptr;
  }
  if (!groupExists) Emplace(LocalityGroup{std::string(a), std::string(b), {}, {}, {}});
  return Emplace(LocalityGroup{std::string(a), std::string(b), std::string(c), std::string(d), std::string(e)});
}

RegionalLocality* RegionalLocalityList::Append(std::int32_t value, std::string_view code, std::string_view name,
                                               std::int32_t number) {
  return Emplace(RegionalLocality{value, std::string(code), std::string(name), number, 1});
}

RegionalLocality* RegionalLocalityList::Find(std::string_view code, std::int32_t number) {
  return FindIf([&](const RegionalLocality& r) { return r.code == code && r.number == number; });
}

RouteGroup* RouteGroupList::Append(std::string_view code, std::int32_t group, std::string_view name) {
  return Emplace(RouteGroup{std::string(code), group, std::string(name), 1});
}

RouteGroup* RouteGroupList::Contains(std::string_view code, std::int32_t group, std::string_view name) {
  return FindIf([&](const RouteGroup& r) { return r.code == code && r.group == group && r.name == name; });
}

LineDirection* LineDirectionList::Append(std::string_view code, char direction) {
  return Emplace(LineDirection{std::string(code), direction, 1});
}

LineDirection* LineDirectionList::Find(std::string_view code, char direction) {
  return FindIf([&](const LineDirection& r) { return r.code == code && r.direction == direction; });
}

StopDetail* StopDetailList::Append(std::string_view a, std::string_view b, std::string_view c, std::int32_t number) {
  return Emplace(StopDetail{std::string(a), std::string(b), std::string(c), number, 1});
}

StopDetail* StopDetailList::Contains(std::string_view a, std::string_view b, std::string_view c, std::int32_t number) {
  return FindIf([&](const StopDetail& r) { return r.a == a && r.b == b && r.c == c && r.number == number; });
}

void StopDetailList::SortIndex() {
  // std::string compares its bytes as unsigned characters.
  BuildIndex([](const StopDetail& x, const StopDetail& y) {
    return std::tie(x.b, x.c, x.a, x.number) < std::tie(y.b, y.c, y.a, y.number);
  });
}

ShapeMatch* ShapeMatchList::FindByCode(std::string_view code, std::string_view name, int& nameMatches) {
  ShapeMatch* found = FindIf([&](const ShapeMatch& m) { return m.code == code; });
  if (found) nameMatches = found->name == name ? 1 : 0;
  return found;
}

int ShapeMatchList::NoneMatched() const {
  return FindIf([](const ShapeMatch& m) { return m.matched == 1; }) ? 0 : 1;
}

int ShapeMatchList::AnyUnmatched() const {
  return FindIf([](const ShapeMatch& m) { return m.matched == 0; }) ? 1 : 0;
}
