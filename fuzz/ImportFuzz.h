#pragma once
// One regional file through its import, as the program runs it: pass 1 on the file, the blocking
// faults refuse it, the remediable ones are accepted, pass 2 stores the rows; then the error report
// ERRORI_VURTXT is made from the faults found. Each input starts from a timetable database that
// holds the hand-made files the import needs before it (its day types, its trips).

#include "exchange/ImportEngine.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace fuzz {

// A timetable at `path` (MakeTimetable) with the hand-made files of tests/data/<folder> stored, in
// the order of the whole import, up to the one of kind `before` (all six without it).
void MakeHandMadeTimetable(const std::string& path, std::optional<ImportKind> before = std::nullopt,
                           const std::string& folder = "exchange");

int FuzzImport(ImportKind kind, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz

// A target for one import: its whole source file is `QUENDO_IMPORT_TARGET(ImportKind::Periods)`.
#define QUENDO_IMPORT_TARGET(kind)                                                    \
  QUENDO_FUZZ_INIT                                                                    \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    return fuzz::FuzzImport(kind, data, size);                                        \
  }
