#include "app/commands/MicroBusCommands.h"

#include "app/commands/InterruptedExports.h"
#include "common/Clock.h"
#include "conversions/microbus/MicroBusCadences.h"
#include "conversions/microbus/MicroBusMaps.h"
#include "conversions/microbus/MicroBusNormalisation.h"
#include "conversions/microbus/MicroBusRoutes.h"
#include "conversions/microbus/MicroBusShape.h"
#include "conversions/microbus/RouteFile.h"
#include "conversions/microbus/RoutePolylines.h"
#include "db/DbDatabase.h"
#include "db/MasterRow.h"
#include "exchange/ImportErrors.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

namespace {

constexpr const char* kShapeFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";

// Asks for a shapefile set; empty on cancel.
std::string AskShapePath(ui::FileDialog::Mode mode, const char* caption, const char* name) {
  ui::FileDialog dialog(mode, caption, name, kShapeFilter, "SHP");
  return dialog.DoModal() == ui::IDOK ? dialog.Path() : std::string();
}

// Ends a route generation that could not make its set.
void RouteFailure(const std::string& first = {}) {
  if (!first.empty()) ui::MessageBox(first, ui::MB_ICONSTOP);
  ui::MessageBox(RouteFailureText(), ui::MB_ICONSTOP);
}

}  // namespace

void ConvertMicroBusRoutes(MainFrame* frame) {
  DbDatabase* db = frame->Database();
  ShowBusy(true);
  FrameProgress progress(frame);
  RouteTable routes;
  if (!ui::ShowOutcome(LoadRoutes(db, routes, &progress))) return RouteFailure();
  // A name the route code cannot hold would be cut, and two variants could end up with one name.
  if (const std::vector<std::string> longNames = RoutesWithLongNames(routes); !longNames.empty())
    return RouteFailure(LongNamesText(longNames));

  // Each step's caption shows once its file is chosen: the band tells the work, not the wait.
  std::string refusal;
  const int company = WorkingCompany(db, Undone::Files, refusal);
  if (!refusal.empty()) return RouteFailure(refusal);
  const std::string stopPath =
      AskShapePath(ui::FileDialog::Mode::Open, "Selezione ShapeFile Fermate (RT_NODI.SHP)", "RT_NODI");
  if (stopPath.empty()) return RouteFailure();
  progress.Begin("Acquisizione Cartografia Fermate");
  MapStopTable stops;
  if (!ui::ShowOutcome(ReadMicroBusStops(stopPath, company, stops, &progress))) return RouteFailure();

  progress.End();
  const std::string arcPath =
      AskShapePath(ui::FileDialog::Mode::Open, "Selezione ShapeFile Archi di Microbus Map", "ARCHI");
  if (arcPath.empty()) return RouteFailure();
  ShowBusy(true);
  progress.Begin("Acquisizione Cartografia Archi");
  MapArcTable arcs;
  if (!ui::ShowOutcome(ReadMicroBusArcs(arcPath, arcs, &progress))) return RouteFailure();

  RouteReport report;
  BuildRoutePolylines(routes, stops, arcs, report, &progress);

  progress.End();
  const std::string outPath =
      AskShapePath(ui::FileDialog::Mode::Save, "Selezione ShapeFile RT_ITIN (output)", "RT_ITIN");
  if (outPath.empty()) return RouteFailure();
  // From the routes checked again to the trips' codes, nothing else writes the database: the set
  // and the codes are made of the trips as they are now, or nothing is written at all.
  DbBatch batch(db);
  if (!batch.Active()) return RouteFailure();
  const auto stop = [&](const Outcome& outcome) {
    batch.Rollback();
    ui::ShowOutcome(outcome);
    RouteFailure();
  };
  if (const Outcome same = CheckRoutesUnchanged(db, routes); !same.ok) return stop(same);
  progress.Begin("Salvataggio Cartografia Percorsi");
  const RouteWriting writing = WriteMicroBusRoutes(outPath, routes, company, Now(), ExportFolderWatch(), &progress);
  if (!writing.ok) return stop(writing);

  // The trips change only once their map is in place.
  const RouteCodeAssignment assigned = AssignVariantCodes(batch, db, routes, &progress);
  progress.End();
  ui::ShowOutcome(writing);
  ui::ShowOutcome(assigned);  // the set is there even when the trips kept their codes
  ui::MessageBox(RouteSuccessText(), ui::MB_ICONINFORMATION);

  ui::FileDialog dialog(ui::FileDialog::Mode::Save, "Report Generazione RT_ITIN Microbus Map", "GENERAZIONE_RT_ITIN",
                        kTextFileFilter, "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(WriteRouteReport(dialog.Path(), report, Now()));
}

void NormalizeMicroBusCommunication(MainFrame* frame) {
  DbDatabase* db = frame->Database();
  ShowBusy(true);
  if (!ui::ShowOutcome(CheckMicroBusShape(db))) return;
  if (ui::MessageBox(NormalisationQuestionText(), ui::MB_OKCANCEL | ui::MB_ICONQUESTION) != ui::IDOK) return;
  FrameProgress progress(frame);
  const NormalisationResult result = MergeMicroBusTrips(db, &progress);
  progress.End();
  ui::ShowOutcome(result);
}

void RebuildCadencesMicroBus(MainFrame* frame) {
  DbDatabase* db = frame->Database();
  ShowBusy(true);
  const CadencePlan plan = PlanMicroBusCadences(db);
  if (!ui::ShowOutcome(plan)) return;
  if (ui::MessageBox(plan.MessageText(), ui::MB_OKCANCEL | ui::MB_ICONQUESTION) != ui::IDOK) return;
  FrameProgress progress(frame);
  const Outcome result = RebuildMicroBusCadences(db, plan, &progress);
  progress.End();
  ui::ShowOutcome(result);
}
