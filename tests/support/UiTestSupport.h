#pragma once
// Shared pieces of the tests of the interface layer.

#include "platform/Dialog.h"
#include "platform/Ui.h"
#include "support/TestSupport.h"
#include "support/TimetableData.h"

#include "db/DbDatabase.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

// The text of every message box shown so far, separated by "\n--\n".
inline std::string MessagesOf(const ui::Script& script) {
  std::string out;
  for (const auto& m : script.Messages()) out += (out.empty() ? "" : "\n--\n") + m.text;
  return out;
}

// Runs an options dialog on one scripted answer (`dialog ID` with its control lines): "" when it
// was confirmed, else the text of its one refusal (a stop box, after which the run cannot go on).
template <class D>
std::string ConfirmOrRefusal(ui::Script& script, D& dialog, const std::string& id,
                             std::vector<std::pair<std::string, std::string>> controls) {
  script.Clear();
  script.Push({ui::Answer::Kind::Dialog, id, std::move(controls)});
  try {
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    return "";
  } catch (const ui::UnansweredQuestion&) {
    EXPECT_TRUE(script.Messages().size() == 1 && script.Messages()[0].type == ui::MB_ICONSTOP);
    return script.Messages().empty() ? "?" : script.Messages()[0].text;
  }
}

// Runs an options dialog under the script with the controls given; its result, or -1 when the run
// ended at a refusal.
inline int RunDialogScript(ui::Dialog& dialog, ui::Script& script,
                           const std::vector<std::pair<std::string, std::string>>& controls) {
  script.Push({ui::Answer::Kind::Dialog, std::to_string(dialog.Idd()), controls});
  try {
    return dialog.DoModal();
  } catch (const ui::UnansweredQuestion&) {
    return -1;
  }
}

// Whether a combo box shows `entry` whole, its dialog shown again: in the closed box (a line edit
// keeps two pixels each side of its text, and one for the cursor) and in the list opened.
inline bool ShowsWhole(QComboBox& combo, const QString& entry) {
  combo.window()->show();
  const QLineEdit* field = combo.lineEdit();
  const bool closed = field->text() == entry && field->fontMetrics().horizontalAdvance(entry) + 5 <= field->width();
  combo.showPopup();
  const QAbstractItemView* list = combo.view();
  const QModelIndex index = combo.model()->index(combo.findText(entry), combo.modelColumn());
  const bool open = index.isValid() && list->visualRect(index).width() >= list->sizeHintForIndex(index).width();
  combo.hidePopup();
  combo.window()->hide();
  return closed && open;
}

// Runs a dialog as the user meets it: shown on the offscreen screen, without a script, `user`
// acting once its loop runs and its window is the active one. A dialog (or a box over it) still
// open after 10 s is closed, and the run gives -1.
inline int RunAsUser(ui::Dialog& dialog, const std::function<void()>& user) {
  QTimer::singleShot(0, &dialog, [&dialog, &user] {
    dialog.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    user();
  });
  QTimer::singleShot(10000, &dialog, [&dialog] {
    if (QWidget* box = QApplication::activeModalWidget(); box && box != &dialog) box->close();
    static_cast<QDialog&>(dialog).done(-1);
  });
  ui::ShowWindowsOffscreen(true);
  const int result = dialog.DoModal();
  ui::ShowWindowsOffscreen(false);
  return result;
}

// The width a line edit gives its text: its contents less its text margins and the two pixels Qt
// keeps each side of the text.
inline int TextRoom(const QLineEdit& field) {
  struct Styled : QLineEdit {
    using QLineEdit::initStyleOption;
  };
  QStyleOptionFrame option;
  (field.*(&Styled::initStyleOption))(&option);
  const QMargins margins = field.textMargins();
  return field.style()->subElementRect(QStyle::SE_LineEditContents, &option, &field).width() - margins.left() -
         margins.right() - 4;
}

// Whether a line edit shows `text` whole, with its cursor after it, rather than its last part.
inline bool FieldShowsWhole(const QLineEdit& field, const QString& text) {
  return field.fontMetrics().horizontalAdvance(text) < TextRoom(field);
}

// A dialog test on a timetable database of its own, with the rows `Fill` adds, open as `db`.
struct TimetableDialogTest : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  std::unique_ptr<DbDatabase> db;
  ui::Script script;
  virtual void Fill() {}
  void SetUp() override {
    MakeTimetableDatabase(path);
    Fill();
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
  }
};
