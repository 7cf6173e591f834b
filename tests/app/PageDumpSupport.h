#pragma once
// The pages a report run drew, read back from the driver's page dump ("=== ..." a page, then
// "x<TAB>y<TAB>text" a text), and what the poppler tools read from its PDF file.

#include "app/AppTestSupport.h"

#include <gtest/gtest.h>
#include <QProcess>
#include <string>
#include <vector>

struct DumpText {
  int x, y;
  std::string text;
};
// One page of the dump: its heading line and its texts.
struct DumpPage {
  std::string heading;
  std::vector<DumpText> texts;
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const DumpText& t : texts) out.push_back(t.text);
    return out;
  }
  const DumpText* Find(const std::string& text) const {
    for (const DumpText& t : texts)
      if (t.text == text) return &t;
    return nullptr;
  }
};

inline std::vector<DumpPage> ReadDump(const std::string& path) {
  std::vector<DumpPage> pages;
  std::string bytes = FileBytes(path);
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    const std::string line = bytes.substr(start, end - start);
    start = end + 1;
    if (line.rfind("=== ", 0) == 0) {
      pages.push_back({line, {}});
      continue;
    }
    const size_t a = line.find('\t'), b = line.find('\t', a + 1);
    EXPECT_TRUE(!pages.empty() && a != std::string::npos && b != std::string::npos) << line;
    if (pages.empty() || b == std::string::npos) continue;
    pages.back().texts.push_back(
        {std::stoi(line.substr(0, a)), std::stoi(line.substr(a + 1, b - a - 1)), line.substr(b + 1)});
  }
  return pages;
}

// The output of a poppler tool on a file.
inline std::string Poppler(const char* tool, const std::string& pdf) {
  QProcess p;
  QStringList arguments = {cp1252::ToQString(pdf)};
  if (std::string(tool) == "pdftotext") arguments << QStringLiteral("-");
  p.start(QString::fromLatin1(tool), arguments);
  p.waitForFinished(30000);
  return p.readAllStandardOutput().toStdString();
}
inline int PdfPages(const std::string& pdf) {
  const std::string info = Poppler("pdfinfo", pdf);
  const size_t at = info.find("Pages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}
