// The normalisations, the clean-ups and the stop elimination on a hand-made timetable database:
// the rows each changes (texts as values, never as SQL; the stored values of a list entry), the
// counts it gives, the terminus test, and a run killed half way (nothing of it kept).

#include "support/KilledWalk.h"
#include "support/UtilityData.h"

#include "db/DbDatabase.h"
#include "utilities/CleanUps.h"
#include "utilities/Normalisation.h"

#include <functional>

namespace {

const char* const kStops = "SELECT id, sub, fermata, denom, ubicaz FROM detcor ORDER BY id, sub";
const char* const kHeads = "SELECT id, codcorsa, codlinea, verso, codperc, denom FROM tescor ORDER BY id";

struct Normalised : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override { MakeNormalisationDatabase(path); }
  // The rows of `query` that differ from `before`, one "-old" / "+new" line each.
  std::string Changes(const char* query, const std::string& before) const {
    const std::string after = QueryFile(path, query);
    QStringList a = QString::fromStdString(before).split(QLatin1Char('\n'));
    QStringList b = QString::fromStdString(after).split(QLatin1Char('\n'));
    std::string out;
    for (const QString& line : a)
      if (!b.contains(line)) out += "-" + line.toStdString() + "\n";
    for (const QString& line : b)
      if (!a.contains(line)) out += "+" + line.toStdString() + "\n";
    return out;
  }
};

using Work = std::function<std::string(DbDatabase*)>;

struct Case {
  const char* name;
  Work work;
  const char* query;
  const char* changes;   // the rows changed ("-" before, "+" after)
  std::string result;    // the result text
  const char* sql = "";  // run on the hand-made data first
};
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

Work Stops(StopSpelling search, StopSpelling replacement) {
  return [=](DbDatabase* db) { return NormalizeStops(db, search, replacement, nullptr).Texts(); };
}
Work Lines(LineAndDirection search, LineAndDirection replacement) {
  return [=](DbDatabase* db) { return NormalizeLineCodes(db, search, replacement, nullptr).Texts(); };
}
Work Routes(RouteName search, RouteName replacement) {
  return [=](DbDatabase* db) { return NormalizeRouteCodes(db, search, replacement, nullptr).Texts(); };
}
Work Clear(CleanUp which) {
  return [=](DbDatabase* db) { return ClearCodes(db, which, nullptr).Texts(); };
}

// A run over a value planted of another kind than its column's: its texts, then any notice the
// layer showed (none: the run tells the value itself).
Work Planted(Work work) {
  return [=](DbDatabase* db) {
    AllowReadingMismatches();
    NoticeLog notices;
    const std::string texts = work(db);
    return texts + notices.Texts();
  };
}

const char* const kDuomo = "Piazza \"Duomo\"";

// "Łódź" as another tool stores it (UTF-8), and as the program reads it.
const char* const kLodz =
    "\xC5\x81\xC3\xB3"
    "d\xC5\xBA";
const char* const kLodzRead =
    "?\xF3"
    "d?";
const char* const kLodzSql = "UPDATE detcor SET denom = char(0x141, 0xF3, 0x64, 0x17A) WHERE id = 1 AND sub = 1;";
const char* const kFirstStop = "SELECT id, sub, fermata, hex(denom), ubicaz FROM detcor WHERE id = 1 AND sub = 1";

// Line and route codes that read "?1": U+0141 and U+015A stored by another tool, and "?1" itself.
const char* const kS1 =
    "\xC5\x9A"
    "1";
const char* const kLinesReadAlike =
    "UPDATE tescor SET codlinea = char(0x141 + (id = 2) * 25) || '1' WHERE id IN (1, 2);"
    "UPDATE tescor SET codlinea = '?1' WHERE id = 5;";
const char* const kLineCodes = "SELECT id, hex(codlinea), verso FROM tescor ORDER BY id";
const char* const kRoutesReadAlike =
    "UPDATE tescor SET codperc = char(0x141 + (id = 2) * 25) || '1' WHERE id IN (1, 2);"
    "UPDATE tescor SET codperc = '?1' WHERE id = 6;";
const char* const kRouteCodes = "SELECT id, hex(codperc), denom FROM tescor ORDER BY id";

const Case kCases[] = {
    // A name the code page cannot hold, chosen from the list: its rows found as stored; left as it
    // reads, the stored name stays.
    {"StopNameTheCodePageCannotHold", Stops({"F1", kLodzRead, "Piazza", {"", kLodz, ""}}, {"F1", "Lodz", "Piazza"}),
     kFirstStop, "-1|1|F1|C581C3B364C5BA|Piazza\n+1|1|F1|4C6F647A|Piazza\n",
     "Risultati dell'elaborazione:\n\nLette 1 fermate corsa; Variate 1 fermate corsa.", kLodzSql},
    {"StopNameTheCodePageCannotHoldKept",
     Stops({"F1", kLodzRead, "Piazza", {"", kLodz, ""}}, {"F1", kLodzRead, "Corso"}), kFirstStop,
     "-1|1|F1|C581C3B364C5BA|Piazza\n+1|1|F1|C581C3B364C5BA|Corso\n",
     "Risultati dell'elaborazione:\n\nLette 1 fermate corsa; Variate 1 fermate corsa.", kLodzSql},
    // A name with double quotes: exactly its rows with code F2 and no place (NULL or blank).
    {"StopWithQuotesInItsName", Stops({"F2", kDuomo, ""}, {"F9", "Piazza Duomo", "Centro"}), kStops,
     "-1|2|F2|Piazza \"Duomo\"|NULL\n-2|2|F2|Piazza \"Duomo\"| \n-5|2|F2|Piazza \"Duomo\"|NULL\n"
     "-6|1|F2|Piazza \"Duomo\"|NULL\n+1|2|F9|Piazza Duomo|Centro\n+2|2|F9|Piazza Duomo|Centro\n"
     "+5|2|F9|Piazza Duomo|Centro\n+6|1|F9|Piazza Duomo|Centro\n",
     "Risultati dell'elaborazione:\n\nLette 4 fermate corsa; Variate 4 fermate corsa."},
    // An empty code matches NULL or blank codes only.
    {"StopWithoutCode", Stops({"", kDuomo, ""}, {"F2", kDuomo, ""}), kStops,
     "-3|2|NULL|Piazza \"Duomo\"|NULL\n-4|2| |Piazza \"Duomo\"|NULL\n+3|2|F2|Piazza \"Duomo\"|NULL\n"
     "+4|2|F2|Piazza \"Duomo\"|NULL\n",
     "Risultati dell'elaborazione:\n\nLette 2 fermate corsa; Variate 2 fermate corsa."},
    // An empty replacement place is stored as NULL; a trailing blank of the stored place matches.
    {"StopPlaceEmptied", Stops({"F1", "Aulla", "Piazza"}, {"F1", "Aulla", ""}), kStops,
     "-1|1|F1|Aulla|Piazza\n-2|1|F1|Aulla|Piazza \n-3|3|F1|Aulla|Piazza\n-4|3|F1|Aulla|Piazza\n"
     "+1|1|F1|Aulla|NULL\n+2|1|F1|Aulla|NULL\n+3|3|F1|Aulla|NULL\n+4|3|F1|Aulla|NULL\n",
     "Risultati dell'elaborazione:\n\nLette 4 fermate corsa; Variate 4 fermate corsa."},
    // A stop named like a column matches no row; nor does SQL in a name.
    {"StopNamedLikeAColumn", Stops({"", "denom", ""}, {"X", "Y", "Z"}), kStops, "",
     "Risultati dell'elaborazione:\n\nLette 0 fermate corsa; Variate 0 fermate corsa."},
    {"StopNamedLikeSql", Stops({"F1", "Aulla' OR 'a'='a", "Piazza"}, {"X", "Y", "Z"}), kStops, "",
     "Risultati dell'elaborazione:\n\nLette 0 fermate corsa; Variate 0 fermate corsa."},
    {"LineWithDirection", Lines({"L1", 'R'}, {"L10", 'A'}), kHeads,
     "-3|C3|L1|R|P2| \n-4|C4|L1|R|P2|Pontremoli - Aulla\n+3|C3|L10|A|P2| \n+4|C4|L10|A|P2|Pontremoli - Aulla\n",
     "Risultati dell'elaborazione:\n\nLette 2 corse; Variate 2 corse."},
    {"LineDirectionOnly", Lines({"L2", 'A'}, {"L2", 'R'}), kHeads,
     "-5|C5|L2|A|P3|fermata\n-6|C6|L2 |A|NULL|NULL\n+5|C5|L2|R|P3|fermata\n+6|C6|L2|R|NULL|NULL\n",
     "Risultati dell'elaborazione:\n\nLette 2 corse; Variate 2 corse."},
    {"LineNotThere", Lines({"L1", ' '}, {"L3", 'A'}), kHeads, "",
     "Risultati dell'elaborazione:\n\nLette 0 corse; Variate 0 corse."},
    // The stored values of a list entry: a lower-case direction, a blank code, a missing or blank
    // name each names its own trips only.
    {"LowerCaseDirection", Lines({"L1", 'a'}, {"L9", 'A'}), kHeads, "-2|C2|L1|a|P1|NULL\n+2|C2|L9|A|P1|NULL\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.", "UPDATE tescor SET verso = 'a' WHERE id = 2;"},
    {"UpperCaseDirection", Lines({"L1", 'A'}, {"L9", 'A'}), kHeads,
     "-1|C1|L1|A|P1|Aulla - Pontremoli\n+1|C1|L9|A|P1|Aulla - Pontremoli\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.", "UPDATE tescor SET verso = 'a' WHERE id = 2;"},
    {"BlankLineCode", Lines({" ", 'A'}, {"L5", 'A'}), kHeads, "-5|C5| |A|P3|fermata\n+5|C5|L5|A|P3|fermata\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.",
     "UPDATE tescor SET codlinea = ' ' WHERE id = 5;"},
    {"BlankRouteCode", Routes({" ", ""}, {"P7", "Nuovo"}), kHeads, "-2|C2|L1|A| |NULL\n+2|C2|L1|A|P7|Nuovo\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.",
     "UPDATE tescor SET codperc = ' ' WHERE id = 2;"},
    {"RouteWithoutName", Routes({"P1", ""}, {"P10", "Nuovo"}), kHeads, "-2|C2|L1|A|P1|NULL\n+2|C2|L1|A|P10|Nuovo\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse."},
    {"RouteWithBlankName", Routes({"P2", " "}, {"P20", "Nuovo"}), kHeads, "-3|C3|L1|R|P2| \n+3|C3|L1|R|P20|Nuovo\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse."},
    {"RouteWithName", Routes({"P1", "Aulla - Pontremoli"}, {"P1", ""}), kHeads,
     "-1|C1|L1|A|P1|Aulla - Pontremoli\n+1|C1|L1|A|P1|NULL\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse."},
    // Codes that read alike, "?1" (trips 1 and 2, and trip 5 coded "?1"): the entry chosen names
    // its own trips, as stored; left as it reads, the stored code stays.
    {"LineReadAlike", Lines({"?1", 'A', {kS1, ""}}, {"L7", 'A'}), kLineCodes, "-2|C59A31|A\n+2|4C37|A\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.", kLinesReadAlike},
    {"LineReadAlikeKept", Lines({"?1", 'A', {kS1, ""}}, {"?1", 'R'}), kLineCodes, "-2|C59A31|A\n+2|C59A31|R\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.", kLinesReadAlike},
    {"RouteReadAlike", Routes({"?1", "", {kS1, ""}}, {"P8", "Nuovo"}), kRouteCodes, "-2|C59A31|NULL\n+2|5038|Nuovo\n",
     "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.", kRoutesReadAlike},
    {"RouteReadAlikeKept", Routes({"?1", "", {kS1, ""}}, {"?1", "Nuovo"}), kRouteCodes,
     "-2|C59A31|NULL\n+2|C59A31|Nuovo\n", "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.",
     kRoutesReadAlike},
    // A line code stored as bytes spelling "L1", chosen from the list: its own trip, not those coded L1.
    {"LineStoredAsBytes", Planted(Lines({"X'4C31'", 'A', {"X'4C31'", ""}}, {"L7", 'A'})), kLineCodes,
     "-2|4C31|A\n+2|4C37|A\n", "Risultati dell'elaborazione:\n\nLette 1 corse; Variate 1 corse.",
     "PRAGMA ignore_check_constraints = ON; UPDATE tescor SET codlinea = X'4C31' WHERE id = 2;"},
    // A route named like a column matches nothing.
    {"RouteNamedLikeAColumn", Routes({"P3", "denom"}, {"P9", ""}), kHeads, "",
     "Risultati dell'elaborazione:\n\nLette 0 corse; Variate 0 corse."},
    {"TripCodesOneBlank", Clear(CleanUp::TripCodes), "SELECT group_concat(quote(codcorsa)) FROM tescor",
     "-'C1','C2','C3','C4','C5','C6'\n+' ',' ',' ',' ',' ',' '\n",
     "Risultati dell'elaborazione:\n\nLette 6 corse; Azzerati 6 codici corsa."},
    {"RouteCodesNull", Clear(CleanUp::RouteCodes), "SELECT count(*) FROM tescor WHERE codperc IS NULL", "-1\n+6\n",
     "Risultati dell'elaborazione:\n\nLette 6 corse; Azzerati 6 codici percorso."},
    {"StopCodesNull", Clear(CleanUp::StopCodes), "SELECT count(*) FROM detcor WHERE fermata IS NULL", "-1\n+17\n",
     "Risultati dell'elaborazione:\n\nLette 17 fermate; Azzerati 17 codici fermata."},
    // A value of another kind than its column's stops the run: nothing changed, no count.
    {"StopCodesStopAtATextStopNumber", Planted(Clear(CleanUp::StopCodes)),
     "SELECT count(*) FROM detcor WHERE fermata IS NULL", "",
     StoppedAtValue("una fermata della corsa 3", "sub", "'x'", "un testo"),
     "UPDATE detcor SET sub = 'x' WHERE id = 3 AND sub = 2;"},
    {"LineStopsAtATextTripId", Planted(Lines({"L2", 'A'}, {"L7", 'R'})), kHeads, "",
     StoppedAtValue("una corsa", "id", "'x'", "un testo"), "UPDATE tescor SET id = 'x' WHERE id = 6;"},
    {"StopPlacesNull", Clear(CleanUp::StopLocations), "SELECT count(*) FROM detcor WHERE ubicaz IS NULL", "-8\n+17\n",
     "Risultati dell'elaborazione:\n\nLette 17 fermate; Azzerate 17 ubicazioni fermata."},
};

struct Cases : Normalised, ::testing::WithParamInterface<Case> {};

TEST_P(Cases, ChangesExactlyItsRows) {
  const Case& c = GetParam();
  if (*c.sql) RunSql(path, c.sql);
  const std::string before = QueryFile(path, c.query);
  DbDatabase db(path);
  ASSERT_TRUE(db.isOpen);
  EXPECT_EQ(c.work(&db), c.result);
  EXPECT_EQ(Changes(c.query, before), c.changes);
}

INSTANTIATE_TEST_SUITE_P(Normalisations, Cases, ::testing::ValuesIn(kCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Normalised, LocalityOfExactlyTheStopsRows) {
  const std::string locality = QueryFile(path, "SELECT max(id) FROM local");
  const int id = std::stoi(locality);
  const std::string before = QueryFile(path, "SELECT id, sub, reglocal FROM detcor ORDER BY id, sub");
  DbDatabase db(path);
  EXPECT_EQ(AssignStopLocality(&db, {"", kDuomo, ""}, id).Texts(), "Sono stati modificati 2 dettagli orari");
  const std::string l = std::to_string(id);
  EXPECT_EQ(Changes("SELECT id, sub, reglocal FROM detcor ORDER BY id, sub", before),
            "-3|2|0\n-4|2|0\n+3|2|" + l + "\n+4|2|" + l + "\n");
}

TEST_F(Normalised, TripsWithoutPeriodsStopAtAPeriodOfAnotherKindOfTrip) {
  RunSql(path, "UPDATE period SET id = 'cinque' WHERE id = 5;");
  const std::string before = QueryFile(path, "SELECT * FROM tescor") + QueryFile(path, "SELECT * FROM detcor");
  AllowReadingMismatches();  // told by the run itself
  NoticeLog notices;
  DbDatabase db(path);
  EXPECT_EQ(DeleteTripsWithoutPeriod(&db, nullptr).Texts(), StoppedAtValue("una corsa", "id", "'cinque'", "un testo"));
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(QueryFile(path, "SELECT * FROM tescor") + QueryFile(path, "SELECT * FROM detcor"), before);
}

TEST_F(Normalised, TripsWithoutPeriodsGoWithTheirStops) {
  // Trip 7: no stop and no period; trip 5 has only an excluded period and stays.
  RunSql(path, TripHeadSql(7, 4, 1300));
  DbDatabase db(path);
  EXPECT_EQ(DeleteTripsWithoutPeriod(&db, nullptr).Texts(),
            "Risultati dell'elaborazione:\n\nEliminate 2 corse senza periodo di effettuazione.");
  EXPECT_EQ(QueryFile(path, "SELECT group_concat(id) FROM tescor"), "1,2,3,4,5\n");
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM detcor WHERE id = 6"), "0\n");
  EXPECT_EQ(QueryFile(path, "SELECT count(*) FROM detcor"), "15\n");
}

struct StopCase {
  const char* name;
  const char* sql;  // run first
  const char* code;
  bool terminus;
  const char* deleted;      // "id|sub" of the rows gone
  const char* result;       // "": the refusal of a value of another kind than its column's
  const char* stored = "";  // the code as stored, when the code page cannot hold it
};
void PrintTo(const StopCase& c, std::ostream* os) { *os << c.name; }

const StopCase kStopCases[] = {
    // F2 is the first stop of trip 6 (quadro 3): refused for every trip.
    {"FirstStopSomewhere", "", "F2", true, "", ""},
    {"LastStopSomewhere", "", "F3", true, "", ""},
    {"AlwaysIntermediate", "DELETE FROM detcor WHERE id = 6; DELETE FROM tescor WHERE id = 6;", "F2", false,
     "1|2\n2|2\n5|2\n", "Risultati dell'elaborazione:\n\nLette 3 fermate corsa; Eliminate 3 fermate corsa."},
    // The last stop of the very last trip read.
    {"LastStopOfTheLastTrip", "DELETE FROM detcor WHERE id = 6; DELETE FROM tescor WHERE id = 6;", "F5", true, "", ""},
    // A stop of the quadri that use the code, stored as bytes: nothing deleted.
    {"CodeBesideAStopStoredAsBytes",
     "DELETE FROM detcor WHERE id = 6; DELETE FROM tescor WHERE id = 6; UPDATE detcor SET fermata = X'4635' WHERE id = "
     "5 "
     "AND sub = 3;",
     "F2", false, "", ""},
    // A code stored as bytes spelling F5, chosen from the list: its own quadro is read, which holds it.
    {"CodeStoredAsBytes",
     "PRAGMA ignore_check_constraints = ON; DELETE FROM detcor WHERE id = 6; DELETE FROM tescor WHERE id = 6; "
     "UPDATE detcor SET fermata = X'4635' WHERE id = 5 AND sub = 3;",
     "X'4635'", false, "", "", "X'4635'"},
    {"UnusedCode", "", "ZZ", false, "",
     "Risultati dell'elaborazione:\n\nLette 0 fermate corsa; Eliminate 0 fermate corsa."},
    // Codes that both read "?2": the one chosen, as stored, and no other.
    {"CodeTheCodePageCannotHold",
     "DELETE FROM detcor WHERE id = 6; DELETE FROM tescor WHERE id = 6; UPDATE detcor SET fermata = char(0x141) || "
     "'2' WHERE fermata = 'F2' AND id IN (1, 2); UPDATE detcor SET fermata = char(0x15A) || '2' WHERE fermata = 'F2';",
     "?2", false, "1|2\n2|2\n", "Risultati dell'elaborazione:\n\nLette 2 fermate corsa; Eliminate 2 fermate corsa.",
     "\xC5\x81"
     "2"},
};

struct StopCases : Normalised, ::testing::WithParamInterface<StopCase> {};

TEST_P(StopCases, DeletedUnlessATerminus) {
  const StopCase& c = GetParam();
  if (*c.sql) RunSql(path, c.sql);
  const char* const keys = "SELECT id, sub FROM detcor ORDER BY id, sub";
  const std::string before = QueryFile(path, keys);
  DbDatabase db(path);
  NoticeLog notices;
  const StopDeletion d = DeleteStop(&db, {c.code, c.stored}, nullptr);
  EXPECT_EQ(d.terminus, c.terminus);
  EXPECT_EQ(d.Texts(), c.terminus ? TerminusStopText()
                       : *c.result
                           ? std::string(c.result)
                           : StoppedAtValue("corsa 5, fermata 3", "fermata", "X'4635'", "un dato binario", "un testo"));
  EXPECT_EQ(notices.Texts(), "");
  std::string gone;
  for (const QString& line : QString::fromStdString(Changes(keys, before)).split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    gone += line.mid(1).toStdString() + "\n";
  EXPECT_EQ(gone, c.deleted);
}

INSTANTIATE_TEST_SUITE_P(StopElimination, StopCases, ::testing::ValuesIn(kStopCases),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Normalised, StopCodesRunKilledHalfWayLeavesEveryRowAsItWas) {
  // More rows than the engine's cache holds, so that some pages reach the file before the kill.
  RunSql(path,
         "WITH RECURSIVE n(k) AS (SELECT 10 UNION ALL SELECT k + 1 FROM n WHERE k < 20009)"
         " INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma,"
         " reglocal) SELECT 4, k, 'F' || k, 'Fermata di via Roma numero ' || k, 'Piazza ' || k, 0, 600, 601, 0, 0, 0, 0"
         " FROM n;");
  const std::string before = QueryFile(path, kStops);
  for (long step : {3L, 15000L}) {
    EXPECT_TRUE(Killed([&] {
      DbDatabase db(path);
      KillAt kill(step);
      ClearCodes(&db, CleanUp::StopCodes, &kill);
    })) << step;
    EXPECT_EQ(QueryFile(path, "PRAGMA integrity_check"), "ok\n");
    EXPECT_EQ(QueryFile(path, kStops), before) << step;
  }
  DbDatabase db(path);
  EXPECT_EQ(ClearCodes(&db, CleanUp::StopCodes, nullptr).updated, 20017);
}

}  // namespace
