// The imports of the trip files: trip heads (RT_HDORA into `tescor`), their stops (RT_DTORA into
// `detcor`, then each trip's times from its stops) and their validity periods (RT_PERIOD into
// `period`).

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"
#include "db/StoredValueRefusal.h"
#include "exchange/ImportFiles.h"

#include <algorithm>
#include <cstdint>
#include <unordered_set>
#include <vector>

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
const char* const kNumberParagraph =
    "***** il file di testo proposto contiene dei valori NUMERICI illegali.\n"
    "I valori NUMERICI devono essere espressi con sole cifre decimali !!!\n\n";
const char* const kTripIdNotNumeric = "l'ID corsa contiene caratteri non numerici";

std::string UndeclaredTrip(long id) { return Format("ID corsa %06ld non dichiarato in RT_HDORA.TXT", id); }

// ---- RT_HDORA ----------------------------------------------------------------------------------

class TripHeadImport : public ImportEngine {
 public:
  explicit TripHeadImport(const ImportOptions& o)
      : ImportEngine(ImportKind::TripHeads, o, Bit(kLength) | Bit(kNumber)) {}

  std::string BlockingMessage() const override {
    std::string p;
    if (HasFlag(kLength)) p += LengthParagraph();
    if (HasFlag(kNumber)) p += kNumberParagraph;
    return BlockingText(p + FieldParagraphs());
  }

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
    DbSelect select(db_, {.columns = "codice", .from = "regent", .orderBy = "codice"});
    select.SetFaultsToldByCaller(true);
    for (int ok = select.Open(); ok && select.hasRow; ok = select.MoveNext()) {
      int code = 0;
      if (select.GetFieldIntAt(0, &code)) authorities_.insert(code);
      if (select.Faulted()) {
        // The code is the only field: the authority is named without it, the sentence quotes it.
        RefuseStoredValue(StoredValueRefusal("un ente", select.FaultText()));
        return false;
      }
    }
    return true;
  }
  const char* TargetTable() const override { return "tescor"; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line);
    long number = 0;
    CheckNumber(lineNo, line, fId_, kNumber, kTripIdNotNumeric, number);
    for (char c : Cut(line, fAuthority_))
      if (c < '0' || c > '9') Fault(lineNo, 40, kAuthority, "il codice ente contiene caratteri non numerici");
    // Tested only until the first authority fault of the file (so only on a code of four digits).
    if (long authority = 0; !HasFlag(kAuthority) && ReadNumber(fAuthority_, Cut(line, fAuthority_), authority) &&
                            !authorities_.count(static_cast<int>(authority)))
      Fault(lineNo, 40, kAuthority, Format("il codice ente %04ld è illegale", authority));
    for (char c : Cut(line, fContract_))
      if (c < '0' || c > '9') Fault(lineNo, 44, kContract, "il codice contratto contiene caratteri non numerici");
    CheckNumber(lineNo, line, fLength_, kNumber, "la lunghezza contiene caratteri non numerici", number);
    CheckNumber(lineNo, line, fTime_, kNumber, "la durata contiene caratteri non numerici", number);
    CheckNumber(lineNo, line, fContractLength_, kNumber, "la lunghezza contrattuale contiene caratteri non numerici",
                number);
    CheckNumber(lineNo, line, fContractTime_, kNumber, "la durata contrattuale contiene caratteri non numerici",
                number);
  }

  void FindColumns(DbTable& t) override {
    Find(t, {&cId_, &cCode_, &cLine_, &cDirection_, &cRoute_, &cAuthority_, &cContract_, &cLength_, &cTime_,
             &cContractLength_, &cContractTime_, &cName_, &cDeparture_, &cArrival_, &cGroup_});
  }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    const long id = Number(line, fId_);
    // A code that is not four digits is unknown: the authority is reclassified as none (0), the
    // contract zeroed, as the user was told; never the number of its leading digits.
    const long authority = Number(line, fAuthority_);
    BeginRow(t);
    Set(t, cId_, id);
    Set(t, cCode_, TrimRightKeepOne(Cut(line, fCode_)));
    Set(t, cLine_, TrimRightKeepOne(Cut(line, fLine_)));
    Set(t, cDirection_, Cut(line, fDirection_));
    Set(t, cRoute_, TrimRightKeepOne(Cut(line, fRoute_)));
    Set(t, cAuthority_, authorities_.count(static_cast<int>(authority)) ? authority : 0L);
    Set(t, cContract_, Number(line, fContract_));
    Set(t, cLength_, Number(line, fLength_));
    Set(t, cTime_, Number(line, fTime_));
    Set(t, cContractLength_, Number(line, fContractLength_));
    Set(t, cContractTime_, Number(line, fContractTime_));
    // `regcorsa` and `reglinea` stay empty (NULL), as every field of a new row.
    Set(t, cName_, TrimRight(Cut(line, fName_)));
    Set(t, cDeparture_, 0L);
    Set(t, cArrival_, 2359L);
    Set(t, cGroup_, -1L);
    if (StoreRow(t, lineNo)) largestId_ = std::max(largestId_, id);
  }

  // The next trip id: one above the larger of the old one and the largest id stored.
  void AfterLoad() override {
    DbTable master(db_, "master");
    if (!SeekMasterRow(master)) return;
    master.Edit();
    master.SetFieldText("id_corsa", std::to_string(std::max(largestId_, master_.nextTripId) + 1));
    master.Update();
  }

 private:
  std::unordered_set<int> authorities_;
  long largestId_ = 0;
  const FieldDef &fId_ = LayoutField("id"), &fCode_ = LayoutField("codcorsa"), &fAuthority_ = LayoutField("ente"),
                 &fContract_ = LayoutField("contratt"), &fLength_ = LayoutField("lung"), &fTime_ = LayoutField("tempo"),
                 &fContractLength_ = LayoutField("ct_lung"), &fContractTime_ = LayoutField("ct_tempo"),
                 &fLine_ = LayoutField("codlinea"), &fDirection_ = LayoutField("verso"),
                 &fRoute_ = LayoutField("codperc"), &fName_ = LayoutField("denom");
  Column cId_{"id"}, cCode_{"codcorsa"}, cLine_{"codlinea"}, cDirection_{"verso"}, cRoute_{"codperc"},
      cAuthority_{"ente"}, cContract_{"contratt"}, cLength_{"lung"}, cTime_{"tempo"}, cContractLength_{"ct_lung"},
      cContractTime_{"ct_tempo"}, cName_{"denom"}, cDeparture_{"parte"}, cArrival_{"arriva"}, cGroup_{"gruppo"};
};

// ---- RT_DTORA ----------------------------------------------------------------------------------

class TripDetailImport : public ImportEngine {
 public:
  explicit TripDetailImport(const ImportOptions& o)
      : ImportEngine(ImportKind::TripDetails, o, Bit(kLength) | Bit(kTime) | Bit(kNumber)) {}

  std::string BlockingMessage() const override {
    std::string p;
    if (HasFlag(kLength)) p += LengthParagraph();
    if (HasFlag(kTime))
      p += "***** il file di testo proposto contiene dei valori ORARIO illegali.\n"
           "I valori ORARIO devono essere espressi nel formato HHMM !!!\n\n";
    if (HasFlag(kNumber)) p += kNumberParagraph;
    return BlockingText(p + FieldParagraphs());
  }

  std::string RemediableMessage() const override {
    std::string p;
    if (HasFlag(kCompany))
      p += CompanyParagraph("***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n");
    if (HasFlag(kUndeclared)) p += UndeclaredTripParagraph("alcuni dettagli corsa");
    return RemediableText(p);
  }

 protected:
  bool LoadReferences() override { return LoadTripIds("dei Teste Corsa", "dei Dettagli Corsa"); }
  const char* TargetTable() const override { return "detcor"; }
  bool SetsIndexesAside() const override { return true; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line);
    // A trip id that is no number names no trip of `tescor`: the line is left out like those of
    // undeclared trips.
    long id = 0;
    if (CheckNumber(lineNo, line, fId_, kUndeclared, kTripIdNotNumeric, id) && !IsTrip(id))
      Fault(lineNo, 4, kUndeclared, UndeclaredTrip(id));
    long number = 0;
    CheckNumber(lineNo, line, fSub_, kNumber, "il numero progressivo della fermata contiene caratteri non numerici",
                number);
    CheckNumber(lineNo, line, fDistance_, kNumber, "la distanza progressiva contiene caratteri non numerici", number);
    CheckTime(lineNo, 128, Cut(line, fArrival_));
    CheckTime(lineNo, 132, Cut(line, fDeparture_));
  }

  void FindColumns(DbTable& t) override {
    Find(t, {&cId_, &cSub_, &cStop_, &cName_, &cPlace_, &cDistance_, &cArrival_, &cDeparture_, &cPrimary_, &cOptional_,
             &cPassing_, &cLocality_});
  }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    long id = 0;
    // The stops of undeclared trips are left out, as the user was told.
    if (!ReadNumber(fId_, Cut(line, fId_), id) || !IsTrip(id)) return;
    BeginRow(t);
    Set(t, cId_, id);
    Set(t, cSub_, Number(line, fSub_));
    Set(t, cStop_, TrimRight(Cut(line, fStop_)));
    Set(t, cName_, TrimRight(Cut(line, fName_)));
    Set(t, cPlace_, TrimRight(Cut(line, fPlace_)));
    Set(t, cDistance_, Number(line, fDistance_));
    Set(t, cArrival_, TimeOf(Cut(line, fArrival_)));
    Set(t, cDeparture_, TimeOf(Cut(line, fDeparture_)));
    Set(t, cPrimary_, Cut(line, fPrimary_)[0] == '1' ? 1L : 0L);
    Set(t, cOptional_, Cut(line, fOptional_)[0] == '1' ? 1L : 0L);
    Set(t, cPassing_, Cut(line, fPassing_)[0] == '1' ? 1L : 0L);
    // `regferma` and `regarea` stay empty (NULL), as every field of a new row.
    Set(t, cLocality_, 0L);
    StoreRow(t, lineNo);
  }

  // Every trip with stops takes its departure from its first stop and its arrival from its last:
  // two lookups by the key of `detcor` per trip, so that neither the time nor the memory grows
  // with the stops of a trip.
  void AfterLoad() override {
    struct Times {
      std::int32_t id;
      std::int16_t departure, arrival;
    };
    std::vector<Times> times;
    {
      DbSelect select(db_);
      select.SetStreaming(true);
      select.SetColumns(
          "t.id, (SELECT d.parte FROM detcor d WHERE d.id = t.id ORDER BY d.sub LIMIT 1), "
          "(SELECT d.arriva FROM detcor d WHERE d.id = t.id ORDER BY d.sub DESC LIMIT 1)");
      select.SetFrom("tescor t");
      select.SetOrderBy("t.id");
      select.SetFaultsToldByCaller(true);
      for (bool more = select.Open(); more; more = select.MoveNext()) {
        long id = 0;
        int departure = 0, arrival = 0;
        // A trip without stops has no first departure (the field is required in every stop).
        const bool head = select.GetFieldLongAt(0, &id) && select.GetFieldIntAt(1, &departure);
        if (head) select.GetFieldIntAt(2, &arrival);
        if (select.Faulted()) {
          const int at = select.Fault().position;
          const std::string row = at == 0   ? TripRowName({})
                                  : at == 1 ? Format("corsa %ld, prima fermata", id)
                                            : Format("corsa %ld, ultima fermata", id);
          RefuseStoredValue(StoredValueRefusal(row, select.FaultText(at == 2 ? "arriva" : at == 1 ? "parte" : "id")));
          return;
        }
        if (!head) continue;
        times.push_back(
            {static_cast<std::int32_t>(id), static_cast<std::int16_t>(departure), static_cast<std::int16_t>(arrival)});
      }
    }
    DbTable heads(db_, "tescor");
    if (!heads.isOpen || !heads.SetIndex("codice")) return;
    const int departureAt = heads.FieldIndex("parte"), arrivalAt = heads.FieldIndex("arriva");
    if (options_.progress) options_.progress->Begin({});
    long done = 0;
    for (const Times& trip : times) {
      if (db_->TransactionLost()) break;
      if (options_.progress) options_.progress->Step(++done, static_cast<long>(times.size()));
      const std::string key = std::to_string(trip.id);
      if (!heads.SeekEqual({key.c_str()})) continue;
      heads.Edit();
      heads.SetFieldNumberAt(departureAt, trip.departure);
      heads.SetFieldNumberAt(arrivalAt, trip.arrival);
      heads.Update();
    }
  }

 private:
  // A HHMM field that pass 1 found right: its four digits as a number (0730 is 730, 9999 stays).
  static long TimeOf(std::string_view time) {
    return (time[0] - '0') * 1000L + (time[1] - '0') * 100L + (time[2] - '0') * 10L + (time[3] - '0');
  }

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

  const FieldDef &fId_ = LayoutField("id"), &fSub_ = LayoutField("sub"), &fStop_ = LayoutField("fermata"),
                 &fName_ = LayoutField("denom"), &fPlace_ = LayoutField("ubicaz"), &fDistance_ = LayoutField("dist"),
                 &fArrival_ = LayoutField("arriva"), &fDeparture_ = LayoutField("parte"),
                 &fPrimary_ = LayoutField("primaria"), &fOptional_ = LayoutField("facolt"),
                 &fPassing_ = LayoutField("nonferma");
  Column cId_{"id"}, cSub_{"sub"}, cStop_{"fermata"}, cName_{"denom"}, cPlace_{"ubicaz"}, cDistance_{"dist"},
      cArrival_{"arriva"}, cDeparture_{"parte"}, cPrimary_{"primaria"}, cOptional_{"facolt"}, cPassing_{"nonferma"},
      cLocality_{"reglocal"};
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
    return BlockingText(p + FieldParagraphs());
  }

  std::string RemediableMessage() const override {
    std::string p;
    if (HasFlag(kCompany))
      p += CompanyParagraph("4***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n");
    if (HasFlag(kPeriod))
      p += "***** alcune date del calendario non rientrano nel periodo dichiarato.\n"
           "E' comunque possibile proseguire ignorando o aggiustando le date fuori periodo.\n\n";
    if (HasFlag(kUndeclared)) p += UndeclaredTripParagraph("alcuni periodi di validità");
    return RemediableText(p);
  }

 protected:
  bool LoadReferences() override {
    return LoadTripIds("delle Teste Corsa", "dei Periodi di Validità Corsa") &&
           LoadDayTypes("dei Periodi di Validità Corsa");
  }
  const char* TargetTable() const override { return "period"; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line);
    long id = 0;
    if (CheckNumber(lineNo, line, fId_, kUndeclared, kTripIdNotNumeric, id) && !IsTrip(id))
      Fault(lineNo, 4, kUndeclared, UndeclaredTrip(id));
    // A code with a control byte is a fault of its own (and would not show in the report).
    const std::string code(TrimRight(Cut(line, fDayType_)));
    if (!HasControl(line, fDayType_) && !IsDayType(code))
      Fault(lineNo, 10, kDayType, Format("cadenza \"%-4s\" non dichiarata in RT_CADEN.TXT", code.c_str()));
    const bool period = master_.periodValid;
    DateRecord start, end;
    const bool startOk = ParseExchangeDate(Cut(line, fStart_), start);
    if (!startOk) DateFault(lineNo, 20);
    // The tests below stop once an invalid date has been met (this line's start included).
    const bool open = !invalidDateSeen_;
    if (open && startOk && period && DateKey(start) < master_.periodStart) Fault(lineNo, 20, kPeriod, kOutOfPeriod);
    if (open && startOk && period && DateKey(start) > master_.periodEnd) Fault(lineNo, 20, kPeriod, kOutOfPeriod);
    const bool endOk = ParseExchangeDate(Cut(line, fEnd_), end);
    if (!endOk) DateFault(lineNo, 28);
    if (endOk && period && DateKey(end) < master_.periodStart) Fault(lineNo, 28, kPeriod, kOutOfPeriod);
    if (open && endOk && period && DateKey(end) > master_.periodEnd) Fault(lineNo, 28, kPeriod, kOutOfPeriod);
    if (open && startOk && endOk && DateKey(start) > DateKey(end))
      Fault(lineNo, 28, kInverted, "data fine periodo antecedente data inizio periodo");
  }

  void FindColumns(DbTable& t) override { Find(t, {&cId_, &cDayType_, &cStart_, &cEnd_, &cExcluded_}); }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    long id = 0;
    DateRecord start, end;
    if (!ReadNumber(fId_, Cut(line, fId_), id) || !IsTrip(id) || !ParseExchangeDate(Cut(line, fStart_), start) ||
        !ParseExchangeDate(Cut(line, fEnd_), end))
      return;
    // Clipped to the reporting period; a period wholly outside it is left out.
    if (master_.periodValid) {
      if (DateKey(start) < master_.periodStart) start = master_.start;
      if (DateKey(end) > master_.periodEnd) end = master_.end;
      if (DateKey(start) > master_.periodEnd || DateKey(end) < master_.periodStart) return;
    }
    BeginRow(t);
    Set(t, cId_, id);
    Set(t, cDayType_, TrimRight(Cut(line, fDayType_)));
    Set(t, cStart_, DdMmYyyy(start));
    Set(t, cEnd_, DdMmYyyy(end));
    Set(t, cExcluded_, Cut(line, fExcluded_)[0] == '1' ? 1L : 0L);
    StoreRow(t, lineNo);
  }

 private:
  void DateFault(int lineNo, int offset) {
    invalidDateSeen_ = true;
    Fault(lineNo, offset, kDate, kIllegalDate);
  }

  const FieldDef &fId_ = LayoutField("id"), &fDayType_ = LayoutField("caden"), &fStart_ = LayoutField("inizio"),
                 &fEnd_ = LayoutField("fine"), &fExcluded_ = LayoutField("escluso");
  Column cId_{"id"}, cDayType_{"caden"}, cStart_{"inizio"}, cEnd_{"fine"}, cExcluded_{"escluso"};
};

}  // namespace

std::unique_ptr<ImportEngine> MakeTripHeadImport(const ImportOptions& o) { return std::make_unique<TripHeadImport>(o); }
std::unique_ptr<ImportEngine> MakeTripDetailImport(const ImportOptions& o) {
  return std::make_unique<TripDetailImport>(o);
}
std::unique_ptr<ImportEngine> MakePeriodImport(const ImportOptions& o) { return std::make_unique<PeriodImport>(o); }
