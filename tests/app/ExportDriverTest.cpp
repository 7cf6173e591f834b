// The three export commands run in the real program through the headless driver: options
// dialogs answered by control id, the save-file dialog, the files written and the boxes shown.

#include "app/AppTestSupport.h"
#include "support/ExchangeData.h"

namespace {

const std::string kFileLine =
    "FILE\tEsportazione Dati Orari\tRT_CADEN\tFile di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

// The result box of an export: the rows written of each kind, all of those read.
std::string ResultBox(const std::vector<int>& written) {
  const std::string kinds[] = {"Teste Corsa",
                               "Dettagli Corsa",
                               "Periodi Validità Corsa",
                               "Cadenze",
                               "Calendario Giorni/Cadenze",
                               "Protocollo Comunicazione Orari",
                               "Fermate Normalizzate"};
  std::string text = "Risultati dell'esportazione dati:\n\n";
  for (size_t k = 0; k < written.size(); ++k)
    text += std::to_string(written[k]) + " su " + std::to_string(written[k]) + " " + kinds[k] + "\n";
  return Box(0x40, text);
}
const std::string kAllWritten = ResultBox({3, 8, 4, 2, 3, 1, 0});

struct ExportDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), out = dir.Path("uscita");
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
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t131\t"),
            std::vector<std::string>{"DIALOG\t131\tEsportazione Dati Orari Corse"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{kFileLine});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{kAllWritten});
  // The file name typed is not used: the seven files go into its folder.
  EXPECT_EQ(Listing(out),
            "FERMATE_NORMALIZZATE.TXT\nRT_CADEN.TXT\nRT_CALEN.TXT\nRT_DTORA.TXT\nRT_HDORA.TXT\nRT_PERIOD.TXT\nRT_PROTO."
            "TXT\n");
  for (const char* name :
       {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"}) {
    auto expected = HandMadeLines(name);
    for (std::string& l : expected) l.replace(0, 4, "0042");
    EXPECT_EQ(Lines(name), expected);
  }
}

TEST_F(ExportDriver, RenumberedExport) {
  const DriverRun run = RunDriver(settings, {"dialog 156", "  1211=500", "file " + out + "/RT_CADEN.TXT"}, {"5202"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            std::vector<std::string>{"DIALOG\t156\tEsportazione Orari (Rinumerazione)"});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{kAllWritten});
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
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            std::vector<std::string>{"DIALOG\t155\tEsportazione Dati Orari Corse (Periodo)"});
  // February has no calendar row: no period runs, no trip is written.
  EXPECT_EQ(Boxes(run), std::vector<std::string>{ResultBox({0, 0, 0, 2, 0, 1, 0})});
  EXPECT_EQ(Lines("RT_PROTO.TXT")[0].substr(18, 16), "2024020120240229");
}

TEST_F(ExportDriver, CancelledDialogsEndSilentlyAndAFolderThatIsAFileFails) {
  const std::string notAFolder = dir.Path("documento");
  WriteLines(notAFolder, {"x"});
  const DriverRun run = RunDriver(
      settings, {"dialog 131 cancel", "dialog 156", "cancel", "dialog 155", "file " + notAFolder + "/RT_CADEN.TXT"},
      {"5119", "5202", "5193"});
  // After the failure, no results box as if the export had run.
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + notAFolder + "/RT_CADEN.TXT")});
  EXPECT_EQ(Listing(out), "");
  EXPECT_EQ(FileBytes(notAFolder), "x\r\n");
}

// A value its column cannot hold as its kind (a text stored as bytes, a text in a number column): one box naming the
// record, the field and the value, and no file.
TEST_F(ExportDriver, ValuesOfAnotherKindThanTheirColumnAreNamed) {
  const std::pair<const char*, std::string> cases[] = {
      {"UPDATE detcor SET denom = X'436974E0' WHERE id = 2 AND sub = 2",
       "RT_DTORA.TXT, riga 5 (corsa 2, fermata 2):\\nil campo denom (denominazione fermata) vale X'436974E0',\\nche "
       "è un dato binario e non un testo"},
      {"UPDATE tescor SET ct_lung = 'abc' WHERE id = 2",
       "RT_HDORA.TXT, riga 2 (corsa 2):\\nil campo ct_lung (lunghezza contrattuale) vale 'abc',\\nche è un testo e "
       "non un numero intero"},
  };
  for (const auto& [sql, refusal] : cases) {
    SCOPED_TRACE(sql);
    std::remove(db.c_str());
    MakeImportedDatabase(db);
    RunSql(db, sql);
    RecordCleanClose(settings, db);
    const DriverRun run = RunDriver(settings, {"dialog 131", "file " + out + "/RT_CADEN.TXT"}, {"5119"});
    EXPECT_EQ(Boxes(run), std::vector<std::string>{U8("0x30\tATTENZIONE: " + refusal +
                                                      " come richiede la sua colonna.\\n\\nNessun file è stato "
                                                      "scritto: correggere il dato prima di esportare.")});
    EXPECT_EQ(Listing(out), "");
  }
}

// A process file-size limit (ulimit -f) met while exporting: the write fails like one on a full
// disk and the program says so, instead of being killed by SIGXFSZ.
using FileSizeLimit = DriverFiles;
TEST_F(FileSizeLimit, AnExportPastTheLimitGetsTheWriteFailureMessage) {
  const std::string db = dir.Path("orari.mdb"), out = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  CopySeededDatabase(db);
  // One trip of 2,000 stops: its stop file is far past the limit, every other file well within.
  RunSql(db,
         "INSERT INTO master (codice, azienda, p_data, protoc, resple, datini, datfin, id_corsa, gruppo)"
         " VALUES (0, 0, '2024-01-15', 7, 'Mario Rossi', '2024-01-01', '2024-12-31', 2, 0);"
         "INSERT INTO cadenz VALUES ('FER', 'Feriale');"
         "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung,"
         " ct_tempo, gruppo) VALUES (1, 'C1', 'L1', 'A', 600, 900, 1, 1, 1000, 180, 0, 0, 0);"
         "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 2000)"
         " INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal)"
         " SELECT 1, k, 'F' || k, 'Fermata ' || k, k * 10, 600 + k % 50, 600 + k % 50, 0, 0, 0, 0 FROM n;"
         "INSERT INTO period VALUES (1, 'FER', '2024-01-01', '2024-12-31', 0);");
  WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  const DriverRun run = RunDriver(settings, {"dialog 131", "file " + out + "/RT_CADEN.TXT"}, {"5119"}, 0, 64 * 1024);
  EXPECT_EQ(LinesStartingWith(run.transcript, "0x30\t"),
            std::vector<std::string>{"0x30\tImpossibile creare\\n\\n" + out + "/RT_DTORA.TXT"});
  // Nothing cut short was put in place of the stop file.
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(out + "/RT_DTORA.TXT")));
}

}  // namespace
