#include "refdata/RefData.h"

#include "common/ControlBytes.h"
#include "common/Cp1252.h"
#include "common/InputFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>

const char* const kCompanyCodesFile = "aziende.csv";
const char* const kAuthorityCodesFile = "enti.csv";
const char* const kLocalitiesFile = "localita.csv";
const char* const kMunicipalitiesFile = "comuni.csv";

namespace {

// Sizes of the database fields that the lists fill.
constexpr size_t kNameSize = 40;     // regazi.denom, regent.denom, local.denom, local.comune
constexpr size_t kProvinceSize = 4;  // local.prov
constexpr long kMaxCode = 32767;     // codes and ids are 16-bit fields
constexpr long kMaxIstat = 999999;   // six digits

using Fields = std::vector<std::string>;

std::string Trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

// The fault of a text that holds a control byte (a tab, a CR, a zero byte...): empty when none.
// `what` begins with its capital ("Il campo 2").
std::string ControlByteFault(const std::string& text, const std::string& what) {
  for (const char c : text)
    if (IsControlByte(c)) {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
      return what + " contiene un carattere di controllo (" + code + ")";
    }
  return {};
}

bool ParseLong(const std::string& text, long min, long max, long& out) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(t.c_str(), &end, 10);
  if (errno != 0 || end != t.c_str() + t.size() || v < min || v > max) return false;
  out = v;
  return true;
}

// Reads the rows of one list: every line that is neither empty nor a comment, split at ';' into
// exactly `columns` fields and converted to Windows-1252, is handed to `row`, which returns an
// empty text or the fault of that line. A line ends at CR LF, LF or a CR alone (the line end of
// an old Mac editor). A list without a single row is refused: it would seed nothing.
bool ReadList(const std::string& folder, const char* file, size_t columns,
              const std::function<std::string(const Fields&)>& row, std::string& error) {
  const std::string path = folder + "/" + file;
  QFile in;
  switch (OpenInputFile(in, path)) {
    case InputOpening::Opened: break;
    case InputOpening::NotARegularFile: error = "File \"" + path + "\"\n\n" + kNotARegularFileText; return false;
    case InputOpening::Failed:
      error = "File \"" + path + "\"\n\nIl file non esiste o non può essere letto";
      return false;
  }
  const QByteArray bytes = in.readAll();
  if (in.error() != QFileDevice::NoError) {
    error = "File \"" + path + "\"\n\nErrore di lettura del file";
    return false;
  }
  std::string_view rest(bytes.constData(), static_cast<size_t>(bytes.size()));
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);  // a UTF-8 byte-order mark
  int number = 0, rows = 0;
  while (!rest.empty()) {
    const size_t end = rest.find_first_of("\r\n");
    const std::string line(rest.substr(0, end));
    if (end == std::string_view::npos)
      rest = {};
    else
      rest.remove_prefix(end + (rest.substr(end, 2) == "\r\n" ? 2 : 1));
    ++number;
    if (Trim(line).empty() || line[0] == '#') continue;
    ++rows;
    std::string text;
    std::string fault;
    if (!cp1252::FromUtf8(line, text)) {
      fault = "La riga non è testo UTF-8 valido, o contiene caratteri che il programma non può rappresentare";
    } else {
      Fields fields;
      size_t start = 0;
      for (;;) {
        const size_t semicolon = text.find(';', start);
        fields.push_back(text.substr(start, semicolon == std::string::npos ? std::string::npos : semicolon - start));
        if (semicolon == std::string::npos) break;
        start = semicolon + 1;
      }
      if (fields.size() != columns)
        fault = "La riga ha " + std::to_string(fields.size()) + " campi invece di " + std::to_string(columns);
      // Blanks and tabs may pad a field; any other control byte is in none (a code read up to a
      // zero byte, a name that would end a line of the region's files).
      for (size_t k = 0; k < fields.size() && fault.empty(); ++k)
        fault = ControlByteFault(Trim(fields[k]), "Il campo " + std::to_string(k + 1));
      if (fault.empty()) fault = row(fields);
    }
    if (!fault.empty()) {
      error = "File \"" + path + "\", riga " + std::to_string(number) + "\n\n" + fault;
      return false;
    }
  }
  if (rows == 0) {
    error = "File \"" + path + "\"\n\nIl file non contiene neppure una riga di dati (è vuoto, o ha solo commenti)";
    return false;
  }
  return true;
}

// A name of a list: not empty (blanks alone count as empty), without a tab around it, and within
// its field.
std::string CheckName(const std::string& name, size_t size, const char* what) {
  if (Trim(name).empty()) return std::string("Manca ") + what;
  if (std::string fault = ControlByteFault(name, "Il testo \"" + Trim(name) + "\""); !fault.empty()) return fault;
  if (name.size() > size) return "Il testo \"" + name + "\" supera i " + std::to_string(size) + " caratteri del campo";
  return {};
}

bool LoadCodes(const std::string& folder, const char* file, std::vector<RegionCodeRef>& out, std::string& error) {
  out.clear();
  std::set<long> seen;
  return ReadList(
      folder, file, 2,
      [&](const Fields& f) -> std::string {
        long code = 0;
        if (!ParseLong(f[0], 0, kMaxCode, code)) return "Il codice \"" + f[0] + "\" non è un numero da 0 a 32767";
        if (!seen.insert(code).second) return "Il codice " + std::to_string(code) + " è ripetuto";
        if (std::string fault = CheckName(f[1], kNameSize, "la denominazione"); !fault.empty()) return fault;
        out.push_back({static_cast<int>(code), f[1]});
        return {};
      },
      error);
}

}  // namespace

std::string RefDataFolder() {
  if (const char* dir = std::getenv("QUENDO_DATA_DIR"); dir && *dir) return cp1252::FromUtf8Lossy(dir) + "/refdata";
  if (QCoreApplication::instance()) {
    const QString installed =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/quendo/refdata"));
    if (QFileInfo(installed).isDir()) return cp1252::FromQStringLossy(installed);
  }
  return cp1252::FromUtf8Lossy(QUENDO_DATA_DIR) + "/refdata";
}

bool LoadCompanyCodes(const std::string& folder, std::vector<RegionCodeRef>& out, std::string& error) {
  return LoadCodes(folder, kCompanyCodesFile, out, error);
}

bool LoadAuthorityCodes(const std::string& folder, std::vector<RegionCodeRef>& out, std::string& error) {
  return LoadCodes(folder, kAuthorityCodesFile, out, error);
}

bool LoadLocalities(const std::string& folder, std::vector<LocalityRef>& out, std::string& error) {
  out.clear();
  std::set<long> seen;
  return ReadList(
      folder, kLocalitiesFile, 3,
      [&](const Fields& f) -> std::string {
        long id = 0, istat = 0;
        if (!ParseLong(f[0], 0, kMaxCode, id)) return "L'identificativo \"" + f[0] + "\" non è un numero da 0 a 32767";
        if (!seen.insert(id).second) return "L'identificativo " + std::to_string(id) + " è ripetuto";
        if (std::string fault = CheckName(f[1], kNameSize, "la denominazione"); !fault.empty()) return fault;
        if (!ParseLong(f[2], -1, kMaxIstat, istat) || istat == 0)
          return "Il codice ISTAT \"" + f[2] + "\" non è valido (da 1 a 999999, oppure -1)";
        out.push_back({static_cast<int>(id), f[1], istat});
        return {};
      },
      error);
}

bool LoadMunicipalities(const std::string& folder, std::vector<MunicipalityRef>& out, std::string& error) {
  out.clear();
  std::set<long> seen;
  return ReadList(
      folder, kMunicipalitiesFile, 3,
      [&](const Fields& f) -> std::string {
        long istat = 0;
        if (!ParseLong(f[0], 1, kMaxIstat, istat))
          return "Il codice ISTAT \"" + f[0] + "\" non è un numero da 1 a 999999";
        if (!seen.insert(istat).second) return "Il codice ISTAT " + std::to_string(istat) + " è ripetuto";
        if (std::string fault = CheckName(f[1], kNameSize, "il nome del comune"); !fault.empty()) return fault;
        if (std::string fault = CheckName(f[2], kProvinceSize, "la sigla della provincia"); !fault.empty())
          return fault;
        out.push_back({f[1], f[2], istat});
        return {};
      },
      error);
}
