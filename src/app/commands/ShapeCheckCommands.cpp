#include "app/commands/ShapeCheckCommands.h"

#include "app/commands/InterruptedExports.h"
#include "common/Clock.h"
#include "common/WholeFile.h"
#include "conversions/routes/MultiLineRoutes.h"
#include "conversions/shapechecks/ShapeCheck.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "db/DbDatabase.h"
#include "db/MasterRow.h"
#include "exchange/ImportErrors.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

#include <string>

namespace {

constexpr const char* kShapeFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";

// Asks for a text report and writes it whole; a file that cannot be written is told.
void SaveReport(const char* caption, const char* name, const std::string& text) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, caption, name, kTextFileFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(SaveWholeFile(dialog.Path(), text));
}

void CheckShapefile(MainFrame* frame, ShapeCheckKind kind) {
  DbDatabase* db = frame->Database();
  std::string refusal;
  const int company = WorkingCompany(db, Undone::Findings, refusal);
  if (!refusal.empty()) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    return;
  }
  ui::FileDialog input(ui::FileDialog::Mode::Open, ShapeCheckInputCaption(kind), ShapeCheckDefaultName(kind),
                       kShapeFilter, "SHP");
  if (input.DoModal() != ui::IDOK) return;
  const std::string base = ShapeBase(input.Path());
  ShowBusy(true);
  ShapeCheckReading reading;
  {
    FrameProgress progress(frame);
    reading = ReadShapeCheckSet(kind, input.Path(), company, &progress);
  }
  if (!ui::ShowOutcome(reading)) return;
  CompareWithTimetable(db, reading.check);
  const ShapeVerdict verdict = JudgeShapeCheck(reading.check);
  const ClockTime now = Now();
  if (!verdict.offersReport) {
    ui::ShowOutcome(verdict);
    return;
  }
  const Notice& question = verdict.messages.front();
  if (ui::MessageBox(question.text, static_cast<unsigned>(question.icon) | ui::MB_OKCANCEL) == ui::IDOK)
    SaveReport(kShapeCheckReportCaption, ShapeCheckReportName(kind),
               ShapeCheckReportText(reading.check, db->Path(), base, now));
}

}  // namespace

void CheckStopsShapefile(MainFrame* frame) { CheckShapefile(frame, ShapeCheckKind::Stops); }

void CheckRoutesShapefile(MainFrame* frame) { CheckShapefile(frame, ShapeCheckKind::Routes); }

void ReduceMultiLineRoutes(MainFrame* frame) {
  ui::FileDialog input(ui::FileDialog::Mode::Open, kMultiLineInputCaption, "RT_ITIN", kShapeFilter, "SHP");
  if (input.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  const MultiLineReading reading = ReadMultiLineRoutes(input.Path(), &progress);
  const int multiLine = reading.MultiLineCount();
  if (!ui::ShowOutcome(reading) || multiLine == 0) return;
  if (ui::MessageBox(MultiLineQuestionText(multiLine), ui::MB_ICONQUESTION | ui::MB_OKCANCEL) != ui::IDOK) {
    ui::MessageBox(RoutesNotGeneratedText(), ui::MB_ICONSTOP);
    return;
  }
  ui::FileDialog output(ui::FileDialog::Mode::Save, "Selezione ShapeFile RT_ITIN (output)", "RT_ITIN", kShapeFilter,
                        "SHP");
  if (output.DoModal() != ui::IDOK) {
    ui::MessageBox(RoutesNotGeneratedText(), ui::MB_ICONSTOP);
    return;
  }
  frame->ShowStatusBand(kMultiLineStatus);  // once the set is chosen: the band tells the work
  const RouteWriting writing = WriteReducedRoutes(output.Path(), reading.routes, Now(), &progress, ExportFolderWatch());
  const ClockTime now = Now();
  if (!ui::ShowOutcome(writing)) return;
  SaveReport(kMultiLineReportCaption, kMultiLineReportName, MultiLineReportText(reading.routes, now));
}
