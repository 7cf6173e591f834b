// Exports killed for real, and what the program does about them: the start-up puts in order each
// folder noted in the settings and says what it did; the export command puts its folder in order
// first and tells it before its result; the notes themselves, read back whole.

#include "app/AppTestSupport.h"
#include "app/commands/InterruptedExports.h"
#include "platform/Settings.h"
#include "support/ExchangeData.h"
#include "support/KilledExport.h"

#include <QDir>

namespace {

using Strings = std::vector<std::string>;

// The folder's listing and every file of the set in it.
std::string SetIn(const std::string& folder) { return Listing(folder) + SetFiles(folder); }

// A database with the hand-made set; folders holding a previous export ("old <name>" files),
// killed in the middle of a new one or not; the files of a whole export of the database.
struct Interrupted : DriverFiles {
  const std::string db = dir.Path("orari.mdb");
  std::string oldSet, newSet;
  Strings steps;

  void SetUp() override {
    MakeImportedDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    const std::string whole = Folder("intera", false);
    steps = StepsOf(PlainExport(db, whole));
    newSet = SetIn(whole);
    oldSet = SetIn(Folder("vecchia", true));
  }
  // A folder of the scratch folder, with the previous export's files or empty.
  std::string Folder(const std::string& name, bool previous) const {
    const std::string folder = dir.Path(name);
    EXPECT_TRUE(QDir().mkpath(cp1252::ToQString(folder)));
    if (previous)
      for (const std::string& n : kExportSet) WriteLines(folder + "/" + n, {"old " + n});
    return folder;
  }
  FolderWatch Watch() const { return SettingsFolderWatch(settings); }
  // A folder with a previous export, and a new one killed there right after `done` (noted as the
  // command notes it).
  std::string KilledAfter(const std::string& name, const std::string& done) const {
    const std::string folder = Folder(name, true);
    const int step = StepNumber(steps, done);
    EXPECT_GT(step, 0) << done;
    EXPECT_TRUE(KilledAfterStep(step, PlainExport(db, folder, Watch())));
    return folder;
  }
  // Notes the folders, each with a mark of its own.
  void Note(const Strings& folders) const {
    for (const std::string& f : folders)
      if (Watch().keyOf(f).empty()) Watch().note(f, "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef");
  }
  // The folders noted in the settings, one a line, without their keys.
  std::string Noted() const {
    std::string text = SettingsValue(settings, settings::kExportsUnderWay), folders;
    for (size_t start = 0, end; start < text.size(); start = end + 1) {
      end = std::min(text.find('\n', start), text.size());
      const std::string line = text.substr(start, end - start);
      folders += (folders.empty() ? "" : "\n") + line.substr(0, line.rfind('\t'));
    }
    return folders;
  }
};

// One folder noted at the last exit, as the program found it at the next start.
struct NotedFolder {
  const char* name;
  const char* killedAfter;  // the export's last change before the kill; null: none was killed there
  bool previous;            // the folder held a previous export
  bool journalOfAnother;    // a journal the program did not write is there
  bool stays;               // the folder is still noted after the start
  bool keyOnly;             // noted by the earlier version, with the journal's key alone
  std::string edited = {};  // what the journal was edited to say after its key, the key kept
};

const NotedFolder kNoted[] = {
    {"scrittura", "written RT_PERIOD.TXT.part", true, false, false, false},
    {"sostituzione", "renamed RT_CALEN.TXT.part RT_CALEN.TXT", true, false, false, false},
    {"annotata-prima", "renamed RT_CALEN.TXT.part RT_CALEN.TXT", true, false, false, true},
    // Edited to remove a file of the user's, or the previous files said to be new: the files stay.
    {"leggimi", "written RT_PERIOD.TXT.part", true, false, false, true, "fase ripristino\nfile 0 LEGGIMI.TXT\nfine\n"},
    {"tutte-nuove", "journal sostituzione", true, false, false, false, SetLines("ripristino", "0") + "fine\n"},
    {"estranea", nullptr, true, true, false, false},
    // A folder stands in the journal's place: the folder cannot be put in order.
    {"illeggibile", nullptr, true, false, true, false},
    // The export ended, but was killed before its note was taken back.
    {"intatta", nullptr, true, false, false, false},
};

TEST_F(Interrupted, TheStartPutsEveryNotedFolderInOrderAndSaysWhatItDid) {
  Strings folders, boxes, staying;
  Strings expectedSets;
  const std::string journalLine = "QUENDO_ESPORTAZIONE_IN_CORSO\n";
  for (const NotedFolder& n : kNoted) {
    SCOPED_TRACE(n.name);
    const std::string folder = n.killedAfter ? KilledAfter(n.name, n.killedAfter) : Folder(n.name, n.previous);
    const std::string journal = folder + "/QUENDO_ESPORTAZIONE_IN_CORSO";
    if (n.keyOnly) Watch().note(folder, Watch().keyOf(folder).substr(0, 32));
    if (!n.edited.empty()) {
      WriteLines(folder + "/LEGGIMI.TXT", {"leggimi"});
      const std::string written = FileBytes(journal);
      WriteFileBytes(journal, JournalText(written.substr(written.find("chiave ") + 7, 32), n.edited));
    }
    // As another program would have written it, naming the previous files to remove.
    if (n.journalOfAnother)
      WriteFileBytes(journal,
                     JournalText("0123456789abcdef0123456789abcdef", "fase ripristino\nfile 0 RT_HDORA.TXT\nfine\n"));
    if (n.stays) {
      EXPECT_TRUE(QDir().mkpath(cp1252::ToQString(journal)));
    }
    folders.push_back(folder);
    if (n.stays) staying.push_back(folder);
    const bool replacing =
        n.killedAfter && StepNumber(steps, n.killedAfter) > StepNumber(steps, "journal sostituzione");
    if (n.killedAfter && n.edited.empty())
      boxes.push_back(Box(0x30, replacing ? CompletedText(folder) : UndoneWhileWritingText(folder)));
    if (n.journalOfAnother || !n.edited.empty()) boxes.push_back(Box(0x30, ForeignJournalText(folder)));
    if (n.stays) boxes.push_back(Box(0x30, NotInOrderText(folder, journal)));
    // An edited journal is removed, and nothing else: the temporaries stay beside the previous files.
    std::string left = SetIn(folder) + (n.edited.empty() ? "" : FileBytes(folder + "/LEGGIMI.TXT"));
    if (!n.edited.empty()) left.erase(left.find(journalLine), journalLine.size());
    expectedSets.push_back(n.stays || !n.edited.empty() ? left : replacing ? newSet : oldSet);
  }
  Note(folders);
  std::string all;
  for (const std::string& f : folders) all += (all.empty() ? "" : "\n") + f;
  ASSERT_EQ(Noted(), all);

  const DriverRun run = RunDriver(settings, {}, {});
  EXPECT_EQ(Boxes(run), boxes);
  for (size_t k = 0; k < folders.size(); ++k) {
    const bool edited = !kNoted[k].edited.empty();
    EXPECT_EQ(SetIn(folders[k]) + (edited ? FileBytes(folders[k] + "/LEGGIMI.TXT") : ""), expectedSets[k])
        << folders[k];
  }
  EXPECT_EQ(Noted(), staying.front());
  EXPECT_TRUE(HasPrefix(LastTitle(run), "Quendo - Azienda 17 - "));

  // The next start finds only the folder it could not put in order.
  const DriverRun again = RunDriver(settings, {}, {});
  EXPECT_EQ(Boxes(again),
            Strings{Box(0x30, NotInOrderText(staying.front(), staying.front() + "/QUENDO_ESPORTAZIONE_IN_CORSO"))});
}

// The start puts the noted folders in order before the export command runs; the export's own note
// is taken back, the other folder's stays.
TEST_F(Interrupted, TheStartPutsTheFoldersInOrderBeforeTheExport) {
  const std::string out = KilledAfter("uscita", "written RT_CALEN.TXT.part"), broken = Folder("illeggibile", true);
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(broken + "/QUENDO_ESPORTAZIONE_IN_CORSO")));
  Note({broken});
  const DriverRun run = RunDriver(settings, {"dialog 131", "file " + out + "/RT_CADEN.TXT"}, {"5119"});
  const Strings boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0], Box(0x30, UndoneWhileWritingText(out)));
  EXPECT_EQ(boxes[1], Box(0x30, NotInOrderText(broken, broken + "/QUENDO_ESPORTAZIONE_IN_CORSO")));
  EXPECT_TRUE(HasPrefix(boxes[2], Box(0x40, "Risultati dell'esportazione dati:\n\n3 su 3 Teste Corsa\n")));
  EXPECT_EQ(SetIn(out), newSet);
  EXPECT_EQ(Noted(), broken);
}

// A journal that came from elsewhere, in the export's folder: it names the database and a notes
// file as new files to remove. The export removes neither, says so, and writes its set; the next
// export finds nothing to tell.
TEST_F(Interrupted, AJournalFromElsewhereIsToldNotObeyed) {
  const std::string out = Folder("ricevuta", true), journal = out + "/QUENDO_ESPORTAZIONE_IN_CORSO";
  const std::string database = out + "/QUENDO.MDB", notes = out + "/appunti.txt";
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(db), cp1252::ToQString(database)));
  WriteSettings(settings, {"Database=" + database, "Directory=" + dir.Dir()});
  WriteLines(notes, {"appunti"});
  const std::string dbBytes = FileBytes(database);
  WriteFileBytes(journal, JournalText("0123456789abcdef0123456789abcdef",
                                      "fase ripristino\nfile 0 QUENDO.MDB\nfile 0 appunti.txt\nfine\n"));
  for (int run = 0; run < 2; ++run) {
    const Strings boxes = Boxes(RunDriver(settings, {"dialog 131", "file " + out + "/RT_CADEN.TXT"}, {"5119"}));
    ASSERT_EQ(boxes.size(), run == 0 ? 2u : 1u);
    if (run == 0) {
      EXPECT_EQ(boxes[0], Box(0x30, ForeignJournalText(out)));
    }
    EXPECT_TRUE(HasPrefix(boxes.back(), Box(0x40, "Risultati dell'esportazione dati:\n\n3 su 3 Teste Corsa\n")));
    EXPECT_EQ(FileBytes(database), dbBytes);
    EXPECT_EQ(FileBytes(notes), "appunti\r\n");
    EXPECT_EQ(SetFiles(out), SetFiles(dir.Path("intera")));
    EXPECT_EQ(Noted(), "");
  }
}

// An export killed while it writes into the database's own folder, its journal then edited, the
// key kept, to remove the database or to put a short temporary in its place: the start obeys
// neither, says so, and opens the database with every trip.
TEST_F(Interrupted, AnEditedJournalLeavesTheDatabaseWhole) {
  for (const std::string phase : {"ripristino", "sostituzione"}) {
    const std::string folder = Folder(phase, true), database = folder + "/QUENDO.MDB";
    const std::string journal = folder + "/QUENDO_ESPORTAZIONE_IN_CORSO";
    ASSERT_TRUE(QFile::copy(cp1252::ToQString(db), cp1252::ToQString(database)));
    WriteSettings(settings, {"Database=" + database, "Directory=" + dir.Dir()});
    const std::string trips = QueryFile(database, "SELECT count(*) FROM tescor");
    ASSERT_TRUE(
        KilledAfterStep(StepNumber(steps, "written RT_PERIOD.TXT.part"), PlainExport(database, folder, Watch())));
    const std::string written = FileBytes(journal), key = written.substr(written.find("chiave ") + 7, 32);
    WriteFileBytes(journal, JournalText(key, "fase " + phase + "\nfile 0 QUENDO.MDB\nfine\n"));
    WriteFileBytes(database + ".part", "diciassette byte\n");
    const DriverRun run = RunDriver(settings, {}, {});
    EXPECT_EQ(Boxes(run), Strings{Box(0x30, ForeignJournalText(folder))});
    EXPECT_TRUE(HasPrefix(LastTitle(run), "Quendo - Azienda 17 - "));
    EXPECT_EQ(QueryFile(database, "SELECT count(*) FROM tescor"), trips);
    EXPECT_FALSE(QFileInfo::exists(cp1252::ToQString(journal)));
    EXPECT_EQ(Noted(), "");
  }
}

// The notes already taken leave no room for the export's own: it changes nothing, says why, and
// the notes stay as they were.
TEST_F(Interrupted, AnExportWhoseNoteCannotBeStoredChangesNothing) {
  const std::string out = Folder("uscita", true), noted = dir.Path("");
  Watch().note(noted + std::string(2000 - noted.size(), 'n'), "0123456789abcdef0123456789abcdef");
  const std::string before = SettingsValue(settings, settings::kExportsUnderWay);
  DbDatabase handle(db);
  ExportOptions o;
  o.db = &handle;
  o.folder = out;
  o.folderWatch = Watch();
  const ExportResult r = RunExport(o);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.Texts(), "Impossibile annotare nelle impostazioni del programma la cartella\n\n" + out +
                           "\n\nNessun file della cartella è stato cambiato.");
  EXPECT_EQ(SetIn(out), oldSet);
  EXPECT_EQ(SettingsValue(settings, settings::kExportsUnderWay), before);
}

// Folder names the settings file could take for something else come back whole, also after the
// program has written its other values.
TEST_F(Interrupted, NotesComeBackWholeAndGoOneByOne) {
  const Strings folders = {dir.Path("Orari, 2024,estate"), dir.Path("a=b; c #1"), dir.Path("Città \"nuova\"")};
  Note(folders);
  const ScopedEnv file(settings::kEnvironmentVariable, settings);
  ASSERT_TRUE(settings::Write(settings::kDatabase, db));
  EXPECT_EQ(Noted(), folders[0] + "\n" + folders[1] + "\n" + folders[2]);
  NoteExportFolder(folders[1], {});
  NoteExportFolder(folders[1], {});
  NoteExportFolder(folders[2], "ffffffffffffffffffffffffffffffff");  // noted once only, with its new key
  EXPECT_EQ(Noted(), folders[0] + "\n" + folders[2]);
  EXPECT_EQ(NotedExportKey(folders[2]), "ffffffffffffffffffffffffffffffff");
  EXPECT_EQ(NotedExportKey(folders[1]), "");
  EXPECT_EQ(SettingsValue(settings, settings::kDatabase), db);
}

}  // namespace
