#pragma once
// The list of normalised stops, FERMATE_NORMALIZZATE.TXT: one line per distinct stop (code, name,
// location) and locality (ISTAT code, name) of the stop rows that point to a locality, in the
// order of stop name, location, code, ISTAT code and locality name. It is the result of
//
//   SELECT detcor.fermata, detcor.denom, detcor.ubicaz, local.istat, local.denom
//   FROM detcor, local WHERE detcor.reglocal > 0 AND detcor.reglocal = local.id
//   GROUP BY the five ORDER BY denom, ubicaz, fermata, istat, local.denom
//
// built from the stop rows as the export walks them anyway, rather than by that query, which
// has to read and sort every stop row once more. The texts compare as the database compares
// them: trailing blanks are no part of a text, an absent (null) text is a value of its own that
// comes before every text, and texts sort by their characters' code points.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class NormalStopList {
 public:
  // A text of a stop row: trailing blanks already cut, or absent.
  struct Text {
    std::string_view text;
    bool null = false;
  };

  // One stop row; a row whose locality is not above 0 is not listed.
  void AddStop(Text code, Text name, Text place, int locality);
  // One locality.
  void AddLocality(int id, long istat, std::string_view name);
  bool Empty() const { return stops_.empty(); }
  // Whether a stop of the list lies in the locality (whose name the file then carries).
  bool UsesLocality(int id) const { return usedLocalities_.count(id) != 0; }

  // The lines, without the header and without line ends: "%d\t%s\t%s\t%s\t%06ld\t%s" of the
  // company, code, name, location, ISTAT code and locality name; an absent text is empty.
  std::vector<std::string> Lines(int company) const;

  // Orders two texts as the database's ORDER BY does (texts without trailing blanks).
  static bool Before(Text a, Text b);

 private:
  // A distinct stop row: the export meets most of them many times, once per trip of its route.
  struct Stop {
    std::string code, name, place;  // the name is a required field: never null
    bool codeNull = false, placeNull = false;
    int locality = 0;
    std::uint64_t hash = 0;
  };
  struct Locality {
    long istat = 0;
    std::string name;
  };
  void Grow();

  std::vector<Stop> stops_;
  // Open addressing over stops_: each slot holds an index + 1, or 0 when free; a power of two.
  std::vector<std::uint32_t> slots_;
  std::unordered_map<int, Locality> localities_;
  std::unordered_set<int> usedLocalities_;
};
