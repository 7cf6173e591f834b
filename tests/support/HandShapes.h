#pragma once
// Shapefile sets laid out by hand, byte by byte, for tests that compare a written set with the
// expected one or feed a reader a record the common tools do not make (a part without points).

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct HandField {
  std::string name;
  char type;  // 'C' or 'N'
  int width;
};

struct HandLine {
  std::vector<std::vector<std::pair<double, double>>> parts;
  std::vector<std::string> values;  // one a field, padded with blanks to its width
};

namespace hand {

inline void Big(std::string& s, std::int32_t v) {
  for (int k = 3; k >= 0; --k) s.push_back(static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * k)) & 0xFF));
}
inline void Little(std::string& s, std::uint64_t v, int bytes) {
  for (int k = 0; k < bytes; ++k) s.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}
inline void Double(std::string& s, double d) {
  std::uint64_t v;
  static_assert(sizeof v == sizeof d);
  __builtin_memcpy(&v, &d, sizeof v);
  Little(s, v, 8);
}
// Damage to a set made whole: a 32-bit value ('B' big-endian, 'L' little-endian) or a little-endian
// double written over the bytes at `at`.
inline void Put(std::string& bytes, std::size_t at, std::int32_t value, char order) {
  std::string v;
  if (order == 'B')
    Big(v, value);
  else
    Little(v, static_cast<std::uint32_t>(value), 4);
  bytes.replace(at, 4, v);
}
inline void PutDouble(std::string& bytes, std::size_t at, double value) {
  std::string v;
  Double(v, value);
  bytes.replace(at, 8, v);
}

struct Box {
  double minX = 1.7976931348623157e308, minY = 1.7976931348623157e308;
  double maxX = -1.7976931348623157e308, maxY = -1.7976931348623157e308;
};

inline std::string MainHeader(std::int32_t words, const Box& b) {
  std::string s;
  Big(s, 9994);
  for (int k = 0; k < 5; ++k) Big(s, 0);
  Big(s, words);
  Little(s, 1000, 4);
  Little(s, 3, 4);
  for (double d : {b.minX, b.minY, b.maxX, b.maxY, 0.0, 0.0, 0.0, 0.0}) Double(s, d);
  return s;
}

}  // namespace hand

struct HandSet {
  std::string shp, shx, dbf;
};

// A polyline set with these fields and records; the .DBF dated year/month/day.
inline HandSet HandPolylineSet(const std::vector<HandField>& fields, const std::vector<HandLine>& lines, int year,
                               int month, int day) {
  std::string shp, shx, table;
  hand::Box file;
  std::int32_t shpWords = 50;
  int number = 0;
  int recordLength = 1;
  for (const HandField& f : fields) recordLength += f.width;
  for (const HandLine& line : lines) {
    hand::Box box;
    int points = 0;
    for (const auto& part : line.parts)
      for (const auto& [x, y] : part) {
        ++points;
        box.minX = std::min(box.minX, x), box.minY = std::min(box.minY, y);
        box.maxX = std::max(box.maxX, x), box.maxY = std::max(box.maxY, y);
      }
    const int parts = static_cast<int>(line.parts.size());
    const std::int32_t contentWords = (44 + 4 * parts + 16 * points) / 2;
    hand::Big(shx, shpWords);
    hand::Big(shx, contentWords);
    hand::Big(shp, ++number);
    hand::Big(shp, contentWords);
    hand::Little(shp, 3, 4);
    for (double d : {box.minX, box.minY, box.maxX, box.maxY}) hand::Double(shp, d);
    hand::Little(shp, static_cast<std::uint64_t>(parts), 4);
    hand::Little(shp, static_cast<std::uint64_t>(points), 4);
    int first = 0;
    for (const auto& part : line.parts) {
      hand::Little(shp, static_cast<std::uint64_t>(first), 4);
      first += static_cast<int>(part.size());
    }
    for (const auto& part : line.parts)
      for (const auto& [x, y] : part) hand::Double(shp, x), hand::Double(shp, y);
    shpWords += 4 + contentWords;
    file.minX = std::min(file.minX, box.minX), file.minY = std::min(file.minY, box.minY);
    file.maxX = std::max(file.maxX, box.maxX), file.maxY = std::max(file.maxY, box.maxY);
    table += ' ';
    for (std::size_t k = 0; k < fields.size(); ++k) {
      std::string v = k < line.values.size() ? line.values[k] : "";
      v.resize(static_cast<std::size_t>(fields[k].width), ' ');
      table += v;
    }
  }
  HandSet set;
  set.shp = hand::MainHeader(shpWords, file) + shp;
  set.shx = hand::MainHeader(50 + 4 * number, file) + shx;
  std::string head;
  head += '\x03';
  head += static_cast<char>(year - 1900), head += static_cast<char>(month), head += static_cast<char>(day);
  hand::Little(head, static_cast<std::uint64_t>(number), 4);
  hand::Little(head, 32 + 32 * fields.size() + 1, 2);
  hand::Little(head, static_cast<std::uint64_t>(recordLength), 2);
  head += std::string(20, '\0');
  for (const HandField& f : fields) {
    std::string name = f.name;
    name.resize(11, '\0');
    head += name;
    head += f.type;
    head += std::string(4, '\0');
    head += static_cast<char>(f.width);
    head += std::string(15, '\0');
  }
  head += '\x0D';
  set.dbf = head + table + '\x1A';
  return set;
}
