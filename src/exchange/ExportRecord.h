#pragma once
// Writing one record of a regional exchange file from the values of the database. The record is
// laid out by the file's RecordLayout (the same tables the importers cut their fields with): it
// starts as the layout's empty record, reserved fields already in place, and each value is put
// into its field.
//
// A record keeps its length whatever the values, and never carries a value its reader would take
// as another one or refuse: what a field can hold is the layout's rule (RecordLayouts.h), the one
// the importers read with. A number or a time that its field cannot show as it is (negative,
// more digits than the width, no time of day), a date the layout cannot carry, or a text or a
// character holding a control byte (a line end, a file end, a NUL, a tab ...) is not written: the
// field stays blank and the record remembers it as its misfit, so that the export can refuse to
// write the file, naming the record. A text is the one value that may be adjusted: cut at the
// field's width; the record is marked, so that the export can tell the user.

#include "db/DbSelect.h"
#include "exchange/RecordLayouts.h"

#include <functional>
#include <span>
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

  // Decimal, zero-padded to the width ("%0*ld"): 0 to the largest number of the width's digits
  // (NumberFits).
  void Number(const FieldDef& field, long long value);
  // A time of day HHMM, "%04d": hours 00-23 and minutes 00-59, or 9999 for no time.
  void Time(const FieldDef& field, long long hhmm);
  // Left-aligned, blank-filled; trailing blanks beyond the width are no part of the value. A
  // control byte anywhere in the text is a misfit.
  void Text(const FieldDef& field, std::string_view text);
  // A text read from the database that lost a character on the way (`lost`: the character that
  // Windows-1252 lacks, shown as '?' at offset `at` of the text; 0: none): a misfit when the '?'
  // would be written, otherwise as above.
  // Inline: the exports write three such texts for every stop row.
  void Text(const FieldDef& field, std::string_view text, char32_t lost, int at) {
    // Only a '?' that reaches the record counts: a text longer than its field is cut.
    if (lost != 0 && at >= 0 && static_cast<size_t>(at) < text.size() && at < field.width)
      RefuseText(MisfitKind::Lost, field, text, static_cast<size_t>(at), lost);
    else
      Text(field, text);
  }
  // The database's display date "dd/mm/yyyy" rearranged into YYYYMMDD. It must be a real date
  // of the years 100 to 9999, as the readers of the layout take it; an empty text is a misfit too.
  void DisplayDate(const FieldDef& field, std::string_view ddmmyyyy);
  // A date given as its numbers, "%04d%02d%02d", by the same rule.
  void Date(const FieldDef& field, int year, int month, int day);
  void Flag(const FieldDef& field, bool yes) { Put(field, yes ? '1' : '0'); }
  // One character as it stands; a control byte is a misfit, and so is a character that the
  // text it comes from lost (`lost`, as for Text).
  void Char(const FieldDef& field, char c, char32_t lost = 0);

  const RecordLayout& Layout() const { return layout_; }

  // The record (the layout's length, no line end).
  std::string_view Text() const { return record_; }

  // The first value of the record that its field could not carry.
  enum class MisfitKind { None, Number, Time, Date, Control, Lost };
  struct Misfit {
    MisfitKind kind = MisfitKind::None;
    const FieldDef* field = nullptr;
    // As the database gave it: the number, or the date's display text; for a control byte, the
    // byte alone.
    std::string value;
    int position = 0;   // of a control byte or a lost character, in the text (from 0; said from 1)
    char32_t lost = 0;  // the character that Windows-1252 lacks (U+FFFD: bytes that are no UTF-8)
  };
  bool HasMisfit() const { return misfit_.kind != MisfitKind::None; }
  const Misfit& GetMisfit() const { return misfit_; }

  // True when a text of the record was longer than its field and was cut.
  bool TextCut() const { return textCut_; }

  // What is wrong with a misfit, in the words of the exports' refusals: "il campo <name>
  // (<label>) ..." and the rule of the regional layout.
  static std::string MisfitText(const Misfit& misfit);
  // What is wrong with a value that its column cannot hold as its kind (DbSelect::Fault): "il
  // campo <name> (<label>) vale <value>, che è <what it is> e non <what the column holds> ...".
  // `field` names it; none: the column's name alone.
  static std::string FaultText(const DbSelect::ValueFault& fault, const FieldDef* field);
  // The misfit of a text written in a file of this program's other text formats (the rule of
  // Text above, no width): a control byte, or a character that `lost` says was lost; kind None
  // when the text can be written.
  static Misfit TextMisfit(const FieldDef& field, std::string_view text, char32_t lost, int at);
  // The misfit of a time of day by the rule of Time above; kind None when it is one.
  static Misfit TimeMisfit(const FieldDef& field, long long hhmm);

 private:
  void Put(const FieldDef& field, char c);
  void Blank(const FieldDef& field);
  void Digits(const FieldDef& field, unsigned long long value, int from, int width);
  void Refuse(MisfitKind kind, const FieldDef& field, std::string value, int position = 0, char32_t lost = 0);
  // The refusal of a text for its lost character (the whole text told) or its control byte at
  // `at` (the byte alone told); out of the writers' way.
  [[gnu::cold, gnu::noinline]] void RefuseText(MisfitKind kind, const FieldDef& field, std::string_view text, size_t at,
                                               char32_t lost = 0);

  const RecordLayout& layout_;
  std::string empty_;
  std::string record_;
  Misfit misfit_;
  bool textCut_ = false;
};

// The refusal of a value that a file of the program cannot carry: "ATTENZIONE: <row>:", what is
// wrong with it in the words of the regional export, and that nothing was written. Empty for a
// misfit of kind None.
std::string RefuseValue(const std::string& row, const ExportRecord::Misfit& misfit);

// The refusal of a value read that its column cannot hold as its kind (DbSelect::Fault), "ATTENZIONE:
// <row>:" as above; `field` (or none: the column's name alone) names it.
std::string RefuseFault(const std::string& row, const DbSelect::ValueFault& fault, const FieldDef* field);

// The refusal of a text that a file of the program cannot carry: "ATTENZIONE: <row>:", what is
// wrong with the text in the words of the regional export, and that nothing was written. Empty
// when the text can be written; `lost`/`at`: the character the text lost on its way from the
// database (0: none). The writers of the communication, of the Olvi files and of the contracts
// refuse with it.
std::string RefuseText(const std::string& row, const FieldDef& field, std::string_view text, char32_t lost, int at);

// The same for the texts at `first`, `first` + 1, ... of the row a selection stands on, each going
// into its field of `fields`: the refusal of the first that lost a character on its way from the
// database or holds a control byte, empty when each can be written. `row` names the row, made only
// for a refusal.
std::string RefuseLostText(DbSelect& s, int first, std::span<const FieldDef* const> fields,
                           const std::function<std::string()>& row);
// The same, handing back in `texts` (one for each field) the texts read, without their trailing
// blanks: each cell is read once.
std::string RefuseLostText(DbSelect& s, int first, std::span<const FieldDef* const> fields,
                           const std::function<std::string()>& row, std::span<std::string> texts);
