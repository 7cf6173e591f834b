#include "reports/RouteDirectoryReports.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

namespace {

constexpr const char* kRouteColumns = "codperc, gruppo, denom";

// The route under the selection: its texts with their keys, and its quadro.
struct RouteRead {
  KeyedText code, name;
  std::int32_t quadro;
  explicit RouteRead(DbSelect& select)
      : code(KeyedTextAt(select, 0)),
        name(KeyedTextAt(select, 2)),
        quadro(static_cast<std::int32_t>(LongAt(select, 1))) {}
  RouteDirectoryReport::Row Row() const { return {code.text, quadro, name.text, 1}; }
};

}  // namespace

// ---- Routes --------------------------------------------------------------------------------

RouteDirectoryReport::RouteDirectoryReport(DbDatabase* db, Content c)
    : RowsReport("Rubrica Percorsi (normalizzati)"), content(c) {
  ReadSubtitle(db);
  columns_ = {{std::string(20, 'V'), "Codice Percorso"},
              {std::string(6, 'V'), "Quadro"},
              {std::string(5, 'V'), "Corse"},
              {std::string(120, 'V'), "Denominazione Percorso"}};
}

void RouteDirectoryReport::Load(DbDatabase* db, WorkProgress* progress) {
  if (content == Content::Routes)
    LoadRoutes(db, progress);
  else
    LoadNormalisationErrors(db, progress);
}

void RouteDirectoryReport::LoadRoutes(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  DbSelect select(db);
  // The trip after the route's texts names the row a fault is read on.
  select.SetColumns(std::string(kRouteColumns) + ", id");
  select.SetFrom("tescor");
  select.SetOrderBy(kRouteColumns);
  FirstFoundRows<Row> found(rows);
  WalkSelection(select, progress, Title(), [&] {
    const RouteRead route(select);
    found.Count(ExactKey({route.code.Key(), std::to_string(route.quadro), route.name.Key()}),
                [&] { return route.Row(); });
  });
  if (select.Faulted()) KeepFault(select.Fault(), TripName(select, 3), "tescor");
}

void RouteDirectoryReport::LoadNormalisationErrors(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  DbSelect select(db);
  // The group's first trip names the row a fault is read on.
  select.SetColumns(std::string(kRouteColumns) + ", MIN(id)");
  select.SetFrom("tescor");
  select.SetGroupBy(kRouteColumns);
  select.SetOrderBy(kRouteColumns);
  RepeatedCodeRows<Row> repeated(rows);
  WalkSelection(select, progress, Title(), [&] {
    const RouteRead route(select);
    repeated.Take(route.code.Key(), route.Row());
  });
  if (select.Faulted()) KeepFault(select.Fault(), TripName(select, 3), "tescor");
}

int RouteDirectoryReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  RowLine(canvas, X(0) - 20, y);
  canvas.Text(X(0), y + 10, row.code);
  canvas.RightText(X(1) + W(1), y + 10, Format("%ld", static_cast<long>(row.quadro)));
  canvas.RightText(X(2) + W(2), y + 10, Format("%d", row.count));
  canvas.Text(X(3), y + 10, row.name);
  return y + LineHeight() + 20;
}

// ---- Lines ---------------------------------------------------------------------------------

LineDirectoryReport::LineDirectoryReport(DbDatabase* db) : RowsReport("Rubrica Linee (normalizzate)") {
  ReadSubtitle(db);
  columns_ = {{std::string(20, 'V'), "Codice Linea"}, {std::string(6, 'V'), "Verso"}, {std::string(5, 'V'), "Corse"}};
}

void LineDirectoryReport::Load(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  DbSelect select(db, {.columns = "codlinea, verso, id", .from = "tescor", .orderBy = "codlinea, verso"});
  FirstFoundRows<Row> found(rows);
  WalkSelection(select, progress, Title(), [&] {
    const KeyedText code = KeyedTextAt(select, 0), direction = KeyedTextAt(select, 1);
    const char letter = direction.text.empty() ? '\0' : direction.text[0];
    const std::string_view directionKey = direction.lostKey.empty() ? std::string_view(&letter, 1) : direction.Key();
    found.Count(ExactKey({code.Key(), directionKey}), [&] { return Row{code.text, letter, 1}; });
  });
  if (select.Faulted()) KeepFault(select.Fault(), TripName(select, 2), "tescor");
}

int LineDirectoryReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  RowLine(canvas, X(0) - 20, y);
  canvas.Text(X(0), y + 10, row.code);
  canvas.RightText(X(1) + W(1), y + 10, row.direction ? std::string(1, row.direction) : std::string());
  canvas.RightText(X(2) + W(2), y + 10, Format("%d", row.count));
  return y + LineHeight() + 20;
}
