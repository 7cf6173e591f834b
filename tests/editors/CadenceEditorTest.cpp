// The day-type editor driven as a user would, headless: the rows it writes, read back with SQL,
// and its panel, menu and grid as the user finds them (the widgets outlive the run).

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "editing/EditorTransaction.h"
#include "editors/CadenceDialog.h"
#include "editors/CalendarDialog.h"
#include "editors/CalendarGrid.h"
#include "editors/EditorTestSupport.h"
#include "editors/ListGrid.h"
#include "editors/TripListGrid.h"
#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <string_view>
#include <tuple>

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;
const char* const kBase =
    "DELETE FROM calend; DELETE FROM period; DELETE FROM cadenz;"
    "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('SAB', 'Sabato');";

using LiveCadenceDialog = LiveEditor<CadenceDialog>;

// The panel as "code|name|code-enabled name-enabled conferma-enabled state", then " -code" for
// each row marked deleted (greyed).
std::string Panel(CadenceDialog& dialog) {
  const auto on = [&](int id) { return dialog.Control(id)->isEnabled() ? "on" : "off"; };
  const auto text = [&](int id) {
    return cp1252::FromQStringLossy(dialog.findChild<QLineEdit*>(QString::number(id))->text());
  };
  std::string out = text(1010) + "|" + text(1011) + "|" + on(1010) + " " + on(1011) + " " + on(1) +
                    (dialog.IsEditing() ? " editing" : " browsing");
  for (int k = 0; k < dialog.Rows().Count(); ++k)
    if (dialog.Rows().At(k)->deleted) out += " -" + dialog.Rows().At(k)->code;
  return out;
}

// The popup menu's commands as "id label|", a disabled one's id as "-id".
std::string Menu(CadenceDialog& dialog) {
  std::string out;
  const std::unique_ptr<QMenu> menu = dialog.GridWindowOf()->BuildPopupMenu();
  for (QAction* action : menu->actions())
    if (!action->isSeparator())
      out += (action->isEnabled() ? "" : "-") + std::to_string(action->data().toInt()) + " " +
             cp1252::FromQStringLossy(action->text()) + "|";
  return out;
}

class CadenceEditor : public ::testing::Test {
 protected:
  void SetUp() override { MakeTimetableDatabase(path_); }
  std::string Cadences() { return QueryFile(path_, "SELECT codice, denom FROM cadenz ORDER BY codice"); }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
};

TEST_F(CadenceEditor, WritesWhatIsConfirmedAndKeepsWhatIsRefused) {
  struct Case {
    const char *what, *sql, *lines, *panel;
    bool onRow;  // the selected row not deleted: the popup menu offers Modifica and Elimina
    const char *stored, *message;
    const char* seenBeforeFine = nullptr;  // by another connection, while the editor is open
    const char* storedName = nullptr;      // the name of SAB as stored, in hexadecimal
  };
  const char* const kept = "FER|Feriale\nSAB|Sabato\n";
  const char* const inUse = "Errore eliminazione tavola (cadenz)\n\n";
  const char* const duplicate = "Errore aggiornamento tavola (cadenz)\n\n";
  const Case cases[] = {
      {"no day type", "DELETE FROM cadenz", "", "||off off off browsing", false, "", ""},
      {"two new day types, then Annulla", "",
       "1006=1|1010=FES|1011=Festivo|1=1|1010=DOM|1011=Domenica|1=1|1010=LUN|2=1", "DOM|Domenica|off off off browsing",
       true, "DOM|Domenica\nFER|Feriale\nFES|Festivo\nSAB|Sabato\n", ""},
      {"a code already there", "", "1006=1|1010=FER|1011=Feriale bis|1=1", "FER|Feriale bis|on on on editing", false,
       kept, duplicate},
      {"a code already there, corrected", "", "1006=1|1010=FER|1011=Feriale bis|1=1|1010=FEB|1=1|2=1",
       "FEB|Feriale bis|off off off browsing", true, "FEB|Feriale bis\nFER|Feriale\nSAB|Sabato\n", duplicate},
      {"Modifica opens the name only", "", "6003=SAB|1009=1", "SAB|Sabato|off on on editing", true, kept, ""},
      {"a new name, the code kept", "", "6003=SAB|1009=1|1011=Sabato scolastico|1=1",
       "SAB|Sabato scolastico|off off off browsing", true, "FER|Feriale\nSAB|Sabato scolastico\n", ""},
      // Stored by another tool, read with '?': confirmed as shown, it stays as stored.
      {"a name read with '?' left as shown", "UPDATE cadenz SET denom = 'Sab' || char(0x141) WHERE codice = 'SAB'",
       "6003=SAB|1009=1|1=1", "SAB|Sab?|off off off browsing", true, "FER|Feriale\nSAB|Sab?\n", "", nullptr,
       "536162C581\n"},
      // A code stored by another tool, read with '?': renamed and deleted by its stored code.
      {"a code read with '?' renamed", "UPDATE cadenz SET codice = 'S' || char(0x141) WHERE codice = 'SAB'",
       "6003=S?|1009=1|1011=Sabato scolastico|1=1", "S?|Sabato scolastico|off off off browsing", true,
       "FER|Feriale\nS?|Sabato scolastico\n", ""},
      {"a code read with '?' deleted", "UPDATE cadenz SET codice = 'S' || char(0x141) WHERE codice = 'SAB'",
       "6003=S?|1007=1", "S?|Sabato|off off off browsing -S?", false, "FER|Feriale\n", ""},
      {"deleted", "", "6003=SAB|1007=1", "SAB|Sabato|off off off browsing -SAB", false, "FER|Feriale\n", ""},
      {"deleted, then Ripristina", "", "6003=SAB|1007=1|1038=1", "SAB|Sabato|off off off browsing", true, kept, ""},
      {"deleted and Aggiorna Vista, then Ripristina", "", "6003=SAB|1007=1|1008=1|1038=1",
       "FER|Feriale|off off off browsing", true, "FER|Feriale\n", "", "FER|Feriale\n"},
      {"in use by the calendar", "INSERT INTO calend VALUES ('2024-01-08', 'SAB', '1', ' ')", "6003=SAB|1007=1",
       "SAB|Sabato|off off off browsing", true, kept, inUse},
      {"in use by a period", "INSERT INTO period VALUES (1, 'SAB', '2024-01-01', '2024-01-31', 0)", "6003=SAB|1007=1",
       "SAB|Sabato|off off off browsing", true, kept, inUse},
      // Stored by another tool as bytes: the editor does not open, nothing is written.
      {"a name stored as bytes", "UPDATE cadenz SET denom = X'536162E0' WHERE codice = 'SAB'", "6003=SAB|1007=1",
       "FER|Feriale|off off off browsing", true, "FER|Feriale\nSAB|Sab?\n",
       "ATTENZIONE: cadenza SAB:\nil campo denom (Denominazione) vale X'536162E0',\nche è un dato binario e non un "
       "testo come richiede la sua colonna.\n\nL'editor non è stato aperto: correggere il dato prima di modificare "
       "questi dati.",
       nullptr, "536162E0\n"},
  };
  const std::string menu =
      "1006 &Inserisci una Nuova Cadenza|1009 &Modifica la Cadenza Selezionata|1007 &Elimina la Cadenza Selezionata|"
      "1008 &Aggiorna la Vista delle Cadenze|1038 &Ripristina (invalida le variazioni sospese)|";
  std::string offRow = menu;
  offRow.insert(offRow.find("1009"), "-").insert(offRow.find("1007"), "-");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunSql(path_, std::string(kBase) + c.sql);
    ui::Script script;
    script.Push({ui::Answer::Kind::Dialog, "116", ScriptLines(c.lines)});
    {
      DbDatabase db(path_);
      EditorTransaction transaction(&db);
      CadenceDialog dialog(nullptr, &db, &transaction, 116);
      try {
        dialog.DoModal();
      } catch (const ui::UnansweredQuestion& e) {
        ADD_FAILURE() << cp1252::ToUtf8(e.what());
      }
      EXPECT_EQ(Panel(dialog), c.panel);
      EXPECT_EQ(Menu(dialog), c.onRow ? menu : offRow);
      if (c.seenBeforeFine) {
        EXPECT_EQ(Cadences(), c.seenBeforeFine);
      }
      transaction.Commit();
    }
    EXPECT_EQ(Cadences(), c.stored);
    if (c.storedName) {
      EXPECT_EQ(QueryFile(path_, "SELECT hex(denom) FROM cadenz WHERE codice = 'SAB'"), c.storedName);
    }
    const std::string messages = MessagesOf(script);
    EXPECT_TRUE(*c.message ? HasPrefix(messages, c.message) : messages.empty()) << messages;
  }
}

// A disk that fills up under the editor: a name changed is pending when a new day type is refused
// and the engine ends the transaction. The user is told the cause and the loss once each, the
// editor shows the database as it is, and the next change is stored in a new transaction.
TEST_F(CadenceEditor, ADiskThatFillsUpLosesThePendingChangesOnce) {
  // Every page of the day types full, written in code order: a code in their midst needs a new
  // one, a name of the same length does not.
  RunSql(path_, std::string(kBase) +
                    "WITH RECURSIVE n(k) AS (SELECT 1000 UNION ALL SELECT k + 1 FROM n WHERE k < 2999)"
                    " INSERT INTO cadenz SELECT 'Z' || k, 'x' FROM n;");
  ui::Script script;
  script.Push(Answer("116",
                     "6003=SAB|1009=1|1011=Sabbat|1=1|1006=1|1010=Z2000A|"
                     "1011=Una cadenza dal nome lungo|1=1|6003=FER|1007=1"));
  {
    DbDatabase db(path_);
    FillDiskAfter(db.Handle(), 0);
    EditorTransaction transaction(&db);
    CadenceDialog dialog(nullptr, &db, &transaction, 116);
    EXPECT_EQ(dialog.DoModal(), ui::IDOK);
    EXPECT_EQ(Panel(dialog), "FER|Feriale|off off off browsing -FER");
    transaction.Commit();
  }
  EXPECT_EQ(QueryFile(path_, "SELECT codice, denom FROM cadenz WHERE codice NOT LIKE 'Z%' OR codice = 'Z2000A'"),
            "SAB|Sabato\n");
  EXPECT_EQ(MessagesOf(script),
            "Errore aggiornamento tavola (cadenz)\n\nSpazio su disco esaurito (database or disk is full)\n\n"
            "Le modifiche della transazione sono state annullate.\n--\n" +
                std::string(kEditorChangesLostText));
}

// A value of another kind than its column's, stored while the editor is open (by another program,
// between two of its transactions): "Aggiorna Vista" and "Ripristina" read the rows again, meet
// it, show nothing of it and close the editor, saying so; nothing is written.
TEST_F(CadenceEditor, AValueStoredWhileItIsOpenClosesItAtTheNextReading) {
  AllowReadingMismatches();  // the name stored as bytes, on purpose
  for (const int button : {1008, 1038}) {
    SCOPED_TRACE(button);
    RunSql(path_, kBase);
    NoticeLog notices;
    {
      DbDatabase db(path_);
      EditorTransaction transaction(&db);
      LiveCadenceDialog d(nullptr, &db, &transaction, 116);
      const int result = d.Exec([&] {
        EXPECT_EQ(ExecWithoutChecks(db.Handle(), "UPDATE cadenz SET denom = X'536162E0' WHERE codice = 'SAB'"), "ok");
        transaction.CommitAndBegin();
        d.Click(button);
      });
      EXPECT_EQ(result, ui::IDOK);
      transaction.Commit();
    }
    EXPECT_EQ(notices.Texts(),
              "ATTENZIONE: cadenza SAB:\nil campo denom (Denominazione) vale X'536162E0',\nche è un dato binario e non "
              "un testo come richiede la sua colonna.\n\nL'editor è stato chiuso: correggere il dato prima di "
              "modificare questi dati.");
    EXPECT_EQ(QueryFile(path_, "SELECT codice, hex(denom) FROM cadenz ORDER BY codice"),
              "FER|46657269616C65\nSAB|536162E0\n");
  }
}

TEST_F(CadenceEditor, FineTheCloseButtonAndABoxMidEdit) {
  // Ended by Fine, by the close button, or by Fine after repaints and a message box mid-edit.
  for (const std::string_view end : {"Fine", "close", "box"}) {
    SCOPED_TRACE(end);
    const bool box = end == "box";
    RunSql(path_, "DELETE FROM cadenz");
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    LiveCadenceDialog d(nullptr, &db, &transaction, 116);
    const int result = d.Exec(
        [&] {
          d.Click(1006);
          d.Type(1010, "FER");
          d.Type(1011, "Feriale");
          d.Click(1);
          d.Type(1010, "FES");  // typed, not confirmed
          if (end == "close") return void(d.close());
          if (box) {
            d.Type(1011, "Festivo");
            d.GridWindowOf()->viewport()->repaint();
            d.repaint();
            QApplication::processEvents();
            QTimer::singleShot(0, [] {
              if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) shown->accept();
            });
            ui::MessageBox("Avviso");
            EXPECT_EQ(Panel(d), "FES|Festivo|on on on editing");
            d.Click(1);
          }
          EXPECT_FALSE(d.CommandButton(1012)->isEnabled());  // not while the panel is open
          d.Click(2);
          d.Click(1012);
        },
        {900, 600});
    EXPECT_EQ(result, ui::IDOK);
    transaction.Commit();
    EXPECT_EQ(Cadences(), box ? "FER|Feriale\nFES|Festivo\n" : "FER|Feriale\n");
  }
}

TEST_F(CadenceEditor, EveryEditorOpensWithTheKeysInItsGrid) {
  // Three presses of Down move through the rows, never along the buttons to a delete.
  RunSql(path_, std::string(kBase) + "INSERT INTO cadenz VALUES ('FES', 'Festivo'), ('SCO', 'Scolastico');");
  const std::string before = Cadences();
  {
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    LiveCadenceDialog d(nullptr, &db, &transaction, 116);
    d.Exec([&] {
      ASSERT_EQ(d.focusWidget(), d.GridWindowOf());
      for (int k = 0; k < 3; ++k) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QApplication::sendEvent(d.focusWidget(), &down);
      }
      EXPECT_EQ(d.GridWindowOf()->Selected(), 3);
      EXPECT_EQ(Panel(d), "SCO|Scolastico|off off off browsing");
      d.Click(1012);
    });
    transaction.Commit();
  }
  EXPECT_EQ(Cadences(), before);
  // The calendar and the trip list likewise.
  DbDatabase db(path_);
  EditorTransaction transaction(&db);
  LiveEditor<CalendarDialog> calendar(nullptr, &db, &transaction, nullptr, 118);
  calendar.Exec([&] {
    EXPECT_EQ(calendar.focusWidget(), calendar.GridWindowOf());
    calendar.Click(CalendarDialog::kFinish);
  });
  LiveEditor<TripDialog> trips(nullptr, &db, &transaction, 120);
  trips.Exec([&] {
    EXPECT_EQ(trips.focusWidget(), trips.ListGrid());
    trips.Click(TripDialog::kFinish);
  });
  transaction.Commit();
}

// Each editor covers the main window's client area; when that area reaches the screen's edges (a
// main window maximised on a 1024x768 screen) the editor still opens inside the screen's available
// part, its frame included.
TEST_F(CadenceEditor, EveryEditorOpensInsideTheScreenWithItsFrame) {
  QWidget mainWindow;
  mainWindow.setGeometry(QGuiApplication::primaryScreen()->availableGeometry());
  QWidget area(&mainWindow);
  area.setGeometry(0, 20, mainWindow.width(), mainWindow.height() - 20);
  ui::ShowWindowsOffscreen(true);
  mainWindow.show();
  DbDatabase db(path_);
  EditorTransaction transaction(&db);
  LiveEditor<CadenceDialog> cadences(&area, &db, &transaction, 116);
  LiveEditor<CalendarDialog> calendar(&area, &db, &transaction, nullptr, 118);
  LiveEditor<TripDialog> trips(&area, &db, &transaction, 120);
  const std::tuple<const char*, std::function<int(const std::function<void()>&)>, QWidget*, int> editors[] = {
      {"5115", [&](const auto& user) { return cadences.Exec(user); }, &cadences, CadenceDialog::kFinish},
      {"5116", [&](const auto& user) { return calendar.Exec(user); }, &calendar, CalendarDialog::kFinish},
      {"5118", [&](const auto& user) { return trips.Exec(user); }, &trips, TripDialog::kFinish},
  };
  for (const auto& [command, exec, editor, finish] : editors) {
    QRect framed, inside;
    exec([&, editor = editor, finish = finish] {
      framed = editor->frameGeometry();
      inside = editor->geometry();
      editor->findChild<QPushButton*>(QString::number(finish))->click();
    });
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_NE(framed, inside) << command << ": the window has its frame";
    EXPECT_TRUE(screen.contains(framed)) << command;
    EXPECT_GE(inside.width(), area.width() - 40) << command << ": the editor still covers the area";
  }
  ui::ShowWindowsOffscreen(false);
  transaction.Commit();
}

TEST_F(CadenceEditor, AWheelTurnThatMovesTheSelectionEndsTheEdit) {
  RunSql(path_,
         "DELETE FROM cadenz; WITH RECURSIVE n(k) AS (SELECT 0 UNION ALL SELECT k + 1 FROM n WHERE k < 59) "
         "INSERT INTO cadenz SELECT printf('C%02d', k), printf('Cadenza %d', k) FROM n");
  // The row selected (-1: the middle of those shown), the turn, whether the selection moves.
  const std::tuple<int, int, bool> cases[] = {{0, -120, true}, {-1, -120, false}, {0, 120, false}};
  for (const auto& [first, delta, moved] : cases) {
    SCOPED_TRACE(delta);
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    LiveCadenceDialog dialog(nullptr, &db, &transaction, 116);
    dialog.Prepare({900, 600});
    dialog.show();
    ListGrid* grid = dialog.GridWindowOf();
    ASSERT_GE(grid->VisibleRows(), 3);
    ASSERT_LT(grid->VisibleRows(), grid->RowCount());
    const int row = first < 0 ? grid->VisibleRows() / 2 : first;
    grid->SelectRow(row, true);
    dialog.OnNew();
    dialog.Type(1010, "X");
    QWheelEvent wheel(QPointF(20, 40), grid->viewport()->mapToGlobal(QPointF(20, 40)), QPoint(), QPoint(0, delta),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(grid->viewport(), &wheel);
    EXPECT_EQ(grid->Selected(), moved ? row + 1 : row);
    EXPECT_EQ(Panel(dialog), moved ? "C01|Cadenza 1|off off off browsing" : "X||on on on editing");
  }
}

}  // namespace
