#include "reportview/ReportPreview.h"

#include <QAction>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>

ReportPreview::ReportPreview(QPrinter* printer, std::function<void(QPrinter*)> render, QWidget* parent)
    : QWidget(parent), render_(std::move(render)) {
  pages_ = new QPrintPreviewWidget(printer, this);
  pages_->setObjectName(QStringLiteral("anteprima"));
  connect(pages_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) { render_(p); });

  auto* bar = new QToolBar(this);
  bar->addAction(QStringLiteral("Stampa..."), this, &ReportPreview::printRequested)
      ->setObjectName(QStringLiteral("stampa"));
  bar->addAction(QStringLiteral("Chiudi"), this, &ReportPreview::closeRequested)
      ->setObjectName(QStringLiteral("chiudi"));
  bar->addSeparator();
  bar->addAction(QStringLiteral("<"), pages_, [this] { pages_->setCurrentPage(pages_->currentPage() - 1); });
  bar->addWidget(new QLabel(QStringLiteral(" Pagina "), bar));
  page_ = new QSpinBox(bar);
  page_->setMinimum(1);
  bar->addWidget(page_);
  pageCount_ = new QLabel(bar);
  bar->addWidget(pageCount_);
  bar->addAction(QStringLiteral(">"), pages_, [this] { pages_->setCurrentPage(pages_->currentPage() + 1); });
  bar->addSeparator();
  bar->addAction(QStringLiteral("Zoom +"), pages_, [this] { pages_->zoomIn(); });
  bar->addAction(QStringLiteral("Zoom -"), pages_, [this] { pages_->zoomOut(); });
  bar->addAction(QStringLiteral("Pagina intera"), pages_, [this] { pages_->fitInView(); });
  bar->addAction(QStringLiteral("Due pagine"), pages_, [this] {
    pages_->setViewMode(QPrintPreviewWidget::FacingPagesView);
    pages_->fitInView();
  });

  connect(page_, &QSpinBox::valueChanged, pages_, [this](int n) {
    if (n != pages_->currentPage()) pages_->setCurrentPage(n);
  });
  connect(pages_, &QPrintPreviewWidget::previewChanged, this, &ReportPreview::ShowPageNumber);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(bar);
  layout->addWidget(pages_, 1);
}

void ReportPreview::Render() {
  pages_->updatePreview();
  ShowPageNumber();
}

int ReportPreview::PageCount() const { return pages_->pageCount(); }

void ReportPreview::ShowPageNumber() {
  page_->setMaximum(std::max(1, pages_->pageCount()));
  page_->setValue(pages_->currentPage());
  pageCount_->setText(QStringLiteral(" di %1 ").arg(pages_->pageCount()));
}
