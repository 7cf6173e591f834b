// The HyperPlan route shapefile ("@@ NAME" before each file; the first file's name is the one
// chosen) converted into an RT_ITIN set, which the shapefile reader must read back whole.
#include "FuzzSupport.h"
#include "conversions/hyperplan/RouteConversion.h"
#include "conversions/shapefiles/ShapeSetReader.h"

#include <cstdio>

QUENDO_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string out = fuzz::ScratchPath("RT_ITIN.SHP");
  const std::vector<fuzz::SetFile> files = fuzz::SplitSet(fuzz::Bytes(data, size));
  if (files.empty()) return 0;
  const std::string folder = fuzz::WriteSet(files);
  const RouteReading reading = ReadRouteSet(folder + "/" + files.front().name, nullptr);
  if (!reading.ok) {
    fuzz::Require(!reading.Failure().empty(), "a route set refused without its message");
  } else if (!reading.lines.empty()) {
    const RouteWriting writing = WriteRouteSet(out, reading.lines, 17, ClockTime{2024, 3, 1, 8, 0, 0});
    fuzz::Require(writing.ok, "the RT_ITIN set cannot be written");
    ShapeSetReader back;
    const bool opened = back.Open(out);
    if (!opened || back.Count() != writing.records)
      std::fprintf(stderr, "%d lines, %d records written, %d read back: %s\n", static_cast<int>(reading.lines.size()),
                   writing.records, back.Count(), back.Fault().c_str());
    fuzz::Require(opened && back.Count() == writing.records, "the RT_ITIN set written does not read back");
    for (int i = 0; i < back.Count(); ++i) {
      ShapeRecord shape;
      std::string_view record;
      fuzz::Require(back.Shape(i, shape) && back.Record(i, record), "a record written does not read back");
    }
  }
  fuzz::TakeNotices();
  return 0;
}
