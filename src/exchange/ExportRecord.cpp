#include "exchange/ExportRecord.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "db/StoredValueRefusal.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

// "00" to "99", the two digits of each number below 100.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

}  // namespace

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
  misfit_ = Misfit{};
  textCut_ = false;
}

void ExportRecord::Put(const FieldDef& field, char c) {
  record_[static_cast<size_t>(field.offset)] = c;
  for (int k = 1; k < field.width; ++k) record_[static_cast<size_t>(field.offset + k)] = ' ';
}

void ExportRecord::Char(const FieldDef& field, char c, char32_t lost) {
  if (lost != 0)
    RefuseText(MisfitKind::Lost, field, std::string_view(&c, 1), 0, lost);
  else if (IsControlByte(c))
    RefuseText(MisfitKind::Control, field, std::string_view(&c, 1), 0);
  else
    Put(field, c);
}

void ExportRecord::Blank(const FieldDef& field) {
  std::fill_n(&record_[static_cast<size_t>(field.offset)], field.width, ' ');
}

void ExportRecord::Refuse(MisfitKind kind, const FieldDef& field, std::string value, int position, char32_t lost) {
  Blank(field);
  if (HasMisfit()) return;  // the first one is the one told
  misfit_ = Misfit{kind, &field, std::move(value), position, lost};
}

void ExportRecord::RefuseText(MisfitKind kind, const FieldDef& field, std::string_view text, size_t at, char32_t lost) {
  Refuse(kind, field, std::string(kind == MisfitKind::Lost ? text : text.substr(at, 1)), static_cast<int>(at), lost);
}

// Writes `value` zero-padded into `width` characters from position `from` of the field.
void ExportRecord::Digits(const FieldDef& field, unsigned long long value, int from, int width) {
  char* first = &record_[static_cast<size_t>(field.offset + from)];
  char* p = first + width;
  // The fields hold at most nine digits: 32-bit arithmetic, cheaper than 64-bit, is enough.
  if (value <= 0xFFFFFFFFull) {
    auto small = static_cast<std::uint32_t>(value);
    while (p - first >= 2) {
      const std::uint32_t pair = small % 100 * 2;
      small /= 100;
      p -= 2;
      p[0] = kDigitPairs[pair];
      p[1] = kDigitPairs[pair + 1];
    }
    if (p > first) *--p = static_cast<char>('0' + small % 10);
    return;
  }
  while (p - first >= 2) {
    const auto pair = static_cast<size_t>(value % 100) * 2;
    value /= 100;
    p -= 2;
    p[0] = kDigitPairs[pair];
    p[1] = kDigitPairs[pair + 1];
  }
  if (p > first) *--p = static_cast<char>('0' + value % 10);
}

void ExportRecord::Number(const FieldDef& field, long long value) {
  if (!NumberFits(field, value)) {
    Refuse(MisfitKind::Number, field, std::to_string(value));
    return;
  }
  Digits(field, static_cast<unsigned long long>(value), 0, field.width);
}

void ExportRecord::Time(const FieldDef& field, long long hhmm) {
  if (!TimeFits(hhmm) || field.width != 4) {
    Refuse(MisfitKind::Time, field, std::to_string(hhmm));
    return;
  }
  Digits(field, static_cast<unsigned long long>(hhmm), 0, 4);
}

void ExportRecord::Text(const FieldDef& field, std::string_view text) {
  const size_t w = static_cast<size_t>(field.width);
  if (text.size() > w) {
    // Trailing blanks are no part of the value: only a longer value is cut.
    size_t n = text.size();
    while (n > w && text[n - 1] == ' ') --n;
    if (n > w) textCut_ = true;
    text = text.substr(0, w);
  }
  if (const size_t at = FindControlByte(text); at != std::string_view::npos) {
    RefuseText(MisfitKind::Control, field, text, at);
    return;
  }
  char* out = &record_[static_cast<size_t>(field.offset)];
  std::memcpy(out, text.data(), text.size());
  std::memset(out + text.size(), ' ', w - text.size());
}

ExportRecord::Misfit ExportRecord::TextMisfit(const FieldDef& field, std::string_view text, char32_t lost, int at) {
  if (lost != 0 && at >= 0 && static_cast<size_t>(at) < text.size())
    return Misfit{MisfitKind::Lost, &field, std::string(text), at, lost};
  if (const size_t c = FindControlByte(text); c != std::string_view::npos)
    return Misfit{MisfitKind::Control, &field, std::string(1, text[c]), static_cast<int>(c)};
  return {};
}

ExportRecord::Misfit ExportRecord::TimeMisfit(const FieldDef& field, long long hhmm) {
  if (TimeFits(hhmm)) return {};
  return Misfit{MisfitKind::Time, &field, std::to_string(hhmm)};
}

namespace {

// A value of another kind than its column's, in the words of the refusals.
std::string KindText(const char* name, const char* label, const std::string& value, const char* is,
                     const std::string& wanted) {
  DbSelect::ValueFault fault;
  fault.value = value;
  fault.is = is;
  fault.wanted = wanted;
  return DbSelect::FaultText(fault, name, label);
}

}  // namespace

std::string ExportRecord::FaultText(const DbSelect::ValueFault& fault, const FieldDef* field) {
  return DbSelect::FaultText(fault, field ? field->name : nullptr, field ? field->label : nullptr);
}

std::string ExportRecord::MisfitText(const Misfit& m) {
  const char* name = m.field->name;
  const char* label = m.field->label;
  switch (m.kind) {
    case MisfitKind::Number:
      return Format(
          "il campo %s (%s) vale %s, mentre il tracciato regionale vi ammette\n"
          "solo numeri di %d cifre al massimo, senza segno.",
          name, label, m.value.c_str(), m.field->width);
    case MisfitKind::Time:
      return Format(
          "il campo %s (%s) vale %s, che non è un orario del tracciato regionale\n"
          "(HHMM, con ore da 00 a 23 e minuti da 00 a 59, oppure 9999).",
          name, label, m.value.c_str());
    case MisfitKind::Date:
      if (m.value.empty())
        return Format("il campo %s (%s) è vuoto, mentre il tracciato regionale vi richiede una data.", name, label);
      return Format(
          "il campo %s (%s) vale %s, che non è una data del tracciato regionale\n"
          "(AAAAMMGG, con anni da 1601 a 2399).",
          name, label, m.value.c_str());
    case MisfitKind::Control:
      return Format(
          "il campo %s (%s) contiene il carattere di controllo 0x%02X in posizione %d del testo,\n"
          "mentre il tracciato regionale ammette nei testi solo caratteri stampabili.",
          name, label, static_cast<unsigned>(static_cast<unsigned char>(m.value[0])), m.position + 1);
    case MisfitKind::Lost:
      if (m.lost == DbSelect::LostCharacter::kBytes)
        return KindText(name, label, m.value, "un dato binario", "un testo");
      if (m.lost == U'\uFFFD')
        return Format(
            "il campo %s (%s) contiene in posizione %d del testo dei byte che non formano un carattere,\n"
            "mentre il tracciato regionale ammette nei testi solo caratteri della codifica Windows-1252.",
            name, label, m.position + 1);
      return Format(
          "il campo %s (%s) contiene il carattere U+%04X in posizione %d del testo,\n"
          "mentre il tracciato regionale ammette nei testi solo caratteri della codifica Windows-1252.",
          name, label, static_cast<unsigned>(m.lost), m.position + 1);
    case MisfitKind::None: break;
  }
  return {};
}

void ExportRecord::DisplayDate(const FieldDef& field, std::string_view t) {
  if (t.size() != 10 || field.width != 8) {
    Refuse(MisfitKind::Date, field, std::string(t));
    return;
  }
  // dd/mm/yyyy -> yyyymmdd, character by character; then read back as the importers read it.
  const char ymd[8] = {t[6], t[7], t[8], t[9], t[3], t[4], t[0], t[1]};
  DateRecord date;
  if (!ParseExchangeDate(std::string_view(ymd, 8), date)) {
    Refuse(MisfitKind::Date, field, std::string(t));
    return;
  }
  std::copy_n(ymd, 8, &record_[static_cast<size_t>(field.offset)]);
}

void ExportRecord::Date(const FieldDef& field, int year, int month, int day) {
  const DateRecord d{year, month, day};
  DateRecord read;
  if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99 || field.width != 8) {
    Refuse(MisfitKind::Date, field, d.Format());
    return;
  }
  Digits(field, static_cast<unsigned long long>(year), 0, 4);
  Digits(field, static_cast<unsigned long long>(month), 4, 2);
  Digits(field, static_cast<unsigned long long>(day), 6, 2);
  if (!ParseExchangeDate(FieldBytes(record_, field), read)) Refuse(MisfitKind::Date, field, d.Format());
}

namespace {

std::string Refusal(const std::string& row, const std::string& fault) {
  return StoredValueRefusal(row, fault, Undone::Files);
}

}  // namespace

std::string RefuseValue(const std::string& row, const ExportRecord::Misfit& m) {
  if (m.kind == ExportRecord::MisfitKind::None) return {};
  return Refusal(row, ExportRecord::MisfitText(m));
}

std::string RefuseFault(const std::string& row, const DbSelect::ValueFault& fault, const FieldDef* field) {
  return Refusal(row, ExportRecord::FaultText(fault, field));
}

std::string RefuseText(const std::string& row, const FieldDef& field, std::string_view text, char32_t lost, int at) {
  return RefuseValue(row, ExportRecord::TextMisfit(field, text, lost, at));
}

namespace {

// The text at `position` read once into `text`, without its trailing blanks: the refusal when it
// cannot go into `field`, else empty.
std::string RefuseReadText(DbSelect& s, int position, const FieldDef& field, const std::function<std::string()>& row,
                           std::string& text) {
  DbSelect::LostCharacter lost;
  s.ReadTrimmedText(position, text, lost);
  const ExportRecord::Misfit misfit = ExportRecord::TextMisfit(field, text, lost.code, lost.at);
  return misfit.kind == ExportRecord::MisfitKind::None ? std::string() : RefuseValue(row(), misfit);
}

}  // namespace

std::string RefuseLostText(DbSelect& s, int first, std::span<const FieldDef* const> fields,
                           const std::function<std::string()>& row) {
  std::string text;
  for (size_t k = 0; k < fields.size(); ++k) {
    std::string refusal = RefuseReadText(s, first + static_cast<int>(k), *fields[k], row, text);
    if (!refusal.empty()) return refusal;
  }
  return {};
}

std::string RefuseLostText(DbSelect& s, int first, std::span<const FieldDef* const> fields,
                           const std::function<std::string()>& row, std::span<std::string> texts) {
  for (size_t k = 0; k < fields.size(); ++k) {
    std::string refusal = RefuseReadText(s, first + static_cast<int>(k), *fields[k], row, texts[k]);
    if (!refusal.empty()) return refusal;
  }
  return {};
}
