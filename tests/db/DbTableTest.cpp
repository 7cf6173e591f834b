#include "TestSchema.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <QFile>
#include <fstream>

namespace {

class DbTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.Path("test.mdb");
    MakeDatabase(path, kTestSchema);
    db = std::make_unique<DbDatabase>(path);
    ASSERT_EQ(db->isOpen, 1);
  }
  void TearDown() override { db.reset(); }

  int AddCadence(const char* code, const char* name) {
    DbTable t(db.get(), "cadenz");
    t.AddNew();
    t.SetFieldText("codice", code);
    t.SetFieldText("denom", name);
    return t.Update();
  }

  ScratchDir dir;
  std::string path;
  NoticeLog script;
  std::unique_ptr<DbDatabase> db;
};

TEST_F(DbTableTest, InsertSeekEditDeleteThroughTexts) {
  ASSERT_EQ(AddCadence("FER", "Feriale"), 1);
  DbTable t(db.get(), "cadenz");
  ASSERT_EQ(t.SetIndex("codice"), 1);
  ASSERT_EQ(t.SeekEqual({"FER"}), 1);
  std::string v;
  ASSERT_EQ(t.GetFieldText("denom", v), 1);
  EXPECT_EQ(v, "Feriale");
  ASSERT_EQ(t.Edit(), 1);
  ASSERT_EQ(t.SetFieldText("denom", "Feriale invernale"), 1);
  ASSERT_EQ(t.Update(), 1);
  EXPECT_EQ(QueryFile(path, "SELECT denom FROM cadenz"), "Feriale invernale\n");
  ASSERT_EQ(t.SeekEqual({"FER"}), 1);
  ASSERT_EQ(t.Delete(), 1);
  EXPECT_EQ(t.SeekEqual({"FER"}), 0);
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM cadenz"), "0\n");
  EXPECT_TRUE(script.Notices().empty()) << script.Texts();
}

TEST_F(DbTableTest, EveryTypeRoundTripsAsText) {
  DbTable t(db.get(), "misc");
  ASSERT_EQ(t.isOpen, 1);
  t.AddNew();
  t.SetFieldText("id", "70000");
  t.SetFieldText("sub", "-3");
  t.SetFieldText("name", "O'Brien");
  t.SetFieldText("amount", "1234,5");
  t.SetFieldText("ratio", "12,5");
  t.SetFieldText("flag", "1");
  t.SetFieldText("day", "99/99/9999");
  t.SetFieldText("memo", "Località Città");
  const unsigned char bytes[] = {1, 2, 0, 3};
  t.SetFieldBinary("bytes", bytes, 4);
  ASSERT_EQ(t.Update(), 1) << script.Texts();

  ASSERT_EQ(t.SetIndex("codice"), 1);
  ASSERT_EQ(t.SeekEqual({"70000", "-3"}), 1);
  std::string v;
  t.GetFieldText("amount", v);
  EXPECT_EQ(v, "+000000000001234,5000");
  t.GetFieldText("ratio", v);
  EXPECT_EQ(v, "000000000000012,5000");
  t.GetFieldText("flag", v);
  EXPECT_EQ(v, "1");
  t.GetFieldText("day", v);
  EXPECT_EQ(v, "99/99/9999");
  t.GetFieldText("memo", v);
  EXPECT_EQ(v, "Località Città");
  t.GetFieldText("name", v);
  EXPECT_EQ(v, "O'Brien");
  EXPECT_EQ(t.GetFieldBinarySize("bytes"), 4);
  int length = 0;
  t.GetFieldBinary("bytes", v, &length);
  EXPECT_EQ(length, 4);
  EXPECT_EQ(v, std::string("\x01\x02\x00\x03", 4));

  // The file holds ISO dates, integer currency and UTF-8 text, readable by any SQLite tool.
  db.reset();
  EXPECT_EQ(
      QueryFile(path, "SELECT day, amount, typeof(amount), memo, hex(CAST(memo AS BLOB)) LIKE '%C3A0%' FROM misc"),
      "2400-12-31|12345000|integer|Località Città|1\n");
}

TEST_F(DbTableTest, EmptyTextIsNullAndClampsReadBack) {
  DbTable t(db.get(), "misc");
  t.AddNew();
  t.SetFieldText("id", "1");
  t.SetFieldText("sub", "1");
  t.SetFieldText("name", "");
  t.SetFieldText("day", "00/00/0000");
  ASSERT_EQ(t.Update(), 1);
  t.SetIndex("codice");
  ASSERT_EQ(t.SeekEqual({"1", "1"}), 1);
  std::string v = "x";
  t.GetFieldText("name", v);
  EXPECT_EQ(v, "");
  t.GetFieldText("day", v);
  EXPECT_EQ(v, "00/00/0000");
  t.GetFieldText("flag", v);
  EXPECT_EQ(v, "");
  EXPECT_EQ(QueryFile(path, "SELECT name IS NULL, day FROM misc"), "1|1600-01-01\n");
}

TEST_F(DbTableTest, RequiredAndUniqueViolationsGiveTheirMessages) {
  ASSERT_EQ(AddCadence("FER", "Feriale"), 1);
  EXPECT_EQ(AddCadence("FER", "Ancora"), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].icon, NoticeIcon::Stop);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore aggiornamento tavola (cadenz)\n\nValore duplicato", 0), 0u)
      << script.Notices()[0].text;
  script.Clear();

  // The empty text is accepted by SetFieldText (it means NULL); the refusal comes at Update.
  DbTable t(db.get(), "cadenz");
  t.AddNew();
  EXPECT_EQ(t.SetFieldText("codice", "SAB"), 1);
  EXPECT_EQ(t.SetFieldText("denom", ""), 1);
  EXPECT_TRUE(script.Notices().empty());
  EXPECT_EQ(t.Update(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_NE(script.Notices()[0].text.find("obbligatorio"), std::string::npos) << script.Notices()[0].text;
  // A following row of its own succeeds.
  t.AddNew();
  t.SetFieldText("codice", "SAB");
  t.SetFieldText("denom", "Sabato");
  EXPECT_EQ(t.Update(), 1);
  EXPECT_EQ(QueryFile(path, "SELECT codice FROM cadenz ORDER BY codice"), "FER\nSAB\n");
}

TEST_F(DbTableTest, BadValuesAreRefusedAtTheField) {
  DbTable t(db.get(), "misc");
  t.AddNew();
  EXPECT_EQ(t.SetFieldText("id", "abc"), 0);
  EXPECT_EQ(t.SetFieldText("sub", "40000"), 0);
  EXPECT_EQ(t.SetFieldText("name", "123456789"), 0);
  EXPECT_EQ(t.SetFieldText("day", "31/02/2024"), 0);
  EXPECT_EQ(t.SetFieldText("nosuch", "1"), 0);
  ASSERT_EQ(script.Notices().size(), 5u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore campo (id) della tavola (misc) <abc>\n\n", 0), 0u);
  EXPECT_EQ(script.Notices()[2].text.rfind("Errore campo (name) della tavola (misc) <123456789>\n\n", 0), 0u);
  EXPECT_EQ(script.Notices()[3].text.rfind("Errore campo (day) della tavola (misc) <31/02/2024>\n\n", 0), 0u);
}

TEST_F(DbTableTest, SeekOnCompoundAndSecondaryKeys) {
  DbTable t(db.get(), "misc");
  for (int id = 1; id <= 3; ++id)
    for (int sub = 3; sub >= 1; --sub) {
      t.AddNew();
      t.SetFieldText("id", std::to_string(id));
      t.SetFieldText("sub", std::to_string(sub));
      t.SetFieldText("name", id == 2 ? "dup" : "n" + std::to_string(id));
      ASSERT_EQ(t.Update(), 1);
    }
  ASSERT_EQ(t.SetIndex("codice"), 1);
  std::string v;
  ASSERT_EQ(t.SeekEqual({"2", "3"}), 1);
  t.GetFieldText("name", v);
  EXPECT_EQ(v, "dup");
  // A partial key stands on the first row in index order.
  ASSERT_EQ(t.SeekEqual({"3"}), 1);
  t.GetFieldText("sub", v);
  EXPECT_EQ(v, "1");
  EXPECT_EQ(t.SeekEqual({"4", "1"}), 0);
  ASSERT_EQ(t.SetIndex("byname"), 1);
  ASSERT_EQ(t.SeekEqual({"dup"}), 1);
  t.GetFieldText("sub", v);
  EXPECT_EQ(v, "1");
  EXPECT_TRUE(script.Notices().empty()) << script.Texts();
  // Wrong input: a key that is no number, an index the table does not have.
  t.SetIndex("codice");
  EXPECT_EQ(t.SeekEqual({"x"}), 0);
  EXPECT_EQ(t.SetIndex("nosuch"), 0);
  ASSERT_EQ(script.Notices().size(), 2u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore lettura tavola (misc)\n\n", 0), 0u);
  EXPECT_EQ(script.Notices()[1].text.rfind("Errore selezione indice (nosuch) tavola (misc)\n\n", 0), 0u);
}

TEST_F(DbTableTest, PaddedCodesMatchTheirParents) {
  ASSERT_EQ(AddCadence("FER", "Feriale"), 1);
  DbTable c(db.get(), "calend");
  c.AddNew();
  c.SetFieldText("data", "01/03/2024");
  c.SetFieldText("caden", "FER       ");
  c.SetFieldText("giorno", "5");
  c.SetFieldText("note", " ");
  ASSERT_EQ(c.Update(), 1) << script.Texts();
  c.SetIndex("codice");
  EXPECT_EQ(c.SeekEqual({"01/03/2024", "FER"}), 1);
  DbTable k(db.get(), "cadenz");
  k.SetIndex("codice");
  EXPECT_EQ(k.SeekEqual({"FER   "}), 1);
  // A child needs its parent, and the parent cannot go while the child is there.
  c.AddNew();
  c.SetFieldText("data", "02/03/2024");
  c.SetFieldText("caden", "XXX");
  EXPECT_EQ(c.Update(), 0);
  EXPECT_EQ(k.Delete(), 0);
  ASSERT_EQ(script.Notices().size(), 2u);
  EXPECT_EQ(script.Notices()[1].text.rfind("Errore eliminazione tavola (cadenz)\n\n", 0), 0u);
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM cadenz"), "1\n");
}

TEST_F(DbTableTest, CopyARowWithSaveAndRestore) {
  DbTable t(db.get(), "misc");
  t.AddNew();
  t.SetFieldText("id", "1");
  t.SetFieldText("sub", "1");
  t.SetFieldText("ratio", "-0,5");
  t.SetFieldText("day", "29/02/2024");
  ASSERT_EQ(t.Update(), 1);
  t.SetIndex("codice");
  ASSERT_EQ(t.SeekEqual({"1", "1"}), 1);
  ASSERT_EQ(t.SaveRecord(), 1);
  t.AddNew();
  t.RestoreRecord();
  t.SetFieldText("id", "2");
  ASSERT_EQ(t.Update(), 1) << script.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT id, sub, name IS NULL, ratio, day, flag IS NULL FROM misc ORDER BY id"),
            "1|1|1|-0.5|2024-02-29|1\n2|1|1|-0.5|2024-02-29|1\n");
}

TEST_F(DbTableTest, MissingTableAndClosedDatabase) {
  {
    DbTable t(db.get(), "nosuch");
    EXPECT_EQ(t.isOpen, 0);
    EXPECT_EQ(t.AddNew(), 0);
    EXPECT_EQ(t.SetIndex("codice"), 0);
  }
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore in fase di apertura della tavola (nosuch)\n\n", 0), 0u);
  DbTable none(nullptr, "cadenz");
  EXPECT_EQ(none.isOpen, 0);
  EXPECT_EQ(script.Notices().size(), 1u);
}

TEST_F(DbTableTest, AnEditOfARowDeletedMeanwhileStoresNothing) {
  ASSERT_EQ(AddCadence("FER", "Feriale"), 1);
  DbTable editor(db.get(), "cadenz"), other(db.get(), "cadenz");
  editor.SetIndex("codice");
  other.SetIndex("codice");
  ASSERT_EQ(editor.SeekEqual({"FER"}), 1);
  ASSERT_EQ(other.SeekEqual({"FER"}), 1);
  ASSERT_EQ(other.Delete(), 1);
  ASSERT_EQ(editor.Edit(), 1);
  editor.SetFieldText("denom", "Feriale estivo");
  EXPECT_EQ(editor.Update(), 0);
  ASSERT_EQ(script.Notices().size(), 1u);
  EXPECT_EQ(script.Notices()[0].text,
            "Errore aggiornamento tavola (cadenz)\n\nLa riga non esiste più: è stata "
            "eliminata o modificata da un altro utente");
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM cadenz"), "0\n");
}

TEST_F(DbTableTest, NoCurrentRowIsReportedAndLeavesTheBuffer) {
  DbTable t(db.get(), "cadenz");
  std::string v = "unchanged";
  EXPECT_EQ(t.GetFieldText("denom", v), 0);
  EXPECT_EQ(v, "unchanged");
  EXPECT_EQ(t.Edit(), 0);
  ASSERT_EQ(script.Notices().size(), 2u);
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore campo (denom) della tavola (cadenz)\n\n", 0), 0u);
  EXPECT_EQ(script.Notices()[1].text.rfind("Errore editing tavola (cadenz)\n\n", 0), 0u);
}

}  // namespace
