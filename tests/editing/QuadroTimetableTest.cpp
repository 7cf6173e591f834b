// The quadro timetable on a real timetable database: its columns and rows, the typed transit
// times, the stop commands in every trip, the head and the whole-quadro assignments, the move to
// a new quadro and the cloned times.

#include "support/TimetableData.h"

#include "db/DbDatabase.h"
#include "editing/QuadroTimetable.h"

#include <functional>

namespace {

using Lines = std::vector<std::string>;

const std::string kLocal = "(SELECT min(id) FROM local)";
const std::string kOtherLocal = "(SELECT max(id) FROM local)";

// A stop with its times; the other fields follow from the sub.
std::string Stop(int id, int sub, int arrival, int departure, const std::string& name = "") {
  const std::string s = std::to_string(sub);
  return "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
         " VALUES (" +
         std::to_string(id) + ", " + s + ", 'F" + s + "', '" + (name.empty() ? "Fermata " + s : name) + "', " +
         std::to_string(sub * 1000) + ", " + std::to_string(arrival) + ", " + std::to_string(departure) +
         ", 0, 0, 0, " + kLocal + ");";
}

// Column ids, then each row as "sub name: cell texts".
std::string Shown(const QuadroTimetable& model) {
  std::string text;
  for (int k = 0; k < model.ColumnCount(); ++k)
    text += (k ? "," : "") + (model.Column(k) ? std::to_string(model.Column(k)->id) : std::string("-"));
  for (int r = 0; r < model.RowCount(); ++r) {
    text += "\n" + std::to_string(model.Row(r)->sub) + " " + model.Row(r)->stopName + ":";
    for (int k = 0; k < model.ColumnCount(); ++k) text += (k ? "|" : "") + QuadroTimetable::CellText(*model.Cell(r, k));
    EXPECT_EQ(model.PositionOf(model.Row(r)), r);
  }
  return text;
}

struct Quadro : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { Make(path); }

  // Quadro 5: trips 9 and 12 leave at 6:40, 20 at 7:10; only 12 stops at 3. Quadro 6: trip 30
  // without stops, 31 with two. Quadro 7: trips 40 and 41 with stops 1-4, each with its own
  // codes. Quadro 8: trips whose times are cloned. Quadro 9: trips 32 and 33 without stops.
  static void Make(const std::string& file) {
    MakeTimetableDatabase(file);
    std::string sql = "UPDATE master SET gruppo = 40;";
    sql += TripHeadSql(20, 5, 710) + TripHeadSql(12, 5, 640) + TripHeadSql(9, 5, 640) + TripHeadSql(30, 6, 500) +
           TripHeadSql(31, 6, 600) + TripHeadSql(40, 7, 800) + TripHeadSql(41, 7, 900) + TripHeadSql(50, 8, 640) +
           TripHeadSql(51, 8, 700) + TripHeadSql(52, 8, 2350) + TripHeadSql(53, 8, 2359) + TripHeadSql(32, 9, 500) +
           TripHeadSql(33, 9, 600);
    sql += Stop(9, 1, 9999, 640, "Piazza") + Stop(9, 2, 650, 650) + Stop(9, 4, 705, 705);
    sql += Stop(12, 1, 9999, 640) + Stop(12, 2, 650, 652) + Stop(12, 3, 700, 700, "Scuola") + Stop(12, 4, 710, 710);
    sql += Stop(20, 1, -1, 710) + Stop(20, 2, 720, 720) + Stop(20, 4, 730, 9999);
    sql += Stop(31, 1, 9999, 600) + Stop(31, 2, 610, 9999);
    for (int sub = 1; sub <= 4; ++sub) {
      const std::string s = std::to_string(sub);
      sql += "INSERT INTO detcor VALUES (40, " + s + ", 'A" + s + "', 'Uno " + s + "', 'Via " + s + "', " + s +
             "00, 8" + s + "0, 8" + s + "1, 1, 0, 0, 10" + s + ", 'RA', " + kLocal + ");";
      sql += "INSERT INTO detcor VALUES (41, " + s + ", 'B" + s + "', 'Due " + s + "', NULL, " + s + "10, 9" + s +
             "0, 9" + s + "2, 0, 1, 1, 20" + s + ", 'RB" + s + "', " + kOtherLocal + ");";
    }
    sql += Stop(50, 1, 9999, 640) + Stop(50, 2, 652, 653) + Stop(50, 3, 710, 9999);
    sql += Stop(51, 1, 9999, 700) + Stop(51, 2, 710, 710) + Stop(51, 3, 720, 9999);
    sql += Stop(52, 1, 9999, 2350) + Stop(52, 2, 10, 10) + Stop(52, 3, 30, 9999);
    sql += Stop(53, 1, 9999, 2359) + Stop(53, 3, 30, 9999);
    RunSql(file, sql);
  }
  std::string Query(const std::string& sql) const { return QueryFile(path, sql); }
};

TEST_F(Quadro, ColumnsByDepartureAndRowsOfEveryTrip) {
  // A quadro or a single trip, its number, what it shows: an empty arrival beside a departure
  // shows both, an arrival of 99:99 only the departure.
  const std::tuple<bool, int, const char*> cases[] = {
      {true, 5,
       "9,12,20\n1 Piazza:6:40|6:40|A:  / P: 7:10\n2 Fermata 2:6:50|A: 6:50 / P: 6:52|7:20\n3 Scuola:|7:00|\n"
       "4 Fermata 4:7:05|7:10|7:30"},
      {true, 6, "31\n1 Fermata 1:6:00\n2 Fermata 2:6:10"},  // trip 30 has no stops
      {false, 30, "-"},
      {true, 9, "-"},
      {false, 20, "20\n1 Fermata 1:A:  / P: 7:10\n2 Fermata 2:7:20\n4 Fermata 4:7:30"},
      {false, 99, "-"},
      {true, 77, "-"},
  };
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  for (const auto& [quadro, number, shown] : cases) {
    quadro ? model.LoadQuadro(number) : model.LoadSingleTrip(number);
    EXPECT_EQ(Shown(model), shown) << number;
    EXPECT_EQ(model.QuadroNumber(), quadro ? number : -1);
    EXPECT_EQ(model.SingleTripId(), quadro ? -1 : number);
  }
  model.LoadQuadro(5);
  const TripLeg* trip = model.Column(2);
  EXPECT_EQ(trip->quadroNumber, 5);
  EXPECT_EQ(trip->tripCode + "|" + trip->lineCode + "|" + trip->routeCode + "|" + trip->departureText + "|" +
                trip->arrivalText + "|" + trip->lengthText + "|" + trip->durationText + "|" + trip->description,
            "C20|L1|P20|7:10||5,000|40m|Corsa 20");
  model.LoadSingleTrip(20);
  EXPECT_EQ(model.Column(0)->quadroNumber, -1);
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(Quadro, TypedTimesAreCheckedThenWritten) {
  const std::string tail = "in modo illegale.\n\nGli orari devono essere espressi nel formato HH.MM\n\n";
  const std::string arrivalWrong = "ATTENZIONE l'orario di arrivo è espresso " + tail;
  // arrival, departure, message, detcor afterwards
  const std::tuple<const char*, const char*, std::string, const char*> cases[] = {
      {"8.05", "", "", "805|805"},
      {"7-05", "7,05 ", "", "705|705"},
      {" 8:05", "07:06 x", "", "706|706"},
      {"99:99", "7.05", arrivalWrong, "706|706"},  // no mark of a terminus at a stop in between
      {"7:05", "99.99", "ATTENZIONE l'orario di partenza è espresso " + tail, "706|706"},
      {"23:59", "0.00", "", "2359|0"},
      {"24:00", "", arrivalWrong, "2359|0"},
      {"7:60", "", arrivalWrong, "2359|0"},
      {"7h05", "7:05", arrivalWrong, "2359|0"},
      {"0805", "", arrivalWrong, "2359|0"},
      {"7:05", "7.5", "ATTENZIONE l'orario di partenza è espresso " + tail, "2359|0"},
      {"1", "123456", "ATTENZIONE l'orario di arrivo e l'orario di partenza sono espressi " + tail, "2359|0"},
      {"", " 7:05",
       "ATTENZIONE: non è stato indicato l'orario di arrivo e neppure quello di partenza.\n\n"
       "Deve essere attribuito obbligatoriamente almeno un riferimento orario.",
       "2359|0"},
  };
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  model.LoadQuadro(5);
  for (const auto& [arrival, departure, message, stored] : cases) {
    EXPECT_EQ(model.WriteTime(1, 1, arrival, departure), message) << arrival;
    EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = 12 AND sub = 2"), std::string(stored) + "\n");
  }
  const TimeCell* cell = model.Cell(1, 1);
  EXPECT_EQ(cell->arrivalText + "|" + cell->departureText + "|" + std::to_string(cell->changed), "23:59|0:00|1");
  EXPECT_EQ(model.Cell(1, 0)->changed, 0);
  // Trip 9 has no stop 3: it is said, nothing is written and the cell stays empty.
  EXPECT_EQ(model.WriteTime(2, 0, "7:00", ""),
            "ATTENZIONE: la corsa 9 non transita per la fermata 3.\n\nL'orario di transito non può essere registrato.");
  EXPECT_EQ(model.Cell(2, 0)->arrivalText + Query("SELECT count(*) FROM detcor WHERE id = 9 AND sub = 3"), "0\n");
  model.Reload();
  EXPECT_EQ(model.Cell(1, 1)->changed, 0);
  EXPECT_EQ(notices.Texts(), "");
}

// "99:99", the mark of no time, is the arrival at a trip's first stop and the departure at its
// last, and nothing else: in between it is an illegal time, and it never stands for both times.
TEST_F(Quadro, TheNoTimeMarkOnlyAtTheEndsOfTheTrip) {
  const std::string tail = "in modo illegale.\n\nGli orari devono essere espressi nel formato HH.MM\n\n";
  const std::string arrivalWrong = "ATTENZIONE l'orario di arrivo è espresso " + tail;
  const std::string departureWrong = "ATTENZIONE l'orario di partenza è espresso " + tail;
  const std::string both = "ATTENZIONE l'orario di arrivo e l'orario di partenza sono espressi " + tail;
  const std::string none =
      "ATTENZIONE: non è stato indicato l'orario di arrivo e neppure quello di partenza.\n\n"
      "Deve essere attribuito obbligatoriamente almeno un riferimento orario.";
  // Quadro 5: column 0 trip 9 (subs 1, 2, 4), column 1 trip 12 (subs 1 to 4); rows 0 to 3 are
  // subs 1 to 4. row, column, arrival, departure, message, the stop's times afterwards.
  const std::tuple<int, int, const char*, const char*, std::string, const char*> cases[] = {
      {0, 1, "99:99", "6.45", "", "9999|645"},  // first stop: no arrival
      {0, 1, "99:99", "99:99", departureWrong, "9999|645"},
      {0, 1, "99:99", "", none, "9999|645"},  // the mark is no time: one real time is needed
      {0, 1, "6:30", "6:31", "", "630|631"},
      {3, 1, "7:15", "99-99", "", "715|9999"},  // last stop: no departure
      {3, 1, "99:99", "7:16", arrivalWrong, "715|9999"},
      {3, 1, "", "99:99", none, "715|9999"},
      {2, 1, "99:99", "99:99", both, "700|700"},  // a stop in between
      {2, 1, "99,99", "7:02", arrivalWrong, "700|700"},
      {2, 1, "7:01", "7:02", "", "701|702"},
      {3, 0, "7:20", "99:99", "", "720|9999"},  // trip 9's own last stop
      {1, 0, "6:55", "99:99", departureWrong, "650|650"},
  };
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  model.LoadQuadro(5);
  for (const auto& [row, column, arrival, departure, message, stored] : cases) {
    SCOPED_TRACE(std::to_string(row) + "," + std::to_string(column) + " " + arrival + " " + departure);
    const std::string before = model.Cell(row, column)->arrivalText + "|" + model.Cell(row, column)->departureText;
    EXPECT_EQ(model.WriteTime(row, column, arrival, departure), message);
    const std::string id = std::to_string(model.Column(column)->id), sub = std::to_string(model.Row(row)->sub);
    EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = " + id + " AND sub = " + sub),
              std::string(stored) + "\n");
    // A refused time leaves the cell as it was.
    if (!message.empty()) {
      EXPECT_EQ(model.Cell(row, column)->arrivalText + "|" + model.Cell(row, column)->departureText, before);
    }
  }
  EXPECT_EQ(notices.Texts(), "");
}

// A trip appended is the last column whatever its departure; its stops that no row has yet become
// rows in their places by sub; the cells already there keep their texts and marks.
TEST_F(Quadro, AnAppendedTripIsTheLastColumn) {
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  model.LoadQuadro(5);
  ASSERT_EQ(model.WriteTime(1, 1, "6:51", "6:53"), "");
  // Trip 60 written into the quadro after it was loaded, leaving before every other trip.
  RunSql(path, TripHeadSql(60, 5, 0) + Stop(60, 0, 9999, 500, "Deposito") + Stop(60, 2, 510, 511) +
                   Stop(60, 5, 530, 9999, "Capolinea") + TripHeadSql(61, 10, 0));
  model.AppendTrip(60);
  EXPECT_EQ(Shown(model),
            "9,12,20,60\n0 Deposito:|||5:00\n1 Piazza:6:40|6:40|A:  / P: 7:10|\n"
            "2 Fermata 2:6:50|A: 6:51 / P: 6:53|7:20|A: 5:10 / P: 5:11\n3 Scuola:|7:00||\n"
            "4 Fermata 4:7:05|7:10|7:30|\n5 Capolinea:|||5:30");
  EXPECT_EQ(model.Cell(2, 1)->changed, 1);
  EXPECT_EQ(model.Column(3)->quadroNumber, 5);
  // Loaded again, the columns go by departure.
  model.Reload();
  EXPECT_EQ(Shown(model).substr(0, 10), "60,9,12,20");
  // A model of nothing takes the trip as its only column.
  model.LoadQuadro(9);
  EXPECT_EQ(Shown(model), "-");
  RunSql(path, "UPDATE tescor SET gruppo = 9 WHERE id = 61");
  model.AppendTrip(61);
  EXPECT_EQ(Shown(model), "61");
  EXPECT_EQ(model.AssignContract(3, 4), (std::vector<std::int32_t>{61, 32, 33}));  // the trips it stood for too
  EXPECT_EQ(notices.Texts(), "");
}

TEST_F(Quadro, StopDetailsAndDeletionReachEveryTrip) {
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  model.LoadQuadro(5);
  const std::string stops =
      "SELECT id, sub, fermata, denom, ubicaz, dist, primaria, facolt, nonferma, arriva FROM detcor"
      " WHERE id IN (9, 12, 20) AND sub >= 2 AND sub <= 3 ORDER BY sub, id";
  TripStopValues values{"N2", "Nuova", "Corso", "", 2345, 1, 0, 1};
  EXPECT_EQ(model.WriteStopDetails(1, values), 3);
  EXPECT_EQ(model.WriteStopDetails(2, values), 1);  // only trip 12 stops at 3
  EXPECT_EQ(Query(stops),
            "9|2|N2|Nuova|Corso|2345|1|0|1|650\n12|2|N2|Nuova|Corso|2345|1|0|1|650\n"
            "20|2|N2|Nuova|Corso|2345|1|0|1|720\n12|3|N2|Nuova|Corso|2345|1|0|1|700\n");
  const TripStop* row = model.Row(1);
  EXPECT_EQ(row->stopName + "|" + row->lengthText + "|" + std::to_string(row->changed), "Nuova|2,345|1");

  EXPECT_EQ(model.DeleteStop(3), 3);
  EXPECT_EQ(model.DeleteStop(2), 1);
  EXPECT_EQ(model.Row(3)->deleted + model.Row(2)->deleted, 2);
  EXPECT_EQ(model.WriteStopDetails(3, values), 0);  // a deleted stop takes no details
  EXPECT_EQ(Query("SELECT id || ':' || group_concat(sub) FROM detcor WHERE id IN (9, 12, 20) GROUP BY id"),
            "9:1,2\n12:1,2\n20:1,2\n");
  model.Reload();
  EXPECT_EQ(model.RowCount(), 2);
  EXPECT_EQ(notices.Texts(), "");
  // A stop one trip refuses to lose stays in every trip, unmarked.
  RunSql(path, "CREATE TRIGGER keep BEFORE DELETE ON detcor WHEN old.id = 20 BEGIN SELECT RAISE(ABORT, 'tenuto'); END");
  EXPECT_EQ(model.DeleteStop(1), 0);
  EXPECT_EQ(model.Row(1)->deleted, 0);
  EXPECT_EQ(Query("SELECT count(*) FROM detcor WHERE id IN (9, 12, 20) AND sub = 2"), "3\n");
}

TEST_F(Quadro, InsertedStopMovesEachTripsOwnStops) {
  const TripStopValues values{"NEW", "Nuova", "Via", "", 1234, 1, 1, 0};
  const std::string fields =
      "id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
      "regferma, regarea, reglocal";
  // where, below, the first sub that moves, the new sub, its position
  const std::tuple<QuadroTimetable::InsertAt, int, int, int, int> cases[] = {
      {QuadroTimetable::InsertAt::Below, 1, 3, 3, 2},
      {QuadroTimetable::InsertAt::Head, -1, 1, 1, 0},
      {QuadroTimetable::InsertAt::Tail, -1, 99, 5, 4},
  };
  int run = 0;
  for (const auto& [where, below, moved, added, position] : cases) {
    const std::string file = dir.Path("insert" + std::to_string(run++) + ".mdb");
    Make(file);
    const std::string before =
        QueryFile(file, "SELECT id, sub + (sub >= " + std::to_string(moved) + "), " + fields.substr(9) +
                            " FROM detcor WHERE id >= 40 AND id <= 41 ORDER BY id, 2");
    NoticeLog notices;
    {
      DbDatabase db(file);
      QuadroTimetable model(&db);
      model.LoadQuadro(7);
      EXPECT_EQ(model.InsertStop(where, below, values, 715, -1), position) << added;
      EXPECT_EQ(model.RowCount(), 5);
      EXPECT_EQ(model.Row(position)->stopName + "|" + std::to_string(model.Row(position)->sub),
                "Nuova|" + std::to_string(added));
    }
    const std::string kept = " FROM detcor WHERE id >= 40 AND id <= 41";
    EXPECT_EQ(QueryFile(file, "SELECT " + fields + kept + " AND sub <> " + std::to_string(added) + " ORDER BY id, sub"),
              before);
    EXPECT_EQ(QueryFile(file, "SELECT " + fields + kept + " AND sub = " + std::to_string(added) + " ORDER BY id"),
              "40|" + std::to_string(added) + "|NEW|Nuova|Via|1234|-1|-1|1|1|0|NULL|NULL|0\n41|" +
                  std::to_string(added) + "|NEW|Nuova|Via|1234|-1|-1|1|1|0|NULL|NULL|0\n");
    EXPECT_EQ(QueryFile(file, "SELECT group_concat(sub) FROM (SELECT sub FROM detcor WHERE id = 41 ORDER BY sub)"),
              "1,2,3,4,5\n");
    EXPECT_EQ(notices.Texts(), "");
  }
}

TEST_F(Quadro, InsertIsAllTripsOrNoneAndTimedWhenFirst) {
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  const std::string all = "SELECT id, sub, fermata FROM detcor WHERE id IN (30, 40, 41) ORDER BY id, sub";
  const std::string before = Query(all);
  RunSql(path, "CREATE TRIGGER keep BEFORE INSERT ON detcor WHEN new.id = 41 BEGIN SELECT RAISE(ABORT, 'tenuto'); END");
  model.LoadQuadro(7);
  EXPECT_EQ(model.InsertStop(QuadroTimetable::InsertAt::Below, 0, {"X", "X", "", "", 0, 0, 0, 0}, -1, -1), -1);
  EXPECT_EQ(Query(all), before);
  EXPECT_TRUE(HasPart(notices.Texts(), "tenuto"));

  // A trip without stops beside trips with stops: no stop inserted anywhere, no assignment.
  const std::string trip30 = "SELECT (SELECT count(*) FROM detcor WHERE id = 30), * FROM tescor WHERE id = 30";
  const std::string untouched = Query(trip30);
  const std::vector<std::int32_t> only31{31};
  const std::function<bool()> writes[] = {
      [&] {
        return model.InsertStop(QuadroTimetable::InsertAt::Head, -1, {"H", "H", "", "", 0, 0, 0, 0}, -1, 30) == 0;
      },
      [&] {
        return model.InsertStop(QuadroTimetable::InsertAt::Below, 0, {"B", "B", "", "", 0, 0, 0, 0}, -1, 30) == 1;
      },
      [&] {
        return model.InsertStop(QuadroTimetable::InsertAt::Tail, -1, {"T", "T", "", "", 0, 0, 0, 0}, 700, 30) > 1;
      },
      [&] { return model.AssignLine("L9", 'R', "P9", "Nota") == only31; },
      [&] { return model.AssignLengths(9000, 0, 0) == only31; },
      [&] { return model.AssignContract(3, 4) == only31; },
  };
  for (const auto& write : writes) {
    model.LoadQuadro(6);
    EXPECT_TRUE(write());
    EXPECT_EQ(model.ColumnCount(), 1);
    EXPECT_EQ(model.Column(0)->id, 31);
    EXPECT_EQ(Query(trip30), untouched);
  }
  EXPECT_EQ(Query("SELECT group_concat(fermata || arriva, ' ') FROM (SELECT * FROM detcor WHERE id = 31 ORDER BY sub)"),
            "H-1 B-1 F19999 F2610 T-1\n");

  // The first stop of a trip without stops takes the time typed.
  model.LoadSingleTrip(30);
  EXPECT_EQ(model.InsertStop(QuadroTimetable::InsertAt::Tail, -1, {"P", "Prima", "", "", 0, 0, 0, 0}, 715, 30), 0);
  EXPECT_EQ(Query("SELECT sub, denom, arriva, parte FROM detcor WHERE id = 30"), "1|Prima|715|715\n");
  EXPECT_EQ(Shown(model), "30\n1 Prima:7:15");
  // A quadro of trips without stops: each of them takes the lengths and the stop.
  model.LoadQuadro(9);
  EXPECT_EQ(model.AssignLengths(7000, 0, 0), (std::vector<std::int32_t>{32, 33}));
  EXPECT_EQ(model.InsertStop(QuadroTimetable::InsertAt::Tail, -1, {"Q", "Q", "", "", 0, 0, 0, 0}, 600, 32), 0);
  EXPECT_EQ(
      Query("SELECT id, lung, sub, detcor.arriva FROM tescor JOIN detcor USING (id) WHERE gruppo = 9 ORDER BY id"),
      "32|7000|1|600\n33|7000|1|600\n");

  // A trip deleted in the session is left out; the others get the stop.
  RunSql(path, "DROP TRIGGER keep");
  model.LoadQuadro(7);
  TripStore(&db).Delete(41);
  for (int k = 0; k < model.ColumnCount(); ++k)
    if (model.Column(k)->id == 41) model.Column(k)->deleted = 1;
  EXPECT_GE(model.InsertStop(QuadroTimetable::InsertAt::Below, 0, {"Y", "Y", "", "", 0, 0, 0, 0}, -1, -1), 0);
  EXPECT_EQ(Query("SELECT count(*) FROM detcor WHERE fermata = 'Y'"), "1\n");
}

TEST_F(Quadro, MoveToNewQuadroTakesAndRaisesTheCounter) {
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  model.LoadQuadro(5);
  Outcome moved;
  const std::string state =
      "SELECT (SELECT gruppo FROM master), (SELECT group_concat(gruppo) FROM (SELECT gruppo FROM tescor WHERE id IN "
      "(9, 12, 20) ORDER BY id))";

  db.BeginTrans();
  moved = model.MoveToNewQuadro(0);
  EXPECT_EQ(moved.Texts(), "");
  EXPECT_TRUE(moved.ok);
  db.Rollback();
  EXPECT_EQ(Query(state), "40|5,5,5\n");

  model.LoadQuadro(5);
  EXPECT_EQ(model.MoveToNewQuadro(1).Texts(), "");
  EXPECT_EQ(Query(state), "41|5,40,5\n");
  EXPECT_EQ(Shown(model).substr(0, 5), "9,20\n");  // the moved trip has left the quadro
  EXPECT_EQ(notices.Texts(), "");

  const std::tuple<const char*, const char*, const char*> atTheLargest[] = {
      {"UPDATE master SET gruppo = 2147483647", "", "2147483647|5,40,5\n"},
      {"UPDATE master SET gruppo = 41; UPDATE tescor SET gruppo = 2147483647 WHERE id = 33",
       " dopo il quadro 2147483647", "41|5,40,5\n"},
  };
  for (const auto& [sql, after, kept] : atTheLargest) {
    RunSql(path, sql);
    moved = model.MoveToNewQuadro(0);
    EXPECT_EQ(std::to_string(moved.ok) + moved.Texts(),
              std::string("0ATTENZIONE: dati generali:\nil campo gruppo (ID Gruppo) dovrebbe passare a 2147483648, ") +
                  "oltre 2147483647, il numero più grande che la sua colonna può contenere:\nnessun nuovo quadro può " +
                  "essere numerato" + after +
                  ".\n\nNessuna modifica è stata registrata: correggere il dato prima di ripetere l'elaborazione.");
    EXPECT_EQ(Query(state), kept) << sql;
  }
  EXPECT_EQ(notices.Texts(), "");

  RunSql(path, "DELETE FROM master");
  moved = model.MoveToNewQuadro(0);
  EXPECT_EQ(moved.Texts(), TripStore::MissingMasterText());
  EXPECT_FALSE(moved.ok);
  EXPECT_EQ(Query("SELECT gruppo FROM tescor WHERE id = 9"), "5\n");
}

TEST_F(Quadro, ClonedTimesKeepTheSourceRunningTimes) {
  const std::string refusal =
      "ATTENZIONE: la corsa della colonna di origine non ha l'orario di transito a tutte le fermate.\n\n"
      "La clonazione degli orari risulta impossibile.";
  // source, departure, message, the target's stops afterwards (arrival/departure by sub)
  const std::tuple<int, int, std::string, const char*> cases[] = {
      {0, 800, "", "9999/800 812/813 830/830"},
      {2, 2355, "", "9999/2355 15/15 35/35"},  // the source passes midnight, the clone too
      {2, 2200, "", "9999/2200 2220/2220 2240/2240"},
      {3, 900, refusal, "9999/2200 2220/2220 2240/2240"},  // no time at stop 2
  };
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  model.LoadQuadro(8);
  for (const auto& [source, departure, message, stored] : cases) {
    const Outcome cloned = model.CloneTimes(source, 1, departure);
    EXPECT_EQ(cloned.Texts(), message) << departure;
    EXPECT_EQ(cloned.ok, message.empty()) << departure;
    EXPECT_EQ(
        Query(
            "SELECT group_concat(arriva || '/' || parte, ' ') FROM (SELECT * FROM detcor WHERE id = 51 ORDER BY sub)"),
        std::string(stored) + "\n");
  }
  const TimeCell* cell = model.Cell(1, 1);
  EXPECT_EQ(cell->arrivalText + "|" + cell->departureText + "|" + std::to_string(cell->changed), "22:20|22:20|1");
  EXPECT_EQ(notices.Texts(), "");
  model.Column(0)->deleted = 1;  // a trip deleted in the session lends no times
  EXPECT_EQ(model.CloneTimes(0, 1, 800).Texts(),
            "ATTENZIONE: la corsa della colonna di origine è stata eliminata.\n\n"
            "La clonazione degli orari risulta impossibile.");
}

TEST_F(Quadro, HeadAndWholeQuadroAssignments) {
  NoticeLog notices;
  DbDatabase db(path);
  QuadroTimetable model(&db);
  model.LoadQuadro(5);
  const std::vector<std::int32_t> all{9, 12, 20};
  // Each head as "id:fields", in column order.
  const std::string heads =
      "SELECT group_concat(id || ':' || codcorsa || codlinea || verso || codperc || ente || contratt || '/' || lung ||"
      " '/' || tempo || '/' || ct_lung || '/' || ct_tempo || denom || ifnull(mezzo, '-') || ifnull(prevcor, '-') ||"
      " ifnull(nextcor, '-'), ' ') FROM (SELECT * FROM tescor WHERE gruppo = 5 ORDER BY parte, id)";
  // the write, the heads afterwards, the texts of column 1 afterwards
  const std::tuple<std::function<bool()>, const char*, const char*> cases[] = {
      {[&] { return model.AssignLine("L7", 'R', "P7", "Nota") == all; },
       "9:C9L7RP712/5000/40/0/0Nota--- 12:C12L7RP712/5000/40/0/0Nota--- 20:C20L7RP712/5000/40/0/0Nota---",
       "C12|L7|R|P7|5,000|40m|Nota|1"},
      {[&] { return model.AssignLengths(15000, 14000, 50) == all; },
       "9:C9L7RP712/15000/40/14000/50Nota--- 12:C12L7RP712/15000/40/14000/50Nota--- "
       "20:C20L7RP712/15000/40/14000/50Nota---",
       "C12|L7|R|P7|15,000|40m|Nota|1"},
      {[&] { return model.AssignContract(3, 4) == all; },
       "9:C9L7RP734/15000/40/14000/50Nota--- 12:C12L7RP734/15000/40/14000/50Nota--- "
       "20:C20L7RP734/15000/40/14000/50Nota---",
       "C12|L7|R|P7|15,000|40m|Nota|0"},
      {[&] {
         return model.WriteHead(1, {"X1", "L8", 'A', "P8", 5, 6, 1234, 75, 1000, 70, "Testa", 'U', "9", "-1"});
       },
       "9:C9L7RP734/15000/40/14000/50Nota--- 12:X1L8AP856/1234/75/1000/70TestaU9- "
       "20:C20L7RP734/15000/40/14000/50Nota---",
       "X1|L8|A|P8|1,234|1h 15m|Testa|1"},
  };
  for (const auto& [write, stored, column] : cases) {
    model.Reload();
    EXPECT_TRUE(write());
    EXPECT_EQ(Query(heads), std::string(stored) + "\n");
    const TripLeg* trip = model.Column(1);
    EXPECT_EQ(trip->tripCode + "|" + trip->lineCode + "|" + trip->direction + "|" + trip->routeCode + "|" +
                  trip->lengthText + "|" + trip->durationText + "|" + trip->description + "|" +
                  std::to_string(trip->changed),
              column);
  }
  EXPECT_EQ(notices.Texts(), "");
}

}  // namespace
