#pragma once
// What every fuzz target shares: a scratch folder of its own, the input written there as the file
// (or the set of files) the reader expects, the notices of the engines collected instead of shown,
// and template databases built once and copied byte for byte before each input.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

// Makes the process's Qt Core application and installs the notice sink; called by every target's
// LLVMFuzzerInitialize (through QUENDO_FUZZ_INIT).
void Initialize(int* argc, char*** argv);

// A file of the process's scratch folder (removed at exit); ASCII, so also Windows-1252.
std::string ScratchPath(const std::string& name);

// The input as a string view.
inline std::string_view Bytes(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Writes `bytes` as the whole file at `path`; ends the process when it cannot (the fuzzing itself
// would be wrong, not the reader).
void WriteWhole(const std::string& path, std::string_view bytes);

// A set of files in one input: each file begins with a line "@@ NAME" (the name's letters,
// digits, '.', '_' and '-' only, at most 40 of them), its bytes run to the line end before the
// next such line (that LF parts the files and belongs to neither) or to the input's end. The
// files are written into a fresh folder, whose path is returned, with the names in input order
// (bytes before the first header are dropped; a file whose name is not allowed is left out).
struct SetFile {
  std::string name;
  std::string_view bytes;
};
std::vector<SetFile> SplitSet(std::string_view input);
std::string WriteSet(const std::vector<SetFile>& files);

// A database file made once by `build` at a path of its own, kept as bytes; Put writes those bytes
// at `path` (its journal files removed), so each input starts from the same database in the time
// of one file write.
class TemplateDatabase {
 public:
  explicit TemplateDatabase(const std::function<void(const std::string& path)>& build);
  void Put(const std::string& path) const;

 private:
  std::string bytes_;
};

// A database as the program creates it at start-up, with the master row of company 17 and the
// reporting period 01/01/2024-30/06/2024.
void MakeTimetable(const std::string& path);
// Runs SQL on a closed database file with the plain engine; ends the process on error.
void RunSql(const std::string& path, const std::string& sql);
// The test data folder of the sources (tests/data).
std::string TestData();

// The notices told since the last call, cleared (each has a text: an empty notice ends the run).
int TakeNotices();

// Ends the run with a message when `condition` does not hold: a reader's result that contradicts
// itself is a finding like a crash.
void Require(bool condition, const char* what);

}  // namespace fuzz

// Every target's initialisation.
#define QUENDO_FUZZ_INIT                                         \
  extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) { \
    fuzz::Initialize(argc, argv);                                \
    return 0;                                                    \
  }
