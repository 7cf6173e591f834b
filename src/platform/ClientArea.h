#pragma once
// The main window's client area: paints the background picture (under a panel too, which may draw
// nothing of its own), and the
// status band of the running operation; keeps the panel, the progress bar and the busy clock in
// their places when the window changes size.

#include "platform/Panel.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class ClientArea : public QWidget {
  Q_OBJECT

 public:
  explicit ClientArea(QWidget* parent);

  // The panel shown over the whole area, or null.
  Panel* CurrentPanel() const { return panel_.data(); }
  // Makes `panel` the current panel (destroying the previous one); null only forgets it.
  void SetPanel(Panel* panel);

  // The status band: painted at once, removed by the next redraw of the frame.
  void ShowStatusBand(const QString& text);
  void ClearStatusBand();
  const QString& StatusBandText() const { return band_; }
  QRect StatusBandRect() const;

  // Repaints the whole area now, without the status band.
  void Redraw();

  static constexpr int kProgressHeight = 20;
  static QColor BandColour() { return QColor(0, 0, 192); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void childEvent(QChildEvent* event) override;

 private:
  void PlaceChildren();

  QImage background_;
  QPointer<Panel> panel_;
  QString band_;
};
