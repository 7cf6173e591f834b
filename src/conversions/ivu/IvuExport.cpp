#include "conversions/ivu/IvuExport.h"

#include "common/ExportRecovery.h"
#include "common/Formatters.h"
#include "common/WholeFile.h"
#include "conversions/StoredValues.h"
#include "conversions/ivu/IvuFields.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/MasterRow.h"
#include "db/TextKeys.h"
#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"

#include <QDate>
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <map>
#include <unordered_map>
#include <utility>

namespace ivu {

namespace {

void Begin(WorkProgress* progress, const char* caption) {
  if (progress) progress->Begin(caption);
}

// A day/month/year text as a date (invalid when it is not one).
QDate DateOf(std::string_view text) {
  int day = 0, month = 0, year = 0;
  if (text.size() < 10) return {};
  if (text[4] == '-') return QDate::fromString(QString::fromLatin1(text.data(), 10), QStringLiteral("yyyy-MM-dd"));
  SplitDateText(text.substr(0, 10), day, month, year);
  return QDate(year, month, day);
}

constexpr int kNoTime = 9999;

struct StopMinutes {
  int arrival = 0, departure = 0;
};

// Each stop's arrival and departure in minutes as the running and dwell times take them. A stop
// without a time (9999) passes at the time known last before it: its own departure or arrival, or
// the departure of the stop before, so that an untimed stop neither lengthens nor shortens the
// trip (its times read as minutes would give running times of days, or below zero).
void PassingMinutes(const std::vector<IvuTripStop>& stops, std::vector<StopMinutes>& m) {
  m.resize(stops.size());
  if (stops.empty()) return;
  int known = IvuMinutes(stops.front().departure);
  m.front() = {known, known};  // the first stop's arrival is not used
  for (size_t k = 1; k < stops.size(); ++k) {
    const IvuTripStop& s = stops[k];
    const int arrival = s.arrival != kNoTime     ? IvuMinutes(s.arrival)
                        : s.departure != kNoTime ? IvuMinutes(s.departure)
                                                 : known;
    const int departure = s.departure != kNoTime ? IvuMinutes(s.departure) : arrival;
    m[k] = {arrival, departure};
    known = departure;
  }
}

// The key of a stop's texts: code, name and location.
void StopKey(std::string_view code, std::string_view name, std::string_view location, std::string& key) {
  key.assign(code).append(1, '\0').append(name).append(1, '\0').append(location);
}

// False, with the refusal, when the company or a date of the period is not of its column's kind,
// or the company's name is not a text.
bool LoadMaster(DbDatabase* db, IvuExportData& data, std::string& refusal) {
  const MasterFields master = ReadMasterFields(db, {"azienda", "datini", "datfin"}, Undone::Files);
  refusal = master.refusal;
  if (!refusal.empty()) return false;
  if (master.found) {
    data.company = std::atoi(master.texts[0].c_str());
    data.periodStart = master.texts[1];
    data.periodEnd = master.texts[2];
  }
  DbSelect s(db, {.columns = "denom", .from = "regazi"});
  s.SetWhere("codice = " + std::to_string(data.company));
  OpenToRefuseFaults(s);
  if (s.hasRow) data.companyName = s.TrimmedAt(0);
  return !StoredValueRefused(
      s, [&data] { return Format("azienda %d", data.company); }, nullptr, Undone::Files, refusal);
}

// The stops of the trips that have a period, ordered by name, location and code: a row equal to the
// one before it adds nothing, and a lookup finds the first stop of its texts.
// The stop texts and the trip texts the files carry, in the fields of the region's files that hold
// them: a text that lost a character Windows-1252 lacks refuses the export.
const FieldDef* const kStopTexts[3] = {TripDetailLayout().Field("fermata"), TripDetailLayout().Field("denom"),
                                       TripDetailLayout().Field("ubicaz")};
const FieldDef* const kTripTexts[3] = {TripHeadLayout().Field("codcorsa"), TripHeadLayout().Field("codlinea"),
                                       TripHeadLayout().Field("verso")};

// False, with the refusal, at the first text that lost a character.
bool LoadStops(DbDatabase* db, IvuExportData& data, std::unordered_map<std::string, long>& index,
               std::string& refusal) {
  // Each stop row once: joined with its periods it would come once for each, and the repeats
  // would be dropped as neighbours all the same. The trip and the place name a text refused.
  DbSelect s(db, {.columns = "detcor.fermata, detcor.denom, detcor.ubicaz, detcor.id, detcor.sub",
                  .from = "detcor",
                  .where = "EXISTS (SELECT 1 FROM period WHERE period.id = detcor.id)",
                  .orderBy = "detcor.denom, detcor.ubicaz, detcor.fermata",
                  .streaming = true});
  OpenToRefuseFaults(s);
  std::string texts[3], key;  // code, name, location
  for (bool more = s.hasRow; more; more = s.MoveNext()) {
    const auto row = [&s] { return StoredTripRow(s, 3, 4); };
    refusal = RefuseLostText(s, 0, kStopTexts, row, texts);
    if (!refusal.empty() || StoredValueRefused(s, row, &TripDetailLayout(), Undone::Files, refusal)) return false;
    if (!data.stops.empty()) {
      const IvuExportStop& last = data.stops.back();
      if (last.code == texts[0] && last.name == texts[1] && last.location == texts[2]) continue;
    }
    IvuExportStop stop;
    stop.id = static_cast<long>(data.stops.size());
    stop.code = texts[0];
    stop.name = texts[1];
    stop.location = texts[2];
    StopKey(stop.code, stop.name, stop.location, key);
    index.try_emplace(key, stop.id);
    data.stops.push_back(std::move(stop));
  }
  return true;
}

// Folds the trips into standard trips, one trip's stops at a time. False, with the refusal, at the
// first text that lost a character.
bool LoadTrips(DbDatabase* db, IvuExportData& data, const std::unordered_map<std::string, long>& stopIndex,
               std::string& refusal) {
  DbSelect s(db);
  s.SetColumns(
      "tescor.id, tescor.codcorsa, tescor.codlinea, tescor.verso, detcor.fermata, detcor.denom, detcor.ubicaz, "
      "detcor.dist, detcor.arriva, detcor.parte, detcor.sub");
  // Each stop row once (its trip's periods only tested for): every stop of a trip is kept, also
  // one whose distance and times equal the stop's before it (two untimed stops in a row).
  s.SetFrom("tescor, detcor");
  s.SetWhere("detcor.id = tescor.id AND EXISTS (SELECT 1 FROM period WHERE period.id = detcor.id)");
  s.SetOrderBy("detcor.id, detcor.sub");
  s.SetStreaming(true);
  OpenToRefuseFaults(s);
  std::vector<IvuTripStop> stops;
  std::string trip[3], next[3];  // code, line, direction: of the trip being read, of the next one
  std::string texts[3], key;
  long current = -1;
  const auto place = [&] {
    if (stops.empty()) return;
    data.standardTrips.Add(current, trip[1], trip[2].empty() ? ' ' : trip[2][0], stops, trip[0]);
  };
  for (bool more = s.hasRow; more; more = s.MoveNext()) {
    const long id = s.LongAt(0);
    if (id != current) {
      refusal = RefuseLostText(
          s, 1, kTripTexts, [&s] { return StoredTripRow(s, 0); }, next);
      if (!refusal.empty()) return false;
      if (current != -1) place();
      current = id;
      std::swap(trip, next);
      stops.clear();
    }
    // The reader keeps to each column's declared width: dist is a long, the times integers.
    for (int k = 0; k < 3; ++k) {
      if (!s.GetFieldTextAt(4 + k, texts[k])) texts[k].clear();
      texts[k].resize(WithoutTrailingBlanks(texts[k]).size());
    }
    const IvuTripStop read{0, static_cast<int>(s.LongAt(7)), s.IntAt(8), s.IntAt(9)};
    if (StoredValueRefused(
            s, [&s] { return StoredTripRow(s, 0, 10); }, &TripDetailLayout(), Undone::Files, refusal))
      return false;
    StopKey(texts[0], texts[1], texts[2], key);
    const auto stop = stopIndex.find(key);
    if (stop == stopIndex.end()) continue;
    stops.push_back({stop->second, read.distance, read.arrival, read.departure});
  }
  if (current != -1) place();
  return true;
}

// The day sets of the trips folded, shared by equal sets in the order the trips first use them.
// False, with the refusal, at the first value of the calendar or the periods that is not of its
// column's kind.
bool LoadDaySets(DbDatabase* db, IvuExportData& data, const QDate& start, const QDate& end, std::string& refusal) {
  // For each day type (by its key, db/TextKeys), the day indexes of the version on which it runs,
  // ascending.
  std::map<std::string, std::vector<int>> calendar;
  {
    DbSelect s(db, {.columns = "data, caden", .from = "calend", .streaming = true});
    OpenToRefuseFaults(s);
    for (bool more = s.hasRow; more; more = s.MoveNext()) {
      const std::string date = s.TrimmedAt(0), dayType = TextKeyAt(s, 1);
      if (StoredValueRefused(
              s, [&s, &date] { return DayOfDayType(s.TrimmedAt(1), date); }, &CalendarLayout(), Undone::Files, refusal))
        return false;
      const QDate day = DateOf(date);
      if (!day.isValid() || day < start || day > end) continue;
      calendar[dayType].push_back(static_cast<int>(start.daysTo(day)));
    }
    for (auto& [code, days] : calendar) {
      std::sort(days.begin(), days.end());
      days.erase(std::unique(days.begin(), days.end()), days.end());
    }
  }
  struct Period {
    std::string dayType;
    QDate from, to;
    bool excluded = false;
  };
  std::unordered_map<std::string, long> shared;
  // The periods of one trip at a time, as the walk by trip id gives them: they apply in order of
  // their start, an exclusion clearing what earlier ones set.
  std::vector<Period> periods;
  long id = 0;
  const auto applyTrip = [&] {
    const size_t folded = data.standardTrips.TripOf(id);
    if (folded == SIZE_MAX) {
      periods.clear();
      return;
    }
    std::stable_sort(periods.begin(), periods.end(), [](const Period& a, const Period& b) { return a.from < b.from; });
    std::vector<bool> bits(kIvuDaySetDays, false);
    for (const Period& p : periods) {
      const auto days = calendar.find(p.dayType);
      if (days == calendar.end() || !p.from.isValid() || !p.to.isValid()) continue;
      const auto first = static_cast<int>(start.daysTo(p.from)), last = static_cast<int>(start.daysTo(p.to));
      for (auto d = std::lower_bound(days->second.begin(), days->second.end(), first);
           d != days->second.end() && *d <= last; ++d)
        if (*d < kIvuDaySetDays) bits[static_cast<size_t>(*d)] = !p.excluded;
    }
    periods.clear();
    std::string text(kIvuDaySetDays / 4, '0');
    for (int d = 0; d < kIvuDaySetDays; ++d)
      if (bits[static_cast<size_t>(d)]) {
        const int digit = text[static_cast<size_t>(d / 4)] <= '9' ? text[static_cast<size_t>(d / 4)] - '0'
                                                                  : text[static_cast<size_t>(d / 4)] - 'A' + 10;
        const int value = digit | (8 >> (d % 4));
        text[static_cast<size_t>(d / 4)] = static_cast<char>(value < 10 ? '0' + value : 'A' + value - 10);
      }
    const auto [it, added] = shared.try_emplace(text, static_cast<long>(data.daySets.size()) + 1);
    if (added) data.daySets.push_back(text);
    data.standardTrips.SetDaySet(folded, it->second);
  };
  DbSelect s(db, {.columns = "tescor.id, period.caden, period.inizio, period.fine, period.escluso",
                  .from = "tescor, period",
                  .where = "period.id = tescor.id",
                  .orderBy = "tescor.id",
                  .streaming = true});
  OpenToRefuseFaults(s);
  for (bool more = s.hasRow; more; more = s.MoveNext()) {
    const long tripId = s.LongAt(0);
    if (tripId != id && !periods.empty()) applyTrip();
    id = tripId;
    periods.push_back({TextKeyAt(s, 1), DateOf(s.TrimmedAt(2)), DateOf(s.TrimmedAt(3)), s.IntAt(4) != 0});
    if (StoredValueRefused(
            s, [&s] { return StoredTripRow(s, 0); }, &PeriodLayout(), Undone::Files, refusal))
      return false;
  }
  if (!periods.empty()) applyTrip();
  return true;
}

std::string Dotted(std::string date) {
  const QDate d = DateOf(date);
  if (d.isValid()) return d.toString(QStringLiteral("dd.MM.yyyy")).toStdString();
  if (date.size() >= 6) date[2] = date[5] = '.';
  return date;
}

// The row of "verkehrm.asc": the mode's code twice and its name; any other code is a bus.
std::string ModeRow(const std::string& mode) {
  static const std::map<std::string, const char*> names = {
      {"METRO", "Metropolitana"}, {"TRENO_S", "Treno suburbano"},         {"TRENO_R", "Treno regionale"},
      {"TRAM", "Tram"},           {"TRENO", "Treno a lunga percorrenza"}, {"FERRY", "Traghetto / Ferry"}};
  const auto it = names.find(mode);
  if (it == names.end()) return JoinIvuFields({"BUS", "BUS", "Bus"});
  return JoinIvuFields({mode, mode, it->second});
}

}  // namespace

bool IvuVersionFits(const std::string& start, const std::string& end, std::string& message) {
  const QDate from = DateOf(start), to = DateOf(end);
  if (from.isValid() && to.isValid() && from <= to && from.daysTo(to) < kIvuDaySetDays) return true;
  message = "ATTENZIONE: il periodo della versione dal " + start + " al " + end +
            "\nnon è rappresentabile nel formato IVU-InfoPool,\n"
            "che ammette al più 384 giorni di servizio.";
  return false;
}

bool IvuLineCodesFit(const std::vector<std::string>& lines, std::string& message) {
  std::unordered_map<std::string, const std::string*> byUpper;
  for (const std::string& line : lines) {
    bool fits = !line.empty();
    for (const char c : line)
      if (static_cast<unsigned char>(c) < 0x20 || std::strchr("\\/:*?\"<>|", c)) fits = false;
    if (!fits) {
      message = "ATTENZIONE: il codice della linea \"" + line +
                "\" non può dare il nome dei suoi files\n"
                "(ld" +
                line + ".asc e fd" + line +
                ".asc): è vuoto o contiene caratteri non ammessi\n"
                "nei nomi dei files (\\ / : * ? \" < > |).\n\n"
                "Correggere il codice della linea e ripetere l'esportazione.";
      return false;
    }
    std::string upper = line;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const auto [it, added] = byUpper.try_emplace(upper, &line);
    if (!added) {
      message = "ATTENZIONE: le linee \"" + *it->second + "\" e \"" + line +
                "\" darebbero gli stessi files\n"
                "(ld" +
                upper + ".asc e fd" + upper +
                ".asc), i cui nomi non distinguono le maiuscole\n"
                "dalle minuscole.\n\n"
                "Correggere il codice di una delle due linee e ripetere l'esportazione.";
      return false;
    }
  }
  return true;
}

std::string IvuMasterRefusal(DbDatabase* db) {
  IvuExportData data;
  std::string refusal;
  LoadMaster(db, data, refusal);
  return refusal;
}

Outcome LoadIvuExport(DbDatabase* db, IvuExportData& data, WorkProgress* progress) {
  Outcome loaded;
  std::string message;
  // Every selection sees the database as it was at the first: the stops found are those the trips
  // name, and the day sets go to the trips folded.
  DbReadSnapshot snapshot(db);
  Begin(progress, "Generazione Dati Generali");
  if (!LoadMaster(db, data, message) || !IvuVersionFits(data.periodStart, data.periodEnd, message)) {
    if (progress) progress->End();
    loaded.Fail(message);
    return loaded;
  }
  Begin(progress, "Estrazione Fermate");
  std::unordered_map<std::string, long> stopIndex;
  bool whole = LoadStops(db, data, stopIndex, message);
  if (whole) {
    Begin(progress, "Estrazione Orari Corsa");
    whole = LoadTrips(db, data, stopIndex, message);
  }
  if (whole) {
    Begin(progress, "Estrazione Calendari di Servizio");
    whole = LoadDaySets(db, data, DateOf(data.periodStart), DateOf(data.periodEnd), message);
  }
  if (!whole) {
    if (progress) progress->End();
    loaded.Fail(message);
    return loaded;
  }
  Begin(progress, "Estrazione Corse");
  data.lines = data.standardTrips.Finish();
  if (progress) progress->End();
  if (IvuLineCodesFit(data.lines, message))
    loaded.Succeed();
  else
    loaded.Fail(message);
  return loaded;
}

std::vector<std::string> IvuExportFileNames(const IvuExportData& data) {
  std::vector<std::string> names = {"lieferan.asc", "zeichen.asc", "koordsys.asc", "betriebe.asc", "halteste.asc"};
  for (const std::string& line : data.lines) names.push_back("ld" + line + ".asc");
  for (const std::string& line : data.lines) names.push_back("fd" + line + ".asc");
  for (const char* name : {"bitfeld.asc", "verkehrm.asc", "versione.asc", "dateien.asc"}) names.emplace_back(name);
  return names;
}

void ProduceIvuExportFiles(const IvuExportData& data, const IvuExportOptions& o, const IvuFileSink& sink) {
  const std::vector<std::string> names = IvuExportFileNames(data);
  size_t next = 0;  // the file begun next, in the order of `names`
  const auto begin = [&] { return sink.begin(names[next++]); };
  const std::string company = std::to_string(data.company), division = std::to_string(data.company * 1000);
  const std::string version = std::to_string(o.version);
  if (!begin()) return;
  sink.row(JoinIvuFields({o.sigla, data.companyName}));
  if (!begin()) return;
  sink.row(JoinIvuFields({"ANSI", "2.0"}));
  if (!begin()) return;
  sink.row(JoinIvuFields({"", "Infopool-Koordinaten"}));
  if (!begin()) return;
  sink.row(JoinIvuFields({company, o.sigla, data.companyName, division, o.mode, o.mode, division, o.mode, o.sigla}));
  if (!begin()) return;
  for (const IvuExportStop& s : data.stops) {
    const bool placed = s.x != 0 && s.y != 0;
    sink.row(JoinIvuFields({std::to_string(s.id), o.sigla, "", "", "", "", placed ? FormatIvuCoordinate(s.x) : "",
                            placed ? FormatIvuCoordinate(s.y) : "", "", "", s.name, "", "", s.code + "-" + s.name,
                            s.location}));
  }
  // The standard trips come sorted by line: each line's "ld" file, then each line's "fd" file,
  // every file begun at the first standard trip of its line.
  const IvuStandardTrips& trips = data.standardTrips;
  const auto firstOfLine = [&trips](size_t k) { return k == 0 || trips.Line(k) != trips.Line(k - 1); };
  std::vector<IvuTripStop> stops;
  std::vector<StopMinutes> minutes;
  std::vector<IvuExportTrip> tripsOfOne;
  for (size_t k = 0; k < trips.size(); ++k) {
    if (firstOfLine(k) && !begin()) return;
    trips.StopsOf(k, stops);
    const std::string direction(1, trips.Direction(k)), variant = std::to_string(trips.Variant(k));
    const std::string count = std::to_string(stops.size()), ordinal = std::to_string(trips.Ordinal(k));
    sink.row(JoinIvuFields({trips.Line(k), version, "1", division, variant, direction, count, ordinal, o.mode, ""}));
    PassingMinutes(stops, minutes);
    for (size_t s = 0; s < stops.size(); ++s) {
      const IvuTripStop& stop = stops[s];
      const std::string position = std::to_string(s + 1), id = std::to_string(stop.stop);
      if (s + 1 == stops.size()) {
        sink.row(JoinIvuFields({position, "", id, "0", "0", position, "00:00", "00:00", "", "", ""}));
        continue;
      }
      const IvuTripStop& after = stops[s + 1];
      int run = minutes[s + 1].arrival - minutes[s].departure;
      if (run < 0) run += 1440;
      int dwell = s == 0 ? 0 : minutes[s].departure - minutes[s].arrival;
      if (dwell < 0) dwell += 1440;
      sink.row(JoinIvuFields({position, "", id, std::to_string(after.distance - stop.distance), "0", position,
                              FormatIvuDuration(run), FormatIvuDuration(dwell), "", "", ""}));
    }
  }
  for (size_t k = 0; k < trips.size(); ++k) {
    if (firstOfLine(k) && !begin()) return;
    trips.StopsOf(k, stops);
    const std::string direction(1, trips.Direction(k)), variant = std::to_string(trips.Variant(k));
    const std::string count = std::to_string(stops.size()), ordinal = std::to_string(trips.Ordinal(k));
    trips.TripsOf(k, tripsOfOne);
    sink.row(JoinIvuFields({trips.Line(k), version, division, direction, variant, std::to_string(tripsOfOne.size())}));
    const std::string first = std::to_string(stops.front().stop), last = std::to_string(stops.back().stop);
    for (const IvuExportTrip& trip : tripsOfOne)
      sink.row(
          JoinIvuFields({"1", first, FormatIvuTimeOfDay(trip.departure), count, last, FormatIvuTimeOfDay(trip.arrival),
                         o.mode, ordinal, trip.code, "1111111", "0", "0", std::to_string(trip.daySet), ""}));
  }
  if (!begin()) return;
  for (size_t k = 0; k < data.daySets.size(); ++k) sink.row(JoinIvuFields({std::to_string(k + 1), data.daySets[k]}));
  if (!begin()) return;
  sink.row(ModeRow(o.mode));
  if (!begin()) return;
  sink.row(JoinIvuFields({version, o.description, Dotted(data.periodStart), Dotted(data.periodEnd), ""}));
  if (!begin()) return;
  for (size_t k = 0; k + 1 < names.size(); ++k) sink.row(names[k]);
}

std::vector<IvuExportFile> IvuExportFiles(const IvuExportData& data, const IvuExportOptions& o) {
  std::vector<IvuExportFile> files;
  IvuFileSink sink;
  sink.begin = [&files](const std::string& name) {
    files.push_back({name, {}});
    return true;
  };
  sink.row = [&files](std::string_view row) { files.back().rows.emplace_back(row); };
  ProduceIvuExportFiles(data, o, sink);
  return files;
}

IvuExportWriting WriteIvuExport(const IvuExportData& data, const IvuExportOptions& options, const std::string& folder,
                                WorkProgress* progress, const FolderWatch& watch) {
  const std::vector<std::string> names = IvuExportFileNames(data);
  IvuExportWriting w;
  // An earlier export cut short in this folder is put in order first, and the user is told what
  // was done; a folder that cannot be put in order gets nothing new.
  const FolderRecovery recovery = RecoverExportFolder(folder, watch);
  w.Take(recovery);
  if (recovery.outcome == FolderRecovery::kFailed) {
    w.Fail(kIvuExportStopped);
    return w;
  }
  // A journal of ours obeyed leaves the folder whole: its note goes. Another program's journal,
  // removed unobeyed, says nothing of a set of ours there, whose note stays.
  const bool ours = recovery.outcome == FolderRecovery::kCompleted || recovery.outcome == FolderRecovery::kUndone;
  if (ours && watch) watch.note(folder, {});
  ExportFileSet set(folder, names);
  if (watch) set.SetFolderWatch(watch);
  // Each row goes to its file as it is made; a file is finished when the next one begins.
  bool ok = true, open = false;
  size_t k = 0;  // the file begun next
  IvuFileSink sink;
  sink.begin = [&](const std::string& name) {
    if (open) ok = set.Finish() && !set.Failed();
    open = false;
    if (!ok) return false;
    if (progress) {
      if (name == "halteste.asc") progress->Begin("Generazione Fermate");
      if (name.rfind("ld", 0) == 0 && k > 0 && names[k - 1].rfind("ld", 0) != 0)
        progress->Begin("Generazione Corse Standard");
      if (name.rfind("fd", 0) == 0 && k > 0 && names[k - 1].rfind("fd", 0) != 0) progress->Begin("Generazione Corse");
      if (name == "bitfeld.asc") progress->Begin("Generazione Calendari di Servizio");
      if (name == "verkehrm.asc") progress->Begin("Generazione Ausiliari");
      progress->Step(static_cast<long>(k), static_cast<long>(names.size()));
    }
    ++k;
    ok = open = set.Begin(name);
    return ok;
  };
  sink.row = [&set](std::string_view row) { set.WriteLine(row); };
  ProduceIvuExportFiles(data, options, sink);
  if (open) ok = set.Finish() && !set.Failed();
  ok = ok && k == names.size() && set.Commit();
  if (progress) progress->End();
  if (!ok) {
    w.Tell(set.FailureText(), NoticeIcon::Exclamation, "Esportazione dati orari");
    w.Fail(kIvuExportStopped, NoticeIcon::Stop, set.FailedPath());
    return w;
  }
  w.files = static_cast<long>(names.size());
  w.Succeed(kIvuExportDone);
  return w;
}

}  // namespace ivu
