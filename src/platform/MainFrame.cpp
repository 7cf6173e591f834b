#include "platform/MainFrame.h"

#include "common/Cp1252.h"
#include "common/ProgramTitle.h"
#include "db/DbDatabase.h"
#include "db/DbMaintenance.h"
#include "db/DbSchemaCheck.h"
#include "db/DbTable.h"
#include "db/MasterRow.h"
#include "platform/Busy.h"
#include "platform/CleanClose.h"
#include "platform/ClientArea.h"
#include "platform/FrameProgress.h"
#include "platform/Panel.h"
#include "platform/Settings.h"
#include "platform/Ui.h"
#include "platform/WindowTitle.h"
#include "platform/WorkAside.h"
#include "refdata/Seeding.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QSysInfo>
#include <QThread>
#include <QWindow>
#include <chrono>
#include <cstdlib>
#include <functional>

namespace {

// The status band while the whole file is checked before it is opened.
constexpr const char* kCheckCaption = "Controllo del database";
// How long a window just shown is waited for to be on the screen before the work begins.
constexpr auto kExposeWait = std::chrono::seconds(1);

// The progress of a pass that comes unannounced, inside the open (a file an earlier build wrote
// brought forward): the clock starts with it.
class OpeningProgress : public FrameProgress {
 public:
  using FrameProgress::FrameProgress;
  void Begin(const std::string& caption) override {
    ShowBusy(true);
    FrameProgress::Begin(caption);
  }
};

}  // namespace

std::string GraveAnomalyText() {
  // The settings file stands in for the registry key, and `quendo --install` for the installer.
  std::string text =
      "ATTENZIONE: è stata riscontrata una anomalia grave\n"
      "che rende impossibile il corretto funzionamento di\n"
      "questo programma.\n\n"
      "Ipotesi A) Il prodotto non è stato installato nella\n"
      "           maniera corretta, con il comando\n"
      "           quendo --install CARTELLA.\n\n"
      "Ipotesi B) Il file delle impostazioni\n";
  text += "           " + cp1252::FromQStringLossy(settings::FilePath()) + "\n";
  text +=
      "           è andato perso oppure si è corrotto\n"
      "           e deve essere ripristinato.\n\n";
  return text;
}

namespace {

std::string TrimRight(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

// Restores the running command id when the routine returns or throws.
class RunningGuard {
 public:
  RunningGuard(int& slot, int id) : slot_(slot), previous_(slot) { slot_ = id; }
  ~RunningGuard() { slot_ = previous_; }
  RunningGuard(const RunningGuard&) = delete;
  RunningGuard& operator=(const RunningGuard&) = delete;

 private:
  int& slot_;
  int previous_;
};

}  // namespace

MainFrame::MainFrame(const std::vector<CommandEntry>& commands) : commands_(commands) {
  client_ = new ClientArea(this);
  setCentralWidget(client_);
}

MainFrame::~MainFrame() {
  CloseDatabase();
  SaveDatabasePath();
}

void MainFrame::CreateMainWindow(const std::string& caption) {
  title = caption;
  ui::SetWindowTitle(this, caption);
  BuildMenu();
  auto* print = new QAction(this);
  print->setShortcut(QKeySequence::Print);
  connect(print, &QAction::triggered, this, &MainFrame::OnFilePrint);
  addAction(print);
  UpdateCommandStates();
}

void MainFrame::BuildMenu() {
  std::map<std::string, QMenu*> menus;
  // The popup of a path, made (and placed in its parent) the first time a row names it.
  std::function<QMenu*(const std::string&)> popup = [&](const std::string& path) -> QMenu* {
    auto it = menus.find(path);
    if (it != menus.end()) return it->second;
    const size_t cut = path.rfind('>');
    const std::string label = cut == std::string::npos ? path : path.substr(cut + 1);
    QMenu* menu = nullptr;
    if (cut == std::string::npos) {
      menu = menuBar()->addMenu(cp1252::ToQString(label));
    } else {
      QMenu* parent = popup(path.substr(0, cut));
      menu = parent->addMenu(cp1252::ToQString(label));
    }
    connect(menu, &QMenu::aboutToShow, this, &MainFrame::UpdateCommandStates);
    menus[path] = menu;
    popups_.emplace_back(menu, path);
    return menu;
  };

  for (const CommandEntry& entry : commands_) {
    const std::string path = entry.menu;
    if (entry.id == 0) {
      popup(path)->addSeparator();
      continue;
    }
    QAction* action = path.empty() ? menuBar()->addAction(cp1252::ToQString(entry.label))
                                   : popup(path)->addAction(cp1252::ToQString(entry.label));
    action->setData(entry.id);
    action->setObjectName(QString::number(entry.id));
    const int id = entry.id;
    connect(action, &QAction::triggered, this, [this, id] { RunFromMenu(id); });
    actions_[id] = action;
  }
}

const CommandEntry* MainFrame::FindCommand(int id) const {
  if (id == 0) return nullptr;
  for (const CommandEntry& entry : commands_)
    if (entry.id == id) return &entry;
  return nullptr;
}

QAction* MainFrame::CommandAction(int id) const {
  auto it = actions_.find(id);
  return it == actions_.end() ? nullptr : it->second;
}

bool MainFrame::IsCommandEnabled(int id) const {
  if (!FindCommand(id)) return false;
  if (!CommandNeedsDatabase(id)) return true;
  return database_ != nullptr && database_->isOpen;
}

void MainFrame::UpdateCommandStates() {
  for (auto& [id, action] : actions_) action->setEnabled(IsCommandEnabled(id));
}

bool MainFrame::RunCommand(int id) {
  if (id == kFilePrint) {
    OnFilePrint();
    return true;
  }
  const CommandEntry* entry = FindCommand(id);
  if (!entry || !entry->routine || !IsCommandEnabled(id)) return false;
  {
    RunningGuard guard(runningCommand_, id);
    // Whatever the command committed is folded into the file when it ends, by an exception too:
    // a copy of the file taken while the program runs holds every change.
    struct CheckpointAtEnd {
      MainFrame& frame;
      ~CheckpointAtEnd() {
        if (DbDatabase* db = frame.Database()) db->Checkpoint();
      }
    } checkpoint{*this};
    entry->routine(*this);
  }
  if (entry->flags & kRedrawAfter) Redraw();
  UpdateCommandStates();
  return true;
}

void MainFrame::RunFromMenu(int id) {
  // Nothing may unwind through Qt's event handling: a question that could not be put (no
  // display) ends the command instead.
  try {
    RunCommand(id);
  } catch (const std::exception& e) {
    UpdateCommandStates();
    try {
      ui::MessageBox(cp1252::FromUtf8Lossy(e.what()), ui::MB_ICONSTOP);
    } catch (...) {
    }
  }
}

std::string MainFrame::MenuTreeText() const {
  std::string out;
  std::function<void(const QList<QAction*>&, int)> walk = [&](const QList<QAction*>& actions, int depth) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    for (QAction* a : actions) {
      if (a->isSeparator()) {
        out += indent + "-\n";
      } else if (QMenu* sub = a->menu()) {
        out += indent + sub->title().toStdString() + "\n";
        walk(sub->actions(), depth + 1);
      } else if (a->data().isValid()) {
        const int id = a->data().toInt();
        out += indent + std::to_string(id) + "\t" + a->text().toStdString() + "\t" +
               (IsCommandEnabled(id) ? "enabled" : "disabled") + "\n";
      }
    }
  };
  walk(menuBar()->actions(), 0);
  return out;
}

void MainFrame::SetCaption(const std::string& caption) { ui::SetWindowTitle(this, caption); }

std::string MainFrame::DefaultDatabasePath(const std::string& folder) {
  // Without a folder the user's home stands in for the root of the drive.
  std::string base = folder.empty() ? cp1252::FromQStringLossy(QDir::homePath()) : folder;
  while (base.size() > 1 && (base.back() == '/' || base.back() == '\\')) base.pop_back();
  return base + "/QUENDO.MDB";
}

void MainFrame::LoadDatabasePath() {
  if (settings::Read(settings::kDatabase, databasePath) == settings::ReadResult::KeyMissing) {
    ui::MessageBox(GraveAnomalyText(), ui::MB_ICONSTOP);
    databasePath.clear();
  }
}

void MainFrame::SaveDatabasePath() {
  // A failure leaves the previous value; nothing is shown on the way out.
  settings::Write(settings::kDatabase, databasePath);
}

int MainFrame::AskCreateDatabase() {
  // OK makes the default database, which refuses a file already there with its own message (and
  // the start-up then ends); Cancel starts the program without a database.
  const int answer = ui::MessageBox(
      "L'applicazione Quendo non è associata ad un database.\n\n"
      "Prima di iniziare ad operare con Quendo è necessario\n"
      "creare un database vuoto oppure occorre associare un\n"
      "database già esistente.\n\n"
      "Intendi procedere alla creazione di un nuovo database ?",
      ui::MB_OKCANCEL | ui::MB_ICONQUESTION);
  if (answer != ui::IDOK) return 1;
  return CreateDefaultDatabase();
}

int MainFrame::CreateDefaultDatabase() {
  std::string folder;
  if (settings::Read(settings::kDirectory, folder) == settings::ReadResult::KeyMissing)
    ui::MessageBox(GraveAnomalyText(), ui::MB_ICONSTOP);
  const std::string path = DefaultDatabasePath(folder);
  ShowBusy(true);
  const CreateOutcome outcome = CreateSeededDatabase(path, CreateMode::Startup);
  if (outcome.ok) {
    databasePath = path;
    // Recorded before the success box: a program ended while it is up, or at any time before its
    // exit (a kill, a log-out), keeps its new database.
    SaveDatabasePath();
  }
  ui::ShowOutcome(outcome);
  if (outcome.reached == CreateOutcome::FileFailed) return 0;
  // A later step that failed has said why; the program starts without a database.
  return 1;
}

int MainFrame::OpenDatabase(WorkProgress* progress) {
  if (database_) CloseDatabase();
  if (databasePath.empty()) return 0;
  // Bringing forward a file an earlier build wrote may take long steps the engine cannot break.
  std::unique_ptr<DbDatabase> opened;
  RunAside([&](WorkProgress* aside) { opened = std::make_unique<DbDatabase>(databasePath, DbOpening::Checked, aside); },
           progress);
  database_ = std::move(opened);
  if (!database_->isOpen) {
    // The file has said why it does not open; its path is given up, so the next exit records none.
    database_.reset();
    databasePath.clear();
    UpdateCommandStates();
    return 0;
  }
  UpdateCommandStates();
  // Until its clean close the file is not to be trusted unchecked (a session ended by a kill).
  settings::Write(settings::kCleanClose, "");
  DbTable master(database_.get(), "master");
  if (!master.isOpen) {
    ui::MessageBox("Attenzione; non esiste il MASTER", ui::MB_ICONSTOP);
    return 1;
  }
  if (master.SetIndex("codice") && !master.SeekEqual({"0"})) {
    if (master.AddNew()) {
      master.SetFieldText("codice", "0");
      master.SetFieldText("azienda", "0");
      master.SetFieldText("datini", "01/01/1900");
      master.SetFieldText("datfin", "31/12/2099");
      master.SetFieldText("id_corsa", "0");
      master.SetFieldText("gruppo", "0");
      master.Update();
    }
  }
  return 1;
}

int MainFrame::OpenCheckedDatabase() {
  if (databasePath.empty()) return 0;
  // The whole file is checked only when the last session did not close it cleanly or something
  // changed it since: a sound file is not read page by page at every start.
  std::string lastClose;
  const bool unchanged = settings::Read(settings::kCleanClose, lastClose) == settings::ReadResult::Read &&
                         !lastClose.empty() &&
                         lastClose == CloseFingerprint(databasePath, StoredSchemaDigest(databasePath));
  // The check and the open may be long on a large file: the window is on the screen first, so that
  // the clock and the band that names the work are seen over it.
  PaintBeforeLongWork();
  // A file that is not one of ours, or a damaged one, is refused before anything is written into
  // it, and its path given up as that of a file that does not open. The check reads every page
  // and every index, in steps of the engine that may each last seconds: it runs aside, the clock
  // going meanwhile and the window answering.
  if (!unchanged) {
    ShowBusy(true);
    ShowStatusBand(kCheckCaption);
    Outcome checked;
    RunAside([&](WorkProgress*) { checked = CheckDatabaseToOpen(databasePath); });
    Redraw();
    if (!checked.ok) HideBusy();
    if (!ui::ShowOutcome(checked)) {
      databasePath.clear();
      return 0;
    }
  }
  // A file an earlier build wrote is brought forward as it opens, with its band, under the clock
  // the check started (one run from the start to the end of the work) or one of its own.
  OpeningProgress progress(this);
  const int opened = OpenDatabase(&progress);
  HideBusy();
  return opened;
}

void MainFrame::PaintBeforeLongWork() {
  // A window whose updates are off (the headless driver's) is never painted: nothing to wait for.
  if (!isVisible() || !updatesEnabled()) return;
  // A window just shown is on the screen only once the window system has said so.
  const auto giveUp = std::chrono::steady_clock::now() + kExposeWait;
  while (windowHandle() && !windowHandle()->isExposed() && std::chrono::steady_clock::now() < giveUp) {
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QThread::msleep(5);
  }
  QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
  Redraw();
}

int MainFrame::CloseDatabase() {
  const bool wasOpen = database_ && database_->isOpen;
  std::string schema, unread;
  if (wasOpen && !SchemaDigest(database_->Handle(), schema, unread)) schema.clear();
  database_.reset();
  // Closed cleanly (the log folded into the file): the next start may trust the file as it is.
  if (wasOpen) settings::Write(settings::kCleanClose, CloseFingerprint(databasePath, schema));
  UpdateCommandStates();
  return 1;
}

void MainFrame::UpdateTitle() {
  title = std::string(kProgramTitle);
  if (database_ && database_->isOpen) {
    DbTable master(database_.get(), "master");
    // A value of the row, or of the company's name, not of its column's kind leaves the title
    // without the company: the commands that read it say so.
    master.SetFaultsToldByCaller(true);
    std::string company, first, last;
    if (SeekMasterRow(master) && master.GetFieldText("azienda", company) && master.GetFieldText("datini", first) &&
        master.GetFieldText("datfin", last)) {
      std::string name = "Azienda non definita";
      DbTable companies(database_.get(), "regazi");
      companies.SetFaultsToldByCaller(true);
      std::string found;
      if (companies.isOpen && companies.SetIndex("codice") && companies.SeekEqual({company.c_str()}) &&
          companies.GetFieldText("denom", found))
        name = found;
      name = TrimRight(name);
      char buf[64];
      std::snprintf(buf, sizeof buf, "%ld", std::atol(company.c_str()));
      if (!companies.Faulted())
        title = std::string("Quendo - Azienda ") + buf + " - " + name + " [periodo dal " + first + " al " + last + "]";
    }
  }
  SetCaption(title);
}

void MainFrame::OnExit() {
  if (!OnClose()) return;
  exitConfirmed_ = true;
  close();
}

bool MainFrame::OnClose() {
  return ui::MessageBox(
             "E' stata richiesta l'uscita da Quendo.\n\n"
             "Intendi veramente uscire dal programma ?",
             ui::MB_OKCANCEL | ui::MB_ICONQUESTION) == ui::IDOK;
}

void MainFrame::closeEvent(QCloseEvent* event) {
  if (exitConfirmed_) {
    event->accept();
    return;
  }
  bool confirmed = false;
  try {
    confirmed = OnClose();
  } catch (const std::exception&) {
    confirmed = false;
  }
  if (confirmed) {
    exitConfirmed_ = true;
    event->accept();
  } else {
    event->ignore();
  }
}

void MainFrame::OnAbout() {
  std::string text = "INFORMAZIONI SUL PROGRAMMA\n\n";
  text += std::string(kProgramTitle) + "\n";
  text += "Sistema operativo " + cp1252::FromQStringLossy(QSysInfo::prettyProductName()) + " (" +
          cp1252::FromQStringLossy(QSysInfo::kernelType()) + " " + cp1252::FromQStringLossy(QSysInfo::kernelVersion()) +
          ")";
  text += "\n\nDatabase: " + (databasePath.empty() ? std::string("Nessuno") : databasePath);
  if (database_ && database_->isOpen) text += " (" + EngineVersion() + ")";
  ui::MessageBox(text, ui::MB_ICONINFORMATION);
}

void MainFrame::OnFilePrint() {
  if (Panel* panel = currentPanel()) panel->Print();
}

Panel* MainFrame::currentPanel() const { return client_->CurrentPanel(); }

void MainFrame::ShowPanel(Panel* panel) { client_->SetPanel(panel); }

void MainFrame::ClosePanel() { client_->SetPanel(nullptr); }

void MainFrame::ShowStatusBand(const std::string& text) {
  client_->ShowStatusBand(cp1252::ToQString(text));
  PumpBusy();
}

void MainFrame::Redraw() { client_->Redraw(); }
