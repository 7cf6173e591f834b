// The real main window, started in this process on the offscreen platform: its picture, the status band, the progress
// bar, the busy clock (kept going by a long operation, a long statement and a box) and the panel rule.

#include "app/ProgramTestSupport.h"
#include "common/ProgramTitle.h"
#include "db/DbBringForward.h"
#include "db/DbSelect.h"
#include "platform/Busy.h"
#include "platform/ClientArea.h"
#include "platform/Panel.h"
#include "platform/WorkAside.h"
#include "support/EarlierBuild.h"
#include "support/TimetableData.h"

#include <sqlite3.h>
#include <QApplication>
#include <QCursor>
#include <QEventLoop>
#include <QImage>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <optional>
#include <set>
#include <thread>

namespace {

class MainWindowTest : public ProgramTest {
 protected:
  void SetUp() override {
    MakeDatabase(db_, kShellSchema);
    StartProgram(true);
    frame_->resize(900, 700);
    QApplication::processEvents();
  }
  QProgressBar* Bar() const { return frame_->Client()->findChild<QProgressBar*>(QStringLiteral("6002")); }
};

// The seconds the clock showed each time it was painted.
struct PaintedSeconds : QObject {
  ElapsedTimeWnd* clock;
  std::vector<int> seconds;
  explicit PaintedSeconds(ElapsedTimeWnd* c) : clock(c) { clock->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) seconds.push_back(clock->ElapsedSeconds());
    return false;
  }
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

class RecordingPanel : public Panel {
 public:
  using Panel::Panel;
  void Print() override { ++prints; }
  int prints = 0;
};

TEST_F(MainWindowTest, WindowShowsItsIconAndPicture) {
  EXPECT_FALSE(frame_->windowIcon().isNull());
  // The background picture in the middle of the client area.
  const QImage client = frame_->Client()->grab().toImage();
  std::set<QRgb> colours;
  for (int y = client.height() / 2 - 150; y < client.height() / 2 + 150; y += 3)
    for (int x = client.width() / 2 - 150; x < client.width() / 2 + 150; x += 3) colours.insert(client.pixel(x, y));
  EXPECT_GT(colours.size(), 1u);
}

TEST_F(MainWindowTest, StatusBandAndProgressBarDoNotOverlap) {
  ClientArea* client = frame_->Client();
  frame_->ShowStatusBand("Importazione cadenze in corso");
  {
    ProgressBar bar(frame_);
    bar.SetPos(40);
    QProgressBar* w = Bar();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->geometry(), QRect(0, client->height() - 20, client->width(), 20));
    bar.SetPos(140);
    EXPECT_EQ(w->value(), 100);
    const QRect band = client->StatusBandRect();
    EXPECT_LT(band.bottom(), w->geometry().top());
    const QImage img = client->grab().toImage();
    EXPECT_EQ(QColor(img.pixel(3, band.center().y())), QColor(0, 0, 192));
    // White text in the middle of the band.
    bool white = false;
    for (int x = band.width() / 3; x < 2 * band.width() / 3 && !white; ++x)
      for (int y = band.top(); y <= band.bottom() && !white; ++y) white = img.pixel(x, y) == qRgb(255, 255, 255);
    EXPECT_TRUE(white);

    // A redraw of the frame removes the band; the bar stays until its operation ends.
    frame_->Redraw();
    EXPECT_NE(QColor(client->grab().toImage().pixel(3, band.center().y())), QColor(0, 0, 192));
    EXPECT_TRUE(w->isVisible());
  }
  EXPECT_EQ(Bar(), nullptr);
}

TEST_F(MainWindowTest, BusyClockRunsWhileTheThreadIsBusyOrUnderABox) {
  ElapsedTimeWnd* clock = app_->busyWindow;
  ASSERT_NE(clock, nullptr);
  EXPECT_FALSE(clock->isVisible());
  ShowBusy(0);
  EXPECT_FALSE(clock->IsRunning());
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  ShowBusy(1);
  ASSERT_TRUE(clock->IsRunning());
  EXPECT_TRUE(clock->isVisible());
  EXPECT_LE((clock->geometry().center() - frame_->Client()->rect().center()).manhattanLength(), 2);  // centred
  PaintedSeconds painted(clock);
  // An operation that holds the thread and only reports progress: no event loop runs.
  ProgressBar bar(frame_);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
  for (int pct = 0; std::chrono::steady_clock::now() < until; ++pct) {
    bar.SetPos(pct % 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_FALSE(painted.seconds.empty());
  EXPECT_GE(painted.seconds.back(), 1);
  ShowBusy(1);  // asking again while it runs does not restart it
  EXPECT_GE(clock->ElapsedSeconds(), 1);

  // A box's own loop is no idle time: the clock still runs under it, and is painted on.
  const size_t paintedBefore = painted.seconds.size();
  QMessageBox box(frame_);
  QTimer::singleShot(1100, &box, &QMessageBox::accept);
  box.exec();
  EXPECT_TRUE(clock->IsRunning());
  EXPECT_GT(painted.seconds.size(), paintedBefore);

  // The operation returns to the message loop: once it waits for input, the clock stops.
  QEventLoop loop;
  QTimer::singleShot(50, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_FALSE(clock->IsRunning());
  EXPECT_FALSE(clock->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(MainWindowTest, BusyClockRunsOnWhileALongStatementHoldsTheThread) {
  ShowBusy(true);
  // A statement of more than a second and a half, however fast or loaded the machine: lengthened until one is.
  long long rows = 200000;
  for (int attempt = 0; attempt < 8; ++attempt) {
    PaintedSeconds painted(app_->busyWindow);
    const long long took = Count(frame_->Database(), rows);
    if (took < 1500) {
      rows = rows * 2500 / std::max<long long>(1, took) + 1;
      continue;
    }
    // No event was handled meanwhile: the clock was painted from the statement itself.
    EXPECT_FALSE(painted.seconds.empty());
    EXPECT_TRUE(app_->busyWindow->IsRunning());
    return;
  }
  FAIL() << "no statement lasted long enough to tell";
}

// One step of the engine that lasts long without calling the progress hook (a whole check, the
// sort of an index), run aside: the clock is painted on and the window's events are handled meanwhile.
TEST_F(MainWindowTest, BusyClockAndWindowGoOnThroughALongEngineStepRunAside) {
  ShowBusy(true);
  PaintedSeconds painted(app_->busyWindow);
  sqlite3* db = frame_->Database()->Handle();
  sqlite3_create_function(
      db, "pausa", 1, SQLITE_UTF8, nullptr,
      [](sqlite3_context* c, int, sqlite3_value** v) {
        std::this_thread::sleep_for(std::chrono::milliseconds(sqlite3_value_int(v[0])));
        sqlite3_result_int(c, 1);
      },
      nullptr, nullptr);
  std::atomic<bool> answered = false, answeredDuring = false;
  QTimer::singleShot(100, [&] { answered = true; });
  RunAside([&](WorkProgress*) {
    EXPECT_EQ(sqlite3_exec(db, "SELECT pausa(1300)", nullptr, nullptr, nullptr), SQLITE_OK);
    answeredDuring = answered.load();
  });
  EXPECT_TRUE(answeredDuring);
  ASSERT_FALSE(painted.seconds.empty());
  EXPECT_GE(painted.seconds.back(), 1);
}

TEST(ElapsedTime, ShowsMinutesModuloAnHour) {
  for (const auto& [seconds, text] : {std::pair{0, "00:00"}, {75, "01:15"}, {61 * 60 + 5, "01:05"}, {3599, "59:59"}})
    EXPECT_EQ(cp1252::FromQStringLossy(ElapsedTimeWnd::ClockText(seconds)), text) << seconds;
}

TEST_F(MainWindowTest, PanelTakesPrintAndClosesWhenIdle) {
  EXPECT_TRUE(frame_->RunCommand(MainFrame::kFilePrint));  // no panel: ignored
  QPointer<RecordingPanel> panel = new RecordingPanel;
  frame_->ShowPanel(panel);
  EXPECT_EQ(frame_->currentPanel(), panel.data());
  EXPECT_EQ(panel->geometry(), frame_->Client()->rect());
  frame_->RunCommand(MainFrame::kFilePrint);
  EXPECT_EQ(panel->prints, 1);

  // A new panel replaces the current one.
  QPointer<RecordingPanel> second = new RecordingPanel;
  frame_->ShowPanel(second);
  ASSERT_FALSE(panel.isNull());  // the old panel goes once the running handler has returned
  EXPECT_TRUE(panel->isHidden());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(panel.isNull());

  app_->OnIdle();
  EXPECT_FALSE(second.isNull());
  second->RequestClose();
  app_->OnIdle();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(second.isNull());
  EXPECT_EQ(frame_->currentPanel(), nullptr);
}

// The client area's paints: the band of the first, and each band painted while the busy clock ran
// on the screen under the wait cursor, once in the order first painted.
struct BandsPainted : QObject {
  std::optional<std::string> first;
  std::vector<std::string> busy;
  std::optional<std::string> clockStoppedAt;  // the last band painted busy when the clock first stopped
  std::set<std::string> busyTitles;
  BandsPainted() { qApp->installEventFilter(this); }
  ~BandsPainted() override { qApp->removeEventFilter(this); }
  void Clear() {
    first.reset();
    busy.clear();
    clockStoppedAt.reset();
    busyTitles.clear();
  }
  bool eventFilter(QObject* object, QEvent* event) override {
    if (qobject_cast<ElapsedTimeWnd*>(object) && event->type() == QEvent::Hide && !busy.empty() && !clockStoppedAt)
      clockStoppedAt = busy.back();
    const ClientArea* area = qobject_cast<ClientArea*>(object);
    if (!area || event->type() != QEvent::Paint) return false;
    const std::string band = cp1252::FromQStringLossy(area->StatusBandText());
    const ElapsedTimeWnd* clock = TimetableApp::Instance() ? TimetableApp::Instance()->busyWindow.data() : nullptr;
    const QCursor* cursor = QApplication::overrideCursor();
    if (!first) first = band;
    if (!band.empty() && clock && clock->IsRunning() && clock->isVisible() && cursor &&
        cursor->shape() == Qt::WaitCursor) {
      if (busy.empty() || busy.back() != band) busy.push_back(band);
      busyTitles.insert(cp1252::FromQStringLossy(area->window()->windowTitle()));
    }
    return false;
  }
};

// A file an earlier build wrote, opened at the start or by "&Connetti": the window is painted before
// the work, then the whole check and the bringing forward each run under the clock with their band.
TEST_F(ProgramTest, AnEarlierBuildsFileIsBroughtForwardUnderTheClockAndItsBand) {
  const std::string built = dir_.Path("costruito.mdb"), earlier = dir_.Path("precedente.mdb");
  MakeTimetableDatabase(built);
  RunSql(built, TripHeadSql(1, 1, 800) +
                    "INSERT INTO detcor (id, sub, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
                    "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < 500) "
                    "SELECT 1, k, 'Fermata', k * 100, 800, 800, 0, 0, 0, 0 FROM n");
  for (const bool atStart : {true, false}) {
    SCOPED_TRACE(atStart ? "start" : "Connetti");
    QFile::remove(cp1252::ToQString(earlier));
    MakeEarlierBuildFile(built, earlier);
    BandsPainted watch;
    db_ = atStart ? earlier : built;
    StartProgram(true);
    if (!atStart) {
      QApplication::processEvents();
      watch.Clear();
      script_.File(earlier);
      ASSERT_TRUE(frame_->RunCommand(5104));
    }
    ASSERT_TRUE(frame_->Database() && frame_->Database()->isOpen);
    EXPECT_EQ(frame_->databasePath, earlier);
    EXPECT_EQ(watch.first, "");
    EXPECT_EQ(watch.busy, (std::vector<std::string>{"Controllo del database", kBringForwardCaption}));
    // One run of the clock from the check to the end of the bringing forward, under a title without
    // the period of a file already closed.
    EXPECT_EQ(watch.clockStoppedAt, kBringForwardCaption);
    EXPECT_EQ(watch.busyTitles, std::set<std::string>{kProgramTitle});
    TearDown();
  }
}

}  // namespace
