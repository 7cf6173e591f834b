#include "platform/PrintSetup.h"

#include "common/Cp1252.h"
#include "common/DatabaseFiles.h"
#include "platform/FileChoosers.h"
#include "platform/FileDialog.h"
#include "platform/Ui.h"

#include <dlfcn.h>
#include <QChildEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QShowEvent>
#include <QTabWidget>
#include <QWidget>
#include <algorithm>
#include <memory>

namespace ui {
namespace {

// The page dump, open from SetPageDump until PageDumpWhole: opened once, so that a pipe's reader
// sees one stream of pages, and a name is never opened again.
std::unique_ptr<QFile> g_pageDump;
bool g_pageDumpCut = false;

[[noreturn]] void Unanswerable(const std::string& what, const std::string& title) {
  throw UnansweredQuestion(what + " (" + title + "): nessuna risposta adatta");
}

// True, once the user is told, when the pages would go over a database's file: the open database,
// any other, or a companion SQLite keeps beside one. Writing them would destroy it, and Qt's dialog
// tries its output file by opening and closing it, which drops every lock this process holds on
// the file. A link counts as the file it leads to; nothing here opens a file.
bool RefusedOutput(const QString& name) {
  if (name.isEmpty()) return false;
  const QFileInfo file(name);
  const QString path = file.exists() ? file.canonicalFilePath() : file.absoluteFilePath();
  if (!DatabaseFiles().Holds(QFile::encodeName(path).toStdString())) return false;
  MessageBox("Il file di output non può essere un database né uno dei suoi file:\n" +
                 cp1252::FromQStringLossy(file.absoluteFilePath()) + "\n\nSceglierne un altro.",
             MB_ICONEXCLAMATION);
  return true;
}

// Qt's own check of the output file made by its name alone (nothing is opened): a folder, or a file
// that can be neither written nor made, is refused; a file that is there is written over only when
// the user says so.
bool WritableOutput(const QString& name) {
  const QFileInfo file(name), folder(QFileInfo(name).absolutePath());
  const std::string shown = cp1252::FromQStringLossy(file.absoluteFilePath());
  if (name.isEmpty() || file.isDir() || !(file.exists() ? file.isWritable() : folder.isDir() && folder.isWritable())) {
    MessageBox("Il file di output non può essere scritto:\n" + shown + "\n\nSceglierne un altro.", MB_ICONEXCLAMATION);
    return false;
  }
  return !file.exists() ||
         MessageBox("Il file\n" + shown + "\nesiste già. Sovrascriverlo?", MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

// The fields of Qt's print dialog that a report run does not honour, by their names in the dialog:
// the print range (every page is printed: no range, and for a printer of the print service no
// choice of odd or even pages either) and the output settings (one copy is printed, with nothing to
// collate, its pages in their order). Nothing else is on their tab, which goes with them.
const char* const kUnhonouredFields[] = {"gbPrintRange", "groupBox"};
// The margins of the page setup in the printer's properties, by the name of one of them: every page
// is laid out on all the paper the device can print, whatever margins are typed there.
const char* const kUnhonouredMargin = "topMargin";

// Qt's print dialog without those fields. Qt shows them again whenever the dialog is shown and
// whenever another printer is chosen, so they are hidden after each; the printer's properties are
// a dialog made anew for each printer, whose margins are hidden as it is first shown.
class ReportPrintDialog : public QPrintDialog {
 public:
  ReportPrintDialog(QPrinter* printer, QWidget* parent) : QPrintDialog(printer, parent) {
    if (auto* printers = findChild<QComboBox*>(QStringLiteral("printers")))
      connect(printers, &QComboBox::currentIndexChanged, this, [this] { HideUnhonoured(); });
  }

 protected:
  void showEvent(QShowEvent* event) override {
    QPrintDialog::showEvent(event);
    HideUnhonoured();
  }
  void childEvent(QChildEvent* event) override {
    QPrintDialog::childEvent(event);
    if (!event->polished()) return;
    if (auto* properties = qobject_cast<QDialog*>(event->child()))
      for (QWidget* margin : properties->findChildren<QWidget*>(QString::fromLatin1(kUnhonouredMargin)))
        if (margin->parentWidget()) margin->parentWidget()->hide();
  }

 private:
  void HideUnhonoured() {
    auto* output = findChild<QWidget*>(QStringLiteral("copiesTab"));
    if (!output) return;
    for (const char* name : kUnhonouredFields)
      for (QWidget* field : output->findChildren<QWidget*>(QString::fromLatin1(name))) field->hide();
    for (QTabWidget* tabs : findChildren<QTabWidget*>())
      if (const int tab = tabs->indexOf(output); tab >= 0) tabs->setTabVisible(tab, false);
  }
};

}  // namespace

OutputCheck CheckOutputFile(QPrintDialog& dialog, bool withoutQtCheck) {
  auto* buttons = dialog.findChild<QDialogButtonBox*>(QString(), Qt::FindDirectChildrenOnly);
  auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
  if (!buttons || !file) {
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    return OutputCheck::NoFile;
  }
  const bool qtCheck = !withoutQtCheck && dialog.metaObject()->indexOfMethod("_q_checkFields()") >= 0;
  QObject::disconnect(buttons, &QDialogButtonBox::accepted, &dialog, nullptr);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&dialog, file, qtCheck] {
    if (file->isEnabled() && RefusedOutput(file->text())) return;
    if (qtCheck && QMetaObject::invokeMethod(&dialog, "_q_checkFields")) return;
    if (!file->isEnabled() || WritableOutput(file->text())) dialog.accept();
  });
  return qtCheck ? OutputCheck::Qt : OutputCheck::ByName;
}

bool PrintSetup(QPrinter& printer, const std::string& title, const std::function<bool(QPrinter&)>& tooWideForPortrait) {
  if (Script* script = Script::Current()) {
    script->Record("PRINTSETUP\t" + TranscriptText(title));
    Answer answer;
    do {  // a refused file leaves the setup open for the next answer, as on the screen
      if (!script->HasAnswer()) Unanswerable("Impostazione stampante", title);
      const Answer::Kind kind = script->Peek().kind;
      if (kind == Answer::Kind::Cancel) {
        script->Take();
        return false;
      }
      if (kind != Answer::Kind::Printer) Unanswerable("Impostazione stampante", title);
      answer = script->Take();
    } while (RefusedOutput(cp1252::ToQString(answer.value)));
    const std::string orientation = answer.controls.empty() ? std::string() : answer.controls.front().second;
    SetPdfPrinter(printer, answer.value, false);
    const bool landscape =
        orientation.empty() ? tooWideForPortrait && tooWideForPortrait(printer) : orientation == "landscape";
    SetPdfPrinter(printer, answer.value, landscape);
    return true;
  }
  if (!CanShowWindows()) Unanswerable("Impostazione stampante", title);
  // The dialog proposes the page the driver's answer gets, turned when the report needs it: A4 for
  // printing to a file; a printer of the print service proposes its own paper, turned so.
  const QPageSize a4(QPageSize::A4);
  SetReportPage(printer, a4, QPageLayout::Portrait);
  if (tooWideForPortrait && tooWideForPortrait(printer)) SetReportPage(printer, a4, QPageLayout::Landscape);
  WatchFileChoosers();  // the chooser behind "File di output" and that field's completer list folders
  ReportPrintDialog dialog(&printer, OwnerWindow());
  dialog.setWindowTitle(QStringLiteral("Imposta stampante"));
  dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  // The output file is proposed where the program's own file dialogs open (the last folder chosen,
  // else the data folder) in place of Qt's home folder; the chooser of its "..." opens where the field points.
  if (auto* file = dialog.findChild<QLineEdit*>(QStringLiteral("filename")); file && printer.outputFileName().isEmpty())
    file->setText(QDir(FileDialog::StartFolder()).filePath(QStringLiteral("print.pdf")));
  CheckOutputFile(dialog);
  ArrowCursorWhileShown arrow;
  if (dialog.exec() != QDialog::Accepted) return false;
  // Of what the dialog set, the paper and its orientation are kept; margins and resolution are
  // the report's own again.
  const QPageLayout chosen = printer.pageLayout();
  SetReportPage(printer, chosen.isValid() ? chosen.pageSize() : a4, chosen.orientation());
  return true;
}

void SetPdfPrinter(QPrinter& printer, const std::string& path, bool landscape) {
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(cp1252::ToQString(path));
  SetReportPage(printer, QPageSize(QPageSize::A4), landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
}

void SetReportPage(QPrinter& printer, const QPageSize& paper, QPageLayout::Orientation orientation) {
  printer.setResolution(kReportDotsPerInch);
  printer.setPageSize(paper.isValid() ? paper : QPageSize(QPageSize::A4));
  // The bands the device cannot print on, read with the paper upright: none for a PDF file. Qt
  // gives them as they lie on upright paper whichever way the paper is turned.
  printer.setPageOrientation(QPageLayout::Portrait);
  const QPageLayout upright = printer.pageLayout();
  const QMarginsF bands = upright.minimumMargins();
  printer.setPageOrientation(orientation);
  QMarginsF margins = bands;
  if (orientation == QPageLayout::Landscape) {
    // Turned, the upright paper's top and bottom come to the left and right, and its sides to the
    // top and bottom; each edge keeps the wider band of its pair, as the printer may turn the paper
    // either way.
    const qreal ends = std::max(bands.top(), bands.bottom()), sides = std::max(bands.left(), bands.right());
    margins = QMarginsF(ends, sides, ends, sides);
  }
  // Qt measures margins against the upright bands on turned paper too, and would refuse these:
  // margins given on a full page are taken as they are, and stay when the page is printable again.
  printer.setFullPage(true);
  printer.setPageMargins(margins, upright.units());
  printer.setFullPage(false);
}

bool PrinterTookJob(const QPrinter& printer) {
  if (printer.outputFormat() != QPrinter::NativeFormat) return true;
  // The print service's library is there only when Qt's printer uses it; it is never loaded here.
  void* library = ::dlopen("libcups.so.2", RTLD_LAZY | RTLD_NOLOAD);
  if (!library) return true;
  using LastStatus = int (*)();
  const auto lastStatus = reinterpret_cast<LastStatus>(::dlsym(library, "cupsLastError"));
  const int status = lastStatus ? lastStatus() : 0;
  ::dlclose(library);
  // The answers up to "successful-ok-conflicting-attributes" (0x0002) are a job taken.
  constexpr int kLastTaken = 0x0002;
  return status <= kLastTaken;
}

PreviewChoice TakePreviewAnswer(const std::string& title, int pages) {
  Script* script = Script::Current();
  if (!script) return PreviewChoice::Close;
  script->Record("PREVIEW\t" + TranscriptText(title) + "\t" + std::to_string(pages));
  if (!script->HasAnswer() || script->Peek().kind != Answer::Kind::Preview) Unanswerable("Anteprima di stampa", title);
  return script->Take().value == "print" ? PreviewChoice::Print : PreviewChoice::Close;
}

bool SetPageDump(const QString& path) {
  g_pageDump.reset();
  g_pageDumpCut = false;
  if (path.isEmpty()) return true;
  auto file = std::make_unique<QFile>(path);
  if (!file->open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  g_pageDump = std::move(file);
  return true;
}

bool PageDumping() { return g_pageDump != nullptr; }

bool AppendPageDump(const std::string& lines) {
  if (!g_pageDump) return true;
  if (g_pageDumpCut) return false;  // a page missing in the middle would not show
  // The bytes reach the disk only at the flush: a full disk refuses them there, not at the write.
  g_pageDumpCut =
      g_pageDump->write(lines.data(), static_cast<qint64>(lines.size())) != static_cast<qint64>(lines.size()) ||
      !g_pageDump->flush() || g_pageDump->error() != QFileDevice::NoError;
  return !g_pageDumpCut;
}

bool PageDumpWhole() {
  if (g_pageDump) {
    g_pageDump->close();
    g_pageDumpCut = g_pageDumpCut || g_pageDump->error() != QFileDevice::NoError;
    g_pageDump.reset();
  }
  return !g_pageDumpCut;
}

}  // namespace ui
