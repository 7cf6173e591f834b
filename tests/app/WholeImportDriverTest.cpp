// The import commands and the whole import run in the real program through the headless driver,
// with the hand-made files and a database of the test's own.

#include "CommandTestSupport.h"

namespace {

struct DriverFixture : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string settings = dir.Path("quendo.ini");
  std::string data;
  void SetUp() override {
    MakeTimetableDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    data = dir.Path("arrivi");
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
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto files = LinesStartingWith(run.transcript, "FILE\t");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0],
            "FILE\tImportazione Protocollo Comunicazione Orari\tRT_PROTO\tFile di testo (*.txt)|*.txt|Tutti i files "
            "(*.*)|*.*||");
  EXPECT_EQ(files[1].rfind("FILE\tImportazione Dati Cadenze\tRT_CADEN\t", 0), 0u);
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40, "L'importazione complessiva dei dati è terminata con successo.")});

  EXPECT_EQ(Q("SELECT azienda, protoc, datini, datfin, id_corsa, gruppo FROM master"),
            "17|42|2024-01-01|2024-06-30|4|3\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "2\n");
  EXPECT_EQ(Q("SELECT data, giorno FROM calend ORDER BY data"), "2024-01-01|1\n2024-01-02|2\n2024-01-06|6\n");
  // Trips 1 and 3 run over the same stops (letter case aside), trip 2 over others.
  EXPECT_EQ(Q("SELECT id, parte, arriva, gruppo FROM tescor ORDER BY id"),
            "1|730|805|1\n2|1200|1220|2\n3|1330|1405|1\n");
  EXPECT_EQ(Q("SELECT denom FROM detcor WHERE id = 1 AND sub = 3"), "Città\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM detcor"), "8\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM period"), "4\n");
}

TEST_F(DriverFixture, WholeImportStopsAtTheFirstIncompleteImport) {
  const std::string proto = Put("RT_PROTO.TXT", "RT_PROTO.TXT");
  const std::string caden = Put("RT_CADEN.TXT", "RT_CADEN.TXT");
  auto calendar = HandMadeLines("RT_CALEN.TXT");
  calendar[2].replace(4, 8, "20240701");
  WriteLines(data + "/RT_CALEN.TXT", calendar);
  Put("RT_HDORA.TXT", "RT_HDORA.TXT");
  const DriverRun run = RunDriver(settings, {"file " + proto, "file " + caden, "ok"}, {"5120"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
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
  ASSERT_EQ(run.exitCode, 0) << run.err;
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
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, ResultText(ImportKind::Cadences, 2, 2))});
  EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "2\n");
}

}  // namespace
