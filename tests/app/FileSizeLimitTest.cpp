// A process file-size limit (ulimit -f) met while exporting: the write fails like one on a full
// disk and the program says so, instead of being killed by SIGXFSZ.

#include "app/AppTestSupport.h"
#include "common/Cp1252.h"
#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {

// quendo-run as RunDriver starts it, under a file-size limit of `limitBytes`.
DriverRun RunDriverWithFileSizeLimit(const std::string& settingsPath, const std::vector<std::string>& answers,
                                     const QStringList& arguments, rlim_t limitBytes) {
  DriverRun run;
  QTemporaryDir work;
  const QString answersPath = work.filePath(QStringLiteral("answers.txt"));
  const QString transcriptPath = work.filePath(QStringLiteral("transcript.txt"));
  {
    QFile f(answersPath);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    for (const std::string& a : answers) f.write(QByteArray::fromStdString(cp1252::ToUtf8(a) + "\n"));
  }
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QUENDO_SETTINGS"));
  p.setProcessEnvironment(env);
  p.setChildProcessModifier([limitBytes] {
    const rlimit limit{limitBytes, limitBytes};
    setrlimit(RLIMIT_FSIZE, &limit);
  });
  QStringList args = {QStringLiteral("--settings"),   QString::fromStdString(settingsPath),
                      QStringLiteral("--answers"),    answersPath,
                      QStringLiteral("--transcript"), transcriptPath};
  p.start(QStringLiteral(QUENDO_RUN), args + arguments);
  run.finished = p.waitForFinished(60000);
  if (!run.finished) {
    p.kill();
    p.waitForFinished();
  }
  run.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  run.err = p.readAllStandardError().toStdString();
  QFile t(transcriptPath);
  if (t.open(QIODevice::ReadOnly))
    for (const QByteArray& line : t.readAll().split('\n'))
      if (!line.isEmpty()) run.transcript.push_back(line.toStdString());
  return run;
}

}  // namespace

TEST(FileSizeLimit, AnExportPastTheLimitGetsTheWriteFailureMessage) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string db = dir.Path("orari.mdb");
  const std::string out = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(out)));
  {
    ui::Script quiet;
    ASSERT_EQ(CreateSeededDatabase(db, CreateMode::Startup), 1) << MessagesOf(quiet);
  }
  // One trip of 2,000 stops: its stop file is far past the limit, every other file well within.
  ASSERT_EQ(ExecOnFile(db,
                       "INSERT INTO master (codice, azienda, p_data, protoc, resple, datini, datfin, id_corsa, gruppo)"
                       " VALUES (0, 0, '2024-01-15', 7, 'Mario Rossi', '2024-01-01', '2024-12-31', 2, 0);"
                       "INSERT INTO cadenz VALUES ('FER', 'Feriale');"
                       "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo,"
                       " ct_lung, ct_tempo, gruppo) VALUES (1, 'C1', 'L1', 'A', 600, 900, 1, 1, 1000, 180, 0, 0, 0);"
                       "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 2000)"
                       " INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma,"
                       " reglocal) SELECT 1, k, 'F' || k, 'Fermata ' || k, k * 10, 600 + k % 50, 600 + k % 50, 0, 0,"
                       " 0, 0 FROM n;"
                       "INSERT INTO period VALUES (1, 'FER', '2024-01-01', '2024-12-31', 0);"),
            "ok");
  WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});

  const rlim_t limit = 64 * 1024;
  ASSERT_LT(FileBytes(settings).size(), limit);
  const DriverRun run =
      RunDriverWithFileSizeLimit(settings, {"dialog 131", "file " + out + "/RT_CADEN.TXT"}, {"5119"}, limit);
  ASSERT_TRUE(run.finished);
  ASSERT_EQ(run.exitCode, 0) << "killed, or " << run.err;
  const auto failures = LinesStartingWith(run.transcript, "0x30\tImpossibile creare\\n\\n");
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0], "0x30\tImpossibile creare\\n\\n" + out + "/RT_DTORA.TXT");
  // Nothing cut short was put in place of the stop file.
  EXPECT_FALSE(QFile::exists(QString::fromStdString(out + "/RT_DTORA.TXT")));
}
