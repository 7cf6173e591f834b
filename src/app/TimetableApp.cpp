#include "app/TimetableApp.h"

#include "app/CommandTable.h"

#include "app/commands/InterruptedExports.h"
#include "common/Notices.h"
#include "common/ProgramTitle.h"
#include "db/DbDatabase.h"
#include "platform/Artwork.h"
#include "platform/Busy.h"
#include "platform/ClientArea.h"
#include "platform/FileChoosers.h"
#include "platform/MainFrame.h"
#include "platform/Panel.h"
#include "platform/Settings.h"
#include "platform/Ui.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QScreen>
#include <stdexcept>

namespace {

TimetableApp* g_app = nullptr;

// The busy clock and the wait cursor of the application object, while there is one.
ElapsedTimeWnd* AppBusyWindow() { return g_app ? g_app->busyWindow.data() : nullptr; }
void AppWaitCursor() {
  if (g_app) g_app->SetWaitCursor();
}

}  // namespace

TimetableApp::TimetableApp() {
  if (g_app) throw std::logic_error("the application object already exists");
  g_app = this;
  // What the database layer and the engines have to say is shown as message boxes.
  previousNoticeSink_ = SetNoticeSink(ui::ShowNotice);
  // Long statements and the building of a database keep the busy clock going.
  SetEngineProgressHook(PumpBusy);
  InstallBusyHooks({AppBusyWindow, AppWaitCursor});
}

TimetableApp::~TimetableApp() {
  QObject::disconnect(idleConnection_);
  mainFrame_.reset();
  if (waitCursor_) QApplication::restoreOverrideCursor();
  SetNoticeSink(std::move(previousNoticeSink_));
  if (g_app == this) g_app = nullptr;
}

TimetableApp* TimetableApp::Instance() { return g_app; }

std::string TimetableApp::FullCaption() { return kProgramTitle; }

bool TimetableApp::InitInstance(bool showWindow, bool painted) {
  busyWindow = nullptr;
  const QIcon icon = AppIcon();
  QApplication::setWindowIcon(icon);
  ui::WatchFileChoosers();  // from the start, whatever dialog of Qt's lists a folder
  mainFrame_ = std::make_unique<MainFrame>(CommandTable());
  mainFrame_->setWindowIcon(icon);
  mainFrame_->CreateMainWindow("QUENDO");
  ui::SetOwnerWindow(mainFrame_.get());
  CreateBusyWindow(mainFrame_.get());
  mainFrame_->setUpdatesEnabled(painted);
  if (showWindow) {
    // Maximised; the screen's size first, for desktops whose window manager ignores the request.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) mainFrame_->setGeometry(screen->availableGeometry());
    mainFrame_->showMaximized();
  }
  mainFrame_->SetCaption(FullCaption());
  ConnectIdle();
  // What a kill left of a rewrite of the settings goes first; then the folders where an export was
  // cut short are put in order, before anything else.
  settings::RemoveInterruptedWrites();
  RecoverInterruptedExports();

  mainFrame_->LoadDatabasePath();
  if (mainFrame_->databasePath.empty() && mainFrame_->AskCreateDatabase() == 0) {
    ui::MessageBox(
        "Non è stato possibile associare un database valido.\n\n"
        "Non è pertanto possibile procedere oltre !!!\n\n",
        ui::MB_ICONSTOP);
    return false;
  }
  mainFrame_->OpenCheckedDatabase();
  mainFrame_->UpdateTitle();
  return true;
}

void TimetableApp::ConnectIdle() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (!dispatcher || idleConnection_) return;
  // The loop is about to wait for input: whatever ran has returned. A modal dialog's own loop
  // does not count, as an operation may still be running under it.
  idleConnection_ = connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] {
    if (!QApplication::activeModalWidget() && !QApplication::activePopupWidget()) OnIdle();
  });
}

void TimetableApp::OnIdle() {
  if (busyWindow && busyWindow->IsRunning()) busyWindow->StopClock();
  if (waitCursor_) {
    waitCursor_ = false;
    QApplication::restoreOverrideCursor();
  }
  if (!mainFrame_) return;
  mainFrame_->Client()->ClearStatusBand();
  if (Panel* panel = mainFrame_->currentPanel(); panel && panel->closeRequested) mainFrame_->ClosePanel();
}

int TimetableApp::ExitInstance() {
  QObject::disconnect(idleConnection_);
  idleConnection_ = {};
  if (ui::OwnerWindow() == mainFrame_.get()) ui::SetOwnerWindow(nullptr);
  mainFrame_.reset();  // closes the database, then saves its path
  busyWindow = nullptr;
  if (waitCursor_) {
    waitCursor_ = false;
    QApplication::restoreOverrideCursor();
  }
  ShutdownEngine();
  return 0;
}

void TimetableApp::CreateBusyWindow(MainFrame* frame) { busyWindow = new ElapsedTimeWnd(frame->Client()); }

void TimetableApp::SetWaitCursor() {
  if (waitCursor_) return;
  waitCursor_ = true;
  QApplication::setOverrideCursor(Qt::WaitCursor);
}
