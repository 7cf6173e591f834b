// A grouping that the database does not store says so, and leaves the numbers as they were: a
// refused write of a trip or of `master`, and a commit the engine refuses, on a real database
// file with rules of its own added to it.

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"
#include "utilities/TripGrouping.h"

#include <gtest/gtest.h>
#include <QFile>

namespace {

// Trips 1 to 4 over two stop sequences (1 and 3 alike, 2 and 4 alike), with old numbers 7 (the next one 9).
void MakeTimetable(const std::string& path) {
  static const ScratchDir dir;
  static const std::string seeded = [] {
    NoticeLog notices;
    EXPECT_EQ(CreateSeededDatabase(dir.Path("seeded.mdb"), CreateMode::Startup), 1) << notices.Texts();
    return dir.Path("seeded.mdb");
  }();
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(seeded), cp1252::ToQString(path)));
  std::string sql =
      "INSERT INTO master (codice, azienda, datini, datfin, id_corsa, gruppo) "
      "VALUES (0, 17, '2024-01-01', '2024-06-30', 5, 9);";
  for (int id = 1; id <= 4; ++id) {
    const std::string t = std::to_string(id);
    sql +=
        "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
        "ct_tempo, gruppo) VALUES (" +
        t + ", 'C', 'L', 'A', 0, 2359, 0, 0, 0, 0, 0, 0, 7);";
    for (int sub = 1; sub <= 3; ++sub)
      sql +=
          "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, "
          "reglocal) VALUES (" +
          t + ", " + std::to_string(sub) + ", 'F" + std::to_string(sub + 10 * (id % 2)) + "', 'Fermata', " +
          std::to_string(sub * 100) + ", 9999, 700, 0, 0, 0, 0);";
  }
  ASSERT_EQ(ExecOnFile(path, sql), "ok");
}

struct Case {
  const char* name;
  const char* rule;    // SQL added to the database
  const char* notice;  // how the database layer's notice begins
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

const Case kCases[] = {
    {"TripRefused",
     "CREATE TRIGGER stall BEFORE UPDATE OF gruppo ON tescor WHEN NEW.id = 3 "
     "BEGIN SELECT RAISE(ABORT, 'gruppo bloccato'); END;",
     "Errore aggiornamento tavola (tescor)"},
    {"MasterRefused",
     "CREATE TRIGGER stall BEFORE UPDATE OF gruppo ON master BEGIN SELECT RAISE(ABORT, 'gruppo bloccato'); END;",
     "Errore aggiornamento tavola (master)"},
    // Every statement succeeds; the rule that they broke is checked only at the commit.
    {"CommitRefused",
     "CREATE TABLE keeper (k INTEGER PRIMARY KEY);"
     "CREATE TABLE watch (k INTEGER REFERENCES keeper (k) DEFERRABLE INITIALLY DEFERRED);"
     "CREATE TRIGGER stall AFTER UPDATE OF gruppo ON tescor BEGIN INSERT INTO watch VALUES (NEW.id); END;",
     "Errore in fase di convalida della transazione"},
};

struct NotStored : ::testing::TestWithParam<Case> {};

TEST_P(NotStored, IsSaidAndChangesNothing) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetable(path);
  ASSERT_EQ(ExecOnFile(path, GetParam().rule), "ok");
  NoticeLog notices;
  GroupingResult result;
  {
    DbDatabase db(path);
    result = GroupTrips(&db, nullptr);
  }
  EXPECT_TRUE(result.masterFound);
  EXPECT_FALSE(result.stored);
  ASSERT_EQ(notices.Notices().size(), 1u) << notices.Texts();
  EXPECT_TRUE(HasPrefix(notices.Texts(), GetParam().notice));
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(gruppo) FROM (SELECT gruppo FROM tescor ORDER BY id)"), "7,7,7,7\n");
  EXPECT_EQ(QueryFile(path, "SELECT gruppo FROM master"), "9\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, NotStored, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST(Stored, WithoutRulesTheSameTimetableIsGrouped) {
  ScratchDir dir;
  const std::string path = dir.Path("orari.mdb");
  MakeTimetable(path);
  NoticeLog notices;
  GroupingResult result;
  {
    DbDatabase db(path);
    result = GroupTrips(&db, nullptr);
  }
  EXPECT_TRUE(result.stored);
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(GroupingResultText(result), "Risultati dell'elaborazione:\n\nLette 4 corse; Identificati 2 quadri orari.");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(gruppo) FROM (SELECT gruppo FROM tescor ORDER BY id)"), "1,2,1,2\n");
  EXPECT_EQ(QueryFile(path, "SELECT gruppo FROM master"), "3\n");
}

}  // namespace
