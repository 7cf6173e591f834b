#include "app/commands/HyperPlanCommands.h"

#include "app/commands/InterruptedExports.h"
#include "common/Clock.h"
#include "conversions/hyperplan/MTramCadences.h"
#include "conversions/hyperplan/RouteCodeAssignment.h"
#include "conversions/hyperplan/RouteConversion.h"
#include "conversions/hyperplan/RouteDescriptor.h"
#include "db/MasterRow.h"
#include "platform/Busy.h"
#include "platform/BusyProgress.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

void ConvertHyperPlanRoutes(MainFrame* frame) {
  constexpr const char* kShapeFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";
  std::string refusal;
  const int company = WorkingCompany(frame->Database(), Undone::Files, refusal);
  if (!refusal.empty()) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    return;
  }
  ui::FileDialog input(ui::FileDialog::Mode::Open, kRouteInputCaption, "PERCORSI", kShapeFilter, "SHP");
  if (input.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  const RouteReading reading = ReadRouteSet(input.Path(), &progress);
  if (!ui::ShowOutcome(reading)) return;
  ui::FileDialog output(ui::FileDialog::Mode::Save, kRouteOutputCaption, "RT_ITIN", kShapeFilter, "SHP");
  if (output.DoModal() != ui::IDOK) return;
  const RouteWriting writing = WriteRouteSet(output.Path(), reading.lines, company, Now(), ExportFolderWatch());
  ui::ShowOutcome(writing);
}

void AssignHyperPlanRouteCodes(MainFrame* frame) {
  ui::FileDialog input(ui::FileDialog::Mode::Open, "Acquisizione Descrittore Fermate/Percorsi di HyperPlan", "PERCORSI",
                       "File di testo|*.txt|Tutti i files (*.*)|*.*||", "TXT");
  if (input.DoModal() != ui::IDOK) return;
  frame->ShowStatusBand(kDescriptorStep);
  const DescriptorReading descriptor = ReadDescriptor(DescriptorFile(input.Path()));
  frame->Redraw();
  if (!ui::ShowOutcome(descriptor)) return;  // an unreadable file says nothing
  ShowBusy(true);
  FrameProgress progress(frame);
  ui::ShowOutcome(AssignRouteCodesFromDescriptor(frame->Database(), descriptor.routes, &progress));
}

void RebuildMTramCadences(MainFrame* frame) {
  ShowBusy(true);
  BusyProgress progress;
  ui::ShowOutcome(RebuildMTramCadences(frame->Database(), &progress));
}
