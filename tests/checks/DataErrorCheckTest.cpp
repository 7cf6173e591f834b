// The data error check on real database files: the hand-made timetable that carries every fault,
// in the menu mode with its options and in the consent mode, the empty and the clean database,
// the database without a master row, the time tolerances past midnight, the authority codes, the
// codes shared by many trips, and the progress of its three passes.

#include "checks/CompanyHeading.h"
#include "checks/DataErrorCheck.h"
#include "db/DbDatabase.h"
#include "support/PassLog.h"
#include "support/TimetableData.h"

#include <gtest/gtest.h>
#include <functional>
#include <random>

namespace {

std::vector<std::string> Lines(const std::vector<ErrorRow>& rows) {
  std::vector<std::string> out;
  for (const ErrorRow& r : rows) out.push_back(std::to_string(r.tripId) + "|" + std::to_string(r.sub) + "|" + r.text);
  return out;
}

const std::vector<std::string> kMenuRows = {
    "101|-1|Manca: Ente Lunghezza ",
    "102|-1|Manca: Durata LunghezzaContrattuale DurataContrattuale ",
    "103|-1|Manca: Ente CodCorsa CodLinea CodPerc TipoMezzo ",
    "104|-1|Codice Corsa Duplicato: ID=105 ID=106 ",
    "105|-1|Codice Corsa Duplicato: ID=104 ID=106 ",
    "106|-1|Codice Corsa Duplicato: ID=104 ID=105 ",
    "109|1|Manca: TempoCapolineaPartenzaNon9999 ",
    "109|1|Errore: KmInizioNonZero ",
    "109|2|Errore: KmProgressivi ",
    "109|4|Errore: InversioneKm ",
    "111|2|Errore: InversioneTempo ",
    "111|3|Errore: InversioneTempo ",
    "112|3|Manca: DescFermata ",
    "112|3|Manca: DescFermata TempoCapolineaArrivoNon9999 ",
    "113|2|Manca: CodFermata ",
    "107|-1|Mancano percorso ed orari",
    "107|-1|Mancano periodi effettuazione",
    "108|-1|Date Inizio/Fine periodi effettuazione errate",
};

const std::vector<std::string> kConsentRows = {
    "101|-1|Manca: Lunghezza ",
    "102|-1|Manca: Durata LunghezzaContrattuale DurataContrattuale ",
    "103|-1|Manca: TipoMezzo ",
    "109|1|Manca: TempoCapolineaPartenzaNon9999 ",
    "109|1|Errore: KmInizioNonZero ",
    "111|2|Errore: InversioneTempo ",
    "111|3|Errore: InversioneTempo ",
    "112|3|Manca: DescFermata ",
    "112|3|Manca: DescFermata TempoCapolineaArrivoNon9999 ",
    "107|-1|Mancano percorso ed orari",
    "108|-1|Date Inizio/Fine periodi effettuazione errate",
};

class DataErrorCheck : public ::testing::Test {
 protected:
  void SetUp() override { MakeTimetableDatabase(path_); }
  void LoadFaults() { RunSql(path_, FileBytes(TestDataDir() + "/checks/errori.sql")); }
  std::vector<std::string> Run(const ErrorCheckOptions& options, WorkProgress* progress = nullptr) {
    DbDatabase db(path_);
    const CompanyHeading heading = ReadCompanyHeading(&db);
    return Lines(RunErrorCheck(&db, options, heading.periodStart, heading.periodEnd, progress).rows);
  }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  NoticeLog notices_;
};

TEST_F(DataErrorCheck, MenuModeFindsEveryFaultInItsOrder) {
  LoadFaults();
  EXPECT_EQ(Run(ErrorCheckOptions()), kMenuRows);
  EXPECT_EQ(notices_.Texts(), "");
}

TEST_F(DataErrorCheck, ConsentModeHasItsOwnTests) {
  LoadFaults();
  EXPECT_EQ(Run(ErrorCheckOptions::Consent()), kConsentRows);
}

TEST_F(DataErrorCheck, ConsentModeNamesMissingAuthoritiesAndLocalitiesOnce) {
  LoadFaults();
  RunSql(path_, "UPDATE tescor SET ente = 0; UPDATE detcor SET reglocal = 0;");
  std::vector<std::string> expected = kConsentRows;
  expected.insert(expected.begin() + 3, "-1|-1|Nessuna corsa con Ente Contrattuale assegnato !!!");
  expected.insert(expected.begin() + 10, "-1|-1|Nessuna fermata con Località assegnata !!!");
  EXPECT_EQ(Run(ErrorCheckOptions::Consent()), expected);
  // The menu mode names each trip instead.
  const std::vector<std::string> menu = Run(ErrorCheckOptions());
  EXPECT_EQ(menu.at(1), "102|-1|Manca: Ente Durata LunghezzaContrattuale DurataContrattuale ");
  EXPECT_EQ(std::count_if(menu.begin(), menu.end(), [](const std::string& r) { return r.find("Nessuna") != r.npos; }),
            0);
}

TEST_F(DataErrorCheck, EmptyDatabase) {
  EXPECT_EQ(Run(ErrorCheckOptions::Consent()),
            (std::vector<std::string>{"-1|-1|Nessuna corsa con Ente Contrattuale assegnato !!!",
                                      "-1|-1|Nessuna fermata con Località assegnata !!!"}));
  EXPECT_TRUE(Run(ErrorCheckOptions()).empty());
}

TEST_F(DataErrorCheck, WithoutAMasterRowThePeriodsAreNotCompared) {
  LoadFaults();
  RunSql(path_, "DELETE FROM master;");
  DbDatabase db(path_);
  const CompanyHeading heading = ReadCompanyHeading(&db);
  EXPECT_FALSE(heading.masterFound);
  EXPECT_EQ(heading.Subtitle(), "Azienda Non Definita");
  EXPECT_EQ(heading.FileTag(), "");
  std::vector<std::string> expected = kMenuRows;
  expected.pop_back();  // the period-date row of trip 108
  EXPECT_EQ(Lines(RunErrorCheck(&db, ErrorCheckOptions(), heading.periodStart, heading.periodEnd, nullptr).rows),
            expected);
}

// A value its column cannot hold as its kind stops the check at the first such row: no rows, one message naming row and
// field, with the tail of what the check serves (its list; the communication's files), and no generic box before it.
TEST_F(DataErrorCheck, AValueOfAnotherKindStopsTheCheck) {
  const std::string list = "\n\nIl prospetto non è stato preparato: correggere il dato prima di ripeterlo.";
  const std::string files = "\n\nNessun file è stato scritto: correggere il dato prima di esportare.";
  const std::string decimal = ",\nche è un numero con decimali e non un numero intero come richiede la sua colonna.";
  const struct {
    const char* sql;
    bool consent;
    std::string message;
  } cases[] = {
      {"UPDATE tescor SET ct_lung = 'abc' WHERE id = 102", true,
       "ATTENZIONE: corsa 102:\nil campo ct_lung (Lunghezza contrattuale) vale 'abc',\nche è un testo e non un numero "
       "intero come richiede la sua colonna." +
           files},
      {"UPDATE tescor SET ct_lung = 'abc' WHERE id = 102", false,
       "ATTENZIONE: corsa 102:\nil campo ct_lung (Lunghezza contrattuale) vale 'abc',\nche è un testo e non un numero "
       "intero come richiede la sua colonna." +
           list},
      {"UPDATE tescor SET codcorsa = X'4181' WHERE id = 104", false,
       "ATTENZIONE: corsa 104:\nil campo codcorsa (Codice Corsa) vale X'4181',\nche è un dato binario e non un testo "
       "come richiede la sua colonna." +
           list},
      {"UPDATE detcor SET arriva = 1.5 WHERE id = 111 AND sub = 2", true,
       "ATTENZIONE: fermata 2 della corsa 111:\nil campo arriva (Tempo di arrivo) vale 1.5,\nche è un numero con "
       "decimali e non un numero intero come richiede la sua colonna." +
           files},
      {"UPDATE detcor SET sub = 2.5 WHERE id = 111 AND sub = 2", true,
       "ATTENZIONE: una fermata della corsa 111:\nil campo sub (Dettaglio) vale 2.5" + decimal + files},
      {"UPDATE detcor SET id = 'x' WHERE id = 113 AND sub = 2", false,
       "ATTENZIONE: fermata 2 di una corsa:\nil campo id (Id Corsa) vale 'x',\nche è un testo e non un numero intero "
       "come richiede la sua colonna." +
           list},
      {"UPDATE period SET id = 113.5 WHERE id = 113", true,
       "ATTENZIONE: periodo dal 01/01/2024 al 30/06/2024 di una corsa:\nil campo id (Identificativo Corsa) vale 113.5" +
           decimal + files},
      {"UPDATE period SET inizio = '2024-02-30' WHERE id = 108", false,
       "ATTENZIONE: un periodo della corsa 108:\nil campo inizio (Data inizio) vale '2024-02-30',\nche è un testo e "
       "non una data come richiede la sua colonna." +
           list},
  };
  AllowReadingMismatches();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    std::remove(path_.c_str());
    SetUp();
    LoadFaults();
    RunSql(path_, c.sql);
    notices_.Clear();
    DbDatabase db(path_);
    const CompanyHeading heading = ReadCompanyHeading(&db);
    const ErrorCheckResult r = RunErrorCheck(&db, c.consent ? ErrorCheckOptions::Consent() : ErrorCheckOptions(),
                                             heading.periodStart, heading.periodEnd, nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.Texts(), c.message);
    EXPECT_TRUE(r.rows.empty());
    EXPECT_EQ(notices_.Texts(), "");
  }
}

// Each option adds its words or rows, or takes them away.
struct OptionCase {
  const char* name;
  std::function<void(ErrorCheckOptions&)> set;
  std::vector<std::string> added, removed;
};

class DataErrorCheckOptions : public DataErrorCheck, public ::testing::WithParamInterface<OptionCase> {};

TEST_P(DataErrorCheckOptions, ChangeTheirRowsOnly) {
  LoadFaults();
  ErrorCheckOptions options;
  GetParam().set(options);
  const std::vector<std::string> rows = Run(options);
  std::vector<std::string> expected;
  for (const std::string& r : kMenuRows)
    if (std::find(GetParam().removed.begin(), GetParam().removed.end(), r) == GetParam().removed.end())
      expected.push_back(r);
  for (const std::string& added : GetParam().added) {
    // An added row takes the place of the row of the same trip and stop it replaces, or comes
    // before the rows that follow it in the check's order.
    EXPECT_NE(std::find(rows.begin(), rows.end(), added), rows.end()) << added;
  }
  std::vector<std::string> kept;
  for (const std::string& r : rows)
    if (std::find(GetParam().added.begin(), GetParam().added.end(), r) == GetParam().added.end()) kept.push_back(r);
  EXPECT_EQ(kept, expected);
}

INSTANTIATE_TEST_SUITE_P(
    EachOption, DataErrorCheckOptions,
    ::testing::Values(
        OptionCase{
            "TripCode",
            [](ErrorCheckOptions& o) { o.tripCode = false; },
            {"103|-1|Manca: Ente CodLinea CodPerc TipoMezzo "},
            {"103|-1|Manca: Ente CodCorsa CodLinea CodPerc TipoMezzo ", "104|-1|Codice Corsa Duplicato: ID=105 ID=106 ",
             "105|-1|Codice Corsa Duplicato: ID=104 ID=106 ", "106|-1|Codice Corsa Duplicato: ID=104 ID=105 "}},
        OptionCase{"LineAndRouteCode",
                   [](ErrorCheckOptions& o) { o.lineCode = o.routeCode = false; },
                   {"103|-1|Manca: Ente CodCorsa TipoMezzo "},
                   {"103|-1|Manca: Ente CodCorsa CodLinea CodPerc TipoMezzo "}},
        OptionCase{"TripName",
                   [](ErrorCheckOptions& o) { o.tripName = true; },
                   {"103|-1|Manca: Ente CodCorsa CodLinea CodPerc Descrizione TipoMezzo "},
                   {"103|-1|Manca: Ente CodCorsa CodLinea CodPerc TipoMezzo "}},
        OptionCase{"Mode",
                   [](ErrorCheckOptions& o) { o.mode = false; },
                   {"103|-1|Manca: Ente CodCorsa CodLinea CodPerc "},
                   {"103|-1|Manca: Ente CodCorsa CodLinea CodPerc TipoMezzo "}},
        OptionCase{"StopCodeAndPlace",
                   [](ErrorCheckOptions& o) { o.stopPlace = true; },
                   {"113|2|Manca: CodFermata Ubicazione "},
                   {"113|2|Manca: CodFermata "}},
        OptionCase{"StopCodeOff", [](ErrorCheckOptions& o) { o.stopCode = false; }, {}, {"113|2|Manca: CodFermata "}},
        OptionCase{
            "Distances", [](ErrorCheckOptions& o) { o.distances = false; }, {}, {"109|2|Errore: KmProgressivi "}}),
    [](const auto& param) { return std::string(param.param.name); });

// One trip of two stops: the authority of its head, the departure from its first stop, the
// arrival and departure at its second.
struct TripCase {
  long authority;
  int firstLeaves, arrives, leaves;
  std::vector<std::string> menu;
};

class DataErrorCheckTrip : public DataErrorCheck, public ::testing::WithParamInterface<TripCase> {};

TEST_P(DataErrorCheckTrip, AuthorityAndTimesPastMidnight) {
  const TripCase& c = GetParam();
  RunSql(path_, "INSERT INTO cadenz VALUES ('FER', 'Feriale');" + TripHeadSql(7, 0, 800) +
                    "UPDATE tescor SET ente = " + std::to_string(c.authority) +
                    ", mezzo = 'X', ct_lung = 5000, ct_tempo = 40;"
                    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt,"
                    " nonferma, reglocal) VALUES (7, 1, 'A', 'Uno', 'Qui', 0, 9999, " +
                    std::to_string(c.firstLeaves) + ", 0, 0, 0, 1), (7, 2, 'B', 'Due', 'Li', 900, " +
                    std::to_string(c.arrives) + ", " + std::to_string(c.leaves) +
                    ", 0, 0, 0, 1), (7, 3, 'C', 'Tre', 'La', 1900, 9999, 9999, 0, 0, 0, 1);"
                    "INSERT INTO period VALUES (7, 'FER', '2024-01-01', '2024-06-30', 0);");
  EXPECT_EQ(Run(ErrorCheckOptions()), c.menu);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DataErrorCheckTrip,
    ::testing::Values(TripCase{1, 2250, 10, 11, {}},                                  // 22.50 then 0.10
                      TripCase{1, 2150, 10, 11, {"7|2|Errore: InversioneTempo "}},    // 21.50 then 0.10
                      TripCase{1, 2200, 128, 130, {}},                                // the limits themselves
                      TripCase{1, 2200, 129, 130, {"7|2|Errore: InversioneTempo "}},  //
                      TripCase{1, 800, 2310, 5, {}},                                  // 23.10 / 0.05 at one stop
                      TripCase{1, 800, 2250, 5, {"7|2|Errore: InversioneTempo "}},    // 22.50 / 0.05
                      TripCase{1, 800, 2300, 64, {}},                                 //
                      TripCase{1, 800, 2300, 65, {"7|2|Errore: InversioneTempo "}},   //
                      TripCase{1, 800, 759, 810, {"7|2|Errore: InversioneTempo "}},   // before the departure
                      TripCase{303, 800, 810, 811, {}},                               // the last authority
                      TripCase{304, 800, 810, 811, {"7|-1|Manca: Ente "}},            //
                      TripCase{0, 800, 810, 811, {"7|-1|Manca: Ente "}},              //
                      TripCase{-1, 800, 810, 811, {"7|-1|Manca: Ente "}}));

// One trip of four stops whose second (and maybe third) has no time at all or only one of its
// two: a stop without a time is left out of the order of times, the next one being compared with
// the last time before it, in both modes.
struct NoTimeCase {
  int arrives2, leaves2, arrives3, leaves3;
  std::vector<std::string> rows;
};

class DataErrorCheckNoTime : public DataErrorCheck, public ::testing::WithParamInterface<NoTimeCase> {};

TEST_P(DataErrorCheckNoTime, StopsWithoutTimesKeepTheLastTime) {
  const NoTimeCase& c = GetParam();
  const auto stop = [](int sub, int dist, int arrives, int leaves) {
    return "(7, " + std::to_string(sub) + ", 'S" + std::to_string(sub) + "', 'Nome', 'Qui', " + std::to_string(dist) +
           ", " + std::to_string(arrives) + ", " + std::to_string(leaves) + ", 0, 0, 0, 1)";
  };
  RunSql(path_, "INSERT INTO cadenz VALUES ('FER', 'Feriale');" + TripHeadSql(7, 0, 800) +
                    "UPDATE tescor SET mezzo = 'X', ct_lung = 5000, ct_tempo = 40;"
                    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt,"
                    " nonferma, reglocal) VALUES " +
                    stop(1, 0, 9999, 800) + ", " + stop(2, 500, c.arrives2, c.leaves2) + ", " +
                    stop(3, 900, c.arrives3, c.leaves3) + ", " + stop(4, 1500, 900, 9999) +
                    ";INSERT INTO period VALUES (7, 'FER', '2024-01-01', '2024-06-30', 0);");
  EXPECT_EQ(Run(ErrorCheckOptions()), c.rows);
  EXPECT_EQ(Run(ErrorCheckOptions::Consent()), c.rows);
}

INSTANTIATE_TEST_SUITE_P(Table, DataErrorCheckNoTime,
                         ::testing::Values(NoTimeCase{9999, 9999, 810, 812, {}},  // no time, then 8.10
                                           NoTimeCase{
                                               9999, 9999, 759, 812, {"7|3|Errore: InversioneTempo "}},  // before 8.00
                                           NoTimeCase{9999, 9999, 9999, 9999, {}},                       // two without
                                           NoTimeCase{9999, 805, 810, 812, {}},  // departure only
                                           NoTimeCase{9999, 755, 810, 812, {"7|2|Errore: InversioneTempo "}},  //
                                           NoTimeCase{805, 9999, 810, 812, {}},  // arrival only
                                           NoTimeCase{805, 9999, 804, 812, {"7|3|Errore: InversioneTempo "}},  //
                                           NoTimeCase{805, 9999, 9999, 830, {}},                               //
                                           NoTimeCase{805, 9999, 9999, 803, {"7|3|Errore: InversioneTempo "}}));

// Each progressive distance after the first stop must be greater than the one before: an equal
// one is an inversion as much as a smaller one (menu mode only; never for a distance of 0).
TEST_F(DataErrorCheck, ProgressiveDistancesThatDoNotGrow) {
  struct Case {
    int dist2, dist3;
    std::vector<std::string> menu;
  } cases[] = {
      {900, 1900, {}},
      {900, 901, {}},
      {900, 900, {"7|3|Errore: InversioneKm "}},  // equal
      {900, 899, {"7|3|Errore: InversioneKm "}},  // decreasing
      {1900, 900, {"7|3|Errore: InversioneKm "}},
      {900, 0, {"7|3|Errore: KmProgressivi "}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.dist2) + " " + std::to_string(c.dist3));
    RunSql(path_,
           "DELETE FROM cadenz; DELETE FROM tescor; DELETE FROM detcor; DELETE FROM period;"
           "INSERT INTO cadenz VALUES ('FER', 'Feriale');" +
               TripHeadSql(7, 0, 800) +
               "UPDATE tescor SET mezzo = 'X', ct_lung = 5000, ct_tempo = 40;"
               "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt,"
               " nonferma, reglocal) VALUES (7, 1, 'A', 'Uno', 'Qui', 0, 9999, 800, 0, 0, 0, 1), "
               "(7, 2, 'B', 'Due', 'Li', " +
               std::to_string(c.dist2) + ", 810, 811, 0, 0, 0, 1), (7, 3, 'C', 'Tre', 'La', " +
               std::to_string(c.dist3) +
               ", 820, 9999, 0, 0, 0, 1);"
               "INSERT INTO period VALUES (7, 'FER', '2024-01-01', '2024-06-30', 0);");
    EXPECT_EQ(Run(ErrorCheckOptions()), c.menu);
    EXPECT_EQ(Run(ErrorCheckOptions::Consent()), std::vector<std::string>{});
  }
}

TEST_F(DataErrorCheck, CleanDatabaseHasNoRow) {
  RunSql(path_, "INSERT INTO cadenz VALUES ('FER', 'Feriale');" + TripHeadSql(7, 0, 800) +
                    "UPDATE tescor SET mezzo = 'X', ct_lung = 5000, ct_tempo = 40;"
                    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt,"
                    " nonferma, reglocal) VALUES (7, 1, 'A', 'Uno', 'Qui', 0, 9999, 800, 0, 0, 0, 1),"
                    " (7, 2, 'B', 'Due', 'Li', 900, 810, 9999, 0, 0, 0, 1);"
                    "INSERT INTO period VALUES (7, 'FER', '2024-01-01', '2024-06-30', 0);");
  EXPECT_TRUE(Run(ErrorCheckOptions()).empty());
  EXPECT_TRUE(Run(ErrorCheckOptions::Consent()).empty());
}

// The duplicate rows as comparing every trip with every other trip in the order read makes them.
std::vector<std::string> EveryPairDuplicates(const std::vector<std::pair<long, std::string>>& trips) {
  std::vector<std::string> rows;
  for (const auto& [id, code] : trips) {
    if (code.empty()) continue;
    std::string text;
    for (const auto& [other, otherCode] : trips)
      if (other != id && otherCode == code && text.size() < 1000) text += "ID=" + std::to_string(other) + " ";
    if (!text.empty()) rows.push_back(std::to_string(id) + "|-1|Codice Corsa Duplicato: " + text);
  }
  return rows;
}

TEST_F(DataErrorCheck, SharedCodesAsEveryTripComparedWithEveryOther) {
  std::mt19937 random(17);
  std::vector<std::pair<long, std::string>> trips;
  std::string sql;
  for (long id = 1; id <= 600; ++id) {
    // A large group (its rows stop growing at 1000 characters), small groups, codes alone, and
    // codes that differ only in letter case.
    std::string code = id % 3 == 0 ? "GRANDE" : "K" + std::to_string(random() % 150);
    if (id % 7 == 0) code = "k" + code.substr(1);
    trips.emplace_back(id, code);
    sql += TripHeadSql(static_cast<int>(id), 0, 800) + "UPDATE tescor SET codcorsa = '" + code +
           "', mezzo = 'X', ct_lung = 1, ct_tempo = 1 WHERE id = " + std::to_string(id) + ";";
  }
  RunSql(path_, sql);
  std::vector<std::string> rows;
  for (const std::string& r : Run(ErrorCheckOptions()))
    if (r.find("Duplicato") != r.npos) rows.push_back(r);
  const std::vector<std::string> expected = EveryPairDuplicates(trips);
  EXPECT_EQ(rows, expected);
  const auto longest = std::max_element(rows.begin(), rows.end(), [](auto& a, auto& b) { return a.size() < b.size(); });
  ASSERT_NE(longest, rows.end());
  EXPECT_GT(longest->size(), 1000u);
  EXPECT_LT(longest->size(), 1000u + 40u);
}

TEST_F(DataErrorCheck, ABarPerPass) {
  LoadFaults();
  PassLog log;
  Run(ErrorCheckOptions(), &log);
  // 13 heads, 38 stop rows, 14 periods: all of them, then the 2 outside the working period.
  EXPECT_EQ(log.lines, (std::vector<std::string>{"begin " + std::string(kTripHeadPass), "end 13/13",
                                                 "begin " + std::string(kTripStopPass), "end 38/38",
                                                 "begin " + std::string(kPeriodPass), "end 16/28"}));
}

}  // namespace

namespace {

// A trip numbered -1, read first, is a trip like any other: its first stop is a first stop, and it
// gets its arrival test when the next trip begins.
TEST_F(DataErrorCheck, ATripNumberedMinusOneStartsItsOwnStops) {
  RunSql(path_, "INSERT INTO cadenz VALUES ('FER', 'Feriale');" + TripHeadSql(-1, 0, 800) + TripHeadSql(5, 0, 800) +
                    "UPDATE tescor SET mezzo = 'X', ct_lung = 5000, ct_tempo = 40;"
                    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt,"
                    " nonferma, reglocal) VALUES (-1, 1, 'A', 'Uno', 'Qui', 150, 800, 805, 0, 0, 0, 1),"
                    " (-1, 2, 'B', 'Due', 'Li', 900, 810, 815, 0, 0, 0, 1),"
                    " (5, 1, 'A', 'Uno', 'Qui', 0, 9999, 800, 0, 0, 0, 1),"
                    " (5, 2, 'B', 'Due', 'Li', 900, 810, 9999, 0, 0, 0, 1);"
                    "INSERT INTO period VALUES (-1, 'FER', '2024-01-01', '2024-06-30', 0),"
                    " (5, 'FER', '2024-01-01', '2024-06-30', 0);");
  EXPECT_EQ(Run(ErrorCheckOptions()),
            (std::vector<std::string>{"-1|1|Manca: TempoCapolineaPartenzaNon9999 ", "-1|1|Errore: KmInizioNonZero ",
                                      "-1|2|Manca: TempoCapolineaArrivoNon9999 "}));
}

}  // namespace
