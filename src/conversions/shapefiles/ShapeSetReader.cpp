#include "conversions/shapefiles/ShapeSetReader.h"

#include "common/ByteOrder.h"
#include "common/Cp1252.h"
#include "common/Formatters.h"
#include "common/InputFile.h"
#include "common/Notices.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "exchange/RecordLayouts.h"

#include <QFile>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

constexpr std::int32_t kFileCode = 9994;
constexpr std::size_t kMainHeader = 100;
constexpr std::size_t kTableHeader = 32;
constexpr std::size_t kDescriptor = 32;
constexpr int kWarnedRecords = 5;         // multi-part records told one by one; the rest in one count
constexpr std::size_t kListedValues = 5;  // values that cannot be converted, named one by one

ConstBytes BytesOf(const QByteArray& a) {
  return ConstBytes(reinterpret_cast<const std::uint8_t*>(a.constData()), static_cast<std::size_t>(a.size()));
}

// Values at places already checked to lie inside the bytes: read straight from memory.
template <class T>
T Little(const std::uint8_t* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  if constexpr (std::endian::native == std::endian::big) {
    std::uint8_t* b = reinterpret_cast<std::uint8_t*>(&v);
    std::reverse(b, b + sizeof v);
  }
  return v;
}
std::int32_t Big32(const std::uint8_t* p) {
  return static_cast<std::int32_t>((std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
                                   (std::uint32_t{p[2]} << 8) | std::uint32_t{p[3]});
}

// The shape types a record may have; any other is not a shapefile's.
bool IsKnownType(int type) {
  switch (type) {
    case 0:
    case 1:
    case 3:
    case 5:
    case 8:
    case 11:
    case 13:
    case 15:
    case 18:
    case 21:
    case 23:
    case 25:
    case 28:
    case 31: return true;
    default: return false;
  }
}

std::string Coordinate(double v) { return Format("%g", v); }

// A .CPG that names UTF-8 ("UTF-8", "UTF8", "65001", in any case), as the tools that write one
// leave it: blanks and line ends around the name, and a byte-order mark before it (Notepad's).
bool NamesUtf8(QByteArray text) {
  if (text.startsWith("\xEF\xBB\xBF")) text.remove(0, 3);
  const QByteArray t = text.trimmed().toUpper();
  return t == "UTF-8" || t == "UTF8" || t == "65001";
}

}  // namespace

bool ShapeSetReader::Fail(const std::string& path, const std::string& reason) {
  fault_ = "ATTENZIONE: lo Shape File indicato non può essere letto.\n\n" + path + "\n" + reason;
  return false;
}

bool ShapeSetReader::FailNotRegular(const std::string& path) {
  notRegular_ = true;
  return Fail(path, kNotARegularFileText);
}

bool ShapeSetReader::Load(const std::string& base, const char* ext, std::string& path, QByteArray& bytes) {
  path = FindCompanion(base, ext);
  if (path.empty()) return Fail(base + "." + ext, "Il file non esiste.");
  QFile file;
  switch (OpenInputFile(file, path)) {
    case InputOpening::Opened: break;
    case InputOpening::NotARegularFile: return FailNotRegular(path);
    case InputOpening::Failed: return Fail(path, "Il file non può essere aperto.");
  }
  bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return Fail(path, "Il file non può essere letto.");
  return true;
}

bool ShapeSetReader::Open(const std::string& path, std::string& failure) {
  if (Open(path)) return true;
  failure = fault_;
  return false;
}

bool ShapeSetReader::Open(const std::string& path, Outcome& outcome, const ShapeSetNeeds& needs) {
  if (!Open(path)) return FailInto(outcome);
  bool fits = needs.shapeType == 0 || shapeType_ == needs.shapeType;
  for (const ShapeColumn& column : needs.columns) {
    needed_.push_back(FindField(column));
    fits = fits && needed_.back();
  }
  if (fits) return true;
  outcome.Fail(needs.refusal);
  return false;
}

bool ShapeSetReader::FailInto(Outcome& outcome) const {
  outcome.ok = false;
  if (!fault_.empty()) outcome.Fail(fault_);
  return false;
}

bool ShapeSetReader::Open(const std::string& path) {
  *this = ShapeSetReader{};
  const std::string base = ShapeBase(path);
  if (!Load(base, "SHP", shpPath_, shp_) || !Load(base, "SHX", shxPath_, shx_) || !Load(base, "DBF", dbfPath_, dbf_))
    return false;
  if (!ReadMainHeaders() || !ReadTable() || !CheckAgreement()) return false;
  const std::string cpg = FindCompanion(base, "CPG");
  if (!cpg.empty()) {
    QFile file;
    const InputOpening opening = OpenInputFile(file, cpg);
    if (opening == InputOpening::NotARegularFile) return FailNotRegular(cpg);
    if (opening == InputOpening::Opened) utf8_ = NamesUtf8(file.read(64));
  }
  return true;
}

bool ShapeSetReader::ReadMainHeaders() {
  std::int32_t code = 0;
  if (static_cast<std::size_t>(shp_.size()) < kMainHeader)
    return Fail(shpPath_, "L'intestazione del file è incompleta.");
  if (!ReadInt32(BytesOf(shp_), 0, 'B', code) || code != kFileCode)
    return Fail(shpPath_, "Il file non è uno Shape File (codice del file diverso da 9994).");
  std::int32_t type = 0;
  ReadInt32(BytesOf(shp_), 32, 'L', type);
  shapeType_ = type;

  if (static_cast<std::size_t>(shx_.size()) < kMainHeader)
    return Fail(shxPath_, "L'intestazione del file è incompleta.");
  if (!ReadInt32(BytesOf(shx_), 0, 'B', code) || code != kFileCode)
    return Fail(shxPath_, "Il file non è un indice di Shape File (codice del file diverso da 9994).");
  std::int32_t indexType = 0;
  ReadInt32(BytesOf(shx_), 32, 'L', indexType);
  if (indexType != shapeType_)
    return Fail(shxPath_, "Il tipo di geometria dell'indice (" + std::to_string(indexType) +
                              ") è diverso da quello dello Shape File (" + std::to_string(shapeType_) + ").");
  std::int32_t lengthWords = 0;
  ReadInt32(BytesOf(shx_), 24, 'B', lengthWords);
  // Entries from word 50, four words each, while the position is below the stated length.
  const std::int64_t entries = lengthWords > 50 ? (static_cast<std::int64_t>(lengthWords) - 50 + 3) / 4 : 0;
  if (static_cast<std::int64_t>(kMainHeader) + 8 * entries > static_cast<std::int64_t>(shx_.size()))
    return Fail(shxPath_, "L'indice dichiara più voci di quante ne contenga.");
  if (static_cast<std::int64_t>(shx_.size()) - static_cast<std::int64_t>(kMainHeader) - 8 * entries >= 8)
    return Fail(shxPath_, "L'indice contiene più voci di quante ne dichiari.");
  count_ = static_cast<int>(entries);
  return true;
}

bool ShapeSetReader::ReadTable() {
  const ConstBytes dbf = BytesOf(dbf_);
  if (dbf.size() < kTableHeader) return Fail(dbfPath_, "L'intestazione della tabella è incompleta.");
  if (dbf[0] != 3) return Fail(dbfPath_, "La tabella non è in formato dBase III.");
  std::int16_t header = 0, record = 0;
  std::int32_t records = 0;
  ReadInt32(dbf, 4, 'L', records);
  ReadInt16(dbf, 8, 'L', header);
  ReadInt16(dbf, 10, 'L', record);
  headerLength_ = static_cast<std::uint16_t>(header);
  recordLength_ = static_cast<std::uint16_t>(record);
  for (std::size_t p = kTableHeader; p + 1 < headerLength_; p += kDescriptor) {
    if (p + kDescriptor > dbf.size()) return Fail(dbfPath_, "L'elenco dei campi della tabella è incompleto.");
    if (dbf[p] == 0x0D) break;  // the list ends early: what follows is padding
    const char* d = reinterpret_cast<const char*>(dbf.data() + p);
    std::string name;
    for (int k = 0; k < 11 && d[k] != '\0'; ++k)
      name += d[k] >= 'a' && d[k] <= 'z' ? static_cast<char>(d[k] - 32) : d[k];
    const char type = d[11];
    const int width = dbf[p + 16];
    int decimals = type == 'N' || type == 'F' ? dbf[p + 17] : 0;
    int length = width;
    if (type == 'N' && decimals > 0) length = width - decimals - 1;
    if (length < 0) length = 0;
    if (width == 0) return Fail(dbfPath_, "Il campo " + name + " della tabella ha larghezza 0.");
    DbfField* f = fields_.Add(name, type, length, decimals, 0);
    f->width = width;  // the bytes the field takes in a record, whatever its type says
  }
  const std::int32_t widths = fields_.ComputeOffsets();
  // A record is its deletion byte and its fields, nothing more or less: another length would
  // shift every field of the records after the first.
  if (recordLength_ != static_cast<std::size_t>(widths) + 1)
    return Fail(dbfPath_, "La lunghezza dei record della tabella (" + std::to_string(recordLength_) +
                              " byte) non corrisponde a quella dei suoi campi (" + std::to_string(widths + 1) +
                              " byte).");
  if (records != count_)
    return Fail(dbfPath_,
                "La tabella dichiara " + std::to_string(records) + " record, l'indice " + std::to_string(count_) + ".");
  // Every record the index counts must be there whole.
  if (static_cast<std::uint64_t>(headerLength_) + static_cast<std::uint64_t>(count_) * recordLength_ > dbf.size())
    return Fail(dbfPath_, "La tabella contiene meno record di quelli dell'indice.");
  return true;
}

const DbfField* ShapeSetReader::FindField(std::string_view name, char type, int maxLength) const {
  return fields_.FindIf([&](const DbfField& f) { return f.name == name && f.type == type && f.length <= maxLength; });
}

namespace {

bool Fits(const DbfField& f, const ShapeColumn& column) {
  return f.name == column.name && f.type == (column.type == 'N' ? 'N' : 'C') && f.length <= column.length;
}

}  // namespace

const DbfField* ShapeSetReader::FindField(const ShapeColumn& column) const {
  return fields_.FindIf([&](const DbfField& f) { return Fits(f, column); });
}

const DbfField* ShapeSetReader::FirstField(std::initializer_list<ShapeColumn> columns) const {
  for (const ShapeColumn& column : columns)
    if (const DbfField* f = FindField(column)) return f;
  return nullptr;
}

const DbfField* ShapeSetReader::LastField(std::initializer_list<ShapeColumn> columns) const {
  const DbfField* last = nullptr;
  for (const DbfField& f : fields_)
    for (const ShapeColumn& column : columns)
      if (Fits(f, column)) last = &f;
  return last;
}

void ShapeSetReader::FinishWarnings() {
  const int rest = multiPartRecords_ - kWarnedRecords;
  if (rest > 0)
    Notify("ATTENZIONE: altre " + std::to_string(rest) + " entità sono rappresentate da più linee.\n\n" +
               "Di ciascuna verrà conservata esclusivamente la 1^ linea, mentre le successive\n" +
               "verranno eliminate !!!",
           NoticeIcon::Exclamation);
  multiPartRecords_ = 0;
}

bool ShapeSetReader::Shape(int i, ShapeRecord& out) {
  out.type = -1;
  out.point = false;
  out.x = out.y = 0.0;
  out.parts = 0;
  out.pointCount = 0;
  out.points.clear();  // keeps its room for the next record
  std::string_view bytes;
  if (!Content(i, bytes)) return false;
  const auto* content = reinterpret_cast<const std::uint8_t*>(bytes.data());
  const auto length = static_cast<std::int64_t>(bytes.size());
  // The fault names the record; its text is made only when there is one.
  const auto damaged = [&](const std::string& what) {
    return Fail(shpPath_, "Il record " + std::to_string(i) + " " + what);
  };

  if (length < 4) return damaged("è troppo corto per contenere il suo tipo di geometria.");
  const std::int32_t type = Little<std::int32_t>(content);
  out.type = type;
  if (!IsKnownType(type)) return damaged("ha un tipo di geometria sconosciuto (" + std::to_string(type) + ").");
  if (recordType_ != 0 && type != kNullShape && type != recordType_)
    return damaged("è di tipo " + std::to_string(type) + ", mentre lo Shape File è di tipo " +
                   std::to_string(recordType_) + ".");
  if (IsPointType(type)) {
    if (length < 20) return damaged("è troppo corto per contenere il suo punto.");
    out.point = true;
    out.x = Little<double>(content + 4);
    out.y = Little<double>(content + 12);
    if (!UsableCoordinate(out.x) || !UsableCoordinate(out.y)) {
      out.point = false;
      return damaged("ha coordinate non utilizzabili (" + Coordinate(out.x) + ", " + Coordinate(out.y) + ").");
    }
    return true;
  }
  if (!IsPolylineType(type)) return true;
  if (length < 44) return damaged("è troppo corto per contenere la sua linea.");
  const std::int32_t parts = Little<std::int32_t>(content + 36), points = Little<std::int32_t>(content + 40);
  // The counts must fit the content, and the parts must begin at 0 and run in order inside the
  // points; a polyline without parts must have no point either.
  if (parts < 0 || points < 0 ||
      44 + 4 * static_cast<std::int64_t>(parts) + 16 * static_cast<std::int64_t>(points) > length ||
      (parts == 0 && points > 0))
    return damaged("dichiara parti o punti che non contiene.");
  std::int32_t end = points;
  std::int32_t previous = 0;
  for (std::int32_t k = 0; k < parts; ++k) {
    const std::int32_t first = Little<std::int32_t>(content + 44 + 4 * static_cast<std::size_t>(k));
    if ((k == 0 && first != 0) || first < previous || first > points)
      return damaged("ha parti che non cominciano in ordine tra i suoi punti.");
    if (k == 1) end = first;
    previous = first;
  }
  const std::uint8_t* xy = content + 44 + 4 * static_cast<std::size_t>(parts);
  // Every point of every part must be a place, also those of the parts not kept.
  for (std::int32_t k = 0; k < points; ++k) {
    const double x = Little<double>(xy + 16 * static_cast<std::size_t>(k));
    const double y = Little<double>(xy + 16 * static_cast<std::size_t>(k) + 8);
    if (!UsableCoordinate(x) || !UsableCoordinate(y))
      return damaged("ha un punto di coordinate non utilizzabili (" + Coordinate(x) + ", " + Coordinate(y) + ").");
  }
  out.points.resize(static_cast<std::size_t>(parts > 1 ? end : points));
  static_assert(sizeof(Vertex) == 16);
  if constexpr (std::endian::native == std::endian::little) {
    if (!out.points.empty()) std::memcpy(out.points.data(), xy, 16 * out.points.size());
  } else {
    for (std::size_t k = 0; k < out.points.size(); ++k)
      out.points[k] = {Little<double>(xy + 16 * k), Little<double>(xy + 16 * k + 8)};
  }
  out.parts = parts;
  out.pointCount = points;
  if (parts > 1 && multiPartRule_ && ++multiPartRecords_ <= kWarnedRecords)
    Notify("ATTENZIONE: l'entità " + std::to_string(i) + " è rappresentata da " + std::to_string(parts) +
               " linee.\n\n" + "Verrà conservata esclusivamente la 1^ linea, mentre le successive\n" +
               "verranno eliminate !!!",
           NoticeIcon::Exclamation);
  return true;
}

bool UsableCoordinate(double v) { return std::isfinite(v) && std::fabs(v) <= kCoordinateLimit; }

bool ShapeSetReader::Content(int i, std::string_view& bytes) {
  if (i < 0 || static_cast<std::size_t>(i) >= entries_.size())
    return Fail(shxPath_, "Il record " + std::to_string(i) + " non è nell'indice.");
  // Open checked every entry against the main file.
  const Entry& e = entries_[static_cast<std::size_t>(i)];
  bytes = std::string_view(shp_.constData() + e.start + 8, static_cast<std::size_t>(e.end - e.start - 8));
  return true;
}

bool ShapeSetReader::CheckAgreement() {
  const ConstBytes shx = BytesOf(shx_), shp = BytesOf(shp_);
  const auto shpSize = static_cast<std::int64_t>(shp.size());
  // Kept only once every entry has passed, so that no record is read from a set refused.
  std::vector<Entry> entries(static_cast<std::size_t>(count_));
  for (int i = 0; i < count_; ++i) {
    const std::uint8_t* entry = shx.data() + kMainHeader + 8 * static_cast<std::size_t>(i);
    const std::int32_t offsetWords = Big32(entry), lengthWords = Big32(entry + 4);
    const std::int64_t start = 2 * static_cast<std::int64_t>(offsetWords);
    if (start < static_cast<std::int64_t>(kMainHeader) || start + 8 > shpSize)
      return Fail(shpPath_, "La voce " + std::to_string(i) + " dell'indice indica un record oltre la fine del file.");
    const std::int64_t end = start + 8 + 2 * static_cast<std::int64_t>(lengthWords);
    if (lengthWords < 0 || end > shpSize)
      return Fail(shpPath_, "Il record " + std::to_string(i) + " dichiara una lunghezza oltre la fine del file.");
    entries[static_cast<std::size_t>(i)] = {start, end};
  }
  // No two entries may share bytes of the main file: each names a record of its own.
  std::vector<int> order(static_cast<std::size_t>(count_));
  for (int i = 0; i < count_; ++i) order[static_cast<std::size_t>(i)] = i;
  std::sort(order.begin(), order.end(), [&entries](int a, int b) {
    return entries[static_cast<std::size_t>(a)].start < entries[static_cast<std::size_t>(b)].start;
  });
  std::int64_t lastEnd = static_cast<std::int64_t>(kMainHeader);
  for (std::size_t k = 0; k < order.size(); ++k) {
    const Entry& e = entries[static_cast<std::size_t>(order[k])];
    if (k > 0 && e.start < entries[static_cast<std::size_t>(order[k - 1])].end) {
      const int a = std::min(order[k - 1], order[k]), b = std::max(order[k - 1], order[k]);
      return Fail(shxPath_, "Le voci " + std::to_string(a) + " e " + std::to_string(b) +
                                " dell'indice indicano lo stesso record o record sovrapposti.");
    }
    lastEnd = std::max(lastEnd, e.end);
  }
  // Each entry's record says it is that record and has that length.
  for (int i = 0; i < count_; ++i) {
    const Entry& e = entries[static_cast<std::size_t>(i)];
    const std::uint8_t* header = shp.data() + e.start;
    if (Big32(header) != i + 1 || 2 * static_cast<std::int64_t>(Big32(header + 4)) != e.end - e.start - 8)
      return Fail(shpPath_, "Il record " + std::to_string(i) + " non corrisponde alla sua voce dell'indice.");
  }
  // A whole record after the last one the index names is one the index lacks.
  if (shpSize - lastEnd >= 8) return Fail(shpPath_, "Il file contiene record che l'indice non elenca.");
  entries_ = std::move(entries);
  return true;
}

bool ShapeSetReader::Record(int i, std::string_view& bytes) {
  const std::uint64_t start = headerLength_ + static_cast<std::uint64_t>(i) * recordLength_;
  if (i < 0 || i >= count_ || start + recordLength_ > static_cast<std::uint64_t>(dbf_.size()))
    return Fail(dbfPath_, "La tabella contiene meno record di quelli dell'indice.");
  bytes = std::string_view(dbf_.constData() + start, recordLength_);
  return true;
}

std::string_view ShapeSetReader::Bytes(std::string_view record, const DbfField& field) {
  std::string_view raw = DbfFieldBytes(record, field);
  const std::size_t zero = raw.find('\0');
  if (zero != std::string_view::npos) raw = raw.substr(0, zero);
  // Trailing white space goes: the blanks that pad a value, and the tabs and line ends a tool
  // leaves after it. One inside the value stays, and the text rule refuses it.
  const std::size_t last = raw.find_last_not_of(" \t\r\n");
  return raw.substr(0, last == std::string_view::npos ? 0 : last + 1);
}

std::string ShapeSetReader::Text(std::string_view record, const DbfField& field) const {
  const std::string_view bytes = Bytes(record, field);
  return utf8_ ? cp1252::FromUtf8Lossy(bytes) : std::string(bytes);
}

bool ShapeSetReader::CheckedText(int i, std::string_view record, const DbfField& field, std::string& out,
                                 std::string& reason) const {
  out.clear();
  const std::string where = "Il record " + std::to_string(i) + ", campo " + field.name + ", ";
  const std::string_view raw = DbfFieldBytes(record, field);
  const std::size_t zero = raw.find('\0');
  // Zero bytes may pad a value, as white space may; text after one would be lost.
  if (zero != std::string_view::npos &&
      raw.find_first_not_of(std::string_view("\0 \t\r\n", 5), zero) != std::string_view::npos) {
    reason = where + "contiene un carattere di controllo (0x00).";
    return false;
  }
  const std::string_view bytes = Bytes(record, field);
  if (utf8_) {
    char32_t bad = 0;
    if (!cp1252::FromUtf8(bytes, out, &bad)) {
      char code[16];
      std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(bad));
      reason = where + "contiene un carattere che Windows-1252 non ha (" + code + ").";
      out.clear();
      return false;
    }
  } else {
    out.assign(bytes);
  }
  if (const std::size_t at = FindControlByte(out); at != std::string::npos) {
    char code[8];
    std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(out[at])));
    reason = where + "contiene un carattere di controllo (" + code + ").";
    out.clear();
    return false;
  }
  return true;
}

std::string ShapeSetReader::CodeOrName(int i, std::string_view record, const DbfField& field) {
  std::string text, reason;
  if (!CheckedText(i, record, field, text, reason)) refused_.push_back(std::move(reason));
  return text;
}

bool ShapeSetReader::FailValues(const std::vector<std::string>& reasons, const std::string& output) {
  std::string listed;
  for (std::size_t k = 0; k < reasons.size(); ++k) {
    if (k == kListedValues) {
      listed += "\n... altri errori omessi ...";
      break;
    }
    listed += (k > 0 ? "\n" : "") + reasons[k];
  }
  fault_ = "ATTENZIONE: lo Shape File indicato contiene valori che non possono\nessere " +
           (output.empty() ? std::string("utilizzati") : "convertiti in " + output) + ".\n\n" + dbfPath_ + "\n" +
           listed;
  return false;
}

long ShapeSetReader::Number(std::string_view record, const DbfField& field) const {
  const std::string text = Text(record, field);
  return std::strtol(text.c_str(), nullptr, 10);
}
