// The program started through the headless driver, with settings and databases of the test's own.

#include "app/AppTestSupport.h"
#include "app/CommandTable.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QFile>
#include <regex>
#include <set>
#include <sstream>
#include <thread>

namespace {

const std::string kCreateQuestion = U8("0x21\tL'applicazione Quendo non è associata ad un database.");
const std::string kGrave = U8("0x10\tATTENZIONE: è stata riscontrata una anomalia grave\\nche rende impossibile");

// The ids of the commands the --menu tree lists as enabled.
std::set<int> EnabledCommands(const DriverRun& run) {
  static const std::regex kRow(R"(^ *(\d{4})\t[^\t]*\t(enabled|disabled)$)");
  std::set<int> enabled;
  std::istringstream tree(run.out);
  std::smatch m;
  for (std::string line; std::getline(tree, line);)
    if (std::regex_match(line, m, kRow) && m[2] == "enabled") enabled.insert(std::stoi(m[1]));
  return enabled;
}

const std::set<int> kDatabaseCommands = {5101, 5102, 5103, 5104, 5105, 5106, 5107};

class Driver : public DriverFiles {
 protected:
  // Writes the settings, then runs the driver, which must end with the exit code.
  DriverRun Run(const std::vector<std::string>& settingsLines, const std::vector<std::string>& answers,
                const std::vector<std::string>& arguments, int exitCode = 0) {
    WriteSettings(settings, settingsLines);
    return RunDriver(settings, answers, arguments, exitCode);
  }
};

TEST_F(Driver, MissingSettingsFileWarnsThenAsks) {
  const std::string absent = dir.Path("absent.ini");
  const DriverRun run = RunDriver(absent, {"cancel"}, {});
  ASSERT_GE(run.transcript.size(), 4u);
  EXPECT_TRUE(HasPrefix(run.transcript[2], kGrave));
  EXPECT_TRUE(HasPart(run.transcript[2], U8("Ipotesi B) Il file delle impostazioni\\n           " + absent)));
  EXPECT_TRUE(HasPrefix(run.transcript[3], kCreateQuestion));
  // Leaving writes the (empty) path, which creates the file.
  EXPECT_EQ(SettingsValue(absent, "Database"), "");
}

TEST_F(Driver, CancelledCreationRunsWithoutDatabase) {
  const DriverRun run = Run({"Database=", "Directory=" + dir.Dir()}, {"cancel"}, {"--menu", "5102"});
  EXPECT_EQ(LinesStartingWith(run.transcript, kCreateQuestion).size(), 1u);
  EXPECT_EQ(LastTitle(run), kFullCaption);
  EXPECT_EQ(EnabledCommands(run), kDatabaseCommands);
  const auto about = LinesStartingWith(run.transcript, "0x40\tINFORMAZIONI SUL PROGRAMMA\\n\\n");
  ASSERT_EQ(about.size(), 1u);
  EXPECT_TRUE(HasPart(about[0], "\\n\\nDatabase: Nessuno"));
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(dir.Path("QUENDO.MDB"))));
  EXPECT_EQ(SettingsValue(settings, "Database"), "");
}

TEST_F(Driver, DisabledCommandIsRefused) {
  const DriverRun run = Run({"Database=", "Directory=" + dir.Dir()}, {"cancel"}, {"5110", "5102"}, 4);
  EXPECT_TRUE(HasPart(run.err, "5110"));
  // Nothing after the refused command ran; the path was still saved.
  EXPECT_TRUE(LinesStartingWith(run.transcript, "0x40\tINFORMAZIONI").empty());
  EXPECT_EQ(SettingsValue(settings, "Database"), "");
}

TEST_F(Driver, AcceptedCreationMakesAndOpensTheDefaultDatabase) {
  const std::string data = dir.Path("dati");
  QDir().mkpath(cp1252::ToQString(data));
  const DriverRun run = Run({"Database=", "Directory=" + data}, {"ok"}, {"--menu"});
  const std::string path = data + "/QUENDO.MDB";
  EXPECT_EQ(QueryFile(path, "SELECT codice, azienda, datini, datfin, id_corsa, gruppo, protoc FROM master"),
            "0|0|1900-01-01|2099-12-31|0|0|NULL\n");
  EXPECT_EQ(LastTitle(run),
            U8("Quendo - Azienda 0 - *** azienda non assegnata *** [periodo dal 01/01/1900 al 31/12/2099]"));
  EXPECT_EQ(LinesStartingWith(run.transcript, "0x40\tIl database " + path).size(), 1u);
  EXPECT_EQ(EnabledCommands(run).size(), 87u);
  EXPECT_EQ(SettingsValue(settings, "Database"), path);
}

TEST_F(Driver, MissingDatabaseFileIsKept) {
  const DriverRun run = Run({"Database=" + dir.Path("sparito.mdb"), "Directory=" + dir.Dir()}, {}, {"--menu"});
  const auto engine = LinesStartingWith(run.transcript, "0x10\tErrore in fase di apertura del database\\n\\n");
  ASSERT_EQ(engine.size(), 1u);
  EXPECT_TRUE(HasPart(engine[0], "sparito.mdb"));
  EXPECT_EQ(EnabledCommands(run), kDatabaseCommands);
  // No creation offer, and the stored path kept: StartupPathTest.
}

TEST_F(Driver, ExistingDatabaseGetsItsMasterRowAndTitle) {
  const std::string db = dir.Path("lavoro.mdb");
  MakeDatabase(db, std::string(kShellSchema) + "INSERT INTO regazi VALUES (7, 'Trasporti Rossi     ');");
  DriverRun run = Run({"Database=" + db}, {}, {"5102"});
  EXPECT_EQ(QueryFile(db, "SELECT codice, azienda, datini, datfin, id_corsa, gruppo FROM master"),
            "0|0|1900-01-01|2099-12-31|0|0\n");
  EXPECT_EQ(LastTitle(run), "Quendo - Azienda 0 - Azienda non definita [periodo dal 01/01/1900 al 31/12/2099]");
  const auto about = LinesStartingWith(run.transcript, "0x40\tINFORMAZIONI SUL PROGRAMMA");
  ASSERT_EQ(about.size(), 1u);
  EXPECT_TRUE(HasPart(about[0], "\\n\\nDatabase: " + db + " (SQLite 3."));

  // A company of regazi: its name without the padding, and the row's own period.
  ASSERT_EQ(ExecOnFile(db, "UPDATE master SET azienda = 7, datini = '2025-06-01', datfin = '2026-05-31'"), "ok");
  run = RunDriver(settings, {}, {});
  EXPECT_EQ(LastTitle(run), "Quendo - Azienda 7 - Trasporti Rossi [periodo dal 01/06/2025 al 31/05/2026]");
  EXPECT_EQ(QueryFile(db, "SELECT count(*) FROM master"), "1\n");
}

// A file without the dictionary, of the other timetable tables and one of its own, and a timetable database whose
// master table was dropped (its dictionary still names it): each opens, and start-up tells that the master is missing.
TEST_F(Driver, DatabaseWithoutMasterTableStaysOpen) {
  for (const bool timetable : {false, true}) {
    SCOPED_TRACE(timetable ? "timetable" : "other tables");
    const std::string db = dir.Path(timetable ? "orari.mdb" : "senza.mdb");
    if (timetable) {
      MakeTimetableDatabase(db);
      RunSql(db, "DROP TABLE master");
    } else {
      MakeDatabase(db, BuilderTimetableTables() + "DROP TABLE master; CREATE TABLE altro (x INT);");
    }
    const DriverRun run = Run({"Database=" + db}, {}, {"--menu"});
    EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\tAttenzione; non esiste il MASTER").size(), 1u);
    EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\tErrore in fase di apertura del database").size(), 0u);
    EXPECT_EQ(LastTitle(run), kFullCaption);
    EXPECT_EQ(EnabledCommands(run).size(), 87u);  // the database is open
  }
}

// The driver shows its window with its updates off: nothing of it is painted, neither while the
// database is checked and opened at the start (the window thread's loop running meanwhile), nor
// while a report is shown in it and printed, nor at the end.
TEST_F(Driver, TheWindowIsNeverPainted) {
  const std::string db = dir.Path("orari.mdb");
  MakeTimetableDatabase(db);
  RunSql(db, "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');");
  const DriverRun run =
      Run({"Database=" + db, "Directory=" + dir.Dir()},
          {"dialog 123", "  1078=1", "  1080=1", "printer " + dir.Path("stampa.pdf")}, {"--menu", "5133", "5102"});
  EXPECT_EQ(LinesStartingWith(run.transcript, "PRINT\t").size(), 1u);
  EXPECT_FALSE(HasPart(run.err, "dipinta")) << run.err;
}

TEST_F(Driver, UnansweredQuestionEndsTheRun) {
  const DriverRun run = Run({"Database="}, {}, {"5102"}, 3);
  EXPECT_TRUE(HasPart(run.err, U8("Intendi procedere alla creazione di un nuovo database ?")));
}

TEST_F(Driver, ExitCommandAsksAndStopsOnlyWhenConfirmed) {
  const std::string exitQuestion =
      U8("0x21\tE' stata richiesta l'uscita da Quendo.\\n\\nIntendi veramente uscire dal programma ?");
  // Not confirmed: the next command runs; confirmed: nothing after it.
  for (const auto& [answer, abouts] : {std::pair{"cancel", 1u}, {"ok", 0u}}) {
    const DriverRun run = Run({"Database="}, {"cancel", answer}, {"5101", "5102"});
    EXPECT_EQ(LinesStartingWith(run.transcript, exitQuestion).size(), 1u);
    EXPECT_EQ(LinesStartingWith(run.transcript, "0x40\tINFORMAZIONI").size(), abouts) << answer;
  }
}

TEST_F(Driver, BadArgumentsAndAnswersAreRefused) {
  // A database with a trip head alone, whose error list prints a page; a later --settings is the one taken.
  const std::string printing = dir.Path("stampa.ini"), db = dir.Path("orari.mdb");
  MakeTimetableDatabase(db);
  RunSql(db, TripHeadSql(1, 0, 800));
  WriteSettings(printing, {"Database=" + db});
  const std::string pipe = dir.Path("impostazioni.ini");
  MakePipe(pipe);
  const PipeWatchdog watchdog({pipe});
  const struct {
    std::vector<std::string> answers;
    std::vector<std::string> arguments;
    int exitCode;
    std::string error;
  } cases[] = {
      {{"cancel"}, {"9999"}, 2, "9999"},
      {{"cancel"}, {"--now", "2025-02-30 10:00"}, 2, ""},
      {{"cancel"}, {"--now", "2025-02-28 10:00", "5102"}, 0, ""},
      {{"cancel"}, {"--transcript", "/dev/full"}, 2, "quendo-run: impossibile scrivere /dev/full\n"},
      {{"dialog 130", "  1117=1", "printer " + dir.Path("errori.pdf")},
       {"--settings", printing, "--page-dump", "/dev/full", "5137"},
       2,
       "quendo-run: impossibile scrivere /dev/full\n"},
      {{"cancel"}, {"--settings", dir.Dir()}, 2, "quendo-run: impossibile scrivere " + dir.Dir() + "\n"},
      // A pipe is refused as the settings file, never opened: it would not be a file after the write.
      {{"cancel"}, {"--settings", pipe}, 2, "quendo-run: impossibile scrivere " + pipe + "\n"},
      {{"forse"}, {}, 2, "riga 1"},
      {{"fille /tmp/Località/orari.mdb"},
       {},
       2,
       U8("riga 1: risposta non riconosciuta: fille /tmp/Località/orari.mdb\n")},
  };
  for (const auto& c : cases) EXPECT_TRUE(HasPart(Run({"Database="}, c.answers, c.arguments, c.exitCode).err, c.error));
  struct stat st;
  EXPECT_TRUE(::lstat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode)) << "the pipe is still there";
}

// A database whose error list prints one page, and the answers that print it.
struct PrintedPage {
  std::vector<std::string> answers;
  explicit PrintedPage(const ScratchDir& dir, const std::string& settings) {
    const std::string db = dir.Path("orari.mdb");
    MakeTimetableDatabase(db);
    RunSql(db, TripHeadSql(1, 0, 800));
    WriteSettings(settings, {"Database=" + db});
    answers = {"dialog 130", "  1117=1", "printer " + dir.Path("errori.pdf")};
  }
};

// The page dump into a pipe whose reader opened it once, before the run, and reads to its end (as `cat` would): every
// page comes through in one stream and the run ends. A dump opened anew for a page would find that reader gone and wait
// for another until the run is stopped.
TEST_F(Driver, APageDumpIntoAPipeIsOneStream) {
  const PrintedPage page(dir, settings);
  const std::string pipe = dir.Path("pagine");
  MakePipe(pipe);
  std::string read;
  std::thread reader([&] {
    if (const int fd = ::open(pipe.c_str(), O_RDONLY); fd >= 0) {
      char block[4096];
      for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) read.append(block, static_cast<size_t>(n));
      ::close(fd);
    }
  });
  RunDriver(settings, page.answers, {"--page-dump", pipe, "5137"});
  // A reader still waiting for the dump to be opened is let go.
  if (const int fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK); fd >= 0) ::close(fd);
  reader.join();
  EXPECT_TRUE(HasPrefix(read, "=== stampa pagina 1 di 1\n"));
}

// The page dump's name is taken as given, a character Windows-1252 lacks included: the pages go under that name, or
// the run is refused naming it, and nothing is ever written under the name with those characters as '?'.
TEST_F(Driver, APageDumpKeepsItsNameAsGiven) {
  const PrintedPage page(dir, settings);
  const QString folder = cp1252::ToQString(dir.Dir()) + QString::fromUtf16(u"/\u0141\u00F3d\u017A"),
                dump = folder + QStringLiteral("/pagine.txt");
  const std::string lossy = dir.Path(
      "?\xF3"
      "d?");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(lossy)));
  DriverRun run =
      RunDriverWith(settings, page.answers, {QStringLiteral("--page-dump"), dump, QStringLiteral("5137")}, 2);
  EXPECT_TRUE(HasPart(run.err, "quendo-run: impossibile scrivere " + dump.toStdString() + "\n"));
  EXPECT_EQ(Listing(lossy), "");
  EXPECT_FALSE(QFile::exists(dump));
  ASSERT_TRUE(QDir().mkpath(folder));
  run = RunDriverWith(settings, page.answers, {QStringLiteral("--page-dump"), dump, QStringLiteral("5137")});
  QFile pages(dump);
  ASSERT_TRUE(pages.open(QIODevice::ReadOnly));
  EXPECT_TRUE(HasPrefix(pages.readAll().toStdString(), "=== stampa pagina 1 di 1\n"));
  EXPECT_EQ(Listing(lossy), "");
}

// A settings file the disk does not take whole ends the run with 2, naming it. With room for part of its text (here the
// size the run may write, 8 KiB, the text being 12 KiB), Qt's writer takes the cut write for a whole one: the file is
// found cut in its last line. On a full disk (a small memory file system of the test's own, where it may mount one),
// the writer refuses it, and the file keeps its text as it was.
TEST_F(Driver, ASettingsFileTheDiskDoesNotTakeWholeIsNamed) {
  WriteSettings(settings, {"Database=", "Nota=" + std::string(12000, 'x')});
  DriverRun run = RunDriver(settings, {"cancel"}, {}, 2, 8192);
  EXPECT_TRUE(HasPart(run.err, "quendo-run: impossibile scrivere " + settings + "\n"));

  const std::string small = dir.Path("piccolo"), full = small + "/quendo.ini";
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(small)));
  if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
      ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=8k") != 0)
    GTEST_SKIP() << "a file system cannot be mounted here";
  WriteSettings(full, {"Database=", "Nota=prima"});
  const std::string before = FileBytes(full);
  // The rest of its room taken.
  if (const int fd = ::open((small + "/pieno").c_str(), O_WRONLY | O_CREAT, 0600); fd >= 0) {
    const std::string block(512, 'x');
    while (::write(fd, block.data(), block.size()) > 0) {
    }
    ::close(fd);
  }
  run = RunDriver(full, {"cancel"}, {}, 2);
  const std::string after = FileBytes(full);
  ::umount(small.c_str());
  EXPECT_TRUE(HasPart(run.err, "quendo-run: impossibile scrivere " + full + "\n"));
  EXPECT_EQ(after, before);
}

TEST_F(Driver, MenuLabelsKeepTheirExactWording) {
  const DriverRun run = Run({"Database="}, {"cancel"}, {"--menu"});
  EXPECT_TRUE(HasPart(run.out, U8("    5161\t&Assegnazione  Località\tdisabled\n")));
  // Popups in order, then the two items of the bar.
  const size_t d = run.out.find("&Database\n"), a = run.out.find("\n&Archivi\n"), s = run.out.find("\n&Stampe\n"),
               u = run.out.find(U8("\n&Utilità\n")), f = run.out.find("\n5101\t&Fine\tenabled\n"),
               q = run.out.find("\n5102\t&?\tenabled\n");
  EXPECT_EQ(d, 0u);
  EXPECT_TRUE(d < a && a < s && s < u && u < f && f < q && q != std::string::npos) << run.out;
}

// What the driver prints is UTF-8 throughout, the program's own texts included.
using DriverText = DriverFiles;
TEST_F(DriverText, AnUnfitAnswerIsReportedInUtf8) {
  WriteSettings(settings, {"Database="});
  // The start-up asks whether to create a database; a file is no answer to that.
  const DriverRun run = RunDriver(settings, {"file " + dir.Path("x.mdb")}, {}, 3);
  EXPECT_TRUE(HasPart(run.err, U8("La risposta successiva non è OK/Annulla per la domanda: L'applicazione Quendo non "
                                  "è associata ad un database.\\n")));
  std::string asRead;
  EXPECT_TRUE(cp1252::FromUtf8(run.err, asRead)) << "not UTF-8: " << run.err;
}

}  // namespace
