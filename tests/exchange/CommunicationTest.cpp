// The communication's engine on a real database and real files: the hand-made set imported by the
// six imports of the whole import, the first communication, its base and return flows compared
// byte for byte with hand-made files and checked by a checker of the layout alone; incremental
// communications on top of the base read back; the base refused when it is not sound.

#include "support/CommunicationData.h"

#include "common/ExportRecovery.h"
#include "common/InputFile.h"
#include "exchange/communication/BaseReader.h"
#include "exchange/communication/CommunicationPasses.h"
#include "exchange/communication/CommunicationWriter.h"
#include "exchange/communication/VurTxtLayout.h"
#include "support/KilledExport.h"
#include "support/PassLog.h"

#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace {

using vurtxt_check::Assemble;
using vurtxt_check::Faults;
using vurtxt_check::Lines;

struct Files {
  std::string communication, base, idreg, fmreg;
};

class Communication : public ::testing::Test {
 protected:
  void SetUp() override { MakeCommunicationDatabase(path); }

  // One communication: first when `base` is empty, else incremental on the base file.
  Files Generate(const std::string& baseFile = {}) {
    NoticeLog notices;
    DbDatabase db(path);
    CommunicationHeader h = ReadCommunicationHeader(&db, 'B', true).header;
    std::unique_ptr<CommunicationModel> model;
    if (baseFile.empty()) {
      model = std::make_unique<CommunicationModel>();
    } else {
      BaseReadResult read = ReadReferenceBase(baseFile, h.company, nullptr);
      EXPECT_EQ(read.outcome, BaseOutcome::Read) << "line " << read.line;
      if (!read.model) return {};
      model = std::move(read.model);
      h.number = read.number + 1;
    }
    EXPECT_TRUE(BuildCommunicationModel(&db, *model, h.periodStart, h.periodEnd, nullptr, nullptr).ok);
    const std::string stem = dir.Path("c" + std::to_string(++runs));
    const auto write = [&](const std::string& name, auto produce) {
      EXPECT_TRUE(WriteWholeLines(name, produce));
      return FileBytes(name);
    };
    const CommunicationFile kind = baseFile.empty() ? CommunicationFile::First : CommunicationFile::Incremental;
    Files f;
    f.communication = write(stem + ".txt", [&](const LineSink& s) {
      EXPECT_TRUE(WriteCommunication(&db, *model, h, kind, s, nullptr).ok);
    });
    f.base = write(stem + "_BASE.txt", [&](const LineSink& s) {
      EXPECT_TRUE(WriteCommunication(&db, *model, h, CommunicationFile::Base, s, nullptr).ok);
    });
    f.idreg =
        write(stem + "_IDREG.txt", [&](const LineSink& s) { EXPECT_TRUE(WriteIdRegLines(&db, *model, h.company, s)); });
    f.fmreg = write(stem + "_FMREG.txt", [&](const LineSink& s) { WriteFmRegLines(nullptr, h.company, s); });
    EXPECT_EQ(notices.Texts(), "");
    return f;
  }
  std::string BaseFile(const std::string& bytes) {
    const std::string name = dir.Path("base" + std::to_string(++runs) + ".txt");
    WriteFileBytes(name, bytes);
    return name;
  }
  BaseOutcome Read(const std::string& bytes, int company = 17) {
    return ReadReferenceBase(BaseFile(bytes), company, nullptr).outcome;
  }
  // The section's rows of a file.
  static std::vector<std::string> Rows(const std::string& bytes, const std::string& tag) {
    const std::vector<std::string> lines = Lines(bytes);
    std::vector<std::string> rows;
    bool in = false;
    for (const std::string& l : lines) {
      if (l.rfind("</" + tag + ">", 0) == 0) break;
      if (in) rows.push_back(l);
      if (l.rfind("<" + tag + ">", 0) == 0) in = true;
    }
    return rows;
  }

  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  int runs = 0;
};

// Also with copies of trip 4 under codes of their own, enough to make the stop rows of the new
// runs a little longer than the part by which the rows made from the trips are kept aside: the
// files are the hand-made ones with a run and its stop rows for each copy, counted and checked
// again (their sizes first: a part written twice is a larger file).
TEST_F(Communication, FirstCommunicationIsTheHandMadeFiles) {
  const char* const tags[] = {"fermate", "archi", "teste_itiner", "righe_itiner", "corse", "orari", "giorni"};
  for (const int copies : {0, 3880}) {
    SCOPED_TRACE(copies);
    RunSql(path, "WITH RECURSIVE k(n) AS (SELECT 100 UNION ALL SELECT n + 1 FROM k WHERE n < 99 + " +
                     std::to_string(copies) +
                     ") INSERT INTO tescor SELECT n, printf('K%05d', n), codlinea, verso, parte, arriva, ente, "
                     "contratt, lung, tempo, ct_lung, ct_tempo, regcorsa, codperc, reglinea, denom, gruppo, mezzo, "
                     "prevcor, nextcor FROM tescor, k WHERE id = 4 AND " +
                     std::to_string(copies) +
                     " > 0; INSERT INTO detcor SELECT t.id, sub, fermata, d.denom, ubicaz, dist, d.arriva, d.parte, "
                     "primaria, facolt, nonferma, regferma, regarea, reglocal FROM detcor d, tescor t "
                     "WHERE d.id = 4 AND t.id >= 100;");
    size_t stopRows = 0;
    const auto expected = [&](const std::string& file, bool base) {
      const std::string hand = ExpectedCommunicationFile(file);
      std::vector<std::vector<std::string>> rows;
      for (const char* tag : tags) rows.push_back(Rows(hand, tag));
      const std::vector<std::string> stops(rows[5].end() - 3, rows[5].end());
      for (int k = 0; k < copies; ++k) {
        const std::string run = std::to_string(4 + k), code = QString::asprintf("K%05d", 100 + k).toStdString();
        rows[4].push_back(run + "\t" + code + rows[4][2].substr(6));
        for (const std::string& r : stops) rows[5].push_back(run + r.substr(1));
      }
      stopRows = 0;
      for (const std::string& r : rows[5]) stopRows += r.size() + 1;
      return Assemble(Lines(hand)[1], rows, base);
    };
    const Files f = Generate();
    const std::string communication = expected("RT2_17_1.TXT", false), base = expected("RT2_17_1_BASE.TXT", true);
    EXPECT_GT(stopRows, copies ? 1u << 18 : 0u);
    ASSERT_EQ(f.communication.size(), communication.size());
    ASSERT_EQ(f.base.size(), base.size());
    EXPECT_EQ(f.communication, communication);
    EXPECT_EQ(f.base, base);
    EXPECT_EQ(f.fmreg, "");
    EXPECT_EQ(Faults(f.communication, false), "");
    EXPECT_EQ(Faults(f.base, true), "");
    EXPECT_EQ(Lines(f.idreg).size(), 4u + copies);
    EXPECT_EQ(f.idreg.substr(0, 4 * 65), ExpectedCommunicationFile("RT_IDREG.TXT"));
    for (const std::string& l : Lines(f.idreg)) EXPECT_EQ(l.size(), 63u) << l;
  }
}

TEST_F(Communication, TheCheckerFindsWhatIsWrong) {
  const std::string good = ExpectedCommunicationFile("RT2_17_1.TXT");
  EXPECT_EQ(Faults(good, false), "");
  std::string changed = good;
  changed.replace(changed.find("Bivio"), 1, "b");
  EXPECT_EQ(Faults(changed, false), "closing fermate\n");
  changed = good;
  changed.replace(changed.find("ORARI\t9"), 7, "ORARI\t8");
  EXPECT_NE(Faults(changed, false), "");
}

TEST_F(Communication, IncrementalOnTheUnchangedDatabaseSendsOnlyDays) {
  const Files first = Generate();
  const std::string firstBase = BaseFile(first.base);
  const Files second = Generate(firstBase);
  EXPECT_EQ(Faults(second.communication, false), "");
  const std::vector<std::string> lines = Lines(second.communication);
  ASSERT_GT(lines.size(), 9u);
  EXPECT_EQ(lines[1].substr(0, 10), "N\tB\tS\t17\t2");
  for (size_t k = 2; k < 8; ++k) EXPECT_EQ(lines[k].substr(lines[k].find('\t')), "\t0") << lines[k];
  EXPECT_EQ(lines[8], "GIORNI\t5");
  EXPECT_EQ(Rows(second.communication, "giorni"), Rows(first.communication, "giorni"));
  EXPECT_EQ(second.idreg, first.idreg);
  // The new base is the old one but for its protocol line and that line's check value.
  std::vector<std::string> a = Lines(first.base), b = Lines(second.base);
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(b[1].substr(0, 10), "R\tB\tS\t17\t2");
  for (size_t k = 0; k < a.size(); ++k)
    if (k != 1 && k != 8) {
      EXPECT_EQ(a[k], b[k]) << k;
    }
  EXPECT_EQ(Faults(second.base, true), "");
  // A third, from that base: the same again.
  const Files third = Generate(BaseFile(second.base));
  EXPECT_EQ(Lines(third.communication)[1].substr(0, 10), "N\tB\tS\t17\t3");
  EXPECT_EQ(Rows(third.communication, "corse"), std::vector<std::string>{});
  EXPECT_EQ(Rows(third.communication, "orari"), std::vector<std::string>{});
  EXPECT_EQ(Rows(third.communication, "giorni"), Rows(first.communication, "giorni"));
}

// Trips without stops stand before, between and after the others, whose ids are spread apart:
// each trip with stops keeps its own head, and the files are those of the trips with stops alone.
TEST_F(Communication, TripsWithoutStopsAmongTheOthersArePassedOver) {
  std::string sql = "UPDATE tescor SET id = id * 10; UPDATE detcor SET id = id * 10; UPDATE period SET id = id * 10;";
  for (const std::string id : {"5", "15", "25", "35", "45", "46"})
    sql += "INSERT INTO tescor SELECT " + id + ", 'V" + id +
           "', codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, ct_tempo, regcorsa, 'VUOTO', "
           "reglinea, 'Senza fermate', gruppo, mezzo, prevcor, nextcor FROM tescor WHERE id = 10;";
  RunSql(path, sql);
  const Files f = Generate();
  EXPECT_EQ(f.communication, ExpectedCommunicationFile("RT2_17_1.TXT"));
  EXPECT_EQ(f.base, ExpectedCommunicationFile("RT2_17_1_BASE.TXT"));
  std::vector<std::string> idreg = Lines(ExpectedCommunicationFile("RT_IDREG.TXT"));
  for (std::string& l : idreg) l.replace(8, 2, l.substr(9, 1) + "0");  // trip ids ten times
  EXPECT_EQ(Lines(f.idreg), idreg);
}

// Stop rows of one code, name and place in another locality are another stop, numbered in the
// order of the values.
// The stops are numbered in the order the database sorts their values, whatever order their rows
// stand in: a code without a value first, a name by its characters (é before €, U+00E9 before U+20AC).
TEST_F(Communication, StopsAreNumberedInTheOrderOfTheirValues) {
  RunSql(path,
         "UPDATE detcor SET denom = 'Aulla ' || char(0x20AC) WHERE id = 1 AND sub = 1;"
         "UPDATE detcor SET denom = 'Aulla ' || char(0xE9) WHERE id = 2 AND sub = 1;"
         "UPDATE detcor SET fermata = ' ', denom = 'A' WHERE id = 3 AND sub = 2;"
         "UPDATE detcor SET fermata = NULL, denom = 'B' WHERE id = 4 AND sub = 2;");
  const std::vector<std::string> expected = {"1\t\tB\t\t2\t0.00\t0.00",
                                             "2\t\tA\t\t2\t0.00\t0.00",
                                             "3\tF01\tAulla Stazione\tPiazza Città\t1\t0.00\t0.00",
                                             "4\tF01\tAulla é\tPiazza Città\t1\t0.00\t0.00",
                                             "5\tF01\tAulla €\tPiazza Città\t1\t0.00\t0.00",
                                             "6\tF02\tBivio Olivola\t\t2\t0.00\t0.00",
                                             "7\tF03\tCittà\tVia Roma\t1\t0.00\t0.00"};
  EXPECT_EQ(Rows(Generate().communication, "fermate"), expected);
}

// Only the days of the reporting period give days of operation, at both of its ends.
TEST_F(Communication, OnlyTheCalendarOfThePeriodCounts) {
  RunSql(path, "UPDATE master SET datini = '2024-01-02', datfin = '2024-01-31'");
  const std::vector<std::string> expected = {"1\t2024\t1\t2\t6", "3\t2024\t1\t2\t3"};
  EXPECT_EQ(Rows(Generate().communication, "giorni"), expected);
}

TEST_F(Communication, AnotherLocalityIsAnotherStop) {
  RunSql(path, "UPDATE detcor SET reglocal = 3 WHERE id = 4 AND sub = 2");
  const Files f = Generate();
  EXPECT_EQ(Rows(f.communication, "fermate"),
            (std::vector<std::string>{
                "1\tF01\tAulla Stazione\tPiazza Citt\xe0\t1\t0.00\t0.00", "2\tF02\tBivio Olivola\t\t2\t0.00\t0.00",
                "3\tF02\tBivio Olivola\t\t3\t0.00\t0.00", "4\tF03\tCitt\xe0\tVia Roma\t1\t0.00\t0.00"}));
  EXPECT_EQ(Faults(f.communication, false), "");
}

TEST_F(Communication, AddedTripsAreNumberedAfterTheBase) {
  const Files first = Generate();
  // Two new trips equal in everything sent: one run, two ids.
  RunSql(path,
         "INSERT INTO tescor SELECT 7, 'C007', codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
         "ct_tempo, regcorsa, codperc, reglinea, denom, gruppo, mezzo, prevcor, nextcor FROM tescor WHERE id = 4;"
         "INSERT INTO tescor SELECT 8, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
         "ct_tempo, regcorsa, codperc, reglinea, denom, gruppo, mezzo, prevcor, nextcor FROM tescor WHERE id = 7;"
         "INSERT INTO detcor SELECT 7, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
         "regferma, regarea, reglocal FROM detcor WHERE id = 4;"
         "INSERT INTO detcor SELECT 8, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, "
         "regferma, regarea, reglocal FROM detcor WHERE id = 4;");
  const Files second = Generate(BaseFile(first.base));
  EXPECT_EQ(Faults(second.communication, false), "");
  EXPECT_EQ(Rows(second.communication, "corse"),
            std::vector<std::string>{"4\tC007\tL2\tA\t5\tP1\t1\t1\t08.30\t3\t08.50\t1250\t20\t1250\t20\t\t\tX"});
  EXPECT_EQ(Rows(second.communication, "orari").size(), 3u);
  EXPECT_EQ(Rows(second.communication, "fermate").size(), 0u);
  const std::vector<std::string> idreg = Lines(second.idreg);
  ASSERT_EQ(idreg.size(), 6u);
  EXPECT_EQ(idreg[4], "0017000007000004L2        AP1                  0000125008300850");
  EXPECT_EQ(idreg[5], "0017000008000004L2        AP1                  0000125008300850");
}

// A trip changed only at its middle stop no longer matches its run of the base: the incremental
// communication sends it as a new run, with its stops, and RT_IDREG gives the trip that run;
// stops, arcs and itineraries are those of the base.
TEST_F(Communication, ATripChangedAtAMiddleStopIsSentAgain) {
  const Files first = Generate();
  const std::string base = BaseFile(first.base);
  // Trip 4 stops at Bivio Olivola (its second stop) from 08.38 to 08.40, on request.
  const struct {
    const char* change;
    const char* middle;  // its stop row in <orari>: the arrival, the dwell, the flags
  } cases[] = {
      {"parte = 845", "4\t1\t2\t08.38\t7\t0\t1\t0"},  {"parte = 839", "4\t1\t2\t08.38\t1\t0\t1\t0"},
      {"arriva = 836", "4\t1\t2\t08.36\t4\t0\t1\t0"}, {"arriva = 837, parte = 841", "4\t1\t2\t08.37\t4\t0\t1\t0"},
      {"facolt = 0", "4\t1\t2\t08.38\t2\t0\t0\t0"},   {"primaria = 1", "4\t1\t2\t08.38\t2\t1\t1\t0"},
      {"nonferma = 1", "4\t1\t2\t08.38\t2\t0\t1\t1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.change);
    RunSql(path, std::string("UPDATE detcor SET arriva = 838, parte = 840, primaria = 0, facolt = 1, nonferma = 0, ") +
                     c.change + " WHERE id = 4 AND sub = 2;");
    const Files f = Generate(base);
    EXPECT_EQ(Faults(f.communication, false), "");
    for (const char* tag : {"fermate", "archi", "teste_itiner", "righe_itiner"})
      EXPECT_EQ(Rows(f.communication, tag).size(), 0u) << tag;
    EXPECT_EQ(Rows(f.communication, "corse"),
              std::vector<std::string>{"4\tC004\tL2\tA\t5\tP1\t1\t1\t08.30\t3\t08.50\t1250\t20\t1250\t20\t\t\tX"});
    EXPECT_EQ(Rows(f.communication, "orari"),
              (std::vector<std::string>{"4\t0\t1\t08.30\t0\t1\t0\t0", c.middle, "4\t2\t3\t08.50\t0\t1\t0\t0"}));
    const std::vector<std::string> idreg = Lines(f.idreg);
    ASSERT_EQ(idreg.size(), 4u);
    EXPECT_EQ(idreg[3].substr(0, 16), "0017000004000004");
  }
}

TEST_F(Communication, BasesThatAreRefused) {
  const Files first = Generate();
  std::string changedName = first.base;
  changedName.replace(changedName.find("Bivio Olivola"), 5, "Bivia");
  std::string unknownRun = first.base;
  unknownRun.replace(unknownRun.find("\r\n3\t2\t3\t08.50"), 5, "\r\n9\t2");
  const std::vector<std::vector<std::string>> noArcsRows = {
      {"1\tF01\tAulla\t\t1\t0.00\t0.00"}, {}, {"1\tP1\tUna fermata"}, {}, {}, {}};
  // A base is read a part at a time: a line longer than a part, across two of them.
  const std::string longName(1500000, 'A');
  const std::string longLine =
      Assemble("R\tB\tS\t17\t1\ta\tb\tc\td",
               {{"1\tF01\t" + longName + "\t\t1\t0.00\t0.00", "2\tF02\tB\t\t1\t0.00\t0.00"}, {}, {}, {}, {}, {}}, true);
  const std::pair<std::string, BaseOutcome> cases[] = {
      {first.communication, BaseOutcome::NotABase},
      {changedName, BaseOutcome::Corrupt},
      {Assemble("R\tB\tS\t17\t1\ta\tb\tc\td", {{}, {}, {}, {"9\t0\t1\t500\t1\t2"}, {}, {}}, true),
       BaseOutcome::Corrupt},
      {first.base.substr(0, first.base.size() - 12), BaseOutcome::Corrupt},
      {Assemble("R\tB\tS\t17\t1\ta\tb\tc\td", noArcsRows, true), BaseOutcome::Read},
      {Assemble("R\tB\tS\t17\t1\ta\tb\tc\td", {{}, {}, {}, {}, {}, {}}, true), BaseOutcome::Read},
      {Assemble("R\tB\tS\t17\t1\ta\tb\tc", {{}, {}, {}, {}, {}, {}}, true), BaseOutcome::Corrupt},
      {longLine, BaseOutcome::Read},
      {longLine.substr(0, longLine.size() - 40), BaseOutcome::Corrupt},
  };
  for (const auto& [bytes, outcome] : cases) EXPECT_EQ(Read(bytes), outcome) << bytes.substr(0, 60);
  const BaseReadResult longRead = ReadReferenceBase(BaseFile(longLine), 17, nullptr);
  ASSERT_NE(longRead.model, nullptr);
  ASSERT_EQ(longRead.model->Stops().size(), 2u);
  EXPECT_EQ(longRead.model->Stops()[0].name, longName);
  EXPECT_EQ(longRead.model->Stops()[1].code, "F02");
  EXPECT_EQ(Read(first.base, 18), BaseOutcome::OtherCompany);
  EXPECT_EQ(ReadReferenceBase(dir.Path("assente.txt"), 17, nullptr).outcome, BaseOutcome::CannotOpen);
  // What each refusal tells, each message as "icon|caption|text": the reason, then that the base
  // cannot be used; a file that cannot be opened is only named.
  const auto told = [](const BaseReadResult& r) {
    std::string all;
    for (const Notice& m : r.messages)
      all += std::to_string(static_cast<unsigned>(m.icon)) + "|" + m.caption + "|" + m.text + "\n";
    return all;
  };
  const std::string corrupt = "16||" + std::string(kCorruptBaseText) + "\n";
  // A named pipe as the base: refused naming it, never waited on.
  const std::string pipe = dir.Path("tubo.txt");
  MakePipe(pipe);
  const PipeWatchdog watchdog({pipe});
  const std::pair<BaseReadResult, std::string> messages[] = {
      {ReadReferenceBase(BaseFile(first.communication), 17, nullptr),
       "16||" + std::string(kNotABaseText) + "\n" + corrupt},
      {ReadReferenceBase(BaseFile(first.base), 18, nullptr), "16||" + std::string(kOtherCompanyText) + "\n" + corrupt},
      {ReadReferenceBase(BaseFile(changedName), 17, nullptr), corrupt},
      {ReadReferenceBase(dir.Path("assente.txt"), 17, nullptr),
       "48|Acquisizione base dati orari|Impossibile aprire\n\n" + dir.Path("assente.txt") + "\n"},
      {ReadReferenceBase(pipe, 17, nullptr),
       "48|Acquisizione base dati orari|Impossibile aprire\n\n" + pipe + "\n\n" + kNotARegularFileText + "\n"},
      {ReadReferenceBase(BaseFile(first.base), 17, nullptr), ""},
  };
  for (const auto& [read, expected] : messages) {
    EXPECT_EQ(told(read), expected);
    EXPECT_EQ(read.ok, expected.empty());
  }
  // Only the damage to the run line and the stop times breaks the base.
  EXPECT_EQ(Read(unknownRun), BaseOutcome::Corrupt);
}

// A base whose values were changed and whose check values were made right again: each is damage
// that the reading refuses, not a value taken as another one (a NUL read as 0, a long number
// cut, "nan" taken as a coordinate, a row naming a stop, arc, itinerary or run that is not there).
TEST_F(Communication, DamagedBasesWithRightCheckValuesAreRefused) {
  const Files first = Generate();
  const char* const tags[] = {"fermate", "archi", "teste_itiner", "righe_itiner", "corse", "orari"};
  std::vector<std::vector<std::string>> rows;
  for (const char* tag : tags) rows.push_back(Rows(first.base, tag));
  const std::string protocol = Lines(first.base)[1];
  // Field `field` of row `row` of section `section` (0 fermate .. 5 orari) given another value.
  const auto damaged = [&](size_t section, size_t row, size_t field, const std::string& value) {
    std::vector<std::vector<std::string>> r = rows;
    std::vector<std::string> fields;
    std::stringstream line(r[section][row]);
    for (std::string f; std::getline(line, f, '\t');) fields.push_back(f);
    if (r[section][row].back() == '\t') fields.emplace_back();
    fields.at(field) = value;
    std::string joined;
    for (size_t k = 0; k < fields.size(); ++k) joined += (k ? "\t" : "") + fields[k];
    r[section][row] = joined;
    return Assemble(protocol, r, true);
  };
  const std::string nul(1, '\0');
  const std::pair<std::string, const char*> cases[] = {
      {damaged(0, 0, 4, nul), "NUL as a locality"},
      {damaged(0, 0, 4, "1" + nul), "NUL after a locality"},
      {damaged(4, 1, 15, "12345678901234"), "14-digit trip id"},
      {damaged(0, 0, 5, "nan"), "nan coordinate"},
      {damaged(0, 0, 5, "1e3"), "exponent coordinate"},
      {damaged(0, 0, 5, "1234,5"), "coordinate of one decimal after a comma"},
      {damaged(0, 0, 6, "4.812,00"), "coordinate with a thousands point"},
      {damaged(1, 0, 2, "9"), "arc to a stop that does not exist"},
      {damaged(3, 0, 2, "9"), "itinerary row over an arc that does not exist"},
      {damaged(3, 0, 2, "2"), "itinerary row over an arc between other stops"},
      {damaged(3, 1, 1, "0"), "itinerary row out of place"},
      {damaged(4, 0, 6, "7"), "run on an itinerary that does not exist"},
      {damaged(4, 0, 7, "9"), "run from a stop that does not exist"},
      {damaged(4, 0, 9, "2"), "run ending at a stop other than its last"},
      {damaged(5, 1, 2, "9"), "stop time at a stop that does not exist"},
      {damaged(5, 1, 2, "3"), "stop time off its itinerary"},
      {damaged(5, 2, 1, "5"), "stop time out of place"},
      {damaged(4, 0, 8, "7.30"), "time of one hour digit"},
      {damaged(4, 0, 8, "24.00"), "time that is no time of day"},
      {damaged(4, 0, 3, "AR"), "direction of two letters"},
      {damaged(4, 0, 12, "+35"), "number with a sign"},
      {damaged(4, 0, 12, "035"), "number with a leading zero"},
      {damaged(4, 0, 4, "99999999999"), "authority beyond 32 bits"},
      {damaged(4, 0, 16, "0"), "following trip 0"},
      {damaged(4, 1, 0, "4"), "run numbers out of order, its stop times under the old number"},
      {damaged(5, 0, 5, "2"), "flag 2"},
      {damaged(0, 0, 2, "Aulla\x01Stazione"), "control byte in a name"},
      {Assemble("R\tB\tS\t17x\t1\ta\tb\tc\td", rows, true), "company followed by a letter"},
      {Assemble("R\tB\tS\t17\t01\ta\tb\tc\td", rows, true), "number with a leading zero"},
  };
  // Rows of an itinerary or a run after a later one's: the next base would not be the same file.
  const auto swapped = [&](size_t section, size_t a, size_t b) {
    std::vector<std::vector<std::string>> r = rows;
    std::swap(r[section][a], r[section][b]);
    return Assemble(protocol, r, true);
  };
  const std::string sound = Assemble(protocol, rows, true);
  EXPECT_EQ(Read(sound), BaseOutcome::Read);
  for (const auto& [bytes, what] : cases) EXPECT_EQ(Read(bytes), BaseOutcome::Corrupt) << what;
  EXPECT_EQ(Read(swapped(3, 1, 2)), BaseOutcome::Corrupt) << "itinerary rows interleaved";
  EXPECT_EQ(Read(swapped(5, 2, 3)), BaseOutcome::Corrupt) << "stop rows interleaved";
  std::string paddedCount = sound;
  paddedCount.replace(paddedCount.find("<fermate>3"), 10, "<fermate>+3");
  EXPECT_EQ(Read(paddedCount), BaseOutcome::Corrupt);
  // A byte the code page leaves undefined, which new data may not hold but a base written before may, in a text and
  // as a letter: the base is read, the incremental communication made on it, and the next base has its row as it was.
  const struct {
    size_t section, row, field;
    const char* value;
  } kept[] = {{0, 0, 2, "Aulla\x81Stazione"}, {4, 0, 3, "\x9D"}};
  for (const auto& k : kept) {
    const std::string old = damaged(k.section, k.row, k.field, k.value);
    const Files next = Generate(BaseFile(old));
    EXPECT_EQ(Faults(next.communication, false), "") << k.value;
    EXPECT_EQ(Rows(next.base, tags[k.section]).at(k.row), Rows(old, tags[k.section]).at(k.row)) << k.value;
  }
}

// The objects of the base are copied from its file into the next base: a base file changed after
// it was read fails the set, naming the base, and nothing is put in place.
TEST_F(Communication, ABaseChangedAfterItWasReadFailsTheSet) {
  const Files first = Generate();
  const std::string base = BaseFile(first.base);
  DbDatabase db(path);
  CommunicationHeader h = ReadCommunicationHeader(&db, 'B', true).header;
  BaseReadResult read = ReadReferenceBase(base, h.company, nullptr);
  ASSERT_TRUE(read.model);
  h.number = read.number + 1;
  ASSERT_TRUE(BuildCommunicationModel(&db, *read.model, h.periodStart, h.periodEnd, nullptr, nullptr).ok);
  std::string changed = first.base;
  changed.replace(changed.find("C003"), 4, "C009");
  WriteFileBytes(base, changed);
  const std::string out = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  const CommunicationPaths paths{out + "/RT2.TXT", out + "/RT2_BASE.TXT", out + "/RT_IDREG.TXT", {}};
  const CommunicationWriting w = WriteCommunicationFiles(&db, *read.model, h, false, nullptr, paths, nullptr, {});
  EXPECT_FALSE(w.ok);
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].caption + "|" + w.messages[0].text,
            "|La Banca Dati Orari di riferimento\n\n" + base +
                "\n\nè stata modificata dopo essere stata letta.\n\nQuesta operazione verrà terminata.");
  EXPECT_EQ(w.failedPath, base);
  EXPECT_EQ(Listing(out), "");
}

// The rows made from the trips are kept aside in the system's temporary folder: with that folder
// full (a small memory file system of the test's own, where it may mount one), the set fails
// naming the folder, and nothing is put in place.
TEST_F(Communication, AFullTemporaryFolderIsNamed) {
  const std::string small = dir.Path("tmp"), out = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(small)) && QDir().mkpath(cp1252::ToQString(out)));
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8k") != 0)
    GTEST_SKIP() << "a file system cannot be mounted here";
  WriteFileBytes(small + "/pieno", std::string(8192, 'x'));  // all its room
  const ScopedEnv tmpdir("TMPDIR", small);
  DbDatabase db(path);
  const CommunicationHeader h = ReadCommunicationHeader(&db, 'B', true).header;
  CommunicationModel model;
  EXPECT_TRUE(BuildCommunicationModel(&db, model, h.periodStart, h.periodEnd, nullptr, nullptr).ok);
  const CommunicationPaths paths{out + "/RT2.TXT", out + "/RT2_BASE.TXT", {}, {}};
  const CommunicationWriting w = WriteCommunicationFiles(&db, model, h, true, nullptr, paths, nullptr, {});
  ::umount(small.c_str());
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.Texts(), "La cartella dei file temporanei del sistema\n\n" + small +
                           "\n\nè piena: non c'è spazio per i file di lavoro della comunicazione.\n\n"
                           "Questa operazione verrà terminata.");
  EXPECT_EQ(Listing(out), "");
}

// A text the communication cannot carry refuses it before anything is written, naming the trip,
// the stop and the field as the regional export does: a control byte (a TAB would shift the
// row's fields, a line end cut the row) or a character Windows-1252 lacks (it would be sent as
// '?'). The accented letters of the code page are sent (the hand-made files).
TEST_F(Communication, TextsThatCannotBeSentAreRefused) {
  // A value its column cannot hold as its kind: bytes where a text is, a text in a number column.
  const auto Kind = [](const char* row, const char* field, const char* value, const char* is, const char* wanted) {
    return std::string("ATTENZIONE: ") + row + ":\nil campo " + field + " vale " + value + ",\nche è " + is +
           " e non " + wanted +
           " come richiede la sua colonna.\n\nNessun file è stato scritto: correggere il dato prima di esportare.";
  };
  const auto Bytes = [&](const char* row, const char* field, const char* value) {
    return Kind(row, field, value, "un dato binario", "un testo");
  };
  const auto Abc = [&](const char* row, const char* field) {
    return Kind(row, field, "'abc'", "un testo", "un numero intero");
  };
  const auto Time = [](const char* row, const char* field, const char* what, const char* value) {
    return std::string("ATTENZIONE: ") + row + ":\nil campo " + field + " (orario di " + what + ") vale " + value +
           ", che non è un orario del tracciato regionale\n(HHMM, con ore da 00 a 23 e minuti da 00 a 59, oppure "
           "9999).\n\nNessun file è stato scritto: correggere il dato prima di esportare.";
  };
  const std::string rule =
      ",\nmentre il tracciato regionale ammette nei testi solo caratteri della codifica "
      "Windows-1252.\n\nNessun file è stato scritto: correggere il dato prima di esportare.";
  const std::string printable =
      ",\nmentre il tracciato regionale ammette nei testi solo caratteri stampabili.\n\n"
      "Nessun file è stato scritto: correggere il dato prima di esportare.";
  const struct {
    const char* sql;
    std::string refusal;
  } cases[] = {
      {"UPDATE detcor SET denom = 'Bivio Oliv' || char(0x159) || 'la' WHERE id = 4 AND sub = 2",
       "ATTENZIONE: corsa 4, fermata 2:\nil campo denom (denominazione fermata) contiene il carattere U+0159 in "
       "posizione 11 del testo" +
           rule},
      {"UPDATE detcor SET fermata = 'F' || char(9) || '3' WHERE id = 3 AND sub = 1",
       "ATTENZIONE: corsa 3, fermata 1:\nil campo fermata (codice fermata) contiene il carattere di controllo 0x09 "
       "in posizione 2 del testo" +
           printable},
      {"UPDATE detcor SET ubicaz = CAST(X'5669612052FF6D61' AS TEXT) WHERE id = 1 AND sub = 3",
       "ATTENZIONE: corsa 1, fermata 3:\nil campo ubicaz (ubicazione fermata) contiene in posizione 6 del testo dei "
       "byte che non formano un carattere" +
           rule},
      {"UPDATE tescor SET denom = 'Citt' || char(0x1EA1) || ' - Aulla' WHERE id = 3",
       "ATTENZIONE: corsa 3:\nil campo denom (descrittore) contiene il carattere U+1EA1 in posizione 5 del testo" +
           rule},
      {"UPDATE tescor SET codlinea = 'L2' || char(10) WHERE id = 4",
       "ATTENZIONE: corsa 4:\nil campo codlinea (codice linea) contiene il carattere di controllo 0x0A in posizione "
       "3 del testo" +
           printable},
      {"UPDATE tescor SET codcorsa = char(0x1F68C) WHERE id = 2",
       "ATTENZIONE: corsa 2:\nil campo codcorsa (codice corsa) contiene il carattere U+1F68C in posizione 1 del "
       "testo" +
           rule},
      {"UPDATE tescor SET verso = char(0x2192) WHERE id = 1",
       "ATTENZIONE: corsa 1:\nil campo verso (verso) contiene il carattere U+2192 in posizione 1 del testo" + rule},
      {"UPDATE tescor SET mezzo = char(0x3A9) WHERE id = 3",
       "ATTENZIONE: corsa 3:\nil campo mezzo (mezzo di trasporto) contiene il carattere U+03A9 in posizione 1 del "
       "testo" +
           rule},
      // A text stored as bytes by a tool that binds bytes, a text in a number column: the value named, never sent
      // as '?' or 0.
      {"UPDATE detcor SET denom = X'436974E0' WHERE id = 4 AND sub = 2",
       Bytes("corsa 4, fermata 2", "denom (denominazione fermata)", "X'436974E0'")},
      {"UPDATE detcor SET denom = X'C581C3B364C5BA' WHERE id = 4 AND sub = 2",
       Bytes("corsa 4, fermata 2", "denom (denominazione fermata)", "X'C581C3B364C5BA'")},
      {"UPDATE detcor SET fermata = X'4181' WHERE id = 3 AND sub = 1",
       Bytes("corsa 3, fermata 1", "fermata (codice fermata)", "X'4181'")},
      {"UPDATE detcor SET ubicaz = X'4181' WHERE id = 1 AND sub = 3",
       Bytes("corsa 1, fermata 3", "ubicaz (ubicazione fermata)", "X'4181'")},
      {"UPDATE tescor SET denom = X'436974E0' WHERE id = 3", Bytes("corsa 3", "denom (descrittore)", "X'436974E0'")},
      {"UPDATE tescor SET mezzo = X'42' WHERE id = 3", Bytes("corsa 3", "mezzo", "X'42'")},
      {"UPDATE tescor SET ct_lung = 'abc' WHERE id = 2", Abc("corsa 2", "ct_lung (lunghezza contrattuale)")},
      {"UPDATE detcor SET arriva = 'abc' WHERE id = 4 AND sub = 2",
       Abc("corsa 4, fermata 2", "arriva (orario di arrivo)")},
      {"UPDATE period SET escluso = 'abc' WHERE id = 2", Abc("corsa 2", "escluso (periodo escluso)")},
      // A day of the calendar as an Italian user types it: named by its place and day type, never passed over.
      {"PRAGMA ignore_check_constraints=ON; UPDATE calend SET data = '02/01/2024' WHERE data = '2024-01-02'",
       Kind("calendario, riga 1, cadenza FER", "data (data)", "'02/01/2024'", "un testo", "una data")},
      // Times that are no times of day, by the rule of the regional files.
      {"UPDATE detcor SET arriva = 9930 WHERE id = 4 AND sub = 2",
       Time("corsa 4, fermata 2", "arriva", "arrivo", "9930")},
      {"UPDATE detcor SET parte = -5 WHERE id = 1 AND sub = 1", Time("corsa 1, fermata 1", "parte", "partenza", "-5")},
  };
  AllowReadingMismatches();  // values of another kind than their column's, on purpose
  for (const auto& c : cases) {
    SCOPED_TRACE(c.sql);
    std::remove(path.c_str());
    SetUp();
    RunSql(path, c.sql);
    NoticeLog notices;
    DbDatabase db(path);
    const CommunicationHeading heading = ReadCommunicationHeader(&db, 'B', true);
    const CommunicationHeader& h = heading.header;
    EXPECT_EQ(heading.Failure(), "");
    CommunicationModel model;
    const Outcome built = BuildCommunicationModel(&db, model, h.periodStart, h.periodEnd, nullptr, nullptr);
    EXPECT_FALSE(built.ok);
    EXPECT_EQ(built.Failure(), c.refusal);
    EXPECT_EQ(notices.Texts(), "");  // one message, the refusal
  }
  // The responsible person of the protocol line.
  RunSql(path, "UPDATE master SET resple = 'Mario Ross' || char(0x12B)");
  DbDatabase db(path);
  EXPECT_EQ(ReadCommunicationHeader(&db, 'B', true).Failure(),
            "ATTENZIONE: dati generali:\nil campo resple (responsabile) contiene il carattere U+012B in posizione 11 "
            "del testo" +
                rule);
}

TEST_F(Communication, ABaseWithoutArcsCarriesItsObjectsOn) {
  const std::string base = BaseFile(Assemble("R\tB\tS\t17\t4\ta\tb\tc\td",
                                             {{"12\tF99\tAltrove\t\t1\t0.00\t0.00"},
                                              {},
                                              {"30\tP9\tAltrove"},
                                              {},
                                              {"120\tC9\tL9\tA\t5\tP9\t30\t12\t06.00\t12\t06.00\t0\t0\t0\t0\t\t\tX"},
                                              {"120\t0\t12\t06.00\t0\t1\t0\t0"}},
                                             true));
  const Files f = Generate(base);
  EXPECT_EQ(Lines(f.communication)[1].substr(0, 10), "N\tB\tS\t17\t5");
  EXPECT_EQ(Rows(f.communication, "fermate").front().substr(0, 4), "13\tF");
  EXPECT_EQ(Rows(f.communication, "corse").front().substr(0, 4), "121\t");
  EXPECT_EQ(Rows(f.base, "corse").front().substr(0, 4), "120\t");
  EXPECT_EQ(Faults(f.base, true), "");
}

// A bar per pass with the pass's caption, each run to its last row: the four passes over the
// database, the writing (keeping the caption before it), the base read back.
TEST_F(Communication, ABarPerPassWithItsCaption) {
  PassLog log;
  DbDatabase db(path);
  const CommunicationHeader h = ReadCommunicationHeader(&db, 'B', true).header;
  CommunicationModel model;
  ASSERT_TRUE(BuildCommunicationModel(&db, model, h.periodStart, h.periodEnd, nullptr, &log).ok);
  const std::string base = dir.Path("base.txt");
  ASSERT_TRUE(WriteWholeLines(base, [&](const LineSink& s) {
    EXPECT_TRUE(WriteCommunication(&db, model, h, CommunicationFile::Base, s, &log).ok);
  }));
  ASSERT_TRUE(ReadReferenceBase(base, h.company, &log).model);
  // 12 stop rows twice (stops, then trips), the 7 calendar days of the half year, 5 periods; the
  // base's 3 + 4 + 2 + 4 + 3 + 9 rows written, then read after its protocol block.
  EXPECT_EQ(log.lines, (std::vector<std::string>{"begin " + std::string(kStopPassCaption), "at 12/12",
                                                 "begin " + std::string(kTripPassCaption), "at 12/12",
                                                 "begin " + std::string(kCalendarPassCaption), "at 7/7",
                                                 "begin " + std::string(kPeriodPassCaption), "at 5/5", "begin ",
                                                 "at 25/25", "begin " + std::string(kBaseReadCaption), "begin "}));
  EXPECT_EQ(log.Last(), "25/25");
}

// The files chosen written as one set: a success is told only with the base, naming the kind; a
// file that cannot be created is named under its own caption, and nothing is written.
TEST_F(Communication, TheChosenFilesAndWhatIsTold) {
  DbDatabase db(path);
  const CommunicationHeader h = ReadCommunicationHeader(&db, 'B', true).header;
  CommunicationModel model;
  ASSERT_TRUE(BuildCommunicationModel(&db, model, h.periodStart, h.periodEnd, nullptr, nullptr).ok);
  const std::string done =
      " in formato VUR-TXT v2\nè terminata con successo.\n\n"
      "Il file della Comunicazione può essere inoltrato all'Osservatorio Trasporti.";
  struct Case {
    bool first;
    int files;         // communication, base, trips' flow, stops' flow
    int missing;       // the file whose folder does not exist (-1: none)
    std::string told;  // the messages, each "caption|text"
  };
  const std::string out = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  const std::string names[] = {"RT2.TXT", "RT2_BASE.TXT", "RT_IDREG.TXT", "RT_FMREG.TXT"};
  const Case cases[] = {
      {true, 1, -1, ""},
      {true, 2, -1, "|La generazione della Prima Comunicazione" + done},
      {false, 4, -1, "|La generazione della Comunicazione Incrementale" + done},
      {true, 4, 0, "Esportazione dati orari|Impossibile creare\n\n" + out + "/manca/RT2.TXT"},
      {true, 4, 1, "Esportazione base dati orari|Impossibile creare\n\n" + out + "/manca/RT2_BASE.TXT"},
      {true, 4, 3, "Esportazione flusso ritorno|Impossibile creare\n\n" + out + "/manca/RT_FMREG.TXT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.files) + " " + std::to_string(c.missing));
    ASSERT_TRUE(QDir(cp1252::ToQString(out)).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
    std::string chosen[4];
    for (int k = 0; k < c.files; ++k) chosen[k] = out + (k == c.missing ? "/manca/" : "/") + names[k];
    const CommunicationPaths paths{chosen[0], chosen[1], chosen[2], chosen[3]};
    const CommunicationWriting w = WriteCommunicationFiles(&db, model, h, c.first, nullptr, paths, nullptr, {});
    std::string told;
    for (const Notice& m : w.messages) told += (told.empty() ? "" : "\n") + m.caption + "|" + m.text;
    EXPECT_EQ(told, c.told);
    EXPECT_EQ(w.ok, c.missing < 0);
    std::vector<std::string> written;
    for (int k = 0; c.missing < 0 && k < c.files; ++k) written.push_back(names[k]);
    std::sort(written.begin(), written.end());
    std::string listing;
    for (const std::string& n : written) listing += n + "\n";
    EXPECT_EQ(Listing(out), listing);
  }
  // The runs are written from the trips walked again: a trip changed since the model was made
  // fails the set, the communication named, and nothing is put in place.
  RunSql(path, "UPDATE detcor SET arriva = 839 WHERE id = 4 AND sub = 2;");
  ASSERT_TRUE(QDir(cp1252::ToQString(out)).removeRecursively());
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  const CommunicationPaths all{out + "/" + names[0], out + "/" + names[1], out + "/" + names[2], out + "/" + names[3]};
  const CommunicationWriting changed = WriteCommunicationFiles(&db, model, h, true, nullptr, all, nullptr, {});
  EXPECT_FALSE(changed.ok);
  ASSERT_EQ(changed.messages.size(), 1u);
  EXPECT_EQ(changed.messages[0].caption + "|" + changed.messages[0].text,
            "Esportazione dati orari|Impossibile creare\n\n" + out + "/RT2.TXT");
  EXPECT_EQ(Listing(out), "");
  // The same through the connection the model was made with.
  CommunicationModel again;
  ASSERT_TRUE(BuildCommunicationModel(&db, again, h.periodStart, h.periodEnd, nullptr, nullptr).ok);
  ASSERT_EQ(
      sqlite3_exec(db.Handle(), "UPDATE detcor SET arriva = 838 WHERE id = 4 AND sub = 2", nullptr, nullptr, nullptr),
      SQLITE_OK);
  EXPECT_FALSE(WriteCommunicationFiles(&db, again, h, true, nullptr, all, nullptr, {}).ok);
  EXPECT_EQ(Listing(out), "");
}

TEST(CommunicationLayout, LineChecksum) {
  const std::pair<std::string, long> cases[] = {
      {"abc", 294}, {"abc\n", 294}, {"a\tb\tc", 294}, {"", 0}, {"ab\xE0", 97 + 98 + (0xE0 - 256)}, {"\x80", -128}};
  for (const auto& [line, sum] : cases) EXPECT_EQ(vurtxt::LineChecksum(line), sum) << line;
  EXPECT_LT(vurtxt::LineChecksum("abà"), vurtxt::LineChecksum("aba"));
  // The modulo after every line, the remainder keeping the dividend's sign.
  EXPECT_EQ(vurtxt::AddLine(999999990, "abc"), 284);
  EXPECT_EQ(vurtxt::AddLine(0, "\x80"), -128);
  EXPECT_EQ(vurtxt::AddLine(-999999990, "\x80\x80"), -246);
}

TEST(CommunicationLayout, StopRowsOfATrip) {
  struct Case {
    int arrival, departure, time, dwell;
  };
  const Case cases[] = {{9999, 730, 730, 0},   {805, 9999, 805, 0}, {1208, 1210, 1208, 2}, {2358, 3, 2358, 5},
                        {9999, 9999, 9999, 0}, {-1, -1, 9999, 0},   {-1, 815, 815, 0},     {810, -1, 810, 0}};
  for (const Case& c : cases) {
    const RunStopTime t = StopTimeOf(TripStopInput{1, 0, c.arrival, c.departure, false, false, false});
    EXPECT_EQ(t.time, c.time) << c.arrival << " " << c.departure;
    EXPECT_EQ(t.dwell, c.dwell) << c.arrival << " " << c.departure;
  }
  std::string out;
  vurtxt::AppendTime(out, vurtxt::TimeOrNone(-1));
  vurtxt::AppendTime(out, 605);
  EXPECT_EQ(out, "99.9906.05");
  vurtxt::IdRegLine l;
  l.company = 17, l.tripId = 5, l.runNumber = 2, l.lineCode = "L1", l.direction = 'A', l.routeCode = "P", l.length = 9;
  l.departure = 605, l.arrival = -1;
  EXPECT_EQ(vurtxt::FormatIdRegLine(l), "0017000005000002L1        AP                   0000000906059999");
  EXPECT_EQ(vurtxt::FormatFmRegLine(17, "", 3, 1234567.5, 0), "0017          000003001234567.50000000000.00");
}

TEST(CommunicationDays, PeriodsOnARun) {
  CadenceDates calendar;
  for (int m = 1; m <= 3; ++m)
    for (int d = 1; d <= 31; ++d) calendar.Add("FER", 20240000 + m * 100 + d);
  struct Case {
    std::vector<std::tuple<std::string, std::string, bool>> periods;
    std::vector<std::tuple<int, int, std::uint32_t>> months;
  };
  const Case cases[] = {
      {{{"15/01/2024", "10/03/2024", false}}, {{2024, 1, 0x0003FFFEu}, {2024, 2, 0xFFFFFFFEu}, {2024, 3, 0xFFC00000u}}},
      {{{"01/01/2024", "01/01/2024", false}}, {{2024, 1, 0x80000000u}}},
      {{{"31/01/2024", "31/01/2024", false}}, {{2024, 1, 0x00000002u}}},
      {{{"10/03/2024", "15/01/2024", false}}, {}},  // ends before it starts: no month
      {{{"01/01/2024", "31/01/2024", false}, {"02/01/2024", "31/01/2024", true}}, {{2024, 1, 0x80000000u}}},
      {{{"02/01/2024", "31/01/2024", true}, {"01/01/2024", "01/01/2024", false}}, {{2024, 1, 0x80000000u}}},
      {{{"01/03/2024", "01/03/2024", false}, {"01/01/2024", "01/01/2024", false}},
       {{2024, 3, 0x80000000u}, {2024, 1, 0x80000000u}}},
  };
  for (const Case& c : cases) {
    std::uint32_t masks[3] = {};
    std::uint16_t order[3] = {CommunicationModel::kNoMonth, CommunicationModel::kNoMonth, CommunicationModel::kNoMonth};
    const RunDays run(masks, order, 3, 2024, 1);
    for (const auto& [start, end, excluded] : c.periods) ApplyPeriod(run, calendar, "FER", start, end, excluded);
    std::vector<std::tuple<int, int, std::uint32_t>> months;
    for (const RunMonthDays& m : run.Months()) months.emplace_back(m.year, m.month, m.mask);
    EXPECT_EQ(months, c.months) << std::get<0>(c.periods.front());
  }
}

// The four files of a communication put in place as one set: killed after any change on the disk
// (or with a link out of the folder under a temporary's name), the folder put in order by the next
// write into it holds the four previous files or the four new ones, never a communication without
// its base, and the link's target is never written.
TEST(CommunicationSet, KilledAtAnyStepLeavesTheFourPreviousFilesOrTheFourNew) {
  ScratchDir dir;
  const std::string out = dir.Path("uscita"), outside = dir.Path("fuori.txt");
  const FolderWatch noted = NotesInFile(dir.Path("note"));
  const std::vector<std::string> names = {"RT2_17_2.TXT", "RT2_17_2_BASE.TXT", "RT_IDREG.TXT", "RT_FMREG.TXT"};
  const auto state = [&] {
    std::string all = Listing(out);
    for (const std::string& n : names)
      all += QFileInfo::exists(cp1252::ToQString(out + "/" + n)) ? FileBytes(out + "/" + n) : "-\n";
    return all;
  };
  const auto prepare = [&] {
    QDir(cp1252::ToQString(out)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
    for (const std::string& n : names) WriteLines(out + "/" + n, {"old " + n});
  };
  std::vector<CommunicationPart> parts;
  for (const std::string& n : names)
    parts.push_back({out + "/" + n,
                     [n](const LineSink& sink) {
                       sink("new " + n);
                       Outcome made;
                       made.Succeed();
                       return made;
                     },
                     {}});
  const auto write = [&](const FileSetStep& step) { return WriteCommunicationSet(parts, noted, step); };
  WriteFileBytes(outside, "fuori");
  prepare();
  const std::string before = state();
  ASSERT_EQ(::symlink(outside.c_str(), (out + "/RT2_17_2_BASE.TXT.part").c_str()), 0);
  std::vector<std::string> steps;
  ASSERT_TRUE(write([&](const std::string& done) { steps.push_back(done); }).ok);
  const std::string after = state();
  EXPECT_EQ(FileBytes(outside), "fuori");
  ASSERT_NE(after, before);
  ASSERT_GE(steps.size(), 8u);
  for (size_t k = 1; k <= steps.size(); ++k) {
    SCOPED_TRACE(std::to_string(k) + ": killed after " + steps[k - 1]);
    prepare();
    ASSERT_TRUE(KilledAfterStep(static_cast<int>(k), [&](const FileSetStep& step) { write(step); }));
    RecoverExportFolder(out, noted);
    const std::string found = state();
    EXPECT_TRUE(found == before || found == after) << found;
  }
}

}  // namespace
