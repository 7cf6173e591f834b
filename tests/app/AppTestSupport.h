#pragma once
// Pieces shared by the shell's tests: a small database of the test's own with the two tables the
// start-up reads, settings files, and runs of the headless driver.

#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include "common/ExportJournal.h"

#include <gtest/gtest.h>
#include <QStringList>
#include <string>
#include <vector>

// The master and regazi tables, as the builder makes them.
inline const std::string kShellSchema = BuilderTimetableTables();

// Holds the write lock of a database file while it lives, as another program in the middle of
// its writing would: the program opens and reads the file, but each of its writes waits, then fails.
class HeldWriteLock {
 public:
  explicit HeldWriteLock(const std::string& path);
  ~HeldWriteLock();
  HeldWriteLock(const HeldWriteLock&) = delete;
  HeldWriteLock& operator=(const HeldWriteLock&) = delete;

 private:
  struct sqlite3* db_ = nullptr;
};

// The caption without a database.
inline const std::string kFullCaption = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";

// Writes a settings file: group "1.00" with the given lines ("Database=...").
void WriteSettings(const std::string& path, const std::vector<std::string>& lines);

// Reads one value of a settings file as the program does; "<absent>" when it is not there.
std::string SettingsValue(const std::string& path, const char* name);

// Records in the settings file the database file `db` as it is now as the program's clean close of
// it (CloseFingerprint): the next start trusts it without the full check. This is how a command
// meets a value of another kind than its column's in a file the engine holds to its kinds: another
// program wrote it, with the engine's checks off, while the program had the file open, and the
// program then closed the file cleanly.
void RecordCleanClose(const std::string& settingsPath, const std::string& db);

// A folder and a settings file of the test's own.
struct DriverFiles : ::testing::Test {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
};

struct DriverRun {
  int exitCode = -1;                    // -1: killed, or did not end in time
  std::string out;                      // standard output, UTF-8
  std::string err;                      // standard error, UTF-8
  std::vector<std::string> transcript;  // lines of the transcript file, UTF-8
};

// Runs quendo-run with the settings file, the answers (one per line, written to a file of the run's own) and the
// further arguments, which must end with `exitCode`; the transcript is read back. `fileSizeLimit` (when not 0) limits
// the size of the files it writes. `withoutOverride` takes from the run the power to write where file modes forbid
// it, which the tests have when they run as root.
DriverRun RunDriver(const std::string& settingsPath, const std::vector<std::string>& answers,
                    const std::vector<std::string>& arguments, int exitCode = 0, long fileSizeLimit = 0,
                    bool withoutOverride = false);

// As RunDriver, with the further arguments as the program gets them (any character, not only those of Windows-1252).
DriverRun RunDriverWith(const std::string& settingsPath, const std::vector<std::string>& answers,
                        const QStringList& arguments, int exitCode = 0);

// The transcript lines that start with `prefix`.
std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix);

// The last caption of a run (UTF-8); empty when it showed none.
std::string LastTitle(const DriverRun& run);

// Text in the program's code page as the transcript writes it (UTF-8).
std::string U8(const std::string& cp1252Text);

// A message box as the transcript writes it: its type in hexadecimal, a tab, its text on one line.
std::string Box(unsigned type, const std::string& text);

// The message boxes of a transcript (the lines that begin with a type).
inline std::vector<std::string> Boxes(const std::vector<std::string>& transcript) {
  return LinesStartingWith(transcript, "0x");
}
inline std::vector<std::string> Boxes(const DriverRun& run) { return Boxes(run.transcript); }

// The export commands' folder watch over the settings file `settingsPath`, for exports the tests
// run themselves (and kill) as the commands would.
FolderWatch SettingsFolderWatch(const std::string& settingsPath);
