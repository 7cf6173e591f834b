// The Database menu: create, connect, disconnect, repair, duplicate.

#include "db/DbMaintenance.h"
#include "platform/Busy.h"
#include "platform/FileDialog.h"
#include "platform/MainFrame.h"
#include "platform/Ui.h"
#include "refdata/Seeding.h"

#include <string>

namespace {

// Asks for a database file; returns false when the user cancels. The files saved here (a new
// database, the copy of one) are never put over an existing file: the command refuses it with its
// own message, so the dialog does not first ask whether to replace it.
bool ChooseDatabaseFile(ui::FileDialog::Mode mode, const char* title, std::string& path) {
  ui::FileDialog dialog(mode, title, "*.MDB", "Database JET (*.mdb)|*.mdb|Tutti i files (*.*)|*.*||", "MDB");
  dialog.SetAskToReplace(false);
  if (dialog.DoModal() != ui::IDOK) return false;
  path = dialog.Path();
  return true;
}

}  // namespace

void MainFrame::OnDatabaseCreate() {
  std::string path;
  if (!ChooseDatabaseFile(ui::FileDialog::Mode::Save, "Creazione Nuovo Database", path)) return;
  ShowBusy(true);
  // The new file is not connected: the open database and the title stay as they are.
  ui::ShowOutcome(CreateSeededDatabase(path, CreateMode::Menu));
}

void MainFrame::OnDatabaseConnect() {
  std::string path;
  if (!ChooseDatabaseFile(ui::FileDialog::Mode::Open, "Selezione del Database", path)) return;
  // The open database is let go first; a chosen file that is refused or does not open leaves the
  // program without a database (and is itself left untouched).
  if (database_) CloseDatabase();
  UpdateTitle();  // the closed file's company and period are no longer the window's
  databasePath = path;
  OpenCheckedDatabase();
  UpdateTitle();
  Redraw();
}

void MainFrame::OnDatabaseDisconnect() {
  if (ui::MessageBox("Confermi sconnessione database ?", ui::MB_OKCANCEL | ui::MB_ICONQUESTION,
                     "Sconnessione Database") == ui::IDOK) {
    if (database_) CloseDatabase();
    databasePath.clear();
    UpdateTitle();
  }
  Redraw();
}

void MainFrame::OnDatabaseRepair() {
  std::string path;
  if (!ChooseDatabaseFile(ui::FileDialog::Mode::Open, "Riparazione del Database", path)) return;
  ShowBusy(true);
  // A sound file is rebuilt without a word; a damaged one is salvaged and the rows recovered are
  // shown. The open database stays open: a damaged file that is open is refused.
  RepairOptions options;
  options.path = path;
  options.pump = PumpBusy;
  ui::ShowOutcome(RepairDatabase(options));
}

void MainFrame::OnDatabaseDuplicate() {
  std::string source, destination;
  if (!ChooseDatabaseFile(ui::FileDialog::Mode::Open, "Selezione del Database di origine", source)) return;
  if (!ChooseDatabaseFile(ui::FileDialog::Mode::Save, "Selezione del Database di destinazione", destination)) return;
  ShowBusy(true);
  ui::ShowOutcome(DuplicateDatabaseFile(source, destination));
}
