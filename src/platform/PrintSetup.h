#pragma once
// The questions of a print run: the print setup (which printer, which paper) and, for a print
// preview, what the user does with it. With a ui::Script installed nothing is shown:
//   the setup is written to the transcript as "PRINTSETUP<TAB>title" and takes the answer
//   "printer FILE.pdf [landscape|portrait]" (a PDF printer on A4 paper without margins of its
//   own, turned as proposed unless the answer says otherwise) or "cancel"; a file of a database
//   (the open one, any other, their companions) is refused with a box, as on the screen, and the
//   setup takes the next answer;
//   a preview, once its pages are drawn, is written as "PREVIEW<TAB>title<TAB>pages" and takes
//   "preview close" or "preview print".
// The page dump of the headless driver (--page-dump) is kept here too.

#include <QPageLayout>
#include <QString>
#include <functional>
#include <string>

class QPageSize;
class QPrintDialog;
class QPrinter;

namespace ui {

// The resolution every report is laid out and drawn at, on paper, in a PDF file and in a preview.
constexpr int kReportDotsPerInch = 600;

// Shows the print setup for `printer`; false when it was cancelled. Titles are Windows-1252.
// `tooWideForPortrait`, when given, tells whether what is printed runs past a portrait page of
// the printer (it may turn the printer to measure): then the setup proposes landscape paper, which
// the user may still change. The paper proposed is A4 for printing to a file (and for the scripted
// answer), and a printer's own paper (US Letter on a queue set so) for a printer of the print
// service: the report is paginated on whichever paper is chosen, so nothing is cut. The setup
// offers neither a print range nor copies nor a reverse order, and the printer's properties no
// margins: every page is printed, once, in its order, within the printable area. Whichever way it
// is answered, the printer leaves it set up by SetReportPage on the paper chosen.
bool PrintSetup(QPrinter& printer, const std::string& title,
                const std::function<bool(QPrinter&)>& tooWideForPortrait = {});

// How the OK of the print setup `dialog` checks the output file, which never goes over a database's
// file (the open database, any other, their companions): by Qt's own check once such a file is
// refused (Qt's check opens and closes the file, which would drop this process's locks on it); by
// the file's name alone, with the same refusals and question, where Qt has no such check (always
// when `withoutQtCheck`); or not at all, where the dialog has no field or OK as known, by offering
// no printing to a file. PrintSetup sets it up on its dialog.
enum class OutputCheck { Qt, ByName, NoFile };
OutputCheck CheckOutputFile(QPrintDialog& dialog, bool withoutQtCheck = false);

// Makes `printer` the PDF printer of the scripted answer: the file, A4 paper, no margins of its own.
void SetPdfPrinter(QPrinter& printer, const std::string& path, bool landscape);

// The one page setup of a report run, in the window and headless alike: `paper` turned by
// `orientation`, kReportDotsPerInch, and as printable area all the device can print of the paper as
// it lies (the whole sheet for a PDF file, a printer's sheet less the edges it cannot print on,
// those of the upright paper's top and bottom at the left and right of landscape paper). The pages
// of a report depend on nothing else.
void SetReportPage(QPrinter& printer, const QPageSize& paper, QPageLayout::Orientation orientation);

// Whether the printer took the job whose painter has just ended on `printer`: a PDF file always
// (its own check follows); a printer of the print service only when the service accepted the job.
// Qt's printer hands the job to the service as its painter ends and does not say whether it was
// refused (a queue that rejects jobs, a queue removed, the service down): that is read from the
// service's client library, which holds the answer to the last request of this thread.
bool PrinterTookJob(const QPrinter& printer);

enum class PreviewChoice { Close, Print };
// The scripted answer of a preview of `pages` pages (only with a script installed).
PreviewChoice TakePreviewAnswer(const std::string& title, int pages);

// The file that receives the pages drawn, set by the driver with the name as it was given: opened
// here once, emptied, and kept open until PageDumpWhole (a pipe's reader sees one stream). An
// empty name: no dump. False when the file cannot be opened: there is then no dump.
bool SetPageDump(const QString& path);
// True while a page dump is open.
bool PageDumping();
// Appends UTF-8 lines to the page dump; false when they cannot be written whole, and from then on
// until a dump is set again: the dump is then cut.
bool AppendPageDump(const std::string& lines);
// Closes the page dump; false when it was cut by a write the disk refused, or its close failed.
bool PageDumpWhole();

}  // namespace ui
