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

std::string CutStopNamesText(const std::vector<std::string>& stops) {
  const std::string count = std::to_string(stops.size());
  std::string text = stops.size() == 1 ? "ATTENZIONE: il nome di 1 fermata supera i 40 caratteri del campo DENOM\n"
                                         "e in RT_NODI.SHP ne sono stati scritti solo i primi 40:\n\n"
                                       : "ATTENZIONE: i nomi di " + count +
                                             " fermate superano i 40 caratteri del campo DENOM\n"
                                             "e in RT_NODI.SHP ne sono stati scritti solo i primi 40:\n\n";
  for (const std::string& s : stops) text += s;
  return text;
}

StopReading ReadStopSet(const std::string& path, const StopConversionTexts& texts, WorkProgress* progress) {
  StopReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result,
                   {kPointShape,
                    {{texts.codeField.c_str(), 'X', 10}, {texts.nameField.c_str(), 'X', 100}},
                    StopRefusalText(texts)}))
    return result;
  const DbfField& code = reader.Needed(0);
  const DbfField& name = reader.Needed(1);
  // A record of another type than points is damage; a null record has no stop and is counted.
  reader.RequireRecordType(kPointShape);
  if (!reader.ReadShapes(progress, [&](int i, const ShapeRecord& shape) {
        if (shape.point)
          result.stops.Append(i, shape.x, shape.y);
        else
          ++result.skipped;
      })) {
    reader.FailInto(result);
    result.stops.Clear();
    return result;
  }
  // A code or name the output cannot hold (a control byte, a character Windows-1252 lacks) is
  // neither cut nor copied; a name longer than DENOM reaches it as its first 40 bytes, and every
  // stop so cut is named in one warning.
  std::vector<std::string> cut;
  if (!reader.ReadRecords([&](int i, std::string_view record) {
        const std::string codeText = reader.CodeOrName(i, record, code);
        std::string nameText = reader.CodeOrName(i, record, name);
        if (nameText.size() > kStopNameMax) {
          cut.push_back("l'entità " + std::to_string(i) + " [" + codeText + " - " + nameText + "]\n");
          nameText.resize(kStopNameMax);
        }
        result.stops.SetStopNames(i, codeText, nameText);
      }) ||
      (reader.RefusedValues() && !reader.FailRefusedValues("RT_NODI.SHP"))) {
    reader.FailInto(result);
    result.stops.Clear();
    return result;
  }
  result.Succeed();
  if (result.skipped > 0) result.Warn(SkippedStopsText(result.skipped));
  if (!cut.empty()) result.Warn(CutStopNamesText(cut));
  return result;
}

StopWriting WriteStopSet(const std::string& path, const StopList& stops, int company, const ClockTime& today,
                         const FolderWatch& watch) {
  StopWriting result;
  const std::string companyText = std::to_string(company);
  if (companyText.size() > kCompanyWidth) {
    result.Fail(CompanyTooLongText(company), NoticeIcon::Exclamation);
    return result;
  }
  ShapeSetWriter writer(StopsLayout());
  for (const StopNode& s : stops.Stops()) writer.AddPoint(s.x, s.y, {companyText, s.code, s.name});
  writer.WriteTo(ShapeBase(path), today, result, watch);
  return result;
}
