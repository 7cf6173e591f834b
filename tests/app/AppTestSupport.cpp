#include "app/AppTestSupport.h"

#include "common/Cp1252.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QTemporaryDir>

void WriteSettings(const std::string& path, const std::vector<std::string>& lines) {
  std::string text = "[1.00]\n";
  for (const std::string& l : lines) text += cp1252::ToUtf8(l) + "\n";
  WriteFileBytes(path, text);
}

std::string SettingsValue(const std::string& path, const char* name) {
  if (!QFile::exists(cp1252::ToQString(path))) return "<no file>";
  QSettings s(cp1252::ToQString(path), QSettings::IniFormat);
  const QVariant v = s.value(QStringLiteral("1.00/") + QString::fromLatin1(name));
  return v.isValid() ? cp1252::FromQStringLossy(v.toString()) : std::string("<absent>");
}

DriverRun RunDriver(const std::string& settingsPath, const std::vector<std::string>& answers,
                    const QStringList& arguments, const std::string& home) {
  DriverRun run;
  QTemporaryDir work;
  const QString answersPath = work.filePath(QStringLiteral("answers.txt"));
  const QString transcriptPath = work.filePath(QStringLiteral("transcript.txt"));
  std::string answerLines;
  for (const std::string& a : answers) answerLines += cp1252::ToUtf8(a) + "\n";
  WriteFileBytes(cp1252::FromQStringLossy(answersPath), answerLines);
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QUENDO_SETTINGS"));
  if (!home.empty()) env.insert(QStringLiteral("HOME"), cp1252::ToQString(home));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(QUENDO_RUN),
          QStringList{QStringLiteral("--settings"), cp1252::ToQString(settingsPath), QStringLiteral("--answers"),
                      answersPath, QStringLiteral("--transcript"), transcriptPath} +
              arguments);
  run.finished = p.waitForFinished(60000);
  if (!run.finished) {
    p.kill();
    p.waitForFinished();
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.out = p.readAllStandardOutput().toStdString();
  run.err = p.readAllStandardError().toStdString();
  QFile t(transcriptPath);
  if (t.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : t.readAll().split('\n'))
      if (!line.isEmpty()) run.transcript.push_back(line.toStdString());
  }
  return run;
}

std::vector<std::string> LinesStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    if (l.rfind(prefix, 0) == 0) out.push_back(l);
  return out;
}

std::string U8(const std::string& cp1252Text) { return cp1252::ToUtf8(cp1252Text); }
