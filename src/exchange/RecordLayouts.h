#pragma once
// The region's fixed-width exchange files: one record layout per file, the one statement of
// where each field stands and how it is written. The importers cut their fields with these
// tables and the exporters format their records with them.
//
// Every file is Windows-1252 text, one record a line, each line ending in CR LF; a record's
// length is counted in bytes without its line end.

#include <string>
#include <string_view>
#include <vector>

// How a field is encoded in the record.
enum class FieldKind {
  Number,    // decimal, right-aligned, zero-padded ("%04d", "%06ld", "%08ld")
  Text,      // left-aligned, blank-filled on the right ("%-10s")
  Date,      // YYYYMMDD, 8 characters ("%8s" of the rearranged DD/MM/YYYY)
  Time,      // HHMM, "9999" for no time ("%04d")
  Flag,      // one character, '1' yes, '0' no
  Char,      // one character as it stands (the direction 'A' / 'R')
  Reserved,  // fixed content, not carried by any table field
};

struct FieldDef {
  const char* name;  // the table field it carries; for a reserved field a description
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

// The bytes of a field in a record. The record must have the layout's length (the caller tests
// it first); a shorter one gives only the bytes that are there.
std::string_view FieldBytes(std::string_view record, const FieldDef& field);

// Formats one record (without line end) from the values of its fields, in layout order, reserved
// fields left out: numbers and times as decimal text, written zero-padded to the width as printf's
// "%0*ld" does; texts as they stand, blank-filled; dates as DD/MM/YYYY (an empty date gives 8
// blanks, YYYYMMDD is taken as it is); flags: '1' for "1", else '0'; characters: the first byte
// (a blank when empty). Fails, naming the field in `error`, when the count of values is wrong, a
// number is no number, or a value does not fit its width (the record would lose its layout).
bool FormatRecord(const RecordLayout& layout, const std::vector<std::string>& values, std::string& out,
                  std::string& error);
