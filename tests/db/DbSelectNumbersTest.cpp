// Whole-number columns read by a selection, by position and by name: what each reader gives for a
// value, for 0 and for NULL, which readings it refuses, whether the selection reads a table, a view, a join or a
// subquery, whole at open or streaming, on its first row or a later one; and a value that is no number, written into a
// numeric column by another program, which reads as what it is; so does a value that is no date in a date column.

#include "DbTestSupport.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <memory>
#include <ostream>

#include <sqlite3.h>

namespace {

const char* kLinksSchema = R"sql(
CREATE TABLE corse (
  id INT NOT NULL,
  prevcor INT,
  sub SMALLINT,
  flag BOOLEAN,
  amount CURRENCY,
  ratio DOUBLE,
  day DATE,
  CONSTRAINT "codice" PRIMARY KEY (id));
CREATE TABLE linee (id INT NOT NULL, nome VARCHAR(10), CONSTRAINT "codice" PRIMARY KEY (id));
INSERT INTO corse (id) VALUES (1), (2), (3);
INSERT INTO linee VALUES (1, 'uno'), (2, 'due'), (3, 'tre');
)sql";

// The sources of one column: its table, a view of it, a join with another table, a subquery.
const char* const kSources[] = {"corse t", "vcorse t", "corse t JOIN linee l ON l.id = t.id",
                                "(SELECT * FROM corse) t"};

// What the readers leave for one value: "text by position / whole number / long {text by name}",
// each reader's result before its output.
struct Reading {
  const char* column;    // read as "v"
  const char* field;     // the field the stored value goes into
  const char* stored;    // SQL literal stored into rows 1 and 3; row 2 holds NULL
  const char* expected;  // rows 1 and 3
  const char* forNull;   // row 2
  // What the table layer notes of the stored value when its column cannot hold it as its kind
  // ("value|is|wanted"): it then reads no value.
  const char* fault = "";
};

const Reading kReadings[] = {
    // A 32-bit field: both whole-number readers give it, and tell 0 from NULL by their result; the
    // text reader by position gives texts and dates only, and refuses a number ('!': told). By name
    // the display text.
    {"t.prevcor", "prevcor", "12", "0[]! 1:12 1:12 {12}", "0[] 0:0 0:0 {}"},
    {"t.prevcor", "prevcor", "0", "0[]! 1:0 1:0 {0}", "0[] 0:0 0:0 {}"},
    {"t.prevcor", "prevcor", "-7", "0[]! 1:-7 1:-7 {-7}", "0[] 0:0 0:0 {}"},
    {"t.prevcor", "prevcor", "'12'", "0[]! 1:12 1:12 {12}", "0[] 0:0 0:0 {}"},  // the engine keeps the number
    // A 16-bit field and a yes/no field: both whole-number readers too.
    {"t.sub", "sub", "7", "0[]! 1:7 1:7 {7}", "0[] 0:0 0:0 {}"},
    {"t.flag", "flag", "1", "0[]! 1:-1 1:-1 {1}", "0[] 0:0 0:0 {}"},
    // Computed from the field, the value has no declared width: both whole-number readers take it.
    {"+t.prevcor", "prevcor", "12", "0[]! 1:12 1:12 {12}", "0[] 0:0 0:0 {}"},
    {"t.prevcor IS NULL", "prevcor", "12", "0[]! 1:0 1:0 {0}", "0[] 1:1 1:1 {1}"},
    {"coalesce(t.prevcor, -1)", "prevcor", "0", "0[]! 1:0 1:0 {0}", "0[] 1:-1 1:-1 {-1}"},
    // No number in a numeric field: a text, or bytes, read as such and refused by the number readers.
    {"t.prevcor", "prevcor", "'x9'", "1[x9] 0:0! 0:0! {x9}", "0[] 0:0 0:0 {}", "'x9'|un testo|un numero intero"},
    {"t.prevcor", "prevcor", "x'0102'", "0[]! 0:0! 0:0! {BLOB [2 bytes]}", "0[] 0:0 0:0 {}",
     "X'0102'|un dato binario|un numero intero"},
    {"t.sub", "sub", "'x9'", "1[x9] 0:0! 0:0! {x9}", "0[] 0:0 0:0 {}", "'x9'|un testo|un numero intero"},
    // A whole number beyond what its column's type holds: no reader gives it, none wraps it.
    {"t.sub", "sub", "123456789012", "0[]! 0:0! 0:0! {123456789012}", "0[] 0:0 0:0 {}",
     "123456789012|un numero intero|un numero intero di 16 bit"},
    {"t.prevcor", "prevcor", "-2147483649", "0[]! 0:0! 0:0! {-2147483649}", "0[] 0:0 0:0 {}",
     "-2147483649|un numero intero|un numero intero di 32 bit"},
    {"t.flag", "flag", "'vero?'", "1[vero?] 0:0! 0:0! {vero?}", "0[] 0:0 0:0 {}", "'vero?'|un testo|un sì/no"},
    {"t.amount", "amount", "'1,5 euro'", "1[1,5 euro] 0:0! 0:0! {1,5 euro}", "0[] 0:0 0:0 {}",
     "'1,5 euro'|un testo|un importo"},
    {"t.ratio", "ratio", "'n.d.'", "1[n.d.] 0:0! 0:0! {n.d.}", "0[] 0:0 0:0 {}",
     "'n.d.'|un testo|un numero con decimali"},
    // A date column holds a date only as the ISO text the layer writes; anything else is read as no date.
    {"t.day", "day", "'2026-02-01'", "1[01/02/2026] 0:0! 0:0! {01/02/2026}", "0[] 0:0 0:0 {}"},
    {"t.day", "day", "'abc'", "0[]! 0:0! 0:0! {abc}", "0[] 0:0 0:0 {}", "'abc'|un testo|una data"},
    {"t.day", "day", "'01/02/2026'", "0[]! 0:0! 0:0! {01/02/2026}", "0[] 0:0 0:0 {}", "'01/02/2026'|un testo|una data"},
    {"t.day", "day", "20260201", "0[]! 0:0! 0:0! {20260201}", "0[] 0:0 0:0 {}", "20260201|un numero intero|una data"},
};

void PrintTo(const Reading& r, std::ostream* os) { *os << r.column << " = " << r.stored; }

class SelectNumbers : public ::testing::TestWithParam<Reading> {
 protected:
  void SetUp() override {
    MakeDatabase(path, BuilderTimetableTables() + kLinksSchema);
    const Reading& r = GetParam();
    ASSERT_EQ(ExecOnFile(path, std::string("UPDATE corse SET ") + r.field + " = " + r.stored + " WHERE id <> 2;"),
              "ok");
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
    // A view of the program's connection alone: a file that holds one is not opened.
    ASSERT_EQ(sqlite3_exec(db->Handle(), "CREATE TEMP VIEW vcorse AS SELECT * FROM corse", nullptr, nullptr, nullptr),
              SQLITE_OK);
  }

  // The readings of the three rows, joined by " | ".
  std::string Walk(const char* from, bool streaming) {
    DbSelect s(db.get());
    s.SetStreaming(streaming);
    s.SetColumns(std::string("t.id, ") + GetParam().column + " AS v");
    s.SetFrom(from);
    s.SetOrderBy("t.id");
    std::string out;
    for (int ok = s.Open(); ok; ok = s.MoveNext()) {
      std::string text = "?", byName = "?";
      int i = 99;
      long l = 99;
      size_t told = notices.Notices().size();
      // "!" after a reading told through the notice sink.
      const auto mark = [&] {
        const bool more = notices.Notices().size() > told;
        told = notices.Notices().size();
        return more ? "!" : "";
      };
      out += (out.empty() ? "" : " | ") + std::to_string(s.GetFieldTextAt(1, text));
      out += "[" + text + "]" + mark();
      out += " " + std::to_string(s.GetFieldIntAt(1, &i));
      out += ":" + std::to_string(i) + mark();
      out += " " + std::to_string(s.GetFieldLongAt(1, &l));
      out += ":" + std::to_string(l) + mark();
      s.GetFieldText("v", byName);
      out += " {" + byName + "}";
    }
    return out;
  }

  ScratchDir dir;
  const std::string path = dir.Path("corse.mdb");
  NoticeLog notices;
  std::unique_ptr<DbDatabase> db;
};

TEST_P(SelectNumbers, ReadAlikeFromEverySourceInEveryWalkOnEveryRow) {
  AllowReadingMismatches();
  const Reading& r = GetParam();
  // A refusal is told once a column, reader and walk: not again on a later row.
  std::string again = r.expected;
  again.erase(std::remove(again.begin(), again.end(), '!'), again.end());
  const std::string expected = std::string(r.expected) + " | " + r.forNull + " | " + again;
  for (const char* from : kSources)
    for (bool streaming : {false, true})
      EXPECT_EQ(Walk(from, streaming), expected)
          << r.column << " = " << r.stored << " from " << from << (streaming ? ", streaming" : ", read whole");
  for (const Notice& n : notices.Notices()) EXPECT_TRUE(HasPart(n.text, " e non si legge come "));
}

// The table layer shows a stored field as a selection's name reader does; a value its column cannot hold as its kind
// it reads as no value, noting the first as its fault, told through the notice sink unless its caller tells it.
TEST_P(SelectNumbers, TheTableReadsTheFieldAsTheSelectionByName) {
  AllowReadingMismatches();
  const Reading& r = GetParam();
  if (std::string(r.column) != std::string("t.") + r.field) GTEST_SKIP() << "a computed column";
  for (const bool quiet : {false, true}) {
    notices.Clear();
    DbTable table(db.get(), "corse");
    table.SetFaultsToldByCaller(quiet);
    ASSERT_TRUE(table.isOpen && table.SetIndex("codice") && table.SeekEqual({"1"}));
    std::string shown = "?";
    const std::string expected(r.expected);
    EXPECT_EQ(table.GetFieldDisplayText(r.field, shown), *r.fault ? 0 : 1);
    EXPECT_EQ("{" + shown + "}", *r.fault ? "{}" : expected.substr(expected.find('{')));
    // Read again in editing: the same, until the field is set.
    ASSERT_TRUE(table.Edit());
    EXPECT_EQ(table.GetFieldText(r.field, shown), *r.fault ? 0 : 1);
    const DbSelect::ValueFault& f = table.Fault();
    EXPECT_EQ(table.Faulted() ? f.value + "|" + f.is + "|" + f.wanted : "", r.fault);
    EXPECT_EQ(table.Faulted() ? f.column : r.field, r.field);
    EXPECT_EQ(notices.Notices().size(), *r.fault && !quiet ? 2u : 0u);
    if (*r.fault && !quiet) {
      EXPECT_EQ(notices.Notices()[0].text, std::string("Errore campo (") + r.field + ") della tavola (corse) <" +
                                               f.value + ">\n\nIl valore è " + f.is + " e non " + f.wanted +
                                               " come richiede la sua colonna");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Readings, SelectNumbers, ::testing::ValuesIn(kReadings));

}  // namespace
