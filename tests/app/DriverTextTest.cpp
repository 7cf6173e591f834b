// What the headless driver prints is UTF-8 throughout, the program's own texts included.

#include "app/AppTestSupport.h"
#include "common/Cp1252.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>

TEST(DriverText, AnUnfitAnswerIsReportedInUtf8) {
  ScratchDir dir;
  const std::string settings = dir.Path("quendo.ini");
  WriteSettings(settings, {"Database="});
  // The start-up asks whether to create a database; a file is no answer to that.
  const DriverRun run = RunDriver(settings, {"file " + dir.Path("x.mdb")}, {});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_NE(run.err.find(U8("La risposta successiva non è OK/Annulla per la domanda: L'applicazione Quendo non è "
                            "associata ad un database.\\n")),
            std::string::npos)
      << run.err;
  std::string asRead;
  EXPECT_TRUE(cp1252::FromUtf8(run.err, asRead)) << "not UTF-8: " << run.err;
}
