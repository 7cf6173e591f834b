#include "conversions/hyperplan/RouteDescriptor.h"

#include "common/InputFile.h"
#include "conversions/shapefiles/ShapeNames.h"

#include <QFile>
#include <array>
#include <cctype>

namespace {

// The number at the start of a field: blanks skipped, an optional sign, then decimal digits.
long LeadingNumber(std::string_view text) {
  std::size_t k = 0;
  while (k < text.size() && (text[k] == ' ' || text[k] == '\t')) ++k;
  bool negative = false;
  if (k < text.size() && (text[k] == '-' || text[k] == '+')) negative = text[k++] == '-';
  long value = 0;
  for (; k < text.size() && text[k] >= '0' && text[k] <= '9'; ++k) {
    if (value > 99999999) break;  // a number that long is not kept further
    value = value * 10 + (text[k] - '0');
  }
  return negative ? -value : value;
}

// One line: its four fields, or false when it is not as required.
bool SplitLine(std::string_view line, std::array<std::string_view, 4>& fields) {
  if (line.empty() || line.size() > kDescriptorLineMax) return false;
  std::size_t start = 0;
  for (std::string_view& field : fields) {
    const std::size_t end = line.find(';', start);
    if (end == std::string_view::npos) return false;
    field = line.substr(start, end - start);
    if (field.size() > kDescriptorFieldMax) return false;
    start = end + 1;
  }
  // Text after the fourth semicolon is ignored, but it holds no fifth one.
  return line.find(';', start) == std::string_view::npos && fields[1].size() <= kRouteCodeMax;
}

bool EndsWithTxt(const std::string& path) {
  if (path.size() < 4 || path[path.size() - 4] != '.') return false;
  const std::string ext = path.substr(path.size() - 3);
  return std::toupper(static_cast<unsigned char>(ext[0])) == 'T' &&
         std::toupper(static_cast<unsigned char>(ext[1])) == 'X' &&
         std::toupper(static_cast<unsigned char>(ext[2])) == 'T';
}

}  // namespace

std::string DescriptorRoute::Signature() const {
  std::string s = "{ ";
  for (std::size_t k = 0; k < stops.size(); ++k) {
    if (k > 0) s += ", ";
    s += stops[k].text;
  }
  return s + " }";
}

DescriptorReading ParseDescriptor(std::string_view bytes) {
  DescriptorReading result;
  result.opened = true;
  std::array<std::string_view, 4> fields;
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    start = end;
    if (start < bytes.size())
      start += bytes[start] == '\r' && start + 1 < bytes.size() && bytes[start + 1] == '\n' ? 2 : 1;
    if (!SplitLine(line, fields)) {
      result.routes.clear();
      result.Fail(InvalidDescriptorText());
      return result;
    }
    if (result.routes.empty() || result.routes.back().code != fields[1])
      result.routes.push_back({std::string(fields[1]), {}});
    result.routes.back().stops.push_back({LeadingNumber(fields[3]), std::string(fields[2])});
  }
  // A descriptor without a single line describes no route: every trip would lose its code.
  if (result.routes.empty())
    result.Fail(InvalidDescriptorText());
  else
    result.Succeed();
  return result;
}

DescriptorReading ReadDescriptor(const std::string& path) {
  QFile file;
  switch (OpenInputFile(file, path)) {
    case InputOpening::Opened: break;
    case InputOpening::NotARegularFile: {
      DescriptorReading refused;
      refused.Fail(CannotOpenText(path), NoticeIcon::Exclamation, path);
      return refused;
    }
    case InputOpening::Failed: return {};
  }
  const QByteArray bytes = file.readAll();
  if (file.error() != QFileDevice::NoError) return {};
  return ParseDescriptor(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

std::string DescriptorBase(const std::string& chosen) {
  return EndsWithTxt(chosen) ? chosen.substr(0, chosen.size() - 4) : chosen;
}

std::string DescriptorFile(const std::string& chosen) {
  if (!EndsWithTxt(chosen)) return chosen;
  const std::string found = FindCompanion(DescriptorBase(chosen), "TXT");
  return found.empty() ? chosen : found;
}

std::string InvalidDescriptorText() {
  return "ATTENZIONE: il File indicato non ha le caratteristiche\n"
         "necessarie per effettuare l'associazione dei codici percorso\n\n";
}
