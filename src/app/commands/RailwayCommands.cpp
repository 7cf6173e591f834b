#include "app/commands/RailwayCommands.h"

#include "app/commands/InterruptedExports.h"
#include "common/Clock.h"
#include "conversions/railway/ItineraryReport.h"
#include "conversions/railway/RailArcs.h"
#include "conversions/railway/RailItineraries.h"
#include "conversions/railway/RailStations.h"
#include "conversions/shapefiles/RouteWriting.h"
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
constexpr const char* kArcsNotGenerated =
    "A cause delle azioni precedenti non è possibile generare lo shapefile\ndegli archi ferroviari (ARCHI_FS.SHP)";

// Asks for an input set; empty on Cancel.
std::string AskInput(const char* caption, const char* name) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Open, caption, name, kShapeFilter, "SHP");
  return dialog.DoModal() == ui::IDOK ? dialog.Path() : std::string();
}

std::string AskOutput(const char* caption, const char* name) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, caption, name, kShapeFilter, "SHP");
  return dialog.DoModal() == ui::IDOK ? dialog.Path() : std::string();
}

// The stations step of both commands, its caption shown once the file is chosen, and the working
// company they are read for; false, after its message, when the command must stop.
bool ReadStations(MainFrame* frame, FrameProgress& progress, const char* caption, StationList& stations, int& company) {
  std::string refusal;
  company = WorkingCompany(frame->Database(), Undone::Files, refusal);
  if (!refusal.empty()) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    return false;
  }
  progress.End();
  const std::string path = AskInput(kStationInputCaption, "RT_NODI");
  if (path.empty()) return false;
  progress.Begin(caption);
  StationReading reading = ReadStationSet(path, company, &progress);
  if (!ui::ShowOutcome(reading)) return false;
  stations = std::move(reading.stations);
  return true;
}

bool ArcSteps(MainFrame* frame, FrameProgress& progress) {
  StationList stations;
  int company = 0;
  if (!ReadStations(frame, progress, "Acquisizione Cartografia Stazioni", stations, company)) return false;

  progress.End();
  const std::string sectionsPath = AskInput(kSectionInputCaption, "TRATTE");
  if (sectionsPath.empty()) return false;
  ShowBusy(true);
  progress.Begin("Acquisizione Cartografia Tratte");
  RailArcReading sections = ReadSectionSet(sectionsPath, &progress);
  if (!ui::ShowOutcome(sections)) return false;

  progress.Begin("Identificazione Archi Ferroviari");
  IdentifyRailArcs(sections.arcs, stations, &progress);

  progress.End();
  const std::string outputPath = AskOutput(kArcOutputCaption, "ARCHI_FS");
  if (outputPath.empty()) return false;
  progress.Begin("Salvataggio Cartografia Archi Ferroviari");
  return ui::ShowOutcome(WriteRailArcSet(outputPath, sections.arcs, &progress, Now(), ExportFolderWatch()));
}

}  // namespace

void GenerateRailwayArcs(MainFrame* frame) {
  ShowBusy(true);
  bool done = false;
  {
    FrameProgress progress(frame);
    done = ArcSteps(frame, progress);
  }
  if (!done) ui::MessageBox(kArcsNotGenerated, ui::MB_ICONSTOP);
}

namespace {

// Steps 1 to 5 of the itineraries; false when a step failed or was cancelled.
bool ItinerarySteps(MainFrame* frame, FrameProgress& progress, ItineraryReport& report) {
  DbDatabase* db = frame->Database();
  // The routes and the company, read before the dialogs, are one moment.
  DbReadSnapshot snapshot(db);
  progress.Begin("Estrazione Percorsi");
  std::string refusal;
  std::vector<ItineraryRoute> routes = ExtractItineraryRoutes(db, &progress, refusal);
  if (!refusal.empty()) {
    ui::MessageBox(refusal, ui::MB_ICONSTOP);
    return false;
  }

  StationList stations;
  int company = 0;
  if (!ReadStations(frame, progress, "Acquisizione Cartografia Fermate", stations, company)) return false;

  progress.End();
  const std::string arcsPath = AskInput(kArcInputCaption, "ARCHI_FS");
  if (arcsPath.empty()) return false;
  ShowBusy(true);
  progress.Begin("Acquisizione Cartografia Archi");
  const RailArcReading arcs = ReadArcSet(arcsPath, &progress);
  if (!ui::ShowOutcome(arcs)) return false;

  progress.Begin("Generazione Polilinee Percorsi");
  DrawItineraries(routes, stations, arcs.arcs, report, &progress);

  progress.End();
  const std::string outputPath = AskOutput(kItineraryOutputCaption, "RT_ITIN");
  if (outputPath.empty()) return false;
  progress.Begin("Salvataggio Cartografia Percorsi");
  return ui::ShowOutcome(WriteItinerarySet(outputPath, routes, company, &progress, Now(), ExportFolderWatch()));
}

}  // namespace

void GenerateRailwayItineraries(MainFrame* frame) {
  ShowBusy(true);
  ItineraryReport report;
  bool done = false;
  {
    FrameProgress progress(frame);
    done = ItinerarySteps(frame, progress, report);
  }
  if (!done) {
    ui::MessageBox(RoutesNotGeneratedText(), ui::MB_ICONSTOP);
    return;
  }
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, kItineraryReportCaption, kItineraryReportName, kTextFileFilter,
                        "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  ui::ShowOutcome(WriteItineraryReport(dialog.Path(), report, Now()));
}
