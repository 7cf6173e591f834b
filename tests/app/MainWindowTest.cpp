// The real main window, started in this process on the offscreen platform: its picture, the
// menu, the status band, the progress bar, the busy clock and the panel rule.

#include "app/Busy.h"
#include "app/ClientArea.h"
#include "app/Panel.h"
#include "app/ProgramTestSupport.h"
#include "common/Cp1252.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QEventLoop>
#include <QImage>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>
#include <chrono>
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
  static int DistinctColours(const QImage& img) {
    std::set<QRgb> colours;
    for (int y = 0; y < img.height(); y += 3)
      for (int x = 0; x < img.width(); x += 3) colours.insert(img.pixel(x, y));
    return static_cast<int>(colours.size());
  }
  QProgressBar* Bar() const { return frame_->Client()->findChild<QProgressBar*>(QStringLiteral("6002")); }
};

class RecordingPanel : public Panel {
 public:
  using Panel::Panel;
  void Print() override { ++prints; }
  int prints = 0;
};

TEST_F(MainWindowTest, WindowShowsItsIconAndPicture) {
  EXPECT_FALSE(frame_->windowIcon().isNull());
  EXPECT_GT(DistinctColours(frame_->grab().toImage()), 3);
  // The client area: the background picture in the middle, its paper colour around it.
  const QImage client = frame_->Client()->grab().toImage();
  EXPECT_NE(client.pixel(2, 2), qRgb(0, 0, 0));
  EXPECT_GT(DistinctColours(client.copy(client.width() / 2 - 150, client.height() / 2 - 150, 300, 300)), 1);
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
    EXPECT_EQ(std::vector<int>({w->minimum(), w->maximum(), w->value()}), std::vector<int>({0, 100, 40}));
    bar.SetPos(140);
    EXPECT_EQ(w->value(), 100);

    const QRect band = client->StatusBandRect();
    EXPECT_EQ(band, QRect(0, client->height() - 22 - band.height() + 1, client->width(), band.height()));
    EXPECT_LT(band.bottom(), w->geometry().top());  // the band ends 21 pixels above the bottom
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
  EXPECT_LE((clock->geometry().center() - frame_->Client()->rect().center()).manhattanLength(), 2);  // centred
  const QImage first = clock->grab().toImage();

  // An operation that holds the thread and only reports progress: no event loop runs.
  ProgressBar bar(frame_);
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
  for (int pct = 0; std::chrono::steady_clock::now() < until; ++pct) {
    bar.SetPos(pct % 100);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_GE(clock->ElapsedSeconds(), 1);
  EXPECT_NE(first, clock->grab().toImage());
  ShowBusy(1);  // asking again while it runs does not restart it
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

}  // namespace
