// The settings file as the program reads it at start-up: its three values, each read whole. A
// value read is written back and must read back the same.
#include "FuzzSupport.h"
#include "platform/Settings.h"

#include <cstdlib>

QUENDO_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string path = [] {
    const std::string p = fuzz::ScratchPath("quendo.ini");
    setenv(settings::kEnvironmentVariable, p.c_str(), 1);
    return p;
  }();
  fuzz::WriteWhole(path, fuzz::Bytes(data, size));
  for (const char* name : {settings::kDatabase, settings::kDirectory, settings::kExportsUnderWay}) {
    std::string value;
    if (settings::Read(name, value) != settings::ReadResult::Read) continue;
    fuzz::Require(value.size() < 2048, "a value longer than the program keeps");
    if (!settings::Write(name, value)) continue;
    std::string again;
    fuzz::Require(settings::Read(name, again) == settings::ReadResult::Read && again == value,
                  "a value written does not read back the same");
  }
  fuzz::TakeNotices();
  return 0;
}
