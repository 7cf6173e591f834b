// One table walked by its indexes: rows added, found, changed and deleted through texts, the values of every type as
// the file stores them, and every refusal with its message; the texts of field values, both ways: the fixed-width
// numbers, the clamped dates, the display trimming, and the parsing of what a user or a file hands in.

#include "DbTestSupport.h"
#include "db/DbDatabase.h"
#include "db/FieldValue.h"

#include <gtest/gtest.h>
#include <tuple>

namespace {

using DbTableTest = SchemaTest;

TEST_F(DbTableTest, EveryTypeRoundTripsAsText) {
  ASSERT_EQ(AddRow(db.get(), "misc", "id=1;sub=1;name=;day=00/00/0000"), 1);
  ASSERT_EQ(AddRow(db.get(), "misc",
                   "id=70000;sub=-3;name=O'Brien;amount=1234,5;ratio=12,5;flag=1;day=99/99/9999;memo=Località Città"),
            1);
  DbTable t(db.get(), "misc");
  ASSERT_TRUE(t.SetIndex("codice") && t.SeekEqual({"70000", "-3"}) && t.Edit());
  const unsigned char bytes[] = {1, 2, 0, 3};
  ASSERT_TRUE(t.SetFieldBinary("bytes", bytes, 4) && t.Update()) << notices.Texts();
  ASSERT_EQ(t.SeekEqual({"70000", "-3"}), 1);
  EXPECT_EQ(FieldOf(t, "amount;ratio;flag;day;memo;name"),
            "+000000000001234,5000|000000000000012,5000|1|99/99/9999|Località Città|O'Brien");
  std::string v;
  int length = 0;
  t.GetFieldBinary("bytes", v, &length);
  EXPECT_EQ(std::tuple(v, length, t.GetFieldBinarySize("bytes")), std::tuple(std::string("\x01\x02\x00\x03", 4), 4, 4));
  // The empty text is NULL; the dates before the range read back as the empty date.
  ASSERT_EQ(t.SeekEqual({"1", "1"}), 1);
  EXPECT_EQ(FieldOf(t, "name;day;flag"), "|00/00/0000|");
  // The file holds ISO dates, integer currency and UTF-8 text, readable by any SQLite tool.
  db.reset();
  EXPECT_EQ(QueryFile(path,
                      "SELECT day, amount, typeof(amount), memo, hex(CAST(memo AS BLOB)) LIKE '%C3A0%', name IS NULL "
                      "FROM misc ORDER BY id DESC"),
            "2400-12-31|12345000|integer|Località Città|1|0\n1600-01-01|NULL|null|NULL|0|1\n");
}

TEST_F(DbTableTest, BadValuesAreRefusedAtTheField) {
  const std::pair<const char*, const char*> cases[] = {
      {"id", "abc"}, {"sub", "40000"}, {"name", "123456789"}, {"day", "31/02/2024"}, {"nosuch", "1"}};
  DbTable t(db.get(), "misc");
  t.AddNew();
  for (const auto& [field, value] : cases) {
    notices.Clear();
    EXPECT_EQ(t.SetFieldText(field, value), 0) << field;
    EXPECT_EQ(notices.Notices().size(), 1u);
    EXPECT_TRUE(HasPrefix(notices.Texts(), std::string("Errore campo (") + field + ") della tavola (misc)"));
    EXPECT_TRUE(HasPart(notices.Texts(), std::string(" <") + value + ">\n\n"));
  }
}

TEST_F(DbTableTest, SeekOnCompoundSecondaryAndPaddedKeys) {
  for (int id = 1; id <= 3; ++id)
    for (int sub = 3; sub >= 1; --sub)
      ASSERT_EQ(AddRow(db.get(), "misc",
                       "id=" + std::to_string(id) + ";sub=" + std::to_string(sub) +
                           ";name=" + (id == 2 ? "dup" : "n" + std::to_string(id))),
                1);
  DbTable t(db.get(), "misc");
  ASSERT_TRUE(t.SetIndex("codice") && t.SeekEqual({"2", "3"}));
  EXPECT_EQ(FieldOf(t, "name;sub"), "dup|3");
  // A partial key stands on the first row in index order.
  ASSERT_EQ(t.SeekEqual({"3"}), 1);
  EXPECT_EQ(FieldOf(t, "name;sub"), "n3|1");
  EXPECT_EQ(t.SeekEqual({"4", "1"}), 0);
  ASSERT_TRUE(t.SetIndex("byname") && t.SeekEqual({"dup"}));
  EXPECT_EQ(FieldOf(t, "id;sub"), "2|1");
  // A padded code is the same key.
  ASSERT_EQ(AddCadence(db.get(), "FER", "Feriale"), 1);
  DbTable k(db.get(), "cadenz");
  EXPECT_TRUE(k.SetIndex("codice") && k.SeekEqual({"FER   "}));
  EXPECT_EQ(notices.Texts(), "");
  // Wrong input: a key that is no number, an index the table does not have.
  t.SetIndex("codice");
  EXPECT_EQ(t.SeekEqual({"x"}), 0);
  EXPECT_EQ(t.SetIndex("nosuch"), 0);
  ASSERT_EQ(notices.Notices().size(), 2u);
  EXPECT_TRUE(HasPrefix(notices.Notices()[0].text, "Errore lettura tavola (misc)\n\n"));
  EXPECT_TRUE(HasPrefix(notices.Notices()[1].text, "Errore selezione indice (nosuch) tavola (misc)\n\n"));
}

// A table the file does not have, or no database: not open, nothing done; no current row: reported,
// and the buffer is left alone.
TEST_F(DbTableTest, MissingTableClosedDatabaseAndNoCurrentRow) {
  {
    DbTable t(db.get(), "nosuch"), none(nullptr, "cadenz");
    EXPECT_FALSE(t.isOpen || none.isOpen || t.AddNew() || t.SetIndex("codice"));
  }
  DbTable t(db.get(), "cadenz");
  std::string v = "unchanged";
  EXPECT_FALSE(t.GetFieldText("denom", v) || t.Edit());
  EXPECT_EQ(v, "unchanged");
  EXPECT_EQ(notices.Notices().size(), 3u);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di apertura della tavola (nosuch)\n\n") &&
              HasPart(notices.Texts(), "\n--\nErrore campo (denom) della tavola (cadenz)\n\n") &&
              HasPart(notices.Texts(), "\n--\nErrore editing tavola (cadenz)\n\n"));
}

TEST_F(DbTableTest, AnEditOfARowDeletedMeanwhileStoresNothing) {
  ASSERT_EQ(AddCadence(db.get(), "FER", "Feriale"), 1);
  DbTable editor(db.get(), "cadenz"), other(db.get(), "cadenz");
  ASSERT_TRUE(editor.SetIndex("codice") && editor.SeekEqual({"FER"}));
  ASSERT_TRUE(other.SetIndex("codice") && other.SeekEqual({"FER"}) && other.Delete());
  ASSERT_EQ(editor.Edit(), 1);
  editor.SetFieldText("denom", "Feriale estivo");
  EXPECT_EQ(editor.Update(), 0);
  EXPECT_EQ(notices.Texts(),
            "Errore aggiornamento tavola (cadenz)\n\nLa riga non esiste più: è stata "
            "eliminata o modificata da un altro utente");
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM cadenz"), "0\n");
}

// A date another program stored with a time of day is its date, and one of a year the database does not keep as
// itself reads as its clamp; a row keyed by either is edited, and found by the key a selection reads, as stored.
TEST_F(DbTableTest, ADateStoredWithATimeOfDayIsItsDate) {
  const std::tuple<std::string, std::string, const char*> cases[] = {
      {"2024-01-01 00:00:00", "2024-06-30T08:15", "01/01/2024|30/06/2024"},
      {"2028-02-29", "9999-12-31", "29/02/2028|99/99/9999"},
      {"0001-01-01", "2024-03-31", "00/00/0000|31/03/2024"},
      {"1600-01-01", "2400-12-31", "00/00/0000|99/99/9999"},
  };
  ASSERT_TRUE(AddCadence(db.get(), "FER") && AddTrip(db.get(), "7"));
  for (const auto& [start, end, read] : cases) {
    SCOPED_TRACE(start);
    ASSERT_EQ(ExecOnFile(path, "INSERT INTO period VALUES (7, 'FER', '" + start + "', '" + end + "', 0)"), "ok");
    DbTable t(db.get(), "period");
    ASSERT_TRUE(t.SetIndex("codice") && t.SeekEqual({"7"}));
    EXPECT_EQ(FieldOf(t, "inizio;fine"), read);
    ASSERT_TRUE(t.Edit() && t.SetFieldText("escluso", "1"));
    EXPECT_EQ(t.Update(), 1) << notices.Texts();
    EXPECT_EQ(QueryFile(path, "SELECT inizio, fine, escluso FROM period"), start + "|" + end + "|1\n");
    DbSelect s(db.get(), {.columns = "inizio, fine", .from = "period"});
    ASSERT_TRUE(s.Open());
    const std::vector<DbText> key{{"7", {}}, s.DateKeyAt(0), s.DateKeyAt(1)};
    EXPECT_EQ(key[1].text + "|" + key[2].text, read);
    ASSERT_EQ(t.SeekEqual(key), 1) << notices.Texts();
    EXPECT_EQ(t.Delete(), 1) << notices.Texts();
  }
}

using K = DbValue::Kind;

// Doubles: twenty characters with a decimal comma, wider only when they must be; currency:
// twenty-one with the sign; dates clamp at 1600 and 2400; texts keep their blanks, which their
// display trims; booleans are 1 and 0; blobs and NULL have no text.
TEST(FieldValue, TextsAndDisplayTextsOfEveryKind) {
  const std::tuple<DbValue, const char*, const char*> cases[] = {
      {DbValue::Real(-12.5), "-00000000000012,5000", nullptr},
      {DbValue::Real(1234.56789), "000000000001234,5679", nullptr},
      {DbValue::Real(1e20), "100000000000000000000,0000", nullptr},
      {DbValue::Int(K::Currency, 0), "+000000000000000,0000", nullptr},
      {DbValue::DateYmd(1600, 12, 31), "00/00/0000", nullptr},
      {DbValue::DateYmd(1601, 1, 1), "01/01/1601", nullptr},
      {DbValue::DateYmd(2399, 12, 31), "31/12/2399", nullptr},
      {DbValue::DateYmd(2400, 1, 1), "99/99/9999", nullptr},
      {DbValue::Int(K::Date, 0), "00/00/0000", nullptr},
      {DbValue::Int(K::Bool, 0), "0", nullptr},
      {DbValue::Str(K::Text, " abc  "), " abc  ", " abc"},
      {DbValue::Str(K::Text, "   "), "   ", " "},
      {DbValue::Str(K::Text, ""), "", ""},
      {DbValue::Null(), "", ""},
      {DbValue::Str(K::Blob, std::string(300, 'x')), "", "BLOB [300 bytes]"},
  };
  for (const auto& [value, text, display] : cases) {
    EXPECT_EQ(VariantToText(value), text) << text;
    EXPECT_EQ(VariantToDisplayText(value), display ? display : VariantToText(value)) << text;
  }
  EXPECT_EQ(VariantBlobSize(DbValue::Str(K::Blob, std::string(300, 'x'))), 300);
  EXPECT_EQ(VariantBlobSize(DbValue::Real(1)), 0);
  // Texts put into SQL.
  EXPECT_EQ(SqlQuote("l'Aquila") + SqlDate("05/03/2024") + SqlDate("31/02/2024") + SqlDate(1900, 1, 1),
            "'l''Aquila''2024-03-05'NULL'1900-01-01'");
}

TEST(FieldValue, ParsingTextsIntoFieldValues) {
  const struct {
    FieldType type;
    const char* text;
    const char* back;  // the value's text, nullptr when refused
  } cases[] = {
      {{'I', 0}, "-32768", "-32768"},
      {{'I', 0}, "32768", nullptr},
      {{'L', 0}, "12a", nullptr},
      {{'L', 0}, " 2147483647 ", "2147483647"},
      {{'N', 0}, "-0,25", "-000000000000000,2500"},
      {{'N', 0}, "922337203685477,5807", "+922337203685477,5807"},
      {{'N', 0}, "-922337203685477,5808", "-922337203685477,5808"},
      // One unit beyond either end, or fifteen nines: refused, never wrapped round.
      {{'N', 0}, "922337203685477,5808", nullptr},
      {{'N', 0}, "-922337203685477,5809", nullptr},
      {{'N', 0}, "999999999999999", nullptr},
      {{'N', 0}, "922337203685477,58075", nullptr},  // rounding carries it over
      {{'N', 0}, "0,99995", "+000000000000001,0000"},
      {{'D', 0}, "5/3/2007", "05/03/2007"},
      {{'D', 0}, "29/02/2024 10:30:00", "29/02/2024"},
      {{'D', 0}, "31/02/2024", nullptr},
      {{'B', 0}, "-1", "1"},
      {{'A', 3}, "abc", "abc"},
      {{'A', 3}, "abcd", nullptr},
  };
  for (const auto& c : cases) {
    DbValue v;
    std::string error;
    const bool ok = ParseFieldText(c.type, c.text, v, error);
    EXPECT_EQ(ok, c.back != nullptr) << c.type.letter << " " << c.text;
    EXPECT_EQ(ok ? VariantToText(v) : "", c.back ? c.back : "") << c.type.letter << " " << c.text;
  }
  DbValue empty;
  std::string error;
  ASSERT_TRUE(ParseFieldText({'A', 3}, "", empty, error));
  EXPECT_TRUE(empty.IsNull());
}

}  // namespace
