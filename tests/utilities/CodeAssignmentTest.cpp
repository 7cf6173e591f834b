// The automatic code assignments on a real timetable database: the codes each writes, the rows the
// database refuses (skipped, not counted, the others written), a batch the database does not take,
// a disk that fills up and a run killed half way (nothing of it kept).

#include "support/KilledWalk.h"
#include "support/UtilityData.h"

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "utilities/CodeAssignment.h"

#include <sqlite3.h>
#include <functional>

namespace {

// Six trips (id, quadro, line) and six stop rows (id, sub, name, place) with no codes yet.
const char* const kTrips =
    "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, ct_tempo,"
    " codperc, gruppo) VALUES"
    " (1, 'X', 'L2', 'A', 700, 800, 0, 0, 0, 0, 0, 0, NULL, 2),"
    " (2, 'X', 'L9', 'A', 700, 800, 0, 0, 0, 0, 0, 0, ' ', 1),"
    " (3, 'X', 'L1', 'A', 700, 800, 0, 0, 0, 0, 0, 0, NULL, 1),"
    " (4, 'X', 'L1', 'A', 700, 800, 0, 0, 0, 0, 0, 0, NULL, 0),"
    " (5, 'X', 'L1 ', 'A', 700, 800, 0, 0, 0, 0, 0, 0, NULL, 12345),"
    " (6, 'X', 'L3', 'A', 700, 800, 0, 0, 0, 0, 0, 0, NULL, 7);"
    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
    " VALUES (1, 1, NULL, 'Aulla', 'Piazza', 0, 9999, 700, 0, 0, 0, 0),"
    " (1, 2, ' ', 'Bibola', NULL, 0, 730, 9999, 0, 0, 0, 0),"
    " (2, 1, NULL, 'Aulla', 'Piazza ', 0, 9999, 700, 0, 0, 0, 0),"
    " (2, 2, NULL, 'Bibola', NULL, 0, 730, 9999, 0, 0, 0, 0),"
    " (3, 1, NULL, 'AULLA', 'Piazza', 0, 9999, 700, 0, 0, 0, 0),"
    " (3, 2, NULL, 'Aulla', NULL, 0, 730, 9999, 0, 0, 0, 0);";

const char* const kTripCodes = "SELECT id, codcorsa FROM tescor ORDER BY id";
const char* const kContracts = "SELECT id, ente, contratt FROM tescor ORDER BY id";
const char* const kStopCodes = "SELECT id, sub, fermata FROM detcor ORDER BY id, sub";
const char* const kRouteCodes = "SELECT id, codperc FROM tescor ORDER BY id";
const char* const kLines = "SELECT id, codlinea FROM tescor ORDER BY id";

using Run = std::function<std::string(DbDatabase*, WorkProgress*)>;

std::string TripCodes(DbDatabase* db, WorkProgress* p) { return AssignTripCodes(db, p).Texts(); }
// The command's steps: the check its second question is chosen by, `meanwhile` committed by
// another connection while the question waits, then the assignment.
Run Asked(AssignmentResult (*assign)(DbDatabase*, bool, WorkProgress*), bool (*assigned)(DbDatabase*),
          const char* meanwhile = "") {
  return [=](DbDatabase* db, WorkProgress* p) {
    const bool there = assigned(db);
    if (*meanwhile) RunSql(db->Path(), meanwhile);
    return assign(db, there, p).Texts();
  };
}
const Run StopCodes = Asked(AssignStopCodes, StopCodesAssigned);
const Run RouteCodes = Asked(AssignRouteCodes, RouteCodesAssigned);
// Another program holds the write lock as the run's batch begins, and lets it go when the run's
// bar begins; the run waits for the lock only briefly.
struct WriterLeaving : WorkProgress {
  sqlite3* other = nullptr;
  void Begin(const std::string&) override { sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr); }
  void Step(long, long) override {}
  void End() override {}
};
Run WhileAnotherWrites(Run run) {
  return [=](DbDatabase* db, WorkProgress*) {
    WriterLeaving writer;
    EXPECT_EQ(sqlite3_open(cp1252::ToUtf8(db->Path()).c_str(), &writer.other), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(writer.other, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(db->Handle(), 20);
    const std::string texts = run(db, &writer);
    sqlite3_close_v2(writer.other);
    return texts;
  };
}
// The disk fills up as the run writes: the engine refuses a row and ends the batch's transaction.
Run OnAFullDisk(Run run) {
  return [=](DbDatabase* db, WorkProgress* p) {
    FillDiskAfter(db->Handle(), 2);
    return run(db, p);
  };
}
std::string BoardAsLine(DbDatabase* db, WorkProgress* p) { return AssignBoardAsLine(db, p).Texts(); }
Run Contracts(bool anyLine, const char* line, const char* stored = "") {
  return [=](DbDatabase* db, WorkProgress* p) {
    return AssignContractCodes(db, {anyLine, {line, stored}, 5, 1234}, p).Texts();
  };
}

// A run over a value planted of another kind than its column's, which it tells itself.
Run Planted(Run run) {
  return [=](DbDatabase* db, WorkProgress* p) {
    AllowReadingMismatches();
    return run(db, p);
  };
}

struct Assignment {
  const char* name;
  Run run;
  const char* sql;  // run on the database first
  const char* query;
  const char* rows;    // the query's rows afterwards
  std::string result;  // the result text
  const char* notice;  // how the layer's first notice begins ("" none)
};
void PrintTo(const Assignment& a, std::ostream* os) { *os << a.name; }

const Assignment kAssignments[] = {
    {"TripCodesByQuadroLineId", TripCodes, "", kTripCodes,
     "1|000004\n2|000003\n3|000002\n4|000001\n5|000006\n6|000005\n",
     "Risultati dell'elaborazione:\n\nLette 6 corse; Assegnati 6 codici corsa.", ""},
    {"ContractsOfEveryTrip", Contracts(true, "L9"), "", kContracts,
     "1|5|1234\n2|5|1234\n3|5|1234\n4|5|1234\n5|5|1234\n6|5|1234\n",
     "Risultati dell'elaborazione:\n\nLette 6 corse; Assegnati 6 codici contratto.", ""},
    // A trailing blank of the stored line does not keep its trip out.
    {"ContractsOfOneLine", Contracts(false, "L1"), "", kContracts,
     "1|0|0\n2|0|0\n3|5|1234\n4|5|1234\n5|5|1234\n6|0|0\n",
     "Risultati dell'elaborazione:\n\nLette 3 corse; Assegnati 3 codici contratto.", ""},
    // Lines that read alike, "?1": the one chosen, as stored, and neither the other nor the line
    // coded "?1".
    {"ContractsOfALineReadAlike",
     Contracts(false, "?1",
               "\xC5\x9A"
               "1"),
     "UPDATE tescor SET codlinea = char(0x141 + (id = 4) * 25) || '1' WHERE id IN (3, 4);"
     "UPDATE tescor SET codlinea = '?1' WHERE id = 5",
     kContracts, "1|0|0\n2|0|0\n3|0|0\n4|5|1234\n5|0|0\n6|0|0\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Assegnati 1 codici contratto.", ""},
    // The line is a value, not SQL.
    {"ContractsOfALineThatIsSql", Contracts(false, "L1' OR 'a'='a"), "", kContracts,
     "1|0|0\n2|0|0\n3|0|0\n4|0|0\n5|0|0\n6|0|0\n",
     "Risultati dell'elaborazione:\n\nLette 0 corse; Assegnati 0 codici contratto.", ""},
    // AULLA/Piazza, Aulla/-, Aulla/Piazza (a trailing blank aside), Bibola/-.
    {"StopCodesByNameAndPlace", StopCodes, "", kStopCodes,
     "1|1|AUTO00003\n1|2|AUTO00004\n2|1|AUTO00003\n2|2|AUTO00004\n3|1|AUTO00001\n3|2|AUTO00002\n",
     "Risultati dell'assegnazione Codici Fermate:\n\nFermate Lette: 6\nFermate Aggiornate: 6\n", ""},
    // Names stored by another tool that read alike, with '?': two stops.
    {"StopCodesOfNamesReadAlike", StopCodes,
     "UPDATE detcor SET denom = char(0x141 + (id = 2) * 25) || 'ulla' WHERE sub = 1", kStopCodes,
     "1|1|AUTO00003\n1|2|AUTO00002\n2|1|AUTO00004\n2|2|AUTO00002\n3|1|AUTO00003\n3|2|AUTO00001\n",
     "Risultati dell'assegnazione Codici Fermate:\n\nFermate Lette: 6\nFermate Aggiornate: 6\n", ""},
    {"RouteCodesOfTheQuadri", RouteCodes, "", kRouteCodes,
     "1|AUTO00002\n2|AUTO00001\n3|AUTO00001\n4|AUTO00000\n5|AUTO12345\n6|AUTO00007\n",
     "Risultati dell'assegnazione Codici Percorso:\n\nCorse Lette: 6\nCorse Aggiornate: 6\n", ""},
    // Codes another program assigned while the question that said there were none waited.
    {"StopCodesThatCameMeanwhileStay",
     Asked(AssignStopCodes, StopCodesAssigned, "UPDATE detcor SET fermata = 'F9' WHERE id = 3 AND sub = 2"), "",
     kStopCodes, "1|1|NULL\n1|2| \n2|1|NULL\n2|2|NULL\n3|1|NULL\n3|2|F9\n",
     "ATTENZIONE: alcuni Codici Fermata sono stati assegnati dopo la richiesta di conferma.\n\n"
     "Nessun codice è stato assegnato.",
     ""},
    {"RouteCodesThatCameMeanwhileStay",
     Asked(AssignRouteCodes, RouteCodesAssigned, "UPDATE tescor SET codperc = 'P9' WHERE id = 4"), "", kRouteCodes,
     "1|NULL\n2| \n3|NULL\n4|P9\n5|NULL\n6|NULL\n",
     "ATTENZIONE: alcuni Codici Percorso sono stati assegnati dopo la richiesta di conferma.\n\n"
     "Nessun codice è stato assegnato.",
     ""},
    // A batch that could not begin writes nothing, even once the other program has stopped writing.
    {"StopCodesWhileAnotherProgramWrites", WhileAnotherWrites(StopCodes), "", kStopCodes,
     "1|1|NULL\n1|2| \n2|1|NULL\n2|2|NULL\n3|1|NULL\n3|2|NULL\n",
     "ATTENZIONE: le modifiche non sono state registrate nel database.\n\nI dati restano quelli di prima "
     "dell'elaborazione.",
     "Errore in fase di avvio della transazione"},
    // A value of another kind than its column's stops the run: no code written, no count.
    {"StopCodesStopAtANameStoredAsBytes", Planted(StopCodes),
     "UPDATE detcor SET denom = X'436974E0' WHERE id = 3 AND sub = 2", kStopCodes,
     "1|1|NULL\n1|2| \n2|1|NULL\n2|2|NULL\n3|1|NULL\n3|2|NULL\n",
     StoppedAtValue("corsa 3, fermata 2", "denom", "X'436974E0'", "un dato binario", "un testo"), ""},
    {"QuadroAsLineStopsAtATextQuadro", Planted(BoardAsLine), "UPDATE tescor SET gruppo = 'sei' WHERE id = 6", kLines,
     "1|L2\n2|L9\n3|L1\n4|L1\n5|L1 \n6|L3\n", StoppedAtValue("corsa 6", "gruppo", "'sei'", "un testo"), ""},
    {"QuadroAsLine", BoardAsLine, "", kLines, "1|Q_0002\n2|Q_0001\n3|Q_0001\n4|Q_0000\n5|Q_12345\n6|Q_0007\n",
     "Risultati dell'elaborazione:\n\nSistemate 6 corse.", ""},
    // Refused rows: skipped and not counted; the trip-code counter still advances past one.
    {"TripCodeRefused", TripCodes,
     "CREATE TRIGGER stall BEFORE UPDATE ON tescor WHEN NEW.id = 3 BEGIN SELECT RAISE(ABORT, 'bloccata'); END;",
     kTripCodes, "1|000004\n2|000003\n3|X\n4|000001\n5|000006\n6|000005\n",
     "Risultati dell'elaborazione:\n\nLette 6 corse; Assegnati 5 codici corsa.",
     "Errore aggiornamento tavola (tescor)"},
    {"StopCodeRefused", StopCodes,
     "CREATE TRIGGER stall BEFORE UPDATE ON detcor WHEN NEW.id = 2 AND NEW.sub = 1 "
     "BEGIN SELECT RAISE(ABORT, 'bloccata'); END;",
     kStopCodes, "1|1|AUTO00003\n1|2|AUTO00004\n2|1|NULL\n2|2|AUTO00004\n3|1|AUTO00001\n3|2|AUTO00002\n",
     "Risultati dell'assegnazione Codici Fermate:\n\nFermate Lette: 6\nFermate Aggiornate: 5\n",
     "Errore aggiornamento tavola (detcor)"},
    // The run stops at the row refused, told once; no row keeps a code.
    {"StopCodesOnAFullDisk", OnAFullDisk(StopCodes),
     "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 3000) INSERT INTO detcor (id, sub,"
     " denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) SELECT 4, k, 'Fermata ' || k,"
     " 'Piazza', 0, 600, 601, 0, 0, 0, 0 FROM n;",
     "SELECT count(*), count(fermata), max(fermata) FROM detcor", "3006|1| \n",
     "ATTENZIONE: le modifiche non sono state registrate nel database.\n\nI dati restano quelli di prima "
     "dell'elaborazione.",
     "Errore aggiornamento tavola (detcor)\n\nSpazio su disco esaurito (database or disk is full)\n\n"
     "Le modifiche della transazione sono state annullate."},
    // A code longer than its field: the row keeps its line and is not counted.
    {"LineCodeTooLong", BoardAsLine, "UPDATE tescor SET gruppo = 123456789 WHERE id = 6", kLines,
     "1|Q_0002\n2|Q_0001\n3|Q_0001\n4|Q_0000\n5|Q_12345\n6|L3\n", "Risultati dell'elaborazione:\n\nSistemate 5 corse.",
     "Errore campo (codlinea"},
};

struct Assignments : ::testing::TestWithParam<Assignment> {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(path);
    RunSql(path, kTrips);
  }
};

TEST_P(Assignments, WriteTheirCodes) {
  const Assignment& a = GetParam();
  NoticeLog notices;
  {
    // The fault is set up on the program's connection: a file that holds a trigger is not opened.
    DbDatabase db(path);
    if (*a.sql) {
      ASSERT_EQ(ExecWithoutChecks(db.Handle(), a.sql), "ok");
    }
    EXPECT_EQ(a.run(&db, nullptr), a.result);
  }
  if (*a.notice)
    EXPECT_TRUE(notices.Notices().size() == 1 && HasPrefix(notices.Texts(), a.notice)) << notices.Texts();
  else
    EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(QueryFile(path, a.query), a.rows);
}

INSTANTIATE_TEST_SUITE_P(Cases, Assignments, ::testing::ValuesIn(kAssignments),
                         [](const auto& p) { return std::string(p.param.name); });

using CodesThere = Assignments;

TEST_F(CodesThere, OnlyACodeThatIsThereCounts) {
  DbDatabase db(path);
  // No code, or a blank one.
  EXPECT_FALSE(StopCodesAssigned(&db));
  EXPECT_FALSE(RouteCodesAssigned(&db));
  AssignStopCodes(&db, false, nullptr);
  AssignRouteCodes(&db, false, nullptr);
  EXPECT_TRUE(StopCodesAssigned(&db));
  EXPECT_TRUE(RouteCodesAssigned(&db));
  EXPECT_EQ(StopCodesSecondQuestion(true).substr(0, 58), "ATTENZIONE; alcuni Codici Fermata risultano già assegnati.");
}

// A batch that the database does not take at its commit: the counts are 0 and nothing changed.
TEST_F(CodesThere, ABatchNotTakenChangesNothing) {
  RunSql(path,
         "CREATE TABLE keeper (k INTEGER PRIMARY KEY);"
         "CREATE TABLE watch (k INTEGER REFERENCES keeper (k) DEFERRABLE INITIALLY DEFERRED);");
  const std::string before = QueryFile(path, "SELECT * FROM tescor ORDER BY id");
  NoticeLog notices;
  AssignmentResult r;
  {
    DbDatabase db(path);
    ASSERT_EQ(sqlite3_exec(db.Handle(),
                           "CREATE TEMP TRIGGER stall AFTER UPDATE ON tescor BEGIN INSERT INTO watch VALUES (NEW.id); "
                           "END;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    r = AssignTripCodes(&db, nullptr);
  }
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Texts(), AssignmentNotStoredText());
  EXPECT_EQ(r.updated, 0);
  EXPECT_TRUE(HasPrefix(notices.Texts(), "Errore in fase di convalida della transazione"));
  EXPECT_EQ(QueryFile(path, "SELECT * FROM tescor ORDER BY id"), before);
}

TEST_F(CodesThere, ARunKilledHalfWayLeavesEveryRowAsItWas) {
  // More rows than the engine's cache holds, so that some pages reach the file before the kill.
  RunSql(
      path,
      "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 20000)"
      " INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
      " reglocal) SELECT 4, k, 'F' || k, 'Fermata di via Roma numero ' || k, 'Piazza ' || k, 0, 600, 601, 0, 0, 0, 0 "
      "FROM n;");
  const std::string before = QueryFile(path, "SELECT * FROM detcor ORDER BY id, sub");
  for (long step : {3L, 15000L}) {
    EXPECT_TRUE(Killed([&] {
      DbDatabase db(path);
      KillAt kill(step);
      AssignStopCodes(&db, true, &kill);
    })) << step;
    EXPECT_EQ(QueryFile(path, "PRAGMA integrity_check"), "ok\n");
    EXPECT_EQ(QueryFile(path, "SELECT * FROM detcor ORDER BY id, sub"), before) << step;
  }
  // The same run to its end writes every row.
  DbDatabase db(path);
  EXPECT_EQ(AssignStopCodes(&db, true, nullptr).updated, 20006);
}

}  // namespace
