// An IVU-InfoPool set ("@@ NAME" before each file) read and checked as the conversion does; a set
// read without faults is written as the region's six files, which the imports must then read
// without a fault of form (length, number, flag, control byte, company code): the conversion
// checks that every value fits the record layouts.
#include "FuzzSupport.h"
#include "conversions/ivu/IvuConversion.h"
#include "db/DbDatabase.h"
#include "exchange/ImportEngine.h"

#include <QDir>

QUENDO_FUZZ_INIT

namespace {

void ImportWritten(const std::string& folder) {
  static const fuzz::TemplateDatabase empty(fuzz::MakeTimetable);
  static const std::string dbPath = fuzz::ScratchPath("ivu.mdb");
  empty.Put(dbPath);
  DbDatabase db(dbPath);
  for (ImportKind kind : {ImportKind::Protocol, ImportKind::Cadences, ImportKind::Calendar, ImportKind::TripHeads,
                          ImportKind::TripDetails, ImportKind::Periods}) {
    const auto engine =
        ImportEngine::Create(kind, {&db, folder + "/" + DescriptorOf(kind).layout().fileName, false, nullptr});
    if (!engine->Check()) return;
    for (int flag : {ImportEngine::kLength, ImportEngine::kNumber, ImportEngine::kFlag, ImportEngine::kControl,
                     ImportEngine::kCompanyDigits}) {
      if (!engine->HasFlag(flag)) continue;
      for (const ImportError& e : engine->Errors()) std::fprintf(stderr, "%d: %s\n", e.line, e.text.c_str());
      fuzz::Require(false, "a file written by the conversion does not fit its layout");
    }
    if (engine->Blocking()) return;
    engine->Load();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::string out = fuzz::ScratchPath("rt");
  const std::string folder = fuzz::WriteSet(fuzz::SplitSet(fuzz::Bytes(data, size)));
  const ivu::IvuReading reading = ivu::ReadIvuSet(folder, nullptr);
  if (!reading.ok) {
    fuzz::Require(!reading.failedPath.empty(), "a set not read without the file that failed");
  } else if (reading.errors.Empty()) {
    ivu::IvuCompanyText(reading.set);
    QDir(QString::fromStdString(out)).removeRecursively();
    fuzz::Require(QDir().mkpath(QString::fromStdString(out)), "the output folder cannot be made");
    const ivu::IvuWriting writing = ivu::WriteIvuRtFiles(reading, 17, out, ClockTime{2024, 3, 1, 8, 0, 0}, nullptr);
    fuzz::Require(writing.ok || !writing.failedPath.empty(), "the six files not written without the file that failed");
    if (writing.ok) ImportWritten(out);
  }
  fuzz::TakeNotices();
  return 0;
}
