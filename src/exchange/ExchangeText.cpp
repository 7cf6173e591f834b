#include "exchange/ExchangeText.h"

#include "common/Cp1252.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <cctype>

bool ExchangeLines::Load(const std::string& path) {
  lines_.clear();
  bytes_.clear();
  QFile file(cp1252::ToQString(path));
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray all = file.readAll();
  if (file.error() != QFileDevice::NoError) return false;
  bytes_.assign(all.constData(), static_cast<size_t>(all.size()));
  // A DOS end-of-file mark ends the text: it and whatever follows it are not read.
  const size_t eof = bytes_.find('\x1A');
  if (eof != std::string::npos) bytes_.resize(eof);
  const std::string_view text(bytes_);
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;  // CR LF
    lines_.push_back(text.substr(start, stop - start));
    start = next;
  }
  return true;
}

bool AllDigits(std::string_view field) {
  if (field.empty()) return false;
  for (char c : field)
    if (c < '0' || c > '9') return false;
  return true;
}

bool ParseExchangeDate(std::string_view field, DateRecord& out) {
  if (field.size() != 8 || !AllDigits(field)) return false;
  const auto num = [&](size_t from, size_t count) {
    int v = 0;
    for (size_t k = from; k < from + count; ++k) v = v * 10 + (field[k] - '0');
    return v;
  };
  const int y = num(0, 4), m = num(4, 2), d = num(6, 2);
  if (y < 100 || m < 1 || m > 12 || d < 1) return false;
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
  const int last = m == 2 && leap ? 29 : kDays[m - 1];
  if (d > last) return false;
  out = DateRecord{y, m, d};
  return true;
}

bool IsValidExchangeTime(std::string_view field) {
  if (field == "9999") return true;
  if (field.size() != 4 || !AllDigits(field)) return false;
  const int h = (field[0] - '0') * 10 + (field[1] - '0');
  const int m = (field[2] - '0') * 10 + (field[3] - '0');
  return h <= 23 && m <= 59;
}

std::string_view TrimRight(std::string_view text) {
  size_t n = text.size();
  while (n > 0 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

std::string_view TrimRightKeepOne(std::string_view text) {
  if (text.empty()) return text;
  size_t n = text.size();
  while (n > 1 && text[n - 1] == ' ') --n;
  return text.substr(0, n);
}

std::string BlankControls(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = ' ';
  }
  return out;
}

std::string BlankControlsTrimmed(std::string_view text) {
  std::string out = BlankControls(TrimRight(text));
  out.resize(TrimRight(out).size());
  return out;
}

std::string FolderOf(const std::string& path) {
  const size_t cut = path.find_last_of("/\\");
  return cut == std::string::npos ? path : path.substr(0, cut);
}

std::string FindFileNoCase(const std::string& folder, const std::string& name) {
  const std::string exact = folder + "/" + name;
  const QString wanted = cp1252::ToQString(name);
  const QDir dir(cp1252::ToQString(folder));
  if (QFile::exists(cp1252::ToQString(exact))) return exact;
  const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& entry : entries)
    if (entry.compare(wanted, Qt::CaseInsensitive) == 0) return folder + "/" + cp1252::FromQStringLossy(entry);
  return exact;
}
