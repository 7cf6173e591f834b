#include "reports/PrimaryStopReport.h"

#include "common/Formatters.h"
#include "common/WholeFile.h"
#include "db/DbSelect.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

const char* PrimaryStopReport::Row::Type() const {
  if (plain && !primary && !optional) return "";
  if (!plain && primary && !optional) return "PRIMARIA";
  if (!plain && !primary && optional) return "FACOLTATIVA";
  return "MISTA";
}

PrimaryStopReport::PrimaryStopReport(DbDatabase* db) : RowsReport("Rubrica Fermate (Analisi Primarie", 70) {
  ReadSubtitle(db);
  columns_ = {{std::string(40, 'V'), "Denominazione Fermata"},
              {std::string(10, 'V'), "Codice"},
              {std::string(11, 'V'), "Tipologia"}};
}

void PrimaryStopReport::Load(DbDatabase* db, WorkProgress* progress) {
  rows.clear();
  DbSelect select(
      db, {.columns = "fermata, denom, primaria, facolt, id, sub", .from = "detcor", .orderBy = "denom, fermata"});
  FirstFoundRows<Row> found(rows);
  WalkSelection(select, progress, Title(), [&] {
    const KeyedText code = KeyedTextAt(select, 0), name = KeyedTextAt(select, 1);
    Row& row = found.Find(ExactKey({code.Key(), name.Key()}), [&] { return Row{code.text, name.text}; });
    const bool primary = FlagAt(select, 2), optional = FlagAt(select, 3);
    row.primary |= primary;
    row.plain |= !primary && !optional;
    row.optional |= optional;
  });
  if (select.Faulted()) KeepFault(select.Fault(), StopName(select, 4, 5), "detcor");
}

int PrimaryStopReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  const std::string type = row.Type();
  // Optional and mixed stops stand on grey, under the row's line.
  if (type == "FACOLTATIVA" || type == "MISTA")
    canvas.Fill(X(0) - 20, y, RightEdge(), y + LineHeight() + 20, ReportCanvas::kGrey);
  RowLine(canvas, X(0) - 20, y);
  canvas.Text(X(0), y + 10, row.name);
  canvas.Text(X(1), y + 10, row.code);
  canvas.Text(X(2), y + 10, type);
  return y + LineHeight() + 20;
}

std::string PrimaryStopReportText(const PrimaryStopReport& report, const std::string& databasePath,
                                  const ClockTime& now) {
  std::string text = Format("%02d/%02d/%04d %02d.%02d Report analisi Fermate Primarie (Quendo)\r\n", now.day, now.month,
                            now.year, now.hour, now.minute);
  text += "Comunicazione: " + report.subtitle + "\r\n";
  text += "Database: " + databasePath + "\r\n\r\n";
  text += "Denominazione\tCodice\tTipologia\r\n";
  for (const PrimaryStopReport::Row& row : report.rows) text += row.name + "\t" + row.code + "\t" + row.Type() + "\r\n";
  return text;
}

Outcome WritePrimaryStopReport(const PrimaryStopReport& report, const std::string& databasePath,
                               const std::string& path, const ClockTime& now) {
  return SaveWholeFile(path, PrimaryStopReportText(report, databasePath, now));
}
