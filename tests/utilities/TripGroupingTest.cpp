// Grouping of homogeneous trips on a real timetable database, through the engine; a grouping that
// the database does not store (a refused write of a trip or of `master`, a refused commit, by
// rules of its own added to the file) says so and leaves the numbers as they were.

#include "support/UtilityData.h"

#include "db/DbDatabase.h"
#include "utilities/TripGrouping.h"

namespace {

struct Grouping : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { MakeTimetableDatabase(path); }
  void Trip(int id) {
    RunSql(path,
           "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, "
           "ct_lung, ct_tempo, gruppo) VALUES (" +
               std::to_string(id) + ", 'C', 'L', 'A', 0, 2359, 0, 0, 0, 0, 0, 0, -1)");
  }
  // A stop: "id, sub, fermata, denom, ubicaz, dist" as SQL values.
  void Stop(const std::string& values) {
    RunSql(path,
           "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, "
           "nonferma, reglocal) VALUES (" +
               values + ", 9999, 700, 1, 0, 0, 0)");
  }
  // A trip over the two stops of the line, its subs numbered from `firstSub` by `step`.
  void Line(int id, int firstSub = 1, int step = 1) {
    Trip(id);
    const std::string key = std::to_string(id) + ", ";
    Stop(key + std::to_string(firstSub) + ", 'F1', 'Aulla Stazione', 'Piazza Città', 0");
    Stop(key + std::to_string(firstSub + step) + ", 'F2', 'Città', NULL, 5000");
  }
  std::string Groups() const {
    return QueryFile(path, "SELECT id, gruppo FROM tescor ORDER BY id") + "next " +
           QueryFile(path, "SELECT gruppo FROM master");
  }
  // Runs the grouping; its result text ("" when the master row is missing).
  std::string Run() {
    NoticeLog notices;
    DbDatabase db(path);
    const GroupingResult r = GroupTrips(&db, nullptr);
    EXPECT_EQ(notices.Texts(), "");
    return r.masterFound ? r.Texts() : "";
  }
};

TEST_F(Grouping, EqualTripsShareTheNumberOfTheirLowestId) {
  Line(1);
  Line(2, 10, 10);  // subs 10, 20: other stops
  Trip(3);          // letter case and trailing blanks aside, the stops of trip 1
  Stop("3, 1, 'f1 ', 'AULLA STAZIONE', 'PIAZZA CITTÀ  ', 0");
  Stop("3, 2, 'F2', 'città', NULL, 5000");
  Trip(4);  // a trip without stops keeps its number
  RunSql(path, "UPDATE tescor SET gruppo = 77 WHERE id = 4");
  // Names stored by another tool that read alike, with '?', and differ only in letter case: one stop.
  int id = 5;
  for (const char* name : {"char(0x141, 0xF3, 0x64, 0x17A)", "char(0x141, 0xD3, 0x44, 0x179)"}) {
    Trip(id);
    Stop(std::to_string(id) + ", 1, 'F1', 'Aulla Stazione', 'Piazza Città', 0");
    Stop(std::to_string(id++) + ", 2, 'F2', " + name + ", NULL, 5000");
  }
  // µ, the Greek capital and the Greek small mu differ only in case: one stop.
  for (const char* name : {"char(0xB5) || 'A'", "char(0x39C) || 'A'", "char(0x3BC) || 'a'"}) {
    Trip(id);
    Stop(std::to_string(id) + ", 1, 'F1', 'Aulla Stazione', 'Piazza Città', 0");
    Stop(std::to_string(id++) + ", 2, 'F2', " + name + ", NULL, 5000");
  }
  for (int round = 0; round < 2; ++round) {  // again: the same numbers
    EXPECT_EQ(Run(), "Risultati dell'elaborazione:\n\nLette 8 corse; Identificati 4 quadri orari.");
    EXPECT_EQ(Groups(), "1|1\n2|2\n3|1\n4|77\n5|3\n6|3\n7|4\n8|4\n9|4\nnext 5\n");
  }
}

TEST_F(Grouping, ADistanceOrAFlagMakesAGroupOfItsOwn) {
  for (int id = 1; id <= 6; ++id) Line(id);
  RunSql(path, "UPDATE detcor SET dist = 5001 WHERE id = 2 AND sub = 2; UPDATE detcor SET facolt = 1 WHERE id = 3");
  // Names stored by another tool that read alike, with '?', are two stops.
  RunSql(path, "UPDATE detcor SET denom = char(0x141 + (id = 6) * 25) || 'odz' WHERE id IN (5, 6) AND sub = 2");
  EXPECT_EQ(Run(), "Risultati dell'elaborazione:\n\nLette 6 corse; Identificati 5 quadri orari.");
  EXPECT_EQ(Groups(), "1|1\n2|2\n3|3\n4|1\n5|4\n6|5\nnext 6\n");
}

TEST_F(Grouping, NoStopsGiveNoQuadroAndNoMasterRowWritesNothing) {
  Trip(1);
  RunSql(path, "UPDATE tescor SET gruppo = 5");
  EXPECT_EQ(Run(), "Risultati dell'elaborazione:\n\nLette 0 corse; Identificati 0 quadri orari.");
  EXPECT_EQ(Groups(), "1|5\nnext 1\n");
  Line(2);
  RunSql(path, "DELETE FROM master");
  DbDatabase db(path);
  EXPECT_FALSE(GroupingMasterExists(&db));
  EXPECT_EQ(GroupingCanStart(&db).Texts(), GroupingMissingMasterText());
  EXPECT_EQ(Run(), "");
  EXPECT_EQ(Groups(), "1|5\n2|-1\nnext ");
}

struct Rule {
  const char* name;
  const char* sql;     // added to the database
  const char* notice;  // how the database layer's notice begins
  // A value planted of another kind than its column's: the run's one message, and no notice.
  std::string refusal = {};
};
void PrintTo(const Rule& r, std::ostream* os) { *os << r.name; }

const Rule kRules[] = {
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
    // A stop table the selection cannot read (its dictionary agrees, so the file opens).
    {"SelectionRefused",
     "ALTER TABLE detcor RENAME COLUMN ubicaz TO luogo;"
     "UPDATE campi SET nome = 'luogo' WHERE tavola = 'detcor' AND nome = 'ubicaz';",
     "Errore estrazione Select SQL"},
    {"StopFlagAsText", "UPDATE detcor SET primaria = 'si' WHERE id = 3 AND sub = 1;", "",
     StoppedAtValue("corsa 3, fermata 1", "primaria", "'si'", "un testo")},
};

struct NotStored : Grouping, ::testing::WithParamInterface<Rule> {};

TEST_P(NotStored, IsSaidAndChangesNothing) {
  // Trips 1 to 4 over two stop sequences (1 and 3 alike, 2 and 4 alike), numbered 7, the next 9.
  for (int id = 1; id <= 4; ++id) Line(id, id % 2 ? 1 : 10, id % 2 ? 1 : 10);
  RunSql(path, "UPDATE tescor SET gruppo = 7; UPDATE master SET gruppo = 9;");
  NoticeLog notices;
  GroupingResult result;
  {
    // The fault is set up on the program's connection: a file that holds a trigger is not opened.
    DbDatabase db(path);
    ASSERT_EQ(ExecWithoutChecks(db.Handle(), GetParam().sql), "ok");
    result = GroupTrips(&db, nullptr);
  }
  EXPECT_TRUE(result.masterFound);
  EXPECT_FALSE(result.ok);
  if (!GetParam().refusal.empty()) {
    AllowReadingMismatches();  // told by the run itself
    EXPECT_EQ(result.Texts(), GetParam().refusal);
    EXPECT_EQ(notices.Texts(), "");
    EXPECT_EQ(Groups(), "1|7\n2|7\n3|7\n4|7\nnext 9\n");
    return;
  }
  EXPECT_EQ(result.Texts(), GroupingNotStoredText());
  ASSERT_EQ(notices.Notices().size(), 1u) << notices.Texts();
  EXPECT_TRUE(HasPrefix(notices.Texts(), GetParam().notice));
  EXPECT_EQ(Groups(), "1|7\n2|7\n3|7\n4|7\nnext 9\n");
}

INSTANTIATE_TEST_SUITE_P(Cases, NotStored, ::testing::ValuesIn(kRules),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
