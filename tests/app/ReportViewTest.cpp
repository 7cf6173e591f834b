// The report view inside the running program: the panel it makes, what happens to it when a run
// ends, a second report over a preview still open, and the same pages from the window's print
// dialog as from the headless driver.

#include "app/ProgramTestSupport.h"
#include "app/ReportDumpSupport.h"
#include "common/Clock.h"
#include "platform/ClientArea.h"
#include "platform/PrintSetup.h"
#include "reports/CadenceReports.h"
#include "reports/QuadroReports.h"
#include "reportview/ReportView.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTimer>

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
    Start();
  }
  void Start() {
    WriteSettings(settings_, {"Database=" + db_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    ui::ShowWindowsOffscreen(true);
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(true));
    frame_ = app_->Frame();
  }
  void TearDown() override {
    if (app_) app_->ExitInstance();
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

// "Rubrica Corse" of a quadro wider and longer than a page, run in the window (its print dialog
// answered as a user would, printing to a PDF file) and by the driver: the same pages, printed or
// previewed.
class WindowAndDriver : public OpenPreview {
 protected:
  // Quadro 3: 27 trips of 70 stops, whose names are wide enough that a few points of margin on the
  // page cost it a trip column.
  void SetUp() override {
    MakeReportDatabase(db_);
    std::string sql;
    for (int k = 1; k <= 27; ++k) {
      const std::string id = std::to_string(k);
      sql += TripHeadSql(k, 3, 600 + k) + "UPDATE tescor SET ct_lung = 5000, ct_tempo = 40 WHERE id = " + id + ";" +
             "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (" + id +
             ", 'FER', '2024-01-01', '2024-06-30', 0);";
      for (int s = 1; s <= 70; ++s)
        sql +=
            "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, "
            "reglocal) VALUES (" +
            id + ", " + std::to_string(s) + ", 'F" + std::to_string(s) + "', 'Fermata di via Roma, " +
            std::to_string(s) + "', " + std::to_string(s * 900) + ", " + std::to_string(700 + s) + ", " +
            std::to_string(s % 7 == 0 ? 702 + s : 700 + s) + ", 0, 0, 0, 0);";
    }
    RunSql(db_, "BEGIN;" + sql + "COMMIT;");
    WriteSettings(settings_, {"Database=" + db_});
  }
  void TearDown() override {
    ui::SetPageDump({});
    UnfixClock();
    OpenPreview::TearDown();
  }
  // Answers the print dialog the window shows with its OK: printing to the file `pdf` (its last
  // printer), as proposed otherwise.
  static void AnswerPrintDialog(const std::string& pdf) {
    QTimer::singleShot(0, [pdf] {
      auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
      auto* printers = dialog ? dialog->findChild<QComboBox*>(QStringLiteral("printers")) : nullptr;
      auto* file = dialog ? dialog->findChild<QLineEdit*>(QStringLiteral("filename")) : nullptr;
      EXPECT_TRUE(printers && file) << "the print dialog with its printers and file name";
      if (!printers || !file) {
        if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
        return;
      }
      printers->setCurrentIndex(printers->count() - 1);
      file->setText(cp1252::ToQString(pdf));
      dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    });
  }
};

TEST_F(WindowAndDriver, TheSamePagesWhicheverWayTheReportRuns) {
  const char* const now = "2004-03-05 09:07";
  struct Case {
    bool preview;
    std::vector<std::string> answers;
  };
  const Case cases[] = {{false, {"dialog 125", "  1096=1", "printer " + dir_.Path("driver.pdf")}},
                        {true, {"dialog 125", "  1094=1", "printer " + dir_.Path("driver.pdf"), "preview close"}}};
  const auto dumpOf = [this](const char* by, bool preview) {
    return dir_.Path(std::string(by) + (preview ? "-anteprima.txt" : "-stampa.txt"));
  };
  int driverPdfPages = 0;
  for (const Case& c : cases) {
    const DriverRun run =
        RunDriver(settings_, c.answers, {"--now", now, "--page-dump", dumpOf("driver", c.preview), "5135"});
    EXPECT_TRUE(Boxes(run).empty());
    ASSERT_GT(ReadDump(dumpOf("driver", c.preview)).size(), 3u) << "several pages, in slices of trip columns";
    if (!c.preview) driverPdfPages = PdfPages(dir_.Path("driver.pdf"));
  }

  Start();
  ClockTime moment;
  ASSERT_TRUE(ParseClockTime(now, moment));
  FixClock(moment);
  for (const Case& c : cases) {
    const std::string dump = dumpOf("finestra", c.preview), driverDump = dumpOf("driver", c.preview);
    const std::string pdf = dir_.Path(c.preview ? "anteprima.pdf" : "stampa.pdf");
    ASSERT_TRUE(ui::SetPageDump(cp1252::ToQString(dump)));
    ReportView* view = ReportView::Create(frame_);
    ASSERT_TRUE(view->SetReport(std::make_unique<TripReport>(frame_->Database(), true, 0, 0, true, false)));
    static_cast<TripReport*>(view->AttachedReport())->Load(frame_->Database());
    AnswerPrintDialog(pdf);
    if (c.preview) {
      view->PrintPreview();
      QApplication::processEvents();
      ASSERT_NE(view->Preview(), nullptr);
    } else {
      view->Print();
      EXPECT_EQ(PdfPages(pdf), driverPdfPages);
    }
    std::vector<std::string> headings, driverHeadings;
    for (const DumpPage& page : ReadDump(dump)) headings.push_back(page.heading);
    for (const DumpPage& page : ReadDump(driverDump)) driverHeadings.push_back(page.heading);
    EXPECT_EQ(headings, driverHeadings) << (c.preview ? "preview" : "print");
    EXPECT_TRUE(FileBytes(dump) == FileBytes(driverDump))
        << (c.preview ? "preview" : "print") << ": every text where the driver has it";
    if (c.preview) emit view->Preview()->closeRequested();
    app_->OnIdle();
  }
}

}  // namespace
