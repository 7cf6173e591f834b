#include "exchange/OlviExport.h"

#include "common/Formatters.h"
#include "common/WholeFile.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/StoredValueRefusal.h"
#include "exchange/ExportRecord.h"
#include "exchange/ExportStops.h"
#include "exchange/OlviFiles.h"
#include "exchange/RecordLayouts.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <unordered_set>
#include <vector>

namespace {

constexpr const char* kCrLf = "\r\n";

// Done unless refused; a refusal is told, but for a failed read, which the database layer has told.
OlviExportText Settled(OlviFile file, OlviExportText out) {
  out.ok = out.refusal == OlviRefusal::None;
  if (out.refusal == OlviRefusal::LostText)
    out.Fail(out.textRefusal);
  else if (!out.ok && out.refusal != OlviRefusal::ReadFailed)
    out.Fail(OlviRefusalText(file, out.refusal));
  return out;
}

// False, with the refusal in `out`, when a value of the row read so far is one its column cannot
// hold as its kind (a text or a decimal number in a number column), its field named from `layout`.
// `row` names the trip (and the stop) by what can be read of it, made only for a refusal.
bool Readable(const DbSelect& s, const std::function<std::string()>& row, const RecordLayout& layout,
              OlviExportText& out) {
  if (!s.Faulted()) return true;
  out.textRefusal = RefuseFault(row(), s.Fault(), layout.Field(s.Fault().column));
  out.refusal = OlviRefusal::LostText;
  return false;
}

// The texts at `first` on of the row a walk stands on, each into its field of the trips' layout:
// false, with the refusal in `out`, when one lost a character that the file would show as '?', or
// holds a control byte (a TAB would split the line's fields); so is a value read before it that is
// not Readable.
bool Writable(DbSelect& s, int first, std::span<const FieldDef* const> fields, const std::function<std::string()>& row,
              const RecordLayout& layout, OlviExportText& out) {
  out.textRefusal = RefuseLostText(s, first, fields, row);
  if (out.textRefusal.empty()) return Readable(s, row, layout, out);
  out.refusal = OlviRefusal::LostText;
  return false;
}

const FieldDef* const kStopFields[3] = {TripDetailLayout().Field("fermata"), TripDetailLayout().Field("denom"),
                                        TripDetailLayout().Field("ubicaz")};
const FieldDef* const kRouteFields[2] = {TripHeadLayout().Field("codperc"), TripHeadLayout().Field("denom")};

// Texts compare as the database orders them: by their characters' code points.
bool TextBefore(std::string_view a, std::string_view b) { return NormalStopList::Before({a, false}, {b, false}); }

// The text of a column without its trailing blanks (an absent text is empty).
std::string_view TrimmedAt(DbSelect& s, int position, std::string& buffer) {
  s.GetFieldTextAt(position, buffer);
  return WithoutTrailingBlanks(buffer);
}

// The check of the codes over rows in code order: an empty code is missing, and a code met again
// right after itself stands for two different rows. The missing code is told first.
class CodeCheck {
 public:
  void Next(std::string_view code) {
    if (code.empty())
      missing_ = true;
    else if (seen_ && code == previous_)
      duplicate_ = true;
    previous_.assign(code);
    seen_ = true;
  }
  OlviRefusal Refusal() const {
    if (missing_) return OlviRefusal::MissingCode;
    if (duplicate_) return OlviRefusal::DuplicateCode;
    return OlviRefusal::None;
  }

 private:
  std::string previous_;
  bool seen_ = false, missing_ = false, duplicate_ = false;
};

void Pump(WorkProgress* progress, long done) {
  if (progress && (done & 0xFFF) == 0) progress->Step(done, done);
}

// ---- routes --------------------------------------------------------------------------------------

struct RouteStop {
  int sub = 0;
  long distance = 0;
  std::string code, name, place;
};

// Packed sequences looked up by their bytes, without a copy made for the lookup.
struct SequenceHash {
  using is_transparent = void;
  size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
using SequenceSet = std::unordered_set<std::string, SequenceHash, std::equal_to<>>;

// The trips of one route code, name and length, with the distinct stop rows of them all.
struct RouteGroup {
  std::string code, name;
  long length = 0;
  SequenceSet sequences;  // the stop sequences already taken, packed
  std::vector<RouteStop> stops;
};

// A trip's stop rows packed into one text: trips of one route mostly share their sequence, whose
// rows are then taken once.
void PackNumber(std::string& out, std::int64_t value) { out.append(reinterpret_cast<const char*>(&value), 8); }
void PackText(std::string& out, std::string_view text) {
  PackNumber(out, static_cast<std::int64_t>(text.size()));
  out.append(text);
}
std::int64_t UnpackNumber(std::string_view& in) {
  std::int64_t value;
  std::memcpy(&value, in.data(), 8);
  in.remove_prefix(8);
  return value;
}
std::string UnpackText(std::string_view& in) {
  const size_t size = static_cast<size_t>(UnpackNumber(in));
  std::string text(in.substr(0, size));
  in.remove_prefix(size);
  return text;
}

void TakeSequence(RouteGroup& group, const std::string& packed) {
  if (packed.empty() || group.sequences.find(std::string_view(packed)) != group.sequences.end()) return;
  group.sequences.insert(packed);
  std::string_view in = packed;
  while (!in.empty()) {
    RouteStop stop;
    stop.sub = static_cast<int>(UnpackNumber(in));
    stop.distance = static_cast<long>(UnpackNumber(in));
    stop.code = UnpackText(in);
    stop.name = UnpackText(in);
    stop.place = UnpackText(in);
    group.stops.push_back(std::move(stop));
  }
}

bool StopBefore(const RouteStop& a, const RouteStop& b) {
  if (a.sub != b.sub) return a.sub < b.sub;
  if (a.distance != b.distance) return a.distance < b.distance;
  for (const auto& [x, y] : {std::pair{&a.code, &b.code}, {&a.name, &b.name}, {&a.place, &b.place}})
    if (*x != *y) return TextBefore(*x, *y);
  return false;
}
bool SameStop(const RouteStop& a, const RouteStop& b) {
  return a.sub == b.sub && a.distance == b.distance && a.code == b.code && a.name == b.name && a.place == b.place;
}

}  // namespace

int OlviCompany(DbDatabase* db, int withoutMaster, std::string* refusal) {
  DbTable master(db, "master");
  master.SetFaultsToldByCaller(refusal != nullptr);
  std::string company;
  if (master.isOpen && master.SetIndex("codice") && master.SeekEqual({"0"}) && master.GetFieldText("azienda", company))
    return std::atoi(company.c_str());
  if (refusal && master.Faulted())
    *refusal = RefuseFault("dati generali", master.Fault(), ProtocolLayout().Field(master.Fault().column));
  return withoutMaster;
}

namespace {

OlviExportText StopsText(DbDatabase* db, int company, WorkProgress* progress) {
  OlviExportText out;
  DbReadSnapshot snapshot(db);
  // With the texts, one row that holds them (the first trip's): it names a text refused.
  DbSelect s(db, {.columns = "fermata, denom, ubicaz, min(id), sub",
                  .from = "detcor",
                  .groupBy = "fermata, denom, ubicaz",
                  .orderBy = "fermata, denom, ubicaz",
                  .streaming = true});
  s.SetFaultsToldByCaller(true);  // said by Writable, naming the row
  // The distinct stops as the file writes them, packed: code, name and location each ended by a tab.
  std::string stops;
  std::vector<size_t> starts;
  std::string code, name, place, previous;
  CodeCheck check;
  long done = 0;
  for (bool more = s.Open() != 0; more; more = s.MoveNext()) {
    Pump(progress, ++done);
    if (!Writable(
            s, 0, kStopFields, [&s] { return StoredTripRow(s, 3, 4); }, TripDetailLayout(), out))
      return out;
    std::string line;
    ((line += TrimmedAt(s, 0, code)) += '\t');
    ((line += TrimmedAt(s, 1, name)) += '\t');
    ((line += TrimmedAt(s, 2, place)) += '\t');
    if (!starts.empty() && line == previous) continue;  // the same stop once more (blanks, an absent text)
    check.Next(WithoutTrailingBlanks(code));
    starts.push_back(stops.size());
    stops += line;
    previous = std::move(line);
  }
  if (s.WalkFailed()) {
    out.refusal = OlviRefusal::ReadFailed;
    return out;
  }
  if (starts.empty())
    out.refusal = OlviRefusal::NoRows;
  else
    out.refusal = check.Refusal();
  if (out.refusal != OlviRefusal::None) return out;
  out.bytes.reserve(stops.size() + starts.size() * 8 + 64);
  (out.bytes += kOlviStopsHeading) += kCrLf;
  std::string_view rest = stops;
  for (size_t k = 0; k < starts.size(); ++k) {
    std::string_view fields[3];
    for (std::string_view& f : fields) {
      const size_t tab = rest.find('\t');
      f = rest.substr(0, tab);
      rest.remove_prefix(tab + 1);
    }
    AppendOlviStopLine(out.bytes, company, fields[0], fields[1], fields[2]);
    out.bytes += kCrLf;
  }
  out.lines = static_cast<int>(starts.size());
  return out;
}

OlviExportText RoutesText(DbDatabase* db, int company, WorkProgress* progress) {
  OlviExportText out;
  DbReadSnapshot snapshot(db);
  // The trips in id order, each with its group (route code, name, length).
  std::vector<RouteGroup> groups;
  std::vector<std::pair<long, size_t>> trips;  // id, group
  {
    DbSelect s(db, {.columns = "id, codperc, denom, lung", .from = "tescor", .orderBy = "id", .streaming = true});
    s.SetFaultsToldByCaller(true);
    std::string code, name;
    struct Key {
      std::string code, name;
      long length;
    };
    std::vector<Key> keys;
    std::vector<std::pair<long, size_t>> tripKeys;
    long done = 0;
    for (bool more = s.Open() != 0; more; more = s.MoveNext()) {
      Pump(progress, ++done);
      long id = 0, length = 0;
      s.GetFieldLongAt(0, &id);
      s.GetFieldLongAt(3, &length);
      if (!Writable(
              s, 1, kRouteFields, [&s] { return StoredTripRow(s, 0); }, TripHeadLayout(), out))
        return out;
      const std::string_view c = TrimmedAt(s, 1, code), n = TrimmedAt(s, 2, name);
      // Consecutive trips mostly share their route.
      if (keys.empty() || keys.back().code != c || keys.back().name != n || keys.back().length != length)
        keys.push_back({std::string(c), std::string(n), length});
      tripKeys.emplace_back(id, keys.size() - 1);
    }
    if (s.WalkFailed() || keys.empty()) {
      out.refusal = s.WalkFailed() ? OlviRefusal::ReadFailed : OlviRefusal::NoRows;
      return out;
    }
    // The distinct groups in the file's order: code, name, length.
    std::vector<size_t> order(keys.size());
    for (size_t k = 0; k < order.size(); ++k) order[k] = k;
    const auto before = [&](size_t a, size_t b) {
      const Key &x = keys[a], &y = keys[b];
      if (x.code != y.code) return TextBefore(x.code, y.code);
      if (x.name != y.name) return TextBefore(x.name, y.name);
      return x.length < y.length;
    };
    std::sort(order.begin(), order.end(), before);
    std::vector<size_t> groupOf(keys.size());
    CodeCheck check;
    for (size_t k = 0; k < order.size(); ++k) {
      const Key& key = keys[order[k]];
      if (groups.empty() || groups.back().code != key.code || groups.back().name != key.name ||
          groups.back().length != key.length) {
        // One line of the check for each code and name; lengths apart are no second route.
        if (groups.empty() || groups.back().code != key.code || groups.back().name != key.name) check.Next(key.code);
        groups.push_back(RouteGroup{key.code, key.name, key.length, {}, {}});
      }
      groupOf[order[k]] = groups.size() - 1;
    }
    out.refusal = check.Refusal();
    if (out.refusal != OlviRefusal::None) return out;
    trips.reserve(tripKeys.size());
    for (const auto& [id, key] : tripKeys) trips.emplace_back(id, groupOf[key]);
  }
  // The stop rows, trip by trip in id order: each trip's sequence taken once for its group.
  {
    DbSelect s(db, {.columns = "id, sub, dist, fermata, denom, ubicaz",
                    .from = "detcor",
                    .orderBy = "id, sub",
                    .streaming = true});
    s.SetFaultsToldByCaller(true);
    std::string code, name, place, packed;
    size_t trip = 0;     // the trip of the current row in `trips`
    long current = -1;   // the trip whose rows `packed` holds
    bool known = false;  // that trip is one of `trips`
    long done = 0;
    const auto flush = [&] {
      if (known) TakeSequence(groups[trips[trip].second], packed);
      packed.clear();
    };
    for (bool more = s.Open() != 0; more; more = s.MoveNext()) {
      Pump(progress, ++done);
      long id = 0, distance = 0;
      int sub = 0;
      s.GetFieldLongAt(0, &id);
      // A trip id read as what its column cannot hold is refused here, naming its own row: left out
      // as a row of no trip, it would go untold, or be told at the next trip's first stop.
      if (!Readable(
              s, [&s] { return StoredTripRow(s, 0, 1); }, TripDetailLayout(), out))
        return out;
      if (id != current) {
        flush();
        current = id;
        while (trip < trips.size() && trips[trip].first < id) ++trip;
        known = trip < trips.size() && trips[trip].first == id;
      }
      if (!known) continue;  // a stop row of no trip
      s.GetFieldIntAt(1, &sub);
      s.GetFieldLongAt(2, &distance);
      if (!Writable(
              s, 3, kStopFields, [&s] { return StoredTripRow(s, 0, 1); }, TripDetailLayout(), out))
        return out;
      PackNumber(packed, sub);
      PackNumber(packed, distance);
      PackText(packed, TrimmedAt(s, 3, code));
      PackText(packed, TrimmedAt(s, 4, name));
      PackText(packed, TrimmedAt(s, 5, place));
    }
    flush();
    if (s.WalkFailed()) {
      out.refusal = OlviRefusal::ReadFailed;
      return out;
    }
  }
  (out.bytes += kOlviRoutesOpening) += kCrLf;
  const std::string* previous = nullptr;
  for (RouteGroup& g : groups) {
    if (g.stops.empty()) continue;  // a route without stop rows is not written
    std::sort(g.stops.begin(), g.stops.end(), StopBefore);
    g.stops.erase(std::unique(g.stops.begin(), g.stops.end(), SameStop), g.stops.end());
    if (!previous || *previous != g.code) {
      AppendOlviRouteHeadLine(out.bytes, company, g.code, g.name, g.length);
      out.bytes += kCrLf;
      ++out.lines;
      previous = &g.code;
    }
    for (const RouteStop& stop : g.stops) {
      AppendOlviRouteStopLine(out.bytes, stop.sub, stop.distance, stop.code, stop.name, stop.place);
      out.bytes += kCrLf;
      ++out.lines;
    }
  }
  (out.bytes += kOlviRoutesClosing) += kCrLf;
  return out;
}

}  // namespace

OlviExportText MakeOlviStops(DbDatabase* db, int company, WorkProgress* progress) {
  return Settled(OlviFile::Stops, StopsText(db, company, progress));
}

OlviExportText MakeOlviRoutes(DbDatabase* db, int company, WorkProgress* progress) {
  return Settled(OlviFile::Routes, RoutesText(db, company, progress));
}

OlviExportText ExportOlviFile(DbDatabase* db, OlviFile file, int company, const std::string& path,
                              WorkProgress* progress) {
  OlviExportText out =
      file == OlviFile::Stops ? MakeOlviStops(db, company, progress) : MakeOlviRoutes(db, company, progress);
  if (out.ok && !WriteWholeFile(path, out.bytes)) {
    out.Fail(CannotCreateText(path), NoticeIcon::Exclamation, path);
    return out;
  }
  // A stored value the file cannot carry is refused naming its row, with nothing after it; the other
  // refusals are followed by the count of no line.
  if (out.refusal != OlviRefusal::LostText) out.Inform(OlviExportDoneText(file, out.ok ? out.lines : 0));
  return out;
}

const char* OlviFileName(OlviFile file) { return file == OlviFile::Stops ? "FERMATE_OLVI" : "PERCORSI_OLVI"; }

std::string OlviExportTitle(OlviFile file) { return std::string("Esportazione ") + OlviFileName(file); }

std::string OlviRefusalText(OlviFile file, OlviRefusal refusal) {
  const bool stops = file == OlviFile::Stops;
  switch (refusal) {
    case OlviRefusal::None:
    case OlviRefusal::ReadFailed:
    case OlviRefusal::LostText: return {};  // the refusal names its text

    case OlviRefusal::NoRows:
      return stops ? "ATTENZIONE: non esistono fermate registrate !!!\n\n"
                     "Non è possibile esportare le fermate per VurOlvi"
                   : "ATTENZIONE: non esistono percorsi registrati !!!\n\n"
                     "Non è possibile esportare i percorsi per VurOlvi";
    case OlviRefusal::MissingCode:
    case OlviRefusal::DuplicateCode: break;
  }
  const bool missing = refusal == OlviRefusal::MissingCode;
  std::string text = stops
                         ? (missing ? "ATTENZIONE: alcune fermate sono prive del Codice Aziendale !!!\n\n"
                                    : "ATTENZIONE: alcune fermate presentano un Codice Aziendale duplicato  !!!\n\n")
                         : (missing ? "ATTENZIONE: alcuni percorsi sono privi del Codice Aziendale !!!\n\n"
                                    : "ATTENZIONE: alcuni percorsi presentano un Codice Aziendale duplicato  !!!\n\n");
  text += stops ? "Per potere procedere all'esportazione delle fermate per VurOlvi\n"
                  "è assolutamente necessario che tutte le fermate siano identificate\n"
                : "Per potere procedere all'esportazione dei percorsi per VurOlvi\n"
                  "è assolutamente necessario che tutti i percorsi siano identificati\n";
  text +=
      "da un Codice Aziendale univoco.\n\n"
      "Per verificare la situazione si suggerisce di utilizzare la funzione\n";
  text += stops ? "Rubrica Fermate Normalizzate che si trova nel menu Rubriche."
                : "Rubrica Percorsi Normalizzati che si trova nel menu Rubriche.";
  return text;
}

std::string OlviExportDoneText(OlviFile file, int lines) {
  return Format("Inserite %d righe in %s", lines, OlviFileName(file));
}
