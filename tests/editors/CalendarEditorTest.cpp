// The service-calendar editor driven as a user would, headless, on a timetable database whose
// period is January 2024: its rows, the generation through its dialog, the panel's writes and
// their marks, read back with SQL.

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "editing/EditorTransaction.h"
#include "editors/CalendarDialog.h"
#include "editors/CalendarGrid.h"
#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <functional>

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

// The answer of the generation dialog: the day type, the other controls given, the weekdays
// ticked ("1100000": Monday and Tuesday).
ui::Answer Generation(const std::string& code, const char* days, Lines controls = {}) {
  controls.insert(controls.begin(), {"1020", code});
  for (int k = 0; k < 7; ++k)
    if (days[k] == '1') controls.push_back({std::to_string(1031 + k), "1"});
  return {ui::Answer::Kind::Dialog, "119", std::move(controls)};
}

// A row as "dd/mm/yyyy: code ...", each code with '+' when added, '-' when deleted.
std::string Entries(const CadenceNote* row) {
  std::string text = row->Format() + ":";
  for (const NoteText& entry : row->texts)
    text += " " + entry.text + (entry.changed ? "+" : "") + (entry.deleted ? "-" : "");
  return text;
}

std::string FieldText(CalendarDialog& dialog, int id) {
  if (auto* combo = dialog.findChild<QComboBox*>(QString::number(id)))
    return cp1252::FromQStringLossy(combo->currentText());
  return cp1252::FromQStringLossy(dialog.findChild<QLineEdit*>(QString::number(id))->text());
}

class CalendarEditor : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeTimetableDatabase(path_);
    RunSql(path_,
           "UPDATE master SET datini = '2024-01-01', datfin = '2024-01-31';"
           "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES', 'Festivo')");
  }

  // Opens the editor as its command does, runs the lines (the boxes and dialogs they raise take
  // the answers `after`), shows the still open editor to `look`, commits; returns the messages.
  std::string Run(const Lines& lines, const std::vector<ui::Answer>& after = {},
                  const std::function<void(CalendarDialog&)>& look = {}) {
    ui::Script script;
    if (!lines.empty()) script.Push({ui::Answer::Kind::Dialog, "118", lines});
    for (const ui::Answer& a : after) script.Push(a);
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    CalendarDialog dialog(nullptr, &db, &transaction, nullptr, 118);
    try {
      dialog.DoModal();
    } catch (const ui::UnansweredQuestion& e) {
      ADD_FAILURE() << cp1252::ToUtf8(e.what());
    }
    EXPECT_EQ(script.PendingAnswers(), 0u);
    if (look) look(dialog);
    transaction.Commit();
    stopBoxes_ = 0;
    for (const ui::ShownMessage& m : script.Messages()) stopBoxes_ += m.type == ui::MB_ICONSTOP;
    return MessagesOf(script);
  }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  int stopBoxes_ = 0;
};

TEST_F(CalendarEditor, GeneratesThroughItsDialog) {
  // One session, each step on what the steps before left.
  struct Step {
    const char* what;
    Lines lines;
    std::vector<ui::Answer> after;
    const char *sql, *stored;
    int stopBoxes = 0;
    const char* named = "\"XYZ\"";  // a part of the refusal
  };
  RunSql(path_, "PRAGMA ignore_check_constraints = ON; INSERT INTO cadenz VALUES (X'46455231', 'Feriale binario')");
  const char* const perCadence = "SELECT caden, COUNT(*), MIN(giorno), MAX(giorno) FROM calend GROUP BY caden";
  const Lines generate = {{"1027", "1"}};
  const Step steps[] = {
      {"FER from Monday to Friday", generate, {Generation("FER", "1111100")}, perCadence, "FER|23|1|5\n"},
      {"a note, then the same again: nothing added, the note kept",
       {{"6004", "08/01/2024"}, {"1125", "1"}, {"1028", "Sciopero"}, {"1", "1"}, {"1027", "1"}},
       {Generation("FER", "1111100")},
       "SELECT COUNT(*), SUM(note = 'Sciopero') FROM calend",
       "23|1\n"},
      {"FES every day, FER on Saturdays and Sundays",
       {{"1027", "1"}, {"1027", "1"}},
       {Generation("FES", "1111111"), Generation("FER", "0000011")},
       perCadence,
       "FER|31|1|7\nFES|31|1|7\n"},
      {"FES taken from Saturdays and Sundays, from a Saturday to a Sunday",
       generate,
       {Generation("FES", "0000011", {{"1017", "1"}, {"1029", "06/01/2024"}, {"1030", "14/01/2024"}})},
       "SELECT group_concat(substr(data, 9, 2), ' ') FROM calend WHERE caden = 'FES' AND data < '2024-01-22' "
       "UNION ALL SELECT COUNT(*) FROM calend WHERE caden = 'FER'",
       "01 02 03 04 05 08 09 10 11 12 15 16 17 18 19 20 21\n31\n"},
      {"a generation undone by Ripristina",
       {{"1027", "1"}, {"1039", "1"}},
       {Generation("FES", "1111111")},
       "SELECT COUNT(*) FROM calend WHERE caden = 'FES'",
       "27\n"},
      {"an unknown day type", generate, {Generation("XYZ", "1111111")}, "SELECT COUNT(*) FROM calend", "58\n", 1},
      {"bytes added to a day",
       {{"6004", "10/01/2024"}, {"1016", "1"}, {"1020", "X'46455231' - Feriale binario"}, {"1", "1"}},
       {},
       "SELECT COUNT(*) FROM calend",
       "58\n",
       1,
       "cadenza scelta:\nil campo codice (Codice) vale X'46455231',"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    const std::string messages = Run(s.lines, s.after);
    EXPECT_EQ(stopBoxes_, s.stopBoxes) << messages;
    if (s.stopBoxes) {
      EXPECT_TRUE(HasPart(messages, s.named));
    }
    EXPECT_EQ(QueryFile(path_, s.sql), s.stored);
  }
}

TEST_F(CalendarEditor, MarksItsWritesUntilAggiornaVista) {
  // An entry deleted on 08/01, FER added on 10/01 typed with blanks after its code.
  const Lines writes = {{"6004", "08/01/2024,1"}, {"1017", "1"}, {"6004", "10/01/2024"}, {"1016", "1"},
                        {"1020", "FER   "},       {"1", "1"}};
  Lines refreshed = writes;
  refreshed.push_back({"1018", "1"});
  const std::tuple<Lines, int, const char*> cases[] = {
      {writes, 0, "08/01/2024: FES-|09/01/2024: FER FES|10/01/2024: FER+|"},
      {writes, CalendarDialog::kClearDay, "08/01/2024: FES-|09/01/2024: FER FES|10/01/2024: FER+-|"},
      {refreshed, 0, "08/01/2024:|09/01/2024: FER FES|10/01/2024: FER|"},
  };
  for (const auto& [lines, command, expected] : cases) {
    SCOPED_TRACE(expected);
    RunSql(path_,
           "DELETE FROM calend; INSERT INTO calend VALUES ('2024-01-08', 'FES', '1', ' '),"
           " ('2024-01-09', 'FER', '2', ' '), ('2024-01-09', 'FES', '2', ' ')");
    std::string shown, cadence;
    EXPECT_EQ(Run(lines, {},
                  [&](CalendarDialog& dialog) {
                    cadence = FieldText(dialog, 1020);
                    if (command) dialog.GridCommand(command);
                    for (int day = 8; day <= 10; ++day) shown += Entries(dialog.Rows().Find(QDate(2024, 1, day))) + "|";
                  }),
              "");
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(cadence, "FER        - Feriale");  // the day type's entry shown, its code stored
    EXPECT_EQ(QueryFile(path_, "SELECT data, caden FROM calend WHERE data <> '2024-01-09' ORDER BY data"),
              command ? "" : "2024-01-10|FER\n");
  }
}

TEST_F(CalendarEditor, ShowsThePeriodAndWritesANoteOnAllRowsOfItsDate) {
  // A day type stored by another tool, read with '?', among them.
  RunSql(path_,
         "INSERT INTO cadenz VALUES (char(0x141) || '1', 'Estiva');"
         "INSERT INTO calend VALUES ('2024-01-08', 'FER', '1', ' '), ('2024-01-08', 'FES', '1', ' '),"
         " ('2024-01-09', 'FER', '2', ' '), ('2024-01-08', char(0x141) || '1', '1', ' ')");
  std::string shown;
  EXPECT_EQ(Run({{"6004", "08/01/2024,2"}, {"1125", "1"}, {"1028", "Sciopero"}, {"1", "1"}}, {},
                [&](CalendarDialog& dialog) {
                  const CalendarRows& rows = dialog.Rows();
                  ASSERT_EQ(rows.Count(), 31);
                  EXPECT_EQ(dialog.GridWindowOf()->RowCount(), 31);
                  for (int k : {0, 5, 7, 30}) shown += rows.At(k)->Format() + " " + rows.At(k)->name + "|";
                  shown += FieldText(dialog, 1028);
                }),
            "");
  EXPECT_EQ(shown, "01/01/2024 Capodanno|06/01/2024 Epifania|08/01/2024 Sciopero|31/01/2024 |Sciopero");
  EXPECT_EQ(QueryFile(path_, "SELECT data, replace(caden, char(0x141), 'L/'), note FROM calend ORDER BY data, caden"),
            "2024-01-08|FER|Sciopero\n2024-01-08|FES|Sciopero\n2024-01-08|L/1|Sciopero\n2024-01-09|FER| \n");
  // The note of a day of a year no date typed may have: its date is the day's, not typed.
  RunSql(path_, "DELETE FROM calend; INSERT INTO calend VALUES ('9999-12-31', 'FER', '5', ' ')");
  EXPECT_EQ(Run({{"6004", "31/12/9999,1"}, {"1125", "1"}, {"1028", "Aperta"}, {"1", "1"}}), "");
  EXPECT_EQ(QueryFile(path_, "SELECT data, note FROM calend"), "9999-12-31|Aperta\n");
}

// Day types "?1" and U+0141 and U+015A stored by another tool, which read "?1" too: the entry of
// each shows its own, the entry chosen adds its own; a value stored as bytes keeps the editor closed.
TEST_F(CalendarEditor, DayTypesReadAlikeAreEachTheirOwnEntry) {
  RunSql(path_,
         std::string(kDayTypesReadAlikeSql) + "INSERT INTO calend VALUES ('2024-01-08', char(0x15A) || '1', '1', ' ')");
  std::string shown;
  EXPECT_EQ(Run({{"6004", "08/01/2024,1"},
                 {"6004", "10/01/2024"},
                 {"1016", "1"},
                 {"1020", "?1         - Estiva"},
                 {"1", "1"},
                 {"6004", "11/01/2024"},
                 {"1016", "1"},
                 {"1020", "?1"},
                 {"1", "1"},
                 {"6004", "08/01/2024,1"}},
                {}, [&](CalendarDialog& dialog) { shown = FieldText(dialog, 1020); }),
            "");
  EXPECT_EQ(shown, "?1         - Invernale");
  EXPECT_EQ(QueryFile(path_, "SELECT data, hex(caden) FROM calend ORDER BY data"),
            "2024-01-08|C59A31\n2024-01-10|C58131\n2024-01-11|3F31\n");
  RunSql(path_, "UPDATE calend SET note = X'4181' WHERE data = '2024-01-11'");
  const std::string stored = QueryFile(path_, "SELECT data, hex(caden), hex(note) FROM calend ORDER BY data");
  EXPECT_EQ(Run({}),
            "ATTENZIONE: giorno 11/01/2024 del calendario:\nil campo note (Annotazioni) vale X'4181',\nche è un "
            "dato binario e non un testo come richiede la sua colonna.\n\nL'editor non è stato aperto: "
            "correggere il dato prima di modificare questi dati.");
  EXPECT_EQ(QueryFile(path_, "SELECT data, hex(caden), hex(note) FROM calend ORDER BY data"), stored);
  // The working period the calendar spans, a text that is no date.
  RunSql(path_, "UPDATE calend SET note = 'Festa'; UPDATE master SET datfin = '31/12/2024'");
  EXPECT_EQ(Run({}),
            "ATTENZIONE: dati generali:\nil campo datfin (Data Fine) vale '31/12/2024',\nche è un testo e non "
            "una data come richiede la sua colonna.\n\nL'editor non è stato aperto: correggere il dato prima di "
            "modificare questi dati.");
  // A day whose date is no date, named by its day type: the date is left to the sentence.
  RunSql(path_,
         "PRAGMA ignore_check_constraints = ON; UPDATE master SET datfin = '2024-06-30';"
         " UPDATE calend SET data = '2024-01-32' WHERE data = '2024-01-11'");
  EXPECT_EQ(Run({}),
            "ATTENZIONE: un giorno del calendario con cadenza ?1:\nil campo data (Data) vale '2024-01-32',\nche è un "
            "testo e non una data come richiede la sua colonna.\n\nL'editor non è stato aperto: correggere il dato "
            "prima di modificare questi dati.");
}

// A note stored by another tool, read with '?', stays as stored when confirmed as shown.
TEST_F(CalendarEditor, ANoteConfirmedAsShownStaysAsStored) {
  RunSql(path_,
         "INSERT INTO calend VALUES ('2024-01-08', 'FER', '1', 'Sciopero ' || char(0x141)),"
         " ('2024-01-08', 'FES', '1', 'Sciopero ' || char(0x15A))");
  std::string shown;
  EXPECT_EQ(Run({{"6004", "08/01/2024,2"}, {"1125", "1"}, {"1", "1"}}, {},
                [&](CalendarDialog& dialog) { shown = FieldText(dialog, 1028); }),
            "");
  EXPECT_EQ(shown, "Sciopero ?");
  EXPECT_EQ(QueryFile(path_, "SELECT caden, hex(note) FROM calend ORDER BY caden"),
            "FER|5363696F7065726F20C581\nFES|5363696F7065726F20C59A\n");
}

// Clicks and the sideways scroll never leave the selection on a day type out of view (which
// "Elimina Voce" would then delete unseen); a click on the row cut by the bottom edge selects it.
TEST_F(CalendarEditor, TheSelectedCellIsAlwaysInView) {
  std::string codes = "INSERT INTO cadenz VALUES ('C00', 'x')", rows;
  for (int k = 1; k < 12; ++k) codes += ", ('C" + std::to_string(k + 10) + "', 'x')";
  RunSql(path_,
         codes + "; INSERT INTO calend SELECT '2024-01-02', codice, '2', ' ' FROM cadenz WHERE codice LIKE 'C%'");
  class Live : public CalendarDialog {
   public:
    using CalendarDialog::CalendarDialog;
    void Open() {
      resize(700, 500);
      OnInitDialog();
      show();
    }
  };
  DbDatabase db(path_);
  EditorTransaction transaction(&db);
  Live dialog(nullptr, &db, &transaction, nullptr, 118);
  dialog.Open();
  CalendarGrid* grid = dialog.GridWindowOf();
  ASSERT_EQ(grid->ColumnCount(), 12);
  ASSERT_LT(grid->VisibleColumns(), 12);
  const auto click = [&](int x, int y) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(x, y), grid->viewport()->mapToGlobal(QPointF(x, y)),
                      Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &press);
  };
  const int rowY = grid->RowHeight() + 6 + (grid->RowHeight() + 4) + 3;  // the second date
  const int cell = grid->CellWidth() + 5, firstCell = grid->DateWidth() + 5;
  click(firstCell + 2 * cell + 1, rowY);  // just inside the third column
  EXPECT_EQ(grid->SelectedColumn(), 2);
  click(grid->viewport()->width() - 2, rowY);  // right of the last column shown
  EXPECT_EQ(grid->SelectedColumn(), grid->VisibleColumns() - 1);
  grid->horizontalScrollBar()->setValue(3);
  click(5, rowY);  // the date cell, scrolled sideways
  EXPECT_EQ(grid->SelectedColumn(), 3);
  grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
  EXPECT_GE(grid->SelectedColumn(), grid->FirstColumn());
  EXPECT_EQ(dialog.CurrentEntry(), grid->SelectedEntry());
  click(5, grid->RowHeight() + 6 + grid->VisibleRows() * (grid->RowHeight() + 4) + 2);  // the row cut at the bottom
  EXPECT_EQ(grid->Selected(), grid->VisibleRows());
  EXPECT_EQ(grid->Top(), 1);
}

}  // namespace
