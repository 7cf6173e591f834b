#pragma once
// Reading the region's fixed-width files: the lines of a file, and the conversions of the
// importers (numbers, dates, times, flags, trimmed texts).

#include "common/Formatters.h"

#include <string>
#include <string_view>
#include <vector>

// The whole file and its lines, each without its line end (CR LF or LF alone). A last line
// without line end is a line; the end of the file after a line end is none, so an empty file
// has no line. The text ends at the first DOS end-of-file mark (Ctrl-Z, 0x1A), as files written
// by DOS programs end with one.
class ExchangeLines {
 public:
  // False when the file cannot be opened or read (`path` is Windows-1252).
  bool Load(const std::string& path);
  size_t Count() const { return lines_.size(); }
  std::string_view Line(size_t i) const { return lines_[i]; }

 private:
  std::string bytes_;
  std::vector<std::string_view> lines_;
};

// True when every byte is a decimal digit (and there is at least one).
bool AllDigits(std::string_view field);

// The number of a field by the C library's conversion: leading blanks, a sign, the digits up to
// the first other character; 0 when no digit comes first.
inline int FieldNumber(std::string_view field) { return LeadingInt(field); }

// A YYYYMMDD field: valid only when all 8 bytes are digits and make an existing date of the
// years 100 to 9999.
bool ParseExchangeDate(std::string_view field, DateRecord& out);
// A date as yyyymmdd for comparisons.
inline int DateKey(const DateRecord& d) { return d.year * 10000 + d.month * 100 + d.day; }

// A HHMM time field: "9999", or four digits with hours 00-23 and minutes 00-59.
bool IsValidExchangeTime(std::string_view field);

// Trailing blanks cut (leading ones stay).
std::string_view TrimRight(std::string_view text);
// Trailing blanks cut, the first byte always kept: an all-blank field gives one blank.
std::string_view TrimRightKeepOne(std::string_view text);

// The control characters (bytes below 0x20 and DEL) turned into blanks; every other byte, the
// accented letters of Windows-1252 included, stays.
std::string BlankControls(std::string_view text);
// A stop's name or location as stored: the control characters blanked, then the trailing blanks
// cut (those that were control characters too).
std::string BlankControlsTrimmed(std::string_view text);

// "1" for the byte '1', "0" for anything else.
inline const char* FlagText(char c) { return c == '1' ? "1" : "0"; }

// The path's folder: the part before its last separator ('/' or '\'); a path without one is
// returned whole.
std::string FolderOf(const std::string& path);

// The file `name` in `folder`, found without regard to letter case (files from other systems
// arrive as rt_hdora.txt as often as RT_HDORA.TXT). When the folder holds no such file, the
// exact name is returned, so that opening it fails with the expected path.
std::string FindFileNoCase(const std::string& folder, const std::string& name);
