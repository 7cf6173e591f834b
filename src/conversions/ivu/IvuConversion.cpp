#include "conversions/ivu/IvuConversion.h"

#include "common/Cp1252.h"
#include "common/ExportRecovery.h"
#include "common/Formatters.h"
#include "common/InputFile.h"
#include "common/WholeFile.h"
#include "conversions/ivu/IvuFields.h"
#include "conversions/ivu/IvuResolution.h"
#include "exchange/ExchangeText.h"
#include "exchange/ExportRecord.h"
#include "exchange/RecordLayouts.h"

#include <QDate>
#include <QFileInfo>
#include <algorithm>
#include <cctype>
#include <functional>
#include <map>

namespace ivu {

namespace {

constexpr long kMaxTrips = 999999;  // the trip ids of the region's files have six digits
constexpr long kStepLines = 4096;   // lines between two steps of the progress bar

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return out;
}

// ---- Reading ---------------------------------------------------------------------------------

class SetReader {
 public:
  SetReader(const std::string& folder, IvuReading& r, WorkProgress* progress)
      : files_(folder), r_(r), progress_(progress) {}

  // Reads the file `name` line by line into `read` (line, number); a refused line is a fault
  // "formato dati illegale" of `shortName`. False when the file cannot be opened or read; one
  // refused as held by no regular file is named (failedPath) even when it may be missing.
  bool File(const std::string& name, const std::string& shortName,
            const std::function<bool(std::string_view, long)>& read, bool quietIfMissing = false) {
    const std::string path = files_.Find(name);
    ExchangeReader reader;
    if (!reader.Open(path)) {
      if (!quietIfMissing || reader.NotARegularFile()) r_.failedPath = path;
      return false;
    }
    ExchangeReader::Line line;
    long number = 0;
    while (reader.Next(line)) {
      ++number;
      ++r_.lines;
      done_ += static_cast<long long>(line.length) + 2;
      // A line longer than any the files carry is kept only in part: it is refused whole.
      const bool whole = line.length == line.text.size();
      if (!whole || !read(line.text, number)) r_.errors.Add(shortName, number, "formato dati illegale");
      if (progress_ && r_.lines % kStepLines == 0) Step();
    }
    if (reader.Failed()) {
      r_.failedPath = path;
      return false;
    }
    return true;
  }

  // A file of blocks: a head line, then the body lines its count announces.
  bool Blocks(const std::string& name, const std::string& shortName,
              const std::function<bool(std::string_view, long&)>& head,
              const std::function<bool(std::string_view)>& body) {
    long expected = 0;
    return File(name, shortName, [&](std::string_view line, long) {
      if (expected == 0) return head(line, expected);
      --expected;
      return body(line);
    });
  }

  void AddSize(const std::string& name) {
    const QFileInfo info(cp1252::ToQString(files_.Find(name)));
    if (info.isFile()) total_ += info.size();
  }
  void Step() {
    if (progress_ && total_ > 0) progress_->Step(static_cast<long>(std::min(done_, total_) * 1000 / total_), 1000);
  }

 private:
  const FolderFiles files_;  // the folder listed once: a set may have thousands of files
  IvuReading& r_;
  WorkProgress* progress_;
  long long done_ = 0, total_ = 0;
};

// The line on which each key was first read.
template <class Key>
class FirstLines {
 public:
  // The line that gave `key` before (0 when none); the first line of a key is kept.
  long Seen(const Key& key, long line) {
    const auto [at, added] = lines_.emplace(key, line);
    return added ? 0 : at->second;
  }

 private:
  std::map<Key, long> lines_;
};

// The suffixes named by dateien.asc; false when it cannot be opened. A line that holds a control
// byte (a NUL of a UTF-16 file, binary junk) is no file name: it is refused, not skipped.
bool ReadFileList(SetReader& reader, IvuReading& r) {
  return reader.File("dateien.asc", "dateien", [&](std::string_view line, long) {
    for (const char c : line)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    AddDataFile(Upper(line), r.set.suffixes);
    return true;
  });
}

// ---- The version's dates ---------------------------------------------------------------------

struct Period {
  DateRecord from, to;
  bool valid = false;
};

bool DateOfText(const std::string& text, DateRecord& date) {
  int d = 0, m = 0, y = 0;
  SplitDateText(text, d, m, y);
  date = DateRecord{y, m, d};
  return text.size() == 10 && DateFits(y, m, d);
}

Period VersionPeriod(const IvuSet& set) {
  Period p;
  if (set.versions.empty()) return p;
  const IvuVersion& v = set.versions.front();
  // Both dates are read whatever the first gives.
  const bool from = DateOfText(v.from, p.from);
  const bool to = DateOfText(v.to, p.to);
  p.valid = from && to;
  return p;
}

QDate ToDate(const DateRecord& d) { return QDate(d.year, d.month, d.day); }

// ---- A trip's own stops ----------------------------------------------------------------------

// The length and time of a trip from its first stop to its last, which may be any two stops of its
// route: the distances and running times from each of its stops to the next, and the dwell times
// at the stops in between (not at the first, which it leaves at its own departure time).
struct TripSpan {
  long long length = 0, seconds = 0;
};

TripSpan SpanOf(const IvuTrip& t) {
  TripSpan span;
  const long m = t.model - 1;
  for (long pos = t.firstPosition; pos < t.lastPosition; ++pos) {
    const IvuRouteStop* s = t.route->GetStop(pos - 1);
    if (!s) break;
    span.length += s->distance;
    span.seconds += s->GetRunTime(m) + (pos > t.firstPosition ? DwellOrZero(s->GetDwellTime(m)) : 0);
  }
  return span;
}

// ---- The region's records --------------------------------------------------------------------

enum RtFile { kProto, kCaden, kCalen, kHdora, kDtora, kPeriod, kFileCount };

const RecordLayout& LayoutOf(int file) {
  switch (file) {
    case kProto: return ProtocolLayout();
    case kCaden: return CadenceLayout();
    case kCalen: return CalendarLayout();
    case kHdora: return TripHeadLayout();
    case kDtora: return TripDetailLayout();
    default: return PeriodLayout();
  }
}

// Makes the records of the six files, one file at a time, and hands each to a sink; the check
// before the dialogs runs the same walk as the writing, so that what is written is what was
// checked.
class RtRecords {
 public:
  using Sink = std::function<void(const ExportRecord&)>;

  RtRecords(const IvuReading& r, int company, const ClockTime& today, WorkProgress* progress)
      : r_(r), set_(r.set), company_(company), today_(today), period_(VersionPeriod(r.set)), progress_(progress) {}

  void Make(int file, const Sink& sink) {
    switch (file) {
      case kProto: Protocol(sink); break;
      case kCaden: DayTypes(sink); break;
      case kCalen: Calendar(sink); break;
      default: Trips(file, sink); break;
    }
  }

  long trip = 0;  // the output trip being made (its id)
  const IvuTrip* current = nullptr;

 private:
  const FieldDef& F(ExportRecord& rec, const char* name) { return rec.FieldOf(name); }

  void Protocol(const Sink& sink) {
    ExportRecord rec(ProtocolLayout());
    rec.Number(F(rec, "azienda"), company_);
    rec.Date(F(rec, "p_data"), today_.year, today_.month, today_.day);
    rec.Number(F(rec, "protoc"), set_.versions.front().number);
    rec.Date(F(rec, "datini"), period_.from.year, period_.from.month, period_.from.day);
    rec.Date(F(rec, "datfin"), period_.to.year, period_.to.month, period_.to.day);
    rec.Text(F(rec, "resple"), "Filtro Conversione IVU-Infopool");
    sink(rec);
  }

  void DayTypes(const Sink& sink) {
    ExportRecord rec(CadenceLayout());
    const auto line = [&](std::string_view code, std::string_view name) {
      rec.Reset();
      rec.Number(F(rec, "azienda"), company_);
      rec.Text(F(rec, "codice"), code);
      rec.Text(F(rec, "denom"), name);
      sink(rec);
    };
    if (set_.bitFieldMode) {
      line(kUnicaCode, "Cadenza Unificata per giorno di effettuazione");
      return;
    }
    for (const IvuDayType& t : set_.dayTypes) line(t.shortName, t.description);
  }

  void CalendarLine(ExportRecord& rec, const DateRecord& d, std::string_view code, const Sink& sink) {
    rec.Reset();
    rec.Number(F(rec, "azienda"), company_);
    rec.Date(F(rec, "data"), d.year, d.month, d.day);
    rec.Text(F(rec, "note"), " ");
    rec.Text(F(rec, "caden"), code);
    sink(rec);
  }

  void Calendar(const Sink& sink) {
    ExportRecord rec(CalendarLayout());
    if (set_.bitFieldMode) {
      if (!period_.valid) return;
      const QDate last = ToDate(period_.to);
      for (QDate d = ToDate(period_.from); d <= last; d = d.addDays(1))
        CalendarLine(rec, DateRecord{d.year(), d.month(), d.day()}, kUnicaCode, sink);
      return;
    }
    for (const IvuCalendarDay& day : set_.calendar)
      for (int k = 0; k <= 255; ++k)
        if (day.HasDayType(k))
          if (const std::string* code = set_.FindShortName(k))
            CalendarLine(rec, DateRecord{day.year, day.month, day.day}, *code, sink);
  }

  // Every output trip in order: the trip and its day-type code.
  void EachOutputTrip(const std::function<void(const IvuTrip&, std::string_view)>& f) {
    trip = 0;
    for (const IvuTripBlock& block : set_.blocks)
      for (const IvuTrip& t : block.trips) {
        if (!t.route) continue;
        current = &t;
        if (set_.bitFieldMode) {
          f(t, kUnicaCode);
          ++trip;
        } else {
          for (const std::string& code : t.dayCodes) {
            f(t, code);
            ++trip;
          }
        }
        if (progress_ && trip % 256 == 0) progress_->Step(trip, std::max(1L, r_.outputTrips));
      }
  }

  void Trips(int file, const Sink& sink) {
    ExportRecord rec(LayoutOf(file));
    EachOutputTrip([&](const IvuTrip& t, std::string_view code) {
      if (file == kHdora) Head(rec, t, sink);
      if (file == kDtora) Stops(rec, t, sink);
      if (file == kPeriod) Periods(rec, t, code, sink);
    });
  }

  void Head(ExportRecord& rec, const IvuTrip& t, const Sink& sink) {
    const IvuRoute& route = *t.route;
    const TripSpan span = SpanOf(t);
    const long long minutes = span.seconds / 60;
    rec.Reset();
    rec.Number(F(rec, "azienda"), company_);
    rec.Number(F(rec, "id"), trip);
    rec.Text(F(rec, "codcorsa"), t.code);
    rec.Number(F(rec, "ente"), 0);
    rec.Number(F(rec, "contratt"), 0);
    rec.Number(F(rec, "lung"), span.length);
    rec.Number(F(rec, "ct_lung"), span.length);
    rec.Number(F(rec, "tempo"), minutes);
    rec.Number(F(rec, "ct_tempo"), minutes);
    rec.Text(F(rec, "codlinea"), route.line);
    rec.Char(F(rec, "verso"), route.direction == "1" ? 'A' : route.direction == "2" ? 'R' : ' ');
    rec.Text(F(rec, "codperc"),
             Format("%s%ld%s%ld%s", route.line.c_str(), static_cast<long>(route.version), route.division.c_str(),
                    static_cast<long>(route.variant), route.direction.c_str()));
    rec.Text(F(rec, "denom"), "");
    sink(rec);
  }

  static long long Hhmm(long long seconds) {
    const long long x = seconds % 86400;
    return x / 3600 * 100 + x / 60 % 60;
  }

  void Stops(ExportRecord& rec, const IvuTrip& t, const Sink& sink) {
    const IvuRoute& route = *t.route;
    const long m = t.model - 1;
    long long time = t.departure, dist = 0;
    for (long pos = t.firstPosition; pos <= t.lastPosition; ++pos) {
      const IvuRouteStop* s = route.GetStop(pos - 1);
      if (!s || !s->stop) break;  // positions outside the route: refused by the check
      const bool first = pos == t.firstPosition, last = pos == t.lastPosition && !first;
      // The trip leaves its first stop at the time of its own line: a dwell there is that of the
      // trips that arrive from earlier stops of the route.
      const long long dwell = first ? 0 : DwellOrZero(s->GetDwellTime(m));
      rec.Reset();
      rec.Number(F(rec, "azienda"), company_);
      rec.Number(F(rec, "id"), trip);
      rec.Number(F(rec, "sub"), pos - 1);
      rec.Text(F(rec, "fermata"), s->stop->code);
      // The region's stop name has 40 characters.
      rec.Text(F(rec, "denom"), std::string_view(s->stop->name).substr(0, 40));
      rec.Text(F(rec, "ubicaz"), "");
      rec.Number(F(rec, "dist"), dist);
      rec.Time(F(rec, "arriva"), first ? 9999 : Hhmm(time));
      rec.Time(F(rec, "parte"), last ? 9999 : Hhmm(time + dwell));
      rec.Flag(F(rec, "primaria"), false);
      rec.Flag(F(rec, "facolt"), false);
      rec.Flag(F(rec, "nonferma"), false);
      sink(rec);
      dist += s->distance;
      time += dwell + s->GetRunTime(m);
    }
  }

  void Periods(ExportRecord& rec, const IvuTrip& t, std::string_view code, const Sink& sink) {
    const auto line = [&](const DateRecord& from, const DateRecord& to) {
      rec.Reset();
      rec.Number(F(rec, "azienda"), company_);
      rec.Number(F(rec, "id"), trip);
      rec.Text(F(rec, "caden"), code);
      rec.Date(F(rec, "inizio"), from.year, from.month, from.day);
      rec.Date(F(rec, "fine"), to.year, to.month, to.day);
      rec.Flag(F(rec, "escluso"), false);
      sink(rec);
    };
    if (!set_.bitFieldMode) {
      line(period_.from, period_.to);
      return;
    }
    const IvuServiceBits* bits = set_.FindServiceBits(t.bitFieldId);
    if (!bits || !period_.valid) return;
    const QDate first = ToDate(period_.from);
    const long days = static_cast<long>(first.daysTo(ToDate(period_.to))) + 1;
    // No day beyond the bits given can be set.
    const long span = std::min<long>(days, static_cast<long>(bits->days.size()) * 4);
    for (long k = 0; k < span; ++k) {
      if (!bits->IsDaySet(k)) continue;
      const QDate d = first.addDays(k);
      const DateRecord date{d.year(), d.month(), d.day()};
      line(date, date);
    }
  }

  const IvuReading& r_;
  const IvuSet& set_;
  int company_;
  ClockTime today_;
  Period period_;
  WorkProgress* progress_;
};

long CountOutputTrips(const IvuSet& set) {
  long n = 0;
  for (const IvuTripBlock& block : set.blocks)
    for (const IvuTrip& t : block.trips)
      if (t.route) n += set.bitFieldMode ? 1 : static_cast<long>(t.dayCodes.size());
  return n;
}

std::string MisfitName(const FieldDef& f) { return std::string(f.name) + " (" + f.label + ")"; }

// The faults of values the region's files could not carry, found by making every record once.
void CheckOutput(IvuReading& r) {
  IvuErrorList& errors = r.errors;
  const IvuSet& set = r.set;
  const IvuVersion& version = set.versions.front();
  const Period period = VersionPeriod(set);
  if (!period.valid)
    errors.Add("versione", 1, "Data di validità della versione non valida: dal " + version.from + " al " + version.to);
  else if (ToDate(period.from) > ToDate(period.to))
    errors.Add("versione", 1,
               "Periodo di validità della versione non valido: il primo giorno " + version.from +
                   " è successivo all'ultimo " + version.to);
  r.outputTrips = CountOutputTrips(set);
  if (r.outputTrips > kMaxTrips)
    errors.Add("", -1, Format("Le corse da generare sono %ld: il massimo è %ld", r.outputTrips, kMaxTrips));
  // Positions outside the route give no stop line to write.
  for (const IvuTripBlock& block : set.blocks)
    for (const IvuTrip& t : block.trips)
      if (t.route && (t.firstPosition < 1 || t.lastPosition > t.route->stopCount || t.firstPosition > t.lastPosition))
        errors.Add("", -1,
                   Format("Corsa %s Linea %s: posizioni %ld-%ld fuori dal percorso di %ld fermate", t.code.c_str(),
                          block.line.c_str(), static_cast<long>(t.firstPosition), static_cast<long>(t.lastPosition),
                          static_cast<long>(t.route->stopCount)));
  // The days of every trip: a trip without them would be written with none, or not at all.
  for (const IvuTripBlock& block : set.blocks)
    for (const IvuTrip& t : block.trips) {
      if (!t.route) continue;
      const std::string trip = "Corsa=" + t.code + " Linea " + block.line;
      if (set.bitFieldMode) {
        if (!set.FindServiceBits(t.bitFieldId))
          errors.Add("", -1, Format("Non trovo Bitfeld ID=%ld ", static_cast<long>(t.bitFieldId)) + trip);
        continue;
      }
      if (t.dayCodes.empty()) errors.Add("", -1, "Nessun tipo giorno per la " + trip);
      for (const std::string& code : t.dayCodes)
        if (std::none_of(set.dayTypes.begin(), set.dayTypes.end(),
                         [&](const IvuDayType& d) { return d.shortName == code; }))
          errors.Add("", -1, "Non trovo Tipo Giorno=" + code + " " + trip);
    }
  if (!errors.Empty()) return;
  ClockTime someDay;
  someDay.year = 2000, someDay.month = 1, someDay.day = 1;
  RtRecords records(r, 0, someDay, nullptr);
  for (int file = 0; file < kFileCount; ++file) {
    const std::string name = LayoutOf(file).defaultName;
    long line = 0;
    records.Make(file, [&](const ExportRecord& rec) {
      ++line;
      std::string what;
      if (rec.HasMisfit()) {
        const ExportRecord::Misfit& m = rec.GetMisfit();
        // Ids beyond the six digits are told once, above.
        if (r.outputTrips > kMaxTrips && std::string_view(m.field->name) == "id") return;
        what = "il valore " + m.value + " non entra nel campo " + MisfitName(*m.field);
      } else if (rec.TextCut() && file == kHdora) {
        what = "il codice percorso supera i 20 caratteri";
      } else if (rec.TextCut() && file != kDtora) {
        what = "un testo supera la larghezza del suo campo";
      }
      if (what.empty()) return;
      if (file >= kHdora && records.current)
        what += " (corsa " + records.current->code + " linea " + records.current->route->line + ")";
      errors.Add(name, line, what);
    });
  }
}

}  // namespace

IvuReading ReadIvuSet(const std::string& folder, WorkProgress* progress) {
  IvuReading r;
  IvuSet& set = r.set;
  SetReader reader(folder, r, progress);
  if (progress) progress->Begin(kIvuStatus);
  // The bar runs over the bytes of every file that will be read.
  {
    IvuReading list;
    SetReader lister(folder, list, nullptr);
    ReadFileList(lister, list);
    for (const char* name : {"lieferan.asc", "betriebe.asc", "verkehrm.asc", "versione.asc", "halteste.asc",
                             "bitfeld.asc", "betrtage.asc", "kalender.asc", "dateien.asc"})
      reader.AddSize(name);
    for (const std::string& s : list.set.suffixes) {
      reader.AddSize("LD" + s + ".asc");
      reader.AddSize("FD" + s + ".asc");
    }
  }
  const auto read = [&](const char* name, const char* shortName, bool (*reader1)(std::string_view, IvuSet&)) {
    return reader.File(name, shortName, [&](std::string_view line, long) { return reader1(line, set); });
  };
  bool ok = read("lieferan.asc", "lieferan", ReadIvuSupplier) && read("betriebe.asc", "betriebe", ReadIvuCompany) &&
            read("verkehrm.asc", "verkehrm", ReadIvuTransportMode) &&
            read("versione.asc", "versione", ReadIvuVersion) && read("halteste.asc", "halteste", ReadIvuStop);
  if (ok) {
    set.BuildStopIndex();
    // A key given twice: only the first line would count, and a day type twice would be written
    // twice to RT_CADEN, a date of a day type twice to RT_CALEN, whose import refuses the second.
    FirstLines<std::int32_t> bitIds, dayTypeNumbers;
    FirstLines<std::string> dayTypeNames;
    FirstLines<std::int64_t> datesOfDayTypes;  // yyyymmdd * 256 + the day type
    set.bitFieldMode = reader.File(
        "bitfeld.asc", "bitfeld",
        [&](std::string_view line, long number) {
          if (!ReadIvuServiceBits(line, set)) return false;
          const std::int32_t id = set.serviceBits.back().id;
          if (const long first = bitIds.Seen(id, number))
            r.errors.Add("bitfeld", number, Format("il Bitfeld ID=%ld è già definito alla riga %ld", long(id), first));
          return true;
        },
        true);
    if (!r.failedPath.empty()) {
      ok = false;  // there, but not read
    } else if (set.bitFieldMode) {
      set.BuildServiceBitsIndex();
    } else if ((ok = reader.File("betrtage.asc", "betrtage", [&](std::string_view line, long number) {
                 if (!ReadIvuDayType(line, set)) return false;
                 const IvuDayType& t = set.dayTypes.back();
                 if (const long first = dayTypeNumbers.Seen(t.number, number))
                   r.errors.Add("betrtage", number,
                                Format("il tipo giorno %ld è già definito alla riga %ld", long(t.number), first));
                 else if (const long firstName = dayTypeNames.Seen(t.shortName, number))
                   r.errors.Add("betrtage", number,
                                "il codice " + t.shortName + " è già definito alla riga " + std::to_string(firstName));
                 return true;
               }))) {
      set.BuildDayTypeIndex();
      // A date marked for a day type that betrtage does not define would lose that day.
      ok = reader.File("kalender.asc", "kalender", [&](std::string_view line, long number) {
        if (!ReadIvuCalendarDay(line, set)) return false;
        const IvuCalendarDay& day = set.calendar.back();
        const std::int64_t date = (day.year * 10000LL + day.month * 100 + day.day) * 256;
        for (int k = 0; k <= 255; ++k) {
          if (!day.HasDayType(k)) continue;
          if (!set.FindShortName(k))
            r.errors.Add("kalender", number, Format("il tipo giorno %d non è definito in betrtage", k));
          else if (const long first = datesOfDayTypes.Seen(date + k, number))
            r.errors.Add("kalender", number,
                         Format("la data %02d.%02d.%04d del tipo giorno %d è già definita alla riga %ld", day.day,
                                day.month, day.year, k, first));
        }
        return true;
      });
      // Without a single date RT_CALEN would be empty: no trip would run on any day.
      if (ok && set.calendar.empty()) r.errors.Add("kalender", 0, "nessuna data nel calendario");
    }
    set.BuildDayTypeIndex();
  }
  ok = ok && ReadFileList(reader, r);
  // Without a single pair of LD and FD files the region's files would hold no trip.
  if (ok && set.suffixes.empty()) r.errors.Add("dateien", 0, "nessun file di percorsi (LD) e corse (FD) elencato");
  for (size_t k = 0; ok && k < set.suffixes.size(); ++k) {
    const std::string& s = set.suffixes[k];
    ok = reader.Blocks(
        "LD" + s + ".asc", "LD" + s, [&](std::string_view line, long& n) { return ReadIvuRouteHead(line, set, n); },
        [&](std::string_view line) {
          return ReadIvuRouteStop(line, set.routes.empty() ? nullptr : &set.routes.back());
        });
  }
  if (ok) {
    ResolveIvuRoutes(set, r.errors);
    set.BuildRouteIndex();
  }
  for (size_t k = 0; ok && k < set.suffixes.size(); ++k) {
    const std::string& s = set.suffixes[k];
    const size_t blocksBefore = set.blocks.size();
    ok = reader.Blocks(
        "FD" + s + ".asc", "FD" + s, [&](std::string_view line, long& n) { return ReadIvuTripBlockHead(line, set, n); },
        [&](std::string_view line) { return ReadIvuTrip(line, set.blocks.empty() ? nullptr : &set.blocks.back()); });
    // A line named by dateien.asc runs trips: a file without any has lost them.
    const bool anyTrip = std::any_of(set.blocks.begin() + static_cast<long>(blocksBefore), set.blocks.end(),
                                     [](const IvuTripBlock& b) { return !b.trips.empty(); });
    if (ok && !anyTrip) r.errors.Add("FD" + s, 0, "nessuna corsa nel file");
  }
  if (progress) progress->End();
  if (!ok) {
    r.Tell(CannotOpenText(r.failedPath), NoticeIcon::Exclamation, kIvuOpenCaption);
    r.Tell(kIvuStopped, NoticeIcon::Stop);
    return r;
  }
  r.ok = true;
  ResolveIvuTrips(set, r.errors);
  if (set.versions.size() > 1) r.errors.Add("versione", 0, "Non è ammissibile definire due o più versioni");
  // The dialog and every date need the version.
  if (set.versions.empty()) r.errors.Add("versione", 0, "Non è definita alcuna versione");
  if (r.errors.Empty()) CheckOutput(r);
  return r;
}

std::string IvuCompanyText(const IvuSet& set) {
  std::string text;
  if (!set.versions.empty()) {
    const IvuVersion& v = set.versions.front();
    text = Format("Versione %ld dal %s al %s\n", static_cast<long>(v.number), v.from.c_str(), v.to.c_str());
  }
  for (const IvuCompany& c : set.companies) text += c.name + "\n";
  return text;
}

namespace {

// A file could not be created (or `text` says why else the set was not begun): the set is not
// written, and the conversion stops.
IvuWriting Stopped(IvuWriting& w, const std::string& path, const std::string& text = {}) {
  w.Tell(text.empty() ? CannotCreateText(path) : text, NoticeIcon::Exclamation, kIvuCreateCaption);
  w.Fail(kIvuStopped, NoticeIcon::Stop, path);
  return w;
}

}  // namespace

std::vector<std::string> IvuRtFileNames() {
  std::vector<std::string> names;
  for (int file = 0; file < kFileCount; ++file) names.emplace_back(LayoutOf(file).fileName);
  return names;
}

IvuWriting WriteIvuRtFiles(const IvuReading& reading, int company, const std::string& folder, const ClockTime& today,
                           WorkProgress* progress, const FolderWatch& watch) {
  IvuWriting w;
  const std::vector<std::string> names = IvuRtFileNames();
  // The company chosen goes into every record: a code the region's field cannot carry refuses the
  // set before the folder is touched, as the exports refuse it.
  ExportRecord protocol(ProtocolLayout());
  protocol.Number(protocol.FieldOf("azienda"), company);
  if (protocol.HasMisfit())
    return Stopped(w, folder + "/" + names.front(),
                   "ATTENZIONE: " + names.front() + ", riga 1 (azienda scelta):\n" +
                       ExportRecord::MisfitText(protocol.GetMisfit()) +
                       "\n\nNessun file è stato scritto: scegliere un'azienda il cui codice abbia al massimo 4 cifre.");
  // An earlier export cut short in this folder: the folder is put in order first.
  const FolderRecovery recovery = RecoverExportFolder(folder, watch, {}, names);
  if (!recovery.messages.empty()) w.Tell(recovery.Texts(), NoticeIcon::Exclamation, kIvuCreateCaption);
  if (recovery.outcome == FolderRecovery::kFailed) return Stopped(w, folder + "/" + names.front());
  // A journal of ours obeyed leaves the folder whole: its note goes. Another program's journal,
  // removed unobeyed, says nothing of a set of ours there, whose note stays.
  const bool ours = recovery.outcome == FolderRecovery::kCompleted || recovery.outcome == FolderRecovery::kUndone;
  if (ours && watch) watch.note(folder, {});
  ExportFileSet files(folder, names);
  if (watch) files.SetFolderWatch(watch);
  if (progress) progress->Begin("");
  RtRecords records(reading, company, today, progress);
  bool ok = true;
  for (int file = 0; file < kFileCount && ok; ++file) {
    ok = files.Begin(names[static_cast<size_t>(file)]);
    if (!ok) break;
    records.Make(file, [&](const ExportRecord& rec) {
      // Checked before: a record that does not fit here fails the set rather than be written.
      if (rec.HasMisfit()) files.Fail(names[static_cast<size_t>(file)]);
      files.WriteLine(rec.Text());
      ++w.lines;
    });
    ok = files.Finish() && !files.Failed();
  }
  ok = ok && files.Commit();
  if (progress) progress->End();
  if (!ok) {
    const std::string failed = files.FailedPath(), text = files.FailureText();
    files.Abort();
    w.lines = 0;
    return Stopped(w, failed, text);
  }
  w.ok = true;
  w.trips = records.trip;
  return w;
}

}  // namespace ivu
