// Selections walked forward, materialised or streaming: their rows, their readers by position and
// by name, the texts of their failures, and results from one row to many blocks of values.

#include "DbTestSupport.h"
#include "common/Cp1252.h"
#include "db/DbCollation.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/TextKeys.h"

#include <gtest/gtest.h>
#include <cstdio>
#include <memory>
#include <tuple>

namespace {

class DbSelectTest : public SchemaTest {
 protected:
  void SetUp() override {
    SchemaTest::SetUp();
    ASSERT_EQ(ExecOnFile(path,
                         "INSERT INTO cadenz VALUES ('FER','Feriale'),('SAB','Sabato  '),('FES','Festivo');"
                         "INSERT INTO misc (id, sub, name, flag, day) VALUES (1, 7, 'l''uno', 1, '2024-02-29'),"
                         "(2, 8, NULL, 0, NULL);"),
              "ok");
  }
  std::unique_ptr<DbSelect> Select(const std::string& columns, const std::string& from, const std::string& where = "",
                                   const std::string& order = "", bool streaming = false) {
    auto s = std::make_unique<DbSelect>(db.get());
    s->SetStreaming(streaming);
    s->SetColumns(columns);
    s->SetFrom(from);
    s->SetWhere(where);
    s->SetOrderBy(order);
    return s;
  }
};

// Both kinds of walk: the rows in order (by name the display text, by position the stored one), the end of the walk for
// good, a second run that sees a row added meanwhile; no row matched is no failure.
class DbSelectWalk : public DbSelectTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DbSelectWalk, WalksRowsAndRunsTheQueryAgain) {
  const bool streaming = GetParam();
  auto s = Select("codice, denom, length(denom)", "cadenz", "codice = 'FES'", "codice", streaming);
  s->SetWhere("");  // removed again
  std::string rows, counts, name, stored;
  for (int ok = s->Open(); ok; ok = s->MoveNext()) {
    long n = 0;
    s->GetFieldText("denom", name);
    s->GetFieldTextAt(1, stored);
    s->GetFieldLongAt(2, &n);
    rows += name + "=" + stored + "/" + std::to_string(n) + ";";
    counts += std::to_string(s->RowCount());
  }
  EXPECT_EQ(rows, "Feriale=Feriale/7;Festivo=Festivo/7;Sabato=Sabato  /8;");
  EXPECT_EQ(counts, streaming ? "123" : "333");  // a streaming walk counts the rows as they come
  EXPECT_EQ(s->MoveNext(), 0);
  std::string after = "x";
  EXPECT_TRUE(!s->GetFieldTextAt(0, after) && after == "x" && notices.Notices().size() == 1);  // no row: reported
  notices.Clear();
  ASSERT_EQ(AddCadence(db.get(), "AAA", "Prima"), 1);
  ASSERT_EQ(s->MoveFirst(), 1);
  EXPECT_TRUE(s->GetFieldTextAt(0, after) && after == "AAA");
  s->SetWhere("codice = " + SqlQuote("l'altro"));
  EXPECT_EQ(s->Open(), 0);
  EXPECT_EQ(s->RowCount(), 0);
  EXPECT_EQ(notices.Texts(), "");
}

INSTANTIATE_TEST_SUITE_P(StreamingOrNot, DbSelectWalk, ::testing::Bool());

// Every reader by position against every kind of column, read whole and streaming, on a value and
// on NULL: what each gives, and which readings are refused ('!': told through the notice sink).
TEST_F(DbSelectTest, EveryReaderOnEveryKindOfColumn) {
  AllowReadingMismatches();
  ASSERT_EQ(ExecOnFile(path, "UPDATE misc SET amount = 1.5, ratio = 2.25, memo = 'nota', bytes = x'0102' WHERE id = 1"),
            "ok");
  const struct {
    const char *column, *value, *null;  // text reader, whole number (int), whole number (long)
  } cases[] = {
      {"m.id", "0[]! 1:1 1:1", "0[] 0:0 0:0"},                  // L
      {"m.sub", "0[]! 1:7 1:7", "0[] 0:0 0:0"},                 // I
      {"m.flag", "0[]! 1:-1 1:-1", "0[] 0:0 0:0"},              // B: yes is -1
      {"m.name", "1[l'uno] 0:0! 0:0!", "0[] 0:0 0:0"},          // A
      {"m.memo", "1[nota] 0:0! 0:0!", "0[] 0:0 0:0"},           // M
      {"m.day", "1[29/02/2024] 0:0! 0:0!", "0[] 0:0 0:0"},      // D
      {"m.amount", "0[]! 0:0! 0:0!", "0[] 0:0 0:0"},            // N
      {"m.ratio", "0[]! 0:0! 0:0!", "0[] 0:0 0:0"},             // F
      {"m.bytes", "0[]! 0:0! 0:0!", "0[] 0:0 0:0"},             // O
      {"m.id + m.sub", "0[]! 1:8 1:8", "0[] 0:0 0:0"},          // computed
      {"m.name || '!'", "1[l'uno!] 0:0! 0:0!", "0[] 0:0 0:0"},  // computed text
      // computed, a date with a time of day: a text, not a date
      {"'2024-03-05 10:30' || substr(m.name, 1, 0)", "1[2024-03-05 10:30] 0:0! 0:0!", "0[] 0:0 0:0"},
      {"m.id * 10000000000", "0[]! 0:0! 1:10000000000", "0[] 0:0 0:0"},  // beyond an int
  };
  for (const auto& c : cases) {
    for (bool streaming : {false, true}) {
      // The second row of the outer join holds NULL in every column.
      auto s = Select(c.column, "misc a LEFT JOIN misc m ON m.id = a.id AND a.id = 1", "", "a.id", streaming);
      std::string out;
      for (int ok = s->Open(); ok; ok = s->MoveNext()) {
        std::string t = "?";
        int i = 99;
        long l = 99;
        // Each reading, then "!" when it was told.
        const auto read = [&](auto reader) {
          const size_t before = notices.Notices().size();
          const std::string text = reader();
          return text + (notices.Notices().size() > before ? "!" : "");
        };
        out += out.empty() ? "" : " | ";
        out += read([&] {
          const int r = s->GetFieldTextAt(0, t);
          // Read as a view, the same.
          std::string buffer;
          std::string_view view;
          DbSelect::LostCharacter lost;
          EXPECT_EQ(s->GetFieldTextAt(0, view, buffer, lost), r) << c.column;
          EXPECT_EQ(view, t) << c.column;
          return std::to_string(r) + "[" + t + "]";
        });
        out += " " + read([&] {
                 const int r = s->GetFieldIntAt(0, &i);
                 return std::to_string(r) + ":" + std::to_string(i);
               });
        out += " " + read([&] {
                 const int r = s->GetFieldLongAt(0, &l);
                 return std::to_string(r) + ":" + std::to_string(l);
               });
      }
      EXPECT_EQ(out, std::string(c.value) + " | " + c.null) << c.column << (streaming ? ", streaming" : ", read whole");
    }
  }
  // A refusal names the column, the selection and the kind.
  notices.Clear();
  auto day = Select("m.day", "misc m", "m.id = 1", "", true);
  ASSERT_TRUE(day->Open());
  EXPECT_EQ(day->LongAt(0), 0);
  EXPECT_EQ(notices.Texts(), "Errore campo (#0) nella select corrente\n\n" + day->Sql() +
                                 "\n\nIl valore è una data e non si legge come numero intero");
  notices.Clear();
  // The prefixed column answers to its own name; a position beyond the columns is reported.
  auto s = Select("misc.id, name", "misc", "", "id");
  std::string byName;
  int i = 0;
  ASSERT_TRUE(s->Open() && s->GetFieldText("id", byName));
  EXPECT_EQ(byName, "1");
  EXPECT_EQ(s->GetFieldIntAt(9, &i), 0);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore campo (#9) nella select corrente\n\n" + s->Sql() + "\n\n"));
}

// A stored text as each text reader gives it, read whole and streaming: Windows-1252, with the
// character it lost ('?' in the text read) and the offset of that '?'; ASCII runs of every length
// around the eight bytes the readers look at together.
TEST_F(DbSelectTest, StoredTextsReadWithTheCharacterTheyLost) {
  const struct {
    const char* sql;
    const char* text;
    const char* lost;
  } cases[] = {
      {"'abc'", "abc", ""},
      {"'F000101'", "F000101", ""},
      {"'Citt' || char(0xE0)", "Citt\xE0", ""},
      {"'Fermata 1 della linea 1'", "Fermata 1 della linea 1", ""},
      {"'Piazza Citt' || char(0xE0)", "Piazza Citt\xE0", ""},
      {"'Bivio Oliv' || char(0x159) || 'la'", "Bivio Oliv?la", "U+0159@10"},
      {"'Citt' || char(0xE0, 32, 0x159)", "Citt\xE0 ?", "U+0159@6"},
      {"'Via' || char(0x85)", "Via?", "U+0085@3"},
      {"CAST(X'46657374FF69766F' AS TEXT)", "Fest?ivo", "U+FFFD@4"},
      // Bytes where a text should be (a tool binding bytes): read as SQL writes them, marked as no text at all.
      {"X'436974E0'", "X'436974E0'", "U+110000@0"},
      {"X'C581C3B364C5BA'", "X'C581C3B364C5BA'", "U+110000@0"},
      {"X'4181'", "X'4181'", "U+110000@0"},
      {"X'41'", "X'41'", "U+110000@0"},
  };
  const auto mark = [](DbSelect::LostCharacter l) {
    char text[32] = "";
    if (l.code != 0) std::snprintf(text, sizeof text, "U+%04X@%d", static_cast<unsigned>(l.code), l.at);
    return std::string(text);
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ExecOnFile(path, std::string("UPDATE misc SET memo = ") + c.sql + " WHERE id = 1"), "ok");
    for (bool streaming : {false, true}) {
      auto s = Select("memo", "misc", "id = 1", "", streaming);
      std::string text, buffer;
      std::string_view view;
      DbSelect::LostCharacter lost, viewLost;
      ASSERT_TRUE(s->Open() && s->GetFieldTextAt(0, text, lost) && s->GetFieldTextAt(0, view, buffer, viewLost));
      EXPECT_EQ(text + "|" + std::string(view) + "|" + mark(lost) + "|" + mark(viewLost) + "|" + mark(s->LostAt(0)),
                std::string(c.text) + "|" + c.text + "|" + c.lost + "|" + c.lost + "|" + c.lost)
          << c.sql << (streaming ? ", streaming" : ", read whole");
    }
  }
}

// A value its column cannot hold as its kind is the selection's fault, the first of the run kept: its column, its value
// as SQL writes it, what it is and what the reader takes. Told by the caller when it says so, else through the sink.
TEST_F(DbSelectTest, ValuesOfAnotherKindThanTheirColumnAreFaults) {
  AllowReadingMismatches();
  const struct {
    const char *sql, *column;
    bool text;  // read by the text reader, else by the whole-number one
    const char* fault;
  } cases[] = {
      {"UPDATE misc SET sub = 'abc'", "sub", false, "sub|'abc'|un testo|un numero intero"},
      {"UPDATE misc SET sub = X'0102'", "sub", false, "sub|X'0102'|un dato binario|un numero intero"},
      {"UPDATE misc SET sub = 1.5", "sub", false, "sub|1.5|un numero con decimali|un numero intero"},
      {"UPDATE misc SET name = X'4181'", "name", true, "name|X'4181'|un dato binario|un testo"},
      {"UPDATE misc SET name = X'41'", "name", true, "name|X'41'|un dato binario|un testo"},
      {"UPDATE misc SET name = 'Citt' || char(0xE0), sub = 12", "name, sub", true, ""},
      // A date column holds a date only in the ISO text the layer writes, or followed by a time of day
      // as other programs write a date: the date alone counts.
      {"UPDATE misc SET day = 'abc'", "day", true, "day|'abc'|un testo|una data"},
      {"UPDATE misc SET day = '31/02/2026'", "day", true, "day|'31/02/2026'|un testo|una data"},
      {"UPDATE misc SET day = '2026-02-31'", "day", true, "day|'2026-02-31'|un testo|una data"},
      {"UPDATE misc SET day = '2026-02-01 10:00'", "day", true, ""},
      {"UPDATE misc SET day = '2026-02-01 00:00:00'", "day", true, ""},
      {"UPDATE misc SET day = '2026-02-01T23:59:59.125'", "day", true, ""},
      {"UPDATE misc SET day = '2026-02-01 24:00'", "day", true, "day|'2026-02-01 24:00'|un testo|una data"},
      {"UPDATE misc SET day = '2026-02-01 10:00:00.'", "day", true, "day|'2026-02-01 10:00:00.'|un testo|una data"},
      {"UPDATE misc SET day = '2026-02-31 00:00:00'", "day", true, "day|'2026-02-31 00:00:00'|un testo|una data"},
      {"UPDATE misc SET day = 20260201", "day", true, "day|20260201|un numero intero|una data"},
      {"UPDATE misc SET day = 20260201", "day", false, "day|20260201|un numero intero|una data"},
      {"UPDATE misc SET day = X'41'", "day", true, "day|X'41'|un dato binario|una data"},
      {"UPDATE misc SET day = '2026-02-01'", "day", true, ""},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(ExecOnFile(path, c.sql), "ok");
    for (bool streaming : {false, true}) {
      for (bool quiet : {false, true}) {
        SCOPED_TRACE(std::string(c.sql) + (streaming ? ", streaming" : ", read whole") + (quiet ? ", quiet" : ""));
        notices.Clear();
        auto s = Select(c.column, "misc", "", "id", streaming);
        s->SetFaultsToldByCaller(quiet);
        ASSERT_TRUE(s->Open());
        std::string text;
        if (c.text)
          s->GetFieldTextAt(0, text);
        else
          s->LongAt(0);
        const DbSelect::ValueFault& f = s->Fault();
        EXPECT_EQ(s->Faulted() ? f.column + "|" + f.value + "|" + f.is + "|" + f.wanted : "", c.fault);
        // A value read wrongly is told unless the caller tells it; bytes read as a text are marked instead.
        const bool marked = std::string_view(c.fault).ends_with("|un testo");
        EXPECT_EQ(notices.Notices().size(), !quiet && !marked && *c.fault ? 1u : 0u);
        // A value that is no date of its date column reads as none; a date as its text.
        if (c.text && std::string_view(c.column) == "day") {
          EXPECT_EQ(text, *c.fault ? "" : "01/02/2026");
        }
        // The next row (NULL) keeps the first fault; a new run starts without.
        s->MoveNext();
        EXPECT_EQ(s->Faulted(), *c.fault != 0);
        s->Open();
        EXPECT_FALSE(s->Faulted());
      }
    }
  }
}

TEST_F(DbSelectTest, FailuresShowTheSqlText) {
  const struct {
    const char *columns, *from, *where, *message;
  } cases[] = {
      // A column the table does not have: the extraction fails.
      {"nosuch", "cadenz", "", "Errore estrazione Select SQL\n\nSELECT nosuch\nFROM cadenz\n\n\n"},
      {"codice", "cadenz", "nosuch = 1",
       "Errore estrazione Select SQL\n\nSELECT codice\nFROM cadenz\nWHERE nosuch = 1\n"},
      // A text that is no SQL, or no table: a syntax error.
      {"codice,", "cadenz", "", "Errore sintassi SQL\n\nSELECT codice,\nFROM cadenz\n"},
      {"codice", "", "", "Errore sintassi SQL\n\n\n\n"},
  };
  for (const auto& c : cases) {
    notices.Clear();
    EXPECT_EQ(Select(c.columns, c.from, c.where)->Open(), 0);
    EXPECT_TRUE(notices.Notices().size() == 1 && notices.Notices()[0].icon == NoticeIcon::Exclamation &&
                HasPrefix(notices.Texts(), c.message));
  }
}

// A selection's whole result read at open, from one row to more than fit in the first block of values or of texts:
// every value comes back as stored, on every run of the same selection. Walks the selection, which has just returned
// `opened`, checking every row against what was stored: rows from `first` on, in order. The number of rows walked.
long Walk(DbSelect& s, int opened, long first) {
  long rows = 0;
  std::string text, note;
  for (int ok = opened; ok && !::testing::Test::HasFailure(); ok = s.MoveNext(), ++rows) {
    long id = 0;
    EXPECT_TRUE(s.GetFieldLongAt(0, &id) && s.GetFieldTextAt(1, text));
    EXPECT_EQ(id, first + rows);
    EXPECT_EQ(text, "riga " + std::to_string(id) + " della tavola di prova");
    if (id == 50000) {
      EXPECT_TRUE(s.GetFieldText("nota", note) && note == std::string(1500000, 'x'));
    }
  }
  EXPECT_EQ(s.MoveNext(), 0);  // the walk is over for good
  return rows;
}

// Texts read are told apart by what the database holds: a whole text is its own key, two read alike with '?' are
// two, and without regard to letter case the stored text is folded as Unicode folds it.
TEST_F(DbSelectTest, TextsAreKeyedByTheirStoredText) {
  const std::tuple<const char*, const char*, LetterCase, bool> cases[] = {
      {"'Lodz'", "'Lodz  '", LetterCase::Counts, true},
      {"'Lodz'", "'LODZ'", LetterCase::Counts, false},
      {"'citt' || char(0xE0)", "'CITT' || char(0xC0)", LetterCase::Ignored, true},
      {"'?odz'", "char(0x141) || 'odz'", LetterCase::Ignored, false},
      {"char(0x141) || 'odz'", "char(0x15A) || 'odz'", LetterCase::Ignored, false},
      {"char(0x141, 0xF3, 0x64, 0x17A)", "char(0x141, 0xD3, 0x44, 0x179)", LetterCase::Counts, false},
      {"char(0x141, 0xF3, 0x64, 0x17A)", "char(0x141, 0xD3, 0x44, 0x179)", LetterCase::Ignored, true},
      {"char(0x212A) || 'm'", "'KM'", LetterCase::Ignored, true},              // the Kelvin sign folds to a k
      {"char(0xB5, 0x212A)", "char(0xB5) || 'K'", LetterCase::Ignored, true},  // µ folds alike in both keys
      // µ folds as the Greek mu, which the code page lacks: with either Greek letter it is one text.
      {"char(0xB5) || 'A'", "char(0x39C) || 'a'", LetterCase::Ignored, true},
      {"char(0xB5) || 'A'", "char(0x3BC) || 'A'", LetterCase::Ignored, true},
      {"char(0xB5) || 'A'", "char(0x3BC) || 'A'", LetterCase::Counts, false},
      {"char(0xB5) || 'A'", "char(0xB5) || 'a'", LetterCase::Ignored, true},
      // Bytes are never the text they spell.
      {"X'4C31'", "'L1'", LetterCase::Ignored, false},
  };
  for (const auto& [a, b, letterCase, same] : cases) {
    SCOPED_TRACE(std::string(a) + " " + b);
    ASSERT_EQ(ExecOnFile(path, std::string("DELETE FROM misc; INSERT INTO misc (id, sub, name) VALUES (1, 0, ") + a +
                                   "), (2, 0, " + b + ");"),
              "ok");
    auto s = Select("name", "misc", "", "id", true);
    ASSERT_TRUE(s->Open());
    const std::string first = TextKeyAt(*s, 0, letterCase);
    s->MoveNext();
    EXPECT_EQ(first == TextKeyAt(*s, 0, letterCase), same);
    if (s->LostAt(0).code == 0) {
      EXPECT_EQ(TextKeyAt(*s, 0), s->TrimmedAt(0));  // a whole text is its own key
    }
  }
}

TEST(SelectResult, EveryRowComesBackWholeOnEveryRunAndInSelectionsOfOneRow) {
  ScratchDir dir;
  const std::string path = dir.Path("righe.mdb");
  // 100000 rows of two columns: about three blocks of values and three of texts.
  MakeDatabase(path,
               BuilderTimetableTables() +
                   "CREATE TABLE righe (id INT NOT NULL PRIMARY KEY, testo VARCHAR(40) COLLATE RTRIM, nota LONGTEXT);"
                   "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 100000)"
                   " INSERT INTO righe (id, testo) SELECT k, 'riga ' || k || ' della tavola di prova' FROM n;"
                   "UPDATE righe SET nota = printf('%.*c', 1500000, 'x') WHERE id = 50000;");
  DbDatabase db(path);
  DbSelect s(&db);
  s.SetColumns("id, testo, nota");
  s.SetFrom("righe");
  s.SetOrderBy("id");
  EXPECT_EQ(Walk(s, s.Open(), 1), 100000);
  EXPECT_EQ(s.RowCount(), 100000);
  EXPECT_EQ(Walk(s, s.MoveFirst(), 1), 100000);
  // Narrower runs of the same selection after the large one, and selections of one row each.
  const std::tuple<const char*, long, long> runs[] = {
      {"id > 99990", 99991, 10}, {"id = 50000", 50000, 1}, {"id > 100000", 0, 0}};
  for (const auto& [where, first, count] : runs) {
    s.SetWhere(where);
    EXPECT_EQ(Walk(s, s.Open(), first), count) << where;
  }
  for (long k : {1L, 2L, 65536L, 99999L}) {
    DbSelect one(&db);
    one.SetColumns("id, testo");
    one.SetFrom("righe");
    one.SetWhere("id = " + std::to_string(k));
    EXPECT_EQ(Walk(one, one.Open(), k), 1) << k;
  }
}

}  // namespace

// Lists sorted by name read as a dictionary: case and accents do not count, trailing blanks
// neither, and texts equal as letters still come in one fixed order.
TEST(DictionaryOrder, SortsWithoutRegardToCaseAndAccents) {
  const std::pair<const char*, const char*> cases[] = {
      {"alba", "àncora"}, {"àncora", "Èrba"}, {"Èrba", "erbe"}, {"erbe", "Zona"}, {"Perù", "Perugia"},
      {"ÉCOLE", "école"}, {"ab", "ab c"},     {"Ça", "cb"},     {"Ÿ", "zz"},      {"Ž", "zz"}};
  for (const auto& [before, after] : cases) {
    // The literals are Windows-1252, as every text of the program; the engine holds UTF-8.
    const std::string a = cp1252::ToUtf8(before), b = cp1252::ToUtf8(after);
    EXPECT_LT(DictionaryCompare(a, b), 0) << a << " < " << b;
    EXPECT_GT(DictionaryCompare(b, a), 0) << b << " > " << a;
  }
  EXPECT_EQ(DictionaryCompare("FER   ", "FER"), 0);
}
