#include "exchange/RecordLayouts.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

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
                                          {{"azienda", 0, 4, K::Number},
                                           {"p_data", 4, 8, K::Date},
                                           {"protoc", 12, 6, K::Number},
                                           {"datini", 18, 8, K::Date},
                                           {"datfin", 26, 8, K::Date},
                                           {"resple", 34, 40, K::Text}});
  return layout;
}

const RecordLayout& CadenceLayout() {
  static const RecordLayout layout =
      Make("RT_CADEN.TXT", "RT_CADEN",
           {{"azienda", 0, 4, K::Number}, {"codice", 4, 10, K::Text}, {"denom", 14, 60, K::Text}});
  return layout;
}

const RecordLayout& CalendarLayout() {
  static const RecordLayout layout = Make(
      "RT_CALEN.TXT", "RT_CALEN",
      {{"azienda", 0, 4, K::Number}, {"data", 4, 8, K::Date}, {"note", 12, 20, K::Text}, {"caden", 32, 10, K::Text}});
  return layout;
}

const RecordLayout& TripHeadLayout() {
  static const RecordLayout layout = Make("RT_HDORA.TXT", "RT_HDORA",
                                          {{"azienda", 0, 4, K::Number},
                                           {"id", 4, 6, K::Number},
                                           {"codcorsa", 10, 20, K::Text},
                                           {"riservato", 30, 10, K::Reserved, "          "},
                                           {"ente", 40, 4, K::Number},
                                           {"contratt", 44, 4, K::Number},
                                           {"lung", 48, 8, K::Number},
                                           {"tempo", 56, 4, K::Number},
                                           {"ct_lung", 60, 8, K::Number},
                                           {"ct_tempo", 68, 4, K::Number},
                                           {"codlinea", 72, 10, K::Text},
                                           {"verso", 82, 1, K::Char},
                                           {"codperc", 83, 20, K::Text},
                                           {"riservato", 103, 6, K::Reserved, "000000"},
                                           {"denom", 109, 120, K::Text}});
  return layout;
}

const RecordLayout& TripDetailLayout() {
  static const RecordLayout layout = Make("RT_DTORA.TXT", "RT_DTORA",
                                          {{"azienda", 0, 4, K::Number},
                                           {"id", 4, 6, K::Number},
                                           {"sub", 10, 4, K::Number},
                                           {"fermata", 14, 10, K::Text},
                                           {"fermata regionale", 24, 16, K::Reserved, "000000          "},
                                           {"denom", 40, 40, K::Text},
                                           {"ubicaz", 80, 40, K::Text},
                                           {"dist", 120, 8, K::Number},
                                           {"arriva", 128, 4, K::Time},
                                           {"parte", 132, 4, K::Time},
                                           {"primaria", 136, 1, K::Flag},
                                           {"facolt", 137, 1, K::Flag},
                                           {"nonferma", 138, 1, K::Flag}});
  return layout;
}

const RecordLayout& PeriodLayout() {
  static const RecordLayout layout = Make("RT_PERIOD.TXT", "RT_PERIOD",
                                          {{"azienda", 0, 4, K::Number},
                                           {"id", 4, 6, K::Number},
                                           {"caden", 10, 10, K::Text},
                                           {"inizio", 20, 8, K::Date},
                                           {"fine", 28, 8, K::Date},
                                           {"escluso", 36, 1, K::Flag}});
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

namespace {

bool FormatNumber(const std::string& value, int width, std::string& out) {
  if (value.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long long n = std::strtoll(value.c_str(), &end, 10);
  if (errno != 0 || end == value.c_str() || *end != '\0') return false;
  char buf[32];
  const int len = std::snprintf(buf, sizeof buf, "%0*lld", width, n);
  if (len != width) return false;
  out.append(buf, static_cast<size_t>(len));
  return true;
}

bool FormatDate(const std::string& value, std::string& out) {
  if (value.empty()) {
    out.append(8, ' ');
    return true;
  }
  if (value.size() == 8) {
    out += value;
    return true;
  }
  if (value.size() != 10) return false;
  // DD/MM/YYYY rearranged character by character.
  out += value.substr(6, 4);
  out += value.substr(3, 2);
  out += value.substr(0, 2);
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
      case FieldKind::Time: ok = FormatNumber(v, f.width, out); break;
      case FieldKind::Text:
        ok = v.size() <= static_cast<size_t>(f.width);
        if (ok) {
          out += v;
          out.append(static_cast<size_t>(f.width) - v.size(), ' ');
        }
        break;
      case FieldKind::Date: ok = FormatDate(v, out); break;
      case FieldKind::Flag: out.push_back(v == "1" ? '1' : '0'); break;
      case FieldKind::Char: out.push_back(v.empty() ? ' ' : v[0]); break;
      case FieldKind::Reserved: break;
    }
    if (!ok) {
      error = std::string(layout.fileName) + ": il valore \"" + v + "\" non entra nel campo " + f.name;
      return false;
    }
  }
  return true;
}
