// The HyperPlan route shapefile ("@@ NAME" before each file; the first file's name is the one
// chosen) converted into an RT_ITIN set.
#include "FuzzSupport.h"
#include "conversions/hyperplan/RouteConversion.h"

QUENDO_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string out = fuzz::ScratchPath("RT_ITIN.SHP");
  const std::vector<fuzz::SetFile> files = fuzz::SplitSet(fuzz::Bytes(data, size));
  if (files.empty()) return 0;
  const std::string folder = fuzz::WriteSet(files);
  const RouteReading reading = ReadRouteSet(folder + "/" + files.front().name, nullptr);
  if (!reading.ok) {
    fuzz::Require(!reading.failure.empty(), "a route set refused without its message");
  } else if (!reading.lines.empty()) {
    WriteRouteSet(out, reading.lines, 17, ClockTime{2024, 3, 1, 8, 0, 0});
  }
  fuzz::TakeNotices();
  return 0;
}
