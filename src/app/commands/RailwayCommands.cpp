#include "app/commands/RailwayCommands.h"

#include "app/commands/InterruptedExports.h"
#include "common/Clock.h"
#include "conversions/WorkingCompany.h"
#include "conversions/railway/ItineraryReport.h"
#include "conversions/railway/RailArcs.h"
#include "conversions/railway/RailItineraries.h"
#include "conversions/railway/RailStations.h"
#include "exchange/ImportErrors.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/FrameProgress.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"

#include <string>

namespace {

constexpr const char* kShapeFilter = "Shape File|*.shp|Tutti i files (*.*)|*.*||";
constexpr const char* kNotGenerated = "A cause delle azioni precedenti non è possibile generare lo shapefile\n";

// Asks for an input set; empty on Cancel.
std::string AskInput(const char* caption, const char* name) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Open, caption, name, kShapeFilter, "SHP");
  return dialog.DoModal() == ui::IDOK ? dialog.Path() : std::string();
}

std::string AskOutput(const char* caption, const char* name) {
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, caption, name, kShapeFilter, "SHP");
  return dialog.DoModal() == ui::IDOK ? dialog.Path() : std::string();
}

// The stations step of both commands; false, after its message, when the command must stop.
bool ReadStations(MainFrame* frame, FrameProgress& progress, StationList& stations) {
  const int company = WorkingCompany(frame->Database());
  const std::string path = AskInput(kStationInputCaption, "RT_NODI");
  if (path.empty()) return false;
  StationReading reading = ReadStationSet(path, company, &progress);
  if (!reading.ok) {
    ui::MessageBox(reading.failure, ui::MB_ICONSTOP);
    return false;
  }
  stations = std::move(reading.stations);
  return true;
}

bool ArcSteps(MainFrame* frame, FrameProgress& progress) {
  StationList stations;
  progress.Begin("Acquisizione Cartografia Stazioni");
  if (!ReadStations(frame, progress, stations)) return false;

  progress.Begin("Acquisizione Cartografia Tratte");
  const std::string sectionsPath = AskInput(kSectionInputCaption, "TRATTE");
  if (sectionsPath.empty()) return false;
  ShowBusy(true);
  RailArcReading sections = ReadSectionSet(sectionsPath, &progress);
  if (!sections.ok) {
    ui::MessageBox(sections.failure, ui::MB_ICONSTOP);
    return false;
  }

  progress.Begin("Identificazione Archi Ferroviari");
  IdentifyRailArcs(sections.arcs, stations, &progress);

  progress.Begin("Salvataggio Cartografia Archi Ferroviari");
  const std::string outputPath = AskOutput(kArcOutputCaption, "ARCHI_FS");
  if (outputPath.empty()) return false;
  const RailArcWriting writing = WriteRailArcSet(outputPath, sections.arcs, &progress, Now(), ExportFolderWatch());
  if (!writing.ok) {
    ui::MessageBox(writing.failure, ui::MB_ICONEXCLAMATION);
    return false;
  }
  return true;
}

}  // namespace

void GenerateRailwayArcs(MainFrame* frame) {
  ShowBusy(true);
  frame->ShowStatusBand("Estrazione Archi Ferroviari");
  bool done = false;
  {
    FrameProgress progress(frame);
    done = ArcSteps(frame, progress);
  }
  if (done)
    ui::MessageBox("Lo shapefile ARCHI_FS.SHP è stato generato con successo\n\n", ui::MB_ICONINFORMATION);
  else
    ui::MessageBox(std::string(kNotGenerated) + "degli archi ferroviari (ARCHI_FS.SHP)", ui::MB_ICONSTOP);
}

namespace {

// Steps 1 to 5 of the itineraries; false when a step failed or was cancelled.
bool ItinerarySteps(MainFrame* frame, FrameProgress& progress, ItineraryReport& report) {
  DbDatabase* db = frame->Database();
  progress.Begin("Estrazione Percorsi");
  std::vector<ItineraryRoute> routes = ExtractItineraryRoutes(db, &progress);

  StationList stations;
  progress.Begin("Acquisizione Cartografia Fermate");
  if (!ReadStations(frame, progress, stations)) return false;

  progress.Begin("Acquisizione Cartografia Archi");
  const std::string arcsPath = AskInput(kArcInputCaption, "ARCHI_FS");
  if (arcsPath.empty()) return false;
  ShowBusy(true);
  const RailArcReading arcs = ReadArcSet(arcsPath, &progress);
  if (!arcs.ok) {
    ui::MessageBox(arcs.failure, ui::MB_ICONSTOP);
    return false;
  }

  progress.Begin("Generazione Polilinee Percorsi");
  DrawItineraries(routes, stations, arcs.arcs, report, &progress);

  progress.Begin("Salvataggio Cartografia Percorsi");
  const int company = WorkingCompany(db);
  const std::string outputPath = AskOutput(kItineraryOutputCaption, "RT_ITIN");
  if (outputPath.empty()) return false;
  const ItineraryWriting writing =
      WriteItinerarySet(outputPath, routes, company, &progress, Now(), ExportFolderWatch());
  if (!writing.ok) {
    ui::MessageBox(writing.failure, ui::MB_ICONEXCLAMATION);
    return false;
  }
  return true;
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
    ui::MessageBox(std::string(kNotGenerated) + "dei percorsi (RT_ITIN.SHP)", ui::MB_ICONSTOP);
    return;
  }
  ui::MessageBox(std::string("Lo shapefile RT_ITIN.SHP è stato generato con successo\n\n") +
                     "E' opportuno consultare con attenzione il report che sta per essere\n" +
                     "generato, al fine di verificare la qualità del risultato.",
                 ui::MB_ICONINFORMATION);
  ui::FileDialog dialog(ui::FileDialog::Mode::Save, kItineraryReportCaption, kItineraryReportName, kTextFileFilter,
                        "TXT");
  if (dialog.DoModal() != ui::IDOK) return;
  if (!WriteItineraryReport(dialog.Path(), report, Now()))
    ui::MessageBox("Impossibile creare\n\n" + dialog.Path(), ui::MB_ICONEXCLAMATION);
}
