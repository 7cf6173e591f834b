#include "app/commands/StopConversionCommands.h"

#include "app/commands/InterruptedExports.h"
#include "common/Clock.h"
#include "conversions/stops/StopConversion.h"
#include "db/MasterRow.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

namespace {

constexpr const char* kShapeFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";

void ConvertStops(MainFrame* frame, const StopConversionTexts& texts) {
  std::string refusal;
  const int company = WorkingCompany(frame->Database(), Undone::Files, refusal);
  if (!refusal.empty()) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    return;
  }
  ui::FileDialog input(ui::FileDialog::Mode::Open, texts.inputCaption, "NODI", kShapeFilter, "SHP");
  if (input.DoModal() != ui::IDOK) return;
  ShowBusy(true);
  FrameProgress progress(frame);
  const StopReading reading = ReadStopSet(input.Path(), texts, &progress);
  if (!ui::ShowOutcome(reading)) return;
  ui::FileDialog output(ui::FileDialog::Mode::Save, kStopOutputCaption, "RT_NODI", kShapeFilter, "SHP");
  if (output.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(WriteStopSet(output.Path(), reading.stops, company, Now(), ExportFolderWatch()));
}

}  // namespace

void ConvertHyperPlanStops(MainFrame* frame) { ConvertStops(frame, HyperPlanStopTexts()); }

void ConvertMicroBusStops(MainFrame* frame) { ConvertStops(frame, MicroBusStopTexts()); }
