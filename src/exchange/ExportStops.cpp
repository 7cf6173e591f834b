#include "exchange/ExportStops.h"

#include "common/Cp1252.h"
#include "exchange/NormalStopsLayout.h"

#include <algorithm>
#include <functional>

namespace {

struct Line {
  NormalStopList::Text code, name, place;
  long istat;
  std::string_view locality;
};

bool SameText(NormalStopList::Text a, NormalStopList::Text b) { return a.null == b.null && a.text == b.text; }

std::uint64_t Hash(NormalStopList::Text t, std::uint64_t seed) {
  const std::uint64_t h = std::hash<std::string_view>{}(t.text) ^ (t.null ? 0x9E3779B97F4A7C15ull : 0);
  return (seed ^ h) * 0xFF51AFD7ED558CCDull + (seed >> 29);
}

}  // namespace

void NormalStopList::AddStop(Text code, Text name, Text place, int locality) {
  if (locality <= 0) return;
  const std::uint64_t hash =
      Hash(place, Hash(name, Hash(code, static_cast<std::uint64_t>(locality) * 0xC2B2AE3D27D4EB4Full)));
  if ((stops_.size() + 1) * 2 > slots_.size()) Grow();
  const size_t mask = slots_.size() - 1;
  for (size_t at = hash & mask;; at = (at + 1) & mask) {
    const std::uint32_t slot = slots_[at];
    if (slot == 0) {
      stops_.push_back(Stop{std::string(code.text), std::string(name.text), std::string(place.text), code.null,
                            place.null, locality, hash});
      slots_[at] = static_cast<std::uint32_t>(stops_.size());
      usedLocalities_.insert(locality);
      return;
    }
    const Stop& s = stops_[slot - 1];
    if (s.hash == hash && s.locality == locality && SameText({s.code, s.codeNull}, code) && s.name == name.text &&
        SameText({s.place, s.placeNull}, place))
      return;
  }
}

void NormalStopList::Grow() {
  slots_.assign(std::max<size_t>(1024, slots_.size() * 2), 0);
  const size_t mask = slots_.size() - 1;
  for (size_t k = 0; k < stops_.size(); ++k) {
    size_t at = stops_[k].hash & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = static_cast<std::uint32_t>(k + 1);
  }
}

void NormalStopList::AddLocality(int id, long istat, std::string_view name) {
  localities_[id] = Locality{istat, std::string(name)};
}

bool NormalStopList::Before(Text a, Text b) {
  if (a.null || b.null) return a.null && !b.null;
  const size_t n = std::min(a.text.size(), b.text.size());
  for (size_t k = 0; k < n; ++k) {
    const unsigned char x = static_cast<unsigned char>(a.text[k]), y = static_cast<unsigned char>(b.text[k]);
    if (x == y) continue;
    // Below 0x80 the byte is its own code point, and every other byte's code point is higher.
    if (x < 0x80 && y < 0x80) return x < y;
    return cp1252::ToUnicode(x) < cp1252::ToUnicode(y);
  }
  return a.text.size() < b.text.size();
}

std::vector<std::string> NormalStopList::Lines(int company) const {
  std::vector<Line> lines;
  lines.reserve(stops_.size());
  for (const Stop& s : stops_) {
    const auto found = localities_.find(s.locality);
    if (found == localities_.end()) continue;  // a locality that does not exist: no line
    lines.push_back(
        Line{{s.code, s.codeNull}, {s.name, false}, {s.place, s.placeNull}, found->second.istat, found->second.name});
  }
  const auto before = [](const Line& a, const Line& b) {
    for (const auto& [x, y] : {std::pair{a.name, b.name}, std::pair{a.place, b.place}, std::pair{a.code, b.code}}) {
      if (Before(x, y)) return true;
      if (Before(y, x)) return false;
    }
    if (a.istat != b.istat) return a.istat < b.istat;
    return Before({a.locality, false}, {b.locality, false});
  };
  std::sort(lines.begin(), lines.end(), before);
  // Two localities with the same ISTAT code and name make one line.
  const auto same = [](const Line& a, const Line& b) {
    return SameText(a.code, b.code) && SameText(a.name, b.name) && SameText(a.place, b.place) && a.istat == b.istat &&
           a.locality == b.locality;
  };
  lines.erase(std::unique(lines.begin(), lines.end(), same), lines.end());
  std::vector<std::string> out;
  out.reserve(lines.size());
  for (const Line& l : lines)
    out.push_back(FormatNormalStopLine(company, l.code.text, l.name.text, l.place.text, l.istat, l.locality));
  return out;
}
