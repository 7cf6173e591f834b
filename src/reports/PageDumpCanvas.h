#pragma once
// A canvas that passes every call on to another and writes down the texts drawn: the page dump
// of the headless driver ("x<TAB>y<TAB>text" a line, device units, UTF-8), by which a run's pages
// are compared without reading a PDF file.

#include "reports/ReportCanvas.h"

#include <string>

class PageDumpCanvas : public ReportCanvas {
 public:
  // The lines are appended to `out`.
  PageDumpCanvas(ReportCanvas& inner, std::string& out) : inner_(inner), out_(out) {}

  // The line that opens a page: "=== anteprima pagina n di N" or "=== stampa pagina n di N".
  void BeginPage(bool preview, int page, int pageCount);

  void SetFont(int tenthsOfPoint) override { inner_.SetFont(tenthsOfPoint); }
  int TextWidth(std::string_view text) override { return inner_.TextWidth(text); }
  int LineHeight() override { return inner_.LineHeight(); }
  void Text(int x, int y, std::string_view text) override;
  void Line(int x1, int y1, int x2, int y2) override { inner_.Line(x1, y1, x2, y2); }
  void Band(int left, int top, int right, int bottom) override { inner_.Band(left, top, right, bottom); }
  // Noted as "### fondo <colour><TAB>left<TAB>top<TAB>right<TAB>bottom" ("nero", "grigio", or the
  // colour in hexadecimal).
  void Fill(int left, int top, int right, int bottom, std::uint32_t rgb) override;
  void SetTextColour(std::uint32_t rgb) override { inner_.SetTextColour(rgb); }
  void ColourLine(int x1, int y1, int x2, int y2, std::uint32_t rgb, int width) override {
    inner_.ColourLine(x1, y1, x2, y2, rgb, width);
  }

 private:
  ReportCanvas& inner_;
  std::string& out_;
};
