// One table walked by its indexes: rows added, found, changed and deleted through texts, the
// values of every type as the file stores them, and every refusal with its message.

#include "DbTestSupport.h"
#include "db/DbDatabase.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

class DbTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.Path("test.mdb");
    MakeDatabase(path, kTestSchema);
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
  }

  ScratchDir dir;
  std::string path;
  NoticeLog notices;
  std::unique_ptr<DbDatabase> db;
};

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
  EXPECT_EQ(length, 4);
  EXPECT_EQ(t.GetFieldBinarySize("bytes"), 4);
  EXPECT_EQ(v, std::string("\x01\x02\x00\x03", 4));
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
    if (std::string(field) != "nosuch") {
      EXPECT_TRUE(HasPart(notices.Texts(), std::string(" <") + value + ">\n\n"));
    }
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
  ASSERT_EQ(t.SetIndex("codice"), 1);
  ASSERT_EQ(t.SeekEqual({"2", "3"}), 1);
  EXPECT_EQ(FieldOf(t, "name"), "dup");
  // A partial key stands on the first row in index order.
  ASSERT_EQ(t.SeekEqual({"3"}), 1);
  EXPECT_EQ(FieldOf(t, "sub"), "1");
  EXPECT_EQ(t.SeekEqual({"4", "1"}), 0);
  ASSERT_TRUE(t.SetIndex("byname") && t.SeekEqual({"dup"}));
  EXPECT_EQ(FieldOf(t, "sub"), "1");
  // Padded codes match their parents.
  ASSERT_EQ(AddCadence(db.get(), "FER", "Feriale"), 1);
  ASSERT_EQ(AddRow(db.get(), "calend", "data=01/03/2024;caden=FER       ;giorno=5;note= "), 1);
  DbTable c(db.get(), "calend"), k(db.get(), "cadenz");
  EXPECT_TRUE(c.SetIndex("codice") && c.SeekEqual({"01/03/2024", "FER"}));
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

TEST_F(DbTableTest, MissingTableClosedDatabaseAndNoCurrentRow) {
  {
    DbTable t(db.get(), "nosuch");
    EXPECT_FALSE(t.isOpen);
    EXPECT_EQ(t.AddNew(), 0);
    EXPECT_EQ(t.SetIndex("codice"), 0);
  }
  EXPECT_EQ(notices.Notices().size(), 1u);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di apertura della tavola (nosuch)\n\n"));
  DbTable none(nullptr, "cadenz");
  EXPECT_FALSE(none.isOpen);
  EXPECT_EQ(notices.Notices().size(), 1u);
  // No current row: reported, and the buffer is left alone.
  notices.Clear();
  DbTable t(db.get(), "cadenz");
  std::string v = "unchanged";
  EXPECT_EQ(t.GetFieldText("denom", v), 0);
  EXPECT_EQ(v, "unchanged");
  EXPECT_EQ(t.Edit(), 0);
  ASSERT_EQ(notices.Notices().size(), 2u);
  EXPECT_TRUE(HasPrefix(notices.Notices()[0].text, "Errore campo (denom) della tavola (cadenz)\n\n"));
  EXPECT_TRUE(HasPrefix(notices.Notices()[1].text, "Errore editing tavola (cadenz)\n\n"));
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

}  // namespace
