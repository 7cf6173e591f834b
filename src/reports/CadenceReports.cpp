#include "reports/CadenceReports.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "reports/DirectoryLoading.h"
#include "reports/ReportCanvas.h"

namespace {

const std::string kCode(10, 'V');
const std::string kName(60, 'V');

// The day's abbreviation ("1" LUN to "7" DOM, any other character "???"), a blank and the date.
std::string CalendarDayLabel(char weekdayDigit, std::string_view dateText) {
  static const char* const kDays[] = {"LUN", "MAR", "MER", "GIO", "VEN", "SAB", "DOM"};
  const char* abbreviation = weekdayDigit >= '1' && weekdayDigit <= '7' ? kDays[weekdayDigit - '1'] : "???";
  return std::string(abbreviation) + " " + std::string(dateText);
}

}  // namespace

// ---- Day types -----------------------------------------------------------------------------

CadenceReport::CadenceReport(DbDatabase* db, bool byCode) : RowsReport("Rubrica Cadenze"), sortByCode(byCode) {
  ReadSubtitle(db);
  columns_ = {{kCode, "Codice"}, {kName, "Denominazione Cadenza"}};
}

void CadenceReport::Load(DbDatabase* db) {
  rows.clear();
  DbSelect select(db, {.columns = "codice, denom", .from = "cadenz"});
  select.SetOrderBy(sortByCode ? "codice" : "denom");
  WalkSelection(select, nullptr, {}, [&] { rows.push_back({select.TrimmedAt(0), select.TrimmedAt(1)}); });
  if (select.Faulted()) KeepFault(select.Fault(), CadenceName(select, 0), "cadenz");
}

int CadenceReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  RowLine(canvas, X(0) - 20, y);
  canvas.Text(X(0), y + 10, rows[n].code);
  canvas.Text(X(1), y + 10, rows[n].name);
  return y + LineHeight() + 20;
}

// ---- Calendar ------------------------------------------------------------------------------

CalendarReport::CalendarReport(DbDatabase* db, bool whole, std::string from, std::string to)
    : RowsReport("Rubrica Calendario"), wholeCalendar(whole), fromDate(std::move(from)), toDate(std::move(to)) {
  ReadSubtitle(db);
  columns_ = {{"VVV 99/99/9999", "Data"},
              {std::string(20, 'V'), "", true},
              {kCode, "Cadenza"},
              {kName, "Denominazione Cadenza"}};
}

void CalendarReport::Load(DbDatabase* db) {
  rows.clear();
  DbSelect select(
      db, {.columns = "calend.data, calend.giorno, calend.note, calend.caden, cadenz.denom", .from = "calend, cadenz"});
  std::string where = "cadenz.codice = calend.caden";
  if (!wholeCalendar) {
    // The range goes in as values, never pasted into the statement.
    where += " AND calend.data >= ?1 AND calend.data <= ?2";
    auto iso = [](const std::string& date) {
      const std::string quoted = SqlDate(date);
      return quoted.size() >= 2 && quoted.front() == '\'' ? quoted.substr(1, quoted.size() - 2) : quoted;
    };
    select.SetParameters({iso(fromDate), iso(toDate)});
  }
  select.SetWhere(where);
  select.SetOrderBy("calend.data, calend.caden");
  std::string date, day;
  WalkSelection(select, nullptr, {}, [&] {
    select.GetFieldTextAt(0, date);
    select.GetFieldTextAt(1, day);
    rows.push_back({CalendarDayLabel(day.empty() ? '\0' : day[0], date), select.TrimmedAt(2), select.TrimmedAt(3),
                    select.TrimmedAt(4)});
  });
  // The day type's name is the one field of `cadenz`.
  if (select.Faulted())
    KeepFault(select.Fault(), select.Fault().position == 4 ? CadenceName(select, 3) : CalendarDayName(select, 0, 3),
              select.Fault().position == 4 ? "cadenz" : "calend");
}

int CalendarReport::DrawRow(ReportCanvas& canvas, size_t n, int y) {
  const Row& row = rows[n];
  // Compared with the row before it in the list, also across a page break.
  const bool firstOfDate = n == 0 || rows[n - 1].dateLabel != row.dateLabel;
  if (firstOfDate) {
    RowLine(canvas, X(0) - 20, y);
    canvas.Text(X(0), y + 10, row.dateLabel);
    canvas.RightText(X(1) + W(1), y + 10, row.note);
  } else {
    RowLine(canvas, X(2) - 20, y);
  }
  canvas.Text(X(2), y + 10, row.cadenceCode);
  canvas.Text(X(3), y + 10, row.cadenceName);
  return y + LineHeight() + 20;
}
