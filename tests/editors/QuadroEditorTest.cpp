// The quadro of the trip editor, driven as a user would, headless: its columns and rows, the
// transit times typed in its panel, the stops inserted and deleted in every trip, the trips moved
// to a quadro of their own and the cloned times; the database read back with SQL.

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "editing/EditorTransaction.h"
#include "editors/EditorTestSupport.h"
#include "editors/TimetableGrid.h"
#include "editors/TripDialog.h"
#include "editors/TripListGrid.h"
#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <string_view>

namespace {

std::string Stop(int id, int sub, int arrival, int departure) {
  const std::string s = std::to_string(sub);
  return "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma,"
         " reglocal) VALUES (" +
         std::to_string(id) + ", " + s + ", 'F" + s + "', 'Fermata " + s + "', " + s + "000, " +
         std::to_string(arrival) + ", " + std::to_string(departure) + ", 0, 0, 0, (SELECT min(id) FROM local));";
}

// Every field of the stops of trips 40 and 41, each as SQL quotes it.
const char* const kOwnStops =
    "SELECT id, sub, quote(fermata), quote(denom), quote(ubicaz), dist, arriva, parte, primaria, facolt, nonferma,"
    " quote(regferma), quote(regarea), quote(reglocal) FROM detcor WHERE id IN (40, 41)";

using LiveTripDialog = LiveEditor<TripDialog>;

class QuadroEditor : public ::testing::Test {
 protected:
  // Quadro 5: trips 9 and 12 leave at 6:40, 20 at 7:10, only 12 stops at 3, 34 at 6:00 has no
  // stops. Trip 30 alone without stops. Quadro 7: trips 40 and 41 with stops 1-4, each with data of its own. Quadro 8:
  // the sources and the target of cloned times.
  void SetUp() override {
    MakeTimetableDatabase(path_);
    std::string sql = "UPDATE master SET gruppo = 40;";
    sql += TripHeadSql(20, 5, 710) + TripHeadSql(12, 5, 640) + TripHeadSql(9, 5, 640) + TripHeadSql(30, -1, 500) +
           TripHeadSql(34, 5, 600) + TripHeadSql(40, 7, 800) + TripHeadSql(41, 7, 900) + TripHeadSql(50, 8, 640) +
           TripHeadSql(51, 8, 700) + TripHeadSql(52, 8, 2350) + TripHeadSql(53, 8, 2359);
    sql += Stop(9, 1, 9999, 640) + Stop(9, 2, 650, 650) + Stop(9, 4, 9999, 9999);
    sql += Stop(12, 1, 9999, 640) + Stop(12, 2, 835, 837) + Stop(12, 3, 700, 700) + Stop(12, 4, 710, 710);
    sql += Stop(20, 1, 9999, 710) + Stop(20, 2, 720, 720) + Stop(20, 4, 730, 9999);
    for (int sub = 1; sub <= 4; ++sub) {
      const std::string s = std::to_string(sub);
      sql += "INSERT INTO detcor VALUES (40, " + s + ", 'A" + s + "', 'Uno " + s + "', 'Via " + s + "', " + s +
             "00, 8" + s + "0, 8" + s + "1, 1, 0, 0, 10" + s + ", 'RA', (SELECT min(id) FROM local));";
      sql += "INSERT INTO detcor VALUES (41, " + s + ", 'B" + s + "', 'Città " + s + "', NULL, " + s + "10, 9" + s +
             "0, 9" + s + "2, 0, 1, 1, 20" + s + ", 'RB" + s + "', (SELECT max(id) FROM local));";
    }
    sql += Stop(50, 1, 9999, 640) + Stop(50, 2, 652, 653) + Stop(50, 3, 710, 9999);
    sql += Stop(51, 1, 9999, 700) + Stop(51, 2, 710, 710) + Stop(51, 3, 720, 9999);
    sql += Stop(52, 1, 9999, 2350) + Stop(52, 2, 10, 10) + Stop(52, 3, 30, 9999);
    sql += Stop(53, 1, 9999, 2359) + Stop(53, 3, 30, 9999);
    RunSql(path_, sql);
  }

  std::string Run(std::string_view lines, const std::vector<ui::Answer>& after = {},
                  const std::function<void(TripDialog&)>& look = {}) {
    return RunTripEditor(path_, lines, after, look);
  }
  std::string Query(const std::string& sql) const { return QueryFile(path_, sql); }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
};

// The quadro's column ids, then each row as "sub: cell texts".
std::string Shown(TripDialog& dialog) {
  QuadroTimetable& quadro = dialog.Quadro();
  std::string text;
  for (int k = 0; k < quadro.ColumnCount(); ++k)
    text += (k ? "," : "") + (quadro.Column(k) ? std::to_string(quadro.Column(k)->id) : std::string("-"));
  for (int r = 0; r < quadro.RowCount(); ++r) {
    text += "\n" + std::to_string(quadro.Row(r)->sub) + ":";
    for (int k = 0; k < quadro.ColumnCount(); ++k)
      text += (k ? "|" : "") + QuadroTimetable::CellText(*quadro.Cell(r, k));
  }
  return text;
}

TEST_F(QuadroEditor, ColumnsByDepartureAndRowsOfEveryTrip) {
  const std::pair<const char*, const char*> cases[] = {
      {"6005=20|1059=1", "9,12,20\n1:6:40|6:40|7:10\n2:6:50|A: 8:35 / P: 8:37|7:20\n3:|7:00|\n4:99:99|7:10|7:30"},
      {"6005=9|1059=1", "9,12,20\n1:6:40|6:40|7:10\n2:6:50|A: 8:35 / P: 8:37|7:20\n3:|7:00|\n4:99:99|7:10|7:30"},
      {"6005=30|1059=1", "-"},
      // Opened on the trip of the quadro without stops: it is no column.
      {"6005=34|1059=1", "9,12,20\n1:6:40|6:40|7:10\n2:6:50|A: 8:35 / P: 8:37|7:20\n3:|7:00|\n4:99:99|7:10|7:30"},
  };
  for (const auto& [lines, shown] : cases) {
    SCOPED_TRACE(lines);
    EXPECT_EQ(Run(lines, {}, [&](TripDialog& dialog) { EXPECT_EQ(Shown(dialog), shown); }), "");
  }
  // "SUB,N" selects stop SUB in trip column N.
  EXPECT_EQ(Run("6005=12|1059=1|6006=2,2", {},
                [](TripDialog& dialog) {
                  EXPECT_EQ(dialog.Timetable()->SelectedTrip()->id, 12);
                  EXPECT_EQ(dialog.Timetable()->SelectedStop()->sub, 2);
                }),
            "");
}

TEST_F(QuadroEditor, TypedTimesAreCheckedThenWritten) {
  const std::string tail = "in modo illegale.\n\nGli orari devono essere espressi nel formato HH.MM\n\n";
  const std::string arrival = "ATTENZIONE l'orario di arrivo è espresso " + tail;
  const std::string departure = "ATTENZIONE l'orario di partenza è espresso " + tail;
  struct Case {
    const char *arrival, *departure, *stored, *shown;
    std::string message;
  };
  const Case cases[] = {
      {"8.05", "", "805|805", "8:05", ""},
      {"7-05", "7,05", "705|705", "7:05", ""},
      {"07:05", "7.10 ", "705|710", "A: 7:05 / P: 7:10", ""},
      {"", "9:15", "915|915", "9:15", ""},
      {"24:00", "7.05", "650|650", "6:50", arrival},
      {"7.05", "7:60", "650|650", "6:50", departure},
      {"7h05", "0805", "650|650", "6:50", "ATTENZIONE l'orario di arrivo e l'orario di partenza sono espressi " + tail},
      {"", "", "650|650", "6:50",
       "ATTENZIONE: non è stato indicato l'orario di arrivo e neppure quello di partenza.\n\n"
       "Deve essere attribuito obbligatoriamente almeno un riferimento orario."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.arrival) + " " + c.departure);
    RunSql(path_, "UPDATE detcor SET arriva = 650, parte = 650 WHERE id = 9 AND sub = 2");
    EXPECT_EQ(
        Run(std::string("6005=9|1059=1|6006=2,1|1059=1|1045=") + c.arrival + "|1049=" + c.departure + "|1=1", {},
            [&](TripDialog& dialog) { EXPECT_EQ(QuadroTimetable::CellText(*dialog.Quadro().Cell(1, 0)), c.shown); }),
        c.message);
    EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = 9 AND sub = 2"), std::string(c.stored) + "\n");
  }
}

TEST_F(QuadroEditor, ARepaintDuringATimeEditKeepsWhatWasTyped) {
  DbDatabase db(path_);
  EditorTransaction transaction(&db);
  LiveTripDialog d(nullptr, &db, &transaction, 120);
  std::string held;
  const int result = d.Exec([&] {
    d.ListGrid()->SelectRow(d.Rows().FindId(9), true);
    d.Click(TripDialog::kDetails);
    ASSERT_EQ(d.CurrentMode(), TripDialog::Mode::Quadro);
    d.Timetable()->SelectCell(1, 0, true);
    d.Click(TripDialog::kDetails);
    d.Type(TripDialog::kArrival, "8.05");
    d.Type(TripDialog::kDeparture, "8.07");
    d.Timetable()->viewport()->repaint();
    d.repaint();
    d.activateWindow();
    QApplication::processEvents();
    QTimer::singleShot(0, [] {
      if (auto* shown = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) shown->accept();
    });
    ui::MessageBox("Avviso");
    d.activateWindow();
    QApplication::processEvents();
    held = cp1252::FromQStringLossy(d.LineEdit(TripDialog::kArrival)->text() + QLatin1Char('|') +
                                    d.LineEdit(TripDialog::kDeparture)->text());
    d.Click(1);
    EXPECT_EQ(d.focusWidget(), d.Timetable()) << "after Conferma the keyboard is back in the grid";
    d.Click(TripDialog::kFinish);
    d.Click(TripDialog::kFinish);
  });
  EXPECT_EQ(result, ui::IDOK);
  transaction.Commit();
  EXPECT_EQ(held, "8.05|8.07");
  EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = 9 AND sub = 2"), "805|807\n");
}

// "99:99" is no time at a stop between the first and the last: it is refused as an illegal time,
// the panel keeps what was typed, and a time typed next is stored. At the trip's first stop it is
// the arrival it has not.
TEST_F(QuadroEditor, TheNoTimeMarkBetweenTheEndsIsRefusedAndTheNextTimeStored) {
  const std::string tail = "in modo illegale.\n\nGli orari devono essere espressi nel formato HH.MM\n\n";
  // the cell, the two tries, the message, the stop's times afterwards
  const std::tuple<const char*, const char*, std::string, const char*> cases[] = {
      {"2,1", "1045=99:99|1049=7.05|1=1|1045=8.05|1049=8.07|1=1", "ATTENZIONE l'orario di arrivo è espresso " + tail,
       "SELECT arriva, parte FROM detcor WHERE id = 9 AND sub = 2"},
      {"2,2", "1045=99:99|1049=99:99|1=1|1045=8.05|1049=|1=1",
       "ATTENZIONE l'orario di arrivo e l'orario di partenza sono espressi " + tail,
       "SELECT arriva, parte FROM detcor WHERE id = 12 AND sub = 2"},
      {"4,3", "1045=7.31|1049=99.99|1=1", "", "SELECT arriva, parte FROM detcor WHERE id = 20 AND sub = 4"},
      {"1,3", "1045=7.09|1049=99:99|1=1|1045=99:99|1049=7.09|1=1", "ATTENZIONE l'orario di partenza è espresso " + tail,
       "SELECT arriva, parte FROM detcor WHERE id = 20 AND sub = 1"},
  };
  const char* const stored[] = {"805|807\n", "805|805\n", "731|9999\n", "9999|709\n"};
  int k = 0;
  for (const auto& [cell, lines, message, query] : cases) {
    SCOPED_TRACE(cell);
    EXPECT_EQ(Run(std::string("6005=9|1059=1|6006=") + cell + "|1059=1|" + lines), message);
    EXPECT_EQ(Query(query), stored[k++]);
  }

  // On a screen: the box, then the panel still open with what was typed.
  DbDatabase db(path_);
  EditorTransaction transaction(&db);
  LiveTripDialog d(nullptr, &db, &transaction, 120);
  std::string held;
  d.Exec([&] {
    d.ListGrid()->SelectRow(d.Rows().FindId(9), true);
    d.Click(TripDialog::kDetails);
    d.Timetable()->SelectCell(1, 1, true);
    d.Click(TripDialog::kDetails);
    d.Type(TripDialog::kArrival, "99:99");
    d.Type(TripDialog::kDeparture, "8.40");
    QTimer::singleShot(0, [&held] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        held = cp1252::FromQStringLossy(box->text()).substr(0, 40) + "|";
        box->accept();
      }
    });
    d.Click(1);
    held += cp1252::FromQStringLossy(d.LineEdit(TripDialog::kArrival)->text() + QLatin1Char('|') +
                                     d.LineEdit(TripDialog::kDeparture)->text()) +
            (d.LineEdit(TripDialog::kArrival)->isEnabled() ? "|open" : "|closed");
    d.Type(TripDialog::kArrival, "8.39");
    d.Click(1);
    d.Click(TripDialog::kFinish);
    d.Click(TripDialog::kFinish);
  });
  transaction.Commit();
  EXPECT_EQ(held, "ATTENZIONE l'orario di arrivo è espresso|99:99|8.40|open");
  EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = 12 AND sub = 2"), "839|840\n");
}

// A trip added in the quadro is its last column, whatever its departure: the columns keep their
// numbers, for the user and for a script, until the quadro is loaded again.
TEST_F(QuadroEditor, ATripAddedInTheQuadroIsItsLastColumn) {
  const ui::Answer head = Answer("122", "1067=NUOVA");
  const char* const addedId = "SELECT id FROM tescor WHERE codcorsa = 'NUOVA'";
  std::string shown;
  EXPECT_EQ(Run("6005=9|1059=1|6006=2,2|1040=1", {head}, [&](TripDialog& d) { shown = Shown(d); }), "");
  std::string added = Query(addedId);
  added.pop_back();
  EXPECT_EQ(shown,
            "9,12,20," + added + "\n1:6:40|6:40|7:10|\n2:6:50|A: 8:35 / P: 8:37|7:20|\n3:|7:00||\n4:99:99|7:10|7:30|");
  // Its stops are the first column's, with no times; it leaves at 0:00, before every other trip.
  EXPECT_EQ(Query("SELECT group_concat(sub || ':' || arriva || '/' || parte, ' ') FROM detcor WHERE id = " + added),
            "1:-1/-1 2:-1/-1 4:-1/-1\n");
  EXPECT_EQ(Query("SELECT gruppo, parte FROM tescor WHERE id = " + added), "5|0\n");
  RunSql(path_, "DELETE FROM detcor WHERE id = " + added + "; DELETE FROM tescor WHERE id = " + added);

  // Column 4 is the new trip's: its time at stop 2, its head; column 2 is still trip 12, moved to
  // a quadro of its own.
  EXPECT_EQ(Run("6005=9|1059=1|1040=1|6006=2,4|1059=1|1045=8.00|1=1|6006=T,4|1059=1|6006=1,2|6106=1",
                {head, Answer("122", "1068=L9")}),
            "");
  added = Query(addedId);
  added.pop_back();
  EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = " + added + " AND sub = 2"), "800|800\n");
  EXPECT_EQ(Query("SELECT id, codlinea, gruppo FROM tescor WHERE id IN (9, 12, 20, " + added +
                  ") ORDER BY id = " + added + ", id"),
            "9|L1|5\n12|L1|40\n20|L1|5\n" + added + "|L9|5\n");
}

// The pointer names what the buttons act on: the stops on the left, the trips' heads above, the
// times in the cells; on a screen of 1024x768 every label stays whole, and back in the list the
// selected trip's box has its height again.
TEST_F(QuadroEditor, TheAreaUnderThePointerNamesTheButtons) {
  DbDatabase db(path_);
  EditorTransaction transaction(&db);
  LiveTripDialog d(nullptr, &db, &transaction, 120);
  std::vector<std::string> labels;
  d.Exec(
      [&] {
        d.ListGrid()->SelectRow(d.Rows().FindId(9), true);
        d.Click(TripDialog::kDetails);
        TimetableGrid* grid = d.Timetable();
        const int cells = grid->width() - 40, rows = 3 * grid->RowHeight() + 20;
        for (const QPoint& at : {QPoint(20, rows), QPoint(cells, 5), QPoint(cells, rows)}) {
          QMouseEvent move(QEvent::MouseMove, at, grid->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                           Qt::NoModifier);
          QApplication::sendEvent(grid->viewport(), &move);
          std::string shown;
          for (int id : {TripDialog::kInsert, TripDialog::kDetails, TripDialog::kDelete}) {
            const QPushButton* button = d.findChild<QPushButton*>(QString::number(id));
            shown += cp1252::FromQStringLossy(button->text()) + "|";
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
            EXPECT_LE(button->geometry().right(), d.width()) << button->text().toStdString();
          }
          labels.push_back(shown);
          // The popup of the area, as a right click there would open it.
          std::string items;
          const std::unique_ptr<QMenu> menu = grid->BuildPopupMenu();
          for (QAction* action : menu->actions())
            if (!action->isSeparator()) items += std::to_string(action->data().toInt()) + " ";
          labels.push_back(items);
        }
        d.Click(TripDialog::kFinish);
        const QWidget* box = d.findChild<QWidget*>(QString::number(TripDialog::kSelectedBox));
        EXPECT_GE(box->height(), box->sizeHint().height()) << "the trip box whole, not squeezed";
        d.Click(TripDialog::kFinish);
      },
      {1024, 768});
  EXPECT_EQ(labels, (std::vector<std::string>{
                        "Aggiungi Fermata|Dettagli Fermata|Elimina Fermata|", "1040 1041 1059 ",
                        "Aggiungi Corsa|Dati Testa Corsa |Elimina Corsa|", "1040 1041 1059 6101 6102 6104 6103 ",
                        "Aggiungi Corsa|Modifica Orario|Elimina Corsa|", "1040 1059 6105 6106 1042 1047 "}));
}

TEST_F(QuadroEditor, AStopInsertedOrDeletedInEveryTrip) {
  const std::string before = Query(std::string(kOwnStops) + " ORDER BY id, sub");
  // Below stop 2: the stops 3 and 4 of each trip move down one place with all of their own data.
  EXPECT_EQ(Run("6005=41|1059=1|6006=2|1040=1",
                {Answer("127", "1060=NX|1061=Nuova|1066=2500|1132=1"), Answer("127", "1108=1")}),
            "");
  EXPECT_EQ(Query("SELECT id, group_concat(sub, ',') FROM (SELECT id, sub FROM detcor WHERE id IN (40, 41) "
                  "ORDER BY id, sub) GROUP BY id"),
            "40|1,2,3,4,5\n41|1,2,3,4,5\n");
  EXPECT_EQ(Query("SELECT id, fermata, denom, dist, arriva, parte FROM detcor WHERE id IN (40, 41) AND sub = 3"),
            "40|NX|Nuova|2500|-1|-1\n41|NX|Nuova|2500|-1|-1\n");
  EXPECT_EQ(Query("SELECT id, sub - (sub > 3) AS old, quote(fermata), quote(denom), quote(ubicaz), dist, arriva, parte,"
                  " primaria, facolt, nonferma, quote(regferma), quote(regarea), quote(reglocal) FROM detcor"
                  " WHERE id IN (40, 41) AND sub <> 3 ORDER BY id, old"),
            before);

  // Deleting asks first: only "ok" deletes the stop, from every trip.
  const std::pair<ui::Answer, const char*> deletions[] = {
      {{ui::Answer::Kind::Cancel, {}, {}}, "40|1,2,3,4,5\n41|1,2,3,4,5\n"},
      {{ui::Answer::Kind::Ok, {}, {}}, "40|1,3,4,5\n41|1,3,4,5\n"},
  };
  for (const auto& [answer, subs] : deletions) {
    EXPECT_EQ(Run("6005=40|1059=1|6006=2|1041=1", {answer}),
              "La fermata indicata stà per essere eliminata da tutte le corse del quadro.\n\n"
              "Intendi confermare l'eliminazione della fermata?");
    EXPECT_EQ(Query("SELECT id, group_concat(sub, ',') FROM (SELECT id, sub FROM detcor WHERE id IN (40, 41) "
                    "ORDER BY id, sub) GROUP BY id"),
              subs);
  }
}

// Heads written from the quadro show at once in the trip list underneath, marked changed.
TEST_F(QuadroEditor, TheQuadrosAssignmentsShowInTheTripList) {
  std::string list;
  EXPECT_EQ(Run("6005=9|1059=1|6006=T,1|6102=1|1043=1", {Answer("134", "1068=L7|1134=r|1126=P7|1076=Nuova")},
                [&](TripDialog& d) {
                  for (std::int32_t id : {9, 12, 20, 30}) {  // 30 is in no quadro
                    const TripLeg* row = d.Rows().At(d.Rows().FindId(id));
                    list += row->lineCode + " " + row->direction + " " + row->routeCode + " " + row->description + " " +
                            std::to_string(row->changed) + "|";
                  }
                }),
            "");
  EXPECT_TRUE(HasPrefix(list, "L7 R P7 Nuova 1|L7 R P7 Nuova 1|L7 R P7 Nuova 1|"));
  EXPECT_EQ(list.substr(list.size() - 2), "0|");
  EXPECT_EQ(Query("SELECT count(*) FROM tescor WHERE codlinea = 'L7' AND verso = 'R'"), "3\n");
}

// Texts the code page cannot hold, stored by another tool, show with '?': a dialog confirmed with
// another field changed writes that field alone, in every trip it writes to, and the texts left
// alone stay as stored.
TEST_F(QuadroEditor, TextsLeftAloneInItsDialogsStayAsStored) {
  struct Case {
    const char* lines;
    ui::Answer answer;
    const char* stored;
    bool newTrip = false;  // the new trip's head and the names and places of its stops
  };
  // Each text as stored ("1" when the stored text is still the one SQL wrote).
  const std::string lodz = "char(0x141, 0xF3, 0x64, 0x17A)", street = "'Via ' || char(0x15A)",
                    code = "char(0x141) || '9'", route = "char(0x15A) || '1'";
  const char* const heads = "40|1|L1|1|1\n41|1|L1|1|1\n";
  const Case cases[] = {
      // The stop's details, in every trip: the distance typed, the name and location kept.
      {"6005=40|1059=1|6006=2|1059=1", Answer("121", "1066=2500"), "40|NX|1|1|2500\n41|NX|1|1|2500\n"},
      // The code typed: each trip keeps its own distance.
      {"6005=40|1059=1|6006=2|1059=1", Answer("121", "1060=NY"), "40|NY|1|1|200\n41|NY|1|1|210\n"},
      // A trip's head: the line typed, the code, route and note kept.
      {"6005=40|1059=1|6006=T,1|1059=1", Answer("122", "1068=L9"), "40|1|L9|1|1\n41|1|L1|1|1\n"},
      // A new trip of the quadro: its code typed, the model's texts kept as stored.
      {"6005=40|1059=1|6006=T,1|1040=1", Answer("122", "1067=N1"), "N1|L1|1|1|4|1\n", true},
      // The line of the whole quadro: route and note kept in every trip.
      {"6005=40|1059=1|6006=T,1|6102=1", Answer("134", "1068=L7"), "40|1|L7|1|1\n41|1|L7|1|1\n"},
      {"6005=40|1059=1|6006=T,1|6102=1", Answer("134", "1134=R"), heads},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.lines) + " " + std::to_string(&c - cases));
    RunSql(path_, "UPDATE detcor SET fermata = 'NX', denom = " + lodz + ", ubicaz = " + street +
                      ", dist = 200 + 10 * (id = 41) WHERE sub = 2; UPDATE tescor SET codcorsa = " + code +
                      ", codlinea = 'L1', verso = 'A', codperc = " + route + ", denom = " + lodz +
                      " WHERE id IN (40, 41)");
    EXPECT_EQ(Run(c.lines, {c.answer}), "");
    if (c.newTrip)
      EXPECT_EQ(Query("SELECT t.codcorsa, t.codlinea, t.codperc = " + route + ", t.denom = " + lodz +
                      ", count(*), sum(d.denom = " + lodz + " AND d.ubicaz = " + street +
                      ") FROM tescor t JOIN detcor d USING (id) WHERE id NOT IN (9, 12, 20, 30, 40, 41, 50, 51, 52, 53)"
                      " GROUP BY id"),
                c.stored);
    else if (c.answer.value != "121")
      EXPECT_EQ(Query("SELECT id, codcorsa = " + code + ", codlinea, codperc = " + route + ", denom = " + lodz +
                      " FROM tescor WHERE id IN (40, 41) ORDER BY id"),
                c.stored);
    else
      EXPECT_EQ(Query("SELECT id, fermata, denom = " + lodz + ", ubicaz = " + street +
                      ", dist FROM detcor WHERE sub = 2 AND id IN (40, 41) ORDER BY id"),
                c.stored);
  }
  // The direction of the whole quadro: 40, 41 and the trip added to the quadro.
  EXPECT_EQ(Query("SELECT count(*) FROM tescor WHERE verso = 'R'"), "3\n");
}

TEST_F(QuadroEditor, TripsMovedToNewQuadriUntilRipristina) {
  const std::pair<const char*, const char*> cases[] = {
      {"6005=9|1059=1|6006=1,1|6106=1", "9|40\n12|5\n20|5\n41\n"},
      {"6005=9|1059=1|6006=1,1|6106=1|6006=1,1|6106=1", "9|40\n12|41\n20|5\n42\n"},
      {"6005=9|1059=1|6006=1,1|6106=1|6006=1,1|6106=1|1047=1", "9|5\n12|5\n20|5\n40\n"},
  };
  for (const auto& [lines, stored] : cases) {
    SCOPED_TRACE(lines);
    RunSql(path_, "UPDATE tescor SET gruppo = 5 WHERE id IN (9, 12, 20); UPDATE master SET gruppo = 40");
    EXPECT_EQ(Run(lines), "");
    EXPECT_EQ(
        Query("SELECT id, gruppo FROM tescor WHERE id IN (9, 12, 20) ORDER BY id") + Query("SELECT gruppo FROM master"),
        stored);
  }
}

TEST_F(QuadroEditor, TimesClonedFromAnotherColumn) {
  // Columns of quadro 8: 50 (6:40), 51 (7:00), 52 (23:50, over midnight), 53 (without stop 2).
  struct Case {
    const char *source, *departure, *stored, *message;
  };
  const char* const kept = "9999|700\n710|710\n720|9999\n";
  const Case cases[] = {
      {"1", "8.00", "9999|800\n812|813\n830|830\n", ""},
      {"1", "23.55", "9999|2355\n7|8\n25|25\n", ""},
      {"3", "8:00", "9999|800\n820|820\n840|840\n", ""},
      {"4", "8.00", kept,
       "ATTENZIONE: la corsa della colonna di origine non ha l'orario di transito a tutte le fermate.\n\n"
       "La clonazione degli orari risulta impossibile."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.source) + " " + c.departure);
    RunSql(path_, "DELETE FROM detcor WHERE id = 51;" + Stop(51, 1, 9999, 700) + Stop(51, 2, 710, 710) +
                      Stop(51, 3, 720, 9999));
    EXPECT_EQ(Run("6005=50|1059=1|6006=1,2|6105=1",
                  {Answer("143", (std::string("1155=") + c.source + "|1156=" + c.departure).c_str())}),
              c.message);
    EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = 51 ORDER BY sub"), c.stored);
    EXPECT_EQ(Query("SELECT arriva, parte FROM detcor WHERE id = 50 ORDER BY sub"), "9999|640\n652|653\n710|9999\n");
  }
}

}  // namespace
