// The settings file that stands in for the registry key.

#include "platform/Settings.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QFile>

namespace {

class SettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("cartella/nuova/quendo.ini");
    qputenv(settings::kEnvironmentVariable, QByteArray::fromStdString(path_));
  }
  void TearDown() override { qunsetenv(settings::kEnvironmentVariable); }
  ScratchDir dir_;
  std::string path_;
};

}  // namespace

TEST_F(SettingsTest, MissingFileIsTheMissingKey) {
  EXPECT_EQ(settings::FilePath().toStdString(), path_);
  EXPECT_FALSE(settings::Exists());
  std::string value = "prima";
  EXPECT_EQ(settings::Read(settings::kDatabase, value), settings::ReadResult::KeyMissing);
  EXPECT_EQ(value, "prima");
}

TEST_F(SettingsTest, WritingCreatesTheFileAndKeepsOtherValues) {
  ASSERT_TRUE(settings::Write(settings::kDirectory, "/home/utente/Località"));
  ASSERT_TRUE(settings::Write(settings::kDatabase, ""));
  EXPECT_TRUE(settings::Exists());
  QFile f(QString::fromStdString(path_));
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(f.readAll());
  EXPECT_TRUE(text.startsWith("[1.00]")) << text.toStdString();

  std::string value = "x";
  EXPECT_EQ(settings::Read(settings::kDatabase, value), settings::ReadResult::Read);
  EXPECT_EQ(value, "");
  EXPECT_EQ(settings::Read(settings::kDirectory, value), settings::ReadResult::Read);
  EXPECT_EQ(value, "/home/utente/Località");
}

TEST_F(SettingsTest, ValuesThatDoNotFitAreIgnored) {
  ASSERT_TRUE(settings::Write(settings::kDatabase, std::string(2047, 'a')));
  std::string value;
  EXPECT_EQ(settings::Read(settings::kDatabase, value), settings::ReadResult::Read);
  EXPECT_EQ(value.size(), 2047u);
  ASSERT_TRUE(settings::Write(settings::kDatabase, std::string(2048, 'b')));
  EXPECT_EQ(settings::Read(settings::kDatabase, value), settings::ReadResult::Absent);
  EXPECT_EQ(value.size(), 2047u);  // unchanged
  value = "z";
  EXPECT_EQ(settings::Read(settings::kDirectory, value), settings::ReadResult::Absent);
  EXPECT_EQ(value, "z");
}

TEST_F(SettingsTest, UnwritableFileIsReportedAndChangesNothing) {
  // The file's folder cannot be made: a plain file stands where it should be.
  const std::string blocker = dir_.Path("bloccato");
  {
    QFile f(QString::fromStdString(blocker));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  qputenv(settings::kEnvironmentVariable, QByteArray::fromStdString(blocker + "/quendo.ini"));
  EXPECT_FALSE(settings::Write(settings::kDatabase, "/nuovo.mdb"));
  EXPECT_FALSE(settings::Exists());
  std::string value = "prima";
  EXPECT_EQ(settings::Read(settings::kDatabase, value), settings::ReadResult::KeyMissing);
  EXPECT_EQ(value, "prima");
}
