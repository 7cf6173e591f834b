#pragma once
// Texts shared by every operation: dates, counts, lengths in kilometres with a decimal comma,
// times of day and durations, and the parser of typed times. Each formatter returns its text
// by value, so one result is never overwritten by the next call.

#include <cstdint>
#include <string>
#include <string_view>

// A calendar date as three numbers; every date record of the lists begins with it.
struct DateRecord {
  std::int32_t year = 0;   // four digits
  std::int32_t month = 0;  // 1-12
  std::int32_t day = 0;    // 1-31

  // "%02d/%02d/%04d" of day, month, year.
  std::string Format() const;
};

// The count of a record (the stop number of a stop row) as "%d".
struct CountRecord {
  static std::string Format(std::int32_t count);
};

// printf into a string, of any length (texts of faults, messages and fields), in the C locale: a
// double keeps its point whatever the user's locale.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// A count of characters in words: "1 carattere", "40 caratteri".
std::string CharactersText(long count);

// Metres as kilometres "%1.3lf" with a decimal comma: 1234 gives "1,234".
std::string FormatMetresAsKm(std::int64_t metres);

// The text without its trailing blanks (an all-blank text gives the empty one).
inline std::string_view WithoutTrailingBlanks(std::string_view text) {
  return text.substr(0, text.find_last_not_of(' ') + 1);
}

// The text cut after its fifth character.
std::string ShortCode5(std::string_view text);

// Every '.' of the text turned into ','.
std::string DecimalComma(std::string text);

// A time of day HHMM as "%d:%02d" (835 gives "8:35", 9999 the terminus mark "99:99"); a
// negative time (the empty mark -1) gives the empty text.
std::string FormatTimeOfDay(int hhmm);

// A duration in minutes as "%dh %dm" from one hour on, else "%dm" (75 gives "1h 15m").
std::string FormatDuration(int minutes);

// The decimal value at the start of the text, read as the C library's atoi reads it: leading
// blanks, an optional sign, digits up to the first non-digit; 0 when no digit comes first. A
// value too large for an int is held at INT_MAX / INT_MIN.
int LeadingInt(std::string_view text);

// A typed time: the text up to its first blank, exactly "H.MM" or "HH.MM" with '.', ':', ',' or
// '-' as separator, hours 0 to 23 and minutes 0 to 59. On success `hhmm` is hours * 100 +
// minutes. Anything else, the empty text included, is refused.
bool ParseEntryTime(std::string_view text, int& hhmm);

// A typed time as HHMM: shorter than 4 characters gives 0; 4 characters are H.MM; 5 or more
// are HH.MM. The separator is not examined ("7.45" and "07:45" give 745).
int ParseTimeText(std::string_view text);
