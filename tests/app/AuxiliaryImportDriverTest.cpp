// The auxiliary imports run in the real program through the headless driver: RT_IDREG written by
// the communication (5170) and read back by 5204, FERMATE_NORMALIZZATE.TXT written by the export
// (5119) and read back by 5162, RT_CHAIN by 5173; the file dialogs, the boxes and the rows.

#include "app/AppTestSupport.h"
#include "support/CommunicationData.h"

namespace {

using Strings = std::vector<std::string>;

const std::string kFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";

class AuxiliaryImportDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeCommunicationDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const Strings& answers, const Strings& commands) { return RunDriver(settings, answers, commands); }
  std::string Query(const std::string& sql) const { return QueryFile(db, sql); }
  const std::string db = dir.Path("orari.mdb");
};

TEST_F(AuxiliaryImportDriver, TheCommunicationsFlowReadBack) {
  const std::string idreg = dir.Path("RT_IDREG.TXT");
  const DriverRun run =
      Run({"dialog 148", "  1175=1", "  1177=0", "ok", "file " + dir.Path("RT2.TXT"), "file " + dir.Path("BASE.TXT"),
           "file " + idreg, "file " + dir.Path("RT_FMREG.TXT"), "file " + idreg},
          {"5170", "5204"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const Strings files = LinesStartingWith(run.transcript, "FILE");
  ASSERT_EQ(files.size(), 5u);
  EXPECT_EQ(files[4], "FILE\tImportazione Flusso di Ritorno Codici Corsa Regionali\tRT_IDREG\t" + kFilter);
  ASSERT_FALSE(Boxes(run).empty());
  EXPECT_EQ(Boxes(run).back(), Box(0x40, "Sono stati modificate 4 corse"));
  EXPECT_EQ(Query("SELECT id, reglinea FROM tescor ORDER BY id"), "1|1\n2|1\n3|2\n4|3\n");
  // A line of another length, or an empty file: the format message with the stop icon, and no
  // trip is given its number.
  const std::string format = Box(0x10,
                                 "Il file proposto presenta un formato illegale, oppure non\n"
                                 "contiene neppure un Flusso di Ritorno riferibile\n"
                                 "all'Azienda di Lavoro !!!");
  for (const std::string& bytes : {FileBytes(idreg) + "0017\r\n", std::string()}) {
    RunSql(db, "UPDATE tescor SET reglinea = NULL");
    WriteFileBytes(idreg, bytes);
    const DriverRun again = Run({"file " + idreg}, {"5204"});
    EXPECT_EQ(Boxes(again), Strings{format});
    EXPECT_EQ(Query("SELECT COUNT(*) FROM tescor WHERE reglinea IS NOT NULL"), "0\n");
  }
}

TEST_F(AuxiliaryImportDriver, TheExportsStopListReadBack) {
  const std::string out = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  const DriverRun exported = Run({"dialog 131", "file " + out + "/RT_CADEN.TXT"}, {"5119"});
  EXPECT_EQ(exported.exitCode, 0) << exported.err;
  const std::string before = Query("SELECT id, sub, reglocal FROM detcor ORDER BY id, sub");
  RunSql(db, "UPDATE detcor SET reglocal = 0");
  const DriverRun run = Run({"file " + out + "/FERMATE_NORMALIZZATE.TXT"}, {"5162"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            Strings{"FILE\tImportazione Fermate Normalizzate\tFERMATE_NORMALIZZATE\t" + kFilter});
  EXPECT_EQ(Boxes(run), Strings{Box(0x40, "Sono stati modificati 12 dettagli orari")});
  EXPECT_EQ(Query("SELECT id, sub, reglocal FROM detcor ORDER BY id, sub"), before);
}

TEST_F(AuxiliaryImportDriver, TripChains) {
  const std::string chain = dir.Path("RT_CHAIN.TXT");
  RunSql(db, "UPDATE tescor SET prevcor = NULL");
  // A line of another company among good ones: the format box alone, nothing applied.
  WriteFileBytes(chain, "0017000001000002\r\n0018000003000004\r\n0017000003000099\r\n");
  const std::string before = Query("SELECT id, prevcor, nextcor FROM tescor ORDER BY id");
  DriverRun run = Run({"file " + chain}, {"5173"});
  EXPECT_EQ(Boxes(run), (Strings{Box(0x10,
                                     "Il file proposto presenta un formato illegale, oppure non\n"
                                     "contiene neppure una Concatenazione Corse riferibile\n"
                                     "all'Azienda di Lavoro !!!")}));
  EXPECT_EQ(Query("SELECT id, prevcor, nextcor FROM tescor ORDER BY id"), before);
  WriteFileBytes(chain, "0017000001000002\r\n0017000003000099\r\n");
  run = Run({"file " + chain}, {"5173"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE"),
            Strings{"FILE\tImportazione Concatenazioni Corse\tRT_CHAIN\t" + kFilter});
  EXPECT_EQ(Boxes(run), (Strings{Box(0x10,
                                     "Le seguenti Concatenazioni Corse non sono state importate:\n\n"
                                     "riga 2: la corsa successiva 99 non esiste"),
                                 Box(0x40, "Sono stati modificate 2 corse")}));
  EXPECT_EQ(Query("SELECT id, prevcor, nextcor FROM tescor ORDER BY id"),
            "1|NULL|2\n2|1|NULL\n3|NULL|NULL\n4|NULL|NULL\n");
}

TEST_F(AuxiliaryImportDriver, CancelMissingFileAndNoMaster) {
  const std::string chain = dir.Path("RT_CHAIN.TXT"), idreg = dir.Path("RT_IDREG.TXT"),
                    stops = dir.Path("FERMATE_NORMALIZZATE.TXT"), missing = dir.Path("manca.txt");
  WriteFileBytes(chain, "0017000001000002\r\n");
  WriteFileBytes(idreg, "0017000001000001L1        AP1                  0000125007300805\r\n");
  WriteFileBytes(stops, "17\tF02\tBivio Olivola\t\t045001\tAulla\r\n");
  const auto state = [&] {
    return Query("SELECT id, prevcor, nextcor, reglinea FROM tescor ORDER BY id") +
           Query("SELECT id, sub, reglocal FROM detcor ORDER BY id, sub");
  };
  const std::string before = state();
  const Strings commands = {"5173", "5204", "5162"};
  // Cancel: nothing at all.
  DriverRun run = Run({"cancel", "cancel", "cancel"}, commands);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run), Strings{});
  // A file that cannot be opened.
  run = Run({"file " + missing, "file " + missing, "file " + missing}, commands);
  EXPECT_EQ(Boxes(run), Strings(3, Box(0x10, "Impossibile aprire\n\n" + missing)));
  EXPECT_EQ(state(), before);
  // No master row (the program makes it when it opens the database: here another program holds the file's write lock).
  RunSql(db, "DELETE FROM master;");
  {
    const HeldWriteLock writing(db);
    run = Run({"file " + chain, "file " + idreg, "file " + stops}, commands);
  }
  const std::string master = "ATTENZIONE: non è definita l'Azienda di Lavoro !!!";
  Strings boxes = Boxes(run);
  ASSERT_FALSE(boxes.empty());
  EXPECT_TRUE(HasPrefix(boxes[0], "0x10\tErrore aggiornamento tavola (master)"));  // the start-up's
  boxes.erase(boxes.begin());
  EXPECT_EQ(boxes, (Strings{Box(0x10, master),
                            Box(0x10,
                                "Il file proposto presenta un formato illegale, oppure non\n"
                                "contiene neppure una Concatenazione Corse riferibile\n"
                                "all'Azienda di Lavoro !!!"),
                            Box(0x10, master),
                            Box(0x10,
                                "Il file proposto presenta un formato illegale, oppure non\n"
                                "contiene neppure un Flusso di Ritorno riferibile\n"
                                "all'Azienda di Lavoro !!!"),
                            Box(0x10, master + "\n\nL'assegnazione delle fermate normalizzate non risulta possibile."),
                            Box(0x10,
                                "Il file proposto non contiene neppure una Fermata Normalizzata\n"
                                "riferibile all'Azienda di Lavoro !!!")}));
  EXPECT_EQ(state(), before);
}

}  // namespace
