// The calendar editor's rows and the generation on a real timetable database whose period is
// January 2024: what the editor's own tests leave out.

#include "support/TimetableData.h"

#include "common/WorkProgress.h"
#include "db/DbDatabase.h"
#include "db/DbSelect.h"
#include "editing/CalendarGeneration.h"
#include "editing/CalendarRows.h"
#include "editing/EditorTransaction.h"

namespace {

using Operation = CalendarGeneration::Operation;
using Lines = std::vector<std::string>;
const QDate kJan1(2024, 1, 1), kJan31(2024, 1, 31);

// A row as "dd/mm/yyyy weekday text: entry ...", an entry with '+' when changed, '-' when deleted.
std::string Shown(const CadenceNote* row) {
  std::string text = row->Format() + " " + row->weekday + " " + row->name + ":";
  for (const NoteText& entry : row->texts)
    text += " " + entry.text + (entry.changed ? "+" : "") + (entry.deleted ? "-" : "");
  return text;
}

struct ProgressLog : WorkProgress {
  std::string calls;
  void Begin(const std::string& caption) override { calls += caption + " "; }
  void Step(long done, long total) override { calls += std::to_string(done) + "/" + std::to_string(total) + " "; }
  void End() override { calls += "end"; }
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
  Lines Stored() const {
    return QueryLines(path,
                      "SELECT data || '|' || replace(replace(caden, char(0x141), 'L/'), char(0x15A), 'S/') || '|' ||"
                      " giorno || '|' || note FROM calend ORDER BY data, caden");
  }
  // One generation on the rows of a fresh editor, committed; the entries it marked, each as
  // "dd/mm/yyyy code+" or "-", go to `marked`. `stored`: the code as stored, when it lost a character.
  GenerationResult Generate(const char* code, QDate first, QDate last, const char* days, Operation operation,
                            Lines* marked, WorkProgress* progress = nullptr, const char* stored = "") {
    NoticeLog notices;
    DbDatabase db(path);
    EditorTransaction transaction(&db);
    CalendarRows rows(&db);
    rows.Load();
    CalendarGeneration options{{code, stored}, first, last, {}, operation};
    for (size_t k = 0; k < 7; ++k) options.weekdays[k] = days[k] == '1';  // Monday first
    const GenerationResult result = RunCalendarGeneration(rows, options, progress);
    EXPECT_EQ(notices.Texts(), "");
    for (int k = 0; k < rows.Count(); ++k)
      for (const NoteText& entry : rows.At(k)->texts)
        if (entry.changed || entry.deleted)
          marked->push_back(rows.At(k)->Format() + " " + entry.text + (entry.changed ? "+" : "-"));
    return result;
  }
};

TEST_F(Calendar, RowsCoverThePeriodThenTheDatesOutsideIt) {
  RunSql(path,
         "INSERT INTO calend VALUES ('2024-01-01', 'FER', '1', 'Nota'), ('2024-01-02', 'FER', '2', 'Sciopero'),"
         "('2024-01-02', 'FES', '2', 'Altro'), ('2024-01-03', 'FER', '3', ' '), ('2024-01-03', 'FES', '3', 'Dopo'),"
         "('2024-03-10', 'FES  ', '7', 'Fuori'), ('2024-03-10', 'SAB', '7', 'Altro'), ('2024-02-05', 'FER', '1', ' ')");
  DbDatabase db(path);
  CalendarRows rows(&db);
  rows.Load();
  ASSERT_EQ(rows.Count(), 33);
  EXPECT_EQ(rows.At(33), nullptr);
  EXPECT_EQ(Shown(rows.At(0)), "01/01/2024 1 Capodanno: FER");  // a holiday keeps its name
  EXPECT_EQ(Shown(rows.At(1)), "02/01/2024 2 Sciopero: FER FES");
  // A blank marks a row without a note: it hides no real note of the same date.
  EXPECT_EQ(Shown(rows.At(2)), "03/01/2024 3 Dopo: FER FES");
  EXPECT_EQ(Shown(rows.At(31)) + "|" + Shown(rows.At(32)), "05/02/2024 1 : FER|10/03/2024 7 Fuori: FES SAB");
  EXPECT_EQ(rows.Find(QDate(2024, 3, 10)), rows.At(32));
  EXPECT_EQ(rows.MaxEntries(), 2);

  RunSql(path, "DELETE FROM master");  // no period: 01/01/1900 to 31/12/2099
  rows.Load();
  EXPECT_EQ(rows.PeriodFirst(), QDate(1900, 1, 1));
  EXPECT_EQ(rows.PeriodLast(), QDate(2099, 12, 31));
  ASSERT_EQ(rows.Count(), 73049);
  EXPECT_EQ(Shown(rows.At(0)) + "|" + Shown(rows.At(5)) + "|" + Shown(rows.At(73048)),
            "01/01/1900 1 Capodanno:|06/01/1900 6 Epifania:|31/12/2099 4 :");
  EXPECT_EQ(rows.PositionOf(rows.Find(QDate(2024, 3, 10))), QDate(1900, 1, 1).daysTo(QDate(2024, 3, 10)));
}

TEST_F(Calendar, AddEntryWritesTheRowsTextAsNoteOrRefuses) {
  // Day types "?1" and U+0141 and U+015A stored by another tool, which read "?1" too: each added
  // and removed as its own.
  RunSql(path, std::string("INSERT INTO calend VALUES ('2024-01-09', 'FES', '2', 'Sciopero'), ('2024-01-13 00:00:00', "
                           "'FES', '6', ' ');") +
                   kDayTypesReadAlikeSql);
  const char *const l1 = kStoredL1, *const s1 = kStoredS1;
  const std::tuple<QDate, DbText, bool, const char*> cases[] = {
      {kJan1, {"FER", {}}, true, "01/01/2024 1 Capodanno: FER+"},
      {QDate(2024, 1, 9), {"FER  ", {}}, true, "09/01/2024 2 Sciopero: FES FER+"},
      {QDate(2024, 1, 10), {"SAB", {}}, true, "10/01/2024 3 : SAB+"},
      {QDate(2024, 2, 5), {"FER", {}}, true, "05/02/2024 1 : FER+"},
      {QDate(2024, 1, 10), {"SAB ", {}}, false, "10/01/2024 3 : SAB+"},  // already there
      {QDate(2024, 1, 11), {"XYZ", {}}, false, "11/01/2024 4 :"},
      {QDate(2024, 1, 11), {"  ", {}}, false, "11/01/2024 4 :"},
      {QDate(2024, 1, 12), {"?1 ", s1}, true, "12/01/2024 5 : ?1+"},
      {QDate(2024, 1, 12), {"?1", l1}, true, "12/01/2024 5 : ?1+ ?1+"},
      {QDate(2024, 1, 12), {"?1", {}}, true, "12/01/2024 5 : ?1+ ?1+ ?1+"},
      {QDate(2024, 1, 12), {"?1", s1}, false, "12/01/2024 5 : ?1+ ?1+ ?1+"},  // already there
      {QDate(2024, 1, 13), {"FES", {}}, false, "13/01/2024 6 : FES"},         // there with a time of day
  };
  NoticeLog notices;
  DbDatabase db(path);
  EditorTransaction transaction(&db);
  CalendarRows rows(&db);
  rows.Load();
  for (const auto& [date, code, stored, shown] : cases) {
    SCOPED_TRACE(code.text);
    notices.Clear();
    EXPECT_EQ(rows.AddEntry(date, code) != nullptr, stored);
    EXPECT_EQ(notices.Texts().empty(), stored) << notices.Texts();
    EXPECT_EQ(Shown(rows.Find(date)), shown);
  }
  EXPECT_EQ(rows.Count(), 32);
  // The entry of U+0141 1 deleted: its own row goes.
  CadenceNote* day = rows.Find(QDate(2024, 1, 12));
  EXPECT_TRUE(rows.RemoveEntry(day, &*std::next(day->texts.begin())));
  EXPECT_EQ(Shown(day), "12/01/2024 5 : ?1+ ?1+- ?1+");
  transaction.Commit();
  EXPECT_EQ(Stored(), (Lines{"2024-01-01|FER|1|Capodanno", "2024-01-09|FER|2|Sciopero", "2024-01-09|FES|2|Sciopero",
                             "2024-01-10|SAB|3| ", "2024-01-12|?1|5| ", "2024-01-12|S/1|5| ",
                             "2024-01-13 00:00:00|FES|6| ", "2024-02-05|FER|1| "}));
  // Read again, each entry keeps its stored code.
  rows.Load();
  std::string stored;
  for (const NoteText& entry : rows.Find(QDate(2024, 1, 12))->texts) stored += entry.text + "=" + entry.stored + " ";
  EXPECT_EQ(stored, std::string("?1= ?1=") + s1 + " ");
}

TEST_F(Calendar, NotesAndClearingTouchOneDateOnly) {
  RunSql(path,
         "INSERT INTO calend VALUES ('2024-01-06', 'FER  ', '6', 'Vecchia'), ('2024-01-06', 'FES', '6', ' '),"
         "('2024-01-06 08:30', 'SAB', '6', ' '), ('2024-01-07 00:00:00', 'FES', '7', 'Domenica'),"
         "('9999-12-31', 'FES', '5', ' '), ('0001-01-01', 'FER', '1', ' ')");  // days with a time of day among them
  const QDate epiphany(2024, 1, 6), sunday(2024, 1, 7);
  NoticeLog notices;
  DbDatabase db(path);
  EditorTransaction transaction(&db);
  CalendarRows rows(&db);
  rows.Load();
  EXPECT_EQ(rows.WriteNote(QDate(2024, 1, 8), "Niente"), 0);
  EXPECT_EQ(Shown(rows.Find(QDate(2024, 1, 8))), "08/01/2024 1 :");
  EXPECT_EQ(rows.WriteNote(epiphany, "Festa"), 3);
  EXPECT_EQ(rows.WriteNote(sunday, ""), 1);
  EXPECT_EQ(Shown(rows.Find(sunday)), "07/01/2024 7  : FES");
  transaction.CommitAndBegin();
  EXPECT_EQ(Stored(), (Lines{"0001-01-01|FER|1| ", "2024-01-06|FER  |6|Festa", "2024-01-06|FES|6|Festa",
                             "2024-01-06 08:30|SAB|6|Festa", "2024-01-07 00:00:00|FES|7| ", "9999-12-31|FES|5| "}));
  CadenceNote* first = rows.Find(QDate(1, 1, 1));  // years the database does not keep as themselves
  EXPECT_EQ(Shown(first) + "|" + Shown(rows.Find(QDate(9999, 12, 31))), "01/01/0001 1 : FER|31/12/9999 5 : FES");
  EXPECT_TRUE(rows.RemoveEntry(first, &*first->texts.begin()));
  EXPECT_EQ(rows.ClearDay(QDate(9999, 12, 31)), 1);
  CadenceNote* row = rows.Find(sunday);
  EXPECT_TRUE(rows.RemoveEntry(row, &*row->texts.begin()));
  EXPECT_FALSE(rows.RemoveEntry(row, &*row->texts.begin()));
  EXPECT_EQ(rows.ClearDay(sunday), 0);
  EXPECT_EQ(rows.ClearDay(epiphany), 3);
  EXPECT_EQ(Shown(rows.Find(epiphany)) + "|" + Shown(row), "06/01/2024 6 Festa: FER- FES- SAB-|07/01/2024 7  : FES-");
  transaction.Commit();
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(Stored(), Lines{});
  EXPECT_EQ(std::string(WeekdayName('1')) + WeekdayName('7') + WeekdayName('0'), "LunediDomenica");
}

TEST_F(Calendar, GenerationMarksItsRowsAndAddsDatesOutsideThePeriodAtTheEnd) {
  Lines marked;
  ProgressLog progress;
  // 49 Mondays, Easter Monday (01/04/2024) among them, all but the first after the period.
  EXPECT_EQ(
      Generate("FES", QDate(2024, 1, 29), QDate(2024, 12, 31), "1000000", Operation::Add, &marked, &progress).written,
      49);
  ASSERT_EQ(marked.size(), 49u);
  EXPECT_EQ(marked[9] + "|" + marked.back(), "01/04/2024 FES+|30/12/2024 FES+");
  EXPECT_EQ(progress.calls, "Generazione calendario 200/338 end");
  EXPECT_EQ(Stored()[0], "2024-01-29|FES|1| ");
  // The code with blanks after it is the same day type.
  EXPECT_EQ(Generate("FES  ", QDate(2024, 1, 29), QDate(2024, 2, 5), "1000000", Operation::Add, &marked).written, 0);
  marked.clear();
  EXPECT_EQ(Generate("FES  ", QDate(2024, 4, 1), QDate(2024, 4, 8), "1000000", Operation::Remove, &marked).written, 2);
  EXPECT_EQ(marked, (Lines{"01/04/2024 FES-", "08/04/2024 FES-"}));
  // Days stored with a time of day, or in a year read as "99/99/9999", are removed by their dates as stored.
  RunSql(path, "INSERT INTO calend VALUES ('2025-01-06 08:00', 'FES', '1', ' '), ('9999-12-27', 'FES', '1', ' ')");
  // The addition finds them so too, the last date of its range included, and adds none beside them.
  EXPECT_EQ(Generate("FES", QDate(2024, 12, 30), QDate(2025, 1, 6), "1000000", Operation::Add, &marked).written, 0);
  marked.clear();
  EXPECT_EQ(Generate("FES", QDate(2025, 1, 6), QDate(9999, 12, 31), "1000000", Operation::Remove, &marked).written, 2);
  EXPECT_EQ(marked, (Lines{"06/01/2025 FES-", "27/12/9999 FES-"}));
}

TEST_F(Calendar, GenerationOfADayTypeReadAlikeWritesItsOwnRows) {
  // Day types "?1" and U+0141 and U+015A stored by another tool, which read "?1" too: the one
  // chosen, as stored, is added and removed, and no other.
  RunSql(path,
         std::string(kDayTypesReadAlikeSql) +
             "INSERT INTO calend VALUES ('2024-01-08', '?1', '1', ' '), ('2024-01-08', char(0x141) || '1', '1', ' ')");
  const char* const s1 = kStoredS1;
  const char* const rows = "SELECT data || '|' || hex(caden) FROM calend ORDER BY data, caden";
  Lines marked;
  EXPECT_EQ(
      Generate("?1", QDate(2024, 1, 8), QDate(2024, 1, 15), "1000000", Operation::Add, &marked, nullptr, s1).written,
      2);
  EXPECT_EQ(QueryLines(path, rows),
            (Lines{"2024-01-08|3F31", "2024-01-08|C58131", "2024-01-08|C59A31", "2024-01-15|C59A31"}));
  marked.clear();
  EXPECT_EQ(
      Generate("?1", QDate(2024, 1, 8), QDate(2024, 1, 8), "1000000", Operation::Remove, &marked, nullptr, s1).written,
      1);
  EXPECT_EQ(QueryLines(path, rows), (Lines{"2024-01-08|3F31", "2024-01-08|C58131", "2024-01-15|C59A31"}));
  EXPECT_EQ(QueryFile(path, "SELECT giorno || note FROM calend WHERE data = '2024-01-15'"), "1 \n");
}

// A day type stored as bytes spelling FER, as the list reads it: the removal finds its own rows (none) and not FER's;
// the addition would put a value of another kind into the calendar, and is refused.
TEST_F(Calendar, GenerationOfADayTypeStoredAsBytesTouchesNoOtherRows) {
  RunSql(path,
         "PRAGMA ignore_check_constraints = ON; INSERT INTO cadenz VALUES (X'464552', 'Feriale binario');"
         "INSERT INTO calend VALUES ('2024-01-08', 'FER', '1', ' ')");
  DbText code;
  {
    DbDatabase db(path);
    DbSelect listed(&db, {.columns = "codice", .from = "cadenz", .where = "typeof(codice) = 'blob'"});
    ASSERT_TRUE(listed.Open());
    code = listed.TrimmedTextAt(0);
  }
  const Lines stored = Stored();
  Lines marked;
  const GenerationResult removed = Generate(code.text.c_str(), QDate(2024, 1, 8), QDate(2024, 1, 8), "1000000",
                                            Operation::Remove, &marked, nullptr, code.stored.c_str());
  EXPECT_EQ(removed.Failure() + std::to_string(removed.written), "0");
  const GenerationResult added = Generate(code.text.c_str(), QDate(2024, 1, 8), QDate(2024, 1, 15), "1000000",
                                          Operation::Add, &marked, nullptr, code.stored.c_str());
  EXPECT_EQ(added.Failure(),
            "ATTENZIONE: cadenza scelta:\nil campo codice (Codice) vale X'464552',\nche è un dato binario e non un "
            "testo come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere il dato prima di "
            "ripetere l'elaborazione.");
  EXPECT_EQ(marked, Lines{});
  EXPECT_EQ(Stored(), stored);
}

TEST_F(Calendar, GenerationRefusesOrSkipsWithoutWritingAnything) {
  const std::string refusal =
      " non è presente nella tabella delle Cadenze.\n\nNessun giorno del calendario è stato modificato.";
  // Days of FER stored, one of them with a date that is none: the removal and the addition, which
  // read the dates of the day type, refuse it before they write any.
  const char* const noDate =
      "INSERT INTO calend VALUES ('2024-01-15', 'FER', '1', ' '), ('2024-01-16', 'FER', '2', ' ');"
      "UPDATE calend SET data = '2024-01-16 ore 8:00' WHERE data = '2024-01-16'";
  const std::tuple<const char*, QDate, const char*, std::string, const char*> cases[] = {
      {"XYZ", kJan1, "1111111", "ATTENZIONE: la cadenza \"XYZ\"" + refusal, ""},
      {"   ", kJan1, "1111111", "ATTENZIONE: la cadenza \"\"" + refusal, ""},
      {"FER", kJan1, "0000000", "", ""},
      {"FER", QDate(2024, 2, 1), "1111111", "", ""},  // after the last date
      {"FER", kJan1, "1111111",
       "ATTENZIONE: un giorno del calendario con cadenza FER:\nil campo data (Data) vale '2024-01-16 ore 8:00',\nche è "
       "un testo e non "
       "una data come richiede la sua colonna.\n\nNessuna modifica è stata registrata: correggere il dato prima di "
       "ripetere l'elaborazione.",
       noDate},
  };
  AllowReadingMismatches();  // the date that is none, on purpose (Generate sees no notice)
  for (const auto& [code, first, days, expected, planted] : cases) {
    RunSql(path, std::string("DELETE FROM calend;") + planted);
    const Lines stored = Stored();
    for (Operation operation : {Operation::Add, Operation::Remove}) {
      Lines marked;
      ProgressLog progress;
      const GenerationResult result = Generate(code, first, kJan31, days, operation, &marked, &progress);
      EXPECT_EQ(result.written, 0);
      EXPECT_EQ(result.Failure(), expected);
      EXPECT_EQ(marked.size() + progress.calls.size(), 0u);
      EXPECT_EQ(Stored(), stored);
    }
  }
  EXPECT_EQ(Stored(), (Lines{"2024-01-15|FER|1| ", "2024-01-16 ore 8:00|FER|2| "}));
}

}  // namespace
