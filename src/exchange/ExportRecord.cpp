#include "exchange/ExportRecord.h"

#include <stdexcept>

ExportRecord::ExportRecord(const RecordLayout& layout) : layout_(layout) {
  empty_.assign(static_cast<size_t>(layout.length), ' ');
  for (const FieldDef& f : layout.fields)
    if (f.kind == FieldKind::Reserved)
      empty_.replace(static_cast<size_t>(f.offset), static_cast<size_t>(f.width), f.fill);
  record_ = empty_;
}

const FieldDef& ExportRecord::FieldOf(const char* name) const {
  const FieldDef* f = layout_.Field(name);
  if (!f) throw std::logic_error(std::string(layout_.fileName) + " has no field " + name);
  return *f;
}

void ExportRecord::Reset() {
  record_.assign(empty_);
  overWide_ = false;
}

void ExportRecord::Put(const FieldDef& field, char c) {
  record_[static_cast<size_t>(field.offset)] = c;
  for (int k = 1; k < field.width; ++k) record_[static_cast<size_t>(field.offset + k)] = ' ';
}

// Writes `value` zero-padded into the field from position `from` of the field to its end.
void ExportRecord::Digits(const FieldDef& field, unsigned long long value, int from) {
  char* first = &record_[static_cast<size_t>(field.offset + from)];
  char* p = &record_[static_cast<size_t>(field.offset + field.width)];
  while (p > first) {
    *--p = static_cast<char>('0' + value % 10);
    value /= 10;
  }
}

void ExportRecord::Number(const FieldDef& field, long long value) {
  const int w = field.width;
  if (value >= 0) {
    unsigned long long limit = 1;
    for (int k = 0; k < w && limit <= 1'000'000'000'000'000'000ULL; ++k) limit *= 10;
    unsigned long long v = static_cast<unsigned long long>(value);
    if (v >= limit) {
      v = limit - 1;
      overWide_ = true;
    }
    Digits(field, v, 0);
    return;
  }
  // printf's "%0*ld" of a negative number: the sign, then the digits zero-padded.
  unsigned long long limit = 1;
  for (int k = 0; k < w - 1 && limit <= 1'000'000'000'000'000'000ULL; ++k) limit *= 10;
  unsigned long long v = 0ULL - static_cast<unsigned long long>(value);
  if (w < 2 || v >= limit) {
    v = limit - 1;
    overWide_ = true;
  }
  if (w < 2) {  // no room for a sign: the smallest value the field can show
    Digits(field, 0, 0);
    return;
  }
  record_[static_cast<size_t>(field.offset)] = '-';
  Digits(field, v, 1);
}

void ExportRecord::Text(const FieldDef& field, std::string_view text) {
  const size_t w = static_cast<size_t>(field.width);
  if (text.size() > w) {
    // Trailing blanks are no part of the value: only a longer value is over-wide.
    size_t n = text.size();
    while (n > w && text[n - 1] == ' ') --n;
    if (n > w) overWide_ = true;
    text = text.substr(0, w);
  }
  char* out = &record_[static_cast<size_t>(field.offset)];
  text.copy(out, text.size());
  for (size_t k = text.size(); k < w; ++k) out[k] = ' ';
}

void ExportRecord::DisplayDate(const FieldDef& field, std::string_view t) {
  char* out = &record_[static_cast<size_t>(field.offset)];
  if (t.size() != 10 || field.width != 8) {
    for (int k = 0; k < field.width; ++k) out[k] = ' ';
    return;
  }
  // dd/mm/yyyy -> yyyymmdd, character by character.
  const char ymd[8] = {t[6], t[7], t[8], t[9], t[3], t[4], t[0], t[1]};
  for (int k = 0; k < 8; ++k) out[k] = ymd[k];
}

void ExportRecord::Date(const FieldDef& field, int year, int month, int day) {
  if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99 || field.width != 8) {
    overWide_ = true;
    DisplayDate(field, {});
    return;
  }
  const FieldDef y{field.name, field.offset, 4, FieldKind::Number};
  const FieldDef m{field.name, field.offset + 4, 2, FieldKind::Number};
  const FieldDef d{field.name, field.offset + 6, 2, FieldKind::Number};
  Digits(y, static_cast<unsigned long long>(year), 0);
  Digits(m, static_cast<unsigned long long>(month), 0);
  Digits(d, static_cast<unsigned long long>(day), 0);
}
