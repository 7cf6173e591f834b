// An IVU-InfoPool set ("@@ NAME" before each file) read and checked as the conversion does; a set
// read without faults is written as the region's six files.
#include "FuzzSupport.h"
#include "conversions/ivu/IvuConversion.h"

#include <QDir>

QUENDO_FUZZ_INIT

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string out = fuzz::ScratchPath("rt");
  const std::string folder = fuzz::WriteSet(fuzz::SplitSet(fuzz::Bytes(data, size)));
  const ivu::IvuReading reading = ivu::ReadIvuSet(folder, nullptr);
  if (!reading.opened) {
    fuzz::Require(!reading.failedPath.empty(), "a set not read without the file that failed");
  } else if (reading.errors.Empty()) {
    ivu::IvuCompanyText(reading.set);
    QDir(QString::fromStdString(out)).removeRecursively();
    fuzz::Require(QDir().mkpath(QString::fromStdString(out)), "the output folder cannot be made");
    const ivu::IvuWriting writing = ivu::WriteIvuRtFiles(reading, 17, out, ClockTime{2024, 3, 1, 8, 0, 0}, nullptr);
    fuzz::Require(writing.ok || !writing.failedPath.empty(), "the six files not written without the file that failed");
  }
  fuzz::TakeNotices();
  return 0;
}
