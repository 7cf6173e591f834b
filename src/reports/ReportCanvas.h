#pragma once
// What a report draws on and measures with: the printer, the preview, a PDF file and the page
// dump all take the same calls, so one routine lays out and draws every page, and the tests
// paginate with metrics of their own. Coordinates are device units, y growing downwards; texts
// are Windows-1252.

#include <cstdint>
#include <string_view>

class ReportCanvas {
 public:
  virtual ~ReportCanvas() = default;

  // Selects the report's font: "Arial" at `tenthsOfPoint` / 10 points, normal weight.
  virtual void SetFont(int tenthsOfPoint) = 0;
  // The width of a text in the current font.
  virtual int TextWidth(std::string_view text) = 0;
  // The height of a line of the current font.
  virtual int LineHeight() = 0;

  // A text whose top-left corner is at (x, y).
  virtual void Text(int x, int y, std::string_view text) = 0;
  // A text that ends at `right`.
  void RightText(int right, int y, std::string_view text) { Text(right - TextWidth(text), y, text); }
  // A line of the report's pen (solid, black, 2 units wide).
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  // The grey band (0xC0C0C0) behind the column titles: a filled rectangle.
  virtual void Band(int left, int top, int right, int bottom) = 0;

  // Colours as 0xRRGGBB.
  static constexpr std::uint32_t kBlack = 0x000000;
  static constexpr std::uint32_t kWhite = 0xFFFFFF;
  static constexpr std::uint32_t kGrey = 0xC0C0C0;
  // A rectangle filled with a colour behind a row of its own (a heading on black, a row on grey).
  virtual void Fill(int /*left*/, int /*top*/, int /*right*/, int /*bottom*/, std::uint32_t /*rgb*/) {}
  // The colour of the texts drawn from now on (black until changed).
  virtual void SetTextColour(std::uint32_t /*rgb*/) {}
  // A line of a colour and width of its own (the report's pen by default).
  virtual void ColourLine(int x1, int y1, int x2, int y2, std::uint32_t /*rgb*/, int /*width*/) {
    Line(x1, y1, x2, y2);
  }
};
