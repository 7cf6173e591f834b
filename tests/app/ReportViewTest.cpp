// The report view inside the running program: the panel it makes, what happens to it when a run
// ends, and a second report over a preview still open.

#include "app/ProgramTestSupport.h"
#include "platform/ClientArea.h"
#include "platform/PrintSetup.h"
#include "reports/DayTypeReports.h"
#include "reportview/ReportView.h"

#include <QApplication>
#include <QPrintPreviewWidget>
#include <QPrinter>

namespace {

const std::string kCaption = "Quendo - Azienda 17 - Autolinee Prova [periodo dal 01/01/2024 al 30/06/2024]";

void MakeReportDatabase(const std::string& path) {
  MakeTimetableDatabase(path);
  RunSql(path,
         "UPDATE regazi SET denom = 'Autolinee Prova' WHERE codice = 17;"
         "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');");
}

class ReportPanel : public ProgramTest {
 protected:
  void SetUp() override {
    MakeReportDatabase(db_);
    StartProgram(false);
  }
  ReportView* View() const { return qobject_cast<ReportView*>(frame_->currentPanel()); }
};

TEST_F(ReportPanel, ACancelledSetupLeavesNoPanelOnceIdle) {
  script_.Push({ui::Answer::Kind::Dialog, "123", {}}).Cancel();
  ASSERT_TRUE(frame_->RunCommand(5133));
  ASSERT_NE(View(), nullptr);
  EXPECT_TRUE(View()->closeRequested);
  EXPECT_EQ(frame_->title, kCaption);
  app_->OnIdle();
  EXPECT_EQ(frame_->currentPanel(), nullptr);
  EXPECT_EQ(frame_->windowTitle().toStdString(), kCaption);
}

TEST_F(ReportPanel, PreviewThenPrintPaginatesTwice) {
  script_.Push({ui::Answer::Kind::Dialog, "123", {}})
      .Push({ui::Answer::Kind::Printer, dir_.Path("a.pdf"), {}})
      .Push({ui::Answer::Kind::Preview, "print", {}})
      .Push({ui::Answer::Kind::Printer, dir_.Path("b.pdf"), {}});
  ASSERT_TRUE(frame_->RunCommand(5133));
  ASSERT_NE(View(), nullptr);
  EXPECT_EQ(View()->Paginations(), 2);
  EXPECT_EQ(View()->Preview(), nullptr);
  EXPECT_TRUE(View()->closeRequested);
  EXPECT_EQ(script_.PendingAnswers(), 0u);
  app_->OnIdle();
  EXPECT_EQ(frame_->currentPanel(), nullptr);
}

// Without a script: the preview stays open as a user would see it.
class OpenPreview : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeReportDatabase(db_);
    WriteSettings(settings_, {"Database=" + db_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    ui::ShowWindowsOffscreen(true);
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(true));
    frame_ = app_->Frame();
  }
  void TearDown() override {
    app_->ExitInstance();
    app_.reset();
    ui::ShowWindowsOffscreen(false);
    qunsetenv("QUENDO_SETTINGS");
  }
  // A day-type report previewed on a PDF printer, as after the print setup.
  ReportView* Preview(bool byCode) {
    ReportView* view = ReportView::Create(frame_);
    EXPECT_TRUE(view->SetReport(std::make_unique<CadenceReport>(frame_->Database(), byCode)));
    auto* report = static_cast<CadenceReport*>(view->AttachedReport());
    report->Load(frame_->Database());
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    ui::SetPdfPrinter(*printer, dir_.Path("anteprima.pdf"), false);
    printer->setResolution(600);
    view->StartPreview(std::move(printer));
    QApplication::processEvents();
    return view;
  }

  ScratchDir dir_;
  const std::string settings_ = dir_.Path("quendo.ini");
  const std::string db_ = dir_.Path("lavoro.mdb");
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
};

TEST_F(OpenPreview, ASecondReportReplacesThePreviewAndItsReport) {
  QPointer<ReportView> first = Preview(true);
  ASSERT_NE(first->Preview(), nullptr);
  EXPECT_TRUE(first->Preview()->isVisible());
  EXPECT_EQ(first->Preview()->PageCount(), 1);
  EXPECT_FALSE(first->closeRequested);
  EXPECT_EQ(frame_->windowTitle().toStdString(), "Rubrica Cadenze");
  app_->OnIdle();
  EXPECT_EQ(frame_->currentPanel(), first.data()) << "an open preview stays";

  QPointer<ReportView> second = Preview(false);
  EXPECT_EQ(frame_->currentPanel(), second.data());
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull()) << "the old view is destroyed";
  ASSERT_FALSE(second.isNull());
  EXPECT_TRUE(second->Preview()->isVisible());

  // Its close button: the panel goes at the next idle time and the caption comes back.
  emit second->Preview()->closeRequested();
  EXPECT_TRUE(second->closeRequested);
  app_->OnIdle();
  EXPECT_EQ(frame_->currentPanel(), nullptr);
  EXPECT_EQ(frame_->windowTitle().toStdString(), kCaption);
}

}  // namespace
