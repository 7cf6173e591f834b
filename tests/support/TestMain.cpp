// The tests of the layers below the interface need no window: a QCoreApplication is enough.
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  FailTestsOnReadingMismatches();
  return RUN_ALL_TESTS();
}
