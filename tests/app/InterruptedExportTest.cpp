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
  // A folder with a previous export, and a new one killed there right after `done`.
  std::string KilledAfter(const std::string& name, const std::string& done) const {
    const std::string folder = Folder(name, true);
    const int step = StepNumber(steps, done);
    EXPECT_GT(step, 0) << done;
    EXPECT_TRUE(KilledAfterStep(step, PlainExport(db, folder)));
    return folder;
  }
  // Notes the folders as the export command does, in the run's settings file.
  void Note(const Strings& folders) const {
    const ScopedEnv file(settings::kEnvironmentVariable, settings);
    for (const std::string& f : folders) NoteExportFolder(f, true);
  }
};

// One folder noted at the last exit, as the program found it at the next start.
struct NotedFolder {
  const char* name;
  const char* killedAfter;  // the export's last change before the kill; null: none was killed there
  bool previous;            // the folder held a previous export
  bool journalOfAnother;    // a journal the program cannot read is there
  bool stays;               // the folder is still noted after the start
};

const NotedFolder kNoted[] = {
    {"scrittura", "written RT_PERIOD.TXT.part", true, false, false},
    {"sostituzione", "renamed RT_CALEN.TXT.part RT_CALEN.TXT", true, false, false},
    {"illeggibile", nullptr, true, true, true},
    // The export ended, but was killed before its note was taken back.
    {"intatta", nullptr, true, false, false},
};

TEST_F(Interrupted, TheStartPutsEveryNotedFolderInOrderAndSaysWhatItDid) {
  Strings folders, boxes, staying;
  Strings expectedSets;
  for (const NotedFolder& n : kNoted) {
    SCOPED_TRACE(n.name);
    const std::string folder = n.killedAfter ? KilledAfter(n.name, n.killedAfter) : Folder(n.name, n.previous);
    if (n.journalOfAnother) WriteLines(folder + "/QUENDO_ESPORTAZIONE_IN_CORSO", {"non leggibile"});
    folders.push_back(folder);
    if (n.stays) staying.push_back(folder);
    const bool replacing =
        n.killedAfter && StepNumber(steps, n.killedAfter) > StepNumber(steps, "journal sostituzione");
    if (n.killedAfter) boxes.push_back(Box(0x30, replacing ? CompletedText(folder) : UndoneWhileWritingText(folder)));
    if (n.journalOfAnother)
      boxes.push_back(Box(0x30, NotInOrderText(folder, folder + "/QUENDO_ESPORTAZIONE_IN_CORSO")));
    expectedSets.push_back(n.journalOfAnother ? SetIn(folder) : replacing ? newSet : oldSet);
  }
  Note(folders);
  ASSERT_EQ(SettingsValue(settings, settings::kExportsUnderWay),
            folders[0] + "\n" + folders[1] + "\n" + folders[2] + "\n" + folders[3]);

  const DriverRun run = RunDriver(settings, {}, {});
  EXPECT_EQ(Boxes(run), boxes);
  for (size_t k = 0; k < folders.size(); ++k) EXPECT_EQ(SetIn(folders[k]), expectedSets[k]) << folders[k];
  EXPECT_EQ(SettingsValue(settings, settings::kExportsUnderWay), staying.front());
  EXPECT_TRUE(HasPrefix(LastTitle(run), "Quendo - Azienda 17 - "));

  // The next start finds only the folder it could not put in order.
  const DriverRun again = RunDriver(settings, {}, {});
  EXPECT_EQ(Boxes(again), Strings{boxes.back()});
}

TEST_F(Interrupted, TheExportCommandPutsItsFolderInOrderFirstAndSaysSo) {
  const std::string broken = Folder("illeggibile", true), out = KilledAfter("uscita", "written RT_CALEN.TXT.part");
  WriteLines(broken + "/QUENDO_ESPORTAZIONE_IN_CORSO", {"non leggibile"});
  Note({broken});
  const DriverRun run = RunDriver(settings, {"dialog 131", "file " + out + "/RT_CADEN.TXT"}, {"5119"});
  const Strings boxes = Boxes(run);
  ASSERT_EQ(boxes.size(), 3u);
  EXPECT_EQ(boxes[0], Box(0x30, NotInOrderText(broken, broken + "/QUENDO_ESPORTAZIONE_IN_CORSO")));  // at the start
  EXPECT_EQ(boxes[1], Box(0x30, UndoneWhileWritingText(out)));
  EXPECT_TRUE(HasPrefix(boxes[2], Box(0x40, "Risultati dell'esportazione dati:\n\n3 su 3 Teste Corsa\n")));
  EXPECT_EQ(SetIn(out), newSet);
  // The export's own note is taken back; the other folder's stays.
  EXPECT_EQ(SettingsValue(settings, settings::kExportsUnderWay), broken);
}

// Refused, and noted for the next start, which tries again.
TEST_F(Interrupted, AFolderTheExportCannotPutInOrderIsNotedForTheNextStart) {
  const std::string broken = Folder("illeggibile", true), journal = broken + "/QUENDO_ESPORTAZIONE_IN_CORSO";
  WriteLines(journal, {"non leggibile"});
  const std::string before = SetIn(broken);
  const DriverRun run = RunDriver(settings, {"dialog 131", "file " + broken + "/RT_CADEN.TXT"}, {"5119"});
  EXPECT_EQ(Boxes(run), Strings{Box(0x30, NotInOrderText(broken, journal) + "\n\nNessun file è stato scritto.")});
  EXPECT_EQ(SetIn(broken), before);
  EXPECT_EQ(SettingsValue(settings, settings::kExportsUnderWay), broken);
  // Once the foreign file is gone, the start finds the folder whole and forgets it.
  ASSERT_TRUE(QFile::remove(cp1252::ToQString(journal)));
  EXPECT_EQ(Boxes(RunDriver(settings, {}, {})), Strings{});
  EXPECT_EQ(SettingsValue(settings, settings::kExportsUnderWay), "");
}

// Folder names the settings file could take for something else come back whole, also after the
// program has written its other values.
TEST_F(Interrupted, NotesComeBackWholeAndGoOneByOne) {
  const Strings folders = {dir.Path("Orari, 2024,estate"), dir.Path("a=b; c #1"), dir.Path("Città \"nuova\"")};
  Note(folders);
  const ScopedEnv file(settings::kEnvironmentVariable, settings);
  ASSERT_TRUE(settings::Write(settings::kDatabase, db));
  std::string value;
  ASSERT_EQ(settings::Read(settings::kExportsUnderWay, value), settings::ReadResult::Read);
  EXPECT_EQ(value, folders[0] + "\n" + folders[1] + "\n" + folders[2]);
  NoteExportFolder(folders[1], false);
  NoteExportFolder(folders[1], false);
  NoteExportFolder(folders[2], true);  // noted once only
  ASSERT_EQ(settings::Read(settings::kExportsUnderWay, value), settings::ReadResult::Read);
  EXPECT_EQ(value, folders[0] + "\n" + folders[2]);
  EXPECT_EQ(SettingsValue(settings, settings::kDatabase), db);
}

}  // namespace
