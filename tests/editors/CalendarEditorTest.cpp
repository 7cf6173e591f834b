// The service-calendar editor driven as a user would, headless, on a timetable database whose
// period is January 2024: its rows, the generation through its dialog, the panel's writes and
// their marks, read back with SQL.

#include "common/Cp1252.h"
#include "db/DbDatabase.h"
#include "editors/CalendarDialog.h"
#include "editors/CalendarGrid.h"
#include "editors/model/EditorTransaction.h"
#include "support/TimetableData.h"
#include "support/UiTestSupport.h"

#include <gtest/gtest.h>
#include <QComboBox>
#include <QLineEdit>
#include <functional>

namespace {

using Lines = std::vector<std::pair<std::string, std::string>>;

// The answer of the generation dialog: the day type, then the other controls given.
ui::Answer Generation(const std::string& code, Lines controls) {
  controls.insert(controls.begin(), {"1020", code});
  return {ui::Answer::Kind::Dialog, "119", std::move(controls)};
}
const Lines kMondayToFriday = {{"1031", "1"}, {"1032", "1"}, {"1033", "1"}, {"1034", "1"}, {"1035", "1"}};
const Lines kEveryDay = {{"1031", "1"}, {"1032", "1"}, {"1033", "1"}, {"1034", "1"},
                         {"1035", "1"}, {"1036", "1"}, {"1037", "1"}};

// The day types of a row as "dd/mm/yyyy: code ...", each with '+' when added, '-' when deleted.
std::string Entries(const CadenceNote* row) {
  std::string text = row->Format() + ":";
  for (const NoteText& entry : row->texts)
    text += " " + entry.text + (entry.changed ? "+" : "") + (entry.deleted ? "-" : "");
  return text;
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
    script.Push({ui::Answer::Kind::Dialog, "118", lines});
    for (const ui::Answer& a : after) script.Push(a);
    {
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
    }
    return MessagesOf(script);
  }
  std::string Query(const std::string& sql) { return QueryFile(path_, sql); }

  ScratchDir dir_;
  const std::string path_ = dir_.Path("orari.mdb");
  int stopBoxes_ = 0;
};

TEST_F(CalendarEditor, ShowsEveryDateOfThePeriodWithItsHolidays) {
  struct Case {
    const char* sql;
    int rows;
    const char* first;
    const char* sixth;
    const char* last;
  };
  const std::vector<Case> cases = {
      {"", 31, "01/01/2024 Capodanno", "06/01/2024 Epifania", "31/01/2024 "},
      {"DELETE FROM master", 73049, "01/01/1900 Capodanno", "06/01/1900 Epifania", "31/12/2099 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.rows);
    if (*c.sql) RunSql(path_, c.sql);
    DbDatabase db(path_);
    EditorTransaction transaction(&db);
    CalendarDialog dialog(nullptr, &db, &transaction, nullptr, 118);
    CalendarRows& rows = dialog.Rows();
    ASSERT_EQ(rows.Count(), c.rows);
    EXPECT_EQ(dialog.GridWindowOf()->RowCount(), c.rows);
    const auto shown = [&](int k) { return rows.At(k)->Format() + " " + rows.At(k)->name; };
    EXPECT_EQ(shown(0), c.first);
    EXPECT_EQ(shown(5), c.sixth);
    EXPECT_EQ(shown(c.rows - 1), c.last);
  }
}

TEST_F(CalendarEditor, GeneratesThroughItsDialog) {
  // One session, each step on what the steps before left.
  struct Step {
    const char* what;
    Lines lines;
    std::vector<ui::Answer> after;
    int stopBoxes;
    const char* sql;
    const char* stored;
  };
  const char* const perDayType = "SELECT caden, COUNT(*), MIN(giorno), MAX(giorno) FROM calend GROUP BY caden";
  const std::vector<Step> steps = {
      {"FER from Monday to Friday",
       {{"1027", "1"}},
       {Generation("FER", kMondayToFriday)},
       0,
       perDayType,
       "FER|23|1|5\n"},
      {"a note, then the same again: nothing added, the note kept",
       {{"6004", "08/01/2024"}, {"1125", "1"}, {"1028", "Sciopero"}, {"1", "1"}, {"1027", "1"}},
       {Generation("FER", kMondayToFriday)},
       0,
       "SELECT COUNT(*), SUM(note = 'Sciopero') FROM calend",
       "23|1\n"},
      {"FES every day, FER on Saturdays and Sundays",
       {{"1027", "1"}, {"1027", "1"}},
       {Generation("FES", kEveryDay), Generation("FER", {{"1036", "1"}, {"1037", "1"}})},
       0,
       perDayType,
       "FER|31|1|7\nFES|31|1|7\n"},
      {"FES taken from Saturdays and Sundays, from a Saturday to a Sunday",
       {{"1027", "1"}},
       {Generation("FES",
                   {{"1017", "1"}, {"1029", "06/01/2024"}, {"1030", "14/01/2024"}, {"1036", "1"}, {"1037", "1"}})},
       0,
       "SELECT group_concat(substr(data, 9, 2), ' ') FROM calend WHERE caden = 'FES' AND data < '2024-01-22' "
       "UNION ALL SELECT COUNT(*) FROM calend WHERE caden = 'FER'",
       "01 02 03 04 05 08 09 10 11 12 15 16 17 18 19 20 21\n31\n"},
      {"a generation undone by Ripristina",
       {{"1027", "1"}, {"1039", "1"}},
       {Generation("FES", kEveryDay)},
       0,
       "SELECT COUNT(*) FROM calend WHERE caden = 'FES'",
       "27\n"},
      {"an unknown day type",
       {{"1027", "1"}},
       {Generation("XYZ", kEveryDay)},
       1,
       "SELECT COUNT(*) FROM calend",
       "58\n"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    const std::string messages = Run(s.lines, s.after);
    EXPECT_EQ(stopBoxes_, s.stopBoxes) << messages;
    if (s.stopBoxes) {
      EXPECT_TRUE(HasPart(messages, "\"XYZ\""));
    }
    EXPECT_EQ(Query(s.sql), s.stored);
  }
}

TEST_F(CalendarEditor, MarksItsWritesUntilAggiornaVista) {
  const Lines writes = {{"6004", "08/01/2024,1"}, {"1017", "1"}, {"6004", "10/01/2024"}, {"1016", "1"},
                        {"1020", "FER   "},       {"1", "1"}};
  struct Case {
    const char* what;
    Lines lines;
    int command;  // of the grid's popup, after the lines
    const char* shown;
  };
  Lines refreshed = writes;
  refreshed.push_back({"1018", "1"});
  const std::vector<Case> cases = {
      {"written", writes, 0, "08/01/2024: FES-|09/01/2024: FER FES|10/01/2024: FER+|"},
      {"written, then a day cleared", writes, CalendarDialog::kClearDay,
       "08/01/2024: FES-|09/01/2024: FER FES|10/01/2024: FER+-|"},
      {"written, then Aggiorna Vista", refreshed, 0, "08/01/2024:|09/01/2024: FER FES|10/01/2024: FER|"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunSql(path_,
           "DELETE FROM calend; INSERT INTO calend VALUES ('2024-01-08', 'FES', '1', ' '),"
           " ('2024-01-09', 'FER', '2', ' '), ('2024-01-09', 'FES', '2', ' ')");
    std::string shown, dayType;
    EXPECT_EQ(Run(c.lines, {},
                  [&](CalendarDialog& dialog) {
                    dayType =
                        cp1252::FromQStringLossy(dialog.findChild<QComboBox*>(QStringLiteral("1020"))->currentText());
                    if (c.command) dialog.GridCommand(c.command);
                    for (int day = 8; day <= 10; ++day) shown += Entries(dialog.Rows().Find(QDate(2024, 1, day))) + "|";
                  }),
              "");
    EXPECT_EQ(shown, c.shown);
    // The code typed with blanks after it is the day type's: its entry is shown, its code stored.
    EXPECT_EQ(dayType, "FER        - Feriale");
    EXPECT_EQ(Query("SELECT data, caden FROM calend WHERE data <> '2024-01-09' ORDER BY data"),
              c.command ? "" : "2024-01-10|FER\n");
  }
}

TEST_F(CalendarEditor, ANoteIsTheDateTextAndWrittenOnAllItsRows) {
  RunSql(path_,
         "INSERT INTO calend VALUES ('2024-01-08', 'FER', '1', ' '), ('2024-01-08', 'FES', '1', ' '),"
         " ('2024-01-09', 'FER', '2', ' ')");
  std::string name, field;
  EXPECT_EQ(Run({{"6004", "08/01/2024,2"}, {"1125", "1"}, {"1028", "Sciopero"}, {"1", "1"}}, {},
                [&](CalendarDialog& dialog) {
                  name = dialog.Rows().Find(QDate(2024, 1, 8))->name;
                  field = cp1252::FromQStringLossy(dialog.findChild<QLineEdit*>(QStringLiteral("1028"))->text());
                }),
            "");
  EXPECT_EQ(name, "Sciopero");
  EXPECT_EQ(field, "Sciopero");
  EXPECT_EQ(Query("SELECT data, caden, note FROM calend ORDER BY data, caden"),
            "2024-01-08|FER|Sciopero\n2024-01-08|FES|Sciopero\n2024-01-09|FER| \n");
}

}  // namespace
