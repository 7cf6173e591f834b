#pragma once
// A canvas of fixed metrics for the engine's tests: every character is 10 units wide, a line 30
// units high; it keeps what is drawn, so that a page can be read back.

#include "reports/Report.h"
#include "reports/ReportCanvas.h"

#include <cstdint>
#include <string>
#include <vector>

struct DrawnText {
  int x, y;
  std::string text;
  std::uint32_t color = 0;
};
struct DrawnLine {
  int x1, y1, x2, y2;
  std::uint32_t color = 0;
};

class FixedCanvas : public ReportCanvas {
 public:
  static constexpr int kCharWidth = 10;
  static constexpr int kLineHeight = 30;

  void SetFont(int tenths) override { font = tenths; }
  int TextWidth(std::string_view text) override { return static_cast<int>(text.size()) * kCharWidth; }
  int LineHeight() override { return kLineHeight; }
  void Text(int x, int y, std::string_view text) override { texts.push_back({x, y, std::string(text), textColor}); }
  void Line(int x1, int y1, int x2, int y2) override { lines.push_back({x1, y1, x2, y2}); }
  void Band(int left, int top, int right, int bottom) override {
    bands.push_back({left, top, right, bottom, 0xC0C0C0});
  }
  void Fill(int left, int top, int right, int bottom, std::uint32_t rgb) override {
    bands.push_back({left, top, right, bottom, rgb});
  }
  void SetTextColour(std::uint32_t rgb) override { textColor = rgb; }

  // The texts drawn at y (in the order drawn).
  std::vector<std::string> TextsAt(int y) const {
    std::vector<std::string> out;
    for (const DrawnText& t : texts)
      if (t.y == y) out.push_back(t.text);
    return out;
  }
  const DrawnText* Find(const std::string& text) const {
    for (const DrawnText& t : texts)
      if (t.text == text) return &t;
    return nullptr;
  }
  void Clear() {
    texts.clear();
    lines.clear();
    bands.clear();
  }

  int font = 0;
  std::uint32_t textColor = 0;
  std::vector<DrawnText> texts;
  std::vector<DrawnLine> lines;
  std::vector<DrawnLine> bands;
};

// A report of numbered rows ("riga 0", "riga 1", ...) in one column of `width` characters.
class NumberedReport : public Report {
 public:
  NumberedReport(size_t rows, size_t width) : Report("Numerata"), rows_(rows) {
    columns_ = {{std::string(width, 'V'), "Riga"}};
  }
  size_t RowCount() const override { return rows_; }

 protected:
  int DrawRow(ReportCanvas& canvas, size_t n, int y) override {
    RowLine(canvas, X(0) - 20, y);
    canvas.Text(X(0), y + 10, "riga " + std::to_string(n));
    return y + LineHeight() + 20;
  }

 private:
  size_t rows_;
};
