#include "editing/QuadroTimetable.h"

#include "common/Formatters.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/MasterRow.h"
#include "editing/TripRows.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <unordered_map>
#include <utility>

namespace {

// The columns of one trip's stop in the loading selection, trips without stops included (their
// detcor columns are NULL).
constexpr const char* kLoadColumns =
    "tescor.id, detcor.id, detcor.sub, detcor.fermata, detcor.denom, detcor.ubicaz, detcor.dist,"
    " detcor.arriva, detcor.parte, detcor.primaria, detcor.facolt, detcor.nonferma,"
    " tescor.codcorsa, tescor.codlinea, tescor.verso, tescor.lung, tescor.tempo, tescor.denom, tescor.codperc";
enum LoadColumn {
  kTripId,
  kStopTrip,
  kSub,
  kStopCode,
  kStopName,
  kLocation,
  kDistance,
  kArrival,
  kDeparture,
  kPrimary,
  kOptional,
  kNoStop,
  kTripCode,
  kLineCode,
  kDirection,
  kLength,
  kDuration,
  kDescription,
  kRouteCode,
};

constexpr int kNoTime = 9999;  // the terminus mark: no arrival at the first stop, no departure at the last

// A required text: one blank for an empty one, which the table would refuse.
std::string Required(const std::string& text) { return text.empty() ? std::string(" ") : text; }

std::string Flag(std::int32_t flag) { return flag ? "1" : "0"; }

bool IsTime(const std::string& text) { return !text.empty() && text != "99:99"; }

// A shown time ("8:35") as minutes after midnight; "99:99" stays the no-time mark.
int MinutesOf(const std::string& text) {
  const int hhmm = ParseTimeText(text);
  return hhmm == kNoTime ? kNoTime : hhmm / 100 * 60 + hhmm % 100;
}

// Minutes (past midnight, maybe of the next day) as a time of day HHMM.
int HhmmOf(int minutes) { return minutes / 60 % 24 * 100 + minutes % 60; }

// The subs of a trip's own stops from `first` on, highest first.
std::vector<int> SubsFrom(DbDatabase* db, std::int32_t id, std::int32_t first) {
  DbSelect select(db, {.columns = "sub", .from = "detcor", .where = "id = ?1 AND sub >= ?2", .orderBy = "sub DESC"});
  select.SetParameters({std::to_string(id), std::to_string(first)});
  std::vector<int> subs;
  for (select.Open(); select.hasRow; select.MoveNext()) subs.push_back(select.IntAt(0));
  return subs;
}

}  // namespace

QuadroTimetable::QuadroTimetable(DbDatabase* db) : db_(db), trips_(db, "tescor"), stops_(db, "detcor") {
  if (trips_.isOpen) trips_.SetIndex("codice");
  if (stops_.isOpen) stops_.SetIndex("codice");
  model_.AllocIndex();
}

void QuadroTimetable::LoadQuadro(std::int32_t number) {
  quadroNumber_ = number;
  singleTripId_ = -1;
  Load("tescor.gruppo = ?1", {std::to_string(number)});
}

void QuadroTimetable::LoadSingleTrip(std::int32_t id) {
  quadroNumber_ = -1;
  singleTripId_ = id;
  Load("tescor.id = ?1", {std::to_string(id)});
}

void QuadroTimetable::Reload() {
  if (singleTripId_ >= 0)
    LoadSingleTrip(singleTripId_);
  else
    LoadQuadro(quadroNumber_);
}

void QuadroTimetable::AppendTrip(std::int32_t id) {
  // A model without stops holds one empty column, which the trip takes, stops or none.
  if (ColumnCount() == 1 && !Column(0)) {
    model_.Clear();
    AddTrips("tescor.id = ?1", {std::to_string(id)});
    return;
  }
  // A column added to the rows keeps their cells' texts, not their marks: they are put back.
  std::vector<std::pair<TripStop*, std::vector<std::int32_t>>> marks;
  marks.reserve(rows_.size());
  for (TripStop* row : rows_) {
    std::vector<std::int32_t>& changed = marks.emplace_back(row, std::vector<std::int32_t>()).second;
    for (const TimeCell& cell : row->cells) changed.push_back(cell.changed);
  }
  AddTrips("tescor.id = ?1", {std::to_string(id)});
  for (const auto& [row, changed] : marks)
    for (size_t k = 0; k < changed.size() && k < row->cells.size(); ++k) row->cells[k].changed = changed[k];
}

void QuadroTimetable::Load(const std::string& where, const std::vector<std::string>& parameters) {
  fault_ = {};
  model_.Clear();
  rows_.clear();
  positions_.clear();
  stopless_.clear();
  // A trip without stops among trips with stops is no column of the timetable, and no command on
  // every trip reaches it: it has none of the quadro's stops to show or to move.
  std::vector<std::int32_t> stopless;
  AddTrips(where, parameters, &stopless);
  // No stop loaded (no such trip or quadro, trips without stops, or a failed selection): one
  // empty column, headed by no trip, standing for the trips loaded.
  if (rows_.empty()) {
    stopless_ = std::move(stopless);
    model_.Clear();
    model_.AllocIndex();
    IndexRows();
  }
}

void QuadroTimetable::AddTrips(const std::string& where, const std::vector<std::string>& parameters,
                               std::vector<std::int32_t>* stopless) {
  // One selection, trip by trip in order of departure then id, each trip's stops by sub. A trip
  // without stops (its one row has no detcor columns) gives its column or goes to `stopless`;
  // the rows are the stops of every trip together.
  DbSelect select(db_);
  select.SetColumns(kLoadColumns);
  select.SetFrom("tescor LEFT JOIN detcor ON detcor.id = tescor.id");
  select.SetWhere(where);
  select.SetOrderBy("tescor.parte, tescor.id, detcor.sub");
  select.SetParameters(parameters);
  select.Open();

  // One walk: the columns after those there already, the stops no row has yet (each as the first
  // trip that has it describes it) and the times; then the new rows in their places by sub, and
  // the times into their cells.
  struct Time {
    int column;
    std::int32_t sub;
    int arrival;
    int departure;
  };
  std::unordered_map<std::int32_t, TripStop*> bySub;
  bySub.reserve(rows_.size());
  for (TripStop* row : rows_) bySub.emplace(row->sub, row);
  std::map<std::int32_t, TripStopValues> stops;
  std::vector<Time> times;
  times.reserve(static_cast<size_t>(select.RowCount()));
  long previousTrip = -1;
  select.SetFaultsToldByCaller(true);
  for (; select.hasRow; select.MoveNext()) {
    const long id = select.LongAt(kTripId);
    long stopTrip = 0;
    const bool withStop = select.GetFieldLongAt(kStopTrip, &stopTrip) && stopTrip == id;
    // Every value of the row is read, shown or not, so that one of another kind than its column's
    // is found wherever it stands.
    const std::string tripCode = select.TrimmedAt(kTripCode), lineCode = select.TrimmedAt(kLineCode);
    const std::string direction = select.TrimmedAt(kDirection), description = select.TrimmedAt(kDescription);
    const std::string routeCode = select.TrimmedAt(kRouteCode);
    const long length = select.LongAt(kLength);
    const int duration = select.IntAt(kDuration);
    const std::int32_t sub = withStop ? select.IntAt(kSub) : 0;
    const int arrival = withStop ? select.IntAt(kArrival) : 0, departure = withStop ? select.IntAt(kDeparture) : 0;
    TripStopValues values;
    if (withStop) {
      values.stopCode = select.TrimmedAt(kStopCode);
      values.stopName = select.TrimmedAt(kStopName);
      values.location = select.TrimmedAt(kLocation);
      values.distance = static_cast<std::int32_t>(select.LongAt(kDistance));
      values.lengthText = FormatMetresAsKm(values.distance);
      values.primary = select.IntAt(kPrimary) != 0;
      values.optional = select.IntAt(kOptional) != 0;
      values.noStop = select.IntAt(kNoStop) != 0;
    }
    if (select.Faulted()) {
      const bool ofStop = select.Fault().position < kTripCode && select.Fault().position != kTripId;
      const std::string trip = KeyNumberAt(select, kTripId);
      fault_ = FaultOf(select, ofStop ? "detcor" : "tescor",
                       ofStop ? StopRowName(trip, KeyNumberAt(select, kSub)) : TripRowName(trip));
      break;
    }
    if (id != previousTrip) {
      previousTrip = id;
      if (!withStop && stopless) {
        stopless->push_back(static_cast<std::int32_t>(id));
        continue;
      }
      model_.AllocIndex();
      model_.SetColumn(
          model_.ColumnCount() - 1,
          std::make_unique<TripLeg>(static_cast<std::int32_t>(id), -1, quadroNumber_, tripCode, lineCode,
                                    direction.empty() ? '\0' : direction.front(),
                                    withStop ? FormatTimeOfDay(departure) : std::string(),
                                    withStop ? FormatTimeOfDay(arrival) : std::string(), FormatMetresAsKm(length),
                                    FormatDuration(duration), description, routeCode));
    }
    if (!withStop) continue;
    times.push_back({model_.ColumnCount() - 1, sub, arrival, departure});
    if (bySub.count(sub) != 0) continue;
    stops.try_emplace(sub, std::move(values));
  }

  // The rows stay in order of sub: each new stop goes after the last row with a smaller sub, the
  // existing rows and the new ones walked together once.
  TripStop* before = nullptr;
  size_t next = 0;
  for (const auto& [sub, values] : stops) {
    while (next < rows_.size() && rows_[next]->sub < sub) before = rows_[next++];
    TripStop* row = next == rows_.size() ? model_.Append(sub, values)
                    : before             ? model_.InsertAfter(before, sub, values)
                                         : model_.Prepend(sub, values);
    bySub.emplace(sub, row);
    before = row;
  }
  for (const Time& time : times) {
    TimeCell* cell = bySub[time.sub]->GetCell(time.column);
    cell->arrivalText = FormatTimeOfDay(time.arrival);
    cell->departureText = FormatTimeOfDay(time.departure);
  }
  IndexRows();
}

void QuadroTimetable::IndexRows() {
  rows_.clear();
  positions_.clear();
  rows_.reserve(static_cast<size_t>(model_.Count()));
  positions_.reserve(static_cast<size_t>(model_.Count()));
  for (TripStop& row : model_) {
    positions_.emplace(&row, static_cast<int>(rows_.size()));
    rows_.push_back(&row);
  }
}

std::vector<std::pair<std::int32_t, TripLeg*>> QuadroTimetable::Trips() const {
  std::vector<std::pair<std::int32_t, TripLeg*>> trips;
  for (int k = 0; k < ColumnCount(); ++k)
    if (TripLeg* trip = Column(k); trip && !trip->deleted) trips.emplace_back(trip->id, trip);
  for (const std::int32_t id : stopless_)
    if (std::none_of(trips.begin(), trips.end(), [id](const auto& trip) { return trip.first == id; }))
      trips.emplace_back(id, nullptr);
  return trips;
}

TripStop* QuadroTimetable::Row(int position) const {
  return position >= 0 && position < RowCount() ? rows_[static_cast<size_t>(position)] : nullptr;
}

int QuadroTimetable::PositionOf(const TripStop* row) const {
  const auto found = positions_.find(row);
  return found == positions_.end() ? -1 : found->second;
}

TimeCell* QuadroTimetable::Cell(int row, int column) const {
  TripStop* stop = Row(row);
  return stop ? stop->GetCell(column) : nullptr;
}

std::string QuadroTimetable::CellText(const TimeCell& cell) {
  const std::string& arrival = cell.arrivalText;
  const std::string& departure = cell.departureText;
  if (arrival == departure) return arrival;
  if (arrival == "99:99") return departure;
  if (departure == "99:99") return arrival;
  return "A: " + arrival + " / P: " + departure;
}

bool QuadroTimetable::ParseTransitTime(std::string_view text, bool markAllowed, int& hhmm) {
  text = text.substr(0, text.find(' '));
  if (text.empty()) {
    hhmm = -1;
    return true;
  }
  // The mark of a terminus ("99:99", shown for the missing arrival at the first stop or
  // departure at the last) stays the mark there; anywhere else it would wipe a real time.
  if (text.size() == 5 && text.substr(0, 2) == "99" && text.substr(3) == "99" &&
      std::string_view(".:,-").find(text[2]) != std::string_view::npos) {
    if (!markAllowed) return false;
    hhmm = kNoTime;
    return true;
  }
  return ParseEntryTime(text, hhmm);
}

void QuadroTimetable::StopEnds(std::int32_t id, std::int32_t sub, bool& first, bool& last) const {
  DbSelect select(db_, {.columns = "min(sub), max(sub)", .from = "detcor", .where = "id = ?1"});
  select.SetParameters({std::to_string(id)});
  long lowest = 0, highest = 0;
  if (!select.Open() || !select.GetFieldLongAt(0, &lowest) || !select.GetFieldLongAt(1, &highest)) return;
  first = sub == lowest;
  last = sub == highest;
}

std::string QuadroTimetable::WriteTime(int row, int column, const std::string& arrival, const std::string& departure,
                                       bool* written) {
  if (written) *written = false;
  TimeCell* cell = Cell(row, column);
  const TripLeg* trip = Column(column);
  // The mark of no time only where the trip has none: at its first stop no arrival, at its last
  // no departure.
  bool firstStop = false, lastStop = false;
  if (cell && trip) StopEnds(trip->id, Row(row)->sub, firstStop, lastStop);
  int arrivalTime = -1, departureTime = -1;
  const bool arrivalValid = ParseTransitTime(arrival, firstStop, arrivalTime);
  const bool departureValid = ParseTransitTime(departure, lastStop, departureTime);
  if (!arrivalValid || !departureValid) {
    std::string text = "ATTENZIONE ";
    if (!arrivalValid) text += "l'orario di arrivo ";
    if (!arrivalValid && !departureValid) text += "e ";
    if (!departureValid) text += "l'orario di partenza ";
    text += !arrivalValid && !departureValid ? "sono espressi " : "è espresso ";
    return text + "in modo illegale.\n\nGli orari devono essere espressi nel formato HH.MM\n\n";
  }
  // The mark stands for no time: a stop needs one real time at least.
  const auto real = [](int time) { return time >= 0 && time != kNoTime; };
  if (!real(arrivalTime) && !real(departureTime))
    return "ATTENZIONE: non è stato indicato l'orario di arrivo e neppure quello di partenza.\n\n"
           "Deve essere attribuito obbligatoriamente almeno un riferimento orario.";
  if (arrivalTime < 0) arrivalTime = departureTime;
  if (departureTime < 0) departureTime = arrivalTime;

  // A cell the model lacks, a stop the trip lacks or a write refused (reported by the table
  // layer) leaves the cell as it was.
  if (!cell || !trip) return {};
  const std::string id = std::to_string(trip->id), sub = std::to_string(Row(row)->sub);
  // A trip of the quadro that does not call at this stop (the row is another trip's).
  if (!stops_.SeekEqual({id.c_str(), sub.c_str()}))
    return "ATTENZIONE: la corsa " + id + " non transita per la fermata " + sub +
           ".\n\nL'orario di transito non può essere registrato.";
  if (!stops_.Edit() || !stops_.SetFieldText("arriva", std::to_string(arrivalTime)) ||
      !stops_.SetFieldText("parte", std::to_string(departureTime)) || !stops_.Update())
    return {};
  cell->arrivalText = FormatTimeOfDay(arrivalTime);
  cell->departureText = FormatTimeOfDay(departureTime);
  cell->changed = 1;
  if (written) *written = true;
  return {};
}

int QuadroTimetable::WriteStopDetails(int row, const TripStopValues& values, const TripStopValues* shown) {
  TripStop* stop = Row(row);
  if (!stop || stop->deleted) return 0;
  const std::string sub = std::to_string(stop->sub);
  const std::pair<const char*, std::string> details[] = {
      {"fermata", values.stopCode},       {"denom", values.stopName},
      {"ubicaz", values.location},        {"dist", std::to_string(values.distance)},
      {"primaria", Flag(values.primary)}, {"facolt", Flag(values.optional)},
      {"nonferma", Flag(values.noStop)}};
  const bool same[] = {shown && shown->stopCode == values.stopCode,
                       shown && shown->stopName == values.stopName,
                       shown && shown->location == values.location,
                       shown && shown->distance == values.distance,
                       shown && (shown->primary != 0) == (values.primary != 0),
                       shown && (shown->optional != 0) == (values.optional != 0),
                       shown && (shown->noStop != 0) == (values.noStop != 0)};
  static_assert(std::size(details) == std::size(same));
  if (std::all_of(std::begin(same), std::end(same), [](bool b) { return b; })) return 0;
  // Every trip or none: a stop never has two sets of details in one quadro.
  DbBatch batch(db_);
  if (!batch.Active()) return 0;
  int written = 0;
  for (const auto& [tripId, trip] : Trips()) {
    const std::string id = std::to_string(tripId);
    if (!stops_.SeekEqual({id.c_str(), sub.c_str()})) continue;
    bool stored = stops_.Edit();
    for (size_t f = 0; f < std::size(details) && stored; ++f)
      stored = same[f] || stops_.SetFieldText(details[f].first, details[f].second);
    stored = stored && stops_.Update();
    if (!stored) {
      batch.Rollback();
      return 0;
    }
    ++written;
  }
  if (written == 0 || batch.Commit() != 1) return 0;
  static_cast<TripStopValues&>(*stop) = values;
  stop->lengthText = FormatMetresAsKm(values.distance);
  stop->primary = values.primary != 0;
  stop->optional = values.optional != 0;
  stop->noStop = values.noStop != 0;
  stop->changed = 1;
  return written;
}

int QuadroTimetable::DeleteStop(int row) {
  TripStop* stop = Row(row);
  if (!stop || stop->deleted) return 0;
  const std::string sub = std::to_string(stop->sub);
  // Every trip or none: the quadro's trips keep the same stops.
  DbBatch batch(db_);
  if (!batch.Active()) return 0;
  int deleted = 0;
  for (const auto& [tripId, trip] : Trips()) {
    const std::string id = std::to_string(tripId);
    if (!stops_.SeekEqual({id.c_str(), sub.c_str()})) continue;
    if (!stops_.Delete()) {
      batch.Rollback();
      return 0;
    }
    ++deleted;
  }
  if (deleted == 0 || batch.Commit() != 1) return 0;
  stop->deleted = 1;
  return deleted;
}

int QuadroTimetable::InsertStop(InsertAt where, int below, const TripStopValues& values, int time,
                                std::int32_t fallbackTrip) {
  // The trips written: every trip of the model (one deleted in this session has no head), the
  // fallback one for a column of no trip that stands for none.
  std::vector<std::int32_t> ids;
  for (const auto& [id, trip] : Trips()) ids.push_back(id);
  if (ids.empty() && fallbackTrip >= 0 && ColumnCount() == 1 && !Column(0)) ids.push_back(fallbackTrip);
  if (ids.empty()) return -1;

  // The sub of the new stop; the stops from it on move down one place.
  const bool noStops = rows_.empty();
  if (noStops) where = InsertAt::Tail;
  std::int32_t sub = 0;
  switch (where) {
    case InsertAt::Head: sub = rows_.front()->sub; break;
    case InsertAt::Below:
      if (!Row(below)) return -1;
      sub = Row(below)->sub + 1;
      break;
    case InsertAt::Tail: sub = model_.MaxId() + 1; break;
  }
  const std::string subText = std::to_string(sub);
  const std::string times = noStops && time >= 0 ? std::to_string(time) : std::string("-1");

  // All trips or none: a stop that some trips got and others did not would break the quadro's
  // rows apart, so a write refused for one trip undoes the others.
  DbBatch batch(db_);
  if (!batch.Active()) return -1;
  bool whole = true;
  for (const std::int32_t id : ids) {
    const std::string idText = std::to_string(id);
    // Each trip's own stops move down, highest first so that no two ever share a sub; every
    // field of them (regional codes, locality) stays as it is.
    if (where != InsertAt::Tail) {
      for (const int old : SubsFrom(db_, id, sub)) {
        whole = stops_.SeekEqual({idText.c_str(), std::to_string(old).c_str()}) && stops_.Edit() &&
                stops_.SetFieldText("sub", std::to_string(old + 1)) && stops_.Update();
        if (!whole) break;
      }
    }
    whole = whole && stops_.AddNew() && stops_.SetFieldText("id", idText) && stops_.SetFieldText("sub", subText) &&
            stops_.SetFieldText("fermata", values.stopCode) && stops_.SetFieldText("denom", values.stopName) &&
            stops_.SetFieldText("ubicaz", values.location) &&
            stops_.SetFieldText("dist", std::to_string(values.distance)) && stops_.SetFieldText("arriva", times) &&
            stops_.SetFieldText("parte", times) && stops_.SetFieldText("primaria", Flag(values.primary)) &&
            stops_.SetFieldText("facolt", Flag(values.optional)) &&
            stops_.SetFieldText("nonferma", Flag(values.noStop)) && stops_.SetFieldText("regferma", "") &&
            stops_.SetFieldText("reglocal", "0") && stops_.SetFieldText("regarea", "") && stops_.Update();
    if (!whole) break;
  }
  if (!whole) {
    batch.Rollback();
    return -1;
  }
  if (batch.Commit() != 1) return -1;

  Reload();
  for (int k = 0; k < RowCount(); ++k)
    if (rows_[static_cast<size_t>(k)]->sub == sub) return k;
  return -1;
}

bool QuadroTimetable::WriteHead(int column, const TripHead& head, const TripHead* shown) {
  TripLeg* trip = Column(column);
  if (!trip || !trips_.SeekEqual({std::to_string(trip->id).c_str()})) return false;
  const bool stored = trips_.Edit() && SetHeadFields(trips_, head, shown) && trips_.Update();
  if (!stored) return false;
  ApplyHeadTexts(*trip, head);
  return true;
}

std::vector<std::int32_t> QuadroTimetable::AssignLine(const std::string& lineCode, char direction,
                                                      const std::string& routeCode, const std::string& note,
                                                      const TripHead* shown) {
  std::vector<std::int32_t> written;
  const bool line = !shown || shown->lineCode != lineCode, verso = !shown || shown->direction != direction,
             route = !shown || shown->routeCode != routeCode, denom = !shown || shown->note != note;
  if (!line && !verso && !route && !denom) return written;
  for (const auto& [id, trip] : Trips()) {
    if (!trips_.SeekEqual({std::to_string(id).c_str()})) continue;
    if (!trips_.Edit() || (line && !trips_.SetFieldText("codlinea", Required(lineCode))) ||
        (verso && !trips_.SetFieldText("verso", Required(direction ? std::string(1, direction) : std::string()))) ||
        (route && !trips_.SetFieldText("codperc", routeCode)) || (denom && !trips_.SetFieldText("denom", note)) ||
        !trips_.Update())
      continue;
    written.push_back(id);
    if (!trip) continue;  // a trip without stops has no column to show it
    if (line) trip->lineCode = WithoutTrailingBlanks(lineCode);
    if (verso) trip->direction = direction;
    if (route) trip->routeCode = WithoutTrailingBlanks(routeCode);
    if (denom) trip->description = WithoutTrailingBlanks(note);
    trip->changed = 1;
  }
  return written;
}

std::vector<std::int32_t> QuadroTimetable::AssignLengths(long length, long contractLength, int contractDuration) {
  std::vector<std::int32_t> written;
  for (const auto& [id, trip] : Trips()) {
    if (!trips_.SeekEqual({std::to_string(id).c_str()})) continue;
    if (!trips_.Edit() || !trips_.SetFieldText("lung", std::to_string(length)) ||
        !trips_.SetFieldText("ct_lung", std::to_string(contractLength)) ||
        !trips_.SetFieldText("ct_tempo", std::to_string(contractDuration)) || !trips_.Update())
      continue;
    written.push_back(id);
    if (!trip) continue;
    trip->lengthText = FormatMetresAsKm(length);
    trip->changed = 1;
  }
  return written;
}

std::vector<std::int32_t> QuadroTimetable::AssignContract(int authority, int contract) {
  std::vector<std::int32_t> written;
  for (const auto& [id, trip] : Trips()) {
    if (!trips_.SeekEqual({std::to_string(id).c_str()})) continue;
    if (trips_.Edit() && trips_.SetFieldText("ente", std::to_string(authority)) &&
        trips_.SetFieldText("contratt", std::to_string(contract)) && trips_.Update())
      written.push_back(id);
  }
  return written;
}

Outcome QuadroTimetable::MoveToNewQuadro(int column) {
  Outcome moved;
  const TripLeg* trip = Column(column);
  if (!trip || !trips_.SeekEqual({std::to_string(trip->id).c_str()})) return moved;
  DbTable master(db_, "master");
  master.SetFaultsToldByCaller(true);
  if (!SeekMasterRow(master)) {
    moved.Fail(TripStore::MissingMasterText());
    return moved;
  }
  std::string counter;
  master.GetFieldText("gruppo", counter);
  if (master.Faulted()) {
    moved.Fail(MasterRowRefusal(master.Fault(), Undone::Changes));
    return moved;
  }
  std::int64_t number = LeadingInt(counter);
  // The counter lags behind quadri written elsewhere (another program, an import): the number
  // past the largest one in use is free, and a trip never joins a quadro by mistake.
  DbSelect used(db_, {.columns = "max(gruppo)", .from = "tescor"});
  long largest = -1;
  std::string past;  // the quadro the number was sought after
  if (used.Open() && used.GetFieldLongAt(0, &largest) && largest >= number) {
    number = std::int64_t{largest} + 1;
    past = " dopo il quadro " + std::to_string(largest);
  }
  // The counter becomes the number + 1: past what its column holds, the trip stays where it is.
  if (number >= kLargestCounter) {
    moved.Fail(CounterPastItsColumnRefusal("gruppo", number + 1, "nessun nuovo quadro può essere numerato" + past + ".",
                                           Undone::Changes));
    return moved;
  }

  // The trip and the counter together: a trip moved without the counter rising would share its
  // new quadro with the next trip moved.
  DbBatch batch(db_);
  if (!batch.Active()) return moved;
  const bool stored = trips_.Edit() && trips_.SetFieldText("gruppo", std::to_string(number)) && trips_.Update() &&
                      master.Edit() && master.SetFieldText("gruppo", std::to_string(number + 1)) && master.Update();
  if (!stored) {
    batch.Rollback();
    return moved;
  }
  if (batch.Commit() != 1) return moved;
  moved.ok = true;
  Reload();
  return moved;
}

Outcome QuadroTimetable::CloneTimes(int source, int target, int departure) {
  Outcome cloned;
  cloned.ok = true;
  const TripLeg* targetTrip = Column(target);
  const TripLeg* sourceTrip = Column(source);
  if (!sourceTrip || !targetTrip || source == target || targetTrip->deleted) return cloned;
  if (sourceTrip->deleted) {
    cloned.Fail(
        "ATTENZIONE: la corsa della colonna di origine è stata eliminata.\n\n"
        "La clonazione degli orari risulta impossibile.");
    return cloned;
  }

  // The stops still in the trips, each with the source's times in minutes.
  struct Stop {
    TripStop* row;
    int arrival;
    int departure;
  };
  std::vector<Stop> stops;
  for (TripStop* row : rows_)
    if (!row->deleted) stops.push_back({row, 0, 0});
  for (size_t k = 0; k < stops.size(); ++k) {
    const TimeCell& cell = *stops[k].row->GetCell(source);
    const bool first = k == 0, last = k + 1 == stops.size();
    const bool arrivalNeeded = !first, departureNeeded = !last || first;
    const bool lastWithout = last && !first && (cell.departureText == "99:99" || cell.departureText.empty());
    if ((arrivalNeeded && !IsTime(cell.arrivalText)) || (departureNeeded && !IsTime(cell.departureText))) {
      cloned.Fail(
          "ATTENZIONE: la corsa della colonna di origine non ha l'orario di transito a tutte le fermate.\n\n"
          "La clonazione degli orari risulta impossibile.");
      return cloned;
    }
    stops[k].arrival = arrivalNeeded ? MinutesOf(cell.arrivalText) : kNoTime;
    stops[k].departure = lastWithout ? kNoTime : MinutesOf(cell.departureText);
  }

  // The target runs as the source does, from `departure` on; a source arrival before the
  // previous departure is on the next day.
  std::vector<std::pair<int, int>> times;  // HHMM
  int running = departure / 100 * 60 + departure % 100;
  int previous = 0;
  for (size_t k = 0; k < stops.size(); ++k) {
    int arrival = stops[k].arrival, leaving = stops[k].departure;
    if (k == 0) {
      times.emplace_back(kNoTime, departure);
      previous = leaving;
      continue;
    }
    if (previous > arrival) arrival += 1440;
    const int reached = running + (arrival - previous);
    int dwell = 0;
    if (leaving != kNoTime) {
      if (arrival > leaving) leaving += 1440;
      dwell = leaving - arrival;
    }
    previous = leaving;
    running = reached + dwell;
    times.emplace_back(HhmmOf(reached), HhmmOf(running));
  }

  const std::string id = std::to_string(targetTrip->id);
  for (size_t k = 0; k < stops.size(); ++k) {
    const auto [arrival, leaving] = times[k];
    const std::string sub = std::to_string(stops[k].row->sub);
    if (!stops_.SeekEqual({id.c_str(), sub.c_str()}) || !stops_.Edit() ||
        !stops_.SetFieldText("arriva", std::to_string(arrival)) ||
        !stops_.SetFieldText("parte", std::to_string(leaving)) || !stops_.Update())
      continue;
    TimeCell* cell = stops[k].row->GetCell(target);
    cell->arrivalText = FormatTimeOfDay(arrival);
    cell->departureText = FormatTimeOfDay(leaving);
    cell->changed = 1;
  }
  return cloned;
}
