#pragma once
// The print preview of a report: Qt's preview of the printer's pages under a small tool bar
// (print, close, page, zoom). It asks its owner for the pages whenever it draws them.

#include <QWidget>
#include <functional>

class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QSpinBox;

class ReportPreview : public QWidget {
  Q_OBJECT

 public:
  // `render` draws every page of the run on the printer it is given (in preview mode).
  ReportPreview(QPrinter* printer, std::function<void(QPrinter*)> render, QWidget* parent);

  // Draws the pages now (they are drawn when first shown otherwise).
  void Render();
  int PageCount() const;
  QPrintPreviewWidget* Pages() const { return pages_; }

 signals:
  void printRequested();
  void closeRequested();

 private:
  void ShowPageNumber();

  QPrintPreviewWidget* pages_;
  QSpinBox* page_;
  QLabel* pageCount_;
  std::function<void(QPrinter*)> render_;
};
