#pragma once
// The file dialogs of the commands: open or save, with a title, a default file name and a filter
// written as pairs "Descrizione (*.x)|*.x|...||". With a ui::Script installed nothing is shown:
// the next answer must be `file PATH` (OK with that path) or `cancel`, and the dialog is written to
// the transcript as "FILE<TAB>title<TAB>default name<TAB>filter". Without a script and without a
// display the dialog cannot be answered and throws ui::UnansweredQuestion.
//
// A save dialog refuses a name held by what is not a file (a folder, a device, a pipe: no writer
// replaces one, HeldByNoFile), saying so before the command does any work: a shown dialog opens
// again, under a script the choice ends as a cancel would.
//
// A shown dialog starts in the folder of the last file chosen in this run, else in the user's
// data folder (the "Directory" setting), else in the home folder: never in the folder the
// program happened to be started from.

#include <QDir>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class QFileDialog;

namespace ui {

class FileDialog {
 public:
  enum class Mode { Open, Save };

  // Texts are Windows-1252. `defaultExtension` (without the dot) is added to a name typed
  // without one; a default name holding wildcards only sets the filter, it is not proposed.
  FileDialog(Mode mode, std::string title, std::string defaultName, std::string filter,
             std::string defaultExtension = {});

  // For a destination the command refuses when it already exists: the save dialog does not
  // first ask whether to replace it (the command says why it will not).
  void SetAskToReplace(bool ask) { askToReplace_ = ask; }

  // IDOK when a file was chosen, IDCANCEL otherwise.
  int DoModal();

  // The chosen path (Windows-1252) and its folder (the path up to its last separator).
  const std::string& Path() const { return path_; }
  std::string Folder() const;

  // The filter's (description, patterns) pairs, and the same as Qt name filters: each description
  // whole, as the chooser shows it (HideNameFilterDetails), then its patterns in parentheses, which
  // Qt reads. "*.*" lists every file, as on Windows, those without a dot in their names too.
  static std::vector<std::pair<std::string, std::string>> ParseFilter(const std::string& filter);
  static QStringList QtFilters(const std::string& filter);

  // The name the shown dialog proposes in `folder`. Files from Windows machines carry their
  // extension in any case (RT_CADEN.TXT): when opening, a default name without extension gives
  // the file of that name whose extension is the default one, whatever its case.
  static QString ProposedName(Mode mode, const std::string& defaultName, const std::string& defaultExtension,
                              const QDir& folder);

  // The folder the next shown dialog starts in (see above).
  static QString StartFolder();

  // Runs the shown dialog in place of its own loop (QDialog::exec): it gets the dialog set up as
  // the user would see it, may choose a file in it, and returns the dialog's result. While one
  // is set, every dialog takes this way, under a Script and without a display too. Empty: the
  // dialog runs itself.
  using ShownRunner = std::function<int(QFileDialog& dialog)>;
  static void SetShownRunner(ShownRunner runner);

 private:
  int RunScripted();
  int RunShown();

  Mode mode_;
  std::string title_;
  std::string defaultName_;
  std::string filter_;
  std::string defaultExtension_;
  bool askToReplace_ = true;
  std::string path_;
};

}  // namespace ui
