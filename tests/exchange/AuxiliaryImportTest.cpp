// The auxiliary imports' engines on real files and a real database: RT_IDREG as the communication
// writes it, FERMATE_NORMALIZZATE.TXT as the export writes it, RT_CHAIN by hand; the rows they
// change, the messages they hand back, and the lines they refuse.

#include "support/CommunicationData.h"

#include "common/InputFile.h"
#include "exchange/ExportEngine.h"
#include "exchange/NormalStopsLayout.h"
#include "exchange/auxiliary/ChainImport.h"
#include "exchange/auxiliary/NormalisedStopsImport.h"
#include "exchange/auxiliary/OlviStopsImport.h"
#include "exchange/auxiliary/RegionalCodesImport.h"
#include "exchange/communication/CommunicationPasses.h"
#include "exchange/communication/CommunicationWriter.h"
#include "exchange/communication/VurTxtLayout.h"
#include "support/PassLog.h"

#include <sqlite3.h>

namespace {

using Strings = std::vector<std::string>;

std::string Info(const std::string& text) { return "i " + text; }
std::string Stop(const std::string& text) { return "! " + text; }

Strings Messages(const AuxiliaryImportResult& r) {
  Strings out;
  for (const Notice& n : r.messages) out.push_back((n.icon == NoticeIcon::Information ? "i " : "! ") + n.text);
  return out;
}

class AuxiliaryImport : public ::testing::Test {
 protected:
  void SetUp() override { MakeCommunicationDatabase(path); }

  template <class Engine>
  AuxiliaryImportResult Run(Engine engine, const std::string& file, WorkProgress* progress = nullptr) {
    NoticeLog notices;
    DbDatabase db(path);
    AuxiliaryImportResult r = engine({&db, file, progress});
    EXPECT_EQ(notices.Texts(), "");
    return r;
  }
  std::string Query(const std::string& sql) const { return QueryFile(path, sql); }

  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
};

// ---- RT_IDREG -----------------------------------------------------------------------------------

class RegionalCodes : public AuxiliaryImport {
 protected:
  // RT_IDREG written by the communication's engine over the database.
  Strings Written() {
    DbDatabase db(path);
    const CommunicationHeader h = ReadCommunicationHeader(&db, 'B', true).header;
    CommunicationModel model;
    EXPECT_TRUE(BuildCommunicationModel(&db, model, h.periodStart, h.periodEnd, nullptr, nullptr).ok);
    const std::string file = dir.Path("written_IDREG.TXT");
    EXPECT_TRUE(
        WriteWholeLines(file, [&](const LineSink& s) { EXPECT_TRUE(WriteIdRegLines(&db, model, h.company, s)); }));
    return FileLines(file);
  }
  AuxiliaryImportResult Import(const Strings& lines) {
    WriteLines(dir.Path("RT_IDREG.TXT"), lines);
    return Run(RunRegionalCodesImport, dir.Path("RT_IDREG.TXT"));
  }
  std::string Numbers() const { return QueryFile(path, "SELECT id, ifnull(reglinea, '') FROM tescor ORDER BY id"); }
};

TEST_F(RegionalCodes, TheCommunicationsFlowSetsEveryTrip) {
  const Strings lines = Written();
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(Numbers(), "1|\n2|\n3|\n4|\n");
  const AuxiliaryImportResult r = Import(lines);
  EXPECT_EQ(Messages(r), Strings{Info("Sono stati modificate 4 corse")});
  std::string expected;
  for (const std::string& l : lines)
    expected += std::to_string(std::stol(l.substr(4, 6))) + "|" + std::to_string(std::stol(l.substr(10, 6))) + "\n";
  EXPECT_EQ(Numbers(), expected);
  EXPECT_EQ(Numbers(), "1|1\n2|1\n3|2\n4|3\n");
}

TEST_F(RegionalCodes, LinesThatChangeNothing) {
  const Strings written = Written();
  const std::string good = written[0];  // trip 1, regional number 1
  ASSERT_EQ(good.substr(16), "L1        AP1                  0000125007300805");
  const auto with = [&](size_t at, const std::string& text) {
    return std::string(good).replace(at, text.size(), text);
  };
  const std::string format = Stop(kIdRegFormatText), none = Info("Sono stati modificate 0 corse");
  struct Case {
    Strings lines;
    Strings messages;
    std::string trip1;
  } cases[] = {
      // The trip differs from the line in one of the six values: no number.
      {{with(16, "L2")}, {none}, "1|\n"},
      {{with(26, "R")}, {none}, "1|\n"},
      {{with(27, "X")}, {none}, "1|\n"},
      {{with(47, "00001251")}, {none}, "1|\n"},
      {{with(55, "0731")}, {none}, "1|\n"},
      {{with(59, "0806")}, {none}, "1|\n"},
      {{with(10, "00001x")}, {format}, "1|\n"},                                 // the regional number is no number
      {{with(4, "1     ")}, {format}, "1|\n"},                                  // the trip id is no number
      {{with(0, "0018")}, {format}, "1|\n"},                                    // another company
      {{with(4, "     1")}, {Info("Sono stati modificate 1 corse")}, "1|1\n"},  // right-aligned: a number
      // A bad line anywhere, or none at all: the format message, and nothing is applied.
      {{good, good + " "}, {format}, "1|\n"},
      {{good.substr(0, 62), good}, {format}, "1|\n"},
      {{good, ""}, {format}, "1|\n"},
      {{}, {format}, "1|\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.empty() ? "empty" : c.lines[0]);
    RunSql(path, "UPDATE tescor SET reglinea = NULL");
    const AuxiliaryImportResult r = Import(c.lines);
    EXPECT_EQ(Messages(r), c.messages);
    EXPECT_EQ(Query("SELECT id, ifnull(reglinea, '') FROM tescor WHERE id = 1"), c.trip1);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM tescor WHERE reglinea IS NOT NULL"), std::to_string(r.updated) + "\n");
  }
}

TEST(IdRegLayout, WrittenAndReadByOneDefinition) {
  vurtxt::IdRegLine l;
  l.company = 17, l.tripId = 5, l.runNumber = 2, l.lineCode = "L1", l.direction = 'A', l.routeCode = "P9";
  l.length = 906, l.departure = 605, l.arrival = -1;
  const std::string line = vurtxt::FormatIdRegLine(l);
  ASSERT_EQ(line.size(), static_cast<size_t>(vurtxt::kIdRegLength));
  vurtxt::IdRegLine back;
  ASSERT_TRUE(vurtxt::ReadIdRegLine(line, back));
  EXPECT_EQ(std::tuple(back.company, back.tripId, back.runNumber, back.lineCode, back.direction, back.routeCode,
                       back.length, back.departure, back.arrival),
            std::tuple(17, 5L, 2L, std::string("L1"), 'A', std::string("P9"), 906L, 605, 9999));
  int end = 0;
  for (const FieldDef& f : vurtxt::IdRegLayout().fields) {
    EXPECT_EQ(f.offset, end) << f.name;
    end = f.offset + f.width;
  }
  EXPECT_EQ(end, vurtxt::kIdRegLength);
  for (const std::string& bad : {line + " ", line.substr(1), "    " + line.substr(4), line.substr(0, 55) + "06:59999"})
    EXPECT_FALSE(vurtxt::ReadIdRegLine(bad, back)) << bad;
}

// ---- FERMATE_NORMALIZZATE.TXT -----------------------------------------------------------------

class NormalisedStops : public AuxiliaryImport {
 protected:
  // FERMATE_NORMALIZZATE.TXT written by the export.
  Strings Exported() {
    NoticeLog notices;
    const std::string folder = dir.Path("export");
    EXPECT_TRUE(QDir().mkpath(cp1252::ToQString(folder)));
    DbDatabase db(path);
    ExportOptions o;
    o.db = &db;
    o.folder = folder;
    EXPECT_TRUE(RunExport(o).ok) << notices.Texts();
    return FileLines(folder + "/" + kNormalStopsName);
  }
  AuxiliaryImportResult Import(const Strings& lines) {
    WriteLines(dir.Path(kNormalStopsName), lines);
    return Run(RunNormalisedStopsImport, dir.Path(kNormalStopsName));
  }
  std::string Localities() const { return QueryFile(path, "SELECT id, sub, reglocal FROM detcor ORDER BY id, sub"); }
};

TEST_F(NormalisedStops, TheExportsListGivesEveryStopItsLocalityBack) {
  // The four ways of code and location, empty or not, and a name holding a double quote.
  RunSql(path,
         "UPDATE detcor SET denom = 'Bivio \"Olivola\"' WHERE fermata = 'F02';"
         "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
         "reglocal) VALUES (4, 11, NULL, 'Aulla Stazione', 'Piazza Città', 0, 9999, 900, 0, 0, 0, 3),"
         "(4, 12, NULL, 'Bivio \"Olivola\"', NULL, 100, 905, 9999, 0, 0, 0, 4),"
         "(4, 13, ' ', 'Bivio \"Olivola\"', ' ', 100, 905, 9999, 0, 0, 0, 4);");
  const std::string before = Localities();
  const Strings lines = Exported();
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], kNormalStopsHeader);
  RunSql(path, "UPDATE detcor SET reglocal = 0");
  const Strings messages = Messages(Import(lines));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_TRUE(HasPrefix(messages[0], Info("Sono stati modificati ")));
  EXPECT_EQ(Localities(), before);
  EXPECT_EQ(Query("SELECT COUNT(*) FROM detcor WHERE reglocal = 0"), "0\n");
}

TEST_F(NormalisedStops, LinesThatAreNoStopsOfTheCompany) {
  const Strings lines = Exported();
  ASSERT_EQ(lines.size(), 4u);
  const std::string f02 = lines[2];  // Bivio Olivola: four rows
  ASSERT_TRUE(HasPrefix(f02, "17\tF02\tBivio Olivola\t\t"));
  const size_t tab = f02.rfind('\t');
  const std::string locality = f02.substr(tab + 1), istat = f02.substr(f02.rfind('\t', tab - 1) + 1, 6);
  std::string lower = f02.substr(0, tab + 1) + locality;
  for (size_t k = tab + 1; k < lower.size(); ++k)
    if (std::isalpha(static_cast<unsigned char>(lower[k]))) lower[k] ^= 0x20;  // letter case swapped
  ASSERT_NE(lower, f02);
  std::string badIstat = f02;
  badIstat.replace(f02.rfind('\t', tab - 1) + 1, 6, istat + "x");
  const std::string none = Stop(kNoNormalStopText), four = Info("Sono stati modificati 4 dettagli orari"),
                    zero = Info("Sono stati modificati 0 dettagli orari");
  struct Case {
    Strings lines;
    Strings messages;
  } cases[] = {
      {{f02}, {four}},
      {{lower}, {zero}},                 // the locality's name in another case
      {{badIstat}, {none}},              // an ISTAT code that is no number
      {{"18" + f02.substr(2)}, {none}},  // another company
      {{" 17" + f02.substr(2)}, {none}},
      {{lines[0]}, {none}},                  // the heading
      {{"17\tF02\tBivio Olivola"}, {zero}},  // a short line: no locality
      {{}, {none}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.empty() ? "empty" : c.lines[0]);
    RunSql(path, "UPDATE detcor SET reglocal = 0");
    EXPECT_EQ(Messages(Import(c.lines)), c.messages);
    EXPECT_EQ(Query("SELECT COUNT(*) FROM detcor WHERE reglocal > 0"), c.messages[0] == four ? "4\n" : "0\n");
  }
}

TEST_F(NormalisedStops, WithCompanyZeroTheHeadingIsStillNoStop) {
  // A stop and a locality that the heading's fields would name.
  RunSql(path,
         "UPDATE master SET azienda = 0;"
         "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9000, 'Localita', 0, 'Comune', 'XX');"
         "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
         "reglocal) VALUES (4, 20, 'Fermata', 'Denominazione', 'Ubicazione', 0, 9999, 900, 0, 0, 0, 0);");
  EXPECT_EQ(Messages(Import({kNormalStopsHeader})), Strings{Stop(kNoNormalStopText)});
  EXPECT_EQ(Query("SELECT COUNT(*) FROM detcor WHERE reglocal = 9000"), "0\n");
}

// ---- RT_CHAIN ----------------------------------------------------------------------------------

class Chains : public AuxiliaryImport {
 protected:
  AuxiliaryImportResult Import(const Strings& lines) {
    WriteLines(dir.Path("RT_CHAIN.TXT"), lines);
    return Run(RunChainImport, dir.Path("RT_CHAIN.TXT"));
  }
  std::string Links() const {
    return QueryFile(path, "SELECT id, ifnull(prevcor, ''), ifnull(nextcor, '') FROM tescor ORDER BY id");
  }
};

TEST_F(Chains, PairsAppliedAndLinesRefused) {
  const std::string format = Stop(kChainFormatText), none = Stop(kNoChainText);
  const std::string unchanged = "1||\n2||\n3||\n4||\n";
  const auto refused = [](const std::string& lines) {
    return Stop("Le seguenti Concatenazioni Corse non sono state importate:\n\n" + lines);
  };
  const auto count = [](int n) { return Info("Sono stati modificate " + std::to_string(n) + " corse"); };
  const std::string chained12 =
      "UPDATE tescor SET nextcor = 2 WHERE id = 1; UPDATE tescor SET prevcor = 1 WHERE id = 2;";
  struct Case {
    std::string before;  // the links before the import
    Strings lines;
    Strings messages;
    std::string links;
  } cases[] = {
      // One line of another company, or one malformed, among good ones: the message, nothing applied.
      {"", {"0018000003000004", "0017000001000002"}, {format}, unchanged},
      {"", {"0017000001000002", "0017000003000004", "001700000400001"}, {format}, unchanged},
      {"", {"0017000003000004", "0017000004000001"}, {count(4)}, "1|4|\n2||\n3||4\n4|3|1\n"},
      {"", {"0017     1     2"}, {count(2)}, "1||2\n2|1|\n3||\n4||\n"},
      {"", {"0017000001000002", "0017000001000002"}, {count(4)}, "1||2\n2|1|\n3||\n4||\n"},
      // A trip chained again: the trip it was chained to loses its link back.
      {chained12, {"0017000001000003"}, {count(3)}, "1||3\n2||\n3|1|\n4||\n"},
      {chained12, {"0017000003000002"}, {count(3)}, "1||\n2|3|\n3||2\n4||\n"},
      {chained12 + "UPDATE tescor SET nextcor = 4 WHERE id = 3; UPDATE tescor SET prevcor = 3 WHERE id = 4;",
       {"0017000001000004"},
       {count(4)},
       "1||4\n2||\n3||\n4|1|\n"},
      {"UPDATE tescor SET nextcor = 2 WHERE id = 1; UPDATE tescor SET prevcor = 4 WHERE id = 2;",
       {"0017000001000003"},
       {count(2)},
       "1||3\n2|4|\n3|1|\n4||\n"},  // a link back to another trip is not this chain's
      // Trips that are not there, a trip chained to itself, lines that contradict each other.
      {"", {"0017000001000099"}, {refused("riga 1: la corsa successiva 99 non esiste"), count(0)}, unchanged},
      {"",
       {"0017000099000001", "0017000003000004"},
       {refused("riga 1: la corsa 99 non esiste"), count(2)},
       "1||\n2||\n3||4\n4|3|\n"},
      {"", {"0017000002000002"}, {refused("riga 1: la corsa 2 è concatenata a se stessa"), count(0)}, unchanged},
      {chained12,
       {"0017000001000003", "0017000001000004"},
       {refused("riga 1: la corsa 1 ha più di una corsa successiva nel file\n"
                "riga 2: la corsa 1 ha più di una corsa successiva nel file"),
        count(0)},
       "1||2\n2|1|\n3||\n4||\n"},
      {"",
       {"0017000001000003", "0017000002000004", "0017000004000003"},
       {refused("riga 1: la corsa 3 ha più di una corsa precedente nel file\n"
                "riga 3: la corsa 3 ha più di una corsa precedente nel file"),
        count(2)},
       "1||\n2||4\n3||\n4|2|\n"},
      {"", {"0018000001000002"}, {format}, unchanged},
      {"", {"00170000010000x2"}, {format}, unchanged},  // no number: never trip 0
      {"", {"x017000001000002"}, {format}, unchanged},
      {"", {"001700000100002"}, {format}, unchanged},
      {"", {"00170000010000020"}, {format}, unchanged},
      {"", {}, {none}, unchanged},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lines.empty() ? "empty" : c.lines.back());
    RunSql(path, "UPDATE tescor SET prevcor = NULL, nextcor = NULL;" + c.before);
    EXPECT_EQ(Messages(Import(c.lines)), c.messages);
    EXPECT_EQ(Links(), c.links);
  }
}

// ---- The frame --------------------------------------------------------------------------------

TEST_F(AuxiliaryImport, WithoutMasterOrFileNothingChanges) {
  const std::string chain = dir.Path("RT_CHAIN.TXT"), idreg = dir.Path("RT_IDREG.TXT"),
                    stops = dir.Path(kNormalStopsName);
  WriteLines(chain, {"0017000001000002"});
  WriteLines(idreg, {"0017000001000001L1        AP1                  0000125007300805"});
  WriteLines(stops, {"17\tF02\tBivio Olivola\t\t045001\tAulla"});
  const std::string before = QueryFile(path, "SELECT id, prevcor, nextcor, reglinea FROM tescor") +
                             QueryFile(path, "SELECT id, sub, reglocal FROM detcor");
  const auto after = [&] {
    return QueryFile(path, "SELECT id, prevcor, nextcor, reglinea FROM tescor") +
           QueryFile(path, "SELECT id, sub, reglocal FROM detcor");
  };
  // A file that cannot be opened.
  const std::string missing = dir.Path("manca.txt");
  for (auto engine : {RunChainImport, RunRegionalCodesImport, RunNormalisedStopsImport}) {
    const AuxiliaryImportResult r = Run(engine, missing);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(Messages(r), Strings{Stop("Impossibile aprire\n\n" + missing)});
  }
  // A named pipe in the place of the file: refused naming it, never waited on.
  const std::string pipe = dir.Path("tubo.txt");
  MakePipe(pipe);
  const PipeWatchdog watchdog({pipe});
  for (auto engine : {RunChainImport, RunRegionalCodesImport, RunNormalisedStopsImport}) {
    const AuxiliaryImportResult r = Run(engine, pipe);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(Messages(r), Strings{Stop("Impossibile aprire\n\n" + pipe + "\n\n" + kNotARegularFileText)});
  }
  RunSql(path, "DELETE FROM master");
  const std::string master = Stop(kNoWorkingCompanyText);
  EXPECT_EQ(Messages(Run(RunChainImport, chain)), (Strings{master, Stop(kChainFormatText)}));
  EXPECT_EQ(Messages(Run(RunRegionalCodesImport, idreg)), (Strings{master, Stop(kIdRegFormatText)}));
  EXPECT_EQ(Messages(Run(RunNormalisedStopsImport, stops)),
            (Strings{Stop(std::string(kNoWorkingCompanyText) + "\n\n" + kNormalStopsNoCompanyText),
                     Stop(kNoNormalStopText)}));
  EXPECT_EQ(after(), before);
}

// A batch that the database does not take at its commit is not done: its stop message, no row
// counted, the trips as they were.
TEST_F(AuxiliaryImport, ABatchTheDatabaseDoesNotTakeIsNotDone) {
  const std::string chain = dir.Path("RT_CHAIN.TXT");
  WriteLines(chain, {"0017000001000002"});
  // Every statement succeeds; the rule that they broke is checked only at the commit.
  RunSql(path,
         "CREATE TABLE keeper (k INTEGER PRIMARY KEY);"
         "CREATE TABLE watch (k INTEGER REFERENCES keeper (k) DEFERRABLE INITIALLY DEFERRED);");
  const std::string before = Query("SELECT id, prevcor, nextcor FROM tescor");
  NoticeLog notices;
  DbDatabase db(path);
  const char* stall = "CREATE TEMP TRIGGER stall AFTER UPDATE ON tescor BEGIN INSERT INTO watch VALUES (NEW.id); END;";
  ASSERT_EQ(sqlite3_exec(db.Handle(), stall, nullptr, nullptr, nullptr), SQLITE_OK);
  const AuxiliaryImportResult r = RunChainImport({&db, chain, nullptr});
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.updated, 0);
  ASSERT_FALSE(r.messages.empty());
  EXPECT_EQ(Messages(r).back(), Stop(kAuxiliaryNotStoredText));
  EXPECT_EQ(Query("SELECT id, prevcor, nextcor FROM tescor"), before);
}

// A stored value that an import reads and its column cannot hold: the import stops there with the
// message that names it, counts nothing and changes nothing.
TEST_F(AuxiliaryImport, AValueOfAnotherKindStopsTheImportAndKeepsNothing) {
  AllowReadingMismatches();  // told by the import itself, not by the layer
  const std::string stop =
      QueryFile(path, "SELECT id || ', fermata ' || sub FROM detcor WHERE fermata = 'F02' LIMIT 1");
  const std::string locality = QueryFile(path, "SELECT min(id) FROM local");
  const auto refusal = [](const std::string& row, const std::string& field, const std::string& value,
                          const std::string& is, const std::string& wanted) {
    return Stop("ATTENZIONE: " + row + ":\nil campo " + field + " vale " + value + ",\nche è " + is + " e non " +
                wanted +
                " come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere il "
                "dato prima di ripetere l'elaborazione.");
  };
  using Engine = AuxiliaryImportResult (*)(const AuxiliaryImportOptions&);
  const struct {
    Engine engine;
    const char* file;
    Strings lines;
    std::string sql, message;
  } cases[] = {
      {RunChainImport,
       "RT_CHAIN.TXT",
       {"0017000001000002"},
       "UPDATE tescor SET nextcor = 'x' WHERE id = 1",
       refusal("corsa 1", "nextcor", "'x'", "un testo", "un numero intero")},
      {RunRegionalCodesImport,
       "RT_IDREG.TXT",
       {"0017000001000001L1        AP1                  0000125007300805"},
       "UPDATE tescor SET lung = 'km' WHERE id = 2",
       refusal("corsa 2", "lung", "'km'", "un testo", "un numero intero")},
      {RunNormalisedStopsImport,
       "FERMATE_NORMALIZZATE.TXT",
       {"17\tF02\tBivio Olivola\t\t045001\tAulla"},
       "UPDATE local SET denom = X'41' WHERE id = " + locality,
       refusal("località " + locality.substr(0, locality.size() - 1), "denom", "X'41'", "un dato binario", "un testo")},
      {RunOlviStopsImport,
       "FERMATE_OLVI.TXT",
       {"Azienda\tFermata\tDenominazione\tUbicazione", "17\tF02\tAltrove\tLontano"},
       "UPDATE detcor SET ubicaz = X'41' WHERE id || ', fermata ' || sub = '" + stop.substr(0, stop.size() - 1) + "'",
       refusal("corsa " + stop.substr(0, stop.size() - 1), "ubicaz", "X'41'", "un dato binario", "un testo")},
      // The working company, which every one of them reads first.
      {RunChainImport,
       "RT_CHAIN.TXT",
       {"0017000001000002"},
       "UPDATE master SET azienda = 'abc'",
       refusal("dati generali", "azienda (Codice Azienda)", "'abc'", "un testo", "un numero intero")},
      {RunOlviStopsImport,
       "FERMATE_OLVI.TXT",
       {"Azienda\tFermata\tDenominazione\tUbicazione", "17\tF02\tAltrove\tLontano"},
       "UPDATE master SET azienda = X'3137'",
       refusal("dati generali", "azienda (Codice Azienda)", "X'3137'", "un dato binario", "un numero intero")},
  };
  const auto rows = [this] {
    return Query("SELECT id, prevcor, nextcor, reglinea FROM tescor") + Query("SELECT * FROM detcor");
  };
  int made = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    MakeCommunicationDatabase(path = dir.Path("orari_" + std::to_string(++made) + ".mdb"));
    RunSql(path, c.sql);
    WriteLines(dir.Path(c.file), c.lines);
    const std::string before = rows();
    const AuxiliaryImportResult r = Run(c.engine, dir.Path(c.file));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.updated, 0);
    EXPECT_EQ(Messages(r), Strings{c.message});
    EXPECT_EQ(rows(), before);
  }
}

TEST_F(AuxiliaryImport, APassOfTheBarOverTheListButNoneForTheRegionalNumbers) {
  const std::string chain = dir.Path("RT_CHAIN.TXT"), idreg = dir.Path("RT_IDREG.TXT"),
                    stops = dir.Path(kNormalStopsName);
  WriteLines(chain, {"0017000001000002", "0017000002000003", "0017000003000099"});  // the last refused
  WriteLines(idreg, {"0017000001000001L1        AP1                  0000125007300805",
                     "0017000099000001L1        AP1                  0000125007300805"});
  WriteLines(stops, {kNormalStopsHeader, "17\tF02\tBivio Olivola\t\t045001\tAulla", "17\tF01\tA\t\t1\tB"});
  PassLog chainBar, idregBar, stopsBar;
  EXPECT_EQ(Run(RunChainImport, chain, &chainBar).updated, 4);
  EXPECT_EQ(chainBar.lines, (Strings{"begin ", "end 2/2"}));
  EXPECT_EQ(Run(RunRegionalCodesImport, idreg, &idregBar).updated, 1);
  EXPECT_EQ(idregBar.lines, Strings{});  // the busy clock only: steps, no bar
  EXPECT_EQ(idregBar.Last(), "2/2");
  Run(RunNormalisedStopsImport, stops, &stopsBar);
  EXPECT_EQ(stopsBar.lines, (Strings{"begin ", "end 2/2"}));
}

}  // namespace
