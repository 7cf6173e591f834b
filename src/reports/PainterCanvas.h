#pragma once
// The report canvas over a QPainter: the printer, the preview's pages and PDF files alike.

#include "reports/ReportCanvas.h"

#include <QFont>
#include <QFontMetrics>
#include <optional>

class QPainter;
class QPaintDevice;

class PainterCanvas : public ReportCanvas {
 public:
  // The painter must be active on its device for the canvas's life.
  explicit PainterCanvas(QPainter& painter);

  void SetFont(int tenthsOfPoint) override;
  int TextWidth(std::string_view text) override;
  int LineHeight() override;
  void Text(int x, int y, std::string_view text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  void Band(int left, int top, int right, int bottom) override;
  void Fill(int left, int top, int right, int bottom, std::uint32_t rgb) override;
  void SetTextColour(std::uint32_t rgb) override;
  void ColourLine(int x1, int y1, int x2, int y2, std::uint32_t rgb, int width) override;

  // The report's font at a size for a device of `dotsPerInch`: "Arial" (the font configuration
  // gives its metric twin where Arial is missing), normal weight, without hinting so that a
  // text measures the same on every device of that resolution.
  static QFont ReportFont(int tenthsOfPoint, int dotsPerInch);

 private:
  QPainter& painter_;
  std::optional<QFontMetrics> metrics_;
  int ascent_ = 0;
  std::uint32_t textColour_ = kBlack;
};

// A canvas that only measures, with the metrics a painter on `device` would have (the device need
// not be open): a report's layout asked before a run draws it. What is drawn on it is dropped.
class MetricsCanvas : public ReportCanvas {
 public:
  explicit MetricsCanvas(QPaintDevice& device);

  void SetFont(int tenthsOfPoint) override;
  int TextWidth(std::string_view text) override;
  int LineHeight() override;
  void Text(int, int, std::string_view) override {}
  void Line(int, int, int, int) override {}
  void Band(int, int, int, int) override {}

 private:
  QPaintDevice& device_;
  std::optional<QFontMetrics> metrics_;
};
