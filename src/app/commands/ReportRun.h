#pragma once
// The run every report command follows once its options are known: the report's view becomes the
// main window's panel, the rows are loaded with the busy clock (and the progress bar, for the
// loaders that tell their progress), and the report is previewed or printed. A report whose
// loading stopped at a value its column cannot hold as its kind, or that has no rows, says so and
// leaves no panel.

#include "common/WorkProgress.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "reports/Report.h"

#include <memory>

class ReportView;

// A new report view made the frame's panel, with the busy clock started.
ReportView* BeginReport(MainFrame& frame);
// True when the report was loaded whole; otherwise the value that stopped its loading, named with
// its row and ended by what was not done (`Undone`), and the panel closed.
bool ReportLoaded(MainFrame& frame, const Report& report, Undone undone);
// True when the report has rows; otherwise "Non ci sono dati da stampare !!!" and the panel closed.
bool ReportHasRows(MainFrame& frame, const Report& report);
// Attaches the report to its view, then previews or prints it.
void ShowReport(MainFrame& frame, ReportView* view, std::unique_ptr<Report> report, bool preview);

// The view with the report's rows loaded; null when there are none or the loading stopped (the
// panel is closed). `undone` ends the message of a stopped loading: the report is not prepared, or
// for a report written as a file, no file is written.
template <class R>
ReportView* OpenReport(MainFrame& frame, R& report, Undone undone = Undone::Findings) {
  ReportView* view = BeginReport(frame);
  // A report whose company line held a value of another kind than its column's is not loaded.
  if (!report.LoadFaulted()) {
    if constexpr (requires(WorkProgress * progress) { report.Load(frame.Database(), progress); }) {
      FrameProgress progress(&frame);
      report.Load(frame.Database(), &progress);
    } else {
      report.Load(frame.Database());
    }
  }
  return ReportLoaded(frame, report, undone) && ReportHasRows(frame, report) ? view : nullptr;
}

template <class R>
void RunReport(MainFrame& frame, std::unique_ptr<R> report, bool preview) {
  if (ReportView* view = OpenReport(frame, *report)) ShowReport(frame, view, std::move(report), preview);
}
