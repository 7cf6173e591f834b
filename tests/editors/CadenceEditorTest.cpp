// The day-type editor driven as a user would, headless: the rows it writes, read back with SQL,
// and its panel, menu and grid as the user finds them (the widgets outlive the run).

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "editors/CadenceDialog.h"
#include "editors/ListGrid.h"
#include "editors/model/EditorTransaction.h"
#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWheelEvent>
#include <functional>

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;
const char* const kBase = "DELETE FROM cadenz; INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('SAB', 'Sabato')";

// The editor run for real, with its own event loop, as on a screen.
class LiveCadenceDialog : public CadenceDialog {
 public:
  using CadenceDialog::CadenceDialog;
  void Prepare() {
    resize(900, 600);
    OnInitDialog();
  }
  // Shows it and runs `user` once its loop runs; a run the user does not end is ended after 10 s.
  int Exec(const std::function<void()>& user) {
    resize(900, 600);
    QTimer::singleShot(0, this, user);
    QTimer::singleShot(10000, this, [this] { static_cast<QDialog*>(this)->done(-1); });
    ui::ShowWindowsOffscreen(true);
    const int result = DoModal();
    ui::ShowWindowsOffscreen(false);
    return result;
  }
  void Click(int id) { findChild<QPushButton*>(QString::number(id))->click(); }
  // Types a text key by key into a field.
  void Type(int id, const std::string& text) {
    for (QChar c : cp1252::ToQString(text)) {
      QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
      QApplication::sendEvent(Control(id), &key);
    }
  }
};

// The panel as "code|name|code-enabled name-enabled conferma-enabled state".
std::string Panel(const CadenceDialog& dialog) {
  const auto on = [&](int id) { return dialog.Control(id)->isEnabled() ? "on" : "off"; };
  const auto text = [&](int id) {
    return cp1252::FromQStringLossy(dialog.findChild<QLineEdit*>(QString::number(id))->text());
  };
  return text(1010) + "|" + text(1011) + "|" + on(1010) + " " + on(1011) + " " + on(1) +
         (dialog.IsEditing() ? " editing" : " browsing");
}

class CadenceEditor : public ::testing::Test {
 protected:
  void SetUp() override { MakeTimetableDatabase(path_); }

  // Opens the editor as its command does, runs the lines, shows the still open editor to `look`,
  // commits; returns the messages shown.
  std::string Run(const Lines& lines, const std::function<void(CadenceDialog&)>& look = {}) {
    ui::Script script;
    script.Push({ui::Answer::Kind::Dialog, "116", lines});
    {
      DbDatabase db(path_);
      EditorTransaction transaction(&db);
      CadenceDialog dialog(nullptr, &db, &transaction, 116);
      try {
        dialog.DoModal();
      } catch (const ui::UnansweredQuestion& e) {
        ADD_FAILURE() << cp1252::ToUtf8(e.what());
      }
      if (look) look(dialog);
      transaction.Commit();
    }
    return MessagesOf(script);
  }
  std::string DayTypes() { return QueryFile(path_, "SELECT codice, denom FROM cadenz ORDER BY codice"); }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
};

TEST_F(CadenceEditor, WritesWhatIsConfirmedAndKeepsWhatIsRefused) {
  struct Case {
    const char* what;
    Lines lines;
    std::string panel, stored, message;
  };
  const std::vector<Case> cases = {
      {"two new day types, then Annulla",
       {{"1006", "1"},
        {"1010", "FES"},
        {"1011", "Festivo"},
        {"1", "1"},
        {"1010", "DOM"},
        {"1011", "Domenica"},
        {"1", "1"},
        {"1010", "LUN"},
        {"2", "1"}},
       "DOM|Domenica|off off off browsing",
       "DOM|Domenica\nFER|Feriale\nFES|Festivo\nSAB|Sabato\n",
       ""},
      {"a code already there",
       {{"1006", "1"}, {"1010", "FER"}, {"1011", "Feriale bis"}, {"1", "1"}},
       "FER|Feriale bis|on on on editing",
       "FER|Feriale\nSAB|Sabato\n",
       "Errore aggiornamento tavola (cadenz)\n\n"},
      {"a code already there, corrected",
       {{"1006", "1"}, {"1010", "FER"}, {"1011", "Feriale bis"}, {"1", "1"}, {"1010", "FEB"}, {"1", "1"}, {"2", "1"}},
       "FEB|Feriale bis|off off off browsing",
       "FEB|Feriale bis\nFER|Feriale\nSAB|Sabato\n",
       "Errore aggiornamento tavola (cadenz)\n\n"},
      {"Modifica opens the name only",
       {{"6003", "SAB"}, {"1009", "1"}},
       "SAB|Sabato|off on on editing",
       "FER|Feriale\nSAB|Sabato\n",
       ""},
      {"a new name, the code kept",
       {{"6003", "SAB"}, {"1009", "1"}, {"1011", "Sabato scolastico"}, {"1", "1"}},
       "SAB|Sabato scolastico|off off off browsing",
       "FER|Feriale\nSAB|Sabato scolastico\n",
       ""},
      {"deleted, then Ripristina",
       {{"6003", "SAB"}, {"1007", "1"}, {"1038", "1"}},
       "SAB|Sabato|off off off browsing",
       "FER|Feriale\nSAB|Sabato\n",
       ""},
      {"deleted and Aggiorna Vista, then Ripristina",
       {{"6003", "SAB"}, {"1007", "1"}, {"1008", "1"}, {"1038", "1"}},
       "FER|Feriale|off off off browsing",
       "FER|Feriale\n",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunSql(path_, kBase);
    std::string panel;
    const std::string messages = Run(c.lines, [&](CadenceDialog& dialog) { panel = Panel(dialog); });
    EXPECT_EQ(panel, c.panel);
    EXPECT_EQ(DayTypes(), c.stored);
    EXPECT_TRUE(c.message.empty() ? messages.empty() : HasPrefix(messages, c.message)) << messages;
  }
}

TEST_F(CadenceEditor, AggiornaVistaWritesBeforeFine) {
  RunSql(path_, kBase);
  std::string seenBeforeFine;
  Run({{"6003", "SAB"}, {"1007", "1"}, {"1008", "1"}}, [&](CadenceDialog& dialog) {
    seenBeforeFine = DayTypes();
    EXPECT_EQ(dialog.Rows().Find("SAB"), -1);
  });
  EXPECT_EQ(seenBeforeFine, "FER|Feriale\n");
}

TEST_F(CadenceEditor, ADayTypeInUseIsNotDeleted) {
  for (const char* use : {"INSERT INTO calend VALUES ('2024-01-08', 'SAB', '1', ' ')",
                          "INSERT INTO period VALUES (1, 'SAB', '2024-01-01', '2024-01-31', 0)"}) {
    SCOPED_TRACE(use);
    RunSql(path_, std::string(kBase) + "; DELETE FROM calend; DELETE FROM period; " + use);
    int deleted = -1;
    const std::string messages = Run({{"6003", "SAB"}, {"1007", "1"}}, [&](CadenceDialog& dialog) {
      deleted = dialog.Rows().At(dialog.Rows().Find("SAB"))->deleted;
    });
    EXPECT_TRUE(HasPrefix(messages, "Errore eliminazione tavola (cadenz)\n\n"));
    EXPECT_EQ(deleted, 0);
    EXPECT_EQ(DayTypes(), "FER|Feriale\nSAB|Sabato\n");
  }
}

TEST_F(CadenceEditor, FineAndTheCloseButtonBothKeepTheRows) {
  // A day type confirmed, a second typed but not confirmed; then the editor ends.
  const std::vector<std::pair<const char*, std::function<void(LiveCadenceDialog&)>>> ends = {
      {"Fine",
       [](LiveCadenceDialog& d) {
         EXPECT_FALSE(d.CommandButton(1012)->isEnabled());  // not while the panel is open
         d.Click(2);
         d.Click(1012);
       }},
      {"close button", [](LiveCadenceDialog& d) { d.close(); }},
  };
  for (const auto& [what, end] : ends) {
    SCOPED_TRACE(what);
    RunSql(path_, "DELETE FROM cadenz");
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    LiveCadenceDialog dialog(nullptr, &db, &transaction, 116);
    const int result = dialog.Exec([&] {
      dialog.Click(1006);
      dialog.Type(1010, "FER");
      dialog.Type(1011, "Feriale");
      dialog.Click(1);
      dialog.Type(1010, "FES");
      end(dialog);
    });
    EXPECT_EQ(result, ui::IDOK);
    transaction.Commit();
    EXPECT_EQ(DayTypes(), "FER|Feriale\n");
  }
}

TEST_F(CadenceEditor, PopupMenuOffersModifyAndDeleteOnALiveRowOnly) {
  struct Case {
    const char* what;
    const char* sql;
    bool deleteFirst;
    const char* menu;
  };
  const std::string all =
      "1006 &Inserisci una Nuova Cadenza\n1009 &Modifica la Cadenza Selezionata\n"
      "1007 &Elimina la Cadenza Selezionata\n1008 &Aggiorna la Vista delle Cadenze\n"
      "1038 &Ripristina (invalida le variazioni sospese)\n";
  const std::vector<Case> cases = {
      {"no day type", "DELETE FROM cadenz", false, "1006 1008 1038"},
      {"a day type", kBase, false, "1006 1009 1007 1008 1038"},
      {"a deleted day type", kBase, true, "1006 1008 1038"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunSql(path_, c.sql);
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    CadenceDialog dialog(nullptr, &db, &transaction, 116);
    if (c.deleteFirst) dialog.OnDelete();
    std::string labels, enabled;
    const std::unique_ptr<QMenu> menu = dialog.GridWindowOf()->BuildPopupMenu();
    for (QAction* action : menu->actions()) {
      if (action->isSeparator()) continue;
      const std::string id = std::to_string(action->data().toInt());
      labels += id + " " + cp1252::FromQStringLossy(action->text()) + "\n";
      if (action->isEnabled()) enabled += (enabled.empty() ? "" : " ") + id;
    }
    EXPECT_EQ(labels, all);
    EXPECT_EQ(enabled, c.menu);
  }
}

TEST_F(CadenceEditor, RepaintsAndABoxDuringAnEditKeepTheTypedText) {
  RunSql(path_, kBase);
  DbDatabase db(path_);
  EditorTransaction transaction(&db);
  LiveCadenceDialog dialog(nullptr, &db, &transaction, 116);
  std::string panel;
  dialog.Exec([&] {
    dialog.Click(1006);
    dialog.Type(1010, "FES");
    dialog.Type(1011, "Festivo");
    dialog.GridWindowOf()->viewport()->repaint();
    dialog.repaint();
    QApplication::processEvents();
    QTimer::singleShot(0, [] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) box->accept();
    });
    ui::MessageBox("Avviso");
    panel = Panel(dialog);
    dialog.Click(1);
    dialog.Click(2);
    dialog.Click(1012);
  });
  transaction.Commit();
  EXPECT_EQ(panel, "FES|Festivo|on on on editing");
  EXPECT_EQ(DayTypes(), "FER|Feriale\nFES|Festivo\nSAB|Sabato\n");
}

TEST_F(CadenceEditor, AWheelTurnThatMovesTheSelectionEndsTheEdit) {
  RunSql(path_,
         "DELETE FROM cadenz; WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 59) "
         "INSERT INTO cadenz SELECT printf('C%02d', k), printf('Cadenza %d', k) FROM n");
  struct Case {
    const char* what;
    int row;  // -1: the middle of the rows shown
    int delta;
    int selected;  // -1: the row selected before
    const char* panel;
  };
  const std::vector<Case> cases = {
      {"the selected row scrolls out of view", 0, -120, 1, "C01|Cadenza 1|off off off browsing"},
      {"the selected row stays in view", -1, -120, -1, "X||on on on editing"},
      {"nothing to scroll", 0, 120, -1, "X||on on on editing"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    LiveCadenceDialog dialog(nullptr, &db, &transaction, 116);
    dialog.Prepare();
    dialog.show();
    ListGrid* grid = dialog.GridWindowOf();
    ASSERT_GE(grid->VisibleRows(), 3);
    ASSERT_LT(grid->VisibleRows(), grid->RowCount());
    const int row = c.row < 0 ? grid->VisibleRows() / 2 : c.row;
    grid->SelectRow(row, true);
    dialog.OnNew();
    dialog.Type(1010, "X");
    QWheelEvent wheel(QPointF(20, 40), grid->viewport()->mapToGlobal(QPointF(20, 40)), QPoint(), QPoint(0, c.delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &wheel);
    EXPECT_EQ(grid->Selected(), c.selected < 0 ? row : c.selected);
    EXPECT_EQ(Panel(dialog), c.panel);
  }
}

}  // namespace
