#include "conversions/stops/StopConversion.h"

#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

const StopConversionTexts& HyperPlanStopTexts() {
  static const StopConversionTexts texts{"Selezione ShapeFile Fermate di HyperPlan (input)", "SIGLA", "NOMEESTESO",
                                         "* Sigla alfanumerico max. 10 caratteri\n",
                                         "* NomeEsteso alfanumerico max. 100 caratteri\n\n"};
  return texts;
}

const StopConversionTexts& MicroBusStopTexts() {
  static const StopConversionTexts texts{"Selezione ShapeFile Fermate di Microbus (input)", "ABBREVIAZI", "DESCRIZION",
                                         "* ABBREVIAZI alfanumerico max. 10 caratteri\n",
                                         "* DESCRIZION alfanumerico max. 100 caratteri\n\n"};
  return texts;
}

std::string StopRefusalText(const StopConversionTexts& texts) {
  return std::string("ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n") +
         "necessarie per effettuare la conversione in RT_NODI.SHP\n\n" +
         "Lo Shape File deve essere di tipo PUNTUALE.\n\n" +
         "All'interno dello Shape File devono esistere i seguenti attributi:\n" + texts.codeLine + texts.nameLine;
}

std::string SkippedStopsText(int skipped) {
  if (skipped == 1)
    return "ATTENZIONE: 1 entità dello Shape File non è di tipo puntuale\ne non è stata convertita in RT_NODI.SHP.";
  return "ATTENZIONE: " + std::to_string(skipped) +
         " entità dello Shape File non sono di tipo puntuale\ne non sono state convertite in RT_NODI.SHP.";
}

StopReading ReadStopSet(const std::string& path, const StopConversionTexts& texts, WorkProgress* progress) {
  StopReading result;
  ShapeSetReader reader;
  if (!reader.Open(path)) {
    result.failure = reader.Fault();
    return result;
  }
  const DbfField* code = reader.FindField(texts.codeField, 'C', 10);
  const DbfField* name = reader.FindField(texts.nameField, 'C', 100);
  if (reader.ShapeType() != kPointShape || !code || !name) {
    result.failure = StopRefusalText(texts);
    return result;
  }
  const int n = reader.Count();
  if (!reader.ReadShapes(progress, [&](int i, const ShapeRecord& shape) {
        if (shape.point)
          result.stops.Append(i, shape.x, shape.y);
        else
          ++result.skipped;
      })) {
    result.failure = reader.Fault();
    result.stops.Clear();
    return result;
  }
  std::string_view record;
  for (int i = 0; i < n; ++i) {
    if (!reader.Record(i, record)) {
      result.failure = reader.Fault();
      result.stops.Clear();
      return result;
    }
    result.stops.SetStopNames(i, reader.Text(record, *code), reader.Text(record, *name));
  }
  result.ok = true;
  return result;
}

StopWriting WriteStopSet(const std::string& path, const StopList& stops, int company, const ClockTime& today,
                         const FolderWatch& watch) {
  ShapeSetWriter writer(StopsLayout());
  const std::string companyText = std::to_string(company);
  for (const StopNode& s : stops.Stops()) writer.AddPoint(s.x, s.y, {companyText, s.code, s.name});
  StopWriting result;
  std::string failedPath;
  result.ok = writer.WriteTo(ShapeBase(path), today, failedPath, watch);
  if (!result.ok) result.failure = "Impossibile creare\n\n" + failedPath;
  return result;
}
