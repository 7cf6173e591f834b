#pragma once
// The fields of an IVU-InfoPool line: texts each followed by '#', trimmed of white space, and the
// rules by which the readers check and read them. Every rule refuses rather than guesses: a
// number or a time that a 32-bit value cannot hold, a field longer than any the files carry, a
// time with a stray character.

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace ivu {

// What ends every field of a line, the last one included.
constexpr char kIvuSeparator = '#';

// The longest field kept: no field of the files is longer than the 96 digits of a day set
// (255 accepted); a longer one refuses its line instead of being gathered.
constexpr size_t kMaxField = 1024;

// The fields of a line: each text up to a '#', trimmed. False (the line is refused) when a field
// is longer than kMaxField, or when anything but white space follows the last '#': a last field
// without its separator would otherwise be dropped unseen.
bool SplitFields(std::string_view line, std::vector<std::string_view>& fields);

// Leading and trailing blanks, tabs and other white space removed.
std::string_view TrimField(std::string_view field);

// A text of at most `width` characters.
inline bool TextFits(std::string_view field, size_t width) { return field.size() <= width; }

// "number n": at most `width` characters read whole as a decimal integer (an optional sign, then
// digits only); the empty field reads as 0. Refused when longer than `width`, when any byte is
// no digit ("NaN", "4x00": never the number of its leading digits) or when the value does not
// fit in 32 bits.
bool ReadIvuNumber(std::string_view field, size_t width, std::int32_t& value);

// A duration "minutes:seconds" in seconds; empty or blank is 0. Exactly one ':' and digits only,
// each part at most 15 digits, the total within 32 bits.
bool ParseIvuDuration(std::string_view text, std::int32_t& seconds);

// A time of day "hours.minutes:seconds" in seconds after midnight; empty or blank is 0. Exactly
// the two separators in that order and digits only, each part at most 15 digits, the total within
// 32 bits.
bool ParseIvuTimeOfDay(std::string_view text, std::int32_t& seconds);

// A date text of exactly ten characters (dd?mm?yyyy, any separators): day, month and year from
// their positions, each its leading digits (0 without any).
void SplitDateText(std::string_view text, int& day, int& month, int& year);

}  // namespace ivu

namespace ivu {

// A row of the files as the export writes it: each field followed by '#'. A '#' inside a text
// would end its field early and shift every later one, so it is written as a blank.
std::string JoinIvuFields(std::initializer_list<std::string_view> fields);

// A time of day HHMM as "hh.mm:00" (at least two digits of hours).
std::string FormatIvuTimeOfDay(int hhmm);

// A duration in minutes as "mm:00" (at least two digits).
std::string FormatIvuDuration(int minutes);

// A coordinate as a whole number, halves rounded away from zero (no "-0"; a value that is no
// finite number is written as 0).
std::string FormatIvuCoordinate(double value);

}  // namespace ivu
