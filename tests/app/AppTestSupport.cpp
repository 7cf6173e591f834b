#include "app/AppTestSupport.h"

#include "app/commands/InterruptedExports.h"
#include "common/Cp1252.h"
#include "db/DbMaintenance.h"
#include "platform/CleanClose.h"
#include "platform/Settings.h"

#include <linux/capability.h>
#include <sqlite3.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstdio>
#include <sstream>

void WriteSettings(const std::string& path, const std::vector<std::string>& lines) {
  std::string text = "[1.00]\n";
  for (const std::string& l : lines) text += cp1252::ToUtf8(l) + "\n";
  WriteFileBytes(path, text);
}

std::string SettingsValue(const std::string& path, const char* name) {
  const ScopedEnv file(settings::kEnvironmentVariable, path);
  std::string value = "<absent>";
  settings::Read(name, value);
  return value;
}

void RecordCleanClose(const std::string& settingsPath, const std::string& db) {
  const std::string fingerprint = CloseFingerprint(db, StoredSchemaDigest(db));
  ASSERT_FALSE(fingerprint.empty()) << db;
  const ScopedEnv file(settings::kEnvironmentVariable, settingsPath);
  ASSERT_TRUE(settings::Write(settings::kCleanClose, fingerprint)) << settingsPath;
}

namespace {

DriverRun RunDriverOf(const std::string& settingsPath, const std::vector<std::string>& answers,
                      const QStringList& arguments, int exitCode, long fileSizeLimit, bool withoutOverride) {
  DriverRun run;
  QTemporaryDir work;
  const QString answersPath = work.filePath(QStringLiteral("answers.txt"));
  const QString transcriptPath = work.filePath(QStringLiteral("transcript.txt"));
  std::string answerLines;
  for (const std::string& a : answers) answerLines += cp1252::ToUtf8(a) + "\n";
  WriteFileBytes(cp1252::FromQStringLossy(answersPath), answerLines);
  QStringList args{QStringLiteral("--settings"),   cp1252::ToQString(settingsPath),
                   QStringLiteral("--answers"),    answersPath,
                   QStringLiteral("--transcript"), transcriptPath};
  args << arguments;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QUENDO_SETTINGS"));
  p.setProcessEnvironment(env);
  p.setChildProcessModifier([fileSizeLimit, withoutOverride] {
    if (fileSizeLimit > 0) {
      const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
      setrlimit(RLIMIT_FSIZE, &limit);
    }
    // Dropped from the bounding set, the powers are not given back when the program starts.
    if (withoutOverride) {
      prctl(PR_CAPBSET_DROP, CAP_DAC_OVERRIDE, 0, 0, 0);
      prctl(PR_CAPBSET_DROP, CAP_DAC_READ_SEARCH, 0, 0, 0);
    }
  });
  p.start(QStringLiteral(QUENDO_RUN), args);
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = p.readAllStandardOutput().toStdString();
  run.err = p.readAllStandardError().toStdString();
  EXPECT_EQ(run.exitCode, exitCode) << "(-1: killed, or did not end in time) " << run.err;
  std::istringstream transcript(FileBytes(cp1252::FromQStringLossy(transcriptPath)));
  for (std::string line; std::getline(transcript, line);)
    if (!line.empty()) run.transcript.push_back(line);
  return run;
}

}  // namespace

DriverRun RunDriver(const std::string& settingsPath, const std::vector<std::string>& answers,
                    const std::vector<std::string>& arguments, int exitCode, long fileSizeLimit, bool withoutOverride) {
  QStringList args;
  for (const std::string& a : arguments) args << cp1252::ToQString(a);
  return RunDriverOf(settingsPath, answers, args, exitCode, fileSizeLimit, withoutOverride);
}

DriverRun RunDriverWith(const std::string& settingsPath, const std::vector<std::string>& answers,
                        const QStringList& arguments, int exitCode) {
  return RunDriverOf(settingsPath, answers, arguments, exitCode, 0, false);
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

std::string LastTitle(const DriverRun& run) {
  const auto titles = LinesStartingWith(run.transcript, "TITLE\t");
  return titles.empty() ? std::string() : titles.back().substr(6);
}

std::string U8(const std::string& cp1252Text) { return cp1252::ToUtf8(cp1252Text); }

std::string Box(unsigned type, const std::string& text) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", type);
  return std::string(hex) + "\t" + ui::TranscriptText(text);
}

FolderWatch SettingsFolderWatch(const std::string& settingsPath) {
  FolderWatch w;
  w.note = [settingsPath](const std::string& folder, const std::string& key) {
    const ScopedEnv file(settings::kEnvironmentVariable, settingsPath);
    return NoteExportFolder(folder, key);
  };
  w.keyOf = [settingsPath](const std::string& folder) {
    const ScopedEnv file(settings::kEnvironmentVariable, settingsPath);
    return NotedExportKey(folder);
  };
  return w;
}

HeldWriteLock::HeldWriteLock(const std::string& path) {
  EXPECT_EQ(sqlite3_open_v2(cp1252::ToUtf8(path).c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
  // In write-ahead mode the program still reads while the lock is held.
  EXPECT_EQ(sqlite3_exec(db_, "PRAGMA journal_mode=WAL; BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK)
      << sqlite3_errmsg(db_);
}

HeldWriteLock::~HeldWriteLock() {
  sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close_v2(db_);
}
