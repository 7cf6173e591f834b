// The working database's path across starts, through the headless driver: a file that does not open, or a damaged
// one, given up, the creation offered over a file already there refused by the creation, paths
// with commas come back whole; the install step, and the warning of a missing settings file that names it; the first
// start's creation of the database, recorded at once, and its failure told in one box with its reason.

#include "app/AppTestSupport.h"
#include "app/TimetableApp.h"
#include "platform/Settings.h"
#include "platform/Ui.h"
#include "refdata/RefData.h"
#include "support/OlviData.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

const std::string kCreateQuestion = U8("0x21\tL'applicazione Quendo non è associata ad un database.");
const std::string kOpenFailure = "0x10\tErrore in fase di apertura del database\\n\\n";

using StartupPath = DriverFiles;

}  // namespace

// A stored file that does not open, for the check before the open or for the open itself: the start says why, offers
// no creation, runs without a database and records none at its exit; the next start offers the creation.
TEST_F(StartupPath, AStoredFileThatDoesNotOpenIsGivenUp) {
  const std::string readOnly = dir.Path("sola-lettura.mdb");
  CopySeededDatabase(readOnly);
  ASSERT_TRUE(QFile::setPermissions(cp1252::ToQString(readOnly), QFile::ReadOwner | QFile::ReadGroup));
  const struct {
    std::string file;
    std::string content;  // written first, unless empty
    std::string reason;
  } cases[] = {
      {dir.Path("sparito.mdb"), "", "Il file non esiste"},  // a folder not mounted yet
      {dir.Path("testo.mdb"), "non un database, solo testo\n", "Il file non è un database valido"},
      {readOnly, "", "Il file è in sola lettura"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    if (!c.content.empty()) WriteFileBytes(c.file, c.content);
    const std::string before = QFile::exists(cp1252::ToQString(c.file)) ? FileBytes(c.file) : "<none>";
    WriteSettings(settings, {"Database=" + c.file, "Directory=" + dir.Dir()});
    DriverRun run = RunDriver(settings, {}, {"5102"});
    ASSERT_EQ(Boxes(run).size(), 2u);
    EXPECT_TRUE(HasPrefix(Boxes(run)[0], kOpenFailure + U8(c.reason))) << Boxes(run)[0];
    EXPECT_TRUE(HasPart(Boxes(run)[1], "\\n\\nDatabase: Nessuno")) << Boxes(run)[1];
    EXPECT_EQ(LastTitle(run), U8(kFullCaption));
    EXPECT_EQ(SettingsValue(settings, "Database"), "");
    EXPECT_TRUE((QFile::exists(cp1252::ToQString(c.file)) ? FileBytes(c.file) : "<none>") == before)
        << "the file changed";
    run = RunDriver(settings, {"cancel"}, {});
    EXPECT_EQ(LinesStartingWith(run.transcript, kCreateQuestion).size(), 1u);
  }
}

// A damaged file, with a page the engine cannot read or cut short, is refused at start-up as "&Connetti" refuses it,
// with the same message; the program goes on without a database and gives the stored path up, leaving the file as
// it was for "&Ripara".
TEST_F(StartupPath, ADamagedFileIsRefusedAsConnectRefusesItAndItsPathGivenUp) {
  const std::string sound = dir.Path("sano.mdb");
  CopySeededDatabase(sound);
  const std::string half = FirstHalfOf(sound);
  for (const char* name : {"pagina.mdb", "troncato.mdb"}) {
    SCOPED_TRACE(name);
    const std::string db = dir.Path(name);
    if (db == dir.Path("pagina.mdb")) {
      CopySeededDatabase(db);
      DamageLeaf(db, "local");
    } else {
      WriteFileBytes(db, half);
    }
    const std::string bytes = FileBytes(db);
    // What "&Connetti" says of the file, with the sound one open.
    WriteSettings(settings, {"Database=" + sound});
    const DriverRun connect = RunDriver(settings, {"file " + db}, {"5104"});
    const std::vector<std::string> refused = Boxes(connect);
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_TRUE(HasPrefix(refused[0], kOpenFailure + U8("Il file del database è danneggiato")));

    WriteSettings(settings, {"Database=" + db});
    const DriverRun start = RunDriver(settings, {}, {});
    EXPECT_EQ(Boxes(start), refused);
    EXPECT_EQ(LastTitle(start), U8(kFullCaption));
    EXPECT_EQ(SettingsValue(settings, "Database"), "");
    EXPECT_TRUE(FileBytes(db) == bytes) << "the damaged file changed";
  }
}

// A clean close is recorded with what tells the file as it was left; the next start trusts only
// that same file and checks any other whole: one damaged in place since, one put in its place, or
// one whose schema was changed in place (an index emptied of its rows, its definition put back)
// with its size, time and inode kept.
TEST_F(StartupPath, AfterACleanCloseOnlyAChangedFileIsCheckedWholeAgain) {
  const std::string db = dir.Path("orari.mdb");
  for (const char* change : {"damaged in place", "another file under its name", "schema changed in place"}) {
    SCOPED_TRACE(change);
    CopySeededDatabase(db);
    RunSql(db, TripHeadSql(1, 0, 700) + OlviStopSql(1, 1, "'F1'", "'Piazza'", "NULL", 0) +
                   OlviStopSql(1, 2, "'F2'", "'Stazione'", "NULL", 800));
    WriteSettings(settings, {"Database=" + db});
    DriverRun run = RunDriver(settings, {}, {});
    EXPECT_TRUE(Boxes(run).empty());
    EXPECT_TRUE(HasPrefix(SettingsValue(settings, settings::kCleanClose), db + "|"));
    run = RunDriver(settings, {}, {});  // unchanged: opened without the whole check, and fine
    EXPECT_TRUE(Boxes(run).empty());
    if (std::string(change) == "damaged in place") {
      DamageLeaf(db, "local");
    } else if (std::string(change) == "schema changed in place") {
      struct stat before {
      }, after{};
      ASSERT_EQ(stat(cp1252::ToUtf8(db).c_str(), &before), 0);
      ASSERT_EQ(ExecOnFile(db, kEmptiedStopIndexSql), "ok");
      const timespec times[2] = {before.st_atim, before.st_mtim};
      ASSERT_EQ(utimensat(AT_FDCWD, cp1252::ToUtf8(db).c_str(), times, 0), 0);
      ASSERT_EQ(stat(cp1252::ToUtf8(db).c_str(), &after), 0);
      ASSERT_TRUE(after.st_size == before.st_size && after.st_ino == before.st_ino &&
                  after.st_mtim.tv_sec == before.st_mtim.tv_sec && after.st_mtim.tv_nsec == before.st_mtim.tv_nsec);
    } else {
      const std::string other = dir.Path("altro.mdb");
      CopySeededDatabase(other);
      DamageLeaf(other, "local");
      QFile::remove(cp1252::ToQString(db));
      QFile::rename(cp1252::ToQString(other), cp1252::ToQString(db));
    }
    run = RunDriver(settings, {}, {});
    ASSERT_EQ(Boxes(run).size(), 1u);
    EXPECT_TRUE(HasPrefix(Boxes(run)[0], kOpenFailure + U8("Il file del database è danneggiato")));
    EXPECT_EQ(SettingsValue(settings, "Database"), "");
    QFile::remove(cp1252::ToQString(db));
  }
}

// With the default database already there the first start still offers the creation: OK is refused by the creation,
// which leaves the file as it was, and the program ends; Cancel starts it without a database. The database moved away
// with its log left beside the name (an import killed) is refused the same way, naming the log.
TEST_F(StartupPath, TheCreationOfferedOverTheDefaultDatabaseAlreadyThere) {
  const std::string data = dir.Path("dati"), existing = data + "/QUENDO.MDB";
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(data)));
  CopySeededDatabase(existing);
  const std::string before = FileBytes(existing),
                    given = Box(0x10,
                                "Non è stato possibile associare un database valido.\n\nNon è pertanto possibile "
                                "procedere oltre !!!\n\n");
  const struct {
    const char* answer;
    std::vector<std::string> boxes;  // after the question
    int exitCode;
    const char* beside = "";  // the file left at the name, or beside it
  } cases[] = {
      {"ok", {Box(0x30, "Errore durante la creazione del database " + existing + "\n\nIl file esiste già"), given}, 1},
      {"cancel", {U8("0x40\tINFORMAZIONI SUL PROGRAMMA")}, 0},
      {"ok",
       {Box(0x30,
            "Errore durante la creazione del database " + existing + "\n\nIl file esiste già:\n" + existing + "-wal"),
        given},
       1,
       "-wal"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    const std::string left = existing + c.beside;
    if (!QFile::exists(cp1252::ToQString(left))) {
      ASSERT_TRUE(QFile::rename(cp1252::ToQString(existing), cp1252::ToQString(left)));
    }
    WriteSettings(settings, {"Database=", "Directory=" + data});
    const DriverRun run = RunDriver(settings, {c.answer}, {"5102"}, c.exitCode);
    const std::vector<std::string> boxes = Boxes(run);
    ASSERT_EQ(boxes.size(), c.boxes.size() + 1);
    EXPECT_TRUE(HasPrefix(boxes[0], kCreateQuestion));
    for (size_t k = 0; k < c.boxes.size(); ++k) EXPECT_TRUE(HasPrefix(boxes[k + 1], c.boxes[k])) << boxes[k + 1];
    EXPECT_EQ(SettingsValue(settings, "Database"), "");
    EXPECT_TRUE(FileBytes(left) == before) << "the default database changed";
    if (c.exitCode == 0) {
      EXPECT_TRUE(HasPart(boxes.back(), "\\n\\nDatabase: Nessuno")) << boxes.back();
    }
  }
}

// A log put beside the name while the database is built (by another program, as the creation reads its first
// reference list) is refused as one found there before the question: the creation names it, the program ends, and
// nothing of the creation is left.
TEST_F(StartupPath, ALogPutBesideTheNameDuringTheCreationEndsTheStartAsOneFoundBefore) {
  const std::string data = dir.Path("dati"), lists = dir.Path("liste"), created = data + "/QUENDO.MDB";
  const QString from = cp1252::ToQString(RefDataFolder()), to = cp1252::ToQString(lists + "/refdata");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(data)) && QDir().mkpath(to));
  for (const QString& name : QDir(from).entryList(QDir::Files))
    ASSERT_TRUE(QFile::copy(from + QLatin1Char('/') + name, to + QLatin1Char('/') + name));
  // The list is made long (comment lines the reading passes over), so that the creation is still reading it when the
  // other program, which waits for the creation's scratch file to appear beside the name, puts its log there.
  const std::string companies = lists + "/refdata/aziende.csv";
  std::string padding;
  for (int k = 0; k < 400000; ++k) padding += "# una riga di commento, che la lettura dell'elenco salta\n";
  WriteFileBytes(companies, padding + FileBytes(companies));
  const ScopedEnv listsFolder("QUENDO_DATA_DIR", lists);
  std::atomic<bool> building{false}, ended{false};
  std::thread other([&] {
    while (!ended && !(building = static_cast<bool>(HasPart(Listing(data), ".QUENDO.MDB."))))
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (building) WriteFileBytes(created + "-wal", "");
  });
  WriteSettings(settings, {"Database=", "Directory=" + data});
  const DriverRun run = RunDriver(settings, {"ok"}, {"5102"}, 1);
  ended = true;
  other.join();
  EXPECT_TRUE(building) << "the log was put there before the creation began";
  const std::vector<std::string> boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_TRUE(HasPrefix(boxes[0], kCreateQuestion));
  EXPECT_EQ(boxes[1], Box(0x30, "Errore durante la creazione del database " + created + "\n\nIl file esiste già:\n" +
                                    created + "-wal"));
  EXPECT_EQ(boxes[2], Box(0x10,
                          "Non è stato possibile associare un database valido.\n\nNon è pertanto possibile "
                          "procedere oltre !!!\n\n"));
  EXPECT_EQ(SettingsValue(settings, "Database"), "");
  EXPECT_EQ(Listing(data), "QUENDO.MDB-wal\n");
}

TEST_F(StartupPath, PathsWithCommasComeBackWhole) {
  const std::string data = dir.Path("Orari, 2024,estate");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(data)));
  const std::string db = data + "/lavoro, copia.mdb";
  CopySeededDatabase(db);
  // Written by hand, as the README invites: no quotes around the values.
  WriteSettings(settings, {"Database=" + db, "Directory=" + data});
  for (int start = 1; start <= 2; ++start) {
    const DriverRun run = RunDriver(settings, {}, {});
    EXPECT_TRUE(LinesStartingWith(run.transcript, "0x").empty()) << run.transcript.back();
    EXPECT_TRUE(HasPrefix(LastTitle(run), "Quendo - Azienda 0 - "));
    // The exit rewrote the file; both values still read whole.
    EXPECT_EQ(SettingsValue(settings, settings::kDatabase), db);
    EXPECT_EQ(SettingsValue(settings, settings::kDirectory), data);
  }
}

// A program killed while it rewrote its settings left Qt's temporary beside them (the file's name, a dot, six
// letters): the next start removes it, and no other file of the folder.
TEST_F(StartupPath, TheTemporaryOfAKilledSettingsWriteGoesAtTheNextStart) {
  const std::string conf = dir.Path("conf"), own = conf + "/quendo.ini";
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(conf)));
  CopySeededDatabase(dir.Path("QUENDO.MDB"));
  WriteSettings(own, {"Database=" + dir.Path("QUENDO.MDB")});
  for (const char* name : {"quendo.ini.SEEJKj", "quendo.ini.backup", "quendo.ini.BACKUP", "quendo.ini.backup2",
                           "quendo.ini.bak1xy", "altro.ini.SEEJKj", "quendoXini.SEEJKj"})
    WriteFileBytes(conf + "/" + name, "[1.00]\n");
  const DriverRun run = RunDriver(own, {}, {});
  EXPECT_TRUE(Boxes(run).empty()) << Boxes(run)[0];
  EXPECT_EQ(
      Listing(conf),
      "altro.ini.SEEJKj\nquendo.ini\nquendo.ini.BACKUP\nquendo.ini.backup\nquendo.ini.backup2\nquendo.ini.bak1xy\n"
      "quendoXini.SEEJKj\n");
}

TEST_F(StartupPath, MissingSettingsFileNamesTheFileAndTheInstallStep) {
  const DriverRun run = RunDriver(dir.Path("conf/quendo.ini"), {"cancel"}, {});
  const auto grave = LinesStartingWith(run.transcript, U8("0x10\tATTENZIONE: è stata riscontrata una anomalia grave"));
  ASSERT_EQ(grave.size(), 1u);
  EXPECT_TRUE(HasPart(grave[0], "quendo --install"));  // the file itself: DriverTest
  for (const char* windowsOnly : {"Setup", "Windows", "registro"})
    EXPECT_EQ(grave[0].find(windowsOnly), std::string::npos) << windowsOnly;
}

// `quendo --install DIR` records the data folder, where the first start then creates the database.
TEST(Install, RecordsTheDataFolderForTheFirstDatabase) {
  ScratchDir dir;
  const std::string settings = dir.Path("conf/quendo.ini"), data = dir.Path("i miei dati");
  const ScopedEnv file(settings::kEnvironmentVariable, settings);  // RunDriver names its own
  QProcess p;
  p.start(QStringLiteral(QUENDO_BIN), {QStringLiteral("--install"), cp1252::ToQString(data)});
  ASSERT_TRUE(p.waitForFinished(30000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(SettingsValue(settings, "Directory"), data);
  const DriverRun run = RunDriver(settings, {"ok"}, {});
  EXPECT_EQ(SettingsValue(settings, "Database"), data + "/QUENDO.MDB");
  EXPECT_TRUE(QFile::exists(cp1252::ToQString(data + "/QUENDO.MDB")));
}

// The first start creates the default database; a program ended while the success box is still up (a SIGTERM at
// log-out) has recorded it already, and the next start works on it.
TEST_F(StartupPath, TheDatabaseCreatedAtTheFirstStartOutlivesAKill) {
  const std::string created = dir.Path("QUENDO.MDB");
  WriteSettings(settings, {"Directory=" + dir.Dir()});
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    qputenv(settings::kEnvironmentVariable, QByteArray::fromStdString(settings));
    // The real boxes, answered as the user would: OK to the offered creation, and the program
    // killed while it says that the database was created.
    ui::ShowWindowsOffscreen(true);
    QTimer user;
    QObject::connect(&user, &QTimer::timeout, [&created] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      if (box->text().startsWith(QStringLiteral("L'applicazione Quendo"))) return box->button(QMessageBox::Ok)->click();
      if (box->text().contains(QStringLiteral("creato con successo")) && QFile::exists(cp1252::ToQString(created)))
        ::raise(SIGTERM);
      ::_exit(2);  // any other box
    });
    user.start(10);
    TimetableApp app;
    app.InitInstance(false);
    ::_exit(1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "no success box for the new database";
  EXPECT_EQ(SettingsValue(settings, settings::kDatabase), created);
  const DriverRun next = RunDriver(settings, {}, {});
  EXPECT_TRUE(Boxes(next).empty()) << Boxes(next)[0];
  EXPECT_TRUE(HasPrefix(LastTitle(next), "Quendo - Azienda 0 - "));
}

// A creation at the first start that fails says so in one box, with its reason: the file that cannot be made (the
// program then ends), or a reference list that cannot be read (it starts without a database).
TEST_F(StartupPath, AFailedCreationIsOneBoxWithItsReason) {
  const std::string noFolder = dir.Path("manca"), noLists = dir.Path("vuota");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(noLists)));
  const struct {
    std::string folder;  // of the data
    std::string listsFolder;
    std::string reason;
    int exitCode;
  } cases[] = {
      {noFolder, "", "", 1},
      {dir.Dir(), noLists, "Errore lettura dati di riferimento\\n\\nFile \"" + noLists + "/refdata/aziende.csv\"", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.folder);
    std::unique_ptr<ScopedEnv> lists;
    if (!c.listsFolder.empty()) lists = std::make_unique<ScopedEnv>("QUENDO_DATA_DIR", c.listsFolder);
    WriteSettings(settings, {"Directory=" + c.folder});
    const DriverRun run = RunDriver(settings, {"ok"}, {}, c.exitCode);
    const std::string failed = Box(0x30, "Errore durante la creazione del database " + c.folder + "/QUENDO.MDB\n\n");
    const auto told = LinesStartingWith(run.transcript, "0x30\t");
    ASSERT_EQ(told.size(), 1u);
    ASSERT_TRUE(HasPrefix(told[0], failed)) << told[0];
    EXPECT_GT(told[0].size(), failed.size()) << "no reason";
    EXPECT_TRUE(HasPrefix(told[0].substr(failed.size()), U8(c.reason))) << told[0];
    EXPECT_EQ(SettingsValue(settings, settings::kDatabase), "");
    EXPECT_FALSE(QFile::exists(cp1252::ToQString(c.folder + "/QUENDO.MDB")));
  }
}
