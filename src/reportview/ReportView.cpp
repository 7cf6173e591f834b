#include "reportview/ReportView.h"

#include "common/Clock.h"
#include "common/Cp1252.h"
#include "common/ExportFiles.h"
#include "common/NewFile.h"
#include "common/WholeFile.h"
#include "platform/Busy.h"
#include "platform/MainFrame.h"
#include "platform/PrintSetup.h"
#include "platform/Ui.h"
#include "reports/PageDumpCanvas.h"
#include "reports/PainterCanvas.h"
#include "reports/Report.h"
#include "reportview/ReportPreview.h"

#include <sys/stat.h>
#include <unistd.h>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

const char* const kPrinterFault =
    "Non è possibile aprire la stampante.\n\n"
    "Verificare l'impostazione della stampante associata\n"
    "all'applicazione e riprovare successivamente.\n";

// A PDF file as a set of one file (common/ExportFiles): its hidden temporary is held open while
// the printer writes it through the descriptor's own name, so that nothing put meanwhile under the
// temporary's name is written; checked whole, then put in place, or removed.
class PdfTemporary {
 public:
  bool Create(const std::string& nativeTarget) {
    std::string folder, name;
    SplitNativePath(nativeTarget, folder, name);
    set_ = std::make_unique<ExportFileSet>(folder, std::vector<std::string>{}, PathText::Native);
    return !name.empty() && set_->Begin(name);
  }
  bool Open() const { return set_ && set_->Descriptor() >= 0; }
  QString Through() const { return QStringLiteral("/proc/self/fd/") + QString::number(set_->Descriptor()); }
  // Puts the whole file in place, its creation date the program's clock's `created`.
  bool PutInPlace(const ClockTime& created) {
    return Complete(set_->Descriptor()) && Dated(set_->Descriptor(), created) && set_->Finish() && set_->Commit();
  }

 private:
  // Qt writes the moment its painter began as the creation date at the head of the file
  // ("/CreationDate (D:YYYYMMDDHHmmSS" and the offset from UTC, "Z" or "+HH'mm'"), taken from the
  // system's clock. It becomes the moment of the program's clock (--now fixes it): its local time
  // with the offset in force on that date, as every other date of the run shows it, so that no byte
  // of the file moves. Where Qt wrote "Z" and that date's offset is not nil, there is no room for
  // it: the same moment is written in UTC. A file without the date is left as it is.
  static bool Dated(int fd, const ClockTime& created) {
    std::string head(4096, '\0');
    const ssize_t got = ::pread(fd, head.data(), head.size(), 0);
    if (got <= 0) return false;
    head.resize(static_cast<size_t>(got));
    static const std::string kKey = "/CreationDate (D:";
    const size_t at = head.find(kKey);
    if (at == std::string::npos || at + kKey.size() + 15 > head.size()) return true;
    const size_t digits = at + kKey.size();
    const char sign = head[digits + 14];
    const bool room = sign == '+' || sign == '-';
    if ((room && digits + 21 > head.size()) || (!room && sign != 'Z')) return true;
    const QDateTime local(QDate(created.year, created.month, created.day),
                          QTime(created.hour, created.minute, created.second));
    if (!local.isValid()) return true;
    const int offset = local.offsetFromUtc();  // seconds east of UTC on that date
    char zone[16] = "";
    if (room)
      std::snprintf(zone, sizeof zone, "%c%02d'%02d'", offset < 0 ? '-' : '+', std::abs(offset) / 3600,
                    std::abs(offset) / 60 % 60);
    const QByteArray date = (room ? local : local.toUTC()).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() + zone;
    if (date.size() != (room ? 21 : 14)) return true;
    return ::pwrite(fd, date.constData(), static_cast<size_t>(date.size()), static_cast<off_t>(digits)) == date.size();
  }

  // The file ends as a whole PDF does: its cross-reference table where the trailer says, then
  // the end mark. A write lost on the way moves the one or cuts the other.
  static bool Complete(int fd) {
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size < 64) return false;
    const off_t size = st.st_size;
    const off_t tailSize = std::min<off_t>(size, 256);
    std::string tail(static_cast<size_t>(tailSize), '\0');
    if (::pread(fd, tail.data(), tail.size(), size - tailSize) != tailSize) return false;
    while (!tail.empty() && (tail.back() == '\n' || tail.back() == '\r')) tail.pop_back();
    const size_t mark = tail.rfind("startxref");
    if (tail.size() < 5 || tail.compare(tail.size() - 5, 5, "%%EOF") != 0 || mark == std::string::npos) return false;
    const long long xref = std::strtoll(tail.c_str() + mark + 9, nullptr, 10);
    char head[4];
    return xref > 0 && xref < size - 4 && ::pread(fd, head, 4, xref) == 4 && std::string(head, 4) == "xref";
  }

  std::unique_ptr<ExportFileSet> set_;
};

// Draws the pages of one run, on the page dump too when the driver asked for one.
class PageRun {
 public:
  PageRun(QPainter& painter, Report& report, bool preview)
      : canvas_(painter), dump_(canvas_, lines_), report_(report), preview_(preview), dumping_(ui::PageDumping()) {}

  ReportCanvas& Canvas() { return dumping_ ? static_cast<ReportCanvas&>(dump_) : canvas_; }

  void Draw(int page) {
    if (dumping_) dump_.BeginPage(preview_, page, report_.PageCount());
    report_.PrintPage(Canvas(), page, preview_);
    if (dumping_) {
      // A dump the disk refused is cut: the pages go on without it, and the driver names it.
      dumping_ = ui::AppendPageDump(lines_);
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
  ui::SetReportPage(printer, printer.pageLayout().pageSize(), QPageLayout::Portrait);
  MetricsCanvas canvas(printer);
  return !report.FitsWidth(canvas, PrinterPage(printer));
}

}  // namespace

std::unique_ptr<QPrinter> ReportView::PreparePrinter() {
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  Report* report = report_.get();
  const auto tooWide = [report](QPrinter& p) { return report && TooWideForPortrait(*report, p); };
  if (!ui::PrintSetup(*printer, report ? report->Title() : std::string(), tooWide)) return nullptr;
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
  // A PDF file is written beside its place under a hidden name of its own, created new, and takes
  // its name only once every page is in it and on the disk.
  const QString target = printer.outputFormat() == QPrinter::PdfFormat ? printer.outputFileName() : QString();
  // Only a file is replaced: a name held by a device, a pipe or a folder is refused before any page.
  if (!target.isEmpty() && HeldByNoFile(QFile::encodeName(target).toStdString(), PathText::Native)) {
    ui::MessageBox(NotAFileText(cp1252::FromQStringLossy(target)), ui::MB_ICONEXCLAMATION);
    return false;
  }
  const ClockTime created = Now();  // the moment the file is begun, as the painter's own
  PdfTemporary partial;
  if (!target.isEmpty() && partial.Create(QFile::encodeName(target).toStdString()))
    printer.setOutputFileName(partial.Through());
  QPainter painter;
  if ((!target.isEmpty() && !partial.Open()) || !painter.begin(&printer)) {
    if (!target.isEmpty()) printer.setOutputFileName(target);
    ui::MessageBox(kPrinterFault, ui::MB_ICONINFORMATION);
    return false;
  }
  ShowBusy(true);
  PageRun run(painter, *report_, false);
  report_->Paginate(run.Canvas(), PrinterPage(printer));
  ++paginations_;
  begun_ = true;
  const int pages = report_->PageCount();
  bool everyPage = true;
  {
    ProgressBar bar(frame_);
    for (int page = 1; page <= pages && everyPage; ++page) {
      everyPage = page == 1 || printer.newPage();
      if (everyPage) run.Draw(page);
      bar.SetPos(static_cast<int>(static_cast<long long>(page) * 100 / pages));
    }
  }
  // A printer hands its job over as the painter ends: it may fail there, or refuse it.
  const bool ended = painter.end();
  const bool written =
      ended && everyPage && printer.printerState() != QPrinter::Error && printer.printerState() != QPrinter::Aborted;
  if (!target.isEmpty()) {
    printer.setOutputFileName(target);
    // A write the disk refused (full) leaves a file without its end: it never takes the name.
    if (!written || !partial.PutInPlace(created)) {
      ui::MessageBox(CannotCreateText(cp1252::FromQStringLossy(target)), ui::MB_ICONEXCLAMATION);
      return false;
    }
  } else if (!written || !ui::PrinterTookJob(printer)) {
    // A printer that never took the job prints nothing: the run is abandoned, as when it cannot open.
    ui::MessageBox(kPrinterFault, ui::MB_ICONINFORMATION);
    return false;
  }
  if (ui::Script* script = ui::Script::Current())
    script->Record("PRINT\t" + ui::TranscriptText(report_->Title()) + "\t" + std::to_string(pages));
  return true;
}
