// A report printed from the window as a user prints it: through Qt's print dialog, onto a printer of
// the desktop's print service (a service of the test's own), and after the check that made it.

#include "app/ProgramTestSupport.h"
#include "app/ReportDumpSupport.h"
#include "common/Cp1252.h"
#include "platform/ClientArea.h"
#include "reports/CadenceReports.h"
#include "reports/ContractReport.h"
#include "reportview/ReportView.h"
#include "support/ContractData.h"
#include "support/PrintService.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <set>

namespace {

const char* const kPrinterFault =
    "Non è possibile aprire la stampante.\n\n"
    "Verificare l'impostazione della stampante associata\n"
    "all'applicazione e riprovare successivamente.\n";

// The window program on a database of its own, with no script: every dialog and box is the real one.
class WindowPrint : public ::testing::Test {
 protected:
  void Start() {
    WriteSettings(settings_, {"Database=" + db_});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings_));
    ui::ShowWindowsOffscreen(true);
    app_ = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app_->InitInstance(true));
    frame_ = app_->Frame();
  }
  void TearDown() override {
    boxes_.stop();
    if (app_) app_->ExitInstance();
    app_.reset();
    ui::ShowWindowsOffscreen(false);
    qunsetenv("QUENDO_SETTINGS");
  }
  // Runs `inside` on Qt's print dialog once it is shown.
  static void InPrintDialog(const std::function<void(QPrintDialog&)>& inside) {
    QTimer::singleShot(0, [inside] {
      auto* dialog = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
      EXPECT_NE(dialog, nullptr) << "the print setup";
      if (dialog) inside(*dialog);
    });
  }
  static void ClickOk(QPrintDialog& dialog) {
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
  }
  // Every message box shown from now on is noted and closed.
  void NoteBoxes() {
    boxes_.setInterval(10);
    QObject::connect(&boxes_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        seen_.push_back(cp1252::FromQStringLossy(box->text()));
        box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->reject();
      }
    });
    boxes_.start();
  }

  ScratchDir dir_;
  const std::string settings_ = dir_.Path("quendo.ini");
  const std::string db_ = dir_.Path("lavoro.mdb");
  std::unique_ptr<TimetableApp> app_;
  MainFrame* frame_ = nullptr;
  QTimer boxes_;
  std::vector<std::string> seen_;
};

// A report sent to a printer of the print service that never reaches its queue is not a print: the
// printer's box says so, as for a printer that cannot be opened. The queue that takes the job shows
// no box.
TEST_F(WindowPrint, APrintThePrinterNeverTookShowsThePrintersBox) {
  enum class Fault { None, QueueRejectsJobs, QueueRemovedMeanwhile, ServiceStoppedMeanwhile };
  const struct {
    Fault fault;
    std::vector<std::string> boxes;
  } cases[] = {{Fault::None, {}},
               {Fault::QueueRejectsJobs, {kPrinterFault}},
               {Fault::QueueRemovedMeanwhile, {kPrinterFault}},
               {Fault::ServiceStoppedMeanwhile, {kPrinterFault}}};
  MakeTimetableDatabase(db_);
  RunSql(db_, "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo');");
  // One service for the whole test, its queue made anew for each case; the one that stops it comes last.
  PrintService service;
  ASSERT_TRUE(service.Running()) << service.Output();
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    ASSERT_TRUE(service.MakeQueue()) << service.Output();
    if (c.fault == Fault::QueueRejectsJobs) {
      ASSERT_TRUE(service.RejectJobs()) << service.Output();
    }
    Start();
    seen_.clear();
    ReportView* view = ReportView::Create(frame_);
    ASSERT_TRUE(view->SetReport(std::make_unique<CadenceReport>(frame_->Database(), true)));
    static_cast<CadenceReport*>(view->AttachedReport())->Load(frame_->Database());
    bool chosen = false;
    InPrintDialog([&](QPrintDialog& dialog) {
      auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
      const int queue = printers ? printers->findText(QString::fromLatin1(PrintService::kQueue)) : -1;
      chosen = queue >= 0;
      if (!chosen) return dialog.reject();
      printers->setCurrentIndex(queue);
      if (c.fault == Fault::QueueRemovedMeanwhile) {
        EXPECT_TRUE(service.RemoveQueue()) << service.Output();
      }
      if (c.fault == Fault::ServiceStoppedMeanwhile) service.Stop();
      NoteBoxes();
      ClickOk(dialog);
    });
    view->Print();
    boxes_.stop();
    EXPECT_TRUE(chosen) << "the print setup lists the service's queue";
    EXPECT_EQ(seen_, c.boxes);
    EXPECT_TRUE(view->closeRequested) << "the run is over either way";
    app_->ExitInstance();
    app_.reset();
  }
}

// A printer whose paper is US Letter: the print setup proposes its paper, and the report is
// paginated on it, every row within the page's printable height, none cut at its foot. The page is
// all the paper prints as it lies: the half-inch edges of its top and bottom go to the sides of
// the paper turned for a report wider than upright paper (the contract check).
TEST_F(WindowPrint, AReportOnLetterPaperIsPaginatedOnLetter) {
  const std::pair<bool, QRectF> cases[] = {{false, QRectF(18, 36, 576, 720)}, {true, QRectF(36, 18, 720, 576)}};
  MakeTimetableDatabase(db_);
  RunSql(db_, ContractTimetableSql() +
                  "WITH RECURSIVE n(k) AS (SELECT 100 UNION ALL SELECT k + 1 FROM n WHERE k < 399) "
                  "INSERT INTO cadenz SELECT 'C' || k, 'Cadenza di prova numero ' || k FROM n;");
  PrintService service;
  ASSERT_TRUE(service.Running()) << service.Output();
  ASSERT_TRUE(service.MakeLetterQueue("lettera")) << service.Output();
  Start();
  for (const auto& [wide, printable] : cases) {
    SCOPED_TRACE(wide);
    const std::string dump = dir_.Path("pagine.txt");
    ASSERT_TRUE(ui::SetPageDump(cp1252::ToQString(dump)));
    ReportView* view = ReportView::Create(frame_);
    auto cadences = std::make_unique<CadenceReport>(frame_->Database(), true);
    auto contracts = std::make_unique<ContractReport>(frame_->Database(), true);
    wide ? contracts->Load(frame_->Database()) : cadences->Load(frame_->Database());
    ASSERT_TRUE(wide ? view->SetReport(std::move(contracts)) : view->SetReport(std::move(cadences)));
    std::string proposed;
    QPrinter* printer = nullptr;  // the run's, which the view keeps until it is closed
    InPrintDialog([&](QPrintDialog& dialog) {
      auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
      const int queue = printers ? printers->findText(QStringLiteral("lettera")) : -1;
      if (queue < 0) return dialog.reject();
      printers->setCurrentIndex(queue);
      NoteBoxes();
      ClickOk(dialog);
      printer = dialog.printer();
      proposed = printer->pageLayout().pageSize().key().toStdString();
    });
    view->Print();
    boxes_.stop();
    ui::SetPageDump({});
    // The service has no filter for this printer's language and refuses the job (the printer's box,
    // closed here): the pages were drawn for it all the same.
    EXPECT_EQ(proposed, "Letter");
    ASSERT_NE(printer, nullptr);
    const QRectF area = printer->pageRect(QPrinter::Point);
    EXPECT_EQ((std::vector<qreal>{area.left(), area.top(), area.width(), area.height()}),
              (std::vector<qreal>{printable.left(), printable.top(), printable.width(), printable.height()}));
    // Letter less half an inch top and bottom: 10 inches at 600 dpi; A4's would be 10.69.
    const std::vector<DumpPage> pages = ReadDump(dump);
    ASSERT_GT(pages.size(), 2u);
    int lowest = 0;
    for (const DumpPage& page : pages)
      for (const DumpText& text : page.texts) lowest = std::max(lowest, text.y);
    EXPECT_LT(lowest, printable.height() * 600 / 72);
    EXPECT_TRUE(wide || lowest > 5500) << "pages filled down to their foot";
  }
}

// The check before a report (its status band, its progress bar) is over once its print setup
// shows: neither is left at the window's foot, the bar's operation having returned.
TEST_F(WindowPrint, TheChecksBandAndBarAreGoneWhenThePrintSetupShows) {
  MakeTimetableDatabase(db_);
  RunSql(db_, ContractTimetableSql());
  Start();
  std::string band = "?";
  int bars = -1;
  bool setupShown = false, plain = false;
  QTimer::singleShot(0, [&] {
    QWidget* options = QApplication::activeModalWidget();
    ASSERT_NE(options, nullptr) << "dialog 128";
    EXPECT_EQ(options->objectName().toStdString(), "128");
    InPrintDialog([&](QPrintDialog& dialog) {
      setupShown = true;
      band = cp1252::FromQStringLossy(frame_->Client()->StatusBandText());
      bars = 0;
      for (QProgressBar* bar : frame_->findChildren<QProgressBar*>())
        if (bar->isVisibleTo(frame_)) ++bars;
      // What the window shows there: one plain colour from the top of the band to the foot.
      ClientArea* area = frame_->Client();
      const QImage shown = frame_->screen()->grabWindow(frame_->winId()).toImage();
      const QRect foot(area->mapTo(frame_, area->StatusBandRect().topLeft()),
                       area->mapTo(frame_, QPoint(area->width() - 1, area->height() - 1)));
      std::set<QRgb> colours;
      for (int y = foot.top(); y <= foot.bottom(); ++y)
        for (int x = foot.left(); x <= foot.right(); ++x) colours.insert(shown.pixel(x, y));
      plain = colours.size() == 1;
      dialog.reject();
    });
    if (auto* print = options->findChild<QAbstractButton*>(QStringLiteral("1111"))) print->click();
    options->findChild<QAbstractButton*>(QStringLiteral("1"))->click();
  });
  ASSERT_TRUE(frame_->RunCommand(5136));
  ASSERT_TRUE(setupShown);
  EXPECT_EQ(band, "");
  EXPECT_EQ(bars, 0);
  EXPECT_TRUE(plain) << "nothing of the band or the bar left painted at the window's foot";
}

}  // namespace
