#pragma once
// The program's main window. It owns the open timetable database and its path, the caption, the
// folder of the whole import and at most one panel; its menu is built from the command table that
// the shell hands it, and every command routine is called with the frame.

#include "platform/CommandEntry.h"

#include <QMainWindow>
#include <map>
#include <memory>
#include <string>
#include <vector>

class ClientArea;
class DbDatabase;
class Panel;
class QAction;
class QMenu;
class WorkProgress;

class MainFrame : public QMainWindow {
  Q_OBJECT

 public:
  // `commands`: the menu in menu order (the shell's command table), kept for the frame's life.
  explicit MainFrame(const std::vector<CommandEntry>& commands);
  // Closes the database and saves its path in the settings.
  ~MainFrame() override;

  // Builds the window's menu from the command table and sets the caption.
  void CreateMainWindow(const std::string& caption);

  // The open database (null when none) and the stored path of the working database.
  DbDatabase* Database() const { return database_.get(); }
  std::string databasePath;
  // Folder of the files of the whole import.
  std::string importFolder;
  // The current caption (Windows-1252).
  std::string title;

  // Start-up and shut-down.
  void LoadDatabasePath();
  void SaveDatabasePath();
  int AskCreateDatabase();
  int CreateDefaultDatabase();
  // `progress` (may be null) shows a file an earlier build wrote being brought forward.
  int OpenDatabase(WorkProgress* progress = nullptr);
  // Opens `databasePath` once it is found one of our databases, undamaged (the stored database at
  // start-up and the file "&Connetti" chose). A file refused, or that does not open, says why and
  // is given up: no database, `databasePath` emptied. The window is painted first; the whole
  // check and the bringing forward of a file an earlier build wrote run with the wait cursor, the
  // clock and the status band naming the work.
  int OpenCheckedDatabase();
  // Puts a window just shown on the screen and paints it, before a long work holds the thread.
  void PaintBeforeLongWork();
  int CloseDatabase();
  void UpdateTitle();
  void SetCaption(const std::string& caption);

  // Commands.
  bool IsCommandEnabled(int id) const;
  // Runs a command as if chosen from the menu: false (and nothing runs) when the id is unknown or
  // the command is disabled. Exceptions of the routine (an unanswered question) pass through.
  bool RunCommand(int id);
  // The id of the command whose routine is running, 0 outside one.
  int RunningCommand() const { return runningCommand_; }
  // Re-applies the enabling rule to the menu.
  void UpdateCommandStates();
  QAction* CommandAction(int id) const;
  // The menu tree as text: popups, separators, "id<TAB>label<TAB>enabled|disabled".
  std::string MenuTreeText() const;
  static constexpr int kFilePrint = 0xE107;

  // The Database menu (DatabaseCommands.cpp).
  void OnDatabaseCreate();
  void OnDatabaseConnect();
  void OnDatabaseDisconnect();
  void OnDatabaseRepair();
  void OnDatabaseDuplicate();

  void OnExit();
  void OnAbout();
  void OnFilePrint();
  // True once the exit was confirmed.
  bool ExitConfirmed() const { return exitConfirmed_; }

  // Panel rule.
  Panel* currentPanel() const;
  void ShowPanel(Panel* panel);
  void ClosePanel();

  void ShowStatusBand(const std::string& text);
  void Redraw();
  ClientArea* Client() const { return client_; }

  // The installed settings of the default database: "Directory" + "/QUENDO.MDB".
  static std::string DefaultDatabasePath(const std::string& folder);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void BuildMenu();
  bool OnClose();  // the exit question; true when the user confirmed
  void RunFromMenu(int id);
  // The row of a command id, or null.
  const CommandEntry* FindCommand(int id) const;

  const std::vector<CommandEntry>& commands_;
  std::unique_ptr<DbDatabase> database_;
  ClientArea* client_ = nullptr;
  std::map<int, QAction*> actions_;
  std::vector<std::pair<QMenu*, std::string>> popups_;
  int runningCommand_ = 0;
  bool exitConfirmed_ = false;
};

// The program's stop-icon text for a missing settings file: it names the file and the install
// step that writes it.
std::string GraveAnomalyText();
