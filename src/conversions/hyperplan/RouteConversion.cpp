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

RouteReading ReadRouteSet(const std::string& path, WorkProgress* progress) {
  RouteReading result;
  ShapeSetReader reader;
  if (!reader.Open(path)) {
    result.failure = reader.Fault();
    return result;
  }
  const DbfField* code = reader.FindField("ID MTRAM", 'C', 20);
  if (reader.ShapeType() != kPolylineShape || !code) {
    result.failure = RouteRefusalText();
    return result;
  }
  reader.SetMultiPartRule(true);
  const int n = reader.Count();
  if (!reader.ReadShapes(progress, [&](int i, ShapeRecord& shape) {
        if (shape.parts >= 1) result.lines.push_back({i, {}, std::move(shape.points)});
      })) {
    result.failure = reader.Fault();
    result.lines.clear();
    return result;
  }
  std::string_view record;
  std::size_t next = 0;  // the lines are in record order: each record's line, if any, is the next
  for (int i = 0; i < n && next < result.lines.size(); ++i) {
    if (result.lines[next].index != i) continue;
    if (!reader.Record(i, record)) {
      result.failure = reader.Fault();
      result.lines.clear();
      return result;
    }
    result.lines[next++].code = TrimmedBothSides(reader.Text(record, *code));
  }
  result.ok = true;
  return result;
}

RouteWriting WriteRouteSet(const std::string& path, const std::vector<RouteLine>& lines, int company,
                           const ClockTime& today, const FolderWatch& watch) {
  ShapeSetWriter writer(RoutesLayout());
  const std::string companyText = std::to_string(company);
  for (const RouteLine& line : lines) writer.AddPolyline(line.points, {companyText, line.code, ""});
  RouteWriting result;
  std::string failedPath;
  result.ok = writer.WriteTo(ShapeBase(path), today, failedPath, watch);
  if (result.ok)
    result.records = writer.Count();
  else
    result.failure = "Impossibile creare\n\n" + failedPath;
  return result;
}
