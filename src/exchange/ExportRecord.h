#pragma once
// Writing one record of a regional exchange file from the values of the database. The record is
// laid out by the file's RecordLayout (the same tables the importers cut their fields with): it
// starts as the layout's empty record, reserved fields already in place, and each value is put
// into its field.
//
// A record keeps its length whatever the values: a value wider than its field is limited to it
// (a text is cut at the field's width; a number takes the largest value of the field's width,
// all nines, or the most negative one) and the record is marked, so that the export can tell
// the user how many records carry such a value.

#include "exchange/RecordLayouts.h"

#include <string>
#include <string_view>

class ExportRecord {
 public:
  explicit ExportRecord(const RecordLayout& layout);

  // The field of the layout by name; throws std::logic_error when the layout has none (a
  // programming fault, found by the first export of that file).
  const FieldDef& FieldOf(const char* name) const;

  // Back to the empty record: reserved fields filled, the other fields blank, no mark.
  void Reset();

  // Decimal, zero-padded to the width ("%0*ld"); a negative number keeps its sign in front.
  void Number(const FieldDef& field, long long value);
  // Left-aligned, blank-filled.
  void Text(const FieldDef& field, std::string_view text);
  // The database's display date "dd/mm/yyyy" rearranged into YYYYMMDD; an empty or malformed
  // text leaves the field blank.
  void DisplayDate(const FieldDef& field, std::string_view ddmmyyyy);
  // A date given as its numbers, "%04d%02d%02d".
  void Date(const FieldDef& field, int year, int month, int day);
  void Flag(const FieldDef& field, bool yes) { Put(field, yes ? '1' : '0'); }
  void Char(const FieldDef& field, char c) { Put(field, c); }

  // The record (the layout's length, no line end).
  std::string_view Text() const { return record_; }
  // True when some value of the record was wider than its field.
  bool OverWide() const { return overWide_; }

 private:
  void Put(const FieldDef& field, char c);
  void Digits(const FieldDef& field, unsigned long long value, int from);

  const RecordLayout& layout_;
  std::string empty_;
  std::string record_;
  bool overWide_ = false;
};
