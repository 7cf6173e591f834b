#include "reports/StopDirectoryReports.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

#include <unordered_set>

const char* const kUnassignedLocality = "*** Località non assegnata ***";

namespace {

// The stop rows joined with their localities: code, name, location, then the locality's name,
// municipality and province; after them what names the row a fault is read on: the trip, the stop
// number and the locality (in a grouped selection, those of the group's first trip).
constexpr const char* kStopColumns =
    "detcor.fermata, detcor.denom, detcor.ubicaz, local.denom, local.comune, local.prov";

void SelectStops(DbSelect& select, bool grouped = false) {
  select.SetColumns(std::string(kStopColumns) +
                    (grouped ? ", MIN(detcor.id), detcor.sub, local.id" : ", detcor.id, detcor.sub, local.id"));
  select.SetFrom("detcor, local");
  select.SetWhere("local.id = detcor.reglocal");
}

// Whether the fault the walk stopped at is in a field of the locality rather than of the stop row.
bool LocalityFault(const DbSelect& select) {
  const int position = select.Fault().position;
  return (position >= 3 && position <= 5) || position == 8;
}
std::string FaultRow(DbSelect& select) {
  return LocalityFault(select) ? LocalityName(select, 8) : StopName(select, 6, 7);
}
const char* FaultTable(const DbSelect& select) { return LocalityFault(select) ? "local" : "detcor"; }

// The stop row under the selection, its texts with their keys.
struct StopRow {
  KeyedText code, name, location, localityName, municipality, province;
  explicit StopRow(DbSelect& s)
      : code(KeyedTextAt(s, 0)),
        name(KeyedTextAt(s, 1)),
        location(KeyedTextAt(s, 2)),
        localityName(KeyedTextAt(s, 3)),
        municipality(KeyedTextAt(s, 4)),
        province(KeyedTextAt(s, 5)) {}
  bool Unassigned() const { return localityName.Key() == kUnassignedLocality; }
  // The locality column of the stop directories.
  std::string FullLocality() const {
    return Unassigned()
               ? std::string(" ")
               : Format("%s - %s (%s)", localityName.text.c_str(), municipality.text.c_str(), province.text.c_str());
  }
  // The key of the stop's three texts.
  std::string Key() const { return ExactKey({code.Key(), name.Key(), location.Key()}); }
  // The directory's row of the stop.
  StopDirectoryReport::Row Row() const { return {code.text, name.text, location.text, FullLocality(), 1}; }
};

}  // namespace

// ---- Stops ---------------------------------------------------------------------------------

StopDirectoryReport::StopDirectoryReport(DbDatabase* db, Content c)
    : RowsReport("Rubrica Fermate (normalizzate)", 70), content(c) {
  ReadSubtitle(db);
  columns_ = {{std::string(40, 'V'), "Denominazione Fermata"},
              {std::string(40, 'V'), "Ubicazione Fermata"},
              {std::string(60, 'V'), "Località"},
              {std::string(10, 'V'), "Codice"},
              {std::string(5, 'V'), "Corse"}};
}

void StopDirectoryReport::Load(DbDatabase* db, WorkProgress* progress) {
  if (content == Content::Stops)
    LoadStops(db, progress);
  else
    LoadNormalisationErrors(db, progress);
}

void StopDirectoryReport::LoadStops(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  DbSelect select(db);
  SelectStops(select);
  // Rows of one stop stand in trip order, so that "its first row" is always the same one.
  select.SetOrderBy("detcor.denom, detcor.ubicaz, detcor.fermata, detcor.id, detcor.sub");
  FirstFoundRows<Row> found(rows);
  WalkSelection(select, progress, Title(), [&] {
    StopRow stop(select);
    found.Count(stop.Key(), [&] { return stop.Row(); });
  });
  if (select.Faulted()) KeepFault(select.Fault(), FaultRow(select), FaultTable(select));
}

void StopDirectoryReport::LoadNormalisationErrors(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  DbSelect select(db);
  SelectStops(select, true);
  select.SetGroupBy(kStopColumns);
  // The locality columns only settle the order of the descriptions of one stop.
  select.SetOrderBy(kStopColumns);
  RepeatedCodeRows<Row> repeated(rows);
  WalkSelection(select, progress, Title(), [&] {
    StopRow stop(select);
    repeated.Take(stop.code.Key(), stop.Row());
  });
  if (select.Faulted()) KeepFault(select.Fault(), FaultRow(select), FaultTable(select));
}

int StopDirectoryReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  RowLine(canvas, X(0) - 20, y);
  canvas.Text(X(0), y + 10, row.name);
  canvas.Text(X(1), y + 10, row.location);
  canvas.Text(X(2), y + 10, row.locality);
  canvas.Text(X(3), y + 10, row.code);
  canvas.RightText(X(4) + W(4), y + 10, Format("%d", row.count));
  return y + LineHeight() + 20;
}

// ---- Stops by locality ---------------------------------------------------------------------

StopLocalityReport::StopLocalityReport(DbDatabase* db) : RowsReport("Rubrica Fermate (Località)", 70) {
  ReadSubtitle(db);
  columns_ = {{std::string(40, 'V'), "Denominazione Fermata"},
              {std::string(40, 'V'), "Ubicazione Fermata"},
              {std::string(10, 'V'), "Codice"}};
}

void StopLocalityReport::Load(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  DbSelect select(db);
  SelectStops(select);
  select.SetOrderBy("local.denom, local.comune, detcor.denom, detcor.ubicaz, detcor.fermata");
  // The rows made so far (all five texts) and the localities that have their heading.
  std::unordered_set<std::string> made, headed;
  WalkSelection(select, progress, Title(), [&] {
    StopRow stop(select);
    const std::string text = stop.Unassigned()
                                 ? std::string(" ")
                                 : Format("%s (%s)", stop.municipality.text.c_str(), stop.province.text.c_str());
    // The locality by the keys of its texts, then the stop by those of its own.
    const std::string locality =
        stop.Unassigned() ? ExactKey({text, stop.localityName.Key()})
                          : ExactKey({stop.municipality.Key(), stop.province.Key(), stop.localityName.Key()});
    std::string key = ExactKey({locality, stop.Key()});
    if (made.count(key)) return;
    if (headed.insert(locality).second) {
      made.insert(ExactKey({locality, ExactKey({{}, {}, {}})}));
      rows.push_back({text, stop.localityName.text, {}, {}, {}});
    }
    made.insert(std::move(key));
    rows.push_back({text, stop.localityName.text, stop.code.text, stop.name.text, stop.location.text});
  });
  if (select.Faulted()) KeepFault(select.Fault(), FaultRow(select), FaultTable(select));
}

int StopLocalityReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  if (row.IsHeading()) {
    canvas.Fill(X(0) - 20, y, RightEdge(), y + LineHeight() + 20, ReportCanvas::kBlack);
    RowLine(canvas, X(0) - 20, y);
    canvas.SetTextColour(ReportCanvas::kWhite);
    canvas.Text(X(0), y + 10, row.localityName);
    canvas.Text(X(1), y + 10, row.localityText);
    canvas.SetTextColour(ReportCanvas::kBlack);
  } else {
    RowLine(canvas, X(0) - 20, y);
    canvas.Text(X(0), y + 10, row.name);
    canvas.Text(X(1), y + 10, row.location);
    canvas.Text(X(2), y + 10, row.code);
  }
  return y + LineHeight() + 20;
}
