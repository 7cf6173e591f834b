#include "db/ContractTrips.h"

#include "common/Numbers.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"
#include "db/TextKeys.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string Text(DbSelect& s, int position) {
  std::string text;
  s.GetFieldTextAt(position, text);
  return std::string(WithoutTrailingBlanks(text));
}

// A number of any whole-number kind (a yes/no reads -1 or 0).
long Long(DbSelect& s, int position) { return s.LongAt(position); }

char FirstChar(const std::string& text) { return text.empty() ? ' ' : text[0]; }

// Steps of the progress bar: one every so many rows.
void Step(WorkProgress* progress, long done, long total) {
  if (progress && (done % 256 == 0 || done == total)) progress->Step(done, total);
}

}  // namespace

WorkingPeriod ReadWorkingPeriod(DbDatabase* db) {
  WorkingPeriod period;
  DbTable master(db, "master");
  master.SetFaultsToldByCaller(true);
  if (!SeekMasterRow(master)) return period;
  period.found = true;
  master.GetFieldText("azienda", period.company);
  master.GetFieldText("datini", period.first);
  master.GetFieldText("datfin", period.last);
  period.fault = master.Fault();
  return period;
}

ServiceCalendar ReadServiceCalendar(DbDatabase* db, const std::string& first, const std::string& last,
                                    CalendarReadFault* fault) {
  // Every day is read and its kind checked, the working period applied here (ServiceCalendar::Add):
  // a range in the selection would leave out, untold, a day stored as what no date is.
  ServiceCalendar calendar(first, last);
  DbSelect s(db, {.columns = "data, caden", .from = "calend", .orderBy = "data, caden", .streaming = true});
  s.SetFaultsToldByCaller(fault != nullptr);
  if (s.Open()) {
    std::string date, type;
    for (; s.hasRow; s.MoveNext()) {
      s.GetFieldTextAt(0, date);
      ReadTextKey(s, 1, type);
      if (fault && s.Faulted()) {
        *fault = {s.Fault().position == 0 ? s.Fault().value : date, s.Fault()};
        break;
      }
      calendar.Add(date, type);
    }
  }
  calendar.Finish();
  return calendar;
}

std::vector<TripPeriods> ReadTripPeriods(DbDatabase* db, const TripIdRange& range, WorkProgress* progress,
                                         TripReadFault* fault) {
  std::vector<TripPeriods> trips;
  DbSelect s(db, {.columns = "tescor.id, tescor.codcorsa, tescor.codlinea, tescor.verso, tescor.parte,"
                             " period.caden, period.inizio, period.fine, period.escluso",
                  .from = "tescor, period"});
  if (range.all) {
    s.SetWhere("period.id = tescor.id");
  } else {
    s.SetWhere("period.id = tescor.id AND tescor.id >= ?1 AND tescor.id <= ?2");
    s.SetParameters({std::to_string(range.from), std::to_string(range.to)});
  }
  s.SetOrderBy("tescor.id, period.inizio, period.fine");
  s.SetFaultsToldByCaller(fault != nullptr);
  if (!s.Open()) return trips;
  const long total = s.RowCount();
  if (progress) progress->Begin({});
  long done = 0;
  for (; s.hasRow; s.MoveNext()) {
    const long id = Long(s, 0);
    if (trips.empty() || trips.back().id != id) {
      TripPeriods& t = trips.emplace_back();
      t.id = id;
      t.tripCode = Text(s, 1);
      t.lineCode = Text(s, 2);
      t.direction = FirstChar(Text(s, 3));
      t.departure = s.IntAt(4);
    }
    trips.back().periods.push_back({TextKeyAt(s, 5), Text(s, 6), Text(s, 7), Long(s, 8) != 0});
    if (fault && s.Faulted()) {
      *fault = {id, s.Fault()};
      trips.clear();
      break;
    }
    Step(progress, ++done, total);
  }
  if (progress) progress->End();
  return trips;
}

std::vector<ContractTrip> ReadContractTrips(DbDatabase* db, const ServiceCalendar& calendar, WorkProgress* progress,
                                            TripReadFault* fault) {
  std::vector<ContractTrip> trips;
  DbSelect s(db, {.columns = "tescor.ente, tescor.contratt, tescor.id, tescor.codcorsa, tescor.codlinea,"
                             " tescor.verso, tescor.parte, tescor.lung, tescor.ct_lung, tescor.tempo,"
                             " tescor.ct_tempo, period.caden, period.inizio, period.fine, period.escluso,"
                             " tescor.mezzo",
                  .from = "tescor, period",
                  .where = "period.id = tescor.id",
                  .orderBy = "tescor.ente, tescor.contratt, tescor.codlinea, tescor.verso, tescor.parte,"
                             " tescor.codcorsa, tescor.id"});
  s.SetFaultsToldByCaller(fault != nullptr);
  if (!s.Open()) return trips;
  const long total = s.RowCount();
  if (progress) progress->Begin({});
  long done = 0;
  std::vector<ValidityPeriod> periods;
  auto close = [&] {
    if (!trips.empty()) trips.back().days = static_cast<long>(calendar.OperatingDays(periods).Count());
    periods.clear();
  };
  for (; s.hasRow; s.MoveNext()) {
    const long id = Long(s, 2);
    if (trips.empty() || trips.back().id != id) {
      close();
      ContractTrip& t = trips.emplace_back();
      t.ente = s.IntAt(0);
      t.contract = s.IntAt(1);
      t.id = id;
      t.tripCode = Text(s, 3);
      t.lineCode = Text(s, 4);
      t.lineKey = TextKeyAt(s, 4);
      t.direction = FirstChar(Text(s, 5));
      for (const auto& [position, column] : {std::pair{3, "codcorsa"}, {4, "codlinea"}, {5, "verso"}}) {
        const DbSelect::LostCharacter lost = s.LostAt(position);
        if (lost.code == 0) continue;
        t.lostColumn = column;
        t.lostText = Text(s, position);
        t.lostCode = lost.code;
        t.lostAt = lost.at;
        break;
      }
      t.departureTime = s.IntAt(6);
      t.departure = FormatTimeOfDay(static_cast<int>(t.departureTime));
      t.length = KilometresText(static_cast<double>(Long(s, 7)));
      t.contractMetres = Long(s, 8);
      t.contractLength = KilometresText(static_cast<double>(t.contractMetres));
      t.time = FormatDuration(s.IntAt(9));
      t.contractMinutes = s.IntAt(10);
      t.contractTime = FormatDuration(t.contractMinutes);
      t.mode = FirstChar(Text(s, 15));
    }
    periods.push_back({TextKeyAt(s, 11), Text(s, 12), Text(s, 13), Long(s, 14) != 0});
    if (fault && s.Faulted()) {
      *fault = {id, s.Fault()};
      trips.clear();
      break;
    }
    Step(progress, ++done, total);
  }
  close();
  if (progress) progress->End();
  return trips;
}

std::string KilometresText(double metres) { return DecimalComma(FixedDecimals(metres * 0.001, 2)); }

const char* TransportModeName(char letter) {
  switch (letter) {
    case 'F': return "Funicolare";
    case 'N': return "Traghetto";
    case 'T': return "Treno";
    case 'U': return "Bus Urbano";
    case 'W': return "Tramvia";
    case 'X': return "Bus Extraurbano";
    default: return "???";
  }
}
