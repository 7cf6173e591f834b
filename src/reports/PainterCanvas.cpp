#include "reports/PainterCanvas.h"

#include "common/Cp1252.h"

#include <QPaintDevice>
#include <QPainter>
#include <QPen>

namespace {

QColor Rgb(std::uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

PainterCanvas::PainterCanvas(QPainter& painter) : painter_(painter) {
  QPen pen(Qt::black);
  pen.setWidth(2);
  pen.setStyle(Qt::SolidLine);
  painter_.setPen(pen);
  painter_.setBackgroundMode(Qt::TransparentMode);
  SetFont(80);
}

QFont PainterCanvas::ReportFont(int tenthsOfPoint, int dotsPerInch) {
  QFont font(QStringLiteral("Arial"));
  font.setStyleHint(QFont::SansSerif);
  // The size in device units, as the printer's font of that point size would have.
  font.setPixelSize((tenthsOfPoint * dotsPerInch + 360) / 720);
  font.setWeight(QFont::Normal);
  font.setHintingPreference(QFont::PreferNoHinting);
  font.setKerning(false);
  return font;
}

void PainterCanvas::SetFont(int tenthsOfPoint) {
  QPaintDevice* device = painter_.device();
  const int dpi = device ? device->logicalDpiY() : 600;
  const QFont font = ReportFont(tenthsOfPoint, dpi);
  painter_.setFont(font);
  metrics_.emplace(font, device);
  ascent_ = metrics_->ascent();
}

int PainterCanvas::TextWidth(std::string_view text) { return metrics_->horizontalAdvance(cp1252::ToQString(text)); }

int PainterCanvas::LineHeight() { return metrics_->height(); }

void PainterCanvas::Text(int x, int y, std::string_view text) {
  if (textColour_ == kBlack) {
    painter_.drawText(x, y + ascent_, cp1252::ToQString(text));
    return;
  }
  // Texts take the pen's colour; the lines keep the black pen.
  const QPen line = painter_.pen();
  QPen coloured = line;
  coloured.setColor(Rgb(textColour_));
  painter_.setPen(coloured);
  painter_.drawText(x, y + ascent_, cp1252::ToQString(text));
  painter_.setPen(line);
}

void PainterCanvas::Line(int x1, int y1, int x2, int y2) { painter_.drawLine(x1, y1, x2, y2); }

void PainterCanvas::ColourLine(int x1, int y1, int x2, int y2, std::uint32_t rgb, int width) {
  const QPen pen = painter_.pen();
  QPen own(Rgb(rgb));
  own.setWidth(width);
  painter_.setPen(own);
  painter_.drawLine(x1, y1, x2, y2);
  painter_.setPen(pen);
}

void PainterCanvas::Band(int left, int top, int right, int bottom) {
  painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), QColor(0xC0, 0xC0, 0xC0));
}

void PainterCanvas::Fill(int left, int top, int right, int bottom, std::uint32_t rgb) {
  painter_.fillRect(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)), Rgb(rgb));
}

void PainterCanvas::SetTextColour(std::uint32_t rgb) { textColour_ = rgb; }

MetricsCanvas::MetricsCanvas(QPaintDevice& device) : device_(device) { SetFont(80); }

void MetricsCanvas::SetFont(int tenthsOfPoint) {
  metrics_.emplace(PainterCanvas::ReportFont(tenthsOfPoint, device_.logicalDpiY()), &device_);
}

int MetricsCanvas::TextWidth(std::string_view text) { return metrics_->horizontalAdvance(cp1252::ToQString(text)); }

int MetricsCanvas::LineHeight() { return metrics_->height(); }
