// Tables stored in the order of their key (the timetable's own tables): a row is found, changed,
// re-keyed and deleted by its key, on a database made by the builder.

#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class KeyedTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.Path("orari.mdb");
    ASSERT_EQ(CreateTimetableDatabase(path, CreateMode::Startup, SeedLocalityZero), 1);
    script.Clear();  // the success box
    db = std::make_unique<DbDatabase>(path);
    ASSERT_EQ(db->isOpen, 1);
  }
  int AddTrip(const char* id, const char* code) {
    DbTable t(db.get(), "tescor");
    t.AddNew();
    for (auto [field, value] : {std::pair<const char*, const char*>{"id", id},
                                {"codcorsa", code},
                                {"codlinea", "L1"},
                                {"verso", "A"},
                                {"parte", "700"},
                                {"arriva", "800"},
                                {"ente", "0"},
                                {"contratt", "0"},
                                {"lung", "1000"},
                                {"tempo", "60"},
                                {"ct_lung", "1000"},
                                {"ct_tempo", "60"},
                                {"gruppo", "0"}})
      t.SetFieldText(field, value);
    return t.Update();
  }
  int AddStop(const char* id, const char* sub) {
    DbTable t(db.get(), "detcor");
    t.AddNew();
    for (auto [field, value] : {std::pair<const char*, const char*>{"id", id},
                                {"sub", sub},
                                {"denom", "Piazza"},
                                {"dist", "0"},
                                {"arriva", "9999"},
                                {"parte", "700"},
                                {"primaria", "1"},
                                {"facolt", "0"},
                                {"nonferma", "0"},
                                {"reglocal", "0"}})
      t.SetFieldText(field, value);
    return t.Update();
  }

  ScratchDir dir;
  std::string path;
  std::unique_ptr<DbDatabase> db;
  NoticeLog script;
};

TEST_F(KeyedTableTest, ARowIsChangedRekeyedAndDeletedByItsKey) {
  ASSERT_EQ(AddTrip("1", "C1"), 1);
  ASSERT_EQ(AddTrip("2", "C2"), 1);
  DbTable t(db.get(), "tescor");
  ASSERT_EQ(t.SetIndex("codice"), 1);
  ASSERT_EQ(t.SeekEqual({"2"}), 1);
  // A new key, then a second edit of the same row under its new key.
  ASSERT_EQ(t.Edit(), 1);
  t.SetFieldText("id", "7");
  ASSERT_EQ(t.Update(), 1) << script.Texts();
  ASSERT_EQ(t.Edit(), 1);
  t.SetFieldText("codcorsa", "C7");
  ASSERT_EQ(t.Update(), 1) << script.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT id, codcorsa FROM tescor ORDER BY id"), "1|C1\n7|C7\n");
  EXPECT_EQ(t.SeekEqual({"2"}), 0);
  ASSERT_EQ(t.SeekEqual({"7"}), 1);
  ASSERT_EQ(t.Delete(), 1);
  EXPECT_EQ(QueryFile(path, "SELECT id FROM tescor"), "1\n");
  EXPECT_TRUE(script.Notices().empty()) << script.Texts();
}

TEST_F(KeyedTableTest, CompoundKeysAndAParentWithChildren) {
  ASSERT_EQ(AddTrip("1", "C1"), 1);
  ASSERT_EQ(AddStop("1", "2"), 1);
  ASSERT_EQ(AddStop("1", "1"), 1);
  DbTable stops(db.get(), "detcor");
  stops.SetIndex("codice");
  ASSERT_EQ(stops.SeekEqual({"1"}), 1);  // the first stop in key order
  std::string sub;
  stops.GetFieldText("sub", sub);
  EXPECT_EQ(sub, "1");
  ASSERT_EQ(stops.SeekEqual({"1", "2"}), 1);
  ASSERT_EQ(stops.Edit(), 1);
  stops.SetFieldText("sub", "5");
  ASSERT_EQ(stops.Update(), 1) << script.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT sub FROM detcor ORDER BY sub"), "1\n5\n");
  // The trip has stops: it can be neither re-keyed nor deleted, and stays as it was.
  DbTable trips(db.get(), "tescor");
  trips.SetIndex("codice");
  ASSERT_EQ(trips.SeekEqual({"1"}), 1);
  ASSERT_EQ(trips.Edit(), 1);
  trips.SetFieldText("id", "9");
  EXPECT_EQ(trips.Update(), 0);
  EXPECT_EQ(trips.Delete(), 0);
  EXPECT_EQ(script.Notices().size(), 2u);
  EXPECT_EQ(QueryFile(path, "SELECT id FROM tescor"), "1\n");
  // Copying a trip keeps its NULL fields NULL.
  ASSERT_EQ(trips.SeekEqual({"1"}), 1);
  trips.SaveRecord();
  trips.AddNew();
  trips.RestoreRecord();
  trips.SetFieldText("id", "3");
  ASSERT_EQ(trips.Update(), 1) << script.Texts();
  EXPECT_EQ(QueryFile(path, "SELECT id, regcorsa IS NULL, mezzo IS NULL, codcorsa FROM tescor ORDER BY id"),
            "1|1|1|C1\n3|1|1|C1\n");
}

}  // namespace
