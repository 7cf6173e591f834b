#include "platform/Artwork.h"

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor kPaper(232, 238, 244);
const QColor kInk(16, 48, 96);

// A bus seen from the side, filling `r`.
void DrawBus(QPainter& p, const QRectF& r, const QColor& body, const QColor& glass) {
  const qreal w = r.width(), h = r.height();
  QPainterPath shell;
  shell.addRoundedRect(QRectF(r.left(), r.top(), w, h * 0.78), w * 0.08, h * 0.12);
  p.fillPath(shell, body);
  const qreal winTop = r.top() + h * 0.12, winH = h * 0.28;
  const int windows = 4;
  const qreal gap = w * 0.04, winW = (w * 0.78 - gap * (windows + 1)) / windows;
  for (int k = 0; k < windows; ++k) p.fillRect(QRectF(r.left() + gap + k * (winW + gap), winTop, winW, winH), glass);
  p.fillRect(QRectF(r.left() + w * 0.80, winTop, w * 0.14, h * 0.52), glass);  // door
  p.setBrush(body);
  p.setPen(QPen(glass, h * 0.05));
  const qreal d = h * 0.30;
  p.drawEllipse(QRectF(r.left() + w * 0.14, r.top() + h * 0.64, d, d));
  p.drawEllipse(QRectF(r.left() + w * 0.66, r.top() + h * 0.64, d, d));
}

// One digit of a seven-segment display in `r`.
void DrawSegments(QPainter& p, const QRectF& r, int digit, const QColor& on, const QColor& off) {
  static const unsigned char kMasks[10] = {0x3F, 0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D, 0x07, 0x7F, 0x6F};
  const unsigned mask = kMasks[(digit >= 0 && digit <= 9) ? digit : 0];
  const qreal t = r.width() * 0.18;  // segment thickness
  const qreal x0 = r.left(), x1 = r.right() - t, y0 = r.top(), ym = r.center().y() - t / 2, y1 = r.bottom() - t;
  const qreal hl = r.width() - 2 * t, vl = (r.height() - 3 * t) / 2;
  const QRectF segs[7] = {
      {x0 + t, y0, hl, t},  // a: top
      {x1, y0 + t, t, vl},  // b: upper right
      {x1, ym + t, t, vl},  // c: lower right
      {x0 + t, y1, hl, t},  // d: bottom
      {x0, ym + t, t, vl},  // e: lower left
      {x0, y0 + t, t, vl},  // f: upper left
      {x0 + t, ym, hl, t},  // g: middle
  };
  for (int k = 0; k < 7; ++k) {
    QPainterPath seg;
    seg.addRoundedRect(segs[k].adjusted(0.5, 0.5, -0.5, -0.5), t / 2.5, t / 2.5);
    p.fillPath(seg, (mask >> k) & 1 ? on : off);
  }
}

}  // namespace

QIcon AppIcon() {
  QIcon icon;
  for (int size : {16, 24, 32, 48, 64, 128}) {
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0, 0, size, size), size * 0.18, size * 0.18);
    p.fillPath(tile, QColor(0, 0, 192));
    DrawBus(p, QRectF(size * 0.12, size * 0.22, size * 0.76, size * 0.56), QColor(255, 200, 40), QColor(0, 0, 120));
    p.end();
    icon.addPixmap(QPixmap::fromImage(img));
  }
  return icon;
}

QImage BackgroundPicture() {
  QImage img(378, 400, QImage::Format_RGB32);
  img.fill(kPaper);
  QPainter p(&img);
  // Two colours only, like a one-bit picture: no smoothing.
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);

  // A timetable sheet behind the bus: a frame, a header band and ruled rows.
  const QRect sheet(40, 36, 298, 200);
  p.fillRect(sheet, kInk);
  p.fillRect(sheet.adjusted(4, 4, -4, -4), kPaper);
  p.fillRect(QRect(sheet.left() + 4, sheet.top() + 4, sheet.width() - 8, 26), kInk);
  for (int row = 0; row < 7; ++row) {
    const int y = sheet.top() + 44 + row * 24;
    p.fillRect(QRect(sheet.left() + 16, y, 70, 6), kInk);
    for (int col = 0; col < 4; ++col) p.fillRect(QRect(sheet.left() + 110 + col * 44, y, 30, 6), kInk);
  }
  // A clock face in the header's corner.
  p.setBrush(kPaper);
  p.setPen(QPen(kInk, 4));
  p.drawEllipse(QPoint(sheet.right() - 24, sheet.top() + 17), 30, 30);
  p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::FlatCap));
  p.drawLine(QPoint(sheet.right() - 24, sheet.top() + 17), QPoint(sheet.right() - 24, sheet.top() - 3));
  p.drawLine(QPoint(sheet.right() - 24, sheet.top() + 17), QPoint(sheet.right() - 8, sheet.top() + 17));
  p.setPen(Qt::NoPen);

  // The road and the bus.
  p.fillRect(QRect(0, 352, 378, 8), kInk);
  for (int x = 10; x < 378; x += 48) p.fillRect(QRect(x, 370, 26, 5), kInk);
  DrawBus(p, QRectF(54, 236, 270, 130), kInk, kPaper);

  // The program's name under the road.
  QFont font(QStringLiteral("Sans Serif"));
  font.setPixelSize(22);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  p.setFont(font);
  p.setPen(kInk);
  p.drawText(QRect(0, 376, 378, 24), Qt::AlignCenter, QStringLiteral("Q U E N D O"));
  p.end();
  return img;
}

QImage ClockDigitPicture(int digit) {
  QImage img(36, 48, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  DrawSegments(p, QRectF(4, 3, 28, 42), digit, QColor(255, 64, 32), QColor(48, 12, 8));
  return img;
}

QImage ClockSeparatorPicture() {
  QImage img(12, 48, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(255, 64, 32));
  p.drawEllipse(QRectF(3, 13, 6, 6));
  p.drawEllipse(QRectF(3, 29, 6, 6));
  return img;
}
