// Grouping of homogeneous trips on a real timetable database.

#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"

#include "app/commands/GroupingCommand.h"
#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "utilities/TripGrouping.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QFile>
#include <QTemporaryDir>

namespace {

const std::string& Template() {
  static QTemporaryDir dir;
  static const std::string path = [] {
    const std::string p = dir.path().toStdString() + "/template.mdb";
    ui::Script script;
    EXPECT_EQ(CreateSeededDatabase(p, CreateMode::Startup), 1);
    return p;
  }();
  return path;
}

struct Grouping : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override {
    Template();
    ASSERT_TRUE(QFile::copy(QString::fromStdString(Template()), QString::fromStdString(path)));
    Exec("INSERT INTO master VALUES (0, 17, NULL, NULL, NULL, '2024-01-01', '2024-06-30', 10, 0)");
  }
  void Exec(const std::string& cp1252Sql) {
    DbDatabase db(path);
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db.Handle(), cp1252::ToUtf8(cp1252Sql).c_str(), nullptr, nullptr, &error), SQLITE_OK)
        << error;
  }
  void Trip(int id, int gruppo = -1) {
    Exec(
        "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
        "ct_tempo, gruppo) VALUES (" +
        std::to_string(id) + ", 'C', 'L', 'A', 0, 2359, 0, 0, 0, 0, 0, 0, " + std::to_string(gruppo) + ")");
  }
  // Stops "sub:fermata:denom:ubicaz:dist:primaria:facolt", separated by ';'.
  void Stop(int id, int sub, const std::string& fermata, const std::string& denom, const std::string& ubicaz,
            int dist = 0, int facolt = 0) {
    Exec(
        "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
        "reglocal) VALUES (" +
        std::to_string(id) + ", " + std::to_string(sub) + ", " + SqlQuote(fermata) + ", " + SqlQuote(denom) + ", " +
        (ubicaz.empty() ? std::string("NULL") : SqlQuote(ubicaz)) + ", " + std::to_string(dist) + ", 9999, 700, 1, " +
        std::to_string(facolt) + ", 0, 0)");
  }
  void Line(int id, int firstSub = 1, int step = 1) {
    Trip(id);
    Stop(id, firstSub, "F1", "Aulla Stazione", "Piazza Città", 0);
    Stop(id, firstSub + step, "F2", "Città", "", 5000);
  }
  std::string Groups() const { return QueryFile(path, "SELECT id, gruppo FROM tescor ORDER BY id"); }
  std::string Next() const { return QueryFile(path, "SELECT gruppo FROM master"); }
  void Run(bool silent) {
    DbDatabase db(path);
    GroupHomogeneousTrips(&db, nullptr, silent ? GroupingMode::Silent : GroupingMode::Command);
  }
};

TEST_F(Grouping, EqualTripsShareTheNumberOfTheirLowestId) {
  Line(1);
  Line(2, 10, 10);  // subs 10, 20: other stops
  Trip(3);
  Stop(3, 1, "f1 ", "AULLA STAZIONE", "PIAZZA CITTÀ  ");
  Stop(3, 2, "F2", "città", "", 5000);
  Trip(4);  // a trip without stops keeps its number
  Exec("UPDATE tescor SET gruppo = 77 WHERE id = 4");
  ui::Script script;
  script.Ok();
  Run(0);
  ASSERT_EQ(script.Messages().size(), 2u);
  EXPECT_EQ(script.Messages()[0].type, ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
  EXPECT_EQ(script.Messages()[0].text.rfind("ATTENZIONE: Questa funzione identificherà le corse che hanno percorso "
                                            "identico.\nPercorso identico significa che:\n",
                                            0),
            0u);
  EXPECT_EQ(script.Messages()[1].text, "Risultati dell'elaborazione:\n\nLette 3 corse; Identificati 2 quadri orari.");
  EXPECT_EQ(Groups(), "1|1\n2|2\n3|1\n4|77\n");
  EXPECT_EQ(Next(), "3\n");
  // Again: the same numbers.
  script.Ok();
  Run(0);
  EXPECT_EQ(Groups(), "1|1\n2|2\n3|1\n4|77\n");
}

TEST_F(Grouping, ADistanceOrAFlagMakesAGroupOfItsOwn) {
  Line(1);
  Line(2);
  Exec("UPDATE detcor SET dist = 5001 WHERE id = 2 AND sub = 2");
  Line(3);
  Exec("UPDATE detcor SET facolt = 1 WHERE id = 3 AND sub = 1");
  Line(4);
  ui::Script script;
  Run(1);
  EXPECT_TRUE(script.Messages().empty()) << MessagesOf(script);
  EXPECT_EQ(Groups(), "1|1\n2|2\n3|3\n4|1\n");
  EXPECT_EQ(Next(), "4\n");
}

TEST_F(Grouping, EmptyDetailsGiveNoQuadro) {
  Trip(1, 5);
  ui::Script script;
  script.Ok();
  Run(0);
  EXPECT_EQ(script.Messages().back().text,
            "Risultati dell'elaborazione:\n\nLette 0 corse; Identificati 0 quadri orari.");
  EXPECT_EQ(Next(), "1\n");
  EXPECT_EQ(Groups(), "1|5\n");
}

TEST_F(Grouping, CancelChangesNothingAndAMissingMasterIsSaidEvenWhenSilent) {
  Line(1);
  ui::Script script;
  script.Cancel();
  Run(0);
  EXPECT_EQ(Groups(), "1|-1\n");
  EXPECT_EQ(Next(), "0\n");
  Exec("DELETE FROM master");
  script.Clear();
  Run(1);
  ASSERT_EQ(script.Messages().size(), 1u);
  EXPECT_EQ(script.Messages()[0].text,
            "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!");
  EXPECT_EQ(Groups(), "1|-1\n");
}

TEST(GroupStops, LetterCaseOfAccentedLettersDoesNotCount) {
  GroupStop a{1, "F1", "Città", "Via dell'Ëlba", 10, 1, 0, 0};
  GroupStop b{1, "f1", "CITTÀ", "VIA DELL'ëLBA", 10, 1, 0, 0};
  EXPECT_TRUE(StopsAreEqual(a, b));
  b.denom = "CITTA";
  EXPECT_FALSE(StopsAreEqual(a, b));
  GroupTrip t1(1), t2(2);
  t1.stops.Emplace(a);
  EXPECT_FALSE(TripsHaveSameStops(t1, t2));
  t2.stops.Emplace(a);
  EXPECT_TRUE(TripsHaveSameStops(t1, t2));
}

}  // namespace
