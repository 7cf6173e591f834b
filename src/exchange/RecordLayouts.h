#pragma once
// The region's fixed-width exchange files: one record layout per file, the one statement of
// where each field stands, how it is written and which values it can hold. The importers cut
// their fields with these tables and read them by the rules below; the exporters format their
// records with the same tables and write only what those rules read back as the same value.
//
// Every file is Windows-1252 text, one record a line, each line ending in CR LF; a record's
// length is counted in bytes without its line end.

#include "common/ControlBytes.h"
#include "common/Formatters.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// How a field is encoded in the record.
enum class FieldKind {
  Number,    // a quantity: decimal, right-aligned, zero-padded ("%06ld", "%08ld")
  Code,      // a code of digits: exactly the field's width of them ("%04d")
  Text,      // left-aligned, blank-filled on the right ("%-10s")
  Date,      // YYYYMMDD, 8 characters ("%8s" of the rearranged DD/MM/YYYY)
  Time,      // HHMM, "9999" for no time ("%04d")
  Flag,      // one character, '1' yes, '0' no
  Char,      // one character as it stands (the direction 'A' / 'R')
  Reserved,  // fixed content, not carried by any table field
};

struct FieldDef {
  const char* name;   // the table field it carries; for a reserved field a description
  const char* label;  // what the user knows it by, in the faults of the imports and the refusals of the exports
  int offset;
  int width;
  FieldKind kind;
  const char* fill = "";  // the fixed content of a reserved field (exactly `width` characters)
};

struct RecordLayout {
  const char* fileName;     // "RT_PROTO.TXT"
  const char* defaultName;  // the name the file dialogs propose, "RT_PROTO"
  int length;               // record length in bytes, line end excluded
  std::vector<FieldDef> fields;

  // The field of that name; null when the layout has none.
  const FieldDef* Field(std::string_view name) const;
  // The number of fields that carry a value (all but the reserved ones).
  int ValueCount() const;
};

const RecordLayout& ProtocolLayout();    // RT_PROTO, 74
const RecordLayout& CadenceLayout();     // RT_CADEN, 74
const RecordLayout& CalendarLayout();    // RT_CALEN, 42
const RecordLayout& TripHeadLayout();    // RT_HDORA, 229
const RecordLayout& TripDetailLayout();  // RT_DTORA, 139
const RecordLayout& PeriodLayout();      // RT_PERIOD, 37
// RT_CHAIN, 16: which trip follows which (company, trip id, following trip id). Only read: the
// region sends it, nothing here writes it.
const RecordLayout& ChainLayout();

// The bytes of a field in a record. The record must have the layout's length (the caller tests
// it first); a shorter one gives only the bytes that are there.
std::string_view FieldBytes(std::string_view record, const FieldDef& field);

// ---- What a field can hold --------------------------------------------------------------------
// One rule per kind of field, for the reader and the writer alike: a value the importers accept,
// the exporters can write, and a value the exporters write, the importers read back as it was.

// True when every byte is a decimal digit (and there is at least one).
bool AllDigits(std::string_view field);

// The position of the first control byte of a text; npos when it has none. Inline, as the
// next two rules: the exports ask them for every value they write.
inline size_t FindControlByte(std::string_view text) {
  // Eight bytes at a time: a byte below n in a word x makes (x - n per byte) & ~x & 0x80 per
  // byte not zero (for n up to 0x80), and a zero byte of y does so for n = 1: DEL is the zero byte
  // of x ^ 0x7F per byte, a byte from 0x80 to 0x9F that of (x & 0xE0) ^ 0x80 per byte. A word that
  // may hold one is looked at byte by byte.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHigh = 0x8080808080808080ull;
  size_t k = 0;
  for (; k + 8 <= text.size(); k += 8) {
    std::uint64_t x;
    std::memcpy(&x, text.data() + k, 8);
    const std::uint64_t del = x ^ (0x7F * kOnes), c1 = (x & (0xE0 * kOnes)) ^ kHigh;
    if (!((((x - 0x20 * kOnes) & ~x) | ((del - kOnes) & ~del) | ((c1 - kOnes) & ~c1)) & kHigh)) continue;
    for (size_t j = k; j < k + 8; ++j)
      if (IsControlByte(text[j])) return j;
  }
  for (; k < text.size(); ++k)
    if (IsControlByte(text[k])) return k;
  return std::string_view::npos;
}

// The value of a Number or Code field as its bytes give it. A Code is exactly its width in digits;
// a Number is digits to the end of the field, after leading blanks if any (the right-aligned form
// of the same value). Neither holds a sign, nor anything after its digits; an empty or all-blank
// field is no number. False for anything else, `value` then 0.
bool ReadNumber(const FieldDef& field, std::string_view bytes, long& value);
// Whether a number can be written in its field: 0 up to the largest of its width in digits.
inline bool NumberFits(const FieldDef& field, long long value) {
  // 10 to the power of a width: the first number a field of that width cannot show.
  static constexpr auto kLimits = [] {
    std::array<unsigned long long, 19> limits{};
    unsigned long long limit = 1;
    for (unsigned long long& l : limits) {
      l = limit;
      limit *= 10;
    }
    return limits;
  }();
  return value >= 0 &&
         static_cast<unsigned long long>(value) < kLimits[static_cast<size_t>(std::clamp(field.width, 0, 18))];
}

// A flag's byte: '1' yes, '0' no; false for any other byte (a blank, 'S', '2' ...).
bool ReadFlag(std::string_view bytes, bool& yes);

// Whether the database keeps a date as it is: its display text gives it back (the years 1601 to
// 2399; a date outside them reads back as "00/00/0000" or "99/99/9999").
bool DateFits(int year, int month, int day);
// A YYYYMMDD field: valid only when all 8 bytes are digits and make an existing date that the
// database keeps (DateFits).
bool ParseExchangeDate(std::string_view field, DateRecord& out);

// Whether a time can be written: 9999 (no time), or hours 0-23 and minutes 0-59 as HHMM.
inline bool TimeFits(long long hhmm) { return hhmm == 9999 || (hhmm >= 0 && hhmm / 100 <= 23 && hhmm % 100 <= 59); }
// A HHMM field: four digits whose number fits (TimeFits).
bool IsValidExchangeTime(std::string_view field);

// Formats one record (without line end) from the values of its fields, in layout order, reserved
// fields left out, by the rules above: numbers, codes and times as decimal text, zero-padded to
// the width; texts as they stand, blank-filled; dates as DD/MM/YYYY (YYYYMMDD is taken as it is);
// flags "1" or "0"; characters: the first byte (a blank when empty). Fails, naming the field in
// `error`, when the count of values is wrong or a value is one its field cannot hold (a negative
// or too wide number, no time of day, no date the database keeps, another flag, a text too long
// or holding a control byte): the importers would refuse the record or read another value.
bool FormatRecord(const RecordLayout& layout, const std::vector<std::string>& values, std::string& out,
                  std::string& error);
