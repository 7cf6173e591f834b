#include "exchange/RecordLayouts.h"

#include "db/FieldValue.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using K = FieldKind;

RecordLayout Make(const char* fileName, const char* defaultName, std::vector<FieldDef> fields) {
  int length = 0;
  for (const FieldDef& f : fields) length = f.offset + f.width;
  return RecordLayout{fileName, defaultName, length, std::move(fields)};
}

}  // namespace

const RecordLayout& ProtocolLayout() {
  static const RecordLayout layout = Make("RT_PROTO.TXT", "RT_PROTO",
                                          {{"azienda", "codice azienda", 0, 4, K::Code},
                                           {"p_data", "data di invio", 4, 8, K::Date},
                                           {"protoc", "numero di protocollo", 12, 6, K::Code},
                                           {"datini", "data di inizio periodo", 18, 8, K::Date},
                                           {"datfin", "data di fine periodo", 26, 8, K::Date},
                                           {"resple", "responsabile", 34, 40, K::Text}});
  return layout;
}

const RecordLayout& CadenceLayout() {
  static const RecordLayout layout = Make("RT_CADEN.TXT", "RT_CADEN",
                                          {{"azienda", "codice azienda", 0, 4, K::Code},
                                           {"codice", "codice cadenza", 4, 10, K::Text},
                                           {"denom", "denominazione cadenza", 14, 60, K::Text}});
  return layout;
}

const RecordLayout& CalendarLayout() {
  static const RecordLayout layout = Make("RT_CALEN.TXT", "RT_CALEN",
                                          {{"azienda", "codice azienda", 0, 4, K::Code},
                                           {"data", "data", 4, 8, K::Date},
                                           {"note", "annotazioni", 12, 20, K::Text},
                                           {"caden", "codice cadenza", 32, 10, K::Text}});
  return layout;
}

const RecordLayout& TripHeadLayout() {
  static const RecordLayout layout = Make("RT_HDORA.TXT", "RT_HDORA",
                                          {{"azienda", "codice azienda", 0, 4, K::Code},
                                           {"id", "ID corsa", 4, 6, K::Number},
                                           {"codcorsa", "codice corsa", 10, 20, K::Text},
                                           {"riservato", "riservato", 30, 10, K::Reserved, "          "},
                                           {"ente", "codice ente", 40, 4, K::Code},
                                           {"contratt", "codice contratto", 44, 4, K::Code},
                                           {"lung", "lunghezza", 48, 8, K::Number},
                                           {"tempo", "tempo", 56, 4, K::Number},
                                           {"ct_lung", "lunghezza contrattuale", 60, 8, K::Number},
                                           {"ct_tempo", "tempo contrattuale", 68, 4, K::Number},
                                           {"codlinea", "codice linea", 72, 10, K::Text},
                                           {"verso", "verso", 82, 1, K::Char},
                                           {"codperc", "codice percorso", 83, 20, K::Text},
                                           {"riservato", "riservato", 103, 6, K::Reserved, "000000"},
                                           {"denom", "descrittore", 109, 120, K::Text}});
  return layout;
}

const RecordLayout& TripDetailLayout() {
  static const RecordLayout layout =
      Make("RT_DTORA.TXT", "RT_DTORA",
           {{"azienda", "codice azienda", 0, 4, K::Code},
            {"id", "ID corsa", 4, 6, K::Number},
            {"sub", "progressivo della fermata", 10, 4, K::Number},
            {"fermata", "codice fermata", 14, 10, K::Text},
            {"fermata regionale", "fermata regionale", 24, 16, K::Reserved, "000000          "},
            {"denom", "denominazione fermata", 40, 40, K::Text},
            {"ubicaz", "ubicazione fermata", 80, 40, K::Text},
            {"dist", "progressiva", 120, 8, K::Number},
            {"arriva", "orario di arrivo", 128, 4, K::Time},
            {"parte", "orario di partenza", 132, 4, K::Time},
            {"primaria", "fermata principale", 136, 1, K::Flag},
            {"facolt", "fermata facoltativa", 137, 1, K::Flag},
            {"nonferma", "transito senza fermata", 138, 1, K::Flag}});
  return layout;
}

const RecordLayout& PeriodLayout() {
  static const RecordLayout layout = Make("RT_PERIOD.TXT", "RT_PERIOD",
                                          {{"azienda", "codice azienda", 0, 4, K::Code},
                                           {"id", "ID corsa", 4, 6, K::Number},
                                           {"caden", "codice cadenza", 10, 10, K::Text},
                                           {"inizio", "data di inizio", 20, 8, K::Date},
                                           {"fine", "data di fine", 28, 8, K::Date},
                                           {"escluso", "periodo escluso", 36, 1, K::Flag}});
  return layout;
}

const RecordLayout& ChainLayout() {
  static const RecordLayout layout = Make("RT_CHAIN.TXT", "RT_CHAIN",
                                          {{"azienda", "codice azienda", 0, 4, K::Code},
                                           {"id", "ID corsa", 4, 6, K::Number},
                                           {"nextcor", "ID corsa successiva", 10, 6, K::Number}});
  return layout;
}

const FieldDef* RecordLayout::Field(std::string_view name) const {
  for (const FieldDef& f : fields)
    if (f.kind != FieldKind::Reserved && name == f.name) return &f;
  return nullptr;
}

int RecordLayout::ValueCount() const {
  int n = 0;
  for (const FieldDef& f : fields)
    if (f.kind != FieldKind::Reserved) ++n;
  return n;
}

std::string_view FieldBytes(std::string_view record, const FieldDef& field) {
  const size_t offset = static_cast<size_t>(field.offset);
  if (offset >= record.size()) return {};
  return record.substr(offset, static_cast<size_t>(field.width));
}

// ---- What a field can hold ----------------------------------------------------------------------

bool AllDigits(std::string_view field) {
  if (field.empty()) return false;
  for (char c : field)
    if (c < '0' || c > '9') return false;
  return true;
}

bool ReadNumber(const FieldDef& field, std::string_view bytes, long& value) {
  value = 0;
  size_t k = 0;
  if (field.kind == FieldKind::Number)
    while (k < bytes.size() && bytes[k] == ' ') ++k;
  // No field is wider than nine digits: the value fits a long.
  if (bytes.size() - k > 9 || !AllDigits(bytes.substr(k))) return false;
  if (field.kind == FieldKind::Code && bytes.size() != static_cast<size_t>(field.width)) return false;
  long v = 0;
  for (; k < bytes.size(); ++k) v = v * 10 + (bytes[k] - '0');
  value = v;
  return true;
}

bool ReadFlag(std::string_view bytes, bool& yes) {
  yes = bytes == "1";
  return yes || bytes == "0";
}

bool DateFits(int year, int month, int day) {
  // The dates outside the years kept are stored as the clamp texts ("00/00/0000", "99/99/9999"),
  // not as themselves.
  return IsKeptDate(year, month, day);
}

bool ParseExchangeDate(std::string_view field, DateRecord& out) {
  if (field.size() != 8 || !AllDigits(field)) return false;
  const auto num = [&](size_t from, size_t count) {
    int v = 0;
    for (size_t k = from; k < from + count; ++k) v = v * 10 + (field[k] - '0');
    return v;
  };
  const int y = num(0, 4), m = num(4, 2), d = num(6, 2);
  if (!DateFits(y, m, d)) return false;
  out = DateRecord{y, m, d};
  return true;
}

bool IsValidExchangeTime(std::string_view field) {
  return field.size() == 4 && AllDigits(field) &&
         TimeFits((field[0] - '0') * 1000 + (field[1] - '0') * 100 + (field[2] - '0') * 10 + (field[3] - '0'));
}

namespace {

// A number, code or time given as decimal text: its digits, by the rules of its field.
bool FormatNumber(const FieldDef& f, const std::string& value, std::string& out) {
  if (value.empty() || value.size() > 18 || !AllDigits(value)) return false;
  const long long n = std::stoll(value);
  if (!NumberFits(f, n) || (f.kind == FieldKind::Time && !TimeFits(n))) return false;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", f.width, n);
  out += buf;
  return true;
}

bool FormatDate(const std::string& value, std::string& out) {
  std::string ymd = value;
  if (value.size() == 10)  // DD/MM/YYYY rearranged character by character
    ymd = value.substr(6, 4) + value.substr(3, 2) + value.substr(0, 2);
  DateRecord date;
  if (!ParseExchangeDate(ymd, date)) return false;
  out += ymd;
  return true;
}

}  // namespace

bool FormatRecord(const RecordLayout& layout, const std::vector<std::string>& values, std::string& out,
                  std::string& error) {
  out.clear();
  if (static_cast<int>(values.size()) != layout.ValueCount()) {
    error = std::string(layout.fileName) + ": numero di valori errato";
    return false;
  }
  size_t next = 0;
  for (const FieldDef& f : layout.fields) {
    bool ok = true;
    if (f.kind == FieldKind::Reserved) {
      out += f.fill;
      continue;
    }
    const std::string& v = values[next++];
    switch (f.kind) {
      case FieldKind::Number:
      case FieldKind::Code:
      case FieldKind::Time: ok = FormatNumber(f, v, out); break;
      case FieldKind::Text:
        ok = v.size() <= static_cast<size_t>(f.width) && FindControlByte(v) == std::string_view::npos;
        if (ok) {
          out += v;
          out.append(static_cast<size_t>(f.width) - v.size(), ' ');
        }
        break;
      case FieldKind::Date: ok = FormatDate(v, out); break;
      case FieldKind::Flag:
        ok = v == "1" || v == "0";
        out += v;
        break;
      case FieldKind::Char:
        ok = v.size() <= 1 && (v.empty() || !IsControlByte(v[0]));
        out.push_back(v.empty() ? ' ' : v[0]);
        break;
      case FieldKind::Reserved: break;
    }
    if (!ok) {
      error = std::string(layout.fileName) + ": il valore \"" + v + "\" non entra nel campo " + f.name;
      return false;
    }
  }
  return true;
}
