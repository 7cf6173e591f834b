#pragma once
// The program's small modal windows. Each is one class over one dialog resource, built in code:
// its controls carry their resource ids as object names ("1000", "1155"), `OnInitDialog` fills
// them, `OnOK` reads and checks them and either refuses with one stop-icon box (the dialog stays
// open with everything typed) or ends the dialog with IDOK; the creator then reads the members.
//
// `RunDialog` shows it. With a ui::Script installed nothing is shown: the dialog is written to
// the transcript as "DIALOG<TAB>id<TAB>caption" and the next answer must be for it:
//   dialog ID   each CONTROL-ID=VALUE is put into its control as the user would (a line edit
//               gets the text, a date field without its trailing blanks; a check box "1" or "0"; a radio button "1"
//               clicks it; a push button "1" clicks it; a combo box selects the entry of that exact text, else an
//               editable one gets the text typed; "ID#=N" selects the entry at index N whatever
//               the texts, so that of entries of one text any can be chosen; a text longer than
//               its field, or one its typing rule would change, is not typed at all), then OK is
//               pressed. If `OnOK` refuses, the run cannot go on
//               (the user would be left at the dialog): UnansweredQuestion is thrown after its message.
//   dialog ID cancel   the dialog is closed with Annulla.
// An editor (a dialog that works on the database while it is open) takes its lines in the same
// way, one after the other as the user would act, and a control of its own kind (a grid) takes
// the value it documents (ScriptTarget); a command of its grid's popup menu is chosen by its id
// with the value 1 (RunMenuCommand). Its Conferma is the push button 1; the lines end with
// its "Fine" (or, when they do not, as if "Fine" were pressed: OnScriptEnd). A message box or a
// dialog raised by a line takes the next answer of the script, as anywhere else.
// Any other answer, none, a missing or disabled control, or a value the control cannot take
// also throws UnansweredQuestion. Without a script and without a display it throws as well.

#include "platform/Ui.h"

// The controls a dialog makes through the helpers below, complete for every dialog's use.
#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <initializer_list>
#include <map>
#include <string>
#include <utility>

namespace ui {

// A control that takes a scripted value of its own kind (a grid: the key of the row to select).
class ScriptTarget {
 public:
  virtual ~ScriptTarget() = default;
  // Acts on the value as the user would; false with `why` (Windows-1252) when it cannot.
  virtual bool ApplyScriptValue(const std::string& value, std::string& why) = 0;
};

// Marks a line edit whose scripted value is put in without its trailing blanks, as a list's entry
// is: a field whose entry rule takes no blank at its end and whose typing never leaves one after a
// whole value (a date).
void ScriptValueWithoutTrailingBlanks(QLineEdit* edit);

// A list whose entries are longer than its field shows (a code and a name, padded): the open list
// as wide as its longest entry without its trailing blanks, and the field showing an entry chosen
// from its beginning, not from its last blanks. Called once the list is filled.
void ShowEntriesWhole(QComboBox* combo);

class Dialog : public QDialog {
 public:
  // `idd` is the dialog resource id, given by the creator; the caption is Windows-1252.
  Dialog(QWidget* parent, int idd, const std::string& caption);

  int Idd() const { return idd_; }

  // Runs the dialog modally (RunDialog); returns IDOK, IDCANCEL or the code given to EndDialog.
  int DoModal();

  // The control of a resource id, or null.
  QWidget* Control(int id) const;

  // A scripted line whose id names no control: runs the menu command of that id, as the user
  // would choose it, and returns true; false with `why` set when the command cannot be chosen now,
  // false with `why` empty when the dialog has no such command (the base has none).
  virtual bool RunMenuCommand(int /*id*/, std::string& /*why*/) { return false; }

 protected:
  // Fills the controls from the members; false ends the dialog at once with IDCANCEL.
  virtual bool OnInitDialog() { return true; }
  // The OK button: the base ends the dialog with IDOK.
  virtual void OnOK() { EndDialog(IDOK); }
  // Annulla, Escape or the window's close button: the base ends the dialog with IDCANCEL.
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // A scripted answer's lines are all applied and the dialog is still open: the base presses OK.
  virtual void OnScriptEnd() { OnOK(); }
  // A scripted "dialog ID cancel": the base is OnCancel.
  virtual void OnScriptCancel() { OnCancel(); }
  void EndDialog(int result);
  bool Ended() const { return ended_; }

  // Controls made with their resource ids; a text limit of 0 means none. An editable combo box
  // completes nothing: a text typed into it is read as typed.
  QLabel* MakeLabel(const std::string& text);
  QLineEdit* MakeEdit(int id, int limit);
  QComboBox* MakeCombo(int id, bool editable);
  QCheckBox* MakeCheck(int id, const std::string& label);
  QRadioButton* MakeRadio(int id, const std::string& label);
  // The "OK" (id 1) and "Annulla" (id 2) buttons.
  QDialogButtonBox* MakeOkCancel();

  QLineEdit* Edit(int id) const;
  QComboBox* Combo(int id) const;
  QAbstractButton* Button(int id) const;

  // Puts a Windows-1252 text into a line edit or an editable combo box, and remembers it as shown.
  void SetControlText(int id, const std::string& text);
  // Remembers the text a control shows now (a combo box whose entry was chosen by the dialog).
  void RememberShown(int id);
  // A Windows-1252 text the line edits `ids` (of one font) may be given while the dialog is shown
  // (an entry chosen in a list puts it there): RunDialog makes each field wide enough for the
  // widest of them, as it does for the text the field holds.
  void WillShow(std::initializer_list<int> ids, const std::string& text);
  // Whether the control still holds the text the dialog put there: the user left the field alone.
  // A field left alone is not written back, so that a stored text the code page cannot hold (shown
  // with '?') keeps its characters.
  bool LeftAsShown(int id) const;
  // Reads the text of a line edit or combo box as Windows-1252. A character the code page does
  // not have is refused where it was typed: a stop message, the control gets the focus, false.
  bool ReadControlText(int id, std::string& out);
  // Refuses the confirmation: the stop-icon message, then the focus goes to the control (when
  // an id is given) and the dialog stays open.
  void Refuse(const std::string& message, int focusId = 0);

 private:
  void accept() override { OnOK(); }
  void reject() override { OnCancel(); }
  void done(int result) override;

  friend int RunDialog(Dialog& dialog);

  int idd_;
  std::string caption_;
  bool ended_ = false;
  int result_ = IDCANCEL;
  std::map<int, QString> shown_;                   // by control id, the text the dialog last put there
  std::map<int, std::pair<QString, int>> coming_;  // by control id, the widest text WillShow was told of, its width
};

// Shows the dialog as described above and returns its result.
int RunDialog(Dialog& dialog);

// The width a window needs for its whole title in the title bar: the text in the bold title font,
// the window's icon and the bar's three buttons. A dialog is never narrower (RunDialog).
int TitleWidth(const QWidget& window);

// `wanted`, the place of a window's inside (its geometry), moved and cut so that the whole window,
// its frame included, stands in the available part of the screen. The frame is the window's own
// once the window manager has put it round it; before, a margin that holds a title bar and borders.
QRect InsideScreen(const QWidget& window, const QRect& wanted);

}  // namespace ui
