#include "exchange/communication/CommunicationWriter.h"

#include "common/Cp1252.h"
#include "common/ExportFiles.h"
#include "common/ExportRecovery.h"
#include "common/Formatters.h"
#include "common/NewFile.h"
#include "common/WholeFile.h"
#include "common/WorkProgress.h"
#include "db/DbSelect.h"
#include "exchange/ExportEngine.h"
#include "exchange/ExportRecord.h"
#include "exchange/GeoStops.h"
#include "exchange/RecordLayouts.h"
#include "exchange/communication/BaseReader.h"
#include "exchange/communication/CommunicationPasses.h"
#include "exchange/communication/VurTxtLayout.h"

#include <QDir>
#include <QStorageInfo>
#include <QTemporaryFile>
#include <array>
#include <memory>

using namespace vurtxt;

namespace {

// The rows of each section that the file holds.
using Counts = std::array<long, kSectionCount>;

bool Sent(bool fromBase, CommunicationFile kind) { return kind != CommunicationFile::Incremental || !fromBase; }

bool HasDays(const RunMonthDays& m) { return m.mask != 0; }

Counts CountRows(const CommunicationModel& model, CommunicationFile kind) {
  Counts n{};
  for (const CommStop& s : model.Stops()) n[kStops] += Sent(s.fromBase, kind);
  for (const CommArc& a : model.Arcs()) n[kArcs] += Sent(a.fromBase, kind);
  if (Sent(true, kind))
    for (int s : {kItineraryHeads, kItineraryRows, kRuns, kStopTimes}) n[s] = model.BaseRows(s);
  n[kItineraryHeads] += static_cast<long>(model.ItineraryCount() - model.BaseItineraries());
  n[kItineraryRows] += model.NewItineraryRows();
  n[kRuns] += static_cast<long>(model.RunCount() - model.BaseRuns());
  n[kStopTimes] += model.NewStopTimes();
  if (kind != CommunicationFile::Base)
    for (size_t r = 0; r < model.RunCount(); ++r)
      for (const RunMonthDays& m : model.MonthsOf(r)) n[kDays] += HasDays(m);
  return n;
}

// One section or block: each line's sum goes into the running check value.
class Block {
 public:
  Block(const LineSink& sink, WorkProgress* progress, long total) : sink_(sink), progress_(progress), total_(total) {}
  std::string line;  // the row being formatted
  void Put() {
    check_ = AddLine(check_, line);
    sink_(line);
    line.clear();
    if (progress_ && ((++done_ & 0x3FF) == 0 || done_ == total_)) progress_->Step(done_, total_);
  }
  // A line outside the covered rows (tags).
  void Plain(std::string_view text) { sink_(text); }
  void Open(const char* tag, long count) {
    std::string t = "<";
    t.append(tag).push_back('>');
    AppendNumber(t, count);
    sink_(t);
    check_ = 0;
  }
  void Close(const char* tag) {
    std::string t = "</";
    t.append(tag).push_back('>');
    AppendNumber(t, check_);
    sink_(t);
  }
  void Tab() { line.push_back('\t'); }
  void Number(long v) {
    line.push_back('\t');
    AppendNumber(line, v);
  }
  void Text(const std::string& v) { line.append(1, '\t').append(v); }
  void Time(int hhmm) {
    line.push_back('\t');
    AppendTime(line, TimeOrNone(hhmm));
  }
  long Check() const { return check_; }
  void ResetCheck() { check_ = 0; }
  void Covered(std::string_view text) {  // a covered line that does not count as a row
    check_ = AddLine(check_, text);
    sink_(text);
  }

 private:
  const LineSink& sink_;
  WorkProgress* progress_;
  long total_;
  long done_ = 0;
  long check_ = 0;
};

void ProtocolBlock(Block& b, const CommunicationHeader& h, CommunicationFile kind, const Counts& n) {
  b.Plain(std::string(kProtocolOpen) + std::to_string(kFormatVersion));
  std::string p;
  p.push_back(kind == CommunicationFile::Base    ? kBaseLetter
              : kind == CommunicationFile::First ? kFirstLetter
                                                 : kIncrementalLetter);
  p.append(1, '\t').push_back(h.nature);
  p.append(1, '\t').push_back(h.replaces ? 'S' : 'N');
  p.push_back('\t');
  AppendNumber(p, h.company);
  p.push_back('\t');
  AppendNumber(p, h.number);
  p.append(1, '\t').append(h.sendDate).append(1, '\t').append(h.periodStart).append(1, '\t').append(h.periodEnd);
  p.append(1, '\t').append(h.person);
  b.ResetCheck();
  b.Covered(p);
  const int sections = kind == CommunicationFile::Base ? kBaseSectionCount : kSectionCount;
  for (int s = 0; s < sections; ++s) {
    std::string c = SectionOf(s).counter;
    c.push_back('\t');
    AppendNumber(c, n[s]);
    b.Covered(c);
  }
  std::string close = kProtocolClose;
  AppendNumber(close, b.Check());
  b.Plain(close);
}

}  // namespace

namespace {

void HeadLine(Block& b, long number, const std::string& code, const std::string& name) {
  AppendNumber(b.line, number);
  b.Text(code);
  b.Text(name);
  b.Put();
}

void RowLine(Block& b, long number, size_t k, const ItineraryRow& r) {
  AppendNumber(b.line, number);
  b.Number(static_cast<long>(k));
  b.Number(r.arc);
  b.Number(r.distance);
  b.Number(r.from);
  b.Number(r.to);
  b.Put();
}

void RunLine(Block& b, const ServiceRun& r) {
  AppendNumber(b.line, r.number);
  b.Text(r.tripCode);
  b.Text(r.lineCode);
  b.Tab();
  if (r.direction) b.line.push_back(r.direction);
  b.Number(r.authority);
  b.Text(r.routeCode);
  b.Number(r.itinerary);
  b.Number(r.firstStop);
  b.Time(r.departure);
  b.Number(r.lastStop);
  b.Time(r.arrival);
  b.Number(r.length);
  b.Number(r.time);
  b.Number(r.ctLength);
  b.Number(r.ctTime);
  b.Tab();
  if (r.previous > 0) AppendNumber(b.line, r.previous);
  b.Tab();
  if (r.next > 0) AppendNumber(b.line, r.next);
  b.Tab();
  if (r.mode) b.line.push_back(r.mode);
  b.Put();
}

void StopTimeLines(Block& b, const ServiceRun& r) {
  for (size_t k = 0; k < r.stops.size(); ++k) {
    const RunStopTime& t = r.stops[k];
    AppendNumber(b.line, r.number);
    b.Number(static_cast<long>(k));
    b.Number(t.stop);
    b.Time(t.time);
    b.Number(t.dwell);
    b.Number(t.main);
    b.Number(t.request);
    b.Number(t.passing);
    b.Put();
  }
}

}  // namespace

// One section's lines in a file of the system's temporary folder, removed with it.
struct TripSections::Scratch {
  QTemporaryFile file;
  std::string buffer;  // lines not yet written
  bool failed = false;
  bool full = false;  // failed for want of room in the folder
  bool Open() {
    buffer.reserve(kFlushAt);
    if (!file.open()) Fail();
    return !failed;
  }
  void Put(std::string_view line) {
    if (buffer.size() + line.size() + 1 > kFlushAt) Flush();
    buffer.append(line).push_back('\n');
  }
  void Flush() {
    if (!failed && file.write(buffer.data(), static_cast<qint64>(buffer.size())) != static_cast<qint64>(buffer.size()))
      Fail();
    buffer.clear();
  }
  bool Finish() {
    Flush();
    if (!failed && !file.flush()) Fail();
    return !failed;
  }
  // Judged when the write fails, while the files written so far still take their room: a write
  // cut short leaves no error of its own to tell why.
  void Fail() {
    failed = true;
    const QStorageInfo disk(QDir::tempPath());
    full = disk.isValid() && disk.bytesAvailable() < static_cast<qint64>(kFlushAt);
  }
  static constexpr size_t kFlushAt = 1 << 18;  // written a quarter of a megabyte at a time
};

TripSections::TripSections() = default;
TripSections::~TripSections() = default;

TripSections::State TripSections::StateOf(DbDatabase* db) {
  DbSelect s(db, {.columns = "data_version, total_changes()", .from = "pragma_data_version"});
  State state;
  if (s.Open() && s.hasRow) state = {s.LongAt(0), s.LongAt(1)};
  return state;
}

bool TripSections::ReadFrom(DbDatabase* db) const { return state_.version >= 0 && StateOf(db) == state_; }

bool TripSections::Begin(DbDatabase* db) {
  state_ = db ? StateOf(db) : State{};
  bool opened = true;
  for (auto& scratch : scratch_) {
    scratch = std::make_unique<Scratch>();
    opened = scratch->Open() && opened;
  }
  return opened;
}

void TripSections::Add(const CommunicationModel& model, const TripInput& trip, size_t run, bool newItinerary) {
  const long itineraryNumber = model.ItineraryNumber(model.ItineraryOfRun(run));
  const auto to = [this](int section) {
    return LineSink(
        [scratch = scratch_[section - kItineraryHeads].get()](std::string_view line) { scratch->Put(line); });
  };
  if (newItinerary) {
    const LineSink toHeads = to(kItineraryHeads), toRows = to(kItineraryRows);
    Block heads(toHeads, nullptr, 0), rows(toRows, nullptr, 0);
    HeadLine(heads, itineraryNumber, trip.routeCode, trip.routeName);
    std::vector<ItineraryRow> r = CommunicationModel::RowsOf(trip);
    for (size_t k = 0; k < r.size(); ++k) {
      r[k].arc = model.ArcNumber(r[k].from, r[k].to, trip.stops[k + 1].distance - trip.stops[k].distance);
      RowLine(rows, itineraryNumber, k, r[k]);
    }
  }
  const LineSink toRuns = to(kRuns), toTimes = to(kStopTimes);
  Block runs(toRuns, nullptr, 0), times(toTimes, nullptr, 0);
  RunLine(runs, model.RunLineOf(trip, run));
  ServiceRun r = CommunicationModel::RunOf(trip, itineraryNumber);
  r.number = model.RunNumber(run);
  StopTimeLines(times, r);
}

bool TripSections::End() {
  bool whole = true;
  for (auto& scratch : scratch_) whole = scratch->Finish() && whole;
  return whole;
}

std::string TripSections::Fault() const {
  for (const auto& scratch : scratch_) {
    if (!scratch || !scratch->failed) continue;
    const std::string folder = cp1252::FromQStringLossy(QDir::toNativeSeparators(QDir::tempPath()));
    return scratch->full ? "La cartella dei file temporanei del sistema\n\n" + folder +
                               "\n\nè piena: non c'è spazio per i file di lavoro della comunicazione.\n\n"
                               "Questa operazione verrà terminata."
                         : "Impossibile scrivere i file di lavoro della comunicazione nella cartella dei file "
                           "temporanei del sistema\n\n" +
                               folder + "\n\nQuesta operazione verrà terminata.";
  }
  return {};
}

bool TripSections::Make(DbDatabase* db, const CommunicationModel& model) {
  if (!Begin(nullptr)) return false;
  // Each itinerary (and run) not from the base with the first trip that gives it: the trips in the
  // order of their ids, the objects in list order.
  size_t itinerary = model.BaseItineraries(), run = model.BaseRuns();
  const size_t itineraries = model.ItineraryCount(), runs = model.RunCount();
  const auto done = [&] { return itinerary == itineraries && run == runs; };
  bool same = true;
  const bool walked = done() || WalkTrips(
                                    db, model,
                                    [&](const TripInput& trip) {
                                      CommunicationModel::Placement at;
                                      if (!same || done()) return;
                                      if (!model.PlaceAgain(trip, at)) {
                                        same = false;
                                        return;
                                      }
                                      if (at.run != run) return;
                                      // A new itinerary comes with a new run: its number is in the run's key.
                                      Add(model, trip, at.run, at.itinerary == itinerary);
                                      itinerary += at.itinerary == itinerary;
                                      ++run;
                                    },
                                    nullptr, nullptr);
  return End() && walked && same && done();
}

bool TripSections::Read(int section, const std::function<void(std::string_view)>& line) const {
  if (section < kItineraryHeads || section > kStopTimes) return false;
  Scratch* scratch = scratch_[section - kItineraryHeads].get();
  if (!scratch || !scratch->file.seek(0)) return false;
  ChunkedLines lines(scratch->file);
  std::string_view l;
  while (lines.Next(l)) line(l);
  return scratch->file.error() == QFileDevice::NoError;
}

namespace {

// The rows the trip pass made, when the database is still as it read it.
const TripSections* FreshRows(DbDatabase* db, const CommunicationModel& model) {
  const TripSections* rows = model.NewRows();
  return rows && rows->ReadFrom(db) ? rows : nullptr;
}

// Done or not, with nothing to say.
Outcome Made(bool done) {
  Outcome made;
  made.ok = done;
  return made;
}

// Not made: why, when the scratch files could not be written; said by the caller otherwise.
Outcome RowsNotMade(const TripSections& rows) {
  Outcome why;
  const std::string fault = rows.Fault();
  if (!fault.empty()) why.Fail(fault);
  return why;
}

}  // namespace

Outcome WriteCommunication(DbDatabase* db, const CommunicationModel& model, const CommunicationHeader& header,
                           CommunicationFile kind, const LineSink& sink, WorkProgress* progress,
                           const TripSections* sections) {
  TripSections own;
  if (!sections) sections = FreshRows(db, model);
  if (!sections) {
    if (!own.Make(db, model)) return RowsNotMade(own);
    sections = &own;
  }

  const Counts n = CountRows(model, kind);
  long total = 0;
  for (long c : n) total += c;
  if (progress) progress->Begin({});
  Block b(sink, progress, total);
  ProtocolBlock(b, header, kind, n);
  // The objects of the base as the base file has them.
  const auto copyBase = [&](int section) {
    return !Sent(true, kind) || model.BaseRows(section) == 0 ||
           ReadBaseRows(model.BasePath(), section, model.BaseRows(section), model.BaseCheck(section),
                        [&b](std::string_view row) {
                          b.line.assign(row);
                          b.Put();
                        });
  };
  // The objects made from the trips, as the walk wrote them.
  const auto copyNew = [&](int section) {
    return sections->Read(section, [&b](std::string_view row) {
      b.line.assign(row);
      b.Put();
    });
  };

  b.Open(SectionOf(kStops).tag, n[kStops]);
  for (const CommStop& s : model.Stops()) {
    if (!Sent(s.fromBase, kind)) continue;
    AppendNumber(b.line, s.number);
    b.Text(s.code);
    b.Text(s.name);
    b.Text(s.place);
    b.Number(s.locality);
    b.Tab();
    AppendCoordinate(b.line, s.x);
    b.Tab();
    AppendCoordinate(b.line, s.y);
    b.Put();
  }
  b.Close(SectionOf(kStops).tag);

  b.Open(SectionOf(kArcs).tag, n[kArcs]);
  for (const CommArc& a : model.Arcs()) {
    if (!Sent(a.fromBase, kind)) continue;
    AppendNumber(b.line, a.number);
    b.Number(a.from);
    b.Number(a.to);
    b.Number(a.length);
    b.Put();
  }
  b.Close(SectionOf(kArcs).tag);

  Outcome made;
  for (int s : {kItineraryHeads, kItineraryRows, kRuns, kStopTimes}) {
    b.Open(SectionOf(s).tag, n[s]);
    if (!copyBase(s)) {
      made.Fail("La Banca Dati Orari di riferimento\n\n" + model.BasePath() +
                    "\n\nè stata modificata dopo essere stata letta.\n\nQuesta operazione verrà terminata.",
                NoticeIcon::Stop, model.BasePath());
      return made;
    }
    if (!copyNew(s)) return made;
    b.Close(SectionOf(s).tag);
  }
  made.ok = true;
  if (kind == CommunicationFile::Base) return made;
  b.Open(SectionOf(kDays).tag, n[kDays]);
  for (size_t r = 0; r < model.RunCount(); ++r)
    for (const RunMonthDays& m : model.MonthsOf(r)) {
      if (!HasDays(m)) continue;
      AppendNumber(b.line, model.RunNumber(r));
      b.Number(m.year);
      b.Number(m.month);
      for (int d = 1; d <= 31; ++d)
        if (m.IsDaySet(d)) b.Number(d);
      b.Put();
    }
  b.Close(SectionOf(kDays).tag);
  return made;
}

bool WriteIdRegLines(DbDatabase* db, const CommunicationModel& model, int company, const LineSink& sink) {
  return WalkTripHeads(db, [&](const TripInput& head) {
    const long run = model.RunOfTrip(head.id);
    if (run < 0) return;  // no stops: in no run
    // Every value of the line is one of the run's key: the trip's are its run's.
    const ServiceRun r = model.RunLineOf(head, static_cast<size_t>(run));
    IdRegLine l;
    l.company = company;
    l.tripId = head.id;
    l.runNumber = r.number;
    l.lineCode = r.lineCode;
    l.direction = r.direction;
    l.routeCode = r.routeCode;
    l.length = r.length;
    l.departure = r.departure;
    l.arrival = r.arrival;
    sink(FormatIdRegLine(l));
  });
}

void WriteFmRegLines(const GeoStopList* geo, int company, const LineSink& sink) {
  if (!geo) return;
  for (const GeoStop& s : geo->Stops()) sink(FormatFmRegLine(company, s.code, s.id, s.x, s.y));
}

CommunicationWriting WriteCommunicationSet(const std::vector<CommunicationPart>& parts, const FolderWatch& watch,
                                           const FileSetStep& step) {
  CommunicationWriting w;
  // The reason the part's lines gave, or the part's file that could not be created.
  const auto fail = [&](size_t part, const Outcome& why = {}) {
    w.failed = part;
    if (!why.messages.empty()) {
      w.Take(why);
      return w;
    }
    w.Tell(CannotCreateText(parts[part].path), NoticeIcon::Exclamation, parts[part].caption);
    w.failedPath = parts[part].path;
    return w;
  };
  struct Folder {
    std::string path;
    std::vector<std::string> names;
    std::unique_ptr<ExportFileSet> set;
  };
  std::vector<Folder> folders;
  std::vector<std::pair<size_t, std::string>> placeOf;  // each part's folder and name
  for (size_t k = 0; k < parts.size(); ++k) {
    std::string folder, name;
    SplitNativePath(parts[k].path, folder, name);
    if (name.empty()) return fail(k);
    size_t f = 0;
    while (f < folders.size() && folders[f].path != folder) ++f;
    if (f == folders.size()) folders.push_back({folder, {}, nullptr});
    folders[f].names.push_back(name);
    placeOf.emplace_back(f, name);
  }
  for (size_t f = 0; f < folders.size(); ++f) {
    const FolderRecovery r = RecoverExportFolder(folders[f].path, watch, step);
    if (!r.messages.empty()) w.Tell(r.Texts(), NoticeIcon::Exclamation, parts.front().caption);
    if (r.outcome == FolderRecovery::kFailed) {
      for (size_t k = 0; k < parts.size(); ++k)
        if (placeOf[k].first == f) return fail(k);
    }
    // A journal of ours obeyed leaves the folder whole: its note goes. Another program's journal,
    // removed unobeyed, says nothing of a set of ours there, whose note stays.
    const bool ours = r.outcome == FolderRecovery::kCompleted || r.outcome == FolderRecovery::kUndone;
    if (ours && watch) watch.note(folders[f].path, {});
    folders[f].set = std::make_unique<ExportFileSet>(folders[f].path, folders[f].names);
    if (watch) folders[f].set->SetFolderWatch(watch);
    folders[f].set->SetStepHook(step);
  }
  // Every file whole in its temporary first.
  for (size_t k = 0; k < parts.size(); ++k) {
    ExportFileSet& set = *folders[placeOf[k].first].set;
    if (!set.Begin(placeOf[k].second)) return fail(k);
    const Outcome produced = parts[k].produce([&set](std::string_view line) { set.WriteLine(line); });
    const bool written = set.Finish() && !set.Failed();
    if (!produced.ok) return fail(k, produced);
    if (!written) return fail(k);
  }
  // Then in place, the communication's folder last: a communication is never there without the
  // files written with it.
  for (size_t f = folders.size(); f-- > 0;) {
    if (folders[f].set->Commit()) continue;
    for (size_t k = 0; k < parts.size(); ++k)
      if (placeOf[k].first == f && folders[f].set->FailedPath() == folders[f].set->PathOf(placeOf[k].second))
        return fail(k);
    for (size_t k = 0; k < parts.size(); ++k)
      if (placeOf[k].first == f) return fail(k);
  }
  w.ok = true;
  return w;
}

CommunicationWriting WriteCommunicationFiles(DbDatabase* db, const CommunicationModel& model,
                                             const CommunicationHeader& header, bool first, const GeoStopList* geo,
                                             const CommunicationPaths& paths, WorkProgress* progress,
                                             const FolderWatch& watch) {
  const CommunicationFile kind = first ? CommunicationFile::First : CommunicationFile::Incremental;
  std::vector<CommunicationPart> parts;
  // The communication and its base carry the same rows of the objects made from the trips: one
  // walk of the stop rows gives them to both.
  TripSections made;
  const TripSections* sections = FreshRows(db, model);
  parts.push_back({paths.communication,
                   [&](const LineSink& sink) {
                     if (!sections) {
                       if (!made.Make(db, model)) return RowsNotMade(made);
                       sections = &made;
                     }
                     return WriteCommunication(db, model, header, kind, sink, progress, sections);
                   },
                   "Esportazione dati orari"});
  if (!paths.base.empty()) {
    parts.push_back({paths.base,
                     [&](const LineSink& sink) {
                       return WriteCommunication(db, model, header, CommunicationFile::Base, sink, progress, sections);
                     },
                     "Esportazione base dati orari"});
    if (!paths.tripFlow.empty()) {
      parts.push_back({paths.tripFlow,
                       [&](const LineSink& sink) { return Made(WriteIdRegLines(db, model, header.company, sink)); },
                       "Esportazione flusso ritorno"});
      if (!paths.stopFlow.empty())
        parts.push_back({paths.stopFlow,
                         [&](const LineSink& sink) {
                           WriteFmRegLines(geo, header.company, sink);
                           return Made(true);
                         },
                         "Esportazione flusso ritorno"});
    }
  }
  CommunicationWriting w = WriteCommunicationSet(parts, watch);
  // Without its base the communication is written, but not told a success.
  if (w.ok && parts.size() > 1)
    w.Inform(std::string("La generazione della ") + (first ? "Prima Comunicazione" : "Comunicazione Incrementale") +
             " in formato VUR-TXT v2\nè terminata con successo.\n\n"
             "Il file della Comunicazione può essere inoltrato all'Osservatorio Trasporti.");
  return w;
}

std::string CommunicationDefaultName(int company, long number) {
  return "RT2_" + std::to_string(company) + "_" + std::to_string(number);
}
std::string BaseDefaultName(int company, long number) { return CommunicationDefaultName(company, number) + "_BASE"; }

CommunicationHeading ReadCommunicationHeader(DbDatabase* db, char nature, bool replaces) {
  CommunicationHeading heading;
  CommunicationHeader& h = heading.header;
  h.nature = nature;
  h.replaces = replaces;
  const MasterHeading m = ReadMasterHeading(db);
  if (m.fault.position >= 0) {
    heading.Fail(RefuseFault("dati generali", m.fault, ProtocolLayout().Field(m.fault.column)));
    return heading;
  }
  if (m.found) {
    h.company = m.company;
    h.sendDate = m.sendDate;
    h.periodStart = m.periodStart;
    h.periodEnd = m.periodEnd;
    h.person = std::string(WithoutTrailingBlanks(m.person));
    const TextRefusal refusal =
        RefuseText("dati generali", *ProtocolLayout().Field("resple"), h.person, m.personLost, m.personLostAt);
    if (!refusal.empty()) {
      heading.Fail(refusal);
      return heading;
    }
  } else {
    h.sendDate = h.periodStart = "01/01/1901";
    h.periodEnd = "31/12/2099";
    h.person = "Anonimo";
  }
  heading.Succeed();
  return heading;
}
