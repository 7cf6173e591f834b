#include "exchange/ImportEngine.h"

#include "common/CalendarDays.h"
#include "common/InputFile.h"
#include "common/Notices.h"
#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbIndexesAside.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"
#include "db/TextKeys.h"
#include "exchange/ImportFiles.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

const ImportDescriptor kDescriptors[] = {
    {ImportKind::Protocol, 5109, "Importazione Protocollo Comunicazione Orari", "Importazione Protocollo",
     "Risultati dell'importazione Protocollo:\n\n", "L'importazione del Protocollo ha avuto termine con successo.",
     "Si sono verificati problemi durante l'importazione del Protocollo.", ProtocolLayout},
    {ImportKind::Cadences, 5110, "Importazione Dati Cadenze", "Importazione Cadenze",
     "Risultati dell'importazione Cadenze:\n\n", "L'importazione delle Cadenze ha avuto termine con successo.",
     "Si sono verificati problemi durante l'importazione delle Cadenze.", CadenceLayout},
    {ImportKind::Calendar, 5111, "Importazione Dati Calendario", "Importazione Calendario",
     "Risultati dell'importazione Calendario:\n\n", "L'importazione del Calendario ha avuto termine con successo.",
     "Si sono verificati problemi durante l'importazione del Calendario.", CalendarLayout},
    {ImportKind::TripHeads, 5112, "Importazione Dati Testa Corsa", "Importazione Teste Corsa",
     "Risultati dell'importazione Testa Corsa:\n\n", "L'importazione delle Testa Corsa ha avuto termine con successo.",
     "Si sono verificati problemi durante l'importazione delle Testa Corsa.", TripHeadLayout},
    {ImportKind::TripDetails, 5113, "Importazione Dati Dettaglio Corsa", "Importazione Orari Corsa",
     "Risultati dell'importazione Dettagli Corsa:\n\n",
     "L'importazione dei Dettagli Corsa ha avuto termine con successo.",
     "Si sono verificati problemi durante l'importazione dei Dettagli Corsa.", TripDetailLayout},
    {ImportKind::Periods, 5114, "Importazione Dati Periodi Validità Corse", "Importazione Periodi Effettuazione Corse",
     "Risultati dell'importazione Periodi Validità Corse:\n\n",
     "L'importazione dei Periodi Validità ha avuto termine con successo.",
     "Si sono verificati problemi durante l'importazione dei Periodi Validità.", PeriodLayout},
};

// The layer's message on one line of the report.
std::string OneLine(const std::string& text) {
  std::string out;
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\n') {
      if (k + 1 < text.size() && text[k + 1] == '\n') ++k;
      out += out.empty() || out.back() == ' ' ? "" : ": ";
    } else {
      out.push_back(text[k]);
    }
  }
  return out;
}

}  // namespace

std::string DdMmYyyy(const DateRecord& d) { return Format("%02d/%02d/%04d", d.day, d.month, d.year); }

const ImportDescriptor& DescriptorOf(ImportKind kind) { return kDescriptors[static_cast<int>(kind)]; }

std::unique_ptr<ImportEngine> ImportEngine::Create(ImportKind kind, const ImportOptions& options) {
  switch (kind) {
    case ImportKind::Protocol: return MakeProtocolImport(options);
    case ImportKind::Cadences: return MakeCadenceImport(options);
    case ImportKind::Calendar: return MakeCalendarImport(options);
    case ImportKind::TripHeads: return MakeTripHeadImport(options);
    case ImportKind::TripDetails: return MakeTripDetailImport(options);
    case ImportKind::Periods: return MakePeriodImport(options);
  }
  return nullptr;
}

ImportEngine::ImportEngine(ImportKind kind, const ImportOptions& options, unsigned blockingFlags)
    : db_(options.db),
      options_(options),
      descriptor_(DescriptorOf(kind)),
      layout_(descriptor_.layout()),
      // A flag or a text the layout does not allow blocks every file: no byte is stored but as read.
      blockingMask_(blockingFlags | 1u << kFlag | 1u << kControl) {
  errors_.fileName = options.path;
}

ImportEngine::~ImportEngine() = default;

bool ImportEngine::ReadMaster() {
  // Only what this file needs is read: the protocol, which rewrites the row, is not stopped by a
  // period that is no date.
  const ImportKind kind = descriptor_.kind;
  const bool period = kind == ImportKind::Calendar || kind == ImportKind::Periods;
  const bool nextId = kind == ImportKind::TripHeads;
  std::vector<const char*> fields{"azienda"};
  if (period) fields.insert(fields.end(), {"datini", "datfin"});
  if (nextId) fields.push_back("id_corsa");
  const MasterFields master = ReadMasterFields(db_, fields, Undone::Changes);
  if (!master.found) {
    stopMessage_ = kMissingMasterText;
    return false;
  }
  if (!master.refusal.empty()) {
    RefuseStoredValue(master.refusal);
    return false;
  }
  master_.company = LeadingInt(master.texts[0]);
  if (period) {
    master_.periodValid = ParseDateText10(master.texts[1], master_.start) &&
                          ParseDateText10(master.texts[2], master_.end) && ToQDate(master_.start).isValid() &&
                          ToQDate(master_.end).isValid();
    if (master_.periodValid) {
      master_.periodStart = DateKey(master_.start);
      master_.periodEnd = DateKey(master_.end);
    }
  }
  if (nextId) master_.nextTripId = std::atol(master.texts.back().c_str());
  // The trip heads leave the counter one past the largest id: at the largest it holds, it could
  // not be moved on, and no head is imported.
  if (nextId && master_.nextTripId >= kLargestCounter) {
    RefuseStoredValue(CounterPastItsColumnRefusal("id_corsa", std::int64_t{master_.nextTripId} + 1,
                                                  "nessuna testa corsa può essere importata.", Undone::Changes));
    return false;
  }
  return true;
}

void ImportEngine::RefuseStoredValue(const std::string& refusal) {
  valueRefused_ = true;
  if (outcome_ == ImportOutcome::Loaded)
    loadFailure_ = refusal;
  else
    stopMessage_ = refusal;
}

bool ImportEngine::Check() {
  outcome_ = ImportOutcome::Stopped;
  linesRead_ = -1;
  rowsInserted_ = 0;
  valueRefused_ = false;
  if (!db_ || !db_->isOpen || !ReadMaster()) {
    if (stopMessage_.empty()) stopMessage_ = kMissingMasterText;
    return false;
  }
  if (!LoadReferences()) return false;
  if (!reader_.Open(options_.path)) {
    stopMessage_ = CannotOpenText(options_.path);
    return false;
  }
  const size_t length = static_cast<size_t>(layout_.length);
  int lineNo = 0;
  ExchangeReader::Line line;
  while (reader_.Next(line)) {
    ++lineNo;
    // Only a Ctrl-Z that ends the file ends the text: one inside it is a fault of its line.
    if (const size_t eof = line.text.find('\x1A'); eof != std::string_view::npos) {
      Fault(lineNo, static_cast<int>(eof), kLength, "la riga contiene il carattere di fine file (Ctrl-Z)");
      continue;
    }
    if (line.length != length) {
      Fault(lineNo, -1, kLength, LengthFault(static_cast<int>(line.length)));
      continue;
    }
    CheckLine(lineNo, line.text);
    CheckFields(lineNo, line.text);
  }
  if (reader_.Failed()) {
    stopMessage_ = "Impossibile leggere\n\n" + options_.path;
    return false;
  }
  checkedDigest_ = reader_.Digest();
  linesRead_ = lineNo;
  // The whole import cannot go on without the rows of each of its files.
  if (linesRead_ == 0 && options_.batch) {
    stopMessage_ =
        "ATTENZIONE: il file di testo\n\n" + options_.path + "\n\nè vuoto: non contiene neppure una riga da importare.";
    return false;
  }
  outcome_ = ImportOutcome::Checked;
  // The company of the file against the working company (an empty file counts as -1). A file
  // whose every company code was unreadable has been told so line by line.
  if (!companyChanged_ && (companySeen_ || !companyUnreadable_) && fileCompany_ != master_.company) {
    SetFlag(kCompany);
    if (ReportsUndeclaredCompany())
      errors_.Add(
          linesRead_, 0,
          Format("il codice azienda non è quello dichiarato: %04d diventa %04d", master_.company, fileCompany_));
  }
  return true;
}

::Outcome ImportEngine::StopOutcome() const {
  ::Outcome stopped;
  stopped.Fail(stopMessage_);
  return stopped;
}

::Outcome ImportEngine::LoadOutcome(int shown) const {
  ::Outcome told;
  if (!loadFailure_.empty()) {
    told.Fail(loadFailure_, NoticeIcon::Stop, options_.path);
    return told;
  }
  for (size_t k = 0; k < refused_.size() && static_cast<int>(k) < shown; ++k)
    told.Tell(refused_[k].text, NoticeIcon::Stop);
  told.ok = true;
  return told;
}

Outcome ImportSummary(ImportKind kind, int linesRead, int rowsInserted, bool declined) {
  const ImportDescriptor& descriptor = DescriptorOf(kind);
  // A file that gave no row is never a success, whatever the user answered.
  const bool complete = linesRead > 0 && linesRead == rowsInserted && !declined;
  const std::string text = std::string(descriptor.heading) + Format("Lette %d righe dal file testo.\n", linesRead) +
                           Format("Inserite %d righe nel database.\n\n", rowsInserted) +
                           (complete ? descriptor.success : descriptor.failure);
  Outcome summary;
  if (complete)
    summary.Succeed(text);
  else
    summary.Fail(text);
  return summary;
}

void ImportEngine::Load() {
  outcome_ = ImportOutcome::Loaded;
  rowsInserted_ = 0;
  loadFailure_.clear();
  DbBatch batch(db_);
  if (!batch.Active()) return;  // nothing loaded: the layer has said why
  bool same = reader_.Rewind();
  std::optional<DbIndexesAside> aside;
  if (SetsIndexesAside()) aside.emplace(db_, TargetTable(), linesRead_);
  {
    DbTable target(db_, TargetTable());
    if (target.isOpen) {
      target.SetIndex("codice");
      FindColumns(target);
    }
    if (options_.progress) options_.progress->Begin(descriptor_.caption);
    const size_t length = static_cast<size_t>(layout_.length);
    int lineNo = 0;
    ExchangeReader::Line line;
    // A write that lost the batch's transaction stops the load (its refusal told why).
    while (same && !batch.Lost() && reader_.Next(line)) {
      if (++lineNo > linesRead_) {
        same = false;
        break;
      }
      if (options_.progress) options_.progress->Step(lineNo, linesRead_);
      if (!target.isOpen || line.length != length || line.text.find('\x1A') != std::string_view::npos) continue;
      LoadLine(target, lineNo, line.text);
    }
    rowCollector_.reset();
    same = batch.Lost() || (same && !reader_.Failed() && lineNo == linesRead_ && reader_.Digest() == checkedDigest_);
    if (same && !batch.Lost()) AfterLoad();
    if (options_.progress) options_.progress->End();
  }
  // Nothing is committed without the indexes set aside: a refusal to make them again (a full
  // disk) undoes the load.
  if (std::string refused; same && !batch.Lost() && loadFailure_.empty() && aside && !aside->Restore(refused))
    loadFailure_ = refused + "\n\nNessuna riga è stata inserita.";
  if (!same || !loadFailure_.empty()) {
    // Rows of lines that pass 1 did not check are never kept, nor those of a load whose AfterLoad
    // read a value that its column cannot hold (its refusal is the failure).
    batch.Rollback();
    rowsInserted_ = 0;
    refused_.clear();
    if (loadFailure_.empty())
      loadFailure_ = reader_.Failed()
                         ? "Impossibile leggere\n\n" + options_.path + "\n\nNessuna riga è stata inserita."
                         : "ATTENZIONE: il file di testo\n\n" + options_.path +
                               "\n\nè stato modificato durante l'importazione: nessuna riga è stata inserita.";
    return;
  }
  // A commit the engine refuses leaves nothing written (the layer has said why).
  if (batch.Commit() == 0 && db_ && db_->isOpen) rowsInserted_ = 0;
}

std::string ImportEngine::LengthFault(int length) const {
  return Format("la riga è lunga %d [deve essere %d]", length, layout_.length);
}

void ImportEngine::Fault(int lineNo, int offset, int flag, const std::string& text) {
  errors_.Add(lineNo, offset, text);
  SetFlag(flag);
}

void ImportEngine::CheckCompanyChange(int lineNo, std::string_view line, int unreadableFlag) {
  const FieldDef& field = LayoutField("azienda");
  long code = 0;
  if (!ReadNumber(field, Cut(line, field), code)) {
    companyUnreadable_ = true;
    Fault(lineNo, field.offset, unreadableFlag, "il codice azienda contiene caratteri non numerici");
    return;
  }
  const int company = static_cast<int>(code);
  if (!companySeen_) {
    companySeen_ = true;
    fileCompany_ = company;
  } else if (company != fileCompany_) {
    companyChanged_ = true;
    Fault(lineNo, 0, kCompany, Format("il codice azienda è cambiato; era %04d diventa %04d", fileCompany_, company));
  }
}

const FieldDef& ImportEngine::LayoutField(const char* name) const {
  static const FieldDef kNone{"", "", 0, 0, FieldKind::Reserved};
  const FieldDef* f = layout_.Field(name);
  return f ? *f : kNone;
}

bool ImportEngine::CheckNumber(int lineNo, std::string_view line, const FieldDef& f, int flag, const char* fault,
                               long& value) {
  if (ReadNumber(f, Cut(line, f), value)) return true;
  Fault(lineNo, f.offset, flag, fault);
  return false;
}

namespace {

// A byte as the faults show it: the character between quotes, or its code when it is a control.
std::string ShownByte(char c) {
  if (IsControlByte(c)) return Format("0x%02X", static_cast<unsigned>(static_cast<unsigned char>(c)));
  return std::string("\"") + c + "\"";
}

}  // namespace

void ImportEngine::CheckFields(int lineNo, std::string_view line) {
  for (const FieldDef& f : layout_.fields) {
    if (f.kind == FieldKind::Flag) {
      bool yes = false;
      const std::string_view bytes = Cut(line, f);
      if (!ReadFlag(bytes, yes))
        Fault(lineNo, f.offset, kFlag,
              Format("il campo %s (%s) vale %s invece di 0 o 1", f.name, f.label, ShownByte(bytes[0]).c_str()));
    } else if (f.kind == FieldKind::Text || f.kind == FieldKind::Char) {
      const std::string_view bytes = Cut(line, f);
      if (const size_t at = FindControlByte(bytes); at != std::string_view::npos)
        Fault(lineNo, f.offset, kControl,
              Format("il campo %s (%s) contiene il carattere di controllo %s in posizione %d", f.name, f.label,
                     ShownByte(bytes[at]).c_str(), f.offset + static_cast<int>(at) + 1));  // counted from 1
    }
  }
}

void ImportEngine::Find(DbTable& t, std::initializer_list<Column*> columns) {
  for (Column* c : columns) c->at = t.FieldIndex(c->name);
}

void ImportEngine::BeginRow(DbTable& t) {
  CollectRowNotices();
  t.AddNew();
}

void ImportEngine::CollectRowNotices() {
  rowNotices_.messages.clear();
  rowFault_.clear();
  if (!rowCollector_) rowCollector_.emplace(rowNotices_);
}

std::string ImportEngine::LastRowNotice() const {
  return rowNotices_.messages.empty() ? std::string() : rowNotices_.messages.back().text;
}

void ImportEngine::Set(DbTable& t, const Column& c, std::string_view text) {
  const int ok = c.at >= 0 ? t.SetFieldTextAt(c.at, text) : t.SetFieldText(c.name, std::string(text));
  if (!ok && rowFault_.empty()) rowFault_ = LastRowNotice();
}

void ImportEngine::Set(DbTable& t, const Column& c, long number) {
  const int ok = c.at >= 0 ? t.SetFieldNumberAt(c.at, number) : t.SetFieldText(c.name, std::to_string(number));
  if (!ok && rowFault_.empty()) rowFault_ = LastRowNotice();
}

bool ImportEngine::StoreRow(DbTable& t, int lineNo) {
  const bool stored = t.Update() == 1;
  if (stored) ++rowsInserted_;
  if (!stored)
    RecordRefusal(lineNo, rowFault_.empty() ? LastRowNotice() : rowFault_);
  else if (!rowFault_.empty())
    RecordRefusal(lineNo, rowFault_);
  rowFault_.clear();
  rowCollector_.reset();
  return stored;
}

void ImportEngine::BeginEdit(DbTable& t) {
  CollectRowNotices();
  t.Edit();
}

void ImportEngine::RecordRefusal(int lineNo, const std::string& layerText) {
  refused_.push_back({lineNo, layerText});
  errors_.Add(lineNo, -1, OneLine(layerText));
}

std::string ImportEngine::CompanyParagraph(const char* firstLine) const {
  return std::string(firstLine) + "oppure non corrisponde a quello dell'Azienda.\n" +
         "E' comunque possibile proseguire assundo il Codice Azienda corretto.\n\n";
}

std::string ImportEngine::FieldParagraphs() const {
  std::string p;
  if (HasFlag(kFlag))
    p += "***** il file di testo proposto contiene dei valori SI/NO illegali.\n"
         "I valori SI/NO devono essere espressi con 1 (sì) oppure 0 (no) !!!\n\n";
  if (HasFlag(kControl))
    p += "***** il file di testo proposto contiene dei CARATTERI DI CONTROLLO nei testi.\n"
         "I testi devono contenere solo caratteri stampabili !!!\n\n";
  return p;
}

std::string ImportEngine::LengthParagraph() {
  return "***** il file di testo proposto per l'importazione non risulta corrispondere\n"
         "alle specifiche stabilite dalla Regione Toscana.\n\n";
}

std::string ImportEngine::BlockingText(const std::string& paragraphs) {
  return "SONO STATI RILEVATI ERRORI BLOCCANTI:\n\n" + paragraphs +
         "L'acquisizione dati risulta pertanto impossibile.\n\nVuoi salvare il report analitico degli errori ?";
}

std::string ImportEngine::RemediableText(const std::string& paragraphs) {
  return "SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n" + paragraphs + "Proseguo comunque?";
}

namespace {

// Nothing was found of what the import refers to: the import that brings it must come first.
std::string NothingRecordedText(const char* one, const char* presumed, const char* required, const char* importing) {
  return std::string("ATTENZIONE: non è stata estratta neppure una ") + one + " registrata.\n\n" +
         "Presumibilmente l'importazione " + presumed + " non è stata ancora effettuata.\n\n" +
         "Occorre effettuare l'importazione " + required + " prima di potere procedere con\n" + "l'importazione " +
         importing + ".";
}

}  // namespace

std::string ImportEngine::UndeclaredTripParagraph(const char* rows) {
  return std::string("***** ") + rows + " si riferiscono a corse inesistenti.\n" +
         "E' comunque possibile proseguire ignorandoli.\n\n";
}

bool ImportEngine::LoadDayTypes(const char* importing) {
  dayTypes_.Clear();
  DbSelect select(db_, {.columns = "codice, denom", .from = "cadenz", .orderBy = "codice"});
  select.SetFaultsToldByCaller(true);
  std::string code, name;
  for (int ok = select.Open(); ok && select.hasRow; ok = select.MoveNext()) {
    // By its key: a code that lost a character is no code of a file, whatever it reads as.
    ReadTextKey(select, 0, code);
    select.GetFieldTextAt(1, name);
    if (select.Faulted()) {
      const std::string row = CadenceRowName(KeyTextAt(select, 0));
      RefuseStoredValue(StoredValueRefusal(row, select.FaultText()));
      return false;
    }
    dayTypes_.Append(code, TrimRight(name));
  }
  if (dayTypes_.Empty()) {
    Stop(NothingRecordedText("cadenza", "delle Cadenze", "delle Cadenze", importing));
    return false;
  }
  return true;
}

bool ImportEngine::LoadTripIds(const char* tripImport, const char* importing) {
  tripIds_.clear();
  DbSelect select(db_, {.columns = "id", .from = "tescor", .orderBy = "id"});
  select.SetFaultsToldByCaller(true);
  for (int ok = select.Open(); ok && select.hasRow; ok = select.MoveNext()) {
    long id = 0;
    if (select.GetFieldLongAt(0, &id)) tripIds_.insert(id);
    if (select.Faulted()) {
      RefuseStoredValue(StoredValueRefusal(StoredTripRow(select, 0), select.FaultText()));
      return false;
    }
  }
  if (tripIds_.empty()) {
    Stop(NothingRecordedText("Testa Corsa", tripImport, "delle Teste Corsa", importing));
    return false;
  }
  return true;
}
