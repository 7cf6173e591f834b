// The README as a newcomer runs it: its quick start, run as written on the programs built here, and
// its table of menu commands, which must name every command the program's menu has, under its menu
// path and label.

#include "app/AppTestSupport.h"
#include "platform/Settings.h"
#include "support/TimetableData.h"

#include <QFileInfo>
#include <QProcess>
#include <regex>
#include <sstream>

namespace {

std::string SourceRoot() {
  return cp1252::FromQStringLossy(QFileInfo(cp1252::ToQString(TestDataDir() + "/../..")).canonicalFilePath());
}

// The text of the README from the heading `title` to the next heading of its level.
std::string ReadmeSection(const std::string& title) {
  const std::string readme = FileBytes(SourceRoot() + "/README.md");
  const size_t start = readme.find("\n" + title + "\n");
  if (start == std::string::npos) return {};
  const std::string level = title.substr(0, title.find(' ') + 1);
  const size_t end = readme.find("\n" + level, start + title.size() + 1);
  return readme.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

// The ```sh blocks of a text.
std::vector<std::string> ShellBlocks(const std::string& text) {
  std::vector<std::string> blocks;
  for (size_t at = text.find("```sh\n"); at != std::string::npos; at = text.find("```sh\n", at)) {
    const size_t from = at + 6, to = text.find("```", from);
    if (to == std::string::npos) break;
    blocks.push_back(text.substr(from, to - from));
    at = to + 3;
  }
  return blocks;
}

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

}  // namespace

// The quick start's headless block, run by bash from the top of the tree with a home folder of the
// test's own: the settings made, the database created, the sample set imported, the PDF printed.
// Its build lines are those of scripts/run.sh.
TEST(Readme, QuickStartRunsAsWritten) {
  const std::vector<std::string> blocks = ShellBlocks(ReadmeSection("## Quick start"));
  ASSERT_EQ(blocks.size(), 3u);
  const std::string runScript = FileBytes(SourceRoot() + "/scripts/run.sh");
  for (const std::string& line : {std::string("cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release "
                                              "-DQUENDO_TESTS=OFF -DQUENDO_BENCH=OFF"),
                                  std::string("ninja -C build-release -j 4 quendo quendo-run")}) {
    EXPECT_TRUE(HasPart(blocks[0], line + "\n")) << line;
    EXPECT_TRUE(HasPart(runScript, Replaced(line, "build-release", "\"$build\""))) << line;
  }
  EXPECT_EQ(blocks[2], "build-release/bin/quendo\n");

  ScratchDir home;
  const std::string bin = cp1252::FromQStringLossy(QFileInfo(QStringLiteral(QUENDO_RUN)).absolutePath()) + "/";
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("QUENDO_SETTINGS"));
  env.insert(QStringLiteral("HOME"), cp1252::ToQString(home.Dir()));
  // Run twice, as a newcomer trying it again would: each run is a trial of its own.
  std::string trial;
  for (int run = 1; run <= 2; ++run) {
    QProcess shell;
    shell.setProcessEnvironment(env);
    shell.setWorkingDirectory(cp1252::ToQString(SourceRoot()));
    shell.start(QStringLiteral("bash"),
                {QStringLiteral("-euc"),
                 cp1252::ToQString(Replaced(blocks[1], "build-release/bin/", bin) + "echo \"TRIAL=$prova\"\n")});
    ASSERT_TRUE(shell.waitForFinished(120000));
    const std::string out = shell.readAllStandardOutput().toStdString();
    ASSERT_EQ(shell.exitCode(), 0) << run << shell.readAllStandardError().toStdString() << out;

    const size_t at = out.rfind("TRIAL=");
    ASSERT_NE(at, std::string::npos) << out;
    trial = out.substr(at + 6, out.find('\n', at) - at - 6);
    EXPECT_TRUE(HasPart(trial, home.Dir() + "/prova-")) << trial;
    EXPECT_EQ(SettingsValue(trial + "/quendo.ini", settings::kDatabase), trial + "/QUENDO.MDB");
    EXPECT_TRUE(HasPart(out, U8("\n0x40\tL'importazione complessiva dei dati è terminata con successo.\n"))) << out;
    EXPECT_TRUE(HasPart(out, "\nTITLE\tQuendo - Azienda 17 - ")) << out;
    EXPECT_TRUE(HasPart(out, "\nPRINT\tRubrica Cadenze\t1\n")) << out;
    for (const char* failure : {"\n0x10\t", "\n0x30\t", "\n0x11\t"}) EXPECT_FALSE(HasPart(out, failure)) << out;
    EXPECT_EQ(FileBytes(trial + "/cadenze.pdf").substr(0, 5), "%PDF-");
    // The six files imported, each into its tables.
    const std::string db = trial + "/QUENDO.MDB";
    for (const char* table : {"cadenz", "calend", "tescor", "detcor", "period"})
      EXPECT_NE(QueryFile(db, std::string("SELECT count(*) FROM ") + table), "0\n") << table;
  }

  // Answers as the table of menu commands gives them, each named in its command's row, run on the last trial (two
  // of its trips chained): every answer is taken (an unused one, a print without rows say, ends with 5).
  const std::string table = ReadmeSection("### Every menu command"), pdf = "printer " + trial + "/r.pdf";
  RunSql(trial + "/QUENDO.MDB",
         "UPDATE tescor SET nextcor = 2 WHERE id = 1; UPDATE tescor SET prevcor = 1 WHERE id = 2");
  const std::vector<std::vector<std::string>> rows = {
      {"5134", "`1081=0` with 1082 and 1083", "dialog 124", "  1081=0", "  1082=01/01/2024", "  1083=31/01/2024",
       "  1086=1", pdf},
      {"5135", "`1088=0` with 1090 and 1092", "dialog 125", "  1088=0", "  1090=1", "  1092=5", "  1096=1", pdf},
      {"5158", "`1088=0` with 1090 and 1092", "dialog 144", "  1088=0", "  1090=L1", "  1092=L1", "  1096=1", pdf},
      {"5142", "1129 preview or 1130 print", "dialog 137", "  1130=1", pdf},
      {"5153", "1129 preview (the default) or 1130 print", "dialog 138", "  1129=1", pdf, "preview close"},
      {"5174", "1129 preview or 1130 print", "dialog 151", "  1130=1", pdf},
      {"5170", "`ok` opens the report's save dialog", "ok", "file " + trial + "/errori.txt"}};
  for (const std::vector<std::string>& row : rows) {
    SCOPED_TRACE(row[0]);
    const size_t at = table.find("| " + row[0] + " |");
    ASSERT_NE(at, std::string::npos);
    EXPECT_TRUE(HasPart(table.substr(at, table.find('\n', at) - at), row[1]));
    RunDriver(trial + "/quendo.ini", {row.begin() + 2, row.end()}, {row[0]});
  }
  EXPECT_FALSE(FileBytes(trial + "/errori.txt").empty());
}

// Every command of `quendo-run --menu` has its row in the README's table, by menu path, id and label, and the table
// has no row the menu lacks.
TEST(Readme, EveryMenuCommandIsInTheTable) {
  ScratchDir dir;
  const std::string db = dir.Path("orari.mdb"), settings = dir.Path("quendo.ini");
  CopySeededDatabase(db);
  WriteSettings(settings, {"Database=" + db});
  const DriverRun run = RunDriver(settings, {}, {"--menu"});
  const std::string table = ReadmeSection("### Every menu command");
  ASSERT_FALSE(table.empty());

  std::vector<std::string> popups;
  int commands = 0;
  std::istringstream tree(run.out);
  for (std::string line; std::getline(tree, line);) {
    const size_t indent = line.find_first_not_of(' ');
    if (indent == std::string::npos || line.substr(indent) == "-") continue;
    popups.resize(indent / 2);
    std::string text = line.substr(indent);
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    const size_t tab = text.find('\t');
    if (tab == std::string::npos) {
      popups.push_back(text);
      continue;
    }
    std::string path;
    for (const std::string& p : popups) path += (path.empty() ? "" : " > ") + p;
    const std::string id = text.substr(0, tab), label = text.substr(tab + 1, text.find('\t', tab + 1) - tab - 1);
    const std::string row = "\n| " + (path.empty() ? U8("—") : path) + " | " + id + " | " + label + " | ";
    EXPECT_TRUE(HasPart(table, row)) << row.substr(1);
    ++commands;
  }
  EXPECT_GT(commands, 80);
  const std::regex commandRow(R"(\n\| [^|]+ \| \d{4} \|)");
  EXPECT_EQ(std::distance(std::sregex_iterator(table.begin(), table.end(), commandRow), std::sregex_iterator()),
            commands);
}
