// The caption follows the master row when an import rewrites it: the protocol alone, the whole
// import, and a whole import that stops after the protocol.

#include "app/AppTestSupport.h"
#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>

namespace {

std::string LastTitle(const DriverRun& run) {
  const auto titles = LinesStartingWith(run.transcript, "TITLE\t");
  return titles.empty() ? std::string() : titles.back().substr(6);
}

// "AAAA-MM-GG" as the caption shows it.
std::string DayMonthYear(const std::string& iso) {
  return iso.substr(8, 2) + "/" + iso.substr(5, 2) + "/" + iso.substr(0, 4);
}

// The caption that the master row of the database file calls for.
std::string TitleOfMaster(const std::string& db) {
  std::string row = QueryFile(db,
                              "SELECT m.azienda, rtrim(r.denom), m.datini, m.datfin FROM master m "
                              "JOIN regazi r ON r.codice = m.azienda WHERE m.codice = 0");
  if (row.empty()) return "<no master row>";
  row.pop_back();
  std::vector<std::string> f;
  for (size_t start = 0;;) {
    const size_t bar = row.find('|', start);
    f.push_back(row.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  if (f.size() != 4) return "<bad row " + row + ">";
  return "Quendo - Azienda " + f[0] + " - " + f[1] + " [periodo dal " + DayMonthYear(f[2]) + " al " +
         DayMonthYear(f[3]) + "]";
}

}  // namespace

TEST(TitleAfterImport, FollowsTheMasterRowTheImportsWrote) {
  struct Case {
    const char* name;
    QString command;
    bool withCalendar;  // false: the whole import stops at the missing calendar file
  };
  for (const Case& c :
       {Case{"protocollo", QStringLiteral("5109"), true}, Case{"complessiva", QStringLiteral("5120"), true},
        Case{"complessiva interrotta", QStringLiteral("5120"), false}}) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::string settings = dir.Path("quendo.ini");
    const std::string db = dir.Path("orari.mdb");
    const std::string files = dir.Path("ricevuti");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(files)));
    for (const char* name :
         {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"}) {
      if (!c.withCalendar && std::string(name) == "RT_CALEN.TXT") continue;
      ASSERT_TRUE(QFile::copy(QString::fromStdString(TestDataDir() + "/exchange/" + name),
                              QString::fromStdString(files + "/" + name)));
    }
    {
      ui::Script quiet;
      ASSERT_EQ(CreateSeededDatabase(db, CreateMode::Startup), 1) << MessagesOf(quiet);
    }
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    const DriverRun before = RunDriver(settings, {}, {});
    ASSERT_EQ(before.exitCode, 0) << before.err;

    // The protocol names another company than the new database's and asks whether to go on.
    std::vector<std::string> answers = {"file " + files + "/RT_PROTO.TXT", "ok"};
    if (c.command == QStringLiteral("5120")) answers.push_back("file " + files + "/RT_CADEN.TXT");
    const DriverRun run = RunDriver(settings, answers, {c.command});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const std::string expected = TitleOfMaster(db);
    EXPECT_NE(expected, LastTitle(before));  // the import did change the company and the period
    EXPECT_EQ(LastTitle(run), U8(expected));
  }
}
