#include "exchange/communication/CommunicationPasses.h"

#include "common/CalendarDays.h"
#include "common/Cp1252.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"
#include "exchange/ExchangeText.h"
#include "exchange/ExportRecord.h"
#include "exchange/GeoStops.h"
#include "exchange/RecordLayouts.h"
#include "exchange/communication/CommunicationWriter.h"
#include "exchange/communication/VurTxtLayout.h"

#include <algorithm>
#include <vector>

namespace {

// Advances the bar every few rows: the bar itself only repaints on a new percentage.
void Step(WorkProgress* progress, long done, long total) {
  if (progress && ((done & 0xFF) == 0 || done == total)) progress->Step(done, total);
}

char FirstChar(const std::string& text) { return text.empty() ? '\0' : text[0]; }

const FieldDef kModeField{"mezzo", "mezzo di trasporto", 0, 1, FieldKind::Char};

// The text at a position of a walk, checked: false, with the refusal said, when the file cannot
// carry it. `letter`: only its first character is sent.
// `row` gives the name of the row, made only for a refusal.
template <typename Row>
bool Sendable(DbSelect::LostCharacter lost, const std::string& text, const Row& row, const FieldDef& field,
              TextRefusal& refusal, bool letter = false) {
  if (letter && lost.at > 0) lost = {};
  const std::string_view sent = letter ? std::string_view(text).substr(0, 1) : std::string_view(text);
  if (lost.code == 0 && FindControlByte(sent) == std::string_view::npos) return true;
  refusal = RefuseText(row(), field, sent, lost.code, lost.at);
  return refusal.empty();
}
template <typename Row>
bool Sendable(DbSelect& s, int position, const std::string& text, const Row& row, const FieldDef& field,
              TextRefusal& refusal, bool letter = false) {
  return Sendable(s.LostAt(position), text, row, field, refusal, letter);
}

// A text of a walk without its trailing blanks, with its mark, read in one reading of the cell
// into a string kept from row to row; `null`: the cell holds no value (its text is empty).
struct WalkText {
  std::string text;
  DbSelect::LostCharacter lost;
  bool null = false;
  const std::string& Read(DbSelect& s, int position) {
    null = !s.ReadTrimmedText(position, text, lost);
    return text;
  }
};

// The head of a trip from a walk: route code and name at `route` and the next position, trip code,
// line code, direction, authority, length, time, both contract values, previous and next trip
// and mode from `code` on.
void ReadTripHead(DbSelect& s, int route, int code, TripInput& trip) {
  trip.routeCode = s.TrimmedAt(route);
  trip.routeName = s.TrimmedAt(route + 1);
  trip.tripCode = s.TrimmedAt(code);
  trip.lineCode = s.TrimmedAt(code + 1);
  trip.direction = FirstChar(s.TrimmedAt(code + 2));
  trip.authority = s.IntAt(code + 3);
  trip.length = s.LongAt(code + 4);
  trip.time = s.IntAt(code + 5);
  trip.ctLength = s.LongAt(code + 6);
  trip.ctTime = s.IntAt(code + 7);
  const long previous = s.LongAt(code + 8), next = s.LongAt(code + 9);
  trip.previous = previous > 0 ? previous : -1;
  trip.next = next > 0 ? next : -1;
  trip.mode = FirstChar(s.TrimmedAt(code + 10));
}

// False, with the refusal said, when the row just read held a value its column cannot hold as its
// kind (a text in a number column, bytes in a text column): `row` names the row, `layout` the field.
template <typename Row>
bool KindsHold(const DbSelect& s, const Row& row, const RecordLayout& layout, TextRefusal& refusal) {
  if (!s.Faulted()) return true;
  refusal = RefuseFault(row(), s.Fault(), layout.Field(s.Fault().column));
  return false;
}

// False, with the refusal said, when a time of a stop is no time of day: the rule of the regional
// files' times (ExportRecord::TimeMisfit), the editors' empty mark counting as no time (9999).
template <typename Row>
bool TimeHolds(int hhmm, const Row& row, const FieldDef& field, TextRefusal& refusal) {
  const ExportRecord::Misfit misfit = ExportRecord::TimeMisfit(field, vurtxt::TimeOrNone(hhmm));
  if (misfit.kind == ExportRecord::MisfitKind::None) return true;
  refusal = RefuseValue(row(), misfit);
  return false;
}

const FieldDef& HeadField(const char* name) { return *TripHeadLayout().Field(name); }
const FieldDef& StopField(const char* name) { return *TripDetailLayout().Field(name); }

// A stop as its rows give it (texts without trailing blanks), with the columns that hold no value
// (bit 0 the code, 1 the name, 2 the location, 3 the locality).
struct StopKey {
  std::string code, name, place;
  int locality = 0;
  unsigned nulls = 0;
};

// Two texts in the order the database sorts them: by the code points of their characters (the
// order of their UTF-8 bytes), a text before the longer ones it begins.
int CompareTexts(const std::string& a, const std::string& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k)
    if (a[k] != b[k])
      return cp1252::ToUnicode(static_cast<unsigned char>(a[k])) < cp1252::ToUnicode(static_cast<unsigned char>(b[k]))
                 ? -1
                 : 1;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// The order "fermata, denom, ubicaz, reglocal" of the stop rows: a column without a value first.
bool StopBefore(const StopKey& a, const StopKey& b) {
  const std::string* const texts[2][3] = {{&a.code, &a.name, &a.place}, {&b.code, &b.name, &b.place}};
  for (unsigned k = 0; k < 4; ++k) {
    const bool aNull = (a.nulls >> k & 1u) != 0, bNull = (b.nulls >> k & 1u) != 0;
    if (aNull != bNull) return aNull;
    if (k == 3) return a.locality < b.locality;
    if (const int c = CompareTexts(*texts[0][k], *texts[1][k]); c != 0) return c < 0;
  }
  return false;
}

}  // namespace

bool NormaliseStops(DbDatabase* db, CommunicationModel& model, const GeoStopList* geo, WorkProgress* progress,
                    TextRefusal& refusal) {
  if (progress) progress->Begin(kStopPassCaption);
  const long total = progress ? CountTableRows(db, "detcor") : 0;
  // The rows are walked in the order the table keeps them, each page read once however large the
  // table; the stops they give are numbered afterwards in the order of their values.
  DbSelect s(db, {.columns = "fermata, denom, ubicaz, reglocal, id, sub",
                  .from = "detcor",
                  .orderBy = "id, sub",
                  .streaming = true});
  s.SetFaultsToldByCaller(true);
  if (!s.Open()) return false;
  long done = 0;
  WalkText code, name, place;
  const FieldDef &codeField = StopField("fermata"), &nameField = StopField("denom"), &placeField = StopField("ubicaz");
  std::vector<StopKey> stops;
  std::unordered_set<std::string> seen;  // their values, packed
  std::string packed;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    code.Read(s, 0);
    name.Read(s, 1);
    place.Read(s, 2);
    // The trip and the stop's place in it name a text that cannot be sent.
    const auto row = [&s] { return Format("corsa %ld, fermata %d", s.LongAt(4), s.IntAt(5)); };
    int locality = 0;
    const bool localityNull = !s.GetFieldIntAt(3, &locality);
    if (!KindsHold(s, row, TripDetailLayout(), refusal) || !Sendable(code.lost, code.text, row, codeField, refusal) ||
        !Sendable(name.lost, name.text, row, nameField, refusal) ||
        !Sendable(place.lost, place.text, row, placeField, refusal))
      return false;
    // A text sent holds no NUL: the values packed apart by NULs are one stop's.
    const unsigned nulls =
        (code.null ? 1u : 0u) | (name.null ? 2u : 0u) | (place.null ? 4u : 0u) | (localityNull ? 8u : 0u);
    packed.assign(code.text).append(1, '\0').append(name.text).append(1, '\0').append(place.text).append(1, '\0');
    packed.append(reinterpret_cast<const char*>(&locality), sizeof locality).push_back(static_cast<char>(nulls));
    if (seen.insert(packed).second) stops.push_back(StopKey{code.text, name.text, place.text, locality, nulls});
    Step(progress, ++done, total);
  }
  if (s.WalkFailed()) return false;
  std::sort(stops.begin(), stops.end(), StopBefore);
  for (const StopKey& stop : stops) model.NormaliseStop(stop.code, stop.name, stop.place, stop.locality, geo);
  return true;
}

namespace {

// The columns of a trip head in a walk of the trip heads: id, then ReadTripHead's from 1 and 3.
constexpr const char* kHeadColumns =
    "id, codperc, denom, codcorsa, codlinea, verso, ente, lung, tempo, ct_lung, ct_tempo, prevcor, nextcor, mezzo";

}  // namespace

bool WalkTrips(DbDatabase* db, const CommunicationModel& stops, const std::function<void(const TripInput&)>& take,
               WorkProgress* progress, TextRefusal* refusal) {
  // The bar goes by the stop rows walked: counting only those of a head would look up the head
  // of every row in the order of another index.
  const long total = progress ? CountTableRows(db, "detcor") : 0;
  // The heads and the stop rows walked side by side, both by trip id: each stop row meets its head
  // without a search of the heads for every row. Stop rows of no head are passed over.
  DbSelect heads(db, {.columns = kHeadColumns, .from = "tescor", .orderBy = "id", .streaming = true});
  DbSelect s(db,
             {.columns = "id, fermata, denom, ubicaz, reglocal, dist, arriva, parte, primaria, facolt, nonferma, sub",
              .from = "detcor",
              .orderBy = "id, sub",
              .streaming = true});
  // With a refusal to say, a value of another kind than its column's is said there.
  heads.SetFaultsToldByCaller(refusal != nullptr);
  s.SetFaultsToldByCaller(refusal != nullptr);
  if (!heads.Open() || !s.Open()) return false;
  TripInput trip;
  WalkText code, name, place;
  bool inHand = false, headed = false;
  int head = heads.hasRow;
  long done = 0;
  const FieldDef &arrivalField = StopField("arriva"), &departureField = StopField("parte");
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(progress, ++done, total);
    const long id = s.LongAt(0);
    if (!inHand || id != trip.id) {
      if (headed && !trip.stops.empty()) take(trip);
      inHand = true;
      trip.id = id;
      trip.stops.clear();
      while (head && heads.LongAt(0) < id) head = heads.MoveNext();
      headed = head && heads.LongAt(0) == id;
      if (!headed) continue;
      ReadTripHead(heads, 1, 3, trip);
      const auto row = [id] { return Format("corsa %ld", id); };
      if (refusal && (!KindsHold(heads, row, TripHeadLayout(), *refusal) ||
                      !Sendable(heads, 1, trip.routeCode, row, HeadField("codperc"), *refusal) ||
                      !Sendable(heads, 2, trip.routeName, row, HeadField("denom"), *refusal) ||
                      !Sendable(heads, 3, trip.tripCode, row, HeadField("codcorsa"), *refusal) ||
                      !Sendable(heads, 4, trip.lineCode, row, HeadField("codlinea"), *refusal) ||
                      !Sendable(heads, 5, heads.TrimmedAt(5), row, HeadField("verso"), *refusal, true) ||
                      !Sendable(heads, 13, heads.TrimmedAt(13), row, kModeField, *refusal, true)))
        return false;
    }
    if (!headed) continue;
    TripStopInput stop;
    const CommStop* found = stops.FindStop(code.Read(s, 1), name.Read(s, 2), place.Read(s, 3), s.IntAt(4));
    stop.stop = found ? found->number : 0;
    stop.distance = s.LongAt(5);
    stop.arrival = s.IntAt(6);
    stop.departure = s.IntAt(7);
    stop.main = s.IntAt(8) != 0;
    stop.request = s.IntAt(9) != 0;
    stop.passing = s.IntAt(10) != 0;
    // Every time of a stop goes into the files: as the time of its row, into its dwell, as the
    // run's departure or arrival.
    const auto row = [&s, id] { return Format("corsa %ld, fermata %d", id, s.IntAt(11)); };
    if (refusal &&
        (!KindsHold(s, row, TripDetailLayout(), *refusal) || !TimeHolds(stop.arrival, row, arrivalField, *refusal) ||
         !TimeHolds(stop.departure, row, departureField, *refusal)))
      return false;
    trip.stops.push_back(stop);
  }
  if (headed && !trip.stops.empty()) take(trip);
  return !s.WalkFailed() && !heads.WalkFailed();
}

bool WalkTripHeads(DbDatabase* db, const std::function<void(const TripInput&)>& take) {
  DbSelect s(db, {.columns = kHeadColumns, .from = "tescor", .orderBy = "id", .streaming = true});
  if (!s.Open()) return false;
  TripInput trip;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    trip.id = s.LongAt(0);
    ReadTripHead(s, 1, 3, trip);
    take(trip);
  }
  return !s.WalkFailed();
}

bool NormaliseTrips(DbDatabase* db, CommunicationModel& model, WorkProgress* progress, TextRefusal& refusal) {
  if (progress) progress->Begin(kTripPassCaption);
  model.ReserveTrips(static_cast<size_t>(CountTableRows(db, "tescor")));
  // The rows of each new itinerary and run go to the scratch files as the trip that makes it is
  // placed; without them the writer walks the trips again.
  auto rows = std::make_shared<TripSections>();
  const bool kept = rows->Begin(db);
  const bool walked = WalkTrips(
      db, model,
      [&](const TripInput& trip) {
        const size_t itineraries = model.ItineraryCount(), runs = model.RunCount();
        model.AddTrip(trip);
        if (kept && model.RunCount() > runs) rows->Add(model, trip, runs, model.ItineraryCount() > itineraries);
      },
      progress, &refusal);
  if (walked && kept && rows->End()) model.SetNewRows(std::move(rows));
  return walked;
}

bool ExtractCalendar(DbDatabase* db, const std::string& periodStart, const std::string& periodEnd,
                     CadenceDates& calendar, WorkProgress* progress, TextRefusal& refusal) {
  if (progress) progress->Begin(kCalendarPassCaption);
  DateRecord a, b;
  if (!ParseDateText10(periodStart, a) || !ParseDateText10(periodEnd, b)) return true;  // no period: no dates
  const int first = DateKey(a), last = DateKey(b);
  // Every day of the calendar is read, and the period kept here: a day stored as no date is
  // refused, where a selection of the period's days would pass over it.
  const long total = CountTableRows(db, "calend");
  DbSelect s(db, {.columns = "data, caden", .from = "calend", .orderBy = "data, caden", .streaming = true});
  s.SetFaultsToldByCaller(true);
  if (!s.Open()) return false;
  long done = 0;
  std::string text, dayType;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    ++done;
    s.GetFieldTextAt(0, text);
    ReadTextKey(s, 1, dayType);
    // A day that is itself the value at fault is named by its place in the table and its day type.
    const auto row = [&] {
      if (s.Fault().position != 0) return "calendario, data " + text;
      const std::string kind = s.TrimmedAt(1);
      return Format("calendario, riga %ld", done) + (kind.empty() ? "" : ", cadenza " + kind);
    };
    if (!KindsHold(s, row, CalendarLayout(), refusal)) return false;
    DateRecord d;
    const int date = ParseDateText10(text, d) ? DateKey(d) : 0;
    if (date >= first && date <= last) calendar.Add(dayType, date);
    Step(progress, done, total);
  }
  return !s.WalkFailed();
}

void ApplyPeriod(RunDays run, const CadenceDates& calendar, const std::string& dayType, const std::string& start,
                 const std::string& end, bool excluded) {
  DateRecord a, b;
  if (!ParseDateText10(start, a) || !ParseDateText10(end, b)) return;
  if (b.year * 100 + b.month < a.year * 100 + a.month) return;  // ends before it starts: no month
  const std::unordered_set<int>* dates = calendar.DatesOf(dayType);
  int year = a.year, month = a.month;
  for (;;) {
    std::uint32_t* days = run.Touch(year, month);
    const bool first = year == a.year && month == a.month, last = year == b.year && month == b.month;
    const int from = std::max(first ? a.day : 1, 1), to = std::min(last ? b.day : 31, 31);
    for (int d = from; days && dates && d <= to; ++d) {
      if (!dates->count(year * 10000 + month * 100 + d)) continue;
      const std::uint32_t bit = 1u << (32 - d);
      if (excluded)
        *days &= ~bit;
      else
        *days |= bit;
    }
    if (last) break;
    if (++month > 12) {
      month = 1;
      ++year;
    }
  }
}

bool ApplyPeriods(DbDatabase* db, CommunicationModel& model, const CadenceDates& calendar, WorkProgress* progress,
                  TextRefusal& refusal) {
  if (progress) progress->Begin(kPeriodPassCaption);
  const long total = CountTableRows(db, "period");
  DbSelect s(
      db,
      {.columns = "id, caden, inizio, fine, escluso", .from = "period", .orderBy = "id, inizio", .streaming = true});
  s.SetFaultsToldByCaller(true);
  if (!s.Open()) return false;
  long done = 0, lastId = 0, run = -1;
  bool first = true;
  std::string start, end;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    const long id = s.LongAt(0);
    if (first || id != lastId) {
      run = model.RunOfTrip(id);
      lastId = id;
      first = false;
    }
    if (run >= 0) {
      s.GetFieldTextAt(2, start);
      s.GetFieldTextAt(3, end);
      ApplyPeriod(model.DaysOf(static_cast<size_t>(run)), calendar, TextKeyAt(s, 1), start, end, s.IntAt(4) != 0);
    }
    if (!KindsHold(
            s, [id] { return Format("corsa %ld", id); }, PeriodLayout(), refusal))
      return false;
    Step(progress, ++done, total);
  }
  return !s.WalkFailed();
}

Outcome BuildCommunicationModel(DbDatabase* db, CommunicationModel& model, const std::string& periodStart,
                                const std::string& periodEnd, const GeoStopList* geo, WorkProgress* progress) {
  CadenceDates calendar;
  TextRefusal text;
  Outcome built;
  built.ok = NormaliseStops(db, model, geo, progress, text) && NormaliseTrips(db, model, progress, text) &&
             ExtractCalendar(db, periodStart, periodEnd, calendar, progress, text);
  if (built.ok) {
    // The runs' days are kept for the months where the calendar has dates: only those get a day.
    const int first = calendar.FirstDate(), last = calendar.LastDate();
    const int months = first ? (last / 10000 - first / 10000) * 12 + last / 100 % 100 - first / 100 % 100 + 1 : 0;
    model.BeginDays(first / 10000, first / 100 % 100, months);
    built.ok = ApplyPeriods(db, model, calendar, progress, text);
  }
  if (!built.ok && !text.empty()) built.Fail(text);
  return built;
}
