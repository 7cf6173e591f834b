// The import commands and the whole import run in the real program through the headless driver,
// with the hand-made files and a database of the test's own; the caption follows the master row
// that the protocol rewrites, alone, in the whole import, and in one that stops after it.

#include "app/AppTestSupport.h"
#include "support/ExchangeData.h"

namespace {

struct DriverFixture : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), data = dir.Path("arrivi");
  void SetUp() override {
    MakeTimetableDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(data)));
  }
  // Copies a hand-made file into the folder of the files under another name.
  std::string Put(const std::string& name, const std::string& as) {
    const std::string path = data + "/" + as;
    EXPECT_TRUE(QFile::copy(cp1252::ToQString(HandMadeFile(name)), cp1252::ToQString(path)));
    return path;
  }
  std::string Q(const std::string& sql) const { return QueryFile(db, sql); }
};

TEST_F(DriverFixture, WholeImportOfTheHandMadeSet) {
  // Files from other systems arrive in lower case.
  const std::string proto = Put("RT_PROTO.TXT", "RT_PROTO.TXT");
  const std::string caden = Put("RT_CADEN.TXT", "rt_caden.txt");
  for (const char* name : {"RT_CALEN.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"})
    Put(name, QString::fromLatin1(name).toLower().toStdString());
  const DriverRun run = RunDriver(settings, {"file " + proto, "file " + caden}, {"5120"});
  const auto files = LinesStartingWith(run.transcript, "FILE\t");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_TRUE(HasPrefix(files[0], "FILE\tImportazione Protocollo Comunicazione Orari\tRT_PROTO\t"));
  EXPECT_TRUE(HasPrefix(files[1], "FILE\tImportazione Dati Cadenze\tRT_CADEN\t"));
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40, "L'importazione complessiva dei dati è terminata con successo.")});

  // What each file holds: ImportTest. Trips 1 and 3 run over the same stops (letter case aside).
  EXPECT_EQ(Q("SELECT (SELECT COUNT(*) FROM period), id_corsa, gruppo FROM master"), "4|4|3\n");
  EXPECT_EQ(Q("SELECT id, parte, arriva, gruppo FROM tescor ORDER BY id"),
            "1|730|805|1\n2|1200|1220|2\n3|1330|1405|1\n");
}

TEST_F(DriverFixture, WholeImportStopsAtTheFirstIncompleteImport) {
  const std::string proto = Put("RT_PROTO.TXT", "RT_PROTO.TXT");
  const std::string caden = Put("RT_CADEN.TXT", "RT_CADEN.TXT");
  auto calendar = HandMadeLines("RT_CALEN.TXT");
  calendar[2].replace(4, 8, "20240701");
  WriteLines(data + "/RT_CALEN.TXT", calendar);
  Put("RT_HDORA.TXT", "RT_HDORA.TXT");
  const DriverRun run = RunDriver(settings, {"file " + proto, "file " + caden, "ok"}, {"5120"});
  const auto boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].rfind("0x21\tSONO STATI RILEVATI ERRORI RIMEDIABILI:", 0), 0u);
  EXPECT_EQ(boxes[1],
            Box(0x10, "Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati."));
  EXPECT_EQ(Q("SELECT COUNT(*) FROM calend"), "2\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM tescor"), "0\n");
}

TEST_F(DriverFixture, WholeImportProtocolFailureShowsItsResult) {
  auto lines = HandMadeLines("RT_PROTO.TXT");
  lines[0].replace(4, 8, "2024013X");
  WriteLines(data + "/RT_PROTO.TXT", lines);
  const DriverRun run = RunDriver(settings, {"file " + data + "/RT_PROTO.TXT", "cancel"}, {"5120"});
  const auto boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0].rfind("0x11\tATTENZIONE: il file di testo proposto", 0), 0u);
  EXPECT_EQ(boxes[1], Box(0x10, ResultText(ImportKind::Protocol, 1, 0)));
  EXPECT_EQ(boxes[2],
            Box(0x10, "Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati."));
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t").size(), 1u);
}

TEST_F(DriverFixture, SingleCommandsShowTheirResults) {
  const std::string caden = Put("RT_CADEN.TXT", "RT_CADEN.TXT");
  const DriverRun run = RunDriver(settings, {"file " + caden, "cancel"}, {"5110", "5111"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, ResultText(ImportKind::Cadences, 2, 2))});
  EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "2\n");
}

// A master row value that its column cannot hold, read by the import: its refusal alone (the whole
// import then says it stopped), no count of lines, no row changed. The protocol, which reads no
// period, writes its own over a period that is no date.
TEST_F(DriverFixture, AMasterValueOfAnotherKindIsRefusedByTheImportsThatReadIt) {
  const std::string proto = Put("RT_PROTO.TXT", "RT_PROTO.TXT");
  const std::string caden = Put("RT_CADEN.TXT", "RT_CADEN.TXT");
  for (const char* name : {"RT_CALEN.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"}) Put(name, name);
  const std::string refusal =
      "ATTENZIONE: dati generali:\nil campo azienda (Codice Azienda) vale 'abc',\nche è un testo e non un numero "
      "intero come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere il dato prima di "
      "ripetere l'elaborazione.";
  const std::string stopped =
      "Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati.";
  const struct {
    const char* sql;
    const char* command;
    std::vector<std::string> answers, boxes;
  } cases[] = {
      {"UPDATE master SET azienda = 'abc'", "5110", {"file " + caden}, {Box(0x10, refusal)}},
      {"UPDATE master SET azienda = 'abc'", "5120", {"file " + proto}, {Box(0x10, refusal), Box(0x10, stopped)}},
      {"UPDATE master SET datini = 'abc'",
       "5120",
       {"file " + proto, "file " + caden},
       {Box(0x40, "L'importazione complessiva dei dati è terminata con successo.")}},
  };
  const std::string rows = "SELECT (SELECT COUNT(*) FROM cadenz), (SELECT COUNT(*) FROM tescor), * FROM master";
  int made = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.command + std::string(" ") + c.sql);
    const std::string path = dir.Path("orari_" + std::to_string(++made) + ".mdb");
    MakeTimetableDatabase(path);
    WriteSettings(settings, {"Database=" + path, "Directory=" + dir.Dir()});
    RunSql(path, c.sql);
    RecordCleanClose(settings, path);
    const std::string before = QueryFile(path, rows);
    const DriverRun run = RunDriver(settings, c.answers, {c.command});
    EXPECT_EQ(Boxes(run), c.boxes);
    EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t").size(), c.answers.size());
    if (c.boxes.size() == 1 && c.boxes[0].rfind("0x40", 0) == 0) {
      EXPECT_EQ(QueryFile(path, "SELECT datini FROM master"), "2024-01-01\n");
    } else {
      EXPECT_EQ(QueryFile(path, rows), before);
    }
  }
}

// The caption that the master row of the database file calls for.
std::string TitleOfMaster(const std::string& db) {
  const std::string title =
      QueryFile(db,
                "SELECT 'Quendo - Azienda ' || m.azienda || ' - ' || rtrim(r.denom) || ' [periodo dal ' || "
                "strftime('%d/%m/%Y', m.datini) || ' al ' || strftime('%d/%m/%Y', m.datfin) || ']' "
                "FROM master m JOIN regazi r ON r.codice = m.azienda WHERE m.codice = 0");
  return title.empty() ? "<no master row>" : title.substr(0, title.size() - 1);
}

TEST(TitleAfterImport, FollowsTheMasterRowTheImportsWrote) {
  // The whole import stops at the missing calendar file when `withCalendar` is false.
  for (const auto& [command, withCalendar] : {std::pair{"5109", true}, {"5120", true}, {"5120", false}}) {
    SCOPED_TRACE(command + std::string(withCalendar ? "" : " without the calendar"));
    ScratchDir dir;
    const std::string settings = dir.Path("quendo.ini"), db = dir.Path("orari.mdb"), files = dir.Path("ricevuti");
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(files)));
    for (ImportKind kind : kImportOrder)
      if (withCalendar || kind != ImportKind::Calendar)
        WriteFileBytes(files + "/" + FileNameOf(kind), FileBytes(HandMadeFile(FileNameOf(kind))));
    CopySeededDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    const DriverRun before = RunDriver(settings, {}, {});
    // The protocol names another company than the new database's and asks whether to go on.
    std::vector<std::string> answers = {"file " + files + "/RT_PROTO.TXT", "ok"};
    if (command == std::string("5120")) answers.push_back("file " + files + "/RT_CADEN.TXT");
    const DriverRun run = RunDriver(settings, answers, {command});
    const std::string expected = TitleOfMaster(db);
    EXPECT_NE(expected, LastTitle(before));  // the import did change the company and the period
    EXPECT_EQ(LastTitle(run), U8(expected));
  }
}

}  // namespace
