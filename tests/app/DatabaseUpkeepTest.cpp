// What the shell does around the database beyond its commands: a file that does not match its
// dictionary is refused at start-up and by "&Connetti"; every command leaves what it committed in
// the file itself; the busy clock runs on while long statements hold the thread, and under a box.

#include "app/AppTestSupport.h"
#include "app/Busy.h"
#include "app/MainFrame.h"
#include "app/TimetableApp.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QTimer>
#include <chrono>

namespace {

const std::string kFullCaption = "Quendo - \"Gestione degli orari del trasporto pubblico locale\"";
const std::string kStartTitle = "Quendo - Azienda 0 - Azienda non definita [periodo dal 01/01/1900 al 31/12/2099]";
// The master table without its last field.
const char* kMasterWithoutGroup =
    "CREATE TABLE master (codice SMALLINT NOT NULL, azienda SMALLINT, p_data DATE, protoc INT, resple VARCHAR(40),"
    " datini DATE, datfin DATE, id_corsa INT, CONSTRAINT \"codice\" PRIMARY KEY (codice));";
const std::string kRefusedLine =
    "0x10\tErrore in fase di apertura del database\\n\\nIl database non corrisponde al suo dizionario dei "
    "dati:\\n\\nManca il campo \"gruppo\" della tavola \"master\"";

TEST(OpenCheckDriver, AFileThatDoesNotMatchIsRefusedAtStartUp) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string db = dir.Path("vecchio.mdb");
  MakeDatabase(db, kMasterWithoutGroup);
  const std::string before = FileBytes(db);
  WriteSettings(settings, {"Database=" + db});
  const DriverRun run = RunDriver(settings, {}, {});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\t"), std::vector<std::string>{kRefusedLine});
  EXPECT_EQ(LinesStartingWith(run.transcript, "TITLE\t").back(), "TITLE\t" + U8(kFullCaption));
  EXPECT_EQ(FileBytes(db), before);
}

TEST(OpenCheckDriver, ConnectRefusesAFileThatDoesNotMatchAndKeepsTheOpenOne) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  const std::string current = dir.Path("lavoro.mdb");
  const std::string other = dir.Path("vecchio.mdb");
  MakeDatabase(current, kShellSchema);
  MakeDatabase(other, kMasterWithoutGroup);
  const std::string before = FileBytes(other);
  WriteSettings(settings, {"Database=" + current});
  const DriverRun run = RunDriver(settings, {"file " + other}, {"5104"});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "0x10\t"), std::vector<std::string>{kRefusedLine});
  // The box ends the command: the title stays that of the open database.
  EXPECT_EQ(run.transcript.back(), kRefusedLine);
  EXPECT_EQ(LinesStartingWith(run.transcript, "TITLE\t").back(), "TITLE\t" + kStartTitle);
  EXPECT_EQ(SettingsValue(settings, "Database"), current);
  EXPECT_EQ(FileBytes(other), before);
}

// The program started in this process on a database of the test's own.
class Running : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = dir_.Path("quendo.ini");
    db_ = dir_.Path("lavoro.mdb");
    MakeDatabase(db_, std::string(kShellSchema) + "INSERT INTO regazi VALUES (12, 'Trasporti Val d''Arno');");
    WriteSettings(settings_, {"Database=" + db_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(true));
    frame_ = app_->Frame();
    ASSERT_NE(frame_->Database(), nullptr);
    QApplication::processEvents();
  }
  void TearDown() override {
    if (app_) app_->ExitInstance();
    app_.reset();
    qunsetenv("QUENDO_SETTINGS");
  }

  // What another program reading a copy of the database file alone (without its log) finds.
  std::string CopyHolds(const std::string& sql) {
    const std::string copy = dir_.Path("copia.mdb");
    WriteFileBytes(copy, FileBytes(db_));
    return QueryFile(copy, sql);
  }

  ScratchDir dir_;
  ui::Script script_;
  std::string settings_, db_;
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
};

// The seconds the clock showed each time it was painted.
class PaintedSeconds : public QObject {
 public:
  explicit PaintedSeconds(ElapsedTimeWnd* clock) : clock_(clock) { clock_->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) seconds.push_back(clock_->ElapsedSeconds());
    return false;
  }
  std::vector<int> seconds;

 private:
  ElapsedTimeWnd* clock_;
};

// Runs one statement that counts `rows` rows made on the fly; its duration in milliseconds.
long long Count(DbDatabase* db, long long rows) {
  const auto start = std::chrono::steady_clock::now();
  DbSelect s(db);
  s.SetColumns("count(*)");
  s.SetFrom("(WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < " + std::to_string(rows) +
            ") SELECT k FROM n)");
  EXPECT_EQ(s.Open(), 1);
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

TEST_F(Running, ACopyOfTheFileTakenAfterACommandHoldsWhatItCommitted) {
  // The master row that the start-up added is committed, but so far only in the log.
  ASSERT_EQ(QueryFile(db_, "SELECT count(*) FROM master"), "1\n");
  script_.Push(
      {ui::Answer::Kind::Dialog,
       "115",
       {{"1000", "0012"}, {"1001", "01/01/2024"}, {"1002", "31/12/2024"}, {"1004", ""}, {"1005", "Mario Rossi"}}});
  ASSERT_TRUE(frame_->RunCommand(5108));  // "&Azienda"
  EXPECT_EQ(CopyHolds("SELECT azienda, resple, datini, datfin FROM master"), "12|Mario Rossi|2024-01-01|2024-12-31\n");
}

TEST_F(Running, ACommandLeftByAnExceptionIsFoldedIntoTheFileToo) {
  // "&Azienda" with no answer for its dialog ends by an exception; what was committed before it
  // (the start-up's master row) is in the file all the same.
  EXPECT_THROW(frame_->RunCommand(5108), ui::UnansweredQuestion);
  EXPECT_EQ(CopyHolds("SELECT codice, azienda, datini FROM master"), "0|0|1900-01-01\n");
}

TEST_F(Running, TheBusyClockRunsOnWhileALongStatementHoldsTheThread) {
  ElapsedTimeWnd* clock = app_->busyWindow;
  ASSERT_NE(clock, nullptr);
  // A statement of about two seconds on this machine.
  const long long probe = 200000;
  const long long ms = std::max<long long>(1, Count(frame_->Database(), probe));
  const long long rows = probe * 2200 / ms + 1;
  ShowBusy(true);
  PaintedSeconds painted(clock);
  const long long took = Count(frame_->Database(), rows);
  ASSERT_GE(took, 1200) << "the statement was too short to tell";
  // No event was handled meanwhile: the clock was painted from the statement itself, as its
  // seconds went by.
  ASSERT_FALSE(painted.seconds.empty());
  EXPECT_GE(painted.seconds.back(), 1);
  EXPECT_TRUE(clock->IsRunning());
}

TEST_F(Running, TheBusyClockTicksOnUnderABox) {
  ElapsedTimeWnd* clock = app_->busyWindow;
  ASSERT_NE(clock, nullptr);
  ShowBusy(true);
  PaintedSeconds painted(clock);
  QMessageBox box(frame_);
  box.setText(QStringLiteral("Operazione terminata"));
  QTimer::singleShot(1600, &box, &QMessageBox::accept);
  box.exec();
  // The box's own loop is no idle time: the clock still runs, and has been painted on.
  EXPECT_TRUE(clock->IsRunning());
  ASSERT_FALSE(painted.seconds.empty());
  EXPECT_GE(painted.seconds.back(), 1);
}
