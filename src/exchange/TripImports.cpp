// The imports of the trip files: trip heads (RT_HDORA into `tescor`), their stops (RT_DTORA into
// `detcor`, then each trip's times from its stops) and their validity periods (RT_PERIOD into
// `period`).

#include "common/WorkProgress.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "exchange/ImportFiles.h"

#include <algorithm>
#include <unordered_set>

namespace {

constexpr unsigned Bit(int flag) { return 1u << flag; }

const char* const kIllegalDate = "data in formato illegale";
const char* const kOutOfPeriod = "data calendario non compresa nel periodo della comunicazione";
const char* const kDateParagraph =
    "***** il file di testo proposto contiene dei valori DATA illegali.\n"
    "I valori DATA devono essere espressi nel formato AAAAMMGG !!!\n\n";
const char* const kDayTypeParagraph =
    "***** il file di testo proposto contiene dei CODICI CADENZA che risultano\n"
    "sconosciuti (violazione dell'integrità referenziale) !!!\n\n";

std::string UndeclaredTrip(long id) { return Format("ID corsa %06ld non dichiarato in RT_HDORA.TXT", id); }

// ---- RT_HDORA ----------------------------------------------------------------------------------

class TripHeadImport : public ImportEngine {
 public:
  explicit TripHeadImport(const ImportOptions& o) : ImportEngine(ImportKind::TripHeads, o, Bit(kLength)) {}

  std::string BlockingMessage() const override { return BlockingText(HasFlag(kLength) ? LengthParagraph() : ""); }

  std::string RemediableMessage() const override {
    std::string p;
    if (HasFlag(kCompany))
      p += CompanyParagraph("****** il Codice Regionale Azienda indicato nel file di testo è incoerente\n");
    if (HasFlag(kAuthority))
      p += "***** alcuni Codici Enti Concedenti risultano sconosciuti.\n"
           "L'acquisizione dei dati può comunque essere portata a buon fine, ma i codici\n"
           "sconosciuti verranno automaticamente riclassificati.\n\n";
    if (HasFlag(kContract))
      p += "***** alcuni Codici Contratto non sono numerici.\n"
           "L'acquisizione dei dati può comunque essere portata a buon fine, ma i codici\n"
           "verranno automaticamente azzerati.\n\n";
    return RemediableText(p);
  }

 protected:
  // The granting authorities; none is no reason to stop (no code is then found).
  bool LoadReferences() override {
    DbSelect select(db_);
    select.SetColumns("codice, denom");
    select.SetFrom("regent");
    select.SetOrderBy("codice");
    for (int ok = select.Open(); ok && select.hasRow; ok = select.MoveNext()) {
      int code = 0;
      if (select.GetFieldIntAt(0, &code)) authorities_.insert(code);
    }
    return true;
  }
  const char* TargetTable() const override { return "tescor"; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line);
    const std::string_view authority = Field(line, "ente");
    for (char c : authority)
      if (c < '0' || c > '9') Fault(lineNo, 40, kAuthority, "il codice ente contiene caratteri non numerici");
    // Tested only until the first authority fault of the file.
    if (!HasFlag(kAuthority) && !authorities_.count(FieldNumber(authority)))
      Fault(lineNo, 40, kAuthority, Format("il codice ente %04d è illegale", FieldNumber(authority)));
    for (char c : Field(line, "contratt"))
      if (c < '0' || c > '9') Fault(lineNo, 44, kContract, "il codice contratto contiene caratteri non numerici");
  }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    const long id = FieldNumber(Field(line, "id"));
    const int authority = FieldNumber(Field(line, "ente"));
    BeginRow(t);
    Set(t, "id", id);
    Set(t, "codcorsa", TrimRightKeepOne(Field(line, "codcorsa")));
    Set(t, "codlinea", TrimRightKeepOne(Field(line, "codlinea")));
    Set(t, "verso", Field(line, "verso"));
    Set(t, "codperc", TrimRightKeepOne(Field(line, "codperc")));
    Set(t, "ente", authorities_.count(authority) ? static_cast<long>(authority) : 0L);
    Set(t, "contratt", static_cast<long>(FieldNumber(Field(line, "contratt"))));
    Set(t, "lung", static_cast<long>(FieldNumber(Field(line, "lung"))));
    Set(t, "tempo", static_cast<long>(FieldNumber(Field(line, "tempo"))));
    Set(t, "ct_lung", static_cast<long>(FieldNumber(Field(line, "ct_lung"))));
    Set(t, "ct_tempo", static_cast<long>(FieldNumber(Field(line, "ct_tempo"))));
    Set(t, "regcorsa", "");
    Set(t, "reglinea", "");
    Set(t, "denom", TrimRight(Field(line, "denom")));
    Set(t, "parte", "0");
    Set(t, "arriva", "2359");
    Set(t, "gruppo", "-1");
    if (StoreRow(t, lineNo)) largestId_ = std::max(largestId_, id);
  }

  // The next trip id: one above the larger of the old one and the largest id stored.
  void AfterLoad() override {
    DbTable master(db_, "master");
    if (!master.isOpen || !master.SetIndex("codice") || !master.SeekEqual({"0"})) return;
    master.Edit();
    master.SetFieldText("id_corsa", std::to_string(std::max(largestId_, master_.nextTripId) + 1));
    master.Update();
  }

 private:
  std::unordered_set<int> authorities_;
  long largestId_ = 0;
};

// ---- RT_DTORA ----------------------------------------------------------------------------------

class TripDetailImport : public ImportEngine {
 public:
  explicit TripDetailImport(const ImportOptions& o)
      : ImportEngine(ImportKind::TripDetails, o, Bit(kLength) | Bit(kTime)) {}

  std::string BlockingMessage() const override {
    std::string p;
    if (HasFlag(kLength)) p += LengthParagraph();
    if (HasFlag(kTime))
      p += "***** il file di testo proposto contiene dei valori ORARIO illegali.\n"
           "I valori ORARIO devono essere espressi nel formato HHMM !!!\n\n";
    return BlockingText(p);
  }

  std::string RemediableMessage() const override {
    std::string p;
    if (HasFlag(kCompany))
      p += CompanyParagraph("***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n");
    if (HasFlag(kUndeclared))
      p += "***** alcuni dettagli corsa si riferiscono a corse inesistenti.\n"
           "E' comunque possibile proseguire ignorandoli.\n\n";
    return RemediableText(p);
  }

 protected:
  bool LoadReferences() override {
    return LoadTripIds(
        "ATTENZIONE: non è stata estratta neppure una Testa Corsa registrata.\n\n"
        "Presumibilmente l'importazione dei Teste Corsa non è stata ancora effettuata.\n\n"
        "Occorre effettuare l'importazione delle Teste Corsa prima di potere procedere con\n"
        "l'importazione dei Dettagli Corsa.");
  }
  const char* TargetTable() const override { return "detcor"; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line);
    const long id = FieldNumber(Field(line, "id"));
    if (!IsTrip(id)) Fault(lineNo, 4, kUndeclared, UndeclaredTrip(id));
    CheckTime(lineNo, 128, Field(line, "arriva"));
    CheckTime(lineNo, 132, Field(line, "parte"));
  }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    const long id = FieldNumber(Field(line, "id"));
    // The stops of undeclared trips are left out, as the user was told.
    if (!IsTrip(id)) return;
    BeginRow(t);
    Set(t, "id", id);
    Set(t, "sub", static_cast<long>(FieldNumber(Field(line, "sub"))));
    Set(t, "fermata", TrimRight(Field(line, "fermata")));
    Set(t, "denom", BlankControlsTrimmed(Field(line, "denom")));
    Set(t, "ubicaz", BlankControlsTrimmed(Field(line, "ubicaz")));
    Set(t, "dist", static_cast<long>(FieldNumber(Field(line, "dist"))));
    Set(t, "arriva", static_cast<long>(FieldNumber(Field(line, "arriva"))));
    Set(t, "parte", static_cast<long>(FieldNumber(Field(line, "parte"))));
    Set(t, "primaria", FlagText(Field(line, "primaria")[0]));
    Set(t, "facolt", FlagText(Field(line, "facolt")[0]));
    Set(t, "nonferma", FlagText(Field(line, "nonferma")[0]));
    Set(t, "regferma", "");
    Set(t, "reglocal", "0");
    Set(t, "regarea", "");
    StoreRow(t, lineNo);
  }

  // Every trip with stops takes its departure from its first stop and its arrival from its last.
  void AfterLoad() override {
    DbSelect select(db_);
    select.SetColumns("id, sub, arriva, parte");
    select.SetFrom("detcor");
    select.SetOrderBy("id, sub");
    if (!select.Open()) return;
    DbTable heads(db_, "tescor");
    if (!heads.isOpen || !heads.SetIndex("codice")) return;
    const long rows = select.RowCount();
    if (options_.progress) options_.progress->Begin({});
    long current = 0, row = 0;
    int departure = 0, arrival = 0;
    const auto finish = [&] {
      const std::string key = std::to_string(current);
      if (!heads.SeekEqual({key.c_str()})) return;
      heads.Edit();
      heads.SetFieldText("parte", std::to_string(departure));
      heads.SetFieldText("arriva", std::to_string(arrival));
      heads.Update();
    };
    for (bool more = select.hasRow; more; more = select.MoveNext()) {
      ++row;
      if (options_.progress) options_.progress->Step(row, rows);
      long id = 0;
      int stopArrival = 0, stopDeparture = 0;
      select.GetFieldLongAt(0, &id);
      select.GetFieldIntAt(2, &stopArrival);
      select.GetFieldIntAt(3, &stopDeparture);
      if (row == 1 || id != current) {
        if (row != 1) finish();
        current = id;
        departure = stopDeparture;
      }
      arrival = stopArrival;
    }
    if (row > 0) finish();
  }

 private:
  // A HHMM field gets the hour fault when it is not four digits, or its hours are 99 without
  // minutes 99, or its hours are neither 99 nor 00-23; and the minute fault, whatever the first
  // test gave, when it is not 9999 and either not four digits or its minutes are above 59.
  void CheckTime(int lineNo, int offset, std::string_view time) {
    const bool digits = AllDigits(time) && time.size() == 4;
    const int hours = digits ? (time[0] - '0') * 10 + (time[1] - '0') : 0;
    const int minutes = digits ? (time[2] - '0') * 10 + (time[3] - '0') : 0;
    if (!digits || (hours == 99 && minutes != 99) || (hours != 99 && hours > 23))
      Fault(lineNo, offset, kTime, "orario espresso in forma illegale");
    if (time != "9999" && (!digits || minutes > 59)) Fault(lineNo, offset, kTime, "orario espresso in forma illegale");
  }
};

// ---- RT_PERIOD ---------------------------------------------------------------------------------

class PeriodImport : public ImportEngine {
 public:
  explicit PeriodImport(const ImportOptions& o)
      : ImportEngine(ImportKind::Periods, o, Bit(kLength) | Bit(kDate) | Bit(kInverted) | Bit(kDayType)) {}

  std::string BlockingMessage() const override {
    std::string p;
    if (HasFlag(kLength)) p += LengthParagraph();
    if (HasFlag(kDate)) p += kDateParagraph;
    if (HasFlag(kInverted))
      p += "***** alcuni periodi di validità presentano la data di inizio e la data di fine\n"
           "invertite, cioè terminano prima di iniziare.\n\n";
    if (HasFlag(kDayType)) p += kDayTypeParagraph;
    return BlockingText(p);
  }

  std::string RemediableMessage() const override {
    std::string p;
    if (HasFlag(kCompany))
      p += CompanyParagraph("4***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n");
    if (HasFlag(kPeriod))
      p += "***** alcune date del calendario non rientrano nel periodo dichiarato.\n"
           "E' comunque possibile proseguire ignorando o aggiustando le date fuori periodo.\n\n";
    if (HasFlag(kUndeclared))
      p += "***** alcuni periodi di validità si riferiscono a corse inesistenti.\n"
           "E' comunque possibile proseguire ignorandoli.\n\n";
    return RemediableText(p);
  }

 protected:
  bool LoadReferences() override {
    return LoadTripIds(
               "ATTENZIONE: non è stata estratta neppure una Testa Corsa registrata.\n\n"
               "Presumibilmente l'importazione delle Teste Corsa non è stata ancora effettuata.\n\n"
               "Occorre effettuare l'importazione delle Teste Corsa prima di potere procedere con\n"
               "l'importazione dei Periodi di Validità Corsa.") &&
           LoadDayTypes(
               "ATTENZIONE: non è stata estratta neppure una cadenza registrata.\n\n"
               "Presumibilmente l'importazione delle Cadenze non è stata ancora effettuata.\n\n"
               "Occorre effettuare l'importazione delle Cadenze prima di potere procedere con\n"
               "l'importazione dei Periodi di Validità Corsa.");
  }
  const char* TargetTable() const override { return "period"; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line);
    const long id = FieldNumber(Field(line, "id"));
    if (!IsTrip(id)) Fault(lineNo, 4, kUndeclared, UndeclaredTrip(id));
    const std::string code(TrimRight(Field(line, "caden")));
    if (!IsDayType(code))
      Fault(lineNo, 10, kDayType, Format("cadenza \"%-4s\" non dichiarata in RT_CADEN.TXT", code.c_str()));
    const bool period = master_.periodValid;
    DateRecord start, end;
    const bool startOk = ParseExchangeDate(Field(line, "inizio"), start);
    if (!startOk) DateFault(lineNo, 20);
    // The tests below stop once an invalid date has been met (this line's start included).
    const bool open = !invalidDateSeen_;
    if (open && startOk && period && DateKey(start) < master_.periodStart) Fault(lineNo, 20, kPeriod, kOutOfPeriod);
    if (open && startOk && period && DateKey(start) > master_.periodEnd) Fault(lineNo, 20, kPeriod, kOutOfPeriod);
    const bool endOk = ParseExchangeDate(Field(line, "fine"), end);
    if (!endOk) DateFault(lineNo, 28);
    if (endOk && period && DateKey(end) < master_.periodStart) Fault(lineNo, 28, kPeriod, kOutOfPeriod);
    if (open && endOk && period && DateKey(end) > master_.periodEnd) Fault(lineNo, 28, kPeriod, kOutOfPeriod);
    if (open && startOk && endOk && DateKey(start) > DateKey(end))
      Fault(lineNo, 28, kInverted, "data fine periodo antecedente data inizio periodo");
  }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    const long id = FieldNumber(Field(line, "id"));
    DateRecord start, end;
    if (!IsTrip(id) || !ParseExchangeDate(Field(line, "inizio"), start) || !ParseExchangeDate(Field(line, "fine"), end))
      return;
    // Clipped to the reporting period; a period wholly outside it is left out.
    if (master_.periodValid) {
      if (DateKey(start) < master_.periodStart) start = master_.start;
      if (DateKey(end) > master_.periodEnd) end = master_.end;
      if (DateKey(start) > master_.periodEnd || DateKey(end) < master_.periodStart) return;
    }
    BeginRow(t);
    Set(t, "id", id);
    Set(t, "caden", TrimRight(Field(line, "caden")));
    Set(t, "inizio", DdMmYyyy(start));
    Set(t, "fine", DdMmYyyy(end));
    Set(t, "escluso", FlagText(Field(line, "escluso")[0]));
    StoreRow(t, lineNo);
  }

 private:
  void DateFault(int lineNo, int offset) {
    invalidDateSeen_ = true;
    Fault(lineNo, offset, kDate, kIllegalDate);
  }
};

}  // namespace

std::unique_ptr<ImportEngine> MakeTripHeadImport(const ImportOptions& o) { return std::make_unique<TripHeadImport>(o); }
std::unique_ptr<ImportEngine> MakeTripDetailImport(const ImportOptions& o) {
  return std::make_unique<TripDetailImport>(o);
}
std::unique_ptr<ImportEngine> MakePeriodImport(const ImportOptions& o) { return std::make_unique<PeriodImport>(o); }
