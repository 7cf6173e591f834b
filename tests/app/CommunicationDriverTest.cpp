// "&Esportazione dati (VUR-TXT v2)" run in the real program through the headless driver: dialog
// 148 by its control ids, the files chosen in the save dialogs, the questions answered ok or
// cancel; the files compared with the hand-made ones.

#include "app/AppTestSupport.h"
#include "app/ProgramTestSupport.h"
#include "app/commands/CommunicationCommand.h"
#include "exchange/communication/BaseReader.h"
#include "platform/FileDialog.h"
#include "support/CommunicationData.h"

#include <QFileDialog>

namespace {

const std::string kSuccess =
    "La generazione della Prima Comunicazione in formato VUR-TXT v2\nè terminata con successo.\n\n"
    "Il file della Comunicazione può essere inoltrato all'Osservatorio Trasporti.";

class CommunicationDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeCommunicationDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  DriverRun Run(const std::vector<std::string>& answers, int exitCode = 0) {
    return RunDriver(settings, answers, {"5170"}, exitCode);
  }
  std::vector<std::string> FirstUpTo(const std::vector<std::string>& more) {
    std::vector<std::string> a = {"dialog 148", "  1175=1", "  1177=0", "ok"};
    a.insert(a.end(), more.begin(), more.end());
    return a;
  }
  const std::string db = dir.Path("orari.mdb");
  const std::string comm = dir.Path("RT2_17_1.TXT"), base = dir.Path("RT2_17_1_BASE.TXT"),
                    idreg = dir.Path("RT_IDREG.TXT"), fmreg = dir.Path("RT_FMREG.TXT");
};

TEST_F(CommunicationDriver, FirstCommunicationWritesTheFourFiles) {
  const DriverRun run = Run(FirstUpTo({"file " + comm, "file " + base, "file " + idreg, "file " + fmreg}));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(FileBytes(comm), ExpectedCommunicationFile("RT2_17_1.TXT"));
  EXPECT_EQ(FileBytes(base), ExpectedCommunicationFile("RT2_17_1_BASE.TXT"));
  EXPECT_EQ(FileBytes(idreg), ExpectedCommunicationFile("RT_IDREG.TXT"));
  EXPECT_EQ(FileBytes(fmreg), "");
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"),
            std::vector<std::string>{"DIALOG\t148\tEsportazione Dati in Formato VUR-TXT v2"});
  const std::vector<std::string> files = LinesStartingWith(run.transcript, "FILE");
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0].substr(0, 55), "FILE\tEsportazione Comunicazione VUR-TXT v2\tRT2_17_1\tFil");
  EXPECT_EQ(files[1].substr(0, 54), "FILE\tEsportazione Base Dati VUR-TXT v2\tRT2_17_1_BASE\tF");
  const std::vector<std::string> boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], Box(0x40, kSuccess));
  // The next one is incremental, from that base.
  const std::string comm2 = dir.Path("RT2_17_2.TXT"), base2 = dir.Path("RT2_17_2_BASE.TXT");
  const DriverRun next = Run({"dialog 148", "  1177=0", "file " + base, "file " + comm2, "file " + base2,
                              "file " + dir.Path("ID2.TXT"), "file " + dir.Path("FM2.TXT")});
  EXPECT_EQ(next.exitCode, 0) << next.err;
  EXPECT_EQ(vurtxt_check::Lines(FileBytes(comm2))[1].substr(0, 10), "N\tB\tS\t17\t2");
  EXPECT_EQ(vurtxt_check::Faults(FileBytes(base2), true), "");
}

TEST_F(CommunicationDriver, WaysOutThatWriteLess) {
  WriteFileBytes(dir.Path("file"), "x");
  const std::string unwritable = dir.Path("file") + "/RT2.TXT";
  struct Case {
    std::vector<std::string> answers;
    std::string listing;
    size_t boxes;
  };
  const Case cases[] = {
      // Cancel at the first-communication question: nothing.
      {{"dialog 148", "  1175=1", "cancel"}, "", 1},
      {{"dialog 148 cancel"}, "", 0},
      // Base declined, then Cancel: the communication stays, no base, no flows, no success.
      {FirstUpTo({"file " + comm, "cancel", "cancel"}), "RT2_17_1.TXT\n", 2},
      // Declined once, then saved on the second offer.
      {FirstUpTo({"file " + comm, "cancel", "ok", "file " + base, "cancel", "cancel"}),
       "RT2_17_1.TXT\nRT2_17_1_BASE.TXT\n", 4},
      // An unwritable folder: the message once the files are chosen, nothing partial.
      {FirstUpTo({"file " + unwritable, "cancel", "cancel"}), "", 3},
      // The communication's file chosen again for the base: refused, and the dialog offered again.
      {FirstUpTo({"file " + comm, "file " + comm, "file " + base, "cancel", "cancel"}),
       "RT2_17_1.TXT\nRT2_17_1_BASE.TXT\n", 4},
      // No base chosen for an incremental communication.
      {{"dialog 148", "  1177=0", "cancel"}, "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answers.back());
    for (const std::string& f : {comm, base}) std::remove(f.c_str());
    const DriverRun run = Run(c.answers);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Listing(dir.Dir()), c.listing + "file\norari.mdb\nquendo.ini\n");
    EXPECT_EQ(Boxes(run).size(), c.boxes);
  }
}

TEST_F(CommunicationDriver, RefusalsWithTheirBoxes) {
  // A blocking error: the message, OK writes the ERR_ report, no RT2 file.
  RunSql(db, "UPDATE tescor SET mezzo = NULL WHERE id = 1;");
  const std::string err = dir.Path("ERR.TXT");
  DriverRun run = Run({"ok", "file " + err});
  ASSERT_EQ(Boxes(run).size(), 1u);
  EXPECT_EQ(Boxes(run)[0].substr(0, 20), "0x11\tL'esportazione ");
  EXPECT_NE(FileBytes(err).find("ID=1 "), std::string::npos) << FileBytes(err);
  EXPECT_EQ(Listing(dir.Dir()), "ERR.TXT\norari.mdb\nquendo.ini\n");
  RunSql(db, "UPDATE tescor SET mezzo = 'X';");
  // A stop name with a character the code page lacks: the refusal, no file.
  RunSql(db, "UPDATE detcor SET denom = 'Bivio Oliv' || char(0x159) || 'la' WHERE id = 4 AND sub = 2;");
  run = Run(FirstUpTo({}));
  ASSERT_EQ(Boxes(run).size(), 2u);
  EXPECT_EQ(Boxes(run)[1].substr(0, 36), "0x10\tATTENZIONE: corsa 4, fermata 2:");
  EXPECT_EQ(Listing(dir.Dir()), "ERR.TXT\norari.mdb\nquendo.ini\n");
  // The same for a text stored as bytes, and a text in a number column: named, not "Impossibile creare". The check
  // reads the stop's name, and stops at it before the dialog.
  const std::string optional = QueryFile(db, "SELECT facolt FROM detcor WHERE id = 4 AND sub = 2");
  const struct {
    const char *sql, *value;
    std::vector<std::string> answers;
    std::string row;
  } kinds[] = {{"UPDATE detcor SET denom = X'436974E0' WHERE id = 4 AND sub = 2;",
                "vale X'436974E0',",
                {},
                "0x10\tATTENZIONE: fermata 2 della corsa 4:"},
               {"UPDATE detcor SET denom = 'Bivio Olivola', facolt = 'abc' WHERE id = 4 AND sub = 2;", "vale 'abc',",
                FirstUpTo({}), "0x10\tATTENZIONE: corsa 4, fermata 2:"}};
  for (const auto& k : kinds) {
    RunSql(db, k.sql);
    RecordCleanClose(settings, db);
    run = Run(k.answers);
    ASSERT_EQ(Boxes(run).size(), k.answers.empty() ? 1u : 2u);
    EXPECT_EQ(Boxes(run).back().substr(0, k.row.size()), k.row);
    EXPECT_NE(Boxes(run).back().find(k.value), std::string::npos) << Boxes(run).back();
    EXPECT_EQ(Listing(dir.Dir()), "ERR.TXT\norari.mdb\nquendo.ini\n");
  }
  RunSql(db, "UPDATE detcor SET facolt = " + optional.substr(0, optional.find('\n')) + " WHERE id = 4 AND sub = 2;");
  // A value the check cannot read as its kind: its one box before the dialog, no generic box, no list of findings.
  RunSql(db, "UPDATE tescor SET ct_lung = 'abc' WHERE id = 1;");
  RecordCleanClose(settings, db);
  run = Run({});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{
                            Box(0x10,
                                "ATTENZIONE: corsa 1:\nil campo ct_lung (Lunghezza contrattuale) vale 'abc',\nche è un "
                                "testo e non un numero intero come richiede la sua colonna.\n\nNessun file è stato "
                                "scritto: correggere il dato prima di esportare.")});
  EXPECT_TRUE(LinesStartingWith(run.transcript, "DIALOG").empty());
  EXPECT_EQ(Listing(dir.Dir()), "ERR.TXT\norari.mdb\nquendo.ini\n");
  RunSql(db, "UPDATE tescor SET ct_lung = 5000 WHERE id = 1;");
  // A communication offered as base: three stop boxes.
  Run(FirstUpTo({"file " + comm, "file " + base, "cancel", "cancel"}));
  run = Run({"dialog 148", "  1177=0", "file " + comm});
  EXPECT_EQ(Boxes(run),
            (std::vector<std::string>{Box(0x10, "Il file proposto non è una Base Dati Orari di riferimento !!!"),
                                      Box(0x10, kCorruptBaseText), Box(0x10, kNoBaseText)}));
}

TEST_F(CommunicationDriver, WithoutMasterRowTheStandIns) {
  // The program makes the row when it opens the database: here another program holds the
  // file's write lock.
  RunSql(db, "DELETE FROM master;");
  const HeldWriteLock writing(db);
  const DriverRun run = Run(FirstUpTo({"file " + comm, "cancel", "cancel"}));
  EXPECT_EQ(vurtxt_check::Lines(FileBytes(comm))[1], "S\tB\tS\t0\t1\t01/01/1901\t01/01/1901\t31/12/2099\tAnonimo");
}

// In the program itself: another program clears a trip's mode while a dialog waits. The files
// carry the database as the check passed it, never a mode the check did not see.
struct CommunicationOnTheFrame : ProgramTest {
  void SetUp() override {
    db_ = dir_.Path("orari.mdb");
    MakeCommunicationDatabase(db_);
    StartProgram(false, {"Directory=" + dir_.Dir()});
    script_.Clear();
  }
  void TearDown() override {
    ProgramTest::TearDown();
    ui::FileDialog::SetShownRunner({});
  }
};

TEST_F(CommunicationOnTheFrame, ATripChangedWhileADialogWaitsIsWrittenAsChecked) {
  const std::string comm = dir_.Path("RT2_17_1.TXT");
  std::vector<std::string> chosen = {dir_.Path("RT_FMREG.TXT"), dir_.Path("RT_IDREG.TXT"),
                                     dir_.Path("RT2_17_1_BASE.TXT"), comm};
  bool cleared = false;
  ui::FileDialog::SetShownRunner([&](QFileDialog& dialog) {
    if (dialog.windowTitle() == QStringLiteral("Recupero Georeferenziazione Fermate")) {
      cleared = ExecOnFile(db_, "UPDATE tescor SET mezzo = NULL WHERE id = 1") == "ok";
      return int(QDialog::Rejected);
    }
    dialog.selectFile(cp1252::ToQString(chosen.back()));
    chosen.pop_back();
    return int(QDialog::Accepted);
  });
  script_.Push({ui::Answer::Kind::Dialog, "148", {{"1175", "1"}}}).Ok();
  GenerateCommunicationV2(*frame_);
  EXPECT_TRUE(cleared);
  EXPECT_EQ(FileBytes(comm), ExpectedCommunicationFile("RT2_17_1.TXT"));
  EXPECT_EQ(Boxes(script_.Transcript()).back(), Box(0x40, kSuccess));
}

}  // namespace
