#include "exchange/ExportEngine.h"

#include "common/CalendarDays.h"
#include "common/IndexedLists.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "exchange/ExchangeText.h"
#include "exchange/ExportCalendar.h"
#include "exchange/ExportFiles.h"
#include "exchange/ExportRecord.h"
#include "exchange/ImportEngine.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr const char* kNormalStopsName = "FERMATE_NORMALIZZATE.TXT";
constexpr const char* kNormalStopsHeader = "Azienda\tFermata\tDenominazione\tUbicazione\tIstat\tLocalita";

int DateKeyOfText(const std::string& ddmmyyyy) {
  DateRecord d;
  return ParseDateText10(ddmmyyyy, d) ? DateKey(d) : 0;
}

// One run of the export: the options, the open files and the counters.
class ExportRun {
 public:
  explicit ExportRun(const ExportOptions& o) : o_(o), files_(o.folder) {}

  ExportResult Run();

 private:
  // One file: its selection opened (all rows read), its temporary begun. False when the file
  // cannot be created (the selection's own failure leaves the file empty).
  bool Open(ExportFile file, DbSelect& select);
  bool Close(ExportFile file, const DbSelect* select = nullptr);
  std::string IdRefusal() const;
  void Step(int done, int total) {
    if (o_.progress) o_.progress->Step(done, total);
  }
  void Line(ExportFile file, const ExportRecord& record) {
    files_.WriteLine(record.Text());
    if (record.OverWide()) ++result_.overWide;
    ++result_.counts[file].written;
  }
  // The text at a position, trailing blanks cut.
  std::string_view TextAt(DbSelect& s, int position, std::string& buffer) {
    s.GetFieldTextAt(position, buffer);
    return TrimRight(buffer);
  }
  std::string Authority(const char* table) const {
    return o_.anyAuthority ? std::string() : Format("%s = %d", table, o_.authority);
  }

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
  ExportFileSet files_;
  ExportResult result_;
  MasterHeading master_;
  IdPairList renumbering_;
  CadenceCalendar calendar_;
  std::string a_, b_, c_;  // text buffers
};

bool ExportRun::Open(ExportFile file, DbSelect& select) {
  if (o_.progress) o_.progress->Begin(std::string("Esportazione dati orari: ") + ExportFileName(file));
  select.Open();
  result_.counts[file].read = select.RowCount();
  return files_.Begin(ExportFileName(file));
}

bool ExportRun::Close(ExportFile file, const DbSelect* select) {
  // A streaming selection knows how many rows it read only once its walk has ended.
  if (select) result_.counts[file].read = select->RowCount();
  if (o_.progress) o_.progress->End();
  const bool finished = files_.Finish();
  // A walk cut short by a read error (already reported) leaves a file short of rows: the set
  // must not be put in place.
  if (select && select->WalkFailed()) {
    files_.Fail(ExportFileName(file));
    return false;
  }
  return finished;
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
  DbSelect s(o_.db);
  s.SetColumns("id, codcorsa, ente, contratt, lung, tempo, ct_lung, ct_tempo, codlinea, verso, denom, codperc");
  s.SetFrom("tescor");
  if (o_.kind != ExportKind::Renumbered) s.SetWhere(Authority("ente"));
  s.SetOrderBy("id");
  if (!Open(kTripHeadsFile, s)) return false;
  ExportRecord r(TripHeadLayout());
  const FieldDef &company = r.FieldOf("azienda"), &idField = r.FieldOf("id"), &code = r.FieldOf("codcorsa"),
                 &authority = r.FieldOf("ente"), &contract = r.FieldOf("contratt"), &length = r.FieldOf("lung"),
                 &time = r.FieldOf("tempo"), &ctLength = r.FieldOf("ct_lung"), &ctTime = r.FieldOf("ct_tempo"),
                 &line = r.FieldOf("codlinea"), &direction = r.FieldOf("verso"), &route = r.FieldOf("codperc"),
                 &name = r.FieldOf("denom");
  const int total = s.RowCount();
  int done = 0;
  renumbering_.nextNumber = static_cast<std::int32_t>(o_.firstId);
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(++done, total);
    long stored = 0, id = 0;
    s.GetFieldLongAt(0, &stored);
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
    r.Text(code, TextAt(s, 1, a_));
    s.GetFieldIntAt(2, &n16), r.Number(authority, n16);
    s.GetFieldIntAt(3, &n16), r.Number(contract, n16);
    s.GetFieldLongAt(4, &n32), r.Number(length, n32);
    s.GetFieldIntAt(5, &n16), r.Number(time, n16);
    s.GetFieldLongAt(6, &n32), r.Number(ctLength, n32);
    s.GetFieldIntAt(7, &n16), r.Number(ctTime, n16);
    r.Text(line, TextAt(s, 8, a_));
    // A trip without direction still gets its column: a blank.
    s.GetFieldTextAt(9, a_);
    r.Char(direction, a_.empty() ? ' ' : a_[0]);
    r.Text(name, TextAt(s, 10, a_));
    r.Text(route, TextAt(s, 11, a_));
    Line(kTripHeadsFile, r);
  }
  if (o_.kind == ExportKind::Renumbered) renumbering_.BuildIndex();
  return Close(kTripHeadsFile);
}

bool ExportRun::TripStops() {
  DbSelect s(o_.db);
  s.SetColumns(
      "detcor.id, detcor.sub, detcor.fermata, detcor.denom, detcor.ubicaz, detcor.dist, detcor.arriva, "
      "detcor.parte, detcor.primaria, detcor.facolt, detcor.nonferma");
  if (o_.kind == ExportKind::Renumbered || o_.anyAuthority) {
    s.SetFrom("detcor");
  } else {
    s.SetFrom("detcor, tescor");
    s.SetWhere(Authority("tescor.ente") + " AND detcor.id = tescor.id");
  }
  s.SetOrderBy("detcor.id, detcor.sub");
  // The largest file: read as it is written, and its progress told by trip id (the rows come in
  // id order and their count is not known before the end).
  long firstId = 0, lastId = 0;
  {
    DbSelect range(o_.db);
    range.SetColumns("min(id), max(id)");
    range.SetFrom("detcor");
    if (range.Open()) range.GetFieldLongAt(0, &firstId), range.GetFieldLongAt(1, &lastId);
  }
  s.SetStreaming(true);
  if (!Open(kTripStopsFile, s)) return false;
  ExportRecord r(TripDetailLayout());
  const FieldDef &company = r.FieldOf("azienda"), &idField = r.FieldOf("id"), &sub = r.FieldOf("sub"),
                 &stop = r.FieldOf("fermata"), &name = r.FieldOf("denom"), &place = r.FieldOf("ubicaz"),
                 &distance = r.FieldOf("dist"), &arrival = r.FieldOf("arriva"), &departure = r.FieldOf("parte"),
                 &primary = r.FieldOf("primaria"), &optional = r.FieldOf("facolt"), &passing = r.FieldOf("nonferma");
  const int span = static_cast<int>(std::max(1L, lastId - firstId + 1));
  // The trip's decision holds while its rows follow one another.
  long lastStored = -1, id = 0;
  bool keep = false, first = true;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    long stored = 0;
    s.GetFieldLongAt(0, &stored);
    if (first || stored != lastStored) {
      Step(static_cast<int>(std::clamp(stored - firstId + 1, 1L, static_cast<long>(span))), span);
      keep = TripId(stored, id);
      if (!keep && o_.kind == ExportKind::Renumbered) ++result_.unmatchedRows;
      lastStored = stored;
      first = false;
    } else if (!keep && o_.kind == ExportKind::Renumbered) {
      ++result_.unmatchedRows;
    }
    if (!keep) continue;
    int n16 = 0;
    long n32 = 0;
    r.Reset();
    r.Number(company, master_.company);
    r.Number(idField, id);
    s.GetFieldIntAt(1, &n16), r.Number(sub, n16);
    r.Text(stop, TextAt(s, 2, a_));
    r.Text(name, TextAt(s, 3, a_));
    r.Text(place, TextAt(s, 4, a_));
    s.GetFieldLongAt(5, &n32), r.Number(distance, n32);
    // The empty time mark -1 is written as 0000; every other time as it stands.
    s.GetFieldIntAt(6, &n16), r.Number(arrival, n16 == -1 ? 0 : n16);
    s.GetFieldIntAt(7, &n16), r.Number(departure, n16 == -1 ? 0 : n16);
    s.GetFieldIntAt(8, &n16), r.Flag(primary, n16 != 0);
    s.GetFieldIntAt(9, &n16), r.Flag(optional, n16 != 0);
    s.GetFieldIntAt(10, &n16), r.Flag(passing, n16 != 0);
    Line(kTripStopsFile, r);
  }
  return Close(kTripStopsFile, &s);
}

bool ExportRun::Periods() {
  DbSelect s(o_.db);
  s.SetColumns("period.id, period.inizio, period.fine, period.caden, period.escluso");
  if (o_.kind == ExportKind::Renumbered || o_.anyAuthority) {
    s.SetFrom("period");
  } else {
    s.SetFrom("period, tescor");
    s.SetWhere(Authority("tescor.ente") + " AND period.id = tescor.id");
  }
  // The periods of one trip in the order of their key: start, then end.
  s.SetOrderBy("period.id, period.inizio, period.fine");
  if (!Open(kPeriodsFile, s)) return false;
  ExportRecord r(PeriodLayout());
  const FieldDef &company = r.FieldOf("azienda"), &idField = r.FieldOf("id"), &dayType = r.FieldOf("caden"),
                 &start = r.FieldOf("inizio"), &end = r.FieldOf("fine"), &excluded = r.FieldOf("escluso");
  const int total = s.RowCount();
  const int first = DateKey(o_.rangeStart), last = DateKey(o_.rangeEnd);
  int done = 0;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(++done, total);
    long stored = 0, id = 0;
    s.GetFieldLongAt(0, &stored);
    s.GetFieldTextAt(1, a_);
    s.GetFieldTextAt(2, b_);
    const std::string_view code = TextAt(s, 3, c_);
    int flag = 0;
    s.GetFieldIntAt(4, &flag);
    r.Reset();
    if (o_.kind == ExportKind::DateRange) {
      // Clipped to the range; kept when its day type runs on a date of what is left.
      const int from = std::max(DateKeyOfText(a_), first), to = std::min(DateKeyOfText(b_), last);
      if (from > to || !calendar_.HasDateInRange(code, from, to)) continue;
      calendar_.AddTrip(static_cast<std::int32_t>(stored));
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
    }
    r.Number(company, master_.company);
    r.Number(idField, id);
    r.Text(dayType, code);
    r.Flag(excluded, flag != 0);
    Line(kPeriodsFile, r);
  }
  return Close(kPeriodsFile);
}

bool ExportRun::DayTypes() {
  DbSelect s(o_.db);
  s.SetColumns("codice, denom");
  s.SetFrom("cadenz");
  s.SetOrderBy("codice");
  if (!Open(kDayTypesFile, s)) return false;
  ExportRecord r(CadenceLayout());
  const FieldDef &company = r.FieldOf("azienda"), &code = r.FieldOf("codice"), &name = r.FieldOf("denom");
  const int total = s.RowCount();
  int done = 0;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(++done, total);
    r.Reset();
    r.Number(company, master_.company);
    r.Text(code, TextAt(s, 0, a_));
    r.Text(name, TextAt(s, 1, a_));
    Line(kDayTypesFile, r);
  }
  return Close(kDayTypesFile);
}

bool ExportRun::Calendar() {
  DbSelect s(o_.db);
  s.SetColumns("data, caden, note");
  s.SetFrom("calend");
  if (o_.kind == ExportKind::DateRange) {
    const DateRecord &a = o_.rangeStart, &b = o_.rangeEnd;
    s.SetWhere("data >= " + SqlDate(a.year, a.month, a.day) + " AND data <= " + SqlDate(b.year, b.month, b.day));
  }
  s.SetOrderBy("data, caden");
  if (!Open(kCalendarFile, s)) return false;
  ExportRecord r(CalendarLayout());
  const FieldDef &company = r.FieldOf("azienda"), &date = r.FieldOf("data"), &note = r.FieldOf("note"),
                 &dayType = r.FieldOf("caden");
  const int total = s.RowCount();
  int done = 0;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(++done, total);
    r.Reset();
    r.Number(company, master_.company);
    s.GetFieldTextAt(0, a_);
    r.DisplayDate(date, a_);
    r.Text(note, TextAt(s, 2, b_));
    const std::string_view code = TextAt(s, 1, c_);
    r.Text(dayType, code);
    Line(kCalendarFile, r);
    if (o_.kind == ExportKind::DateRange) calendar_.AddDate(code, FieldBytes(r.Text(), date));
  }
  return Close(kCalendarFile);
}

bool ExportRun::Protocol() {
  if (o_.progress) o_.progress->Begin(std::string("Esportazione dati orari: ") + ExportFileName(kProtocolFile));
  if (!files_.Begin(ExportFileName(kProtocolFile))) return false;
  // Without the master row the file stays empty.
  if (master_.found) {
    result_.counts[kProtocolFile].read = 1;
    ExportRecord r(ProtocolLayout());
    r.Number(r.FieldOf("azienda"), master_.company);
    r.DisplayDate(r.FieldOf("p_data"), master_.sendDate);
    r.Number(r.FieldOf("protoc"), master_.protocol);
    if (o_.kind == ExportKind::DateRange) {
      const DateRecord &a = o_.rangeStart, &b = o_.rangeEnd;
      r.Date(r.FieldOf("datini"), a.year, a.month, a.day);
      r.Date(r.FieldOf("datfin"), b.year, b.month, b.day);
    } else {
      r.DisplayDate(r.FieldOf("datini"), master_.periodStart);
      r.DisplayDate(r.FieldOf("datfin"), master_.periodEnd);
    }
    r.Text(r.FieldOf("resple"), master_.person);
    Line(kProtocolFile, r);
  }
  return Close(kProtocolFile);
}

bool ExportRun::NormalStops() {
  DbSelect s(o_.db);
  s.SetColumns("detcor.fermata, detcor.denom, detcor.ubicaz, local.istat, local.denom");
  s.SetFrom("detcor, local");
  s.SetWhere("detcor.reglocal > 0 AND detcor.reglocal = local.id");
  s.SetGroupBy("detcor.fermata, detcor.denom, detcor.ubicaz, local.istat, local.denom");
  s.SetOrderBy("detcor.denom, detcor.ubicaz, detcor.fermata, local.istat, local.denom");
  if (!Open(kNormalStopsFile, s)) return false;
  files_.WriteLine(kNormalStopsHeader);
  const int total = s.RowCount();
  int done = 0;
  std::string line;
  for (int ok = s.hasRow; ok; ok = s.MoveNext()) {
    Step(++done, total);
    long istat = 0;
    s.GetFieldLongAt(3, &istat);
    line = std::to_string(master_.company);
    for (int k = 0; k < 3; ++k) (line += '\t') += TextAt(s, k, a_);
    line += Format("\t%06ld\t", istat);
    line += TextAt(s, 4, a_);
    files_.WriteLine(line);
    ++result_.counts[kNormalStopsFile].written;
  }
  return Close(kNormalStopsFile);
}

// The regional layout holds trip ids of six digits. Writing a larger one would either lengthen
// its records or, cut to the field, give two trips one id: the export is refused instead.
std::string ExportRun::IdRefusal() const {
  constexpr long kLargestId = 999999;
  DbSelect s(o_.db);
  s.SetColumns("count(*), max(id)");
  s.SetFrom("tescor");
  long count = 0, largest = 0;
  if (!s.Open()) return {};
  s.GetFieldLongAt(0, &count);
  s.GetFieldLongAt(1, &largest);
  if (o_.kind == ExportKind::Renumbered) {
    if (count > 0 && o_.firstId + count - 1 > kLargestId)
      return Format(
          "ATTENZIONE: rinumerando le %ld corse a partire da %ld l'ultimo ID corsa sarebbe %ld,\n"
          "mentre il tracciato regionale ammette ID corsa di sei cifre (al massimo 999999).\n\n"
          "Nessun file è stato scritto: indicare un ID iniziale più basso.",
          count, o_.firstId, o_.firstId + count - 1);
    return {};
  }
  if (largest > kLargestId)
    return Format(
        "ATTENZIONE: alcune corse hanno un ID superiore a 999999 (il più alto è %ld),\n"
        "mentre il tracciato regionale ammette ID corsa di sei cifre.\n\n"
        "Nessun file è stato scritto: usare l'esportazione con rinumerazione.",
        largest);
  return {};
}

ExportResult ExportRun::Run() {
  master_ = ReadMasterHeading(o_.db);
  if (std::string refusal = IdRefusal(); !refusal.empty()) {
    ExportResult refused;
    refused.refusal = std::move(refusal);
    return refused;
  }
  bool ok = true;
  if (o_.kind == ExportKind::DateRange) {
    // The calendar first: it decides which periods, and so which trips, are kept.
    ok = DayTypes() && Calendar() && Periods() && TripHeads() && TripStops();
  } else {
    ok = TripHeads() && TripStops() && Periods() && DayTypes() && Calendar();
  }
  ok = ok && Protocol() && NormalStops() && files_.Commit();
  if (!ok) {
    files_.Abort();
    ExportResult failed;
    failed.failedPath = files_.FailedPath();
    return failed;
  }
  result_.complete = true;
  result_.written = files_.Written();
  if (o_.kind == ExportKind::DateRange) {
    // Both numbers of a line are the lines written.
    for (ExportCount& c : result_.counts) c.read = c.written;
  }
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

MasterHeading ReadMasterHeading(DbDatabase* db) {
  MasterHeading m;
  DbTable master(db, "master");
  if (!master.isOpen || !master.SetIndex("codice") || !master.SeekEqual({"0"})) return m;
  m.found = true;
  std::string text;
  master.GetFieldText("azienda", text);
  m.company = std::atoi(text.c_str());
  master.GetFieldText("p_data", m.sendDate);
  master.GetFieldText("protoc", text);
  m.protocol = std::atol(text.c_str());
  master.GetFieldText("resple", m.person);
  master.GetFieldText("datini", m.periodStart);
  master.GetFieldText("datfin", m.periodEnd);
  return m;
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
