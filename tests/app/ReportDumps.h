#pragma once
// The pages of a report run as the driver's page dump and the PDF file show them, and the widths
// of texts as the report measures them on the driver's PDF printer.

#include "app/AppTestSupport.h"
#include "platform/PrintSetup.h"
#include "reports/PainterCanvas.h"

#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <optional>
#include <string>
#include <vector>

namespace report_dumps {

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

// The headings and texts of the dump, one a line, as the hand-made files hold them.
inline std::vector<std::string> DumpLines(const std::vector<DumpPage>& pages) {
  std::vector<std::string> out;
  for (const DumpPage& p : pages) {
    out.push_back(p.heading);
    for (const std::string& t : p.Texts()) out.push_back(t);
  }
  return out;
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

// The widths of texts as the report measures them on the PDF printer of the driver's answer.
class Widths {
 public:
  Widths() : printer_(QPrinter::HighResolution) {
    ui::SetPdfPrinter(printer_, dir_.Path("misura.pdf"), false);
    printer_.setResolution(600);
    painter_.begin(&printer_);
    canvas_.emplace(painter_);
  }
  ~Widths() { painter_.end(); }
  int operator()(const std::string& utf8) { return canvas_->TextWidth(cp1252::FromUtf8Lossy(utf8)); }
  // The page's width less the margins of 50 (A4 at 600 dpi: 595 points).
  int PrintableWidth() const { return static_cast<int>(printer_.pageRect(QPrinter::DevicePixel).width()) - 100; }

 private:
  ScratchDir dir_;
  QPrinter printer_;
  QPainter painter_;
  std::optional<PainterCanvas> canvas_;
};

}  // namespace report_dumps
