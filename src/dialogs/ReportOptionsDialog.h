#pragma once
// The base of the report option dialogs: the click rules shared by all of them, built once.
//   - A radio button of a group sets its member to 1 and the others of its group to 0; then every
//     option button of the dialog takes its check state from its member, so that a click never
//     leaves the screen and the members apart.
//   - A range check box ("Stampa calendario completo", "Stampo tutti i quadri", ...) flips its
//     member; checked, the range fields it covers are emptied and disabled; unchecked, they are
//     enabled (empty).
//   - An any-code check box ("Qualsiasi Ente", "Qualsiasi linea") flips its member and disables
//     (checked) or enables (unchecked) the combo box it covers, without emptying it.
//   - A plain check box flips its member.
// Members are ints (1 checked, 0 not) of the derived dialog; they hold the initial states on
// entry and the choices on exit.

#include "platform/Dialog.h"

#include <string>
#include <utility>
#include <vector>

class QLayout;

class ReportOptionsDialog : public ui::Dialog {
 public:
  using ui::Dialog::Dialog;

 protected:
  struct Choice {
    int id;
    const char* label;
    int* member;
  };
  // A radio group, framed and titled `title` (no frame when empty).
  QWidget* AddRadioGroup(const std::string& title, std::vector<Choice> choices);
  // A range box covering line edits made with their ids and labels.
  QWidget* AddRangeBox(Choice box, std::vector<std::pair<int, const char*>> fields, int limit);
  // An any-code box covering the combo box `comboId` (made by the derived dialog).
  QWidget* AddAnyCodeBox(Choice box, int comboId);
  QWidget* AddPlainBox(Choice box);

  // Sets every option button from its member and the covered fields from their boxes.
  bool OnInitDialog() override;
  // Every option button takes its check state from its member.
  void ShowMembers();

 private:
  enum class Kind { Radio, Range, AnyCode, Plain };
  struct Option {
    Kind kind;
    int id;
    int* member;
    std::vector<int> group;    // a radio's group (every member of it, itself included)
    std::vector<int> covered;  // the fields of a range or any-code box
  };
  void Clicked(const Option& option);
  void Cover(const Option& option, bool clear);
  std::vector<Option> options_;
};
