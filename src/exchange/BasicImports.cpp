// The imports of the three files without trips: the protocol (RT_PROTO into `master`), the day
// types (RT_CADEN into `cadenz`) and the service calendar (RT_CALEN into `calend`).

#include "common/CalendarDays.h"
#include "db/DbTable.h"
#include "exchange/ImportFiles.h"

namespace {

constexpr unsigned Bit(int flag) { return 1u << flag; }

const char* const kLayoutFault =
    "ATTENZIONE: il file di testo proposto per l'importazione non risulta corrispondere\n"
    "alle specifiche stabilite dalla Regione Toscana.\n\n"
    "L'acquisizione dati risulta quindi impossibile.\n\n"
    "Vuoi salvare il report analitico degli errori ?";
const char* const kCompanyQuestion =
    "ATTENZIONE: il Codice Regionale Azienda indicato nel file di testo è incoerente\n"
    "oppure non corrisponde a quello dell'Azienda.\n\n"
    "Proseguo comunque?";
const char* const kIllegalDate = "data in formato illegale";
const char* const kOutOfPeriod = "data calendario non compresa nel periodo della comunicazione";

// ---- RT_PROTO ----------------------------------------------------------------------------------

class ProtocolImport : public ImportEngine {
 public:
  explicit ProtocolImport(const ImportOptions& o)
      : ImportEngine(ImportKind::Protocol, o,
                     Bit(kLength) | Bit(kCompanyDigits) | Bit(kDate) | Bit(kInverted) | Bit(kProtocolNumber)) {}

  std::string BlockingMessage() const override { return kLayoutFault; }
  std::string RemediableMessage() const override { return kCompanyQuestion; }

 protected:
  bool ReportsUndeclaredCompany() const override { return false; }
  std::string LengthFault(int length) const override {
    return Format("Lunghezza riga %d [deve essere %d]", length, layout_.length);
  }
  const char* TargetTable() const override { return "master"; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line, kCompanyDigits);
    DateRecord sent, start, end;
    const bool sentOk = ParseExchangeDate(Cut(line, fSent_), sent);
    if (!sentOk) DateFault(lineNo, 4);
    const bool startOk = ParseExchangeDate(Cut(line, fStart_), start);
    if (!startOk) DateFault(lineNo, 18);
    const bool endOk = ParseExchangeDate(Cut(line, fEnd_), end);
    if (!endOk) DateFault(lineNo, 26);
    if (endOk && !invalidDateSeen_ && DateKey(end) < DateKey(start))
      Fault(lineNo, -1, kInverted, "data fine periodo antecedente data inizio periodo");
    long number = 0;
    CheckNumber(lineNo, line, fNumber_, kProtocolNumber, "il Protocollo contiene caratteri non numerici", number);
  }

  void FindColumns(DbTable& t) override { Find(t, {&cCompany_, &cSent_, &cNumber_, &cStart_, &cPerson_, &cEnd_}); }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    if (!t.SeekEqual({"0"})) return;
    DateRecord sent, start, end;
    ParseExchangeDate(Cut(line, fSent_), sent);
    ParseExchangeDate(Cut(line, fStart_), start);
    ParseExchangeDate(Cut(line, fEnd_), end);
    BeginEdit(t);
    Set(t, cCompany_, Cut(line, fCompany_));
    Set(t, cSent_, DdMmYyyy(sent));
    Set(t, cNumber_, Cut(line, fNumber_));
    Set(t, cStart_, DdMmYyyy(start));
    Set(t, cPerson_, Cut(line, fPerson_));
    Set(t, cEnd_, DdMmYyyy(end));
    StoreRow(t, lineNo);
  }

 private:
  void DateFault(int lineNo, int offset) {
    invalidDateSeen_ = true;
    Fault(lineNo, offset, kDate, kIllegalDate);
  }

  const FieldDef &fCompany_ = LayoutField("azienda"), &fSent_ = LayoutField("p_data"),
                 &fNumber_ = LayoutField("protoc"), &fStart_ = LayoutField("datini"), &fEnd_ = LayoutField("datfin"),
                 &fPerson_ = LayoutField("resple");
  Column cCompany_{"azienda"}, cSent_{"p_data"}, cNumber_{"protoc"}, cStart_{"datini"}, cPerson_{"resple"},
      cEnd_{"datfin"};
};

// ---- RT_CADEN ----------------------------------------------------------------------------------

class CadenceImport : public ImportEngine {
 public:
  explicit CadenceImport(const ImportOptions& o) : ImportEngine(ImportKind::Cadences, o, Bit(kLength)) {}

  std::string BlockingMessage() const override { return kLayoutFault; }
  std::string RemediableMessage() const override { return kCompanyQuestion; }

 protected:
  const char* TargetTable() const override { return "cadenz"; }

  // The company code is only compared here: one that is not four digits is another company's.
  void CheckLine(int lineNo, std::string_view line) override { CheckCompanyChange(lineNo, line); }

  void FindColumns(DbTable& t) override { Find(t, {&cCode_, &cName_}); }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    BeginRow(t);
    Set(t, cCode_, Cut(line, fCode_));
    Set(t, cName_, Cut(line, fName_));
    StoreRow(t, lineNo);
  }

 private:
  const FieldDef &fCode_ = LayoutField("codice"), &fName_ = LayoutField("denom");
  Column cCode_{"codice"}, cName_{"denom"};
};

// ---- RT_CALEN ----------------------------------------------------------------------------------

class CalendarImport : public ImportEngine {
 public:
  explicit CalendarImport(const ImportOptions& o)
      : ImportEngine(ImportKind::Calendar, o, Bit(kLength) | Bit(kDate) | Bit(kDayType)) {}

  std::string BlockingMessage() const override {
    std::string p;
    if (HasFlag(kLength)) p += LengthParagraph();
    if (HasFlag(kDate))
      p += "***** il file di testo proposto contiene dei valori DATA illegali.\n"
           "I valori DATA devono essere espressi nel formato AAAAMMGG !!!\n\n";
    if (HasFlag(kDayType))
      p += "***** il file di testo proposto contiene dei CODICI CADENZA che risultano\n"
           "sconosciuti (violazione dell'integrità referenziale) !!!\n\n";
    return BlockingText(p + FieldParagraphs());
  }

  std::string RemediableMessage() const override {
    std::string p;
    if (HasFlag(kCompany))
      p += CompanyParagraph("1***** il Codice Regionale Azienda indicato nel file di testo è incoerente\n");
    if (HasFlag(kPeriod))
      p += "***** alcune date del calendario non rientrano nel periodo dichiarato.\n"
           "E' comunque possibile proseguire ignorando le date fuori periodo.\n\n";
    return RemediableText(p);
  }

 protected:
  bool LoadReferences() override { return LoadDayTypes("del Calendario"); }
  std::string LengthFault(int length) const override {
    return Format("Lunghezza riga %d [deve essere %d]", length, layout_.length);
  }
  const char* TargetTable() const override { return "calend"; }

  void CheckLine(int lineNo, std::string_view line) override {
    CheckCompanyChange(lineNo, line);
    DateRecord date;
    if (!ParseExchangeDate(Cut(line, fDate_), date)) {
      invalidDateSeen_ = true;
      Fault(lineNo, 4, kDate, kIllegalDate);
    } else if (!invalidDateSeen_ && master_.periodValid) {
      if (DateKey(date) < master_.periodStart) Fault(lineNo, 4, kPeriod, kOutOfPeriod);
      if (DateKey(date) > master_.periodEnd) Fault(lineNo, 4, kPeriod, kOutOfPeriod);
    }
    // A code with a control byte is a fault of its own (and would not show in the report).
    const std::string code(TrimRight(Cut(line, fDayType_)));
    if (!HasControl(line, fDayType_) && !IsDayType(code))
      Fault(lineNo, 32, kDayType, Format("cadenza \"%-4s\" non dichiarata in RT_CADEN.TXT", code.c_str()));
  }

  void FindColumns(DbTable& t) override { Find(t, {&cDate_, &cDayType_, &cWeekday_, &cNote_}); }

  void LoadLine(DbTable& t, int lineNo, std::string_view line) override {
    DateRecord date;
    if (!ParseExchangeDate(Cut(line, fDate_), date)) return;
    // Dates outside the reporting period are left out, as the user was told.
    if (master_.periodValid && (DateKey(date) < master_.periodStart || DateKey(date) > master_.periodEnd)) return;
    BeginRow(t);
    Set(t, cDate_, DdMmYyyy(date));
    Set(t, cDayType_, Cut(line, fDayType_));
    Set(t, cWeekday_, std::string(1, WeekdayDigit(ToQDate(date))));
    Set(t, cNote_, Cut(line, fNote_));
    StoreRow(t, lineNo);
  }

 private:
  const FieldDef &fDate_ = LayoutField("data"), &fNote_ = LayoutField("note"), &fDayType_ = LayoutField("caden");
  Column cDate_{"data"}, cDayType_{"caden"}, cWeekday_{"giorno"}, cNote_{"note"};
};

}  // namespace

std::unique_ptr<ImportEngine> MakeProtocolImport(const ImportOptions& o) { return std::make_unique<ProtocolImport>(o); }
std::unique_ptr<ImportEngine> MakeCadenceImport(const ImportOptions& o) { return std::make_unique<CadenceImport>(o); }
std::unique_ptr<ImportEngine> MakeCalendarImport(const ImportOptions& o) { return std::make_unique<CalendarImport>(o); }
