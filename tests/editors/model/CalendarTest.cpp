// The calendar editor's rows and the generation of the calendar on a real timetable database
// whose period is January 2024: rows for the dates of the period and at the end for the others,
// every write stored at once and shown on the rows with its marks.

#include "support/TimetableData.h"

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "editors/model/CalendarGeneration.h"
#include "editors/model/CalendarRows.h"
#include "editors/model/EditorTransaction.h"

namespace {

using Operation = CalendarGeneration::Operation;
using Lines = std::vector<std::string>;
const QDate kJan1(2024, 1, 1), kJan31(2024, 1, 31);

// A row as "dd/mm/yyyy weekday text: entry ...", an entry with '+' when changed, '-' when deleted.
std::string Shown(const CadenceNote* row) {
  if (!row) return "none";
  std::string text = row->Format() + " " + row->weekday + " " + row->name + ":";
  for (const NoteText& entry : row->texts)
    text += " " + entry.text + (entry.changed ? "+" : "") + (entry.deleted ? "-" : "");
  return text;
}

// The progress as "B<caption>", "S<done>/<total>", "E".
struct ProgressLog : WorkProgress {
  Lines calls;
  void Begin(const std::string& caption) override { calls.push_back("B" + caption); }
  void Step(long done, long total) override {
    calls.push_back("S" + std::to_string(done) + "/" + std::to_string(total));
  }
  void End() override { calls.push_back("E"); }
};

struct Calendar : ::testing::Test {
  ScratchDir dir;
  std::string path = dir.Path("orari.mdb");
  void SetUp() override {
    MakeTimetableDatabase(path);
    RunSql(path,
           "UPDATE master SET datini = '2024-01-01', datfin = '2024-01-31';"
           "INSERT INTO cadenz VALUES ('FER', 'Feriale'), ('FES  ', 'Festivo'), ('SAB', 'Sabato')");
  }
  Lines Stored(const std::string& where = "1") const {
    return QueryLines(path, "SELECT data || '|' || caden || '|' || giorno || '|' || note FROM calend WHERE " + where +
                                " ORDER BY data, caden");
  }
  // One generation on the rows of a fresh editor, committed; the entries it marked, each as
  // "dd/mm/yyyy code+" or "-", go to `marked`.
  GenerationResult Generate(const char* code, QDate first, QDate last, const char* days, Operation operation,
                            Lines* marked = nullptr, WorkProgress* progress = nullptr) {
    NoticeLog notices;
    DbDatabase db(path);
    EditorTransaction transaction(&db);
    CalendarRows rows(&db);
    rows.Load();
    CalendarGeneration options{code, first, last, {}, operation};
    for (size_t k = 0; k < 7; ++k) options.weekdays[k] = days[k] == '1';  // Monday first
    const GenerationResult result = RunCalendarGeneration(rows, options, progress);
    EXPECT_EQ(notices.Texts(), "");
    for (int k = 0; marked && k < rows.Count(); ++k)
      for (const NoteText& entry : rows.At(k)->texts)
        if (entry.changed || entry.deleted)
          marked->push_back(rows.At(k)->Format() + " " + entry.text + (entry.changed ? "+" : "-"));
    return result;
  }
};

TEST_F(Calendar, RowsCoverThePeriodOfTheMasterRowOrTheWholeRange) {
  struct Case {
    const char* sql;
    QDate first, last;
    const char* firstShown;
    const char* lastShown;
  };
  const std::vector<Case> cases = {
      {"", kJan1, kJan31, "01/01/2024 1 Capodanno:", "31/01/2024 3 :"},
      {"DELETE FROM master", QDate(1900, 1, 1), QDate(2099, 12, 31), "01/01/1900 1 Capodanno:", "31/12/2099 4 :"},
  };
  const QDate epiphany(2024, 1, 6);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sql);
    if (*c.sql) RunSql(path, c.sql);
    DbDatabase db(path);
    CalendarRows rows(&db);
    rows.Load();
    EXPECT_EQ(rows.PeriodFirst(), c.first);
    EXPECT_EQ(rows.PeriodLast(), c.last);
    const int count = static_cast<int>(c.first.daysTo(c.last)) + 1;
    ASSERT_EQ(rows.Count(), count);
    EXPECT_EQ(Shown(rows.At(0)), c.firstShown);
    EXPECT_EQ(Shown(rows.At(count - 1)), c.lastShown);
    EXPECT_EQ(rows.At(count), nullptr);
    EXPECT_EQ(Shown(rows.Find(epiphany)), "06/01/2024 6 Epifania:");
    EXPECT_EQ(rows.PositionOf(rows.Find(epiphany)), c.first.daysTo(epiphany));
  }
}

TEST_F(Calendar, RowsShowDayTypesNotesAndDatesOutsideThePeriod) {
  RunSql(path,
         "INSERT INTO calend VALUES ('2024-01-01', 'FER', '1', 'Nota'), ('2024-01-02', 'FER', '2', 'Sciopero'),"
         "('2024-01-02', 'FES', '2', 'Altro'), ('2024-01-03', 'FER', '3', ' '), ('2024-01-03', 'FES', '3', 'Dopo'),"
         "('2024-03-10', 'FES  ', '7', 'Fuori'), ('2024-03-10', 'SAB', '7', 'Altro')");
  DbDatabase db(path);
  CalendarRows rows(&db);
  rows.Load();
  ASSERT_EQ(rows.Count(), 32);
  EXPECT_EQ(Shown(rows.At(0)), "01/01/2024 1 Capodanno: FER");  // a holiday keeps its name
  EXPECT_EQ(Shown(rows.At(1)), "02/01/2024 2 Sciopero: FER FES");
  EXPECT_EQ(Shown(rows.At(2)), "03/01/2024 3  : FER FES");  // one blank is a note
  EXPECT_EQ(Shown(rows.At(31)), "10/03/2024 7 Fuori: FES SAB");
  EXPECT_EQ(rows.Find(QDate(2024, 3, 10)), rows.At(31));
  EXPECT_EQ(rows.MaxEntries(), 2);
}

TEST_F(Calendar, AddEntryWritesTheRowsTextAsNoteOrRefuses) {
  RunSql(path, "INSERT INTO calend VALUES ('2024-01-09', 'FES', '2', 'Sciopero')");
  const std::vector<std::pair<QDate, const char*>> cases = {
      {kJan1, "FER"},
      {QDate(2024, 1, 9), "FER  "},
      {QDate(2024, 1, 10), "SAB"},
      {QDate(2024, 2, 5), "FER"},
      // Refused: already there, no such day type, no code.
      {QDate(2024, 1, 10), "SAB "},
      {QDate(2024, 1, 11), "XYZ"},
      {QDate(2024, 1, 11), "  "},
  };
  const Lines shown = {"01/01/2024 1 Capodanno: FER+", "09/01/2024 2 Sciopero: FES FER+", "10/01/2024 3 : SAB+",
                       "05/02/2024 1 : FER+"};
  NoticeLog notices;
  {
    DbDatabase db(path);
    EditorTransaction transaction(&db);
    CalendarRows rows(&db);
    rows.Load();
    for (size_t k = 0; k < cases.size(); ++k) {
      SCOPED_TRACE(k);
      notices.Clear();
      const bool stored = k < shown.size();
      EXPECT_EQ(rows.AddEntry(cases[k].first, cases[k].second) != nullptr, stored);
      EXPECT_EQ(notices.Texts().empty(), stored) << notices.Texts();
      if (stored) {
        EXPECT_EQ(Shown(rows.Find(cases[k].first)), shown[k]);
      }
    }
    EXPECT_EQ(rows.Count(), 32);
    EXPECT_EQ(Shown(rows.Find(QDate(2024, 1, 11))), "11/01/2024 4 :");
  }
  EXPECT_EQ(Stored(), (Lines{"2024-01-01|FER|1|Capodanno", "2024-01-09|FER|2|Sciopero", "2024-01-09|FES|2|Sciopero",
                             "2024-01-10|SAB|3| ", "2024-02-05|FER|1| "}));
}

TEST_F(Calendar, NotesAndClearingTouchOneDateOnly) {
  RunSql(path,
         "INSERT INTO calend VALUES ('2024-01-06', 'FER  ', '6', 'Vecchia'), ('2024-01-06', 'FES', '6', ' '),"
         "('2024-01-07', 'FES', '7', ' ')");
  const QDate epiphany(2024, 1, 6), sunday(2024, 1, 7);
  NoticeLog notices;
  {
    DbDatabase db(path);
    EditorTransaction transaction(&db);
    CalendarRows rows(&db);
    rows.Load();
    EXPECT_EQ(rows.WriteNote(QDate(2024, 1, 8), "Niente"), 0);
    EXPECT_EQ(Shown(rows.Find(QDate(2024, 1, 8))), "08/01/2024 1 :");
    EXPECT_EQ(rows.WriteNote(epiphany, "Festa"), 2);
    EXPECT_EQ(rows.WriteNote(sunday, ""), 1);
    transaction.CommitAndBegin();
    EXPECT_EQ(Stored(), (Lines{"2024-01-06|FER  |6|Festa", "2024-01-06|FES|6|Festa", "2024-01-07|FES|7| "}));
    EXPECT_EQ(Shown(rows.Find(sunday)), "07/01/2024 7  : FES");

    CadenceNote* row = rows.Find(sunday);
    EXPECT_TRUE(rows.RemoveEntry(row, &*row->texts.begin()));
    EXPECT_FALSE(rows.RemoveEntry(row, &*row->texts.begin()));
    EXPECT_EQ(rows.ClearDay(sunday), 0);
    EXPECT_EQ(rows.ClearDay(epiphany), 2);
    EXPECT_EQ(Shown(rows.Find(epiphany)), "06/01/2024 6 Festa: FER- FES-");
    EXPECT_EQ(Shown(row), "07/01/2024 7  : FES-");
  }
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(Stored(), Lines{});
  EXPECT_STREQ(WeekdayName('1'), "Lunedi");
  EXPECT_STREQ(WeekdayName('7'), "Domenica");
  EXPECT_STREQ(WeekdayName('0'), "");
}

TEST_F(Calendar, GenerationAddsTheDayTypeOnTheChosenWeekdaysOnce) {
  EXPECT_EQ(Generate("FER", kJan1, kJan31, "1111100", Operation::Add).written, 23);
  EXPECT_EQ(Stored("strftime('%w', data) IN ('0', '6')"), Lines{});
  RunSql(path, "UPDATE calend SET note = 'Sciopero' WHERE data = '2024-01-08'");
  Lines marked;
  EXPECT_EQ(Generate("FER  ", kJan1, kJan31, "1111100", Operation::Add, &marked).written, 0);
  EXPECT_EQ(Stored("note <> ' '"), Lines{"2024-01-08|FER|1|Sciopero"});

  EXPECT_EQ(Generate("FES", kJan1, kJan31, "1000000", Operation::Add, &marked).written, 5);
  EXPECT_EQ(marked,
            (Lines{"01/01/2024 FES+", "08/01/2024 FES+", "15/01/2024 FES+", "22/01/2024 FES+", "29/01/2024 FES+"}));
  EXPECT_EQ(Stored("caden = 'FES'"), (Lines{"2024-01-01|FES|1| ", "2024-01-08|FES|1| ", "2024-01-15|FES|1| ",
                                            "2024-01-22|FES|1| ", "2024-01-29|FES|1| "}));
}

TEST_F(Calendar, GenerationAddsRowsAtTheEndForDatesOutsideThePeriod) {
  Lines marked;
  ProgressLog progress;
  // 49 Mondays, Easter Monday (01/04/2024) among them, all but the first after the period.
  EXPECT_EQ(
      Generate("FES", QDate(2024, 1, 29), QDate(2024, 12, 31), "1000000", Operation::Add, &marked, &progress).written,
      49);
  ASSERT_EQ(marked.size(), 49u);
  EXPECT_EQ(marked[9], "01/04/2024 FES+");
  EXPECT_EQ(marked.back(), "30/12/2024 FES+");
  EXPECT_EQ(progress.calls, (Lines{"BGenerazione calendario", "S200/338", "E"}));
  DbDatabase db(path);
  CalendarRows rows(&db);
  rows.Load();
  EXPECT_EQ(rows.Count(), 31 + 48);
  EXPECT_EQ(rows.PositionOf(rows.Find(QDate(2024, 4, 1))), 31 + 8);
}

TEST_F(Calendar, GenerationRemovesTheChosenWeekdaysWithBothEndsIncluded) {
  Generate("FER", kJan1, kJan31, "1111111", Operation::Add);
  Generate("FES", kJan1, kJan31, "0000011", Operation::Add);
  RunSql(path, "INSERT INTO calend VALUES ('2024-01-10', 'FES', '3', 'Mercoledi')");
  Lines marked;
  // From Sunday 07/01 to Saturday 27/01.
  EXPECT_EQ(Generate("FES", QDate(2024, 1, 7), QDate(2024, 1, 27), "0000011", Operation::Remove, &marked).written, 6);
  EXPECT_EQ(marked, (Lines{"07/01/2024 FES-", "13/01/2024 FES-", "14/01/2024 FES-", "20/01/2024 FES-",
                           "21/01/2024 FES-", "27/01/2024 FES-"}));
  EXPECT_EQ(Stored("caden = 'FES'"), (Lines{"2024-01-06|FES|6| ", "2024-01-10|FES|3|Mercoledi", "2024-01-28|FES|7| "}));
  EXPECT_EQ(Stored("caden = 'FER'").size(), 31u);
}

TEST_F(Calendar, GenerationRefusesOrSkipsWithoutWritingAnything) {
  const std::string refusal =
      " non è presente nella tabella delle Cadenze.\n\nNessun giorno del calendario è stato modificato.";
  struct Case {
    const char* code;
    QDate first, last;
    const char* days;
    std::string refusal;
  };
  const std::vector<Case> cases = {
      {"XYZ", kJan1, kJan31, "1111111", "ATTENZIONE: la cadenza \"XYZ\"" + refusal},
      {"   ", kJan1, kJan31, "1111111", "ATTENZIONE: la cadenza \"\"" + refusal},
      {"FER", kJan1, kJan31, "0000000", ""},
      {"FER", kJan31, kJan1, "1111111", ""},
  };
  for (const Case& c : cases) {
    for (Operation operation : {Operation::Add, Operation::Remove}) {
      Lines marked;
      ProgressLog progress;
      const GenerationResult result = Generate(c.code, c.first, c.last, c.days, operation, &marked, &progress);
      EXPECT_EQ(result.written, 0);
      EXPECT_EQ(result.refusal, c.refusal);
      EXPECT_EQ(marked.size() + progress.calls.size(), 0u);
    }
  }
  EXPECT_EQ(Stored(), Lines{});
}

}  // namespace
