// The tests of the interface layer run with a QApplication on the offscreen platform, so that dialogs and windows can
// be built and driven without a display; the notices of the layers below are shown as message boxes, as in the program.
#include "common/Notices.h"
#include "platform/Ui.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Qt's dialogs remember their state (a chooser's column widths) in the user's settings: each run
  // starts without, so that no run passes on what an earlier one left.
  const ScratchDir qtSettings;
  qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(qtSettings.Dir()));
  QApplication app(argc, argv);
  SetNoticeSink(ui::ShowNotice);
  ::testing::InitGoogleTest(&argc, argv);
  FailTestsOnReadingMismatches();
  return RUN_ALL_TESTS();
}
