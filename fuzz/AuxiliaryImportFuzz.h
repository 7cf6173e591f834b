#pragma once
// One auxiliary import (exchange/auxiliary) as its command runs it: the input written as the file,
// the engine on a copy of a template timetable, then its messages and count judged against what
// changed in the table it writes. A finding is a count that is not said or says more than changed,
// a change made when the import refused the file, a field changed that the import does not write,
// a row added or taken away, a value the file could not give (the target's own query).

#include "exchange/auxiliary/AuxiliaryImport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace fuzz {

struct AuxiliaryTarget {
  AuxiliaryImportResult (*engine)(const AuxiliaryImportOptions&) = nullptr;
  std::string fileName;
  void (*build)(const std::string& path) = nullptr;  // the template timetable
  std::string table, key;                            // the table the import writes and its key
  std::vector<std::string> fields;                   // the only fields it may change
  std::string countText;                             // the message of the count; "%d" stands for it
  int rowsPerLine = 0;                               // the most rows a line can change; 0: any row of the table
  std::string keptText;    // a refusal that may stand for the count, the changes made kept; none when empty
  std::string faultyRows;  // a COUNT(*) query of rows holding what the file could not give; "0" wanted
};

// The communication's hand-made timetable (tests/data/communication, all six files), its stop
// rows given localities and one trip chained, as the communication's tests make it.
void MakeCommunicationTimetable(const std::string& path);

int FuzzAuxiliaryImport(const AuxiliaryTarget& target, const std::uint8_t* data, std::size_t size);

}  // namespace fuzz

// A target for one auxiliary import: `target` is an expression giving its AuxiliaryTarget.
#define QUENDO_AUXILIARY_TARGET(target)                                               \
  QUENDO_FUZZ_INIT                                                                    \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    static const fuzz::AuxiliaryTarget chosen = target;                               \
    return fuzz::FuzzAuxiliaryImport(chosen, data, size);                             \
  }
