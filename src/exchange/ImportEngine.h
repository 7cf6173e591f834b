#pragma once
// The import of one regional exchange file, without any window: the frame that the six files
// share. Pass 1 reads the working company (and what the file needs) from `master`, loads the
// reference lists, reads the file line by line and checks every line into the error list,
// setting one fault flag per kind of fault; the caller then decides from the flags (a blocking
// fault refuses the import, a remediable one is put to the user) and runs pass 2, which reads the
// file again and writes the rows in one batch transaction: all of them or, after a crash, none.
// Neither pass holds the file in memory; pass 2 writes only what pass 1 checked (a file changed
// in between is refused whole).

#include "common/EditorLists.h"
#include "common/Formatters.h"
#include "common/Outcome.h"
#include "db/StoredValueRefusal.h"
#include "exchange/ExchangeText.h"
#include "exchange/ImportErrors.h"
#include "exchange/RecordLayouts.h"

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

class DbDatabase;
class DbSelect;
class DbTable;
class WorkProgress;

enum class ImportKind { Protocol, Cadences, Calendar, TripHeads, TripDetails, Periods };

// The fixed texts of one import.
struct ImportDescriptor {
  ImportKind kind;
  int command;
  const char* dialogTitle;
  const char* caption;  // the status band of pass 2
  const char* heading;  // the result message
  const char* success;
  const char* failure;
  const RecordLayout& (*layout)();
};

const ImportDescriptor& DescriptorOf(ImportKind kind);

struct ImportOptions {
  DbDatabase* db = nullptr;
  std::string path;                  // Windows-1252
  bool batch = false;                // run by the whole import
  WorkProgress* progress = nullptr;  // none: no progress shown
};

// Where an import ended.
enum class ImportOutcome {
  Stopped,   // before reading the file: no master row, a missing prerequisite, the file not opening
  Checked,   // pass 1 done, pass 2 not yet
  Blocked,   // a blocking fault: nothing written
  Declined,  // the remediable faults were not accepted: nothing written
  Loaded,    // pass 2 done
};

// A line whose row the database refused in pass 2, with the database layer's text.
struct RefusedRow {
  int line = 0;
  std::string text;
};

class ImportEngine {
 public:
  static std::unique_ptr<ImportEngine> Create(ImportKind kind, const ImportOptions& options);
  virtual ~ImportEngine();
  ImportEngine(const ImportEngine&) = delete;
  ImportEngine& operator=(const ImportEngine&) = delete;

  // Pass 1. False when the import stopped (StopMessage says why): before reading the file, when
  // it could not be read, or, run by the whole import, when it has no line at all.
  bool Check();
  bool Blocking() const { return (flags_ & blockingMask_) != 0; }
  bool Remediable() const { return (flags_ & ~blockingMask_) != 0; }
  // The texts of the two decisions (a blocking one offers the report, a remediable one ends
  // "Proseguo comunque?").
  virtual std::string BlockingMessage() const = 0;
  virtual std::string RemediableMessage() const = 0;
  // The decision taken instead of pass 2 (Blocked or Declined).
  void SetOutcome(ImportOutcome outcome) { outcome_ = outcome; }
  // Pass 2, in one batch transaction. Of a file that cannot be read again, or that is no longer
  // what pass 1 checked, nothing is kept (LoadOutcome says why).
  void Load();

  const ImportDescriptor& Descriptor() const { return descriptor_; }
  ImportOutcome Outcome() const { return outcome_; }
  // -1 when the import stopped before reading the file (or could not read it whole).
  int LinesRead() const { return linesRead_; }
  int RowsInserted() const { return rowsInserted_; }
  const std::string& StopMessage() const { return stopMessage_; }
  // Whether the import stopped, or its pass 2 kept nothing, at a stored value that its column
  // cannot hold as its kind: the refusal (StopMessage or LoadOutcome) is then all there is to say.
  bool StoredValueRefused() const { return valueRefused_; }
  // The faults of pass 1, then one per refused row of pass 2.
  const ImportErrorList& Errors() const { return errors_; }
  const std::vector<RefusedRow>& Refused() const { return refused_; }
  // What the command shows of a pass 1 that stopped: the stop message (stop icon), not done.
  ::Outcome StopOutcome() const;
  // What it shows of pass 2: why nothing was kept (stop icon, not done), or the first `shown`
  // refused rows, a stop message each (done).
  ::Outcome LoadOutcome(int shown) const;
  bool HasFlag(int flag) const { return (flags_ & (1u << flag)) != 0; }

  // The kinds of fault.
  enum Fault {
    kLength,
    kCompany,
    kCompanyDigits,
    kProtocolNumber,
    kDate,
    kInverted,
    kDayType,
    kPeriod,
    kUndeclared,
    kTime,
    kAuthority,
    kContract,
    kNumber,   // a number field holding other characters than digits
    kFlag,     // a flag other than '0' or '1'
    kControl,  // a text holding a control byte
  };

 protected:
  ImportEngine(ImportKind kind, const ImportOptions& options, unsigned blockingFlags);

  // What the import reads of `master` besides the company.
  struct MasterValues {
    int company = 0;
    bool periodValid = false;  // both dates valid
    int periodStart = 0;       // yyyymmdd
    int periodEnd = 0;
    DateRecord start, end;
    long nextTripId = 0;
  };

  // Reference lists; false with the stop message set.
  virtual bool LoadReferences() { return true; }
  // The checks of a line of the right length, in the order of the file's table. The checks that
  // every file shares follow them: the flags and the texts, by the rules of the layout.
  virtual void CheckLine(int lineNo, std::string_view line) = 0;
  // Whether the company test at the end adds a fault line (all files but RT_PROTO).
  virtual bool ReportsUndeclaredCompany() const { return true; }
  // The length fault text ("la riga è lunga %d [deve essere N]" and its variants).
  virtual std::string LengthFault(int length) const;
  // A field of the target table, found once per file.
  struct Column {
    const char* name;
    int at = -1;  // its position; -1 when the table has no such field
  };
  // Pass 2: the target table, its fields, and the rows.
  virtual const char* TargetTable() const = 0;
  // Whether the target's plain indexes are made again after the rows rather than kept row by row
  // (db/DbIndexesAside): for a table of millions of rows whose load looks nothing up by them.
  virtual bool SetsIndexesAside() const { return false; }
  virtual void FindColumns(DbTable& target) = 0;
  virtual void LoadLine(DbTable& target, int lineNo, std::string_view line) = 0;
  // After the last line (inside the transaction).
  virtual void AfterLoad() {}

  void Fault(int lineNo, int offset, int flag, const std::string& text);
  void SetFlag(int flag) { flags_ |= 1u << flag; }
  // The "company as in the first line" test. A company code that is not four digits is no
  // company's: a fault of `unreadableFlag` (blocking in the protocol, which stores it; else
  // remediable, as another company is), and the line takes no part in the comparisons.
  void CheckCompanyChange(int lineNo, std::string_view line, int unreadableFlag = kCompany);
  // A field of the layout, found once per file (by the constructors of the imports).
  const FieldDef& LayoutField(const char* name) const;
  // The bytes of a field of a line of the layout's length.
  static std::string_view Cut(std::string_view line, const FieldDef& f) {
    return line.substr(static_cast<size_t>(f.offset), static_cast<size_t>(f.width));
  }
  // A number field: false (with a fault of `flag` at the field's offset) when its bytes give no
  // number the field can hold (ReadNumber); `value` is then 0.
  bool CheckNumber(int lineNo, std::string_view line, const FieldDef& f, int flag, const char* fault, long& value);
  // A number field of a line that pass 1 found right (0 otherwise).
  static long Number(std::string_view line, const FieldDef& f) {
    long value = 0;
    ReadNumber(f, Cut(line, f), value);
    return value;
  }
  // Whether a text field of the line holds a control byte (a fault of its line, found in pass 1).
  static bool HasControl(std::string_view line, const FieldDef& f) {
    return FindControlByte(Cut(line, f)) != std::string_view::npos;
  }
  static void Find(DbTable& t, std::initializer_list<Column*> columns);

  // Row writing with the database layer kept quiet: a refused field or row is collected.
  void BeginRow(DbTable& t);
  void Set(DbTable& t, const Column& c, std::string_view text);
  void Set(DbTable& t, const Column& c, long number);
  // Writes the row; true (and counted) when stored.
  bool StoreRow(DbTable& t, int lineNo);
  void BeginEdit(DbTable& t);
  void RecordRefusal(int lineNo, const std::string& layerText);

  // The reference lists of the files that need them; false with the stop message set, which
  // names the import to make first and this one (`importing`: "del Calendario"); the trips'
  // message names the earlier import as `tripImport` ("delle Teste Corsa").
  bool LoadDayTypes(const char* importing);
  bool LoadTripIds(const char* tripImport, const char* importing);
  bool IsDayType(std::string_view trimmedCode) { return dayTypes_.Find(trimmedCode) != nullptr; }
  bool IsTrip(long id) const { return tripIds_.count(id) != 0; }
  void Stop(const std::string& message) { stopMessage_ = message; }
  // A value read that its column cannot hold as its kind (`refusal`: StoredValueRefusal): pass 1
  // stops with it, or, read by AfterLoad, pass 2 keeps nothing and LoadOutcome says it.
  void RefuseStoredValue(const std::string& refusal);

  // The two decision boxes of the calendar and trip files, paragraph by paragraph.
  static std::string BlockingText(const std::string& paragraphs);
  static std::string RemediableText(const std::string& paragraphs);

  // Paragraph helpers of the four trip and calendar files.
  std::string CompanyParagraph(const char* firstLine) const;
  static std::string LengthParagraph();
  // Lines naming trips `tescor` lacks (`rows`: "alcuni dettagli corsa"), which can be left out.
  static std::string UndeclaredTripParagraph(const char* rows);
  // The paragraphs of the faults that every file shares: flags, then texts (those set).
  std::string FieldParagraphs() const;

  DbDatabase* db_;
  ImportOptions options_;
  const ImportDescriptor& descriptor_;
  const RecordLayout& layout_;
  MasterValues master_;
  ExchangeReader reader_;
  ImportErrorList errors_;
  bool invalidDateSeen_ = false;  // an invalid date has been met in the file so far

 private:
  CadenceList dayTypes_;              // the keys of the codes of `cadenz` (db/TextKeys)
  std::unordered_set<long> tripIds_;  // ids of `tescor`
  bool ReadMaster();
  // The flags and the texts of a line, field by field: a flag other than '0' or '1', a control
  // byte in a text (one fault a field, at the field's offset, naming the byte and its position).
  void CheckFields(int lineNo, std::string_view line);

  unsigned flags_ = 0;
  unsigned blockingMask_ = 0;
  ImportOutcome outcome_ = ImportOutcome::Checked;
  int linesRead_ = -1;
  int rowsInserted_ = 0;
  std::string stopMessage_;
  std::string loadFailure_;  // why pass 2 kept nothing
  bool valueRefused_ = false;
  std::vector<RefusedRow> refused_;
  int fileCompany_ = -1;
  bool companySeen_ = false;
  bool companyChanged_ = false;
  bool companyUnreadable_ = false;  // a line's company code was not four digits
  // The row being written: the database layer's refusals of its values and of its writing are
  // gathered here, from BeginRow or BeginEdit to StoreRow, and become the row's refusal.
  void CollectRowNotices();
  std::string LastRowNotice() const;
  ::Outcome rowNotices_;
  std::optional<NoticeCollector> rowCollector_;
  std::string rowFault_;
  std::uint64_t checkedDigest_ = 0;  // of the file as pass 1 read it
};

// The result message of an import: the file's heading, the lines read and the rows inserted, then
// the file's success (an information; done) when every line read was inserted, else its failure
// (stop icon). A file without lines is never a success, nor one whose remediable faults were
// declined (`declined`).
Outcome ImportSummary(ImportKind kind, int linesRead, int rowsInserted, bool declined);

// "%02d/%02d/%04d" of a date.
std::string DdMmYyyy(const DateRecord& d);
