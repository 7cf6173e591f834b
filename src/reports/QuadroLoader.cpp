// The quadro reports' loaders: the trips with their periods, the stop rows of each quadro with
// the trips' times, the letters of the period sets and the days of operation.

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "reports/DirectoryLoading.h"
#include "reports/QuadroReports.h"

#include <algorithm>
#include <map>

namespace {

constexpr size_t kRowsPerPump = 4096;

}  // namespace

QuadroReport::QuadroReport(DbDatabase* db, std::string title, bool optional, bool notServed)
    : Report(std::move(title), 70), includeOptional(optional), includeNotServed(notServed) {
  const CompanyHeading heading = ReadSubtitle(db);
  periodStart = heading.periodStart;
  periodEnd = heading.periodEnd;
}

void QuadroReport::Load(DbDatabase* db) {
  DropRows();
  LoadTrips(db);
  if (trips.empty()) return;
  LoadStops(db);
  if (LoadFaulted()) return;
  AssignLetters();
  CountDays(db);
}

void QuadroReport::DropRows() {
  trips.clear();
  stops.clear();
  quadri.clear();
}

void QuadroReport::LoadTrips(DbDatabase* db) {
  DbSelect select(db);
  select.SetColumns(
      "tescor.gruppo, tescor.id, tescor.codcorsa, tescor.codlinea, tescor.verso,"
      " tescor.ct_lung, tescor.ct_tempo, period.caden, cadenz.denom, period.inizio,"
      " period.fine, period.escluso");
  select.SetFrom("tescor, cadenz, period");
  select.SetWhere("period.id = tescor.id AND cadenz.codice = period.caden" + RangeCondition());
  select.SetParameters(RangeValues());
  select.SetOrderBy(TripOrder());
  select.SetStreaming(true);
  std::unordered_map<long, size_t> byId;
  size_t n = 0;
  WalkSelection(select, nullptr, {}, [&] {
    const long id = select.LongAt(1);
    auto [at, fresh] = byId.emplace(id, trips.size());
    if (fresh) {
      QuadroTrip trip;
      trip.group = select.LongAt(0);
      trip.id = id;
      const std::string direction = select.TrimmedAt(4);
      trip.direction = direction.empty() ? 0 : direction[0];
      trip.contractLength = select.LongAt(5);
      trip.contractMinutes = select.IntAt(6);
      trip.code = select.TrimmedAt(2);
      trip.line = select.TrimmedAt(3);
      trips.push_back(std::move(trip));
    }
    DbText cadence = select.TrimmedTextAt(7);
    trips[at->second].periods.push_back({std::move(cadence.text), select.TrimmedAt(8), select.TrimmedAt(9),
                                         select.TrimmedAt(10), FlagAt(select, 11), std::move(cadence.stored)});
    if (++n % kRowsPerPump == 0) EngineProgress();
  });
  if (select.Faulted()) {
    // The day type's name is the field of `cadenz`; the type and dates of the trip's period, of `period`.
    const int position = select.Fault().position;
    const bool name = position == 8, period = position >= 7 && !name;
    return KeepFault(select.Fault(), name ? CadenceName(select, 7) : TripName(select, 1),
                     name ? "cadenz" : (period ? "period" : "tescor"));
  }
  // A quadro is the run of trips of one group in the selection's order (in the line report a
  // group that spans two lines or directions is printed under each of them with its own trips).
  for (size_t t = 0; t < trips.size(); ++t) {
    if (quadri.empty() || quadri.back().group != trips[t].group) quadri.push_back({trips[t].group, t, 0, 0, 0});
    ++quadri.back().tripCount;
  }
}

void QuadroReport::LoadStops(DbDatabase* db) {
  // Each trip's quadro and column.
  std::unordered_map<long, std::pair<size_t, size_t>> column;
  column.reserve(trips.size());
  for (size_t q = 0; q < quadri.size(); ++q)
    for (size_t c = 0; c < quadri[q].tripCount; ++c) column.emplace(trips[quadri[q].firstTrip + c].id, std::pair{q, c});

  DbSelect select(db);
  select.SetColumns(
      "detcor.id, detcor.sub, detcor.fermata, detcor.denom, detcor.dist,"
      " detcor.primaria, detcor.facolt, detcor.nonferma, detcor.arriva, detcor.parte");
  select.SetFrom("detcor, tescor");
  std::string where = "tescor.id = detcor.id" + RangeCondition();
  if (!includeOptional) where += " AND detcor.facolt = 0";
  if (!includeNotServed) where += " AND detcor.nonferma = 0";
  select.SetWhere(where);
  select.SetParameters(RangeValues());
  // By trip id: the first trip of a quadro that has a stop number gives its row (code, name,
  // distance, kind); a stop the quadro's first trip lacks gets a row from the first trip that has it.
  select.SetOrderBy("detcor.id, detcor.sub");
  select.SetStreaming(true);
  // Stop rows by (quadro, stop number).
  std::map<std::pair<size_t, int>, QuadroStop> rows;
  size_t n = 0;
  WalkSelection(select, nullptr, {}, [&] {
    if (++n % kRowsPerPump == 0) EngineProgress();
    const auto found = column.find(select.LongAt(0));
    if (found == column.end()) return;  // a trip without periods is not printed
    const auto [q, c] = found->second;
    const int sub = select.IntAt(1);
    auto [at, fresh] = rows.try_emplace({q, sub});
    QuadroStop& row = at->second;
    if (fresh) {
      row.sub = sub;
      row.code = select.TrimmedAt(2);
      row.name = select.TrimmedAt(3);
      row.distance = select.LongAt(4);
      row.primary = FlagAt(select, 5);
      row.optional = FlagAt(select, 6);
      row.notServed = FlagAt(select, 7);
      row.cells.resize(quadri[q].tripCount);
    }
    StopCell& cell = row.cells[c];
    cell.arrival = select.IntAt(8);
    cell.departure = select.IntAt(9);
  });
  if (select.Faulted()) return KeepFault(select.Fault(), StopName(select, 0, 1), "detcor");
  stops.reserve(rows.size());
  for (auto& [key, row] : rows) {
    QuadroRange& q = quadri[key.first];
    if (q.rowCount == 0) q.firstRow = stops.size();
    ++q.rowCount;
    stops.push_back(std::move(row));
  }
}

char QuadroReport::PeriodLetter(int n) {
  if (n < 26) return static_cast<char>('A' + n);
  if (n < 52) return static_cast<char>('a' + n - 26);
  if (n < 62) return static_cast<char>('0' + n - 52);
  return '?';
}

void QuadroReport::AssignLetters() {
  // Within each quadro, in trip order: the same letter for the same periods (day types, first
  // and last dates, position by position, the whole list), the next letter for a new set.
  for (const QuadroRange& q : quadri) {
    std::map<std::string, char> letters;
    for (size_t t = q.firstTrip; t < q.firstTrip + q.tripCount; ++t) {
      std::string key;
      for (const PrintedPeriod& p : trips[t].periods)
        key += p.CadenceKey() + '\x1f' + p.start + '\x1f' + p.end + '\x1e';
      auto [at, fresh] = letters.try_emplace(key, '?');
      if (fresh) at->second = PeriodLetter(static_cast<int>(letters.size()) - 1);
      trips[t].letter = at->second;
    }
  }
}

void QuadroReport::CountDays(DbDatabase* db) {
  CadenceCalendarList calendar;
  calendar.Load(db, periodStart, periodEnd);
  if (!calendar.faultRow.empty()) return KeepFault(calendar.fault, calendar.faultRow, "calend");
  for (QuadroTrip& trip : trips) trip.days = calendar.DaysOfOperation(trip.periods);
}

// ---- The two selections ----------------------------------------------------------------------

TripReport::TripReport(DbDatabase* db, bool whole, long from, long to, bool optional, bool notServed)
    : QuadroReport(db, "Rubrica Corse", optional, notServed),
      wholeSelection(whole),
      fromGroup(whole ? -1 : from),
      toGroup(whole ? -1 : to) {}

std::string TripReport::RangeCondition() const {
  return wholeSelection ? std::string() : " AND tescor.gruppo >= ?1 AND tescor.gruppo <= ?2";
}

std::vector<std::string> TripReport::RangeValues() const {
  if (wholeSelection) return {};
  return {std::to_string(fromGroup), std::to_string(toGroup)};
}

const char* TripReport::TripOrder() const {
  return "tescor.gruppo, tescor.parte, tescor.id, period.inizio, period.fine";
}

LineTimetableReport::LineTimetableReport(DbDatabase* db, bool whole, std::string from, std::string to, bool optional,
                                         bool notServed)
    : QuadroReport(db, "Rubrica Quadri Linea", optional, notServed),
      wholeSelection(whole),
      fromLine(whole ? std::string() : std::move(from)),
      toLine(whole ? std::string() : std::move(to)) {}

std::string LineTimetableReport::RangeCondition() const {
  // The typed codes go in as values, never as SQL text.
  return wholeSelection ? std::string() : " AND tescor.codlinea >= ?1 AND tescor.codlinea <= ?2";
}

std::vector<std::string> LineTimetableReport::RangeValues() const {
  if (wholeSelection) return {};
  return {fromLine, toLine};
}

const char* LineTimetableReport::TripOrder() const {
  return "tescor.codlinea, tescor.verso, tescor.gruppo, tescor.parte, tescor.id, period.inizio, period.fine";
}
