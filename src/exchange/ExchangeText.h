#pragma once
// Reading the region's fixed-width files: the lines of a file, and the helpers of the importers
// (trimmed texts, date keys, file names). What each field can hold is the record layouts' rule.

#include "common/Formatters.h"
#include "common/InputFile.h"
#include "exchange/RecordLayouts.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

class QFile;

// The lines of a file, each without its line end (CR LF or LF alone), read block by block: the
// file is never held whole, so that a file of millions of lines costs no more memory than one of
// ten. A last line without line end is a line; the end of the file after a line end is none, so
// an empty file has no line. A DOS end-of-file mark (Ctrl-Z, 0x1A) as the very last byte of the
// file is no part of it (files written by DOS programs end with one); anywhere else it is a byte
// of its line like any other, and the line's checks refuse it.
class ExchangeReader {
 public:
  // A line longer than this keeps only its first kMaxKept bytes in `text` (its true length is
  // still told): no record is that long, so the rest is not kept.
  static constexpr size_t kMaxKept = 64 * 1024;

  struct Line {
    std::string_view text;  // valid until the next call
    size_t length = 0;      // bytes of the line, line end excluded
  };

  ExchangeReader();
  ~ExchangeReader();
  ExchangeReader(const ExchangeReader&) = delete;
  ExchangeReader& operator=(const ExchangeReader&) = delete;

  // False when the file cannot be opened (`path` is Windows-1252), or is refused as held by no
  // regular file (NotARegularFile: a named pipe, a device, a socket; common/InputFile).
  bool Open(const std::string& path);
  bool NotARegularFile() const { return opening_ == InputOpening::NotARegularFile; }
  // The next line; false at the end of the file or when the file cannot be read (Failed()).
  bool Next(Line& line);
  bool Failed() const { return failed_; }
  // Back to the first line, for a second pass.
  bool Rewind();
  // A digest of every byte read since the file was opened or rewound: two passes that end with
  // the same digest read the same bytes.
  std::uint64_t Digest() const;

 private:
  bool Fill();
  void Mix(const char* bytes, size_t count);
  void Restart();

  std::unique_ptr<QFile> file_;
  std::unique_ptr<char[]> buffer_;
  size_t begin_ = 0, end_ = 0;  // the bytes of buffer_ not yet cut into lines
  bool atEnd_ = false;          // the file has no more bytes to give
  bool failed_ = false;
  InputOpening opening_ = InputOpening::Failed;
  char lastByte_ = 0;  // the last byte read from the file
  std::string kept_;   // the start of a line that runs over the end of the buffer
  // The digest: the words mixed so far, the bytes of an incomplete word, the bytes in all.
  std::uint64_t hash_ = 0, pending_ = 0;
  unsigned pendingBytes_ = 0;
  std::uint64_t total_ = 0;
};

// A date as yyyymmdd for comparisons.
inline int DateKey(const DateRecord& d) { return d.year * 10000 + d.month * 100 + d.day; }

// Trailing blanks cut (leading ones stay).
std::string_view TrimRight(std::string_view text);
// Trailing blanks cut, the first byte always kept: an all-blank field gives one blank.
std::string_view TrimRightKeepOne(std::string_view text);

// The path's folder: the part before its last separator ('/' or '\'); a path without one is
// returned whole.
std::string FolderOf(const std::string& path);

// The file `name` in `folder`, found without regard to letter case (files from other systems
// arrive as rt_hdora.txt as often as RT_HDORA.TXT). When the folder holds no such file, the
// exact name is returned, so that opening it fails with the expected path.
std::string FindFileNoCase(const std::string& folder, const std::string& name);

// The same search over a folder listed once: for a reader of many files in one folder (an IVU set
// of thousands), where listing the folder for each name would cost the square of their number.
// Files made in the folder after the listing are found only by their exact name.
class FolderFiles {
 public:
  explicit FolderFiles(std::string folder);
  // As FindFileNoCase (folder, name).
  std::string Find(const std::string& name) const;

 private:
  std::string folder_;
  std::unordered_set<std::string> entries_;                 // every entry, as named
  std::unordered_map<std::u16string, std::string> folded_;  // files: the first of each folded name
};
