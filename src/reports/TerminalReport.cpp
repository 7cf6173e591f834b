#include "reports/TerminalReport.h"

#include "common/Formatters.h"
#include "db/DbSelect.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

#include <algorithm>
#include <tuple>

TerminalReport::TerminalReport(DbDatabase* db) : RowsReport("Rubrica Capolinea") {
  ReadSubtitle(db);
  columns_ = {{std::string(40, 'V'), "Denominazione Fermata"},
              {std::string(40, 'V'), "Ubicazione Fermata"},
              {std::string(10, 'V'), "Codice"},
              {std::string(8, 'V'), "Tipo"},
              {std::string(5, 'V'), "Corse"}};
}

void TerminalReport::Load(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  FirstFoundRows<Row> found(rows);
  // A stop row's texts, told apart by their keys.
  struct Stop {
    KeyedText code, name, location;
  };
  const auto count = [&](const Stop& stop, int kind) {
    const char letter = static_cast<char>('0' + kind);
    found.Count(ExactKey({stop.code.Key(), stop.name.Key(), stop.location.Key(), std::string_view(&letter, 1)}), [&] {
      return Row{stop.code.text, stop.name.text, stop.location.text, kind, 1};
    });
  };
  const auto countArrival = [&](const Stop& stop) {
    if (!stop.code.text.empty() || !stop.name.text.empty() || !stop.location.text.empty()) count(stop, kArrival);
  };

  DbSelect select(db, {.columns = "id, sub, fermata, denom, ubicaz", .from = "detcor", .orderBy = "id, sub"});
  long previousTrip = -1;
  Stop previous;
  WalkSelection(select, progress, Title(), [&] {
    const long trip = LongAt(select, 0);
    Stop stop{KeyedTextAt(select, 2), KeyedTextAt(select, 3), KeyedTextAt(select, 4)};
    if (trip != previousTrip) {
      countArrival(previous);
      count(stop, kDeparture);
      previousTrip = trip;
    }
    previous = std::move(stop);
  });
  if (select.Faulted()) return KeepFault(select.Fault(), StopName(select, 0, 1), "detcor");
  countArrival(previous);

  std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
    return std::tie(a.name, a.location, a.code, a.kind) < std::tie(b.name, b.location, b.code, b.kind);
  });
}

int TerminalReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  RowLine(canvas, X(0) - 20, y);
  canvas.Text(X(0), y + 10, row.name);
  canvas.Text(X(1), y + 10, row.location);
  canvas.Text(X(2), y + 10, row.code);
  canvas.Text(X(3), y + 10, row.kind == kDeparture ? "PARTENZA" : "ARRIVO");
  canvas.RightText(X(4) + W(4), y + 10, Format("%d", row.count));
  return y + LineHeight() + 20;
}
