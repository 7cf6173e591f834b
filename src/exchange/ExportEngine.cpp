#include "exchange/ExportEngine.h"

#include "common/CalendarDays.h"
#include "common/ExportFiles.h"
#include "common/ExportRecovery.h"
#include "common/IndexedLists.h"
#include "common/Notices.h"
#include "common/WholeFile.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"
#include "db/StoredValueRefusal.h"
#include "exchange/ExchangeText.h"
#include "exchange/ExportCalendar.h"
#include "exchange/ExportRecord.h"
#include "exchange/ExportStops.h"
#include "exchange/ImportEngine.h"
#include "exchange/NormalStopsLayout.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <tuple>

namespace {

// A trip (and its stop) of a walk as the refusals name it, "corsa 5" or "corsa 5, fermata 3"; when
// the value at fault is the trip's id (`column` "id") or the stop's number ("sub"), the row is named
// without it.
std::string WalkedRow(const std::string& column, long trip, long stop) {
  const std::string name = column.substr(column.rfind('.') + 1);
  const std::string id = name == "id" || name == "ID" ? std::string() : std::to_string(trip);
  if (stop < 0) return TripRowName(id);
  const std::string sub = name == "sub" ? std::string() : std::to_string(stop);
  return id.empty() || sub.empty() ? StopRowName(id, sub) : "corsa " + id + ", fermata " + sub;
}

// The regional layout holds trip ids of six digits.
constexpr long kLargestId = 999999;

template <class>
using FieldRef = const FieldDef&;

// The fields of the record's layout named, in their order.
template <class... Names>
std::tuple<FieldRef<Names>...> FieldsOf(const ExportRecord& r, Names... names) {
  return {r.FieldOf(names)...};
}

// The caption of the warnings.
constexpr const char* kExportCaption = "Esportazione dati orari";

constexpr const char* kFixData = "correggere il dato prima di esportare.";
constexpr const char* kFixMaster = "correggere i dati con il comando Azienda del menu Archivi prima di esportare.";

int DateKeyOfText(const std::string& ddmmyyyy) {
  DateRecord d;
  return ParseDateText10(ddmmyyyy, d) ? DateKey(d) : 0;
}

std::string MisfitText(const ExportRecord::Misfit& m) { return ExportRecord::MisfitText(m); }

// The refusal of a record: which file, which line, which row of the database, what is wrong.
// A line of 0: the file's lines are not known yet (FERMATE_NORMALIZZATE, written sorted at the end).
std::string RecordRefusal(ExportFile file, int line, const std::string& row, const std::string& fault) {
  return Format("ATTENZIONE: %s%s%s:\n%s\n\nNessun file è stato scritto: %s", ExportFileName(file),
                line > 0 ? Format(", riga %d", line).c_str() : "", row.empty() ? "" : (" (" + row + ")").c_str(),
                fault.c_str(), file == kProtocolFile ? kFixMaster : kFixData);
}

// The name of a locality as FERMATE_NORMALIZZATE refuses it.
const FieldDef kLocalityName{"denom", "denominazione località", 0, 0, FieldKind::Text};

std::string InvertedPeriod(const std::string& start, const std::string& end) {
  return Format(
      "il periodo termina il %s, prima di iniziare il %s,\n"
      "mentre il tracciato regionale non ammette periodi invertiti.",
      end.c_str(), start.c_str());
}

std::string LargeIdRefusal(long largest) {
  return Format(
      "ATTENZIONE: alcune corse hanno un ID superiore a 999999 (il più alto è %ld),\n"
      "mentre il tracciato regionale ammette ID corsa di sei cifre.\n\n"
      "Nessun file è stato scritto: usare l'esportazione con rinumerazione.",
      largest);
}

// One run of the export: the options, the open files and the counters.
class ExportRun {
 public:
  explicit ExportRun(const ExportOptions& o) : o_(o), files_(o.folder, ExportSetNames()) {
    files_.SetFolderWatch(o.folderWatch);
    files_.SetStepHook(o.fileSetStep);
  }

  ExportResult Run();

 private:
  ExportResult Export();
  // One file: its progress begun, its selection opened (all rows read unless it streams), its
  // temporary begun. False when the selection failed or the file cannot be created.
  bool Open(ExportFile file, DbSelect& select);
  // The same for a walk of `table`'s rows in trip id order, streamed, whose count of rows is not
  // known before its end: StepById tells its progress by the ids between the table's bounds.
  bool OpenById(ExportFile file, DbSelect& select, const char* table) {
    firstId_ = IdBound("min", table);
    lastId_ = IdBound("max", table);
    select.SetStreaming(true);
    return Open(file, select);
  }
  // The file's end: its temporary finished. False when it could not be written, when a read
  // failed on the way, or when a record was refused.
  bool Close(ExportFile file, const DbSelect* select = nullptr);
  // True (and the set failed, naming the file) when the database layer has told a failure.
  bool ReadFailed(ExportFile file);
  // True (and the export refused, naming `row` and the field) when the walk read a value its
  // column cannot hold as its kind.
  bool ReadFault(ExportFile file, const DbSelect& select, const std::string& row, const RecordLayout* layout);
  // Writes the record as the file's next line; false when one of its values does not fit its
  // field: the export is then refused, naming the record by its file, line and trip (and stop).
  bool Line(ExportFile file, const ExportRecord& record, long trip = -1, long stop = -1);
  void Refuse(ExportFile file, const std::string& row, const std::string& fault) {
    if (refusal_.empty())
      refusal_ = RecordRefusal(file, file == kNormalStopsFile ? 0 : result_.counts[file].written + 1, row, fault);
  }
  void Step(long done, long total) {
    if (o_.progress) o_.progress->Step(done, total);
  }
  // The progress of a walk opened by OpenById.
  void StepById(long id) {
    const long span = std::max(1L, lastId_ - firstId_ + 1);
    Step(std::clamp(id - firstId_ + 1, 1L, span), span);
  }
  // The text at a position, trailing blanks cut.
  std::string_view TextAt(DbSelect& s, int position, std::string& buffer) {
    s.GetFieldTextAt(position, buffer);
    return TrimRight(buffer);
  }
  // The same with the character the text lost on its way from the database, if any.
  std::string_view TextAt(DbSelect& s, int position, std::string& buffer, DbSelect::LostCharacter& lost) {
    std::string_view text;
    s.GetFieldTextAt(position, text, buffer, lost);
    return TrimRight(text);
  }
  // The text at a position into a field of the record: a character that the code page lacks
  // (read as '?') refuses the record.
  void PutText(ExportRecord& r, const FieldDef& field, DbSelect& s, int position, std::string& buffer) {
    DbSelect::LostCharacter lost;
    const std::string_view text = TextAt(s, position, buffer, lost);
    r.Text(field, text, lost.code, lost.at);
  }
  // A text of a stop row, absent or not, with the character it lost on its way (if any), read once.
  struct StopText {
    NormalStopList::Text text;
    DbSelect::LostCharacter lost;
  };
  StopText StopTextAt(DbSelect& s, int position, std::string& buffer) {
    StopText t;
    std::string_view text;
    t.text.null = s.GetFieldTextAt(position, text, buffer, t.lost) == 0;
    t.text.text = TrimRight(text);
    return t;
  }
  // A text of FERMATE_NORMALIZZATE, which has no record layout and takes each text whole: a
  // control byte or a character that the code page lacks anywhere in it refuses the export,
  // naming the stop or the locality (`row`, made only then). True when the text can be written.
  template <class Row>
  bool CheckNormalText(const Row& row, const FieldDef& field, std::string_view text, DbSelect::LostCharacter lost) {
    const ExportRecord::Misfit m = ExportRecord::TextMisfit(field, text, lost.code, lost.at);
    if (m.kind == ExportRecord::MisfitKind::None) return true;
    if (refusal_.empty()) refusal_ = RecordRefusal(kNormalStopsFile, 0, row(), ExportRecord::MisfitText(m));
    return false;
  }
  // The three texts of a stop of FERMATE_NORMALIZZATE (code, name, location), checked when the
  // stop goes into the file (a locality).
  void CheckNormalStop(const StopText (&texts)[3], int locality) {
    if (locality <= 0) return;
    static const FieldDef* const kFields[3] = {TripDetailLayout().Field("fermata"), TripDetailLayout().Field("denom"),
                                               TripDetailLayout().Field("ubicaz")};
    const auto row = [&texts] { return Format("fermata %s", std::string(texts[0].text.text).c_str()); };
    for (int k = 0; k < 3; ++k)
      if (!CheckNormalText(row, *kFields[k], texts[k].text.text, texts[k].lost)) return;
  }
  std::string Authority(const char* table) const {
    return o_.anyAuthority ? std::string() : Format("%s = %d", table, o_.authority);
  }
  // Whether the export writes every row of the stop and period tables (no authority chosen, or
  // the renumbered export, which has none).
  bool EveryRow() const { return o_.kind == ExportKind::Renumbered || o_.anyAuthority; }
  // The rows of a table keyed by trip id that the export writes: all of them, or those of the
  // chosen authority's trips.
  void FromRowsWritten(DbSelect& s, const char* table) const {
    if (EveryRow()) {
      s.SetFrom(table);
    } else {
      s.SetFrom(std::string(table) + ", tescor");
      s.SetWhere(Authority("tescor.ente") + " AND " + table + ".id = tescor.id");
    }
  }
  // min(id) or max(id) of a table (answered from the key's order), 0 when it has no rows.
  long IdBound(const char* function, const char* table, const std::string& where = {});

  std::string MasterRefusal();
  std::string IdRefusal();

  bool TripHeads();
  bool TripStops();
  bool Periods();
  bool DayTypes();
  bool Calendar();
  bool Protocol();
  bool NormalStops();

  // The trip id a record carries, or false when the row is left out.
  bool TripId(long storedId, long& id);

  const ExportOptions& o_;
  // Any failure the database layer tells while the export runs fails it: a selection that failed
  // looks like one without rows.
  NoticeWatch watch_;
  ExportFileSet files_;
  const DbSelect* walk_ = nullptr;  // the selection of the file being written
  ExportResult result_;
  std::string refusal_;
  MasterHeading master_;
  ExportRecord protocol_{ProtocolLayout()};
  IdPairList renumbering_;
  CadenceCalendar calendar_;
  // The normalised stops, gathered by the walk of the stop rows when it reads every one of them.
  NormalStopList stops_;
  bool stopsGathered_ = false;
  std::string a_, b_, c_;          // text buffers
  long firstId_ = 0, lastId_ = 0;  // the bounds of the walk by id
};

bool ExportRun::ReadFailed(ExportFile file) {
  if (watch_.Failures() == 0) return false;
  files_.Fail(ExportFileName(file));
  return true;
}

bool ExportRun::ReadFault(ExportFile file, const DbSelect& select, const std::string& row, const RecordLayout* layout) {
  if (!select.Faulted()) return false;
  const FieldDef* field = layout ? layout->Field(select.Fault().column) : nullptr;
  Refuse(file, row, ExportRecord::FaultText(select.Fault(), field));
  return true;
}

bool ExportRun::Open(ExportFile file, DbSelect& select) {
  if (o_.progress) o_.progress->Begin(std::string("Esportazione dati orari: ") + ExportFileName(file));
  // A value of another kind than its column's refuses the export, naming its row (Line).
  select.SetFaultsToldByCaller(true);
  walk_ = &select;
  select.Open();
  if (ReadFailed(file) || !files_.Begin(ExportFileName(file))) {
    if (o_.progress) o_.progress->End();
    return false;
  }
  result_.counts[file].read = select.RowCount();
  return true;
}

bool ExportRun::Close(ExportFile file, const DbSelect* select) {
  // A streaming selection knows how many rows it read only once its walk has ended.
  if (select) result_.counts[file].read = select->RowCount();
  if (o_.progress) o_.progress->End();
  // A value of another kind than its column's in a row the walk left out.
  if (walk_) ReadFault(file, *walk_, "", nullptr);
  walk_ = nullptr;
  const bool finished = files_.Finish();
  if (!refusal_.empty()) return false;
  // A walk cut short by a read error (already reported) leaves a file short of rows: the set
  // must not be put in place.
  if (ReadFailed(file)) return false;
  if (select && select->WalkFailed()) {
    files_.Fail(ExportFileName(file));
    return false;
  }
  return finished;
}

bool ExportRun::Line(ExportFile file, const ExportRecord& record, long trip, long stop) {
  const bool faulted = walk_ && walk_->Faulted();
  if (faulted || record.HasMisfit()) {
    std::string row;
    if (trip >= 0) row = WalkedRow(faulted ? walk_->Fault().column : std::string(), trip, stop);
    if (file == kProtocolFile) row = "dati generali";
    if (faulted)
      ReadFault(file, *walk_, row, &record.Layout());
    else
      Refuse(file, row, MisfitText(record.GetMisfit()));
    return false;
  }
  files_.WriteLine(record.Text());
  if (record.TextCut()) ++result_.overWide;
  ++result_.counts[file].written;
  return true;
}

long ExportRun::IdBound(const char* function, const char* table, const std::string& where) {
  // One aggregate alone over the key's first column: the engine reads one end of the key.
  DbSelect s(o_.db);
  s.SetColumns(Format("%s(id)", function));
  s.SetFrom(table);
  s.SetWhere(where);
  long value = 0;
  if (s.Open()) s.GetFieldLongAt(0, &value);
  return value;
}

bool ExportRun::TripId(long storedId, long& id) {
  switch (o_.kind) {
    case ExportKind::Plain: id = storedId; return true;
    case ExportKind::DateRange: id = storedId; return calendar_.HasTrip(static_cast<std::int32_t>(storedId));
    case ExportKind::Renumbered: {
      const IdPair* pair = renumbering_.Lookup(static_cast<std::int32_t>(storedId));
      if (!pair) return false;
      id = pair->first;
      return true;
    }
  }
  return false;
}

bool ExportRun::TripHeads() {
  DbSelect s(
      o_.db,
      {.columns = "id, codcorsa, ente, contratt, lung, tempo, ct_lung, ct_tempo, codlinea, verso, denom, codperc",
       .from = "tescor"});
  // One authority's trips are chosen here, not in the selection: every trip's authority is read
  // and checked, so that one stored as what no code is stops the export rather than leave its
  // trip out untold.
  const bool oneAuthority = !EveryRow();
  int heads = 0;
  s.SetOrderBy("id");
  // Read as it is written, as the trip stops are.
  if (!OpenById(kTripHeadsFile, s, "tescor")) return false;
  ExportRecord r(TripHeadLayout());
  const auto [company, idField, code, authority, contract, length, time, ctLength, ctTime, line, direction, route,
              name] = FieldsOf(r, "azienda", "id", "codcorsa", "ente", "contratt", "lung", "tempo", "ct_lung",
                               "ct_tempo", "codlinea", "verso", "codperc", "denom");
  renumbering_.nextNumber = static_cast<std::int32_t>(o_.firstId);
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    long stored = 0, id = 0;
    s.GetFieldLongAt(0, &stored);
    StepById(stored);
    if (oneAuthority) {
      int authorityRead = 0;
      s.GetFieldIntAt(2, &authorityRead);
      if (ReadFault(kTripHeadsFile, s, Format("corsa %ld", stored), &TripHeadLayout())) break;
      if (authorityRead != o_.authority) continue;
      ++heads;
    }
    if (o_.kind == ExportKind::Renumbered) {
      id = renumbering_.AppendNumbered(static_cast<std::int32_t>(stored));
    } else if (!TripId(stored, id)) {
      continue;
    }
    int n16 = 0;
    long n32 = 0;
    r.Reset();
    r.Number(company, master_.company);
    r.Number(idField, id);
    PutText(r, code, s, 1, a_);
    s.GetFieldIntAt(2, &n16), r.Number(authority, n16);
    s.GetFieldIntAt(3, &n16), r.Number(contract, n16);
    s.GetFieldLongAt(4, &n32), r.Number(length, n32);
    s.GetFieldIntAt(5, &n16), r.Number(time, n16);
    s.GetFieldLongAt(6, &n32), r.Number(ctLength, n32);
    s.GetFieldIntAt(7, &n16), r.Number(ctTime, n16);
    PutText(r, line, s, 8, a_);
    // A trip without direction still gets its column: a blank.
    s.GetFieldTextAt(9, a_);
    const DbSelect::LostCharacter lostDirection = s.LostAt(9);
    r.Char(direction, a_.empty() ? ' ' : a_[0], lostDirection.at == 0 ? lostDirection.code : 0);
    PutText(r, name, s, 10, a_);
    PutText(r, route, s, 11, a_);
    if (!Line(kTripHeadsFile, r, stored)) break;
  }
  if (o_.kind == ExportKind::Renumbered) renumbering_.BuildIndex();
  const bool closed = Close(kTripHeadsFile, &s);
  // The heads read are those of the authority.
  if (oneAuthority) result_.counts[kTripHeadsFile].read = heads;
  return closed;
}

bool ExportRun::TripStops() {
  DbSelect s(o_.db);
  s.SetColumns(
      "detcor.id, detcor.sub, detcor.fermata, detcor.denom, detcor.ubicaz, detcor.dist, detcor.arriva, "
      "detcor.parte, detcor.primaria, detcor.facolt, detcor.nonferma, detcor.reglocal");
  // Every stop row is read when no authority restricts them: the normalised stops are gathered
  // on the way.
  const bool everyRow = EveryRow();
  FromRowsWritten(s, "detcor");
  s.SetOrderBy("detcor.id, detcor.sub");
  // The largest file: read as it is written, and its progress told by trip id (the rows come in
  // id order and their count is not known before the end).
  if (!OpenById(kTripStopsFile, s, "detcor")) return false;
  ExportRecord r(TripDetailLayout());
  const auto [company, idField, sub, stop, name, place, distance, arrival, departure, primary, optional, passing] =
      FieldsOf(r, "azienda", "id", "sub", "fermata", "denom", "ubicaz", "dist", "arriva", "parte", "primaria", "facolt",
               "nonferma");
  // The trip's decision holds while its rows follow one another.
  long lastStored = -1, id = 0;
  bool keep = false, first = true;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    long stored = 0;
    s.GetFieldLongAt(0, &stored);
    if (first || stored != lastStored) {
      StepById(stored);
      keep = TripId(stored, id);
      if (!keep && o_.kind == ExportKind::Renumbered) ++result_.unmatchedRows;
      lastStored = stored;
      first = false;
    } else if (!keep && o_.kind == ExportKind::Renumbered) {
      ++result_.unmatchedRows;
    }
    if (!keep && !everyRow) continue;
    const StopText stopCode = StopTextAt(s, 2, a_), stopName = StopTextAt(s, 3, b_), stopPlace = StopTextAt(s, 4, c_);
    int n16 = 0, locality = 0;
    long n32 = 0;
    if (everyRow) {
      s.GetFieldIntAt(11, &locality);
      stops_.AddStop(stopCode.text, stopName.text, stopPlace.text, locality);
      // A row written below is refused first for what its record holds, naming its trip and stop.
      if (!keep) CheckNormalStop({stopCode, stopName, stopPlace}, locality);
    }
    if (!keep && ReadFault(kTripStopsFile, s, WalkedRow(s.Fault().column, stored, -1), &TripDetailLayout())) break;
    if (!keep) continue;
    r.Reset();
    r.Number(company, master_.company);
    r.Number(idField, id);
    s.GetFieldIntAt(1, &n16), r.Number(sub, n16);
    const long stopNumber = n16;
    r.Text(stop, stopCode.text.text, stopCode.lost.code, stopCode.lost.at);
    r.Text(name, stopName.text.text, stopName.lost.code, stopName.lost.at);
    r.Text(place, stopPlace.text.text, stopPlace.lost.code, stopPlace.lost.at);
    s.GetFieldLongAt(5, &n32), r.Number(distance, n32);
    // The empty time mark -1 is written as 0000; every other time as it stands.
    s.GetFieldIntAt(6, &n16), r.Time(arrival, n16 == -1 ? 0 : n16);
    s.GetFieldIntAt(7, &n16), r.Time(departure, n16 == -1 ? 0 : n16);
    s.GetFieldIntAt(8, &n16), r.Flag(primary, n16 != 0);
    s.GetFieldIntAt(9, &n16), r.Flag(optional, n16 != 0);
    s.GetFieldIntAt(10, &n16), r.Flag(passing, n16 != 0);
    if (!Line(kTripStopsFile, r, stored, stopNumber)) break;
    // The record holds the texts cut to their fields; the stop list takes them whole.
    if (everyRow) CheckNormalStop({stopCode, stopName, stopPlace}, locality);
  }
  // A walk broken off by a refusal has not seen every row.
  stopsGathered_ = everyRow && refusal_.empty();
  return Close(kTripStopsFile, &s);
}

bool ExportRun::Periods() {
  DbSelect s(o_.db);
  s.SetColumns("period.id, period.inizio, period.fine, period.caden, period.escluso");
  FromRowsWritten(s, "period");
  // The periods of one trip in the order of their key: start, then end.
  s.SetOrderBy("period.id, period.inizio, period.fine");
  if (!OpenById(kPeriodsFile, s, "period")) return false;
  ExportRecord r(PeriodLayout());
  const auto [company, idField, dayType, start, end, excluded] =
      FieldsOf(r, "azienda", "id", "caden", "inizio", "fine", "escluso");
  const int first = DateKey(o_.rangeStart), last = DateKey(o_.rangeEnd);
  long largestKept = 0;  // date range: the largest id of the trips it keeps
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    long stored = 0, id = 0;
    s.GetFieldLongAt(0, &stored);
    StepById(stored);
    s.GetFieldTextAt(1, a_);
    s.GetFieldTextAt(2, b_);
    DbSelect::LostCharacter lostCode;
    const std::string_view code = TextAt(s, 3, c_, lostCode);
    int flag = 0;
    s.GetFieldIntAt(4, &flag);
    r.Reset();
    if (o_.kind == ExportKind::DateRange) {
      // Clipped to the range; kept when its day type runs on a date of what is left.
      const int from = std::max(DateKeyOfText(a_), first), to = std::min(DateKeyOfText(b_), last);
      if (from > to || !calendar_.HasDateInRange(code, from, to)) continue;
      calendar_.AddTrip(static_cast<std::int32_t>(stored));
      largestKept = std::max(largestKept, stored);
      // An id too large for the layout: the trips kept are all looked at before the refusal,
      // which names the largest.
      if (stored > kLargestId) continue;
      id = stored;
      r.Date(start, from / 10000, from / 100 % 100, from % 100);
      r.Date(end, to / 10000, to / 100 % 100, to % 100);
    } else {
      if (!TripId(stored, id)) {
        ++result_.unmatchedRows;
        continue;
      }
      r.DisplayDate(start, a_);
      r.DisplayDate(end, b_);
      if (!r.HasMisfit() && DateKeyOfText(a_) > DateKeyOfText(b_)) {
        Refuse(kPeriodsFile, Format("corsa %ld", stored), InvertedPeriod(a_, b_));
        break;
      }
    }
    r.Number(company, master_.company);
    r.Number(idField, id);
    r.Text(dayType, code, lostCode.code, lostCode.at);
    r.Flag(excluded, flag != 0);
    if (!Line(kPeriodsFile, r, stored)) break;
  }
  if (largestKept > kLargestId && refusal_.empty()) refusal_ = LargeIdRefusal(largestKept);
  return Close(kPeriodsFile, &s);
}

bool ExportRun::DayTypes() {
  DbSelect s(o_.db, {.columns = "codice, denom", .from = "cadenz", .orderBy = "codice"});
  if (!Open(kDayTypesFile, s)) return false;
  ExportRecord r(CadenceLayout());
  const auto [company, code, name] = FieldsOf(r, "azienda", "codice", "denom");
  const int total = s.RowCount();
  int done = 0;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(++done, total);
    r.Reset();
    r.Number(company, master_.company);
    PutText(r, code, s, 0, a_);
    PutText(r, name, s, 1, a_);
    if (!Line(kDayTypesFile, r)) break;
  }
  return Close(kDayTypesFile);
}

bool ExportRun::Calendar() {
  // Every day is read, a date range's too: each day's kind is checked before the range is applied
  // here, since a range in the selection would leave out, untold, a day stored as what no date is
  // (and the periods that run only on it).
  DbSelect s(o_.db, {.columns = "data, caden, note", .from = "calend", .orderBy = "data, caden"});
  if (!Open(kCalendarFile, s)) return false;
  ExportRecord r(CalendarLayout());
  const auto [company, date, note, dayType] = FieldsOf(r, "azienda", "data", "note", "caden");
  const int first = DateKey(o_.rangeStart), last = DateKey(o_.rangeEnd);
  const int total = s.RowCount();
  int done = 0;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(++done, total);
    r.Reset();
    r.Number(company, master_.company);
    s.GetFieldTextAt(0, a_);
    r.DisplayDate(date, a_);
    PutText(r, note, s, 2, b_);
    DbSelect::LostCharacter lostCode;
    const std::string_view code = TextAt(s, 1, c_, lostCode);
    r.Text(dayType, code, lostCode.code, lostCode.at);
    // A day outside the range is no line of the file; one read as what its column cannot hold is
    // refused by Line, inside the range or not.
    if (o_.kind == ExportKind::DateRange && !s.Faulted()) {
      const int day = DateKeyOfText(a_);
      if (day < first || day > last) continue;
    }
    if (!Line(kCalendarFile, r)) break;
    if (o_.kind == ExportKind::DateRange) calendar_.AddDate(code, FieldBytes(r.Text(), date));
  }
  return Close(kCalendarFile);
}

bool ExportRun::Protocol() {
  if (o_.progress) o_.progress->Begin(std::string("Esportazione dati orari: ") + ExportFileName(kProtocolFile));
  if (!files_.Begin(ExportFileName(kProtocolFile))) {
    if (o_.progress) o_.progress->End();
    return false;
  }
  // The record was made, and checked, at the start (there is always a master row here).
  if (master_.found) {
    result_.counts[kProtocolFile].read = 1;
    Line(kProtocolFile, protocol_);
  }
  return Close(kProtocolFile);
}

bool ExportRun::NormalStops() {
  if (o_.progress) o_.progress->Begin(std::string("Esportazione dati orari: ") + kNormalStopsName);
  if (!stopsGathered_) {
    // The stop rows were read for one authority only: the list has a walk of its own.
    DbSelect s(
        o_.db,
        {.columns = "fermata, denom, ubicaz, reglocal", .from = "detcor", .where = "reglocal > 0", .streaming = true});
    s.SetFaultsToldByCaller(true);
    for (int ok = s.Open(); ok && refusal_.empty(); ok = s.MoveNext()) {
      int locality = 0;
      s.GetFieldIntAt(3, &locality);
      const StopText texts[3] = {StopTextAt(s, 0, a_), StopTextAt(s, 1, b_), StopTextAt(s, 2, c_)};
      stops_.AddStop(texts[0].text, texts[1].text, texts[2].text, locality);
      CheckNormalStop(texts, locality);
      ReadFault(kNormalStopsFile, s, Format("fermata %s", std::string(texts[0].text.text).c_str()),
                &TripDetailLayout());
    }
  }
  if (!stops_.Empty()) {
    DbSelect s(o_.db, {.columns = "id, istat, denom", .from = "local", .where = "id > 0"});
    s.SetFaultsToldByCaller(true);
    for (int ok = s.Open(); ok && refusal_.empty(); ok = s.MoveNext()) {
      int id = 0;
      long istat = 0;
      s.GetFieldIntAt(0, &id);
      s.GetFieldLongAt(1, &istat);
      DbSelect::LostCharacter lost;
      const std::string_view name = TextAt(s, 2, a_, lost);
      stops_.AddLocality(id, istat, name);
      if (stops_.UsesLocality(id))
        CheckNormalText([id] { return Format("località %d", id); }, kLocalityName, name, lost);
      ReadFault(kNormalStopsFile, s, Format("località %d", id), nullptr);
    }
  }
  if (!refusal_.empty()) {
    if (o_.progress) o_.progress->End();
    return false;
  }
  if (ReadFailed(kNormalStopsFile) || !files_.Begin(kNormalStopsName)) {
    if (o_.progress) o_.progress->End();
    return false;
  }
  const std::vector<std::string> lines = stops_.Lines(master_.company);
  files_.WriteLine(kNormalStopsHeader);
  const long total = static_cast<long>(lines.size());
  long done = 0;
  for (const std::string& line : lines) {
    Step(++done, total);
    files_.WriteLine(line);
  }
  result_.counts[kNormalStopsFile].read = result_.counts[kNormalStopsFile].written = static_cast<int>(total);
  return Close(kNormalStopsFile);
}

// The protocol record is made first: the master row carries what every file of the set must
// agree with, and a value of it that the layout cannot carry refuses the export at once.
std::string ExportRun::MasterRefusal() {
  // Without it the protocol file would be empty, and the import refuses an empty file.
  if (!master_.found) return std::string(kMissingMasterText) + "\n\nNessun file è stato scritto.";
  if (master_.fault.position >= 0)
    return RecordRefusal(kProtocolFile, 1, "dati generali",
                         ExportRecord::FaultText(master_.fault, ProtocolLayout().Field(master_.fault.column)));
  ExportRecord& r = protocol_;
  r.Number(r.FieldOf("azienda"), master_.company);
  r.DisplayDate(r.FieldOf("p_data"), master_.sendDate);
  r.Number(r.FieldOf("protoc"), master_.protocol);
  std::string start = master_.periodStart, end = master_.periodEnd;
  if (o_.kind == ExportKind::DateRange) {
    start = o_.rangeStart.Format();
    end = o_.rangeEnd.Format();
  }
  r.DisplayDate(r.FieldOf("datini"), start);
  r.DisplayDate(r.FieldOf("datfin"), end);
  r.Text(r.FieldOf("resple"), master_.person, master_.personLost, master_.personLostAt);
  if (r.HasMisfit()) return RecordRefusal(kProtocolFile, 1, "dati generali", MisfitText(r.GetMisfit()));
  if (DateKeyOfText(start) > DateKeyOfText(end))
    return RecordRefusal(kProtocolFile, 1, "dati generali", InvertedPeriod(start, end));
  return {};
}

// Writing a trip id larger than the layout's six digits would either lengthen its records or,
// cut to the field, give two trips one id: the export is refused instead. Only the rows the
// export writes count: those of the authority chosen, stop and period rows included (with every
// authority, also those of no trip head). The date range knows its trips only once its periods
// are read: it is looked at there.
std::string ExportRun::IdRefusal() {
  if (o_.kind == ExportKind::Renumbered) {
    DbSelect s(o_.db, {.columns = "count(*)", .from = "tescor"});
    long count = 0;
    if (s.Open()) s.GetFieldLongAt(0, &count);
    if (count > 0 && o_.firstId + count - 1 > kLargestId)
      return Format(
          "ATTENZIONE: rinumerando le %ld corse a partire da %ld l'ultimo ID corsa sarebbe %ld,\n"
          "mentre il tracciato regionale ammette ID corsa di sei cifre (al massimo 999999).\n\n"
          "Nessun file è stato scritto: indicare un ID iniziale più basso.",
          count, o_.firstId, o_.firstId + count - 1);
    return {};
  }
  if (o_.kind != ExportKind::Plain) return {};
  // With one authority the stop and period rows are those of its trip heads.
  long largest = IdBound("max", "tescor", Authority("ente"));
  if (o_.anyAuthority) largest = std::max({largest, IdBound("max", "detcor"), IdBound("max", "period")});
  return largest > kLargestId ? LargeIdRefusal(largest) : std::string();
}

ExportResult ExportRun::Run() {
  // An earlier export cut short in this folder: the folder is put in order first.
  const FolderRecovery recovery = RecoverExportFolder(o_.folder, o_.folderWatch, o_.fileSetStep, ExportSetNames());
  if (recovery.outcome == FolderRecovery::kFailed) {
    // A journal of this program stays noted, to be put in order at the next start.
    ExportResult refused;
    refused.Tell(recovery.Texts() + "\n\nNessun file è stato scritto.", NoticeIcon::Exclamation, kExportCaption);
    return refused;
  }
  if (recovery.outcome != FolderRecovery::kWhole && recovery.outcome != FolderRecovery::kForeign && o_.folderWatch)
    o_.folderWatch.note(o_.folder, {});
  ExportResult result = Export();
  // What was done to the folder is told before the export's own messages.
  if (!recovery.messages.empty())
    result.messages.insert(result.messages.begin(), Notice{recovery.Texts(), NoticeIcon::Exclamation, kExportCaption});
  return result;
}

ExportResult ExportRun::Export() {
  // Every read below sees one moment of the database.
  DbReadSnapshot snapshot(o_.db);
  master_ = ReadMasterHeading(o_.db);
  // The master row feeds the protocol file.
  bool ok = !ReadFailed(kProtocolFile);
  if (ok) refusal_ = MasterRefusal();
  if (ok && refusal_.empty()) refusal_ = IdRefusal();
  // A failure of those few reads is told as one of the trip heads, the first file.
  ok = ok && refusal_.empty() && !ReadFailed(kTripHeadsFile);
  if (ok && o_.kind == ExportKind::DateRange) {
    // The calendar first: it decides which periods, and so which trips, are kept.
    ok = DayTypes() && Calendar() && Periods() && TripHeads() && TripStops();
  } else if (ok) {
    ok = TripHeads() && TripStops() && Periods() && DayTypes() && Calendar();
  }
  ok = ok && Protocol() && NormalStops() && files_.Commit();
  if (!refusal_.empty()) {
    files_.Abort();
    ExportResult refused;
    refused.Tell(refusal_, NoticeIcon::Exclamation, kExportCaption);
    return refused;
  }
  if (!ok) {
    files_.Abort();
    ExportResult failed;
    failed.failedPath = files_.FailedPath();
    // Only the failure is told: no file was written, so there are no results to give.
    failed.Tell(files_.FailureText(), NoticeIcon::Exclamation, kExportCaption);
    return failed;
  }
  result_.written = files_.Written();
  if (o_.kind == ExportKind::DateRange) {
    // Both numbers of a line are the lines written.
    for (ExportCount& c : result_.counts) c.read = c.written;
  }
  result_.Succeed(ExportResultText(result_));
  return result_;
}

}  // namespace

const char* ExportFileName(ExportFile file) {
  switch (file) {
    case kTripHeadsFile: return TripHeadLayout().fileName;
    case kTripStopsFile: return TripDetailLayout().fileName;
    case kPeriodsFile: return PeriodLayout().fileName;
    case kDayTypesFile: return CadenceLayout().fileName;
    case kCalendarFile: return CalendarLayout().fileName;
    case kProtocolFile: return ProtocolLayout().fileName;
    case kNormalStopsFile: return kNormalStopsName;
    case kExportFileCount: break;
  }
  return "";
}

std::vector<std::string> ExportSetNames() {
  std::vector<std::string> names;
  for (int f = 0; f < kExportFileCount; ++f) names.push_back(ExportFileName(static_cast<ExportFile>(f)));
  return names;
}

MasterHeading ReadMasterHeading(DbDatabase* db) {
  MasterHeading m;
  DbTable master(db, "master");
  master.SetFaultsToldByCaller(true);
  if (!SeekMasterRow(master)) return m;
  m.found = true;
  std::string text;
  master.GetFieldText("azienda", text);
  m.company = std::atoi(text.c_str());
  master.GetFieldText("p_data", m.sendDate);
  master.GetFieldText("protoc", text);
  m.protocol = std::atol(text.c_str());
  m.hasProtocol = !text.empty();
  master.GetFieldText("resple", m.person);
  master.GetFieldText("datini", m.periodStart);
  master.GetFieldText("datfin", m.periodEnd);
  m.fault = master.Fault();
  DbSelect person(db, {.columns = "resple", .from = "master", .where = "codice = 0"});
  if (person.Open()) {
    const DbSelect::LostCharacter lost = person.LostAt(0);
    m.personLost = lost.code;
    m.personLostAt = lost.at;
  }
  return m;
}

Outcome WriteMasterHeading(DbDatabase* db, const MasterHeading& heading) {
  Outcome written;
  NoticeCollector told(written);
  DbTable master(db, "master");
  if (!SeekMasterRow(master)) {
    written.Fail(kMissingMasterText);
    return written;
  }
  if (!master.Edit()) return written;
  bool taken = master.SetFieldText("azienda", Format("%d", heading.company));
  taken &= master.SetFieldText("p_data", heading.sendDate) != 0;
  taken &= master.SetFieldText("protoc", heading.hasProtocol ? Format("%ld", heading.protocol) : std::string()) != 0;
  taken &= master.SetFieldText("resple", heading.person) != 0;
  taken &= master.SetFieldText("datini", heading.periodStart) != 0;
  taken &= master.SetFieldText("datfin", heading.periodEnd) != 0;
  written.ok = master.Update() == 1 && taken;
  return written;
}

ExportResult RunExport(const ExportOptions& options) { return ExportRun(options).Run(); }

std::string ExportResultText(const ExportResult& r) {
  static const char* const kLines[kExportFileCount] = {"%d su %d Teste Corsa\n",
                                                       "%d su %d Dettagli Corsa\n",
                                                       "%d su %d Periodi Validità Corsa\n",
                                                       "%d su %d Cadenze\n",
                                                       "%d su %d Calendario Giorni/Cadenze\n",
                                                       "%d su %d Protocollo Comunicazione Orari\n",
                                                       "%d su %d Fermate Normalizzate\n"};
  std::string text = "Risultati dell'esportazione dati:\n\n";
  for (int f = 0; f < kExportFileCount; ++f) text += Format(kLines[f], r.counts[f].written, r.counts[f].read);
  if (r.unmatchedRows > 0)
    text += Format(
        "\nATTENZIONE: %d righe di dettaglio o di periodo non appartengono a nessuna testa corsa:\n"
        "non avendo un nuovo ID corsa non sono state esportate.\n",
        r.unmatchedRows);
  if (r.overWide > 0)
    text += Format(
        "\nATTENZIONE: %d righe contengono un valore più lungo del suo campo nel tracciato regionale:\n"
        "il valore è stato limitato alla larghezza del campo.\n",
        r.overWide);
  return text;
}
