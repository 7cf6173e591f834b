// The file dialogs of the commands, shown as the user gets them in the program started in this
// process: where they open, what they propose, and that "&Crea" and "&Duplica" do not offer to
// replace the file they then refuse (DatabaseCommandsTest), while the export does.

#include "app/ProgramTestSupport.h"
#include "platform/ClientArea.h"
#include "platform/FileDialog.h"

#include <QFileDialog>
#include <deque>

namespace {

struct Seen {
  QString folder;
  QStringList proposed;
  bool save = false;
  bool asksToReplace = true;
  std::string band;  // the main window's status band while the dialog waits
};

class CommandFileDialogs : public ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(data_)) && QDir().mkpath(cp1252::ToQString(dir_.Path("avvio"))));
    db_ = data_ + "/lavoro.mdb";
    CopySeededDatabase(db_);
    previousCurrent_ = QDir::currentPath();
    QDir::setCurrent(cp1252::ToQString(dir_.Path("avvio")));
    ui::FileDialog::SetShownRunner([this](QFileDialog& dialog) {
      seen_.push_back({dialog.directory().absolutePath(), dialog.selectedFiles(),
                       dialog.acceptMode() == QFileDialog::AcceptSave,
                       !dialog.testOption(QFileDialog::DontConfirmOverwrite),
                       cp1252::FromQStringLossy(frame_->Client()->StatusBandText())});
      if (choices_.empty()) return int(QDialog::Rejected);
      dialog.selectFile(cp1252::ToQString(choices_.front()));
      choices_.pop_front();
      return int(QDialog::Accepted);
    });
    StartProgram(false, {"Directory=" + data_});
    script_.Clear();
  }
  void TearDown() override {
    ProgramTest::TearDown();
    ui::FileDialog::SetShownRunner({});
    QDir::setCurrent(previousCurrent_);
  }

  const std::string data_ = dir_.Path("dati");
  QString previousCurrent_;
  std::deque<std::string> choices_;  // the files chosen in the dialogs, in order; then cancel
  std::vector<Seen> seen_;
};

}  // namespace

TEST_F(CommandFileDialogs, OpenInTheDataFolderOrTheLastUsedAndProposeTheFileWhateverItsCase) {
  // The day types' file in the data folder with its extension in lower case, and another one
  // where the program was started.
  const std::string received = data_ + "/RT_CADEN.txt";
  WriteFileBytes(received, "");
  WriteFileBytes(dir_.Path("avvio/RT_CADEN.TXT"), "");
  ASSERT_TRUE(frame_->RunCommand(5110));
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].folder, cp1252::ToQString(data_));
  EXPECT_EQ(seen_[0].proposed, QStringList{cp1252::ToQString(received)});

  // A database connected from another folder: the next dialog opens there.
  const std::string other = dir_.Path("archivio");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(other)));
  CopySeededDatabase(other + "/vecchio.mdb");
  choices_ = {other + "/vecchio.mdb"};
  ASSERT_TRUE(frame_->RunCommand(5104));
  ASSERT_EQ(frame_->databasePath, other + "/vecchio.mdb") << MessagesOf(script_);
  ASSERT_TRUE(frame_->RunCommand(5110));
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_EQ(seen_[2].folder, cp1252::ToQString(other));

  // That folder gone: the data folder again.
  ASSERT_TRUE(QDir(cp1252::ToQString(other)).removeRecursively());
  ASSERT_TRUE(frame_->RunCommand(5110));
  ASSERT_EQ(seen_.size(), 4u);
  EXPECT_EQ(seen_[3].folder, cp1252::ToQString(data_));
}

TEST_F(CommandFileDialogs, CreateAndDuplicateDoNotOfferToReplaceTheFileTheyRefuse) {
  const std::string taken = dir_.Path("esistente.mdb");
  CopySeededDatabase(taken);
  for (const auto& [command, choices] : {std::pair{5103, std::deque{taken}}, {5107, std::deque{db_, taken}}}) {
    seen_.clear();
    script_.Clear();
    choices_ = choices;
    ASSERT_TRUE(frame_->RunCommand(command));
    ASSERT_EQ(seen_.size(), choices.size());
    EXPECT_TRUE(seen_.back().save) << command;
    EXPECT_FALSE(seen_.back().asksToReplace) << command;
    EXPECT_FALSE(script_.Messages().empty()) << "not refused: " << command;
  }
  // The export does replace its files: its dialog asks first.
  seen_.clear();
  script_.Push({ui::Answer::Kind::Dialog, "131", {}});
  ASSERT_TRUE(frame_->RunCommand(5119));
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_TRUE(seen_[0].save);
  EXPECT_TRUE(seen_[0].asksToReplace);
}

// The status band tells the work a command is doing: none shows while its first file dialog waits
// for the user, even after the command has read the timetable.
TEST_F(CommandFileDialogs, NoStatusBandWhileTheFirstFileDialogWaits) {
  for (const int command : {5195, 5198, 5199}) {
    seen_.clear();
    script_.Clear();
    ASSERT_TRUE(frame_->RunCommand(command));
    ASSERT_FALSE(seen_.empty()) << command;
    EXPECT_EQ(seen_.front().band, "") << command;
    EXPECT_EQ(frame_->Client()->StatusBandText(), QString()) << command;
  }
}
