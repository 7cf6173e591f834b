#include "conversions/hyperplan/RouteConversion.h"

#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

namespace {

std::string TrimmedBothSides(const std::string& text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
  std::size_t begin = 0, end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string RouteRefusalText() {
  return std::string("ATTENZIONE: lo Shape File indicato non ha le caratteristiche\n") +
         "necessarie per effettuare la conversione in RT_ITIN.SHP\n\n" +
         "All'interno dello Shape File deve esistere il seguente attributo:\n" +
         "* ID MTRAM alfanumerico max. 20 caratteri\n";
}

namespace {

// A reading that stops: no route, `failure` with the stop icon (none when it is empty).
RouteReading& Refused(RouteReading& result, const std::string& failure) {
  result.ok = false;
  result.lines.clear();
  if (!failure.empty()) result.Fail(failure);
  return result;
}

}  // namespace

RouteReading ReadRouteSet(const std::string& path, WorkProgress* progress) {
  RouteReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result)) return result;
  const DbfField* code = reader.FindField(kMTramRouteColumn);
  if (reader.ShapeType() != kPolylineShape || !code) return Refused(result, RouteRefusalText());
  reader.SetMultiPartRule(true);
  // A record of another type than polylines is damage; a null record, or one whose first line
  // has fewer than two points, has no route and is counted.
  reader.RequireRecordType(kPolylineShape);
  const int n = reader.Count();
  if (!reader.ReadShapes(progress, [&](int i, ShapeRecord& shape) {
        if (shape.parts >= 1 && shape.points.size() >= 2)
          result.lines.push_back({i, {}, std::move(shape.points)});
        else
          ++result.skipped;
      })) {
    return Refused(result, reader.Fault());
  }
  std::string_view record;
  std::size_t next = 0;  // the lines are in record order: each record's line, if any, is the next
  for (int i = 0; i < n && next < result.lines.size(); ++i) {
    if (result.lines[next].index != i) continue;
    if (!reader.Record(i, record)) {
      return Refused(result, reader.Fault());
    }
    result.lines[next++].code = TrimmedBothSides(reader.CodeOrName(i, record, *code));
  }
  if (reader.RefusedValues()) {
    reader.FailRefusedValues("RT_ITIN.SHP");
    return Refused(result, reader.Fault());
  }
  result.Succeed();
  if (result.skipped > 0) result.Warn(SkippedRoutesText(result.skipped));
  return result;
}

std::string SkippedRoutesText(int skipped) {
  if (skipped == 1)
    return "ATTENZIONE: 1 entità dello Shape File non contiene alcuna linea\ne non è stata convertita in "
           "RT_ITIN.SHP.";
  return "ATTENZIONE: " + std::to_string(skipped) +
         " entità dello Shape File non contengono alcuna linea\ne non sono state convertite in RT_ITIN.SHP.";
}

RouteWriting WriteRouteSet(const std::string& path, const std::vector<RouteLine>& lines, int company,
                           const ClockTime& today, const FolderWatch& watch) {
  RouteWriting result;
  const std::string companyText = std::to_string(company);
  if (companyText.size() > kCompanyWidth) {
    result.Fail(CompanyTooLongText(company), NoticeIcon::Exclamation);
    return result;
  }
  ShapeSetWriter writer(RoutesLayout());
  for (const RouteLine& line : lines) writer.AddPolyline(line.points, {companyText, line.code, ""});
  if (writer.WriteTo(ShapeBase(path), today, result, watch)) result.records = writer.Count();
  return result;
}
