// The shapefile sets' writer and reader against plain stdio on the same bytes, in one run:
// 100,000 stops (RT_NODI) and 10,000 routes of 100 vertices (RT_ITIN), written as a whole set
// (three files put in place together) and read back (every record's geometry and every field).
// Each figure is the best of several rounds; the ratio is ours over stdio's.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DQUENDO_BENCH=ON
//   ninja -C build-bench bench_shapefile && build-bench/bench/bench_shapefile

#include "conversions/shapefiles/ShapeSetReader.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

#include <unistd.h>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

constexpr int kRounds = 5;
const ClockTime kToday{2024, 3, 1, 8, 0, 0};

double BestSeconds(const std::function<void()>& work) {
  double best = 1e9;
  for (int r = 0; r < kRounds; ++r) {
    const auto start = std::chrono::steady_clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

// The records' values, made once before any timing.
struct Values {
  std::vector<std::string> codes, names;
  std::vector<std::vector<Vertex>> lines;
  Values() {
    for (int k = 0; k < 100000; ++k) {
      codes.push_back("F" + std::to_string(k));
      names.push_back("Fermata numero " + std::to_string(k));
    }
    lines.resize(10000, std::vector<Vertex>(100));
    for (int k = 0; k < 10000; ++k)
      for (int v = 0; v < 100; ++v)
        lines[static_cast<std::size_t>(k)][static_cast<std::size_t>(v)] = {1600000.0 + k + v, 4800000.0 + v * 2.0 - k};
  }
};
const Values& TheValues() {
  static const Values values;
  return values;
}

void FillPoints(ShapeSetWriter& w) {
  const Values& v = TheValues();
  for (int k = 0; k < 100000; ++k)
    w.AddPoint(1600000 + k * 0.5, 4800000 + k * 0.25,
               {"36", v.codes[static_cast<std::size_t>(k)], v.names[static_cast<std::size_t>(k)]});
}

void FillLines(ShapeSetWriter& w) {
  const Values& v = TheValues();
  for (std::size_t k = 0; k < v.lines.size(); ++k) w.AddPolyline(v.lines[k], {"36", v.codes[k], v.names[k]});
}

// Writes the three byte strings with stdio; with sync, flushed to the disk as the writer does.
void PlainWrite(const std::string& base, const std::string (&bytes)[3], bool sync) {
  const char* ext[3] = {".SHP", ".SHX", ".DBF"};
  for (int k = 0; k < 3; ++k) {
    FILE* f = std::fopen((base + ext[k]).c_str(), "wb");
    std::fwrite(bytes[k].data(), 1, bytes[k].size(), f);
    std::fflush(f);
    if (sync) ::fsync(fileno(f));
    std::fclose(f);
  }
}

std::size_t PlainRead(const std::string& base) {
  const char* ext[3] = {".SHP", ".SHX", ".DBF"};
  std::size_t total = 0;
  std::string buffer;
  for (const char* e : ext) {
    FILE* f = std::fopen((base + e).c_str(), "rb");
    std::fseek(f, 0, SEEK_END);
    buffer.resize(static_cast<std::size_t>(std::ftell(f)));
    std::fseek(f, 0, SEEK_SET);
    total += std::fread(buffer.data(), 1, buffer.size(), f);
    std::fclose(f);
  }
  return total;
}

std::size_t ReadSet(const std::string& path) {
  ShapeSetReader reader;
  if (!reader.Open(path)) return 0;
  std::size_t seen = 0;
  ShapeRecord shape;
  std::string_view record;
  for (int i = 0; i < reader.Count(); ++i) {
    if (!reader.Shape(i, shape) || !reader.Record(i, record)) return 0;
    seen += shape.points.size() + (shape.point ? 1 : 0);
    for (const DbfField& f : reader.Fields()) seen += ShapeSetReader::Bytes(record, f).size();
  }
  return seen;
}

void Compare(const char* what, const ShapeLayout& layout, void (*fill)(ShapeSetWriter&)) {
  TheValues();
  QTemporaryDir dir;
  const std::string ours = dir.path().toStdString() + "/OURS", plain = dir.path().toStdString() + "/PLAIN";
  std::string failed;
  const double build = BestSeconds([&] {
    ShapeSetWriter w(layout);
    fill(w);
  });
  const double write = BestSeconds([&] {
    ShapeSetWriter w(layout);
    fill(w);
    w.WriteTo(ours, kToday, failed);
  });
  ShapeSetWriter w(layout);
  fill(w);
  const std::string bytes[3] = {w.MainBytes(), w.IndexBytes(), w.TableBytes(kToday)};
  const double fwrite = BestSeconds([&] { PlainWrite(plain, bytes, false); });
  const double fwriteSync = BestSeconds([&] { PlainWrite(plain, bytes, true); });
  std::size_t seen = 0;
  const double read = BestSeconds([&] { seen = ReadSet(ours + ".SHP"); });
  const double open = BestSeconds([&] {
    ShapeSetReader reader;
    reader.Open(ours + ".SHP");
  });
  const double fread = BestSeconds([&] { PlainRead(plain); });
  const double megabytes = static_cast<double>(bytes[0].size() + bytes[1].size() + bytes[2].size()) / 1e6;
  std::printf(
      "%s (%.1f MB): write %.1f ms (records gathered in %.1f ms), fwrite %.1f ms (ratio %.2f), "
      "fwrite+fsync %.1f ms (ratio %.2f)\n",
      what, megabytes, write * 1e3, build * 1e3, fwrite * 1e3, write / fwrite, fwriteSync * 1e3, write / fwriteSync);
  std::printf("%s: read %.1f ms (files loaded and headers checked in %.1f ms), fread %.1f ms (ratio %.2f)%s\n", what,
              read * 1e3, open * 1e3, fread * 1e3, read / fread, seen ? "" : " READ FAILED");
}

}  // namespace

int main() {
  Compare("100,000 points", StopsLayout(), FillPoints);
  Compare("10,000 polylines of 100 vertices", RoutesLayout(), FillLines);
  return 0;
}
