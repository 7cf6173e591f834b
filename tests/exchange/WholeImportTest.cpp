// The whole import run in this process on real files and a real database: where it stops, what it
// says on the way, and the silent grouping that ends it, on the real main window.

#include "ExchangeTestSupport.h"

#include "app/AppTestSupport.h"
#include "app/Busy.h"
#include "app/ClientArea.h"
#include "app/MainFrame.h"
#include "app/TimetableApp.h"
#include "app/commands/GroupingCommand.h"
#include "app/commands/WholeImportCommand.h"
#include "common/Cp1252.h"
#include "db/DbDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <QApplication>
#include <QDir>
#include <QFile>

namespace {

using K = ImportKind;

const char* const kStop = "Il risultato dell'azione precedente rende impossibile completare l'importazione dei dati.";
const char* const kDone = "L'importazione complessiva dei dati è terminata con successo.";

struct Whole : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string folder = dir.Path("arrivi");
  void SetUp() override {
    MakeTimetableDatabase(db);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    for (K kind : {K::Protocol, K::Cadences, K::Calendar, K::TripHeads, K::TripDetails, K::Periods}) {
      const std::string name = DescriptorOf(kind).layout().fileName;
      WriteLines(folder + "/" + name, HandMadeLines(name));
    }
  }
  // A fresh database and the hand-made set again.
  void Reset() {
    QFile::remove(QString::fromStdString(db));
    SetUp();
  }
  std::string Path(K kind) const { return folder + "/" + DescriptorOf(kind).layout().fileName; }
  void Replace(K kind, const std::vector<std::string>& lines) { WriteLines(Path(kind), lines); }
  std::string Q(const std::string& sql) const { return QueryFile(db, sql); }
  // The whole import with the protocol and day-type files of the folder; the boxes it showed.
  bool Run() {
    DbDatabase handle(db);
    std::string importFolder;
    const FileChooser choose = [&](K kind, std::string& path) {
      path = Path(kind);
      return true;
    };
    return RunWholeImport({&handle, &importFolder, choose, nullptr});
  }
  static std::vector<std::string> Texts(const ui::Script& script) {
    std::vector<std::string> out;
    for (const auto& m : script.Messages()) out.push_back(m.text);
    return out;
  }
  static std::string FailureText(K kind, int read, int inserted) {
    const ImportDescriptor& s = DescriptorOf(kind);
    return std::string(s.heading) + "Lette " + std::to_string(read) + " righe dal file testo.\nInserite " +
           std::to_string(inserted) + " righe nel database.\n\n" + s.failure;
  }
};

TEST_F(Whole, TheHandMadeSetEndsWithSuccess) {
  ui::Script script;
  EXPECT_TRUE(Run());
  EXPECT_EQ(Texts(script), std::vector<std::string>{kDone});
  EXPECT_EQ(Q("SELECT COUNT(*) FROM period"), "4\n");
}

TEST_F(Whole, EmptyLaterFileDeclinedStopsTheImport) {
  const K later[] = {K::Calendar, K::TripHeads, K::TripDetails, K::Periods};
  for (K kind : later) {
    SCOPED_TRACE(DescriptorOf(kind).layout().fileName);
    Reset();
    Replace(kind, {});
    ui::Script script;
    script.Cancel();
    EXPECT_FALSE(Run());
    const auto texts = Texts(script);
    ASSERT_EQ(texts.size(), 2u) << MessagesOf(script);
    EXPECT_EQ(script.Messages()[0].type, ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
    EXPECT_EQ(texts[0].rfind("SONO STATI RILEVATI ERRORI RIMEDIABILI:\n\n", 0), 0u);
    EXPECT_EQ(texts[1], kStop);
    EXPECT_EQ(script.Messages()[1].type, ui::MB_ICONSTOP);
  }
  // The last run declined the periods: none is stored.
  EXPECT_EQ(Q("SELECT COUNT(*) FROM period"), "0\n");
}

TEST_F(Whole, EmptyCalendarAcceptedGoesOn) {
  Replace(K::Calendar, {});
  ui::Script script;
  script.Ok();
  EXPECT_TRUE(Run());
  const auto texts = Texts(script);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], kDone);
  EXPECT_EQ(Q("SELECT COUNT(*) FROM calend"), "0\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM period"), "4\n");
}

TEST_F(Whole, EmptyProtocolDeclinedIsAFailureInTheBatch) {
  Replace(K::Protocol, {});
  ui::Script script;
  script.Cancel();
  EXPECT_FALSE(Run());
  const auto texts = Texts(script);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1], FailureText(K::Protocol, 0, 0));
  EXPECT_EQ(script.Messages()[1].type, ui::MB_ICONSTOP);
  EXPECT_EQ(texts[2], kStop);
  EXPECT_EQ(Q("SELECT COUNT(*) FROM cadenz"), "0\n");
}

TEST_F(Whole, AnotherCompanyDeclinedStopsWithTheRightBoxes) {
  const K kinds[] = {K::Protocol, K::Cadences, K::Calendar, K::TripHeads, K::TripDetails, K::Periods};
  for (K kind : kinds) {
    SCOPED_TRACE(DescriptorOf(kind).layout().fileName);
    Reset();
    auto lines = HandMadeLines(DescriptorOf(kind).layout().fileName);
    for (auto& l : lines) l.replace(0, 4, "0018");
    Replace(kind, lines);
    ui::Script script;
    script.Cancel();
    EXPECT_FALSE(Run());
    const auto texts = Texts(script);
    const bool asksForItsFile = kind == K::Protocol || kind == K::Cadences;
    // The question, the failure box of the protocol and day types only, the stop box.
    ASSERT_EQ(texts.size(), asksForItsFile ? 3u : 2u) << MessagesOf(script);
    EXPECT_EQ(texts[0].find("Proseguo comunque?"), texts[0].size() - 18);
    if (asksForItsFile) {
      EXPECT_EQ(texts[1], FailureText(kind, static_cast<int>(lines.size()), 0));
    }
    EXPECT_EQ(texts.back(), kStop);
  }
}

TEST_F(Whole, FileMissingFromTheFolderStops) {
  ASSERT_TRUE(QFile::remove(QString::fromStdString(Path(K::TripDetails))));
  ui::Script script;
  EXPECT_FALSE(Run());
  EXPECT_EQ(Texts(script), (std::vector<std::string>{"Impossibile aprire\n\n" + Path(K::TripDetails), kStop}));
  EXPECT_EQ(script.Messages()[0].type, ui::MB_ICONSTOP);
  EXPECT_EQ(Q("SELECT COUNT(*) FROM tescor"), "3\n");
  EXPECT_EQ(Q("SELECT COUNT(*) FROM detcor"), "0\n");
}

// ---- The silent grouping on the main window ------------------------------------------------------

// Notes the status band each time a progress bar is put on the client area.
struct BandAtEachBar : QObject {
  ClientArea* area;
  std::vector<std::string> bands;
  explicit BandAtEachBar(ClientArea* a) : area(a) { area->installEventFilter(this); }
  ~BandAtEachBar() override { area->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::ChildAdded) bands.push_back(area->StatusBandText().toStdString());
    return false;
  }
};

struct OnTheFrame : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string settings = dir.Path("quendo.ini");
  std::unique_ptr<ui::Script> script;
  std::unique_ptr<TimetableApp> app;
  MainFrame* frame = nullptr;
  void SetUp() override {
    MakeTimetableDatabase(db);
    ImportHandMade(db, {K::Cadences, K::TripHeads, K::TripDetails});
    script = std::make_unique<ui::Script>();
    WriteSettings(settings, {"Database=" + db});
    qputenv("QUENDO_SETTINGS", QByteArray::fromStdString(settings));
    app = std::make_unique<TimetableApp>();
    ASSERT_TRUE(app->InitInstance(false));
    frame = app->Frame();
    ASSERT_NE(frame->Database(), nullptr);
    QApplication::processEvents();
    script->Clear();
  }
  void TearDown() override {
    if (app) app->ExitInstance();
    app.reset();
    qunsetenv("QUENDO_SETTINGS");
    script.reset();
  }
};

TEST_F(OnTheFrame, SilentGroupingShowsNoBandOfItsOwn) {
  frame->ShowStatusBand(DescriptorOf(K::Periods).caption);
  BandAtEachBar watch(frame->Client());
  GroupHomogeneousTrips(frame, GroupingMode::Silent);
  ASSERT_FALSE(watch.bands.empty());
  for (const std::string& band : watch.bands) EXPECT_EQ(band, "");
  EXPECT_TRUE(script->Messages().empty());
  EXPECT_EQ(QueryFile(db, "SELECT id, gruppo FROM tescor ORDER BY id"), "1|1\n2|2\n3|1\n");
}

TEST_F(OnTheFrame, MissingMasterIsSaidBeforeTheBusyClockStarts) {
  ASSERT_EQ(sqlite3_exec(frame->Database()->Handle(), "DELETE FROM master", nullptr, nullptr, nullptr), SQLITE_OK);
  ASSERT_NE(app->busyWindow, nullptr);
  ASSERT_FALSE(app->busyWindow->IsRunning());
  GroupHomogeneousTrips(frame, GroupingMode::Silent);
  EXPECT_FALSE(app->busyWindow->IsRunning());
  EXPECT_EQ(MessagesOf(*script),
            "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!");
  EXPECT_EQ(QueryFile(db, "SELECT gruppo FROM tescor ORDER BY id"), "-1\n-1\n-1\n");
}

}  // namespace
