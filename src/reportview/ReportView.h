#pragma once
// The one view through which every report is printed or previewed: the main window's panel that
// holds the report, asks for the print setup, paginates the report once per run on the run's
// printer and draws its pages, on the printer (with the progress bar by pages) or in the preview
// it shows. It asks to be closed when its run is over (a print ended, a setup cancelled, a
// preview closed); the frame removes it when it is next idle, and the report goes with it.

#include "platform/Panel.h"
#include "reports/Report.h"
#include "reportview/ReportPreview.h"

#include <QPointer>
#include <memory>
#include <string>

class MainFrame;
class QPrinter;
class Report;

// The page of a run on `printer`: its printable area in device units, where its painter's origin lies.
PageGeometry PrinterPage(QPrinter& printer);

class ReportView : public Panel {
  Q_OBJECT

 public:
  // Makes a new view the frame's panel: the panel shown before, and its report, go first.
  static ReportView* Create(MainFrame* frame);
  ~ReportView() override;

  // Attaches the report (the view owns it from now on) and shows its title as the caption; false,
  // and nothing changes, when a report is attached already or none is given.
  bool SetReport(std::unique_ptr<Report> report);
  Report* AttachedReport() const { return report_.get(); }

  // A print preview: the print setup, then the pages in the preview, which stays open as the
  // panel. Headless, its pages are drawn once and the script says whether it is closed or printed.
  void PrintPreview();
  // A print run: the print setup, the pagination for the printer, every page printed.
  void Print() override;

  // The preview of the report on a printer already set up (the part of PrintPreview after the setup).
  void StartPreview(std::unique_ptr<QPrinter> printer);
  ReportPreview* Preview() const { return preview_.data(); }

  // The run has paginated the report (and not ended since).
  bool Begun() const { return begun_; }
  bool InPreview() const { return previewRun_; }
  // Paginations done in this view's life (each run paginates once on its device).
  int Paginations() const { return paginations_; }

  void Detached() override;

 private:
  explicit ReportView(MainFrame* frame);
  std::unique_ptr<QPrinter> PreparePrinter();
  void RenderPreview(QPrinter* printer);
  // Paginates and draws every page on a painter of `printer`; false, once the user is told, when it
  // cannot be opened or did not take the job (a PDF file not written whole, a printer that refused it).
  bool PrintPages(QPrinter& printer);
  void EndPreview();

  MainFrame* frame_;
  std::unique_ptr<Report> report_;
  std::unique_ptr<QPrinter> printer_;
  QPointer<ReportPreview> preview_;
  bool begun_ = false;
  bool previewRun_ = false;
  bool detached_ = false;
  int paginations_ = 0;
};
