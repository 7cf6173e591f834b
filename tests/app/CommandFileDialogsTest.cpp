// The file dialogs of the commands, shown as the user gets them in the program started in this
// process: where they open, what they propose, and that "&Crea" and "&Duplica" do not offer to
// replace the file they then refuse.

#include "app/AppTestSupport.h"
#include "app/MainFrame.h"
#include "app/TimetableApp.h"
#include "platform/FileDialog.h"
#include "refdata/Seeding.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <deque>

namespace {

struct Seen {
  std::string title;
  QString folder;
  QStringList proposed;
  bool save = false;
  bool asksToReplace = true;
};

class CommandFileDialogs : public ::testing::Test {
 protected:
  void SetUp() override {
    data_ = dir_.Path("dati");
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(data_)));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir_.Path("avvio"))));
    db_ = data_ + "/lavoro.mdb";
    ASSERT_EQ(CreateSeededDatabase(db_, CreateMode::Startup), 1) << MessagesOf(script_);
    settings_ = dir_.Path("quendo.ini");
    WriteSettings(settings_, {"Database=" + db_, "Directory=" + data_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    previousCurrent_ = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir_.Path("avvio")));
    ui::FileDialog::SetShownRunner([this](QFileDialog& dialog) {
      seen_.push_back({dialog.windowTitle().toStdString(), dialog.directory().absolutePath(), dialog.selectedFiles(),
                       dialog.acceptMode() == QFileDialog::AcceptSave,
                       !dialog.testOption(QFileDialog::DontConfirmOverwrite)});
      if (choices_.empty()) return int(QDialog::Rejected);
      dialog.selectFile(QString::fromStdString(choices_.front()));
      choices_.pop_front();
      return int(QDialog::Accepted);
    });
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(false));
    frame_ = app_->Frame();
    script_.Clear();
  }
  void TearDown() override {
    if (app_) app_->ExitInstance();
    app_.reset();
    ui::FileDialog::SetShownRunner({});
    QDir::setCurrent(previousCurrent_);
    qunsetenv("QUENDO_SETTINGS");
  }

  ScratchDir dir_;
  ui::Script script_;  // the message boxes
  std::string data_, db_, settings_;
  QString previousCurrent_;
  std::deque<std::string> choices_;  // the files chosen in the dialogs, in order; then cancel
  std::vector<Seen> seen_;
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
};

}  // namespace

TEST_F(CommandFileDialogs, OpenInTheDataFolderOrTheLastUsedAndProposeTheFileWhateverItsCase) {
  // The day types' file in the data folder with its extension in lower case, and another one
  // where the program was started.
  const std::string received = data_ + "/RT_CADEN.txt";
  ASSERT_TRUE(QFile(QString::fromStdString(received)).open(QIODevice::WriteOnly));
  ASSERT_TRUE(QFile(QString::fromStdString(dir_.Path("avvio/RT_CADEN.TXT"))).open(QIODevice::WriteOnly));
  ASSERT_TRUE(frame_->RunCommand(5110));
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_EQ(seen_[0].folder.toStdString(), data_);
  EXPECT_EQ(seen_[0].proposed, QStringList{QString::fromStdString(received)});

  // A database connected from another folder: the next dialog opens there.
  const std::string other = dir_.Path("archivio");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(other)));
  frame_->CloseDatabase();
  ASSERT_TRUE(QFile::copy(QString::fromStdString(db_), QString::fromStdString(other + "/vecchio.mdb")));
  choices_ = {other + "/vecchio.mdb"};
  ASSERT_TRUE(frame_->RunCommand(5104));
  ASSERT_EQ(frame_->databasePath, other + "/vecchio.mdb") << MessagesOf(script_);
  ASSERT_TRUE(frame_->RunCommand(5110));
  ASSERT_EQ(seen_.size(), 3u);
  EXPECT_EQ(seen_[2].folder.toStdString(), other);

  // That folder gone: the data folder again.
  ASSERT_TRUE(QDir(QString::fromStdString(other)).removeRecursively());
  ASSERT_TRUE(frame_->RunCommand(5110));
  ASSERT_EQ(seen_.size(), 4u);
  EXPECT_EQ(seen_[3].folder.toStdString(), data_);
}

TEST_F(CommandFileDialogs, CreateAndDuplicateDoNotOfferToReplaceTheFileTheyRefuse) {
  const std::string taken = dir_.Path("esistente.mdb");
  ASSERT_TRUE(QFile::copy(QString::fromStdString(db_), QString::fromStdString(taken)));
  const std::string before = FileBytes(taken);
  struct Case {
    int command;
    std::deque<std::string> choices;
    const char* refusal;
  };
  for (const Case& c : {Case{5103, {taken}, "Errore durante la creazione del database "},
                        Case{5107, {db_, taken}, "Errore durante la duplicazione del database"}}) {
    SCOPED_TRACE(c.command);
    seen_.clear();
    script_.Clear();
    choices_ = c.choices;
    ASSERT_TRUE(frame_->RunCommand(c.command));
    ASSERT_EQ(seen_.size(), c.choices.size());
    const Seen& save = seen_.back();
    EXPECT_TRUE(save.save) << save.title;
    EXPECT_FALSE(save.asksToReplace) << save.title;
    ASSERT_FALSE(script_.Messages().empty());
    EXPECT_TRUE(HasPrefix(script_.Messages()[0].text, c.refusal));
    EXPECT_TRUE(FileBytes(taken) == before) << "the file changed";
  }

  // The export does replace its files: its dialog asks first.
  seen_.clear();
  script_.Push({ui::Answer::Kind::Dialog, "131", {}});
  ASSERT_TRUE(frame_->RunCommand(5119));
  ASSERT_EQ(seen_.size(), 1u);
  EXPECT_TRUE(seen_[0].save);
  EXPECT_TRUE(seen_[0].asksToReplace);
}
