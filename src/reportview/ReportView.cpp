#include "reportview/ReportView.h"

#include "common/Cp1252.h"
#include "platform/Busy.h"
#include "platform/MainFrame.h"
#include "platform/PrintSetup.h"
#include "platform/Ui.h"
#include "reports/PageDumpCanvas.h"
#include "reports/PainterCanvas.h"
#include "reports/Report.h"
#include "reportview/ReportPreview.h"

#include <sys/stat.h>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <QVBoxLayout>
#include <cstdio>

namespace {

constexpr int kDotsPerInch = 600;

const char* const kPrinterFault =
    "Non è possibile aprire la stampante.\n\n"
    "Verificare l'impostazione della stampante associata\n"
    "all'applicazione e riprovare successivamente.\n";

// Draws the pages of one run, on the page dump too when the driver asked for one.
class PageRun {
 public:
  PageRun(QPainter& painter, Report& report, bool preview)
      : canvas_(painter),
        dump_(canvas_, lines_),
        report_(report),
        preview_(preview),
        dumping_(!ui::PageDumpPath().empty()) {}

  ReportCanvas& Canvas() { return dumping_ ? static_cast<ReportCanvas&>(dump_) : canvas_; }

  void Draw(int page) {
    if (dumping_) dump_.BeginPage(preview_, page, report_.PageCount());
    report_.PrintPage(Canvas(), page, preview_);
    if (dumping_) {
      ui::AppendPageDump(lines_);
      lines_.clear();
    }
  }

 private:
  PainterCanvas canvas_;
  std::string lines_;
  PageDumpCanvas dump_;
  Report& report_;
  bool preview_;
  bool dumping_;
};

}  // namespace

PageGeometry PrinterPage(QPrinter& printer) {
  const QRectF area = printer.pageRect(QPrinter::DevicePixel);
  PageGeometry page;
  page.width = static_cast<int>(area.width());
  page.height = static_cast<int>(area.height());
  return page;
}

ReportView* ReportView::Create(MainFrame* frame) {
  auto* view = new ReportView(frame);
  frame->ShowPanel(view);
  return view;
}

ReportView::ReportView(MainFrame* frame) : frame_(frame) {
  setObjectName(QStringLiteral("StampaVista"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
}

ReportView::~ReportView() = default;

void ReportView::Detached() {
  if (detached_) return;
  detached_ = true;
  EndPreview();
  report_.reset();
  printer_.reset();
  frame_->UpdateTitle();
  frame_->Redraw();
}

bool ReportView::SetReport(std::unique_ptr<Report> report) {
  if (report_ || !report) return false;
  report_ = std::move(report);
  frame_->SetCaption(report_->Title());
  return true;
}

namespace {

// Whether the report's columns run past the printable width of a portrait page of `printer`,
// measured as the run will measure them.
bool TooWideForPortrait(Report& report, QPrinter& printer) {
  printer.setResolution(kDotsPerInch);
  printer.setPageOrientation(QPageLayout::Portrait);
  MetricsCanvas canvas(printer);
  return !report.FitsWidth(canvas, PrinterPage(printer));
}

}  // namespace

std::unique_ptr<QPrinter> ReportView::PreparePrinter() {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  Report* report = report_.get();
  const auto tooWide = [report](QPrinter& p) { return report && TooWideForPortrait(*report, p); };
  if (!ui::PrintSetup(*printer, report ? report->Title() : std::string(), tooWide)) return nullptr;
  printer->setResolution(kDotsPerInch);
  printer->setCopyCount(1);
  return printer;
}

void ReportView::PrintPreview() {
  closeRequested = false;
  begun_ = false;
  previewRun_ = true;
  std::unique_ptr<QPrinter> printer = PreparePrinter();
  if (!printer) {
    RequestClose();
    return;
  }
  StartPreview(std::move(printer));
}

void ReportView::StartPreview(std::unique_ptr<QPrinter> printer) {
  EndPreview();
  closeRequested = false;
  previewRun_ = true;
  printer_ = std::move(printer);
  preview_ = new ReportPreview(
      printer_.get(), [this](QPrinter* p) { RenderPreview(p); }, this);
  layout()->addWidget(preview_);
  connect(preview_, &ReportPreview::closeRequested, this, [this] {
    EndPreview();
    RequestClose();
  });
  // The print button ends the preview and prints through the main window's print command.
  connect(preview_, &ReportPreview::printRequested, this, [this] {
    EndPreview();
    frame_->OnFilePrint();
  });
  if (ui::Script::Current()) {
    preview_->Render();
    const ui::PreviewChoice choice =
        ui::TakePreviewAnswer(report_ ? report_->Title() : std::string(), report_ ? report_->PageCount() : 0);
    if (choice == ui::PreviewChoice::Print) {
      emit preview_->printRequested();
    } else {
      emit preview_->closeRequested();
    }
    return;
  }
  preview_->show();
}

void ReportView::RenderPreview(QPrinter* printer) {
  if (!report_ || detached_) return;
  QPainter painter;
  if (!painter.begin(printer)) return;
  ShowBusy(true);
  PageRun run(painter, *report_, true);
  report_->Paginate(run.Canvas(), PrinterPage(*printer));
  ++paginations_;
  begun_ = true;
  for (int page = 1; page <= report_->PageCount(); ++page) {
    if (page > 1) printer->newPage();
    run.Draw(page);
    PumpBusy();
  }
  painter.end();
}

void ReportView::EndPreview() {
  if (!preview_) return;
  ReportPreview* preview = preview_;
  preview_ = nullptr;
  preview->hide();
  preview->deleteLater();  // its button's handler may be the one running
  previewRun_ = false;
}

void ReportView::Print() {
  EndPreview();
  closeRequested = false;
  begun_ = false;
  previewRun_ = false;
  std::unique_ptr<QPrinter> printer = PreparePrinter();
  if (!printer) {
    RequestClose();
    return;
  }
  printer_ = std::move(printer);
  PrintPages(*printer_);
  RequestClose();
}

bool ReportView::PrintPages(QPrinter& printer) {
  if (!report_) return false;
  // A PDF file is written beside its place under a name of its own, and takes its name only once
  // every page is in it.
  const QString target = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
  QString partial;
  if (!target.isEmpty()) {
    const QFileInfo info(target);
    QTemporaryFile reserve(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral("-XXXXXX"));
    reserve.setAutoRemove(false);
    if (reserve.open()) {
      partial = reserve.fileName();
      reserve.close();
      printer.setOutputFileName(partial);
    }
  }
  QPainter painter;
  if ((!target.isEmpty() && partial.isEmpty()) || !painter.begin(&printer)) {
    if (!partial.isEmpty()) QFile::remove(partial);
    ui::MessageBox(kPrinterFault, ui::MB_ICONINFORMATION);
    return false;
  }
  ShowBusy(true);
  PageRun run(painter, *report_, false);
  report_->Paginate(run.Canvas(), PrinterPage(printer));
  ++paginations_;
  begun_ = true;
  const int pages = report_->PageCount();
  {
    ProgressBar bar(frame_);
    for (int page = 1; page <= pages; ++page) {
      if (page > 1 && !printer.newPage()) break;
      run.Draw(page);
      bar.SetPos(static_cast<int>(static_cast<long long>(page) * 100 / pages));
    }
  }
  const bool written = painter.end() && printer.printerState() != QPrinter::Error;
  if (!partial.isEmpty()) {
    const std::string from = QFile::encodeName(partial).toStdString();
    const std::string to = QFile::encodeName(target).toStdString();
    // The file gets the permissions of any new file of the user, not the private ones of a
    // temporary file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(from.c_str(), 0666 & ~mask);
    if (!written || std::rename(from.c_str(), to.c_str()) != 0) {
      QFile::remove(partial);
      ui::MessageBox("Impossibile creare\n\n" + cp1252::FromQStringLossy(target), ui::MB_ICONEXCLAMATION);
      return false;
    }
    printer.setOutputFileName(target);
  }
  if (ui::Script* script = ui::Script::Current())
    script->Record("PRINT\t" + ui::TranscriptText(report_->Title()) + "\t" + std::to_string(pages));
  return written;
}
