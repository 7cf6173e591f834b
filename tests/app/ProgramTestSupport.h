#pragma once
// The program started in this process on the offscreen platform, with a settings file and a
// database of the test's own, and shut down at the end of the test.

#include "app/AppTestSupport.h"
#include "app/TimetableApp.h"
#include "common/Cp1252.h"
#include "platform/ClientArea.h"
#include "platform/MainFrame.h"

#include <QEvent>
#include <memory>
#include <string>
#include <vector>

class ProgramTest : public ::testing::Test {
 protected:
  // Starts the program on db_, which the test has made; `settings` are further lines of its settings file.
  void StartProgram(bool showWindow, std::vector<std::string> settings = {}) {
    settings.insert(settings.begin(), "Database=" + db_);
    WriteSettings(settings_, settings);
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(showWindow));
    frame_ = app_->Frame();
  }
  void TearDown() override {
    if (app_) app_->ExitInstance();
    app_.reset();
    qunsetenv("QUENDO_SETTINGS");
  }

  ScratchDir dir_;
  ui::Script script_;
  const std::string settings_ = dir_.Path("quendo.ini");
  std::string db_ = dir_.Path("lavoro.mdb");
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
};

// Notes the status band each time a progress bar is put on the client area.
struct BandAtEachBar : QObject {
  ClientArea* area;
  std::vector<std::string> bands;
  explicit BandAtEachBar(ClientArea* a) : area(a) { area->installEventFilter(this); }
  ~BandAtEachBar() override { area->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::ChildAdded) bands.push_back(cp1252::FromQStringLossy(area->StatusBandText()));
    return false;
  }
};
