#include "conversions/shapefiles/ShapeNames.h"

#include "common/Cp1252.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

bool SameLetters(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
           return lower(x) == lower(y);
         });
}

bool IsRegularFile(const std::string& path) {
  const QFileInfo info(cp1252::ToQString(path));
  return info.exists() && !info.isDir();
}

}  // namespace

void SplitShapePath(const std::string& path, std::string& folder, std::string& name) {
  const size_t slash = path.find_last_of('/');
  folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash == 0 ? 1 : slash);
  name = slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ShapeBase(const std::string& path) {
  if (path.size() > 4 && path[path.size() - 4] == '.') {
    const std::string ext = path.substr(path.size() - 3);
    for (const char* known : {"shp", "shx", "dbf"})
      if (SameLetters(ext, known)) return path.substr(0, path.size() - 4);
  }
  return path;
}

std::string FindCompanion(const std::string& base, const std::string& ext) {
  const std::string exact = base + "." + ext;
  if (IsRegularFile(exact)) return exact;
  const std::vector<std::string> found = CompanionsOf(base, ext);
  return found.empty() ? std::string() : found.front();
}

std::vector<std::string> CompanionsOf(const std::string& base, const std::string& ext) {
  const std::string exact = base + "." + ext;
  const size_t slash = base.find_last_of('/');
  const std::string prefix = slash == std::string::npos ? std::string() : base.substr(0, slash + 1);
  const std::string wanted = exact.substr(prefix.size());
  const QDir dir(cp1252::ToQString(prefix.empty() ? std::string(".") : prefix));
  QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  std::vector<std::string> found;
  for (const QString& name : names) {
    const std::string candidate = cp1252::FromQStringLossy(name);
    // The base must match exactly; only the extension may differ in case.
    if (candidate.size() == wanted.size() &&
        candidate.compare(0, wanted.size() - ext.size(), wanted, 0, wanted.size() - ext.size()) == 0 &&
        SameLetters(candidate.substr(wanted.size() - ext.size()), ext))
      found.push_back(prefix + candidate);
  }
  return found;
}

std::string OutputCompanion(const std::string& base, const std::string& ext) {
  const std::string found = FindCompanion(base, ext);
  return found.empty() ? base + "." + ext : found;
}
