// The trip list and the writes of the trip editor on whole trips, on a real timetable database:
// the texts and sort orders of the list, a new head and the master row's counters, the deletion
// of a trip with its stops and periods, the copy of stops.

#include "support/TimetableData.h"

#include "db/DbDatabase.h"
#include "editing/TripRows.h"
#include "editing/TripStore.h"

namespace {

using Lines = std::vector<std::string>;

// A row as "id|regional|quadro|trip|line|direction|departure|arrival|length|duration|text|route".
std::string Shown(const TripLeg* row) {
  return std::to_string(row->id) + "|" + std::to_string(row->regionalId) + "|" + std::to_string(row->quadroNumber) +
         "|" + row->tripCode + "|" + row->lineCode + "|" + row->direction + "|" + row->departureText + "|" +
         row->arrivalText + "|" + row->lengthText + "|" + row->durationText + "|" + row->description + "|" +
         row->routeCode;
}

std::string HeadText(const TripHead& h) {
  return h.tripCode + "|" + h.lineCode + "|" + h.direction + "|" + h.routeCode + "|" + std::to_string(h.authority) +
         "|" + std::to_string(h.contract) + "|" + std::to_string(h.length) + "|" + std::to_string(h.duration) + "|" +
         std::to_string(h.contractLength) + "|" + std::to_string(h.contractDuration) + "|" + h.note + "|" + h.mode +
         "|" + h.previousTrip + "|" + h.nextTrip;
}

struct Trips : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(path);
    // Trip 3 has two stops and two periods, trip 2 one of each; the counters lag behind trip 7.
    RunSql(path,
           "UPDATE master SET id_corsa = 5, gruppo = 3; INSERT INTO cadenz VALUES ('FER', 'Feriale');"
           "INSERT INTO tescor (id, gruppo, codperc, codcorsa, codlinea, verso, parte, arriva, lung, tempo, denom,"
           " reglinea, ente, contratt, ct_lung, ct_tempo) VALUES"
           "(1, 2, 'P2', 'C1   ', 'L2', 'R', 9999, 1000, 12345, 75, 'Zona  ', NULL, 0, 0, 0, 0),"
           "(2, 1, 'P1', 'C2', 'L1', 'A', 730, 815, 800, 45, 'àncora', 300, 0, 0, 0, 0),"
           "(3, 2, NULL, 'C1', 'L1', 'A', 5, 2359, 0, 90, 'Èrba', 100, 0, 0, 0, 0),"
           "(7, 0, 'P3', 'C0', 'L0', ' ', 1200, 1300, 500, 30, 'alba', 200, 0, 0, 0, 0);"
           "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
           " SELECT 3, 1, 'F1', 'Piazza', 0, 5, 5, 1, 0, 0, min(id) FROM local UNION ALL"
           " SELECT 3, 2, 'F2', 'Stazione', 3000, 2359, 2359, 0, 1, 0, min(id) FROM local UNION ALL"
           " SELECT 2, 1, 'F1', 'Piazza', 0, 730, 730, 1, 0, 0, min(id) FROM local;"
           "INSERT INTO period VALUES (3, 'FER', '2024-01-01', '2024-03-31', 0),"
           " (3, 'FER', '2024-04-01', '2024-06-30', 1), (2, 'FER', '2024-01-01', '2024-06-30', 0)");
  }
  // The rows of a trip in stops, periods and heads.
  std::string RowsOf(int id) const {
    const std::string where = " WHERE id = " + std::to_string(id);
    return QueryFile(path, "SELECT (SELECT count(*) FROM detcor" + where + "), (SELECT count(*) FROM period" + where +
                               "), (SELECT count(*) FROM tescor" + where + ")");
  }
};

TEST_F(Trips, ListShowsEachHeadInEachOrder) {
  // Padded codes sort as their text; texts in dictionary order, without regard to case or
  // accents. An unknown order is the first.
  const std::pair<int, std::vector<std::int32_t>> cases[] = {
      {0, {1, 2, 3, 7}}, {1, {7, 2, 1, 3}}, {2, {3, 2, 1, 7}},  {3, {7, 3, 1, 2}},
      {4, {7, 3, 2, 1}}, {5, {3, 2, 7, 1}}, {6, {2, 1, 7, 3}},  {7, {3, 7, 2, 1}},
      {8, {7, 2, 1, 3}}, {9, {7, 2, 3, 1}}, {10, {1, 3, 7, 2}}, {11, {1, 2, 3, 7}},
  };
  DbDatabase db(path);
  TripRows rows(&db);
  for (const auto& [order, ids] : cases) {
    rows.Load(order);
    std::vector<std::int32_t> loaded;
    for (int k = 0; k < rows.Count(); ++k) loaded.push_back(rows.At(k)->id);
    EXPECT_EQ(loaded, ids) << order;
  }
  Lines shown;
  for (int k = 0; k < rows.Count(); ++k) shown.push_back(Shown(rows.At(k)));
  EXPECT_EQ(shown,
            (Lines{"1|-1|2|C1|L2|R|99:99|10:00|12,345|1h 15m|Zona|P2", "2|300|1|C2|L1|A|7:30|8:15|0,800|45m|àncora|P1",
                   "3|100|2|C1|L1|A|0:05|23:59|0,000|1h 30m|Èrba|", "7|200|0|C0|L0| |12:00|13:00|0,500|30m|alba|P3"}));

  TripHead head{"C9  ", "L9", 'A', "P9 ", 0, 0, 1500, 120, 0, 0, "Nuova "};
  EXPECT_EQ(Shown(rows.AppendNew(8, 4, head)), "8|-1|4|C9|L9|A|0:00|99:99|1,500|2h 0m|Nuova|P9");
  rows.MarkDeleted(3);
  std::string marks;
  for (int k = 0; k < rows.Count(); ++k)
    marks += std::to_string(rows.At(k)->changed) + std::to_string(rows.At(k)->deleted);
  EXPECT_EQ(marks, "0000010010");
  EXPECT_EQ(rows.FindId(8), 4);
  EXPECT_EQ(rows.PositionOf(rows.At(4)), 4);
}

TEST_F(Trips, InsertTakesTheCountersWhichOnlyRise) {
  TripHead head{"", "L5", 'R', "P5", 3, 4, 12345, 75, 12000, 70, "Nota", ' ', "-1", "2"};
  // quadro given, id and quadro stored, the counters after; 7 is taken when the counter reaches it.
  const std::tuple<std::int32_t, std::int32_t, std::int32_t, const char*> cases[] = {
      {-1, 5, 3, "6|4\n"}, {1, 6, 1, "7|4\n"}, {9, 8, 9, "9|10\n"}};
  NoticeLog notices;
  DbDatabase db(path);
  TripStore store(&db);
  for (const auto& [quadro, id, storedQuadro, master] : cases) {
    const TripInsertResult result = store.Insert(head, quadro);
    EXPECT_EQ(std::to_string(result.ok) + result.Failure() + " " + std::to_string(result.id) + " " +
                  std::to_string(result.quadro),
              "1 " + std::to_string(id) + " " + std::to_string(storedQuadro));
    EXPECT_EQ(QueryFile(path, "SELECT id_corsa, gruppo FROM master"), master);
  }
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(
      QueryFile(path, "SELECT '[' || codcorsa || ']', parte, arriva, mezzo, prevcor, nextcor FROM tescor WHERE id = 5"),
      "[ ]|0|9999|NULL|NULL|2\n");
  TripHead read;
  ASSERT_TRUE(store.ReadHead(5, read));
  EXPECT_EQ(HeadText(read), HeadText(head));
  EXPECT_FALSE(store.ReadHead(99, read));

  // A counter stored as what its column cannot hold gives no id: refused, nothing written, the counter as it was.
  RunSql(path, "PRAGMA ignore_check_constraints = ON; UPDATE master SET id_corsa = 2082.5");
  AllowReadingMismatches();
  const TripInsertResult noId = store.Insert(head, 1);
  EXPECT_EQ(
      std::to_string(noId.ok) + " " + noId.Failure(),
      "0 ATTENZIONE: dati generali:\nil campo id_corsa (ID Corsa) vale 2082.5,\nche è un numero con decimali e non "
      "un numero intero come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere il dato "
      "prima di ripetere l'elaborazione.");
  EXPECT_EQ(QueryFile(path, "SELECT count(*), (SELECT id_corsa FROM master) FROM tescor"), "7|2082.5\n");
  EXPECT_EQ(notices.Texts(), "");

  const auto past = [](const char* field, const char* unnumbered) {
    return std::string("0 ATTENZIONE: dati generali:\nil campo ") + field + " dovrebbe passare a 2147483648, oltre " +
           "2147483647, il numero più grande che la sua colonna può contenere:\n" + unnumbered +
           "\n\nNessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.";
  };
  const std::tuple<const char*, std::int32_t, std::string, const char*> atTheLargest[] = {
      {"UPDATE master SET id_corsa = 2147483646, gruppo = 10", -1, "1 ", "8|2147483647|11\n"},
      {"", -1, past("id_corsa (ID Corsa)", "nessuna nuova corsa può essere numerata."), "8|2147483647|11\n"},
      {"UPDATE master SET id_corsa = 7; UPDATE tescor SET id = 2147483647 WHERE id = 2147483646", -1,
       past("id_corsa (ID Corsa)", "nessuna nuova corsa può essere numerata dopo la corsa 2147483647."), "8|7|11\n"},
      {"UPDATE master SET id_corsa = 9, gruppo = 2147483647", -1,
       past("gruppo (ID Gruppo)", "nessun nuovo quadro può essere numerato."), "8|9|2147483647\n"},
      {"UPDATE master SET gruppo = 11", 2147483647,
       past("gruppo (ID Gruppo)", "nessuna nuova corsa può entrare nel quadro 2147483647."), "8|9|11\n"},
  };
  for (const auto& [sql, quadro, failure, counters] : atTheLargest) {
    RunSql(path, sql);
    const TripInsertResult result = store.Insert(head, quadro);
    EXPECT_EQ(std::to_string(result.ok) + " " + result.Failure(), failure) << sql;
    EXPECT_EQ(QueryFile(path, "SELECT count(*), master.id_corsa, master.gruppo FROM tescor, master"), counters) << sql;
  }
  EXPECT_EQ(notices.Texts(), "");

  RunSql(path, "DELETE FROM master");  // nothing is written without the master row
  const TripInsertResult refused = store.Insert(head, 1);
  EXPECT_EQ(std::to_string(refused.ok) + " " + refused.Failure(), std::string("0 ") + TripStore::MissingMasterText());
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM tescor"), "8\n");
}

TEST_F(Trips, DeleteTakesStopsPeriodsAndHeadAndCopyStopsLeavesNoTimes) {
  RunSql(path, "UPDATE period SET inizio = '0001-01-01', fine = '9999-12-31' WHERE id = 3 AND inizio = '2024-04-01'");
  NoticeLog notices;
  DbDatabase db(path);
  TripStore store(&db);
  EXPECT_EQ(store.CopyStops(3, 7), 2);
  EXPECT_EQ(store.CopyStops(4, 7), 0);
  db.BeginTrans();
  EXPECT_TRUE(store.Delete(3));
  db.Rollback();
  EXPECT_EQ(RowsOf(3), "2|2|1\n");
  EXPECT_TRUE(store.Delete(3));
  EXPECT_FALSE(store.Delete(3));
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(RowsOf(3) + RowsOf(2), "0|0|0\n1|1|1\n");
  // A part of the trip the database refuses to delete keeps the whole trip.
  RunSql(path, "CREATE TRIGGER keep BEFORE DELETE ON period WHEN old.id = 2 BEGIN SELECT RAISE(ABORT, 'tenuto'); END");
  EXPECT_FALSE(store.Delete(2));
  EXPECT_EQ(RowsOf(2), "1|1|1\n");
  EXPECT_TRUE(HasPart(notices.Texts(), "tenuto"));
  EXPECT_EQ(QueryFile(path,
                      "SELECT sub, fermata, denom, dist, arriva, parte, primaria, facolt FROM detcor WHERE id = 7"
                      " AND reglocal = (SELECT min(id) FROM local) ORDER BY sub"),
            "1|F1|Piazza|0|-1|-1|1|0\n2|F2|Stazione|3000|-1|-1|0|1\n");
}

}  // namespace
