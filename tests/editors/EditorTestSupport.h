#pragma once
// Pieces of the editors' tests: script lines written "id=value|id=value...", an editor run for
// real with its own event loop, and the trip editor run as its command runs it.

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "editing/EditorTransaction.h"
#include "editors/TripDialog.h"
#include "platform/Ui.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string_view>

// Script lines written "id=value|id=value...".
inline std::vector<std::pair<std::string, std::string>> ScriptLines(std::string_view text) {
  std::vector<std::pair<std::string, std::string>> lines;
  while (!text.empty()) {
    const size_t bar = std::min(text.find('|'), text.size()), eq = text.find('=');
    lines.emplace_back(text.substr(0, eq), text.substr(eq + 1, bar - eq - 1));
    text.remove_prefix(std::min(bar + 1, text.size()));
  }
  return lines;
}

// A dialog's answer written "id=value|id=value...".
inline ui::Answer Answer(const char* idd, std::string_view text) {
  return {ui::Answer::Kind::Dialog, idd, ScriptLines(text)};
}

// An editor run for real, with its own event loop, as on a screen.
template <class Editor>
class LiveEditor : public Editor {
 public:
  using Editor::Editor;
  // Sized and laid out without running it.
  void Prepare(QSize size) {
    this->resize(size);
    this->OnInitDialog();
  }
  // Shows it and runs `user` once its loop runs; a run the user does not end is ended after 10 s.
  int Exec(const std::function<void()>& user, QSize size = {1000, 700}) {
    this->resize(size);
    QTimer::singleShot(0, this, user);
    QTimer::singleShot(10000, this, [this] { static_cast<QDialog*>(this)->done(-1); });
    ui::ShowWindowsOffscreen(true);
    const int result = this->DoModal();
    ui::ShowWindowsOffscreen(false);
    return result;
  }
  void Click(int id) { this->template findChild<QPushButton*>(QString::number(id))->click(); }
  QLineEdit* LineEdit(int id) { return this->template findChild<QLineEdit*>(QString::number(id)); }
  // Types a text key by key into a field, in place of what it held.
  void Type(int id, const std::string& text) {
    LineEdit(id)->selectAll();
    for (QChar c : cp1252::ToQString(text)) {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(LineEdit(id), &key);
    }
  }
};

// Opens the trip editor on a database file as its command does, runs the lines (the dialogs and
// boxes they raise take the answers `after`), shows the editor to `look`, commits; returns the
// messages shown and, when the run could not go on, why.
inline std::string RunTripEditor(const std::string& path, std::string_view lines,
                                 const std::vector<ui::Answer>& after = {},
                                 const std::function<void(TripDialog&)>& look = {},
                                 const std::function<void(DbDatabase&)>& opened = {}) {
  ui::Script script;
  script.Push(Answer("120", lines));
  for (const ui::Answer& a : after) script.Push(a);
  std::string unanswered;
  {
    DbDatabase db(path);
    if (opened) opened(db);
    EditorTransaction transaction(&db);
    TripDialog dialog(nullptr, &db, &transaction, 120);
    try {
      EXPECT_EQ(dialog.DoModal(), ui::IDOK);
      EXPECT_EQ(script.PendingAnswers(), 0u);
    } catch (const ui::UnansweredQuestion& e) {
      unanswered = "?" + std::string(e.what());
    }
    if (look) look(dialog);
    transaction.Commit();
  }
  const std::string messages = MessagesOf(script);
  return unanswered.empty() ? messages : messages + (messages.empty() ? "" : "\n--\n") + unanswered;
}
