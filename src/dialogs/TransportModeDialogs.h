#pragma once
// The transport-mode dialogs: six radios for the mode ('X' until one is clicked), and OK assigns
// it at once (utilities/TransportModes.h) and shows the result. 149 works on every trip and closes
// after its result; 150 (a line of the list) and 152 (an authority that trips use) stay open with
// their choices kept, so that another line or authority can follow; "Annulla" closes them.

#include "platform/Dialog.h"
#include "utilities/TransportModes.h"

#include <functional>
#include <vector>

class DbDatabase;
class WorkProgress;

namespace transport_mode {
constexpr int kFirstRadio = 1178;  // 1178 to 1183: U, X, W, F, T, N
constexpr int kLine = 1184;
constexpr int kAuthority = 1200;
}  // namespace transport_mode

class TransportModeDialog : public ui::Dialog {
 public:
  // The mode letter assigned by the next OK.
  char mode = 'X';
  // The assignments made while the dialog was open.
  int assignments = 0;
  // Called as each assignment begins (the busy clock), and its progress; both may be empty.
  std::function<void()> beforeAssignment;
  WorkProgress* progress = nullptr;

 protected:
  TransportModeDialog(QWidget* parent, DbDatabase* db, int idd, const char* caption, ModeScope::Kind kind);
  bool OnInitDialog() override;
  void OnOK() override;
  // Headless: the lines applied, OK is pressed unless an OK was already clicked; then, unless it
  // was refused, the dialog closes as with "Annulla".
  void OnScriptEnd() override;
  // The scope of the assignment from the dialog's field; false after the refusal is shown.
  virtual bool ReadScope(ModeScope& scope);

  DbDatabase* db_;
  ModeScope::Kind kind_;
  bool refused_ = false;

 private:
  void ShowMode();
};

class CompanyModeDialog : public TransportModeDialog {
 public:
  CompanyModeDialog(QWidget* parent, DbDatabase* db, int idd);
};

class LineModeDialog : public TransportModeDialog {
 public:
  LineModeDialog(QWidget* parent, DbDatabase* db, int idd);

 protected:
  bool OnInitDialog() override;
  bool ReadScope(ModeScope& scope) override;

 private:
  std::vector<DbText> lines_;  // of the list's entries
};

class AuthorityModeDialog : public TransportModeDialog {
 public:
  AuthorityModeDialog(QWidget* parent, DbDatabase* db, int idd);

 protected:
  bool OnInitDialog() override;
  bool ReadScope(ModeScope& scope) override;
};
