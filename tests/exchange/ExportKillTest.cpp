// An export killed for real after each change it makes on the disk, and the folder afterwards: put
// in order by the next export or by the start-up's look, it holds exactly the previous set or
// exactly the new one, with nothing else beside it, and the user is told which. The putting in
// order killed in its turn and run again; a file lost while the set is put in place; a folder
// that cannot be put in order; the folder left by a program that knew no journal.

#include "common/ExportRecovery.h"
#include "exchange/ExportEngine.h"
#include "support/ExchangeData.h"
#include "support/KilledExport.h"

#include <sched.h>
#include <sys/mount.h>

namespace {

using Strings = std::vector<std::string>;

constexpr const char* kJournal = "QUENDO_ESPORTAZIONE_IN_CORSO";

// A database holding the hand-made set; the output folder, holding the previous export's files
// (each "old <name>") or nothing; the files of an export that ran through, in a folder of their own.
struct KillFixture : ::testing::Test {
  ScratchDir dir;
  const std::string db = dir.Path("orari.mdb"), out = dir.Path("uscita"), whole = dir.Path("intera");
  std::string newFiles, newListing;
  NoticeLog notices;
  // The notes of the folders under way, as the settings keep them.
  const FolderWatch noted = NotesInFile(dir.Path("note"));

  void SetUp() override {
    MakeImportedDatabase(db);
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(whole)));
    ASSERT_TRUE(Export(whole).ok);
    newFiles = SetFiles(whole);
    newListing = Listing(whole);
  }
  std::string Out(const std::string& name) const { return out + "/" + name; }
  ExportResult Export(const std::string& folder, const FileSetStep& step = {}, const FolderWatch& watch = {}) const {
    DbDatabase handle(db);
    ExportOptions o;
    o.db = &handle;
    o.folder = folder;
    o.fileSetStep = step;
    o.folderWatch = watch ? watch : noted;
    return RunExport(o);
  }
  // The notes, and `on` told whether the folder is under way.
  FolderWatch Tracking(const std::function<void(const std::string&, bool)>& on) const {
    FolderWatch w = noted;
    w.note = [this, on](const std::string& folder, const std::string& key) {
      const bool stored = noted.note(folder, key);
      on(folder, !key.empty());
      return stored;
    };
    return w;
  }
  // The output folder anew, with the previous files or empty.
  void Prepare(bool previous) const {
    QDir(cp1252::ToQString(out)).removeRecursively();
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
    if (previous)
      for (const std::string& name : kExportSet) WriteLines(Out(name), {"old " + name});
  }
  std::string OutFiles() const { return SetFiles(out); }
};

enum class Then { StartUp, NextExport };

struct KillCase {
  const char* name;
  bool previous;  // the folder held a previous export
  Then then;      // what finds the folder afterwards
};
void PrintTo(const KillCase& c, std::ostream* os) { *os << c.name; }

const KillCase kKillCases[] = {
    {"OverAPreviousExportThenStartUp", true, Then::StartUp},
    {"OverAPreviousExportThenTheNextExport", true, Then::NextExport},
    {"IntoAnEmptyFolderThenStartUp", false, Then::StartUp},
    {"IntoAnEmptyFolderThenTheNextExport", false, Then::NextExport},
};

struct KilledExport : KillFixture, ::testing::WithParamInterface<KillCase> {};

TEST_P(KilledExport, LeavesOneWholeSetAfterEveryStep) {
  const KillCase& c = GetParam();
  Prepare(c.previous);
  const std::string oldFiles = OutFiles(), oldListing = Listing(out);
  // A run to the end: each of its changes falls while the folder is noted as under way.
  bool underWay = false;
  int watched = 0;  // the note taken, taken anew around the journal's second writing, forgotten
  const Strings steps = StepsOf([&](const FileSetStep& step) {
    ASSERT_TRUE(Export(
                    out,
                    [&](const std::string& done) {
                      EXPECT_TRUE(underWay) << done;
                      step(done);
                    },
                    Tracking([&](const std::string& folder, bool on) {
                      EXPECT_EQ(folder, out);
                      underWay = on, ++watched;
                    }))
                    .ok);
  });
  EXPECT_FALSE(underWay);
  EXPECT_EQ(watched, 4);
  EXPECT_EQ(OutFiles(), newFiles);
  // From the journal that says every new file is complete on, the new set is the one to keep.
  const int replacing = StepNumber(steps, "journal sostituzione");
  ASSERT_GT(replacing, 8) << "the journal, then the seven files";
  ASSERT_EQ(steps.back(), std::string("removed ") + kJournal);

  for (int k = 1; k <= static_cast<int>(steps.size()); ++k) {
    SCOPED_TRACE(std::to_string(k) + ": killed after " + steps[k - 1]);
    Prepare(c.previous);
    ASSERT_TRUE(KilledAfterStep(k, PlainExport(db, out, noted)));
    const bool journalLeft = k < static_cast<int>(steps.size());
    const std::string told = !journalLeft     ? std::string()
                             : k >= replacing ? CompletedText(out)
                                              : UndoneWhileWritingText(out);
    bool newSet = k >= replacing;
    if (c.then == Then::StartUp) {
      const FolderRecovery r = RecoverExportFolder(out, noted);
      EXPECT_EQ(r.outcome, !journalLeft     ? FolderRecovery::kWhole
                           : k >= replacing ? FolderRecovery::kCompleted
                                            : FolderRecovery::kUndone);
      EXPECT_EQ(r.Texts(), told);
    } else {
      const ExportResult r = Export(out);
      ASSERT_TRUE(r.ok) << r.Texts();
      EXPECT_EQ(r.Failure(), told);
      newSet = true;
    }
    // Exactly one set, byte for byte, and nothing beside it.
    EXPECT_EQ(Listing(out), newSet ? newListing : oldListing);
    EXPECT_EQ(OutFiles(), newSet ? newFiles : oldFiles);
  }
  EXPECT_EQ(notices.Texts(), "");
}

INSTANTIATE_TEST_SUITE_P(Cases, KilledExport, ::testing::ValuesIn(kKillCases),
                         [](const auto& p) { return std::string(p.param.name); });

struct RecoveryKill {
  const char* name;
  const char* lost;  // a temporary removed after the export was killed, or null
};
void PrintTo(const RecoveryKill& c, std::ostream* os) { *os << c.name; }

const RecoveryKill kRecoveryKills[] = {
    {"FinishingTheNewSet", nullptr},
    // The protocol's new file is gone: the new set cannot be finished, the previous one comes back.
    {"BringingThePreviousSetBack", "RT_PROTO.TXT.part"},
};

struct KilledRecovery : KillFixture, ::testing::WithParamInterface<RecoveryKill> {};

TEST_P(KilledRecovery, RunsAgainAfterBeingKilledAtAnyStep) {
  const RecoveryKill& c = GetParam();
  Prepare(true);
  const std::string oldFiles = OutFiles(), oldListing = Listing(out);
  const Strings exportSteps = StepsOf(PlainExport(db, out, noted));
  // Killed halfway through the renames: three files of the seven are in place.
  const int middle = StepNumber(exportSteps, "renamed RT_PERIOD.TXT.part RT_PERIOD.TXT");
  ASSERT_GT(middle, StepNumber(exportSteps, "journal sostituzione"));
  const auto halfDone = [&] {
    Prepare(true);
    ASSERT_TRUE(KilledAfterStep(middle, PlainExport(db, out, noted)));
    if (c.lost) {
      ASSERT_TRUE(QFile::remove(cp1252::ToQString(Out(c.lost))));
    }
  };
  const bool forward = c.lost == nullptr;
  const std::string expectedFiles = forward ? newFiles : oldFiles, expectedListing = forward ? newListing : oldListing;

  halfDone();
  FolderRecovery first;
  const Strings steps = StepsOf([&](const FileSetStep& step) { first = RecoverExportFolder(out, noted, step); });
  EXPECT_EQ(first.outcome, forward ? FolderRecovery::kCompleted : FolderRecovery::kUndone);
  EXPECT_EQ(first.Texts(), forward ? CompletedText(out) : UndoneWhileReplacingText(out, Out("RT_PROTO.TXT")));
  EXPECT_EQ(OutFiles(), expectedFiles);
  ASSERT_GE(steps.size(), 4u);

  for (int m = 1; m <= static_cast<int>(steps.size()); ++m) {
    SCOPED_TRACE(std::to_string(m) + ": killed after " + steps[m - 1]);
    halfDone();
    ASSERT_TRUE(KilledAfterStep(m, [&](const FileSetStep& step) { RecoverExportFolder(out, noted, step); }));
    const FolderRecovery again = RecoverExportFolder(out, noted);
    if (m == static_cast<int>(steps.size())) {
      EXPECT_EQ(again.outcome, FolderRecovery::kWhole);  // only the journal's removal was left
    } else {
      EXPECT_EQ(again.outcome, first.outcome);
      EXPECT_TRUE(HasPrefix(again.Texts(), Interrupted(out) + "mentre metteva i file nuovi al posto dei precedenti"));
    }
    EXPECT_EQ(Listing(out), expectedListing);
    EXPECT_EQ(OutFiles(), expectedFiles);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, KilledRecovery, ::testing::ValuesIn(kRecoveryKills),
                         [](const auto& p) { return std::string(p.param.name); });

// A new file lost while the set is put in place, in this same run: the previous files come back
// at once and the export fails, naming it.
TEST_F(KillFixture, AFileLostWhileTheSetIsPutInPlaceBringsThePreviousSetBack) {
  Prepare(true);
  const std::string oldFiles = OutFiles(), oldListing = Listing(out);
  bool underWay = false;
  const ExportResult r = Export(
      out,
      [&](const std::string& done) {
        if (done == "renamed RT_DTORA.TXT.part RT_DTORA.TXT") {
          QFile::remove(cp1252::ToQString(Out("RT_CALEN.TXT.part")));
        }
      },
      Tracking([&](const std::string&, bool on) { underWay = on; }));
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedPath, Out("RT_CALEN.TXT"));
  EXPECT_FALSE(underWay);
  EXPECT_EQ(Listing(out), oldListing);
  EXPECT_EQ(OutFiles(), oldFiles);
}

// The folder as a program without journal left it when killed between its two renames: the
// protocol's previous file aside and none in its place, a temporary of the trip heads.
TEST_F(KillFixture, TheNextExportLeavesNoPreviousFileOfAnEarlierKill) {
  Prepare(true);
  for (const std::string& name : kExportSet) WriteFileBytes(Out(name), FileBytes(whole + "/" + name));
  ASSERT_TRUE(QFile::rename(cp1252::ToQString(Out("RT_PROTO.TXT")), cp1252::ToQString(Out("RT_PROTO.TXT.old"))));
  WriteLines(Out("RT_HDORA.TXT.part"), {"a metà"});
  const ExportResult r = Export(out);
  ASSERT_TRUE(r.ok) << r.failedPath;
  EXPECT_EQ(r.Failure(), "");  // nothing told of it
  EXPECT_EQ(Listing(out), newListing);
  EXPECT_EQ(OutFiles(), newFiles);
}

struct Disorder {
  const char* name;
  std::function<void(const KillFixture&)> make;
  bool foreign;  // a journal the program did not write: not obeyed, removed, and the export goes on
};
void PrintTo(const Disorder& c, std::ostream* os) { *os << c.name; }

constexpr const char* kKey = "0123456789abcdef0123456789abcdef";
// A journal as the program writes them, bringing back nothing and removing the two files named.
std::string HostileJournal() {
  return JournalText(kKey, "fase ripristino\nfile 0 orari.mdb\nfile 0 appunti.txt\nfine\n");
}

const Disorder kDisorders[] = {
    {"JournalOfAnotherProgram", [](const KillFixture& f) { WriteLines(f.Out(kJournal), {"fase sostituzione"}); }, true},
    {"JournalCutShort",
     [](const KillFixture& f) {
       WriteFileBytes(f.Out(kJournal), JournalText(kKey, "fase sostituzione\nfile 1 RT_HDORA.TXT\n"));
     },
     true},
    {"JournalNamingAFileOutsideTheFolder",
     [](const KillFixture& f) {
       f.noted.note(f.out, kKey);
       WriteFileBytes(f.Out(kJournal), JournalText(kKey, "fase ripristino\nfile 0 ../orari.mdb\nfine\n"));
     },
     true},
    // Well formed, but its key was never noted for the folder (it came in an archive).
    {"JournalThatCameFromElsewhere", [](const KillFixture& f) { WriteFileBytes(f.Out(kJournal), HostileJournal()); },
     true},
    // Its key and names are the ones noted, but it names files that the export does not write: a
    // set of the program's own of another kind, not the export's to move; the export writes nothing.
    {"JournalNamingFilesTheExportDoesNotWrite",
     [](const KillFixture& f) {
       f.noted.note(f.out, JournalMark(JournalOf(f.dir.Path(""), HostileJournal())));
       WriteFileBytes(f.Out(kJournal), HostileJournal());
     },
     false},
    {"LinkInPlaceOfTheJournal",
     [](const KillFixture& f) { ASSERT_EQ(::symlink(f.db.c_str(), f.Out(kJournal).c_str()), 0); }, true},
    {"FolderInPlaceOfTheJournal",
     [](const KillFixture& f) { ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(f.Out(kJournal)))); }, false},
};

struct FolderOutOfOrder : KillFixture, ::testing::WithParamInterface<Disorder> {};

// A journal the program did not write moves nothing: the user is told, it goes, and the export
// writes its set. What cannot be understood nor removed is left alone: the export writes nothing
// and says why.
TEST_P(FolderOutOfOrder, MovesNoFileItDidNotWrite) {
  Prepare(true);
  // The files a hostile journal names: the database beside the folder, notes in it.
  WriteLines(Out("orari.mdb"), {"la banca dati"});
  WriteLines(Out("appunti.txt"), {"appunti"});
  const std::string dbBytes = FileBytes(db);
  GetParam().make(*this);
  const std::string before = OutFiles(), listing = Listing(out);
  bool underWay = false;
  const ExportResult e = Export(out, {}, Tracking([&](const std::string&, bool on) { underWay = on; }));
  if (GetParam().foreign) {
    ASSERT_TRUE(e.ok) << e.Texts();
    EXPECT_EQ(e.Failure(), ForeignJournalText(out));
    EXPECT_EQ(OutFiles(), newFiles);
    EXPECT_EQ(Listing(out), newListing + "appunti.txt\norari.mdb\n");
    // The next export finds nothing to tell.
    EXPECT_EQ(Export(out).Failure(), "");
  } else {
    EXPECT_EQ(e.Failure(), NotInOrderText(out, Out(kJournal)) + "\n\nNessun file è stato scritto.");
    EXPECT_EQ(Listing(out), listing);
    EXPECT_EQ(OutFiles(), before);
  }
  EXPECT_FALSE(underWay);
  EXPECT_EQ(FileBytes(Out("orari.mdb")), "la banca dati\r\n");
  EXPECT_EQ(FileBytes(Out("appunti.txt")), "appunti\r\n");
  EXPECT_EQ(FileBytes(db), dbBytes);
}

// A folder on a disk that cannot be written (mounted read-only): the export says it cannot create
// its first file, the old files stay, nothing is told of an interrupted export and the folder is
// not noted as under way. Run where the test may mount (a namespace of its own), else skipped.
TEST_F(KillFixture, AFolderOnAReadOnlyDiskIsSaidToBeUnwritable) {
  Prepare(true);
  const std::string before = OutFiles(), listing = Listing(out), report = dir.Path("esito");
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::unshare(CLONE_NEWNS) != 0 || ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount(out.c_str(), out.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        ::mount(nullptr, out.c_str(), nullptr, MS_BIND | MS_REMOUNT | MS_RDONLY, nullptr) != 0)
      ::_exit(2);
    const ExportResult r = Export(out);
    WriteFileBytes(report, r.failedPath + "|" + r.Failure() + "|" + noted.keyOf(out));
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 2) GTEST_SKIP() << "a read-only mount cannot be made here";
  // Neither a refusal nor a recovery: the first warning is the file that could not be created.
  EXPECT_EQ(FileBytes(report), Out("RT_HDORA.TXT") + "|Impossibile creare\n\n" + Out("RT_HDORA.TXT") + "|");
  EXPECT_EQ(OutFiles(), before);
  EXPECT_EQ(Listing(out), listing);
  EXPECT_EQ(RecoverExportFolder(out, noted).outcome, FolderRecovery::kWhole);
}

// Links left under the names of the temporaries, pointing out of the folder: the export writes
// its own files and never through them.
TEST_F(KillFixture, WritesNoFileThroughALinkLeftInTheFolder) {
  Prepare(true);
  const std::string target = dir.Path("fuori.txt");
  WriteLines(target, {"fuori"});
  for (const char* name : {"RT_CALEN.TXT.part", "QUENDO_ESPORTAZIONE_IN_CORSO.part"})
    ASSERT_EQ(::symlink(target.c_str(), Out(name).c_str()), 0);
  const ExportResult r = Export(out);
  ASSERT_TRUE(r.ok) << r.failedPath;
  EXPECT_EQ(FileBytes(target), "fuori\r\n");
  EXPECT_EQ(OutFiles(), newFiles);
  EXPECT_EQ(Listing(out), newListing);
}

INSTANTIATE_TEST_SUITE_P(Cases, FolderOutOfOrder, ::testing::ValuesIn(kDisorders),
                         [](const auto& p) { return std::string(p.param.name); });

// A journal that the start-up finds (it knows no set's names) where an export was killed beside
// the database, its key the one noted for the folder: edited to name other files or to do otherwise
// with the export's, naming the database's files as a set of the program's own might, or damaged.
// None is obeyed: it goes, the user is told, and no other file changes.
enum class NoteOf {
  ThisJournal,     // the mark of the journal as it is
  TheWriting,      // the mark of the export's journal while it writes its files
  TheReplacing,    // the mark of the export's journal once its files are complete, each with a previous one
  TheKeyAlone,     // the key alone, as an earlier version noted it
  TheEarlierMark,  // the key and the fingerprint of the export's names, as an earlier version noted them
};
// What was changed in the journal once it was noted, by a program it was copied through.
enum class Copied { AsItWas, CrLfLines, CrLfLinesButTheFirst, WithItsHeadingEdited };
struct StartUpJournal {
  const char* name;
  std::string lines;  // after the heading and the key
  NoteOf noted;
  bool damaged;
  Copied copied = Copied::AsItWas;
  bool obeyed = false;  // as far as the note vouches for it: the previous set is brought back
};
void PrintTo(const StartUpJournal& c, std::ostream* os) { *os << c.name; }

const StartUpJournal kStartUpJournals[] = {
    {"EditedToRemoveTheDatabase", "fase ripristino\nfile 0 QUENDO.MDB\n", NoteOf::TheWriting, false},
    {"EditedToRemoveAFileNoWriterWrote", "fase ripristino\nfile 0 appunti.txt\n", NoteOf::TheWriting, false},
    {"RemovingTheDatabase", "fase ripristino\nfile 0 QUENDO.MDB\n", NoteOf::ThisJournal, false},
    {"ReplacingTheDatabase", "fase sostituzione\nfile 0 QUENDO.MDB\n", NoteOf::ThisJournal, false},
    {"RemovingTheDatabaseLog", "fase ripristino\nfile 0 QUENDO.MDB-wal\n", NoteOf::ThisJournal, false},
    {"WithABadLine", "fase ripristino\nfile 2 RT_HDORA.TXT\n", NoteOf::TheWriting, true},
    {"WithAnUnknownPhase", "fase ricomposizione\nfile 0 RT_HDORA.TXT\n", NoteOf::TheWriting, true},
    {"WithCrLfLines", SetLines("scrittura", "0"), NoteOf::TheWriting, true, Copied::CrLfLines},
    {"WithCrLfLinesButTheFirst", SetLines("scrittura", "0"), NoteOf::TheWriting, true, Copied::CrLfLinesButTheFirst},
    {"WithItsHeadingEdited", SetLines("scrittura", "0"), NoteOf::TheWriting, true, Copied::WithItsHeadingEdited},
    // The note of the key alone vouches for the export's own names and no other.
    {"KeyAloneRemovingAFileOfTheFolder", "fase ripristino\nfile 0 LEGGIMI.TXT\n", NoteOf::TheKeyAlone, false},
    // The export's names, but every previous file said to be new, to be removed.
    {"EveryFileTurnedNew", SetLines("ripristino", "0"), NoteOf::TheReplacing, false},
    {"TurnedToRestoring", SetLines("ripristino", "0"), NoteOf::TheWriting, false},
    // An earlier note vouches for the names alone: the previous files are all kept.
    {"EveryFileTurnedNewUnderAnEarlierMark", SetLines("ripristino", "0"), NoteOf::TheEarlierMark, false,
     Copied::AsItWas, true},
};

struct JournalAtStartUp : KillFixture, ::testing::WithParamInterface<StartUpJournal> {};

TEST_P(JournalAtStartUp, IsToldAndRemovedNeverObeyed) {
  const StartUpJournal& c = GetParam();
  Prepare(true);
  const std::string database = Out("QUENDO.MDB");
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(db), cp1252::ToQString(database)));
  WriteFileBytes(Out("QUENDO.MDB.part"), "diciassette byte\n");
  WriteFileBytes(Out("QUENDO.MDB-wal"), "registro");
  WriteLines(Out("appunti.txt"), {"appunti"});
  WriteLines(Out("LEGGIMI.TXT"), {"leggimi"});
  const auto all = [&] {
    std::string files = Listing(out) + OutFiles();
    for (const char* name : {"QUENDO.MDB", "QUENDO.MDB.part", "QUENDO.MDB-wal", "appunti.txt", "LEGGIMI.TXT"})
      files += FileBytes(Out(name));
    return files;
  };
  const std::string before = all();
  std::string text = JournalText(kKey, c.lines + "fine\n");
  const std::string set = dir.Path("");
  switch (c.noted) {
    case NoteOf::ThisJournal: noted.note(out, JournalMark(JournalOf(set, text))); break;
    case NoteOf::TheWriting:
      noted.note(out, JournalMark(JournalOf(set, JournalText(kKey, SetLines("scrittura", "0") + "fine\n"))));
      break;
    case NoteOf::TheReplacing:
      noted.note(out, JournalMark(JournalOf(set, JournalText(kKey, SetLines("sostituzione", "1") + "fine\n"))));
      break;
    case NoteOf::TheKeyAlone: noted.note(out, kKey); break;
    case NoteOf::TheEarlierMark: noted.note(out, EarlierJournalMark(kKey, kExportSet)); break;
  }
  const bool crLf = c.copied == Copied::CrLfLines || c.copied == Copied::CrLfLinesButTheFirst;
  for (size_t at = c.copied == Copied::CrLfLinesButTheFirst ? text.find('\n') + 1 : 0;
       crLf && (at = text.find('\n', at)) != std::string::npos; at += 2)
    text.insert(at, "\r");
  if (c.copied == Copied::WithItsHeadingEdited) text.insert(text.find(';'), " 2.0");
  WriteFileBytes(Out(kJournal), text);
  // As the start-up's watch knows them: the export's names are fixed by their writer.
  FolderWatch watch = noted;
  watch.fixedSets = {ExportSetNames()};
  const FolderRecovery r = RecoverExportFolder(out, watch);
  EXPECT_EQ(r.outcome, c.obeyed ? FolderRecovery::kUndone : FolderRecovery::kForeign);
  EXPECT_EQ(r.Texts(), c.obeyed    ? UndoneWhileReplacingText(out)
                       : c.damaged ? DamagedJournalText(out)
                                   : ForeignJournalText(out));
  EXPECT_EQ(all(), before);
}

INSTANTIATE_TEST_SUITE_P(Cases, JournalAtStartUp, ::testing::ValuesIn(kStartUpJournals),
                         [](const auto& p) { return std::string(p.param.name); });

}  // namespace
