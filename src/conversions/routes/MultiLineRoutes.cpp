#include "conversions/routes/MultiLineRoutes.h"

#include "common/ByteOrder.h"
#include "common/Formatters.h"
#include "conversions/shapechecks/ShapeCheck.h"
#include "conversions/shapefiles/ShapeLayouts.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "conversions/shapefiles/ShapeSetWriter.h"

#include <algorithm>

namespace {

// The lines of a polyline content: one for each part, from its first point up to the next part's.
// Counts or part indexes that do not fit the content give no line.
void ReadLines(std::string_view content, std::vector<PointList>& lines) {
  const ConstBytes bytes = AsBytes(content);
  std::int32_t parts = 0, points = 0;
  if (!ReadInt32(bytes, 36, 'L', parts) || !ReadInt32(bytes, 40, 'L', points)) return;
  if (parts < 1 || points < 0 ||
      44 + 4 * static_cast<std::int64_t>(parts) + 16 * static_cast<std::int64_t>(points) >
          static_cast<std::int64_t>(content.size()))
    return;
  std::vector<std::int32_t> first(static_cast<std::size_t>(parts) + 1, points);
  for (std::int32_t p = 0; p < parts; ++p) {
    ReadInt32(bytes, 44 + 4 * static_cast<std::size_t>(p), 'L', first[static_cast<std::size_t>(p)]);
    const std::int32_t start = first[static_cast<std::size_t>(p)];
    if ((p == 0 && start != 0) || start > points || (p > 0 && start < first[static_cast<std::size_t>(p) - 1])) return;
  }
  const std::size_t xy = 44 + 4 * static_cast<std::size_t>(parts);
  lines.resize(static_cast<std::size_t>(parts));
  for (std::size_t p = 0; p < lines.size(); ++p)
    for (std::int32_t k = first[p]; k < first[p + 1]; ++k) {
      double x = 0.0, y = 0.0;
      ReadDouble(bytes, xy + 16 * static_cast<std::size_t>(k), 'L', x);
      ReadDouble(bytes, xy + 16 * static_cast<std::size_t>(k) + 8, 'L', y);
      lines[p].AddPoint(x, y);
    }
}

// Whether a record has lines but the last of them, the one written, kept fewer than two points
// once its repeated points were dropped: the route check would not take it, so it is left out.
bool LastLineUnusable(const RouteLines& route) { return !route.lines.empty() && !IsRouteLine(route.lines.back()); }

int ContentType(std::string_view content) {
  std::int32_t type = -1;
  ReadInt32(AsBytes(content), 0, 'L', type);
  return type;
}

}  // namespace

int MultiLineReading::MultiLineCount() const {
  return static_cast<int>(
      std::count_if(routes.begin(), routes.end(), [](const RouteLines& r) { return r.lines.size() >= 2; }));
}

MultiLineReading ReadMultiLineRoutes(const std::string& path, WorkProgress* progress) {
  MultiLineReading result;
  ShapeSetReader reader;
  if (!reader.Open(path, result,
                   {0,
                    {kCompanyColumn, kRouteDescriptionColumn, kRouteCodeColumn},
                    ShapeFieldsRefusalText(ShapeCheckKind::Routes)}))
    return result;
  const int n = reader.Count();
  result.routes.resize(static_cast<std::size_t>(n));
  bool linear = true;  // the last record a polyline: a record before it of another type keeps no line
  std::string_view bytes;
  if (progress) progress->Begin({});
  for (int i = 0; i < n; ++i) {
    if (progress) progress->Step(i + 1, n);
    if (!reader.Content(i, bytes)) {
      if (progress) progress->End();
      result.routes.clear();
      reader.FailInto(result);
      return result;
    }
    linear = ContentType(bytes) == kPolylineShape;
    if (linear) ReadLines(bytes, result.routes[static_cast<std::size_t>(i)].lines);
  }
  if (progress) progress->End();
  if (!reader.ReadRecords([&](int i, std::string_view record) {
        RouteLines& route = result.routes[static_cast<std::size_t>(i)];
        route.company = reader.Number(record, reader.Needed(0));
        route.description = reader.CodeOrName(i, record, reader.Needed(1));
        route.code = reader.CodeOrName(i, record, reader.Needed(2));
      }) ||
      (reader.RefusedValues() && !reader.FailRefusedValues("RT_ITIN.SHP"))) {
    result.routes.clear();
    reader.FailInto(result);
    return result;
  }
  if (!linear) {
    result.routes.clear();
    result.Fail(ShapeTypeRefusalText(ShapeCheckKind::Routes));
    return result;
  }
  result.Succeed();
  if (result.MultiLineCount() == 0) result.Inform(ValidRoutesText());
  return result;
}

std::string ValidRoutesText() {
  return "Lo shapefile RT_ITIN presenta un formato perfettamente valido e può\n"
         "essere inoltrato all'Osservatorio Trasporti senza necessità di alcuna\n"
         "trasformazione.";
}

std::string MultiLineQuestionText(int count) {
  return "Lo shapefile RT_ITIN non presenta affatto un formato accettabile in quanto\n"
         "sono stati identificati" +
         Format(" %d ", count) +
         "percorsi descritti come entità lineari multiple.\n\n"
         "Questa funzione è in grado di tentare il recupero delle entità lineari\n"
         "multiple, in modo tale da conservare solo l'ultima linea di ogni entità.\n\n"
         "Intendi procedere alla normalizzazione di RT_ITIN ?";
}

std::string RoutesLeftOutText(const std::vector<std::string>& routes) {
  std::string text =
      "ATTENZIONE: 1 percorso non ha una linea di almeno due punti\n"
      "e non è stato scritto in RT_ITIN.SHP:\n\n";
  if (routes.size() > 1)
    text = "ATTENZIONE: " + std::to_string(routes.size()) +
           " percorsi non hanno una linea di almeno due punti\n"
           "e non sono stati scritti in RT_ITIN.SHP:\n\n";
  for (const std::string& r : routes) text += r;
  return text;
}

RouteWriting WriteReducedRoutes(const std::string& path, const std::vector<RouteLines>& routes, const ClockTime& today,
                                WorkProgress* progress, const FolderWatch& watch) {
  ShapeSetWriter writer(RoutesLayout());
  std::vector<std::string> leftOut;
  const long n = static_cast<long>(routes.size());
  if (progress) progress->Begin({});
  for (long k = 0; k < n; ++k) {
    if (progress) progress->Step(k + 1, n);
    const RouteLines& route = routes[static_cast<std::size_t>(k)];
    // A record without a line, or whose last line kept fewer than two points once its repeated
    // points were dropped, has no line the route check would take: it is left out and named.
    if (route.lines.empty() || LastLineUnusable(route)) {
      leftOut.push_back("l'entità " + std::to_string(k) + " [" + route.code + " - " + route.description + "]\n");
      continue;
    }
    writer.AddPolyline(route.lines.back(), {std::to_string(route.company), route.code, route.description});
  }
  if (progress) progress->End();
  RouteWriting result;
  if (writer.WriteTo(ShapeBase(path), today, result, watch)) {
    result.records = writer.Count();
    if (!leftOut.empty()) result.Warn(RoutesLeftOutText(leftOut));
    result.Inform(RoutesGeneratedText());
  } else {
    result.Tell(RoutesNotGeneratedText(), NoticeIcon::Stop);
  }
  return result;
}

std::string MultiLineReportText(const std::vector<RouteLines>& routes, const ClockTime& now) {
  const std::string rule(87, '=');
  std::string out = rule + "\n";
  out += Format("%02d/%02d/%04d %02d.%02d Report Generazione shapefile RT_ITIN (linee multiple) (Quendo)\n", now.day,
                now.month, now.year, now.hour, now.minute);
  out += rule + "\n\n";
  for (const RouteLines& r : routes) {
    // A record left out for its last line says so, as the message that names it; one without any
    // line keeps every line it has, none, and is confirmed.
    if (LastLineUnusable(r))
      out += Format("Azienda %ld Percorso %s: Non scritto in RT_ITIN.SHP (non ha una linea di almeno due punti)\n",
                    r.company, r.code.c_str());
    else if (r.lines.size() >= 2)
      out += Format("Azienda %ld Percorso %s: Eliminate %d linee\n", r.company, r.code.c_str(),
                    static_cast<int>(r.lines.size()) - 1);
    else
      out += Format("Azienda %ld Percorso %s: Confermato\n", r.company, r.code.c_str());
  }
  return WithCrLf(out);
}
