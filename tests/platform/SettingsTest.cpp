// The settings file that stands in for the registry key.

#include "platform/Settings.h"

#include "common/Cp1252.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override { Use(dir_.Path("cartella/nuova/quendo.ini")); }
  void TearDown() override { qunsetenv(settings::kEnvironmentVariable); }
  void Use(const std::string& path) {
    path_ = path;
    qputenv(settings::kEnvironmentVariable, QByteArray::fromStdString(path));
  }
  // The result of reading a value, then the value (which starts as "prima").
  static std::string Read(const char* name) {
    std::string value = "prima";
    const settings::ReadResult r = settings::Read(name, value);
    return (r == settings::ReadResult::Read     ? "read:"
            : r == settings::ReadResult::Absent ? "absent:"
                                                : "missing:") +
           value;
  }
  ScratchDir dir_;
  std::string path_;
};

TEST_F(SettingsTest, WritingCreatesTheFileAndValuesThatDoNotFitAreIgnored) {
  EXPECT_EQ(cp1252::FromQStringLossy(settings::FilePath()), path_);
  EXPECT_EQ(Read(settings::kDatabase), "missing:prima");  // no file: the missing key
  ASSERT_TRUE(settings::Write(settings::kDirectory, "/home/utente/Località"));
  EXPECT_TRUE(HasPrefix(FileBytes(path_), "[1.00]"));
  EXPECT_EQ(Read(settings::kDirectory), "read:/home/utente/Località");
  EXPECT_EQ(Read(settings::kDatabase), "absent:prima");
  ASSERT_TRUE(settings::Write(settings::kDatabase, std::string(2047, 'a')));
  EXPECT_EQ(Read(settings::kDatabase), "read:" + std::string(2047, 'a'));
  ASSERT_TRUE(settings::Write(settings::kDatabase, std::string(2048, 'b')));
  EXPECT_EQ(Read(settings::kDatabase), "absent:prima");
  ASSERT_TRUE(settings::Write(settings::kDatabase, ""));
  EXPECT_EQ(Read(settings::kDatabase), "read:");
  EXPECT_EQ(Read(settings::kDirectory), "read:/home/utente/Località");  // the other value keeps its text
}

TEST_F(SettingsTest, UnwritableFileIsReportedAndChangesNothing) {
  // The file's folder cannot be made: a plain file stands where it should be.
  WriteFileBytes(dir_.Path("bloccato"), "");
  Use(dir_.Path("bloccato/quendo.ini"));
  EXPECT_FALSE(settings::Write(settings::kDatabase, "/nuovo.mdb"));
  EXPECT_FALSE(settings::Exists());
  EXPECT_EQ(Read(settings::kDatabase), "missing:prima");
}

}  // namespace
