#include "conversions/microbus/RouteFile.h"

#include "common/Formatters.h"
#include "common/WholeFile.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

RouteWriting WriteMicroBusRoutes(const std::string& path, const RouteTable& routes, int company, const ClockTime& today,
                                 const FolderWatch& watch, WorkProgress* progress) {
  if (progress) progress->Begin("Salvataggio Cartografia Percorsi");
  ShapeSetWriter writer(RoutesLayout());
  const std::string companyText = std::to_string(company);
  const long total = routes.VariantCount();
  long done = 0;
  for (const RouteNode& r : routes.Routes())
    for (const RouteVariant& v : r.variants) {
      if (progress) progress->Step(++done, total);
      if (!IsRouteLine(v.points)) continue;
      writer.AddPolyline(v.points, {companyText, r.VariantName(v), ""});
    }
  RouteWriting result;
  if (writer.WriteTo(ShapeBase(path), today, result, watch)) result.records = writer.Count();
  if (progress) progress->End();
  return result;
}

namespace {

void AddBlock(std::string& text, const char* title, const std::vector<std::string>& lines) {
  if (lines.empty()) return;
  text += title;
  for (const std::string& l : lines) text += l;
  text += "\n\n\n";
}

std::string WithCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

}  // namespace

std::string RouteReportText(const RouteReport& report, const ClockTime& now) {
  const std::string rule(87, '=');
  std::string text = rule + "\n";
  text += Format("%02d/%02d/%04d %02d.%02d Report Generazione shapefile RT_ITIN da Microbus Map (Quendo)\n", now.day,
                 now.month, now.year, now.hour, now.minute);
  text += rule + "\n\n";
  AddBlock(text, "\n******* Fermate non trovate in RT_NODI ****************************\n\n", report.MissingStops());
  AddBlock(text, "\n******* Archi non trovati nello shapefile Microbus ****************\n\n", report.MissingArcs());
  AddBlock(text, "\n******* Archi sospetti (dritti come fusi) *************************\n\n", report.SuspectArcs());
  text += "\n******* Percorsi Generati *****************************************\n\n";
  for (const std::string& l : report.Routes()) text += l;
  return WithCrLf(text);
}

Outcome WriteRouteReport(const std::string& path, const RouteReport& report, const ClockTime& now) {
  return SaveWholeFile(path, RouteReportText(report, now));
}

std::string RouteFailureText() {
  return "A cause delle azioni precedenti non è possibile generare lo shapefile\ndei percorsi (RT_ITIN.SHP)";
}

std::string RouteSuccessText() {
  return std::string("Lo shapefile RT_ITIN.SHP è stato generato con successo\n\n") +
         "E' opportuno consultare con attenzione il report che sta per essere\n" +
         "generato, al fine di verificare la qualità del risultato.";
}
