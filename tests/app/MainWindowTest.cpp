// The real main window, started in this process on the offscreen platform: its picture, the
// menu, the status band, the progress bar, the busy clock and the panel rule.

#include "app/AppTestSupport.h"
#include "app/Busy.h"
#include "app/ClientArea.h"
#include "app/MainFrame.h"
#include "app/Panel.h"
#include "app/TimetableApp.h"
#include "common/Cp1252.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QMenuBar>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <chrono>
#include <set>
#include <thread>

namespace {

// Starts the program on a database of the test's own and shuts it down at the end.
class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    settings_ = dir_.Path("quendo.ini");
    db_ = dir_.Path("lavoro.mdb");
    MakeDatabase(db_, kShellSchema);
    WriteSettings(settings_, {"Database=" + db_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(true));
    frame_ = app_->Frame();
    frame_->resize(900, 700);
    QApplication::processEvents();
  }
  void TearDown() override {
    if (app_) app_->ExitInstance();
    app_.reset();
    qunsetenv("QUENDO_SETTINGS");
  }

  static int DistinctColours(const QImage& img) {
    std::set<QRgb> colours;
    for (int y = 0; y < img.height(); y += 3)
      for (int x = 0; x < img.width(); x += 3) colours.insert(img.pixel(x, y));
    return static_cast<int>(colours.size());
  }

  ScratchDir dir_;
  ui::Script script_;
  std::string settings_, db_;
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
};

class RecordingPanel : public Panel {
 public:
  using Panel::Panel;
  void Print() override { ++prints; }
  int prints = 0;
};

}  // namespace

TEST_F(MainWindowTest, WindowShowsMenuPictureAndTitle) {
  EXPECT_EQ(frame_->windowTitle().toStdString(),
            "Quendo - Azienda 0 - Azienda non definita [periodo dal 01/01/1900 al 31/12/2099]");
  EXPECT_FALSE(frame_->windowIcon().isNull());

  const QImage shot = frame_->grab().toImage();
  ASSERT_FALSE(shot.isNull());
  EXPECT_GT(DistinctColours(shot), 3);
  // The client area: the background picture in the middle, its paper colour around it.
  const QImage client = frame_->Client()->grab().toImage();
  const QRgb corner = client.pixel(2, 2);
  EXPECT_GT(DistinctColours(client), 1);
  const QImage centre = client.copy(client.width() / 2 - 150, client.height() / 2 - 150, 300, 300);
  EXPECT_GT(DistinctColours(centre), 1);
  EXPECT_NE(corner, qRgb(0, 0, 0));

  // Bar: four popups, then "&Fine" and "&?".
  QStringList bar;
  for (QAction* a : frame_->menuBar()->actions()) bar << a->text();
  EXPECT_EQ(bar, (QStringList{"&Database", "&Archivi", "&Stampe", cp1252::ToQString("&Utilità"), "&Fine", "&?"}));
  EXPECT_TRUE(frame_->CommandAction(5110)->isEnabled());
}

TEST_F(MainWindowTest, ClosingTheDatabaseDisablesTheCommandsThatNeedIt) {
  frame_->CloseDatabase();
  EXPECT_FALSE(frame_->CommandAction(5110)->isEnabled());
  EXPECT_FALSE(frame_->CommandAction(5161)->isEnabled());
  EXPECT_TRUE(frame_->CommandAction(5103)->isEnabled());
  EXPECT_TRUE(frame_->CommandAction(5102)->isEnabled());
  EXPECT_FALSE(frame_->RunCommand(5110));
  frame_->OpenDatabase();
  EXPECT_TRUE(frame_->CommandAction(5110)->isEnabled());
}

TEST_F(MainWindowTest, StatusBandAndProgressBarDoNotOverlap) {
  ClientArea* client = frame_->Client();
  frame_->ShowStatusBand("Importazione cadenze in corso");
  ProgressBar bar(frame_);
  bar.SetPos(40);
  QProgressBar* w = client->findChild<QProgressBar*>("6002");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->geometry(), QRect(0, client->height() - 20, client->width(), 20));
  EXPECT_EQ(w->minimum(), 0);
  EXPECT_EQ(w->maximum(), 100);
  EXPECT_EQ(w->value(), 40);
  bar.SetPos(140);
  EXPECT_EQ(w->value(), 100);

  const QRect band = client->StatusBandRect();
  EXPECT_EQ(band.bottom(), client->height() - 22);  // the band ends 21 pixels above the bottom
  EXPECT_LT(band.bottom(), w->geometry().top());
  EXPECT_EQ(band.left(), 0);
  EXPECT_EQ(band.width(), client->width());

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

TEST_F(MainWindowTest, ProgressBarGoesAwayWithItsOperation) {
  {
    ProgressBar bar(frame_);
    EXPECT_NE(frame_->Client()->findChild<QProgressBar*>("6002"), nullptr);
  }
  EXPECT_EQ(frame_->Client()->findChild<QProgressBar*>("6002"), nullptr);
}

TEST_F(MainWindowTest, BusyClockRunsWhileTheThreadIsBusy) {
  ElapsedTimeWnd* clock = app_->busyWindow;
  ASSERT_NE(clock, nullptr);
  EXPECT_FALSE(clock->isVisible());
  ShowBusy(0);
  EXPECT_FALSE(clock->IsRunning());
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);

  ShowBusy(1);
  ASSERT_TRUE(clock->IsRunning());
  EXPECT_TRUE(clock->isVisible());
  EXPECT_EQ(clock->size(), QSize(186, 78));
  const QPoint off = clock->geometry().center() - frame_->Client()->rect().center();
  EXPECT_LE(off.manhattanLength(), 2);  // centred
  const QImage first = clock->grab().toImage();

  // An operation that holds the thread and only reports progress: no event loop runs.
  ProgressBar bar(frame_);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
  int pct = 0;
  while (std::chrono::steady_clock::now() < until) {
    bar.SetPos(++pct % 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_GE(clock->ElapsedSeconds(), 1);
  const QImage later = clock->grab().toImage();
  EXPECT_NE(first, later);

  // Asking again while it runs does not restart it.
  ShowBusy(1);
  EXPECT_GE(clock->ElapsedSeconds(), 1);

  // The operation returns to the message loop: once it waits for input, the clock stops.
  QEventLoop loop;
  QTimer::singleShot(50, &loop, &QEventLoop::quit);
  loop.exec();
  EXPECT_FALSE(clock->IsRunning());
  EXPECT_FALSE(clock->isVisible());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(ElapsedTime, ShowsMinutesModuloAnHour) {
  EXPECT_EQ(ElapsedTimeWnd::ClockText(0), "00:00");
  EXPECT_EQ(ElapsedTimeWnd::ClockText(75), "01:15");
  EXPECT_EQ(ElapsedTimeWnd::ClockText(61 * 60 + 5), "01:05");
  EXPECT_EQ(ElapsedTimeWnd::ClockText(3599), "59:59");
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

TEST_F(MainWindowTest, ShutDownSavesThePathOfTheOpenDatabase) {
  WriteSettings(settings_, {"Database=", "Directory=/altrove"});
  app_->ExitInstance();
  app_.reset();
  EXPECT_EQ(SettingsValue(settings_, "Database"), db_);
  EXPECT_EQ(SettingsValue(settings_, "Directory"), "/altrove");
}
