#include "checks/DataErrorCheck.h"

#include "common/Formatters.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/StoredValueRefusal.h"
#include "db/TextKeys.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

const char* const kNoDataErrorsText = "Non è stato riscontrato nessun errore";
const char* const kTripHeadPass = "Verifica errori: teste corse";
const char* const kTripStopPass = "Verifica errori: dettagli corse";
const char* const kPeriodPass = "Verifica errori: periodi di validità";

ErrorCheckOptions ErrorCheckOptions::Consent() {
  ErrorCheckOptions o;
  o.tripCode = o.lineCode = o.routeCode = o.tripName = false;
  o.stopCode = o.stopPlace = o.distances = o.mode = false;
  o.consent = true;
  return o;
}

namespace {

// Times of day: the no-time mark, and the run past midnight the time tests let through.
constexpr long kNoTime = 9999;
constexpr long kLateDeparture = 2200, kEarlyArrival = 128;  // from one stop to the next
constexpr long kLateArrival = 2300, kEarlyDeparture = 64;   // at one stop
// The text naming the other trips of a shared code stops growing once it is this long.
constexpr size_t kDuplicateTextLimit = 1000;

// One trip of the working table, in the order read.
struct TripEntry {
  long id = 0;
  std::string code;  // the key of `codcorsa` (db/TextKeys): "Ł1" and "Ś1", both read "?1", are two codes
  long stopCount = 0;
  bool hasPeriod = false;
  bool outsidePeriod = false;
};

// The trips, found by id through a vector sorted by id.
class TripTable {
 public:
  std::vector<TripEntry> trips;

  void BuildIndex() {
    byId_.clear();
    byId_.reserve(trips.size());
    for (size_t k = 0; k < trips.size(); ++k) byId_.emplace_back(trips[k].id, k);
    std::stable_sort(byId_.begin(), byId_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  }
  TripEntry* Lookup(long id) {
    const auto at = std::lower_bound(byId_.begin(), byId_.end(), id,
                                     [](const std::pair<long, size_t>& e, long key) { return e.first < key; });
    return at != byId_.end() && at->first == id ? &trips[at->second] : nullptr;
  }

 private:
  std::vector<std::pair<long, size_t>> byId_;
};

// A pass over one selection with its progress: begun with its caption, told every row, ended.
class Pass {
 public:
  Pass(WorkProgress* progress, const char* caption, long total) : progress_(progress), total_(total) {
    if (progress_) progress_->Begin(caption);
  }
  ~Pass() {
    if (progress_) progress_->End();
  }
  Pass(const Pass&) = delete;
  Pass& operator=(const Pass&) = delete;
  void Step() {
    ++done_;
    if (progress_) progress_->Step(std::min(done_, total_), std::max(total_, 1L));
  }

 private:
  WorkProgress* progress_;
  long total_;
  long done_ = 0;
};

class Check {
 public:
  Check(DbDatabase* db, const ErrorCheckOptions& o, WorkProgress* progress) : db_(db), o_(o), progress_(progress) {}

  void TripHeads();
  void DuplicateCodes();
  void TripStops();
  void Periods(const std::string& periodStart, const std::string& periodEnd);

  ErrorCheckResult result;
  bool stopped = false;

 private:
  // True, with the check stopped there, when the row just read of `s` (of `table`) held a value of
  // another kind than its column's; `row` names the row.
  bool Stop(const DbSelect& s, const char* table, const std::function<std::string()>& row) {
    if (!s.Faulted()) return false;
    result = RefusedErrorCheck(row(), table, s.Fault(), o_);
    stopped = true;
    return true;
  }
  void Add(long trip, int sub, std::string text) { result.rows.push_back({trip, sub, std::move(text)}); }
  // The text at a position without its trailing blanks.
  std::string_view TextAt(DbSelect& s, int position, std::string& buffer) {
    s.GetFieldTextAt(position, buffer);
    return WithoutTrailingBlanks(buffer);
  }
  // The numbers by their field's type: `L` fields as longs, `I` fields as ints.
  static long LongAt(DbSelect& s, int position) {
    long value = 0;
    s.GetFieldLongAt(position, &value);
    return value;
  }
  static long IntAt(DbSelect& s, int position) {
    int value = 0;
    s.GetFieldIntAt(position, &value);
    return value;
  }
  // Marks the trips of the period rows the selection finds.
  void MarkPeriods(DbSelect& select, Pass& pass, bool outside);

  DbDatabase* db_;
  ErrorCheckOptions o_;
  WorkProgress* progress_;
  TripTable table_;
};

void Check::TripHeads() {
  Pass pass(progress_, kTripHeadPass, CountTableRows(db_, "tescor"));
  DbSelect s(
      db_, {.columns = "id, ente, contratt, codcorsa, codlinea, codperc, lung, tempo, ct_lung, ct_tempo, denom, mezzo",
            .from = "tescor",
            .orderBy = "id",
            .streaming = true});
  s.SetFaultsToldByCaller(true);
  ErrorCheckCounts& n = result.counts;
  std::string buffer, missing;
  if (s.Open()) {
    for (bool more = s.hasRow; more; more = s.MoveNext()) {
      pass.Step();
      ++n.trips;
      const long id = LongAt(s, 0), authority = IntAt(s, 1);
      const bool noAuthority = authority < 1 || authority > 303;
      if (noAuthority) ++n.tripsWithoutAuthority;
      missing.clear();
      if (noAuthority && !o_.consent) missing += "Ente ";
      std::string code = TextKeyAt(s, 3);
      if (code.empty() && o_.tripCode) missing += "CodCorsa ";
      table_.trips.push_back({id, std::move(code)});
      if (o_.lineCode && TextAt(s, 4, buffer).empty()) missing += "CodLinea ";
      if (o_.routeCode && TextAt(s, 5, buffer).empty()) missing += "CodPerc ";
      if (LongAt(s, 6) <= 0) missing += "Lunghezza ";
      if (IntAt(s, 7) <= 0) missing += "Durata ";
      if (LongAt(s, 8) <= 0) missing += "LunghezzaContrattuale ";
      if (IntAt(s, 9) <= 0) missing += "DurataContrattuale ";
      if (o_.tripName && TextAt(s, 10, buffer).empty()) missing += "Descrizione ";
      // The transport mode keeps its blanks: a blank letter is a letter.
      if (o_.mode || o_.consent) {
        s.GetFieldTextAt(11, buffer);
        if (buffer.empty()) missing += "TipoMezzo ";
      }
      if (Stop(s, "tescor", [&s] { return StoredTripRow(s, 0); })) return;
      if (!missing.empty()) Add(id, -1, "Manca: " + missing);
    }
  }
  table_.BuildIndex();
  if (o_.consent && n.tripsWithoutAuthority == n.trips)
    Add(-1, -1, "Nessuna corsa con Ente Contrattuale assegnato !!!");
}

void Check::DuplicateCodes() {
  if (o_.consent || !o_.tripCode) return;
  // The trips of each code, in the order read: each trip names every other trip of its code in
  // that order, as comparing every trip with every other would, without comparing every pair.
  std::unordered_map<std::string_view, std::vector<size_t>> byCode;
  byCode.reserve(table_.trips.size());
  for (size_t k = 0; k < table_.trips.size(); ++k)
    if (!table_.trips[k].code.empty()) byCode[table_.trips[k].code].push_back(k);
  std::string others;
  for (size_t k = 0; k < table_.trips.size(); ++k) {
    const TripEntry& trip = table_.trips[k];
    if (trip.code.empty()) continue;
    const std::vector<size_t>& group = byCode[trip.code];
    if (group.size() < 2) continue;
    others.clear();
    for (const size_t j : group) {
      if (j == k) continue;
      if (others.size() >= kDuplicateTextLimit) break;
      others += "ID=" + std::to_string(table_.trips[j].id) + " ";
    }
    Add(trip.id, -1, "Codice Corsa Duplicato: " + others);
  }
}

void Check::TripStops() {
  Pass pass(progress_, kTripStopPass, CountTableRows(db_, "detcor"));
  DbSelect s(db_, {.columns = "id, sub, fermata, denom, ubicaz, dist, arriva, parte, reglocal",
                   .from = "detcor",
                   .orderBy = "id, sub",
                   .streaming = true});
  s.SetFaultsToldByCaller(true);
  ErrorCheckCounts& n = result.counts;
  // previousLeaves: the last row's departure, for the arrival test of a trip's last stop.
  // previousTime: the trip's latest time so far; a stop without a time (9999) keeps it, so the
  // stop after one is compared with the time before it, never with the no-time mark.
  long previousTrip = -1, previousSub = -1, previousLeaves = kNoTime, previousTime = kNoTime, previousDist = 0;
  std::string previousMissing, missing, faults, buffer;
  bool started = false;
  // The arrival at a trip's last stop: its departure must be the no-time mark.
  const auto lastStop = [&] {
    if (started && previousLeaves != kNoTime)
      Add(previousTrip, static_cast<int>(previousSub), "Manca: " + previousMissing + "TempoCapolineaArrivoNon9999 ");
  };
  if (s.Open()) {
    for (bool more = s.hasRow; more; more = s.MoveNext()) {
      pass.Step();
      ++n.stops;
      const long id = LongAt(s, 0);
      const bool first = !started || id != previousTrip;
      if (first) {
        lastStop();
        previousTrip = id;
        started = true;
      }
      const long sub = IntAt(s, 1), dist = LongAt(s, 5), arrives = IntAt(s, 6), leaves = IntAt(s, 7);
      if (IntAt(s, 8) == 0) ++n.stopsWithoutLocality;
      if (TripEntry* trip = table_.Lookup(id)) ++trip->stopCount;

      bool kmStart = false, departureTime = false, kmProgressive = false, kmInversion = false, timeInversion = false;
      if (first) {
        kmStart = dist != 0;
        departureTime = arrives != kNoTime;
      } else {
        if (dist == 0)
          kmProgressive = true;
        else if (dist <= previousDist)
          kmInversion = true;
        const long reaches = arrives != kNoTime ? arrives : leaves;
        const bool pastMidnight = previousTime >= kLateDeparture && reaches <= kEarlyArrival;
        const bool midnightAtStop = arrives >= kLateArrival && leaves <= kEarlyDeparture;
        timeInversion = (reaches != kNoTime && previousTime != kNoTime && reaches < previousTime && !pastMidnight) ||
                        (arrives != kNoTime && leaves != kNoTime && leaves < arrives && !midnightAtStop);
      }
      if (first) previousTime = kNoTime;
      if (arrives != kNoTime) previousTime = arrives;
      if (leaves != kNoTime) previousTime = leaves;
      previousLeaves = leaves;
      previousDist = dist;

      missing.clear();
      if (o_.stopCode && TextAt(s, 2, buffer).empty()) missing += "CodFermata ";
      if (TextAt(s, 3, buffer).empty()) missing += "DescFermata ";
      if (o_.stopPlace && TextAt(s, 4, buffer).empty()) missing += "Ubicazione ";
      if (departureTime) missing += "TempoCapolineaPartenzaNon9999 ";
      faults.clear();
      if (kmStart) faults += "KmInizioNonZero ";
      if (kmProgressive && o_.distances) faults += "KmProgressivi ";
      if (kmInversion && !o_.consent) faults += "InversioneKm ";
      if (timeInversion) faults += "InversioneTempo ";
      if (Stop(s, "detcor", [&s] { return StopRowName(KeyNumberAt(s, 0), KeyNumberAt(s, 1)); })) return;
      if (!missing.empty()) Add(id, static_cast<int>(sub), "Manca: " + missing);
      if (!faults.empty()) Add(id, static_cast<int>(sub), "Errore: " + faults);
      previousSub = sub;
      previousMissing = missing;
    }
  }
  lastStop();
  if (o_.consent && n.stopsWithoutLocality == n.stops) Add(-1, -1, "Nessuna fermata con Località assegnata !!!");
}

void Check::MarkPeriods(DbSelect& s, Pass& pass, bool outside) {
  s.SetFaultsToldByCaller(true);
  if (!s.Open()) return;
  std::string buffer;
  for (bool more = s.hasRow; more; more = s.MoveNext()) {
    pass.Step();
    const long id = LongAt(s, 0);
    // The dates the comparison with the working period reads as the engine orders them: each must
    // be a date.
    if (!outside) {
      s.GetFieldTextAt(1, buffer);
      s.GetFieldTextAt(2, buffer);
    }
    if (Stop(s, "period", [&s, outside] {
          // The dates are read only by the walk of every period.
          return outside ? PeriodRowName(KeyNumberAt(s, 0), {}, {}, {})
                         : PeriodRowName(KeyNumberAt(s, 0), KeyTextAt(s, 1), KeyTextAt(s, 2), {});
        }))
      return;
    TripEntry* trip = table_.Lookup(id);
    if (!trip) continue;
    if (outside) {
      trip->outsidePeriod = true;
      ++result.counts.periodsOutside;
    } else {
      trip->hasPeriod = true;
    }
  }
}

void Check::Periods(const std::string& periodStart, const std::string& periodEnd) {
  // The working period as ISO dates, bound as values; none without a master row (or without its
  // dates): the periods are then not compared with it.
  const auto iso = [](const std::string& date) {
    const std::string quoted = date.empty() ? std::string() : SqlDate(date);
    return quoted.size() > 2 && quoted.front() == '\'' ? quoted.substr(1, quoted.size() - 2) : std::string();
  };
  const std::string from = iso(periodStart), to = iso(periodEnd);
  const bool compare = !from.empty() && !to.empty();
  const long periods = CountTableRows(db_, "period");
  result.counts.periods = periods;
  {
    Pass pass(progress_, kPeriodPass, compare ? 2 * periods : periods);
    DbSelect all(db_, {.columns = "id, inizio, fine", .from = "period", .orderBy = "id", .streaming = true});
    MarkPeriods(all, pass, false);
    if (stopped) return;
    if (compare) {
      DbSelect outside(db_,
                       {.columns = "id", .from = "period", .where = "inizio < ?1 OR fine > ?2", .streaming = true});
      outside.SetParameters({from, to});
      outside.SetOrderBy("id");
      MarkPeriods(outside, pass, true);
    }
  }
  for (const TripEntry& trip : table_.trips) {
    if (trip.stopCount == 0) Add(trip.id, -1, "Mancano percorso ed orari");
    if (!trip.hasPeriod && !o_.consent) Add(trip.id, -1, "Mancano periodi effettuazione");
    if (trip.outsidePeriod) Add(trip.id, -1, "Date Inizio/Fine periodi effettuazione errate");
  }
}

}  // namespace

ErrorCheckResult RefusedErrorCheck(const std::string& row, const char* table, const DbSelect::ValueFault& fault,
                                   const ErrorCheckOptions& options) {
  ErrorCheckResult refused;
  refused.Fail(
      StoredValueRefusal(row, TitledFaultText(fault, table), options.consent ? Undone::Files : Undone::Findings));
  return refused;
}

ErrorCheckResult RunErrorCheck(DbDatabase* db, const ErrorCheckOptions& options, const std::string& periodStart,
                               const std::string& periodEnd, WorkProgress* progress) {
  Check check(db, options, progress);
  check.TripHeads();
  if (!check.stopped) check.DuplicateCodes();
  if (!check.stopped) check.TripStops();
  if (!check.stopped) check.Periods(periodStart, periodEnd);
  if (check.stopped) return std::move(check.result);
  check.result.ok = true;
  if (check.result.rows.empty() && !options.consent) check.result.Inform(kNoDataErrorsText);
  return std::move(check.result);
}
