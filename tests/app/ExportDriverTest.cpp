// The three export commands run in the real program through the headless driver: options
// dialogs answered by control id, the save-file dialog, the files written and the boxes shown.

#include "CommandTestSupport.h"

namespace {

const std::string kFileLine =
    "FILE\tEsportazione Dati Orari\tRT_CADEN\tFile di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

struct ExportDriver : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string settings = dir.Path("quendo.ini");
  std::string out = dir.Path("uscita");
  void SetUp() override {
    MakeImportedDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  std::vector<std::string> Lines(const std::string& name) const { return FileLines(out + "/" + name); }
};

TEST_F(ExportDriver, PlainExportAfterTheCompanyChanged) {
  // "&Azienda" makes 42 the working company, then the export of every authority.
  const DriverRun run = RunDriver(
      settings, {"dialog 115", "  1000=0042", "dialog 131", "file " + out + "/QUALSIASI.TXT"}, {"5108", "5119"});
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto dialogs = LinesStartingWith(run.transcript, "DIALOG\t");
  ASSERT_EQ(dialogs.size(), 2u);
  EXPECT_EQ(dialogs[1], "DIALOG\t131\tEsportazione Dati Orari Corse");
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{kFileLine});
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40,
                                         "Risultati dell'esportazione dati:\n\n"
                                         "3 su 3 Teste Corsa\n8 su 8 Dettagli Corsa\n4 su 4 Periodi Validità Corsa\n"
                                         "2 su 2 Cadenze\n3 su 3 Calendario Giorni/Cadenze\n"
                                         "1 su 1 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n")});
  // The file name typed is not used: the seven files go into its folder.
  EXPECT_EQ(FolderEntries(out).size(), 7u);
  for (const char* name :
       {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"}) {
    const auto lines = Lines(name);
    const auto original = HandMadeLines(name);
    ASSERT_EQ(lines.size(), original.size()) << name;
    for (size_t k = 0; k < lines.size(); ++k) EXPECT_EQ(lines[k], "0042" + original[k].substr(4)) << name;
  }
}

TEST_F(ExportDriver, RenumberedExport) {
  const DriverRun run = RunDriver(settings, {"dialog 156", "  1211=500", "file " + out + "/RT_CADEN.TXT"}, {"5202"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            std::vector<std::string>{"DIALOG\t156\tEsportazione Orari (Rinumerazione)"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{kFileLine});
  ASSERT_EQ(Boxes(run).size(), 1u);
  EXPECT_EQ(Boxes(run)[0].rfind(Box(0x40, "Risultati dell'esportazione dati:\n\n3 su 3 Teste Corsa\n"), 0), 0u);
  std::vector<std::string> ids;
  for (const std::string& l : Lines("RT_DTORA.TXT")) ids.push_back(l.substr(4, 6));
  EXPECT_EQ(ids,
            (std::vector<std::string>{"000500", "000500", "000500", "000501", "000501", "000502", "000502", "000502"}));
  EXPECT_EQ(QueryFile(db, "SELECT id FROM tescor ORDER BY id"), "1\n2\n3\n");
}

TEST_F(ExportDriver, PeriodExportOfOneAuthority) {
  const DriverRun run = RunDriver(settings,
                                  {"dialog 155", "  1123=0", "  1124=0005", "  1209=01/02/2024", "  1210=29/02/2024",
                                   "file " + out + "/RT_CADEN.TXT"},
                                  {"5193"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            std::vector<std::string>{"DIALOG\t155\tEsportazione Dati Orari Corse (Periodo)"});
  // February has no calendar row: no period runs, no trip is written.
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40,
                                         "Risultati dell'esportazione dati:\n\n"
                                         "0 su 0 Teste Corsa\n0 su 0 Dettagli Corsa\n0 su 0 Periodi Validità Corsa\n"
                                         "2 su 2 Cadenze\n0 su 0 Calendario Giorni/Cadenze\n"
                                         "1 su 1 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n")});
  EXPECT_EQ(Lines("RT_PROTO.TXT")[0].substr(18, 16), "2024020120240229");
}

TEST_F(ExportDriver, CancelledDialogsEndSilentlyAndAFolderThatIsAFileFails) {
  const std::string notAFolder = dir.Path("documento");
  WriteLines(notAFolder, {"x"});
  const DriverRun run = RunDriver(
      settings, {"dialog 131 cancel", "dialog 156", "cancel", "dialog 155", "file " + notAFolder + "/RT_CADEN.TXT"},
      {"5119", "5202", "5193"});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], Box(0x30, "Impossibile creare\n\n" + notAFolder + "/RT_CADEN.TXT"));
  EXPECT_EQ(boxes[1].rfind(Box(0x40, "Risultati dell'esportazione dati:\n\n0 su 0 Teste Corsa\n"), 0), 0u);
  EXPECT_TRUE(FolderEntries(out).empty());
  EXPECT_EQ(FileBytes(notAFolder), "x\r\n");
}

}  // namespace
