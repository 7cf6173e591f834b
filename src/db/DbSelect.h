#pragma once
// One SQL selection, read-only and walked forward. Its whole result is read when it opens, so
// callers may change or delete the rows they are walking. A streaming selection instead reads
// each row as the walk reaches it: for long read-only passes (the exports) whose caller changes
// nothing of what it reads while it walks.

#include "db/FieldValue.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class DbDatabase;
struct sqlite3_stmt;
struct sqlite3_value;

// A text read from the database together with what the database stores, for a value read that goes
// back into the database (a search, a comparison, a write): `text` as the program reads it
// (Windows-1252), and `stored`, the stored UTF-8 bytes, when the text lost a character that
// Windows-1252 lacks (read as '?'); empty when the text read is the stored text. Two texts are
// the same when the database holds the same text: "\xC5\x811" and "\xC5\x9A1" both read as "?1"
// and differ. Bytes where a text should be (a blob in a text column) have both `text` and `stored`
// as SQL writes them (X'4181'): such a value goes back into the database as those bytes, so that
// it finds its own rows and never those of the text its bytes spell.
struct DbText {
  std::string text;
  std::string stored;
  bool Lost() const { return !stored.empty(); }
  // Bytes, not a text: a text that lost a character is stored with one beyond ASCII, bytes as their
  // plain-ASCII literal.
  bool Bytes() const { return IsBytesLiteral(stored); }
  static bool IsBytesLiteral(std::string_view stored);
  bool operator==(const DbText&) const = default;
  auto operator<=>(const DbText&) const = default;
};

// The clauses of a selection named where it is made, an empty one left out:
// DbSelect s(db, {.columns = "id", .from = "tescor", .orderBy = "id"}).
struct DbQuery {
  const char* columns = "";
  const char* from = "";
  const char* where = "";
  const char* groupBy = "";
  const char* orderBy = "";
  bool streaming = false;
};

class DbSelect {
 public:
  explicit DbSelect(DbDatabase* db);
  DbSelect(DbDatabase* db, const DbQuery& query);
  virtual ~DbSelect();
  DbSelect(const DbSelect&) = delete;
  DbSelect& operator=(const DbSelect&) = delete;

  int SetColumns(const char* text);
  int SetFrom(const char* text);
  int SetWhere(const char* text);
  int SetGroupBy(const char* text);
  int SetOrderBy(const char* text);
  int SetColumns(const std::string& t) { return SetColumns(t.c_str()); }
  int SetFrom(const std::string& t) { return SetFrom(t.c_str()); }
  int SetWhere(const std::string& t) { return SetWhere(t.c_str()); }
  int SetGroupBy(const std::string& t) { return SetGroupBy(t.c_str()); }
  int SetOrderBy(const std::string& t) { return SetOrderBy(t.c_str()); }
  // Values of the ?1, ?2, ... placeholders of the clauses, bound as texts (Windows-1252, like every
  // text of the program) each time the selection runs: what a user typed goes into a selection
  // this way, never pasted into its SQL. Dates are bound as ISO texts (SqlDate without quotes).
  void SetParameters(std::vector<std::string> texts);
  // The same for values read from the database: a text that lost a character is bound as stored,
  // bytes as the bytes (BindDbText), so that each finds its own rows.
  void SetParameters(std::vector<DbText> texts) { parameters_ = std::move(texts); }
  int BuildSql();
  // 0 builds the SQL text from the clauses first; anything else runs the last text again.
  int Open(int keepSql = 0);
  int MoveNext();
  int MoveFirst();
  // The display text of a column by name, whatever its kind.
  int GetFieldText(const char* column, std::string& out);
  // Readers by position, typed: 1 with the value; 0 with the empty text or 0 for NULL, and for a
  // value the reader cannot give, which is reported through the notice sink (once a column,
  // reader and run). The text reader gives
  // texts and dates (dd/mm/yyyy), and refuses numbers, and in a date column anything but a date
  // (a stored value not in the ISO text the layer writes); the whole-number readers give every
  // whole-number kind (16- and 32-bit fields, computed whole numbers, yes/no as -1 or 0) and
  // refuse texts, dates, amounts and numbers with decimals, and a number outside its column's type
  // (16 bits for a short integer, 32 for a long one); the 32-bit reader (int) refuses a computed
  // value outside its range.
  int GetFieldTextAt(int position, std::string& out);
  int GetFieldIntAt(int position, int* out);
  int GetFieldLongAt(int position, long* out);
  // The value at a position, or its default when it cannot be read (reported as above): a text
  // without its trailing blanks, a whole number.
  std::string TrimmedAt(int position);
  int IntAt(int position);
  long LongAt(int position);

  // A text the program's code page cannot hold whole: the stored text has a character that
  // Windows-1252 lacks (code U+FFFD for bytes that are no UTF-8), which the text read at the
  // position shows as '?' at offset `at`. A writer of files asks for it before it writes such a
  // text, so that it refuses the text rather than send the '?'.
  struct LostCharacter {
    // Not a character: the column holds bytes (a blob) where a text should be. The text read is
    // then the bytes as SQL writes them (X'4181'), and `at` 0: no writer sends it.
    static constexpr char32_t kBytes = 0x110000;
    char32_t code = 0;  // 0: the text is whole
    int at = 0;
  };
  LostCharacter LostAt(int position);
  // The text at a position without its trailing blanks (TrimmedAt), with the stored text when it
  // lost a character (trimmed the same way); bytes read as their literal in both (DbText).
  DbText TrimmedTextAt(int position);
  // The date at a position as a key that finds its row again: `text` as read (GetFieldTextAt),
  // with the stored text when that text would not find it: a date of a year the database does not
  // keep as itself, which reads as "00/00/0000" or "99/99/9999", or one stored with a time of day.
  // Both empty when it cannot be read.
  DbText DateKeyAt(int position);
  // The text read (GetFieldTextAt) and its mark (LostAt) in one reading of the cell: for writers
  // that read a text and its mark together, row after row.
  int GetFieldTextAt(int position, std::string& out, LostCharacter& lost);
  // The same without its trailing blanks, and empty when it cannot be read (false, as for NULL).
  bool ReadTrimmedText(int position, std::string& out, LostCharacter& lost);
  // The same as a view, for a walk that is done with the text before it moves on: a streamed
  // text that reads as stored (ASCII, the usual case) is viewed where the database holds it,
  // without a copy; any other is read into `buffer`, which the view then shows. The view holds
  // until the walk moves or the buffer changes.
  int GetFieldTextAt(int position, std::string_view& text, std::string& buffer, LostCharacter& lost);

  // Set before Open: rows are read as the walk goes.
  void SetStreaming(bool on) { streaming_ = on; }

  // The first value of the run read that its column cannot hold as its kind: a text or bytes in
  // a number column, bytes in a text column, a number the reader cannot give. A command that
  // writes what it reads stops at it, naming its row and this field.
  struct ValueFault {
    int position = -1;    // -1: none
    std::string column;   // the column's name in the result
    std::string value;    // as SQL writes it: 'abc', X'4181', 12
    const char* is = "";  // what the value is ("un testo")
    std::string wanted;   // what its reader takes ("un numero intero")
  };
  // Whether a whole number is outside what its column's type holds (field type letter `letter`): a
  // short integer (SMALLINT) holds 16 bits, a long one (INT) 32. Such a value is its column's fault.
  static bool OutsideColumnRange(char letter, std::int64_t number);
  // The fault in words, for the message that stops a command: "il campo <name> (<label>) vale
  // <value>,\nche è <is> e non <wanted> come richiede la sua colonna." (the result's column name
  // when no name is given; no label in brackets when none is given).
  static std::string FaultText(const ValueFault& fault, const char* name = nullptr, const char* label = nullptr);
  // The fault of `value`, read at `position` from `column`, whose field type letter is `letter`:
  // what the value is and what its column holds.
  static ValueFault KindFault(int position, std::string column, const DbValue& value, char letter);
  // The same for the walk's own fault.
  std::string FaultText(const char* name = nullptr, const char* label = nullptr) const {
    return FaultText(fault_, name, label);
  }
  const ValueFault& Fault() const { return fault_; }
  bool Faulted() const { return fault_.position >= 0; }
  // Set before Open: such a value is told by the caller (Fault), naming its row, rather than
  // through the notice sink.
  void SetFaultsToldByCaller(bool on) { faultsToCaller_ = on; }

  const std::string& Sql() const { return sql; }
  // The rows of the result; for a streaming selection, the rows reached so far (all of them once
  // the walk has ended).
  int RowCount() const { return static_cast<int>(rows_); }
  // True when the last run failed (already reported): the statement was refused, or the walk
  // ended on a read error rather than on its last row.
  bool WalkFailed() const { return walkFailed_; }
  int ColumnCount() const { return static_cast<int>(names_.size()); }

  // 1 while the selection stands on a row.
  bool hasRow = false;

 private:
  // One value of the result, packed: texts and bytes live in one buffer for the whole result.
  struct Cell {
    DbValue::Kind kind = DbValue::Kind::Null;
    std::uint32_t length = 0;
    union {
      std::int64_t i;
      double d;
      std::uint64_t offset;
    };
  };

  int Run(bool syntaxStage);
  const DbValue* Value(int position);
  // The current row's value at a position, fetched once: the packed cell of a result read whole,
  // the engine's value of a streaming walk; null when there is none (no row, no such column).
  const Cell* CurrentCell(int position) const;
  sqlite3_value* StreamedValue(int position) const;
  // The same, telling the reader's position error where there is none.
  const Cell* CurrentCellOrTell(int position) const;
  sqlite3_value* StreamedValueOrTell(int position) const;
  enum class Reader { Text, Int, Long };
  // The whole number at a position: 1 with it, 0 for NULL, -1 when it cannot be read (reported).
  int WholeNumberAt(int position, Reader reader, std::int64_t& out);
  // The common case of a streaming walk, one fetch of the engine's value: true, with the number,
  // for a stored whole number of a whole-number column (or an expression); false for anything
  // else, which the full reading then takes.
  bool StreamedWholeNumber(int position, std::int64_t& out) const;
  void ReportPosition(int position) const;
  void ReportMismatch(int position, Reader reader, DbValue::Kind kind, const char* wanted);
  // What a reading of the value at `position`, of `kind`, wanted: a date of a date column, which
  // holds nothing else; else what the reader gives (`reader`).
  const char* Wanted(int position, DbValue::Kind kind, const char* reader) const;
  // Keeps the first fault of the run: the value at `position` (`literal` as SQL writes it), what
  // it is and what was wanted.
  void NoteFault(int position, std::string literal, const char* is, const char* wanted);
  Cell& NewCell();
  void StoreBytes(Cell& cell, std::string_view bytes);
  void ClearResult();
  int Failed(bool firstRun, bool whileWalking, const std::string& description);

  DbDatabase* db = nullptr;
  std::string columns, from, where, groupBy, orderBy;
  std::string sql;
  std::vector<DbText> parameters_;
  bool ran_ = false;  // the last Open got as far as running its query
  std::vector<std::string> names_;
  // rows_ x names_.size() cells and their texts, in chunks: the first grows with the result, so a
  // selection of a few rows costs a few hundred bytes; once it is full, each further chunk is made
  // at its full size, so a large result grows without being copied.
  static constexpr size_t kCellChunk = 1 << 16;
  static constexpr size_t kByteChunk = 1 << 20;
  std::vector<std::vector<Cell>> cells_;
  size_t cellCount_ = 0;
  std::vector<std::string> bytes_;
  // The texts of the materialised result that lost a character, by cell index (rare: most
  // selections have none).
  std::unordered_map<size_t, LostCharacter> lost_;
  // Their stored UTF-8 texts, by the same index.
  std::unordered_map<size_t, std::string> storedLost_;
  // The stored texts of the dates of the result stored with a time of day, by cell index.
  std::unordered_map<size_t, std::string> storedDates_;
  DbValue value_;  // the cell last read

  bool streaming_ = false;
  bool walkFailed_ = false;
  bool faultsToCaller_ = false;
  ValueFault fault_;
  sqlite3_stmt* stmt_ = nullptr;    // the running statement of a streaming selection
  std::vector<char> letters_;       // each column's field type letter (0: an expression)
  std::vector<bool> mismatchTold_;  // per column and reader: a refused reading told in this run
  size_t rows_ = 0;
  size_t row_ = 0;
};

// The readings by position refused since the program started because the reader cannot give the
// value's kind (each one told through the notice sink), and the text of the last one: the test
// harness fails a test during which the count grows.
struct ReadingMismatchTally {
  long count = 0;
  std::string lastText;
};
const ReadingMismatchTally& ReadingMismatches();
// Counts a refused reading (`text` its notice) and tells it through the notice sink, unless its
// caller tells it (`toldByCaller`: the command's own refusal, or the same notice told before in
// the run), when it is neither counted nor told.
void TellReadingMismatch(const std::string& text, bool toldByCaller);

// Binds a value read to the parameter `param` (1-based) of a statement: bytes as the bytes, a text
// that lost a character as stored, any other as the engine's text. An SQLite result code.
int BindDbText(sqlite3_stmt* st, int param, const DbText& value);

// Runs one statement that writes `table` (an UPDATE, INSERT or DELETE) with its ?1, ?2, ... bound
// as a selection binds them (BindDbText), a text read that lost a character as stored, bytes as
// bytes: for a value read that goes back into the database, which DbTable would write as read.
// The rows changed; -1 when the database refused it (told through the notice sink, nothing of it
// done).
long DbExecute(DbDatabase* db, const char* table, const std::string& sql, const std::vector<DbText>& values);

// The number of rows of a table (0 when it cannot be read: the failure has been reported).
long CountTableRows(DbDatabase* db, const char* table);
