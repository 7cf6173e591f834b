// The three exports on the hand-made set imported into a real database: the set exported again
// byte for byte beside the files of others, the authority filter, a missing master row, the
// renumbered ids, the date range, and the seven files written all or none.

#include "exchange/ExportEngine.h"
#include "support/ExchangeData.h"

#include <QFileInfo>
#include <functional>

namespace {

using Strings = std::vector<std::string>;

// Every row of the timetable tables, in storage order.
std::string DumpTimetable(const std::string& path) {
  std::string out;
  for (const char* table : {"master", "cadenz", "calend", "tescor", "detcor", "period", "local"})
    out += std::string(table) + ":\n" + QueryFile(path, std::string("SELECT * FROM ") + table);
  return out;
}

// A database holding the hand-made set, with an empty output folder beside it; the notices of the
// database layer are collected after the set-up.
struct Exports : ::testing::Test {
  ScratchDir dir;
  std::string db = dir.Path("orari.mdb");
  std::string out = dir.Path("uscita");
  NoticeLog notices;
  void SetUp() override {
    MakeImportedDatabase(db);
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  std::string Out(const std::string& name) const { return out + "/" + name; }
  Strings Lines(const std::string& name) const { return FileLines(Out(name)); }
  ExportResult Run(ExportKind kind, int authority = -1, long firstId = 0, DateRecord from = {}, DateRecord to = {},
                   const std::string& folder = {}) {
    DbDatabase handle(db);
    ExportOptions o;
    o.db = &handle, o.folder = folder.empty() ? out : folder, o.kind = kind;
    o.anyAuthority = authority < 0, o.authority = authority, o.firstId = firstId, o.rangeStart = from, o.rangeEnd = to;
    return RunExport(o);
  }
  ExportResult Plain(int authority = -1) { return Run(ExportKind::Plain, authority); }
  ExportResult Renumbered(long first) { return Run(ExportKind::Renumbered, -1, first); }
  ExportResult Range(DateRecord from, DateRecord to, int authority = -1) {
    return Run(ExportKind::DateRange, authority, 0, from, to);
  }
};

// The counts of the result as "written/read" per file.
Strings Counts(const ExportResult& r) {
  Strings c;
  for (const ExportCount& n : r.counts) c.push_back(std::to_string(n.written) + "/" + std::to_string(n.read));
  return c;
}

// The hand-made lines of the trips given.
Strings OnlyTrips(const std::string& name, std::initializer_list<const char*> ids) {
  Strings kept;
  for (const std::string& l : HandMadeLines(name))
    for (const char* id : ids)
      if (l.substr(4, 6) == id) kept.push_back(l);
  return kept;
}

// The hand-made lines with `width` bytes at `offset` replaced as `change` says.
template <class F>
Strings Changed(const std::string& name, size_t offset, size_t width, F change) {
  Strings lines = HandMadeLines(name);
  for (std::string& l : lines) l.replace(offset, width, change(l.substr(offset, width)));
  return lines;
}

const std::string kStopsHeader = "Azienda\tFermata\tDenominazione\tUbicazione\tIstat\tLocalita";

// ---- Plain ---------------------------------------------------------------------------------

TEST_F(Exports, HandMadeSetComesBackByteForByteAndTheDatabaseStaysAsItWas) {
  const std::string before = DumpTimetable(db);
  WriteLines(Out("ALTRO.TXT"), {"resta"});
  for (int round = 0; round < 2; ++round) {  // a second export replaces the files with the same bytes
    const ExportResult r = Plain();
    ASSERT_TRUE(r.complete) << r.failedPath;
    EXPECT_EQ(notices.Texts(), "");
    for (ImportKind kind : kImportOrder)
      EXPECT_EQ(FileBytes(Out(FileNameOf(kind))), FileBytes(HandMadeFile(FileNameOf(kind))));
    // The imports leave every stop without locality: the list has its header only.
    EXPECT_EQ(FileBytes(Out("FERMATE_NORMALIZZATE.TXT")), kStopsHeader + "\r\n");
    EXPECT_EQ(Counts(r), (Strings{"3/3", "8/8", "4/4", "2/2", "3/3", "1/1", "0/0"}));
    EXPECT_EQ(ExportResultText(r),
              "Risultati dell'esportazione dati:\n\n3 su 3 Teste Corsa\n8 su 8 Dettagli Corsa\n"
              "4 su 4 Periodi Validità Corsa\n2 su 2 Cadenze\n3 su 3 Calendario Giorni/Cadenze\n"
              "1 su 1 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n");
    // Beside the file of others, and no temporary left.
    EXPECT_EQ(FolderEntries(out), (Strings{"ALTRO.TXT", "FERMATE_NORMALIZZATE.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT",
                                           "RT_DTORA.TXT", "RT_HDORA.TXT", "RT_PERIOD.TXT", "RT_PROTO.TXT"}));
    EXPECT_EQ(FileBytes(Out("ALTRO.TXT")), "resta\r\n");
    EXPECT_EQ(DumpTimetable(db), before);
  }
}

TEST_F(Exports, OneAuthorityRestrictsTheTripFilesOnly) {
  const ExportResult r = Plain(5);  // trips 1 and 3; trip 2 belongs to authority 1
  ASSERT_TRUE(r.complete);
  for (const char* name : {"RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"})
    EXPECT_EQ(Lines(name), OnlyTrips(name, {"000001", "000003"}));
  for (const char* name : {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT"})
    EXPECT_EQ(FileBytes(Out(name)), FileBytes(HandMadeFile(name))) << name;
  EXPECT_EQ(Counts(r), (Strings{"2/2", "6/6", "3/3", "2/2", "3/3", "1/1", "0/0"}));
  // An authority without trips: the trip files are empty, the others whole.
  ASSERT_TRUE(Plain(7).complete);
  EXPECT_EQ(FileBytes(Out("RT_HDORA.TXT")) + FileBytes(Out("RT_PERIOD.TXT")), "");
  EXPECT_EQ(FileBytes(Out("RT_CALEN.TXT")), FileBytes(HandMadeFile("RT_CALEN.TXT")));
}

TEST_F(Exports, WithoutMasterRowTheProtocolIsEmptyAndTheCompanyZero) {
  RunSql(db, "DELETE FROM master");
  const ExportResult r = Plain();
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(FileBytes(Out("RT_PROTO.TXT")), "");
  EXPECT_EQ(Counts(r)[kProtocolFile], "0/0");
  EXPECT_EQ(Lines("RT_CADEN.TXT")[0].substr(0, 4), "0000");
}

// ---- Renumbered ----------------------------------------------------------------------------

TEST_F(Exports, RenumberingGivesConsecutiveIdsTheSameInEveryFile) {
  // Stored ids 7, 12 and 40 in place of 1, 2 and 3.
  for (const char* table : {"tescor", "detcor", "period"})
    RunSql(db, std::string("UPDATE ") + table + " SET id = CASE id WHEN 1 THEN 7 WHEN 2 THEN 12 ELSE 40 END");
  const std::string before = DumpTimetable(db);
  const ExportResult r = Renumbered(1000);
  ASSERT_TRUE(r.complete) << r.failedPath;
  const auto map = [](const std::string& old) {
    return old == "000001" ? "001000" : old == "000002" ? "001001" : "001002";
  };
  for (const char* name : {"RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"})
    EXPECT_EQ(Lines(name), Changed(name, 4, 6, map)) << name;
  for (const char* name : {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT"}) EXPECT_EQ(Lines(name), HandMadeLines(name));
  EXPECT_EQ(r.counts[kTripStopsFile].written, 8);
  // Nothing of the database moves, the next trip id of the master row included.
  EXPECT_EQ(DumpTimetable(db), before);
}

TEST_F(Exports, RowsOfNoTripHeadAreLeftOutAndTold) {
  RunSql(
      db,
      "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
      "VALUES (77, 1, 'F01', 'Orfana', 0, 9999, 800, 0, 0, 0, 0), (77, 2, 'F02', 'Orfana', 10, 810, 9999, 0, 0, 0, 0);"
      "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (77, 'FER', '2024-01-01', '2024-01-31', 0);");
  const ExportResult r = Renumbered(1);
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(Lines("RT_DTORA.TXT"), HandMadeLines("RT_DTORA.TXT"));
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), HandMadeLines("RT_PERIOD.TXT"));
  EXPECT_EQ(r.unmatchedRows, 3);
  const std::string text = ExportResultText(r);
  EXPECT_NE(text.find("8 su 10 Dettagli Corsa\n4 su 5 Periodi Validità Corsa\n"), std::string::npos) << text;
  EXPECT_NE(text.find("ATTENZIONE: 3 righe di dettaglio o di periodo non appartengono a nessuna testa corsa"),
            std::string::npos);
}

TEST_F(Exports, RenumberingPastSixDigitsIsRefused) {
  // Three trips from 999997 end on 999999; from 999998 the last would need seven digits.
  const ExportResult fits = Renumbered(999997);
  ASSERT_TRUE(fits.complete);
  EXPECT_EQ(Lines("RT_HDORA.TXT").at(2).substr(4, 6), "999999");
  const std::string before = FileBytes(Out("RT_HDORA.TXT"));
  const ExportResult refused = Renumbered(999998);
  EXPECT_FALSE(refused.complete);
  EXPECT_EQ(refused.refusal,
            "ATTENZIONE: rinumerando le 3 corse a partire da 999998 l'ultimo ID corsa sarebbe 1000000,\n"
            "mentre il tracciato regionale ammette ID corsa di sei cifre (al massimo 999999).\n\n"
            "Nessun file è stato scritto: indicare un ID iniziale più basso.");
  EXPECT_EQ(FileBytes(Out("RT_HDORA.TXT")), before);  // the previous export stays as it was
}

// ---- Date range ----------------------------------------------------------------------------

struct RangeExport : Exports {
  void SetUp() override {
    Exports::SetUp();
    // March has working days (FER) but no holiday (FES).
    RunSql(db, "INSERT INTO calend (data, caden, giorno, note) VALUES ('2024-03-04', 'FER       ', '1', '" +
                   std::string(20, ' ') +
                   "'), ('2024-03-05', 'FER       ', '2', 'Martedì'), ('2024-04-01', 'FES       ', '1', 'Pasquetta');");
  }
};

TEST_F(RangeExport, PeriodsAreClippedAndOnlyTheirTripsAreWrittenOfAnyOrOneAuthority) {
  const std::string before = DumpTimetable(db);
  const ExportResult r = Range({2024, 3, 1}, {2024, 3, 31});
  ASSERT_TRUE(r.complete);
  // Trip 1's FER period is clipped to March; its FES day in January, trip 2's FES period (no
  // holiday in March) and trip 3's February period are dropped.
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), (Strings{"0017000001FER       20240301202403310"}));
  EXPECT_EQ(Lines("RT_HDORA.TXT"), OnlyTrips("RT_HDORA.TXT", {"000001"}));
  EXPECT_EQ(Lines("RT_DTORA.TXT"), OnlyTrips("RT_DTORA.TXT", {"000001"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT"),
            (Strings{"001720240304                    FER       ", "001720240305Martedì             FER       "}));
  // Every day type, also those that do not run in the range; the protocol carries the range.
  EXPECT_EQ(Lines("RT_CADEN.TXT"), HandMadeLines("RT_CADEN.TXT"));
  EXPECT_EQ(Lines("RT_PROTO.TXT"), Changed("RT_PROTO.TXT", 18, 16, [](auto) { return "2024030120240331"; }));
  EXPECT_EQ(Counts(r), (Strings{"1/1", "3/3", "1/1", "2/2", "2/2", "1/1", "0/0"}));
  EXPECT_EQ(DumpTimetable(db), before);
  // The whole half-year for authority 1: trip 2 only.
  ASSERT_TRUE(Range({2024, 1, 1}, {2024, 6, 30}, 1).complete);
  for (const char* name : {"RT_PERIOD.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT"})
    EXPECT_EQ(Lines(name), OnlyTrips(name, {"000002"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT").size(), 6u);
}

TEST_F(RangeExport, RangeOfOneDayAndTheExcludedPeriod) {
  // 6 January: trip 1's excluded FES day and trip 2's FES period both cover it and FES runs.
  ASSERT_TRUE(Range({2024, 1, 6}, {2024, 1, 6}).complete);
  EXPECT_EQ(Lines("RT_PERIOD.TXT"),
            (Strings{"0017000001FES       20240106202401061", "0017000002FES       20240106202401060"}));
  EXPECT_EQ(Lines("RT_HDORA.TXT"), OnlyTrips("RT_HDORA.TXT", {"000001", "000002"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT"), (Strings{HandMadeLines("RT_CALEN.TXT")[2]}));
  // 2 January: only FER runs; trip 3's FER period lies in February.
  ASSERT_TRUE(Range({2024, 1, 2}, {2024, 1, 2}).complete);
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), (Strings{"0017000001FER       20240102202401020"}));
  EXPECT_EQ(Lines("RT_DTORA.TXT"), OnlyTrips("RT_DTORA.TXT", {"000001"}));
  // 3 January: no calendar row, nothing runs.
  const ExportResult r = Range({2024, 1, 3}, {2024, 1, 3});
  ASSERT_TRUE(r.complete);
  EXPECT_EQ(Counts(r), (Strings{"0/0", "0/0", "0/0", "2/2", "0/0", "1/1", "0/0"}));
}

// ---- All or none ----------------------------------------------------------------------------

// The six RT files and the stop list, in the order of the result message.
const Strings kExportNames = {"RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT",           "RT_CADEN.TXT",
                              "RT_CALEN.TXT", "RT_PROTO.TXT", "FERMATE_NORMALIZZATE.TXT"};

struct Files : Exports {
  // Puts the previous export's files, each holding "old <name>", into the folder.
  void PreviousFiles() {
    for (const std::string& name : kExportNames) WriteLines(Out(name), {"old " + name});
  }
  // The previous files are there as they were (but those the test made folders), beside `others`
  // entries of the test's own.
  void ExpectPreviousFiles(size_t others) {
    EXPECT_EQ(FolderEntries(out).size(), kExportNames.size() + others);
    for (const std::string& name : kExportNames)
      if (!QFileInfo(cp1252::ToQString(Out(name))).isDir()) {
        EXPECT_EQ(FileBytes(Out(name)), "old " + name + "\r\n");
      }
  }
};

TEST_F(Files, AFileThatCannotBeWrittenLeavesThePreviousExportWhole) {
  struct Case {
    const char* what;
    std::function<void(Files&)> prepare;
    std::string folder, failed;  // relative to the scratch folder
    size_t others;               // entries the test put beside the previous files
  };
  const Case cases[] = {
      {"a file in place of the folder", [](Files& f) { WriteLines(f.dir.Path("documento.txt"), {"testo"}); },
       "documento.txt", "documento.txt/RT_HDORA.TXT", 0},
      {"a missing folder", [](Files&) {}, "non/esiste", "non/esiste/RT_HDORA.TXT", 0},
      // The period file's temporary cannot be made: the trip heads and stops are already written.
      {"a later temporary that cannot be made",
       [](Files& f) { ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(f.Out("RT_PERIOD.TXT.part")))); }, "uscita",
       "uscita/RT_PERIOD.TXT", 1},
      // RT_PROTO.TXT is a folder: every temporary is complete, the renames before it are undone.
      {"a file that cannot be put in place",
       [](Files& f) {
         ASSERT_TRUE(QFile::remove(cp1252::ToQString(f.Out("RT_PROTO.TXT"))));
         ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(f.Out("RT_PROTO.TXT"))));
       },
       "uscita", "uscita/RT_PROTO.TXT", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PreviousFiles();
    c.prepare(*this);
    const ExportResult r = Run(ExportKind::Plain, -1, 0, {}, {}, dir.Path(c.folder));
    EXPECT_FALSE(r.complete);
    EXPECT_EQ(r.failedPath, dir.Path(c.failed));
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(ExportResultText(r),
              "Risultati dell'esportazione dati:\n\n0 su 0 Teste Corsa\n0 su 0 Dettagli Corsa\n"
              "0 su 0 Periodi Validità Corsa\n0 su 0 Cadenze\n0 su 0 Calendario Giorni/Cadenze\n"
              "0 su 0 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n");
    ExpectPreviousFiles(c.others);
    QDir(cp1252::ToQString(out)).removeRecursively();
    QDir().mkpath(cp1252::ToQString(out));
  }
  EXPECT_EQ(FileBytes(dir.Path("documento.txt")), "testo\r\n");
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(dir.Path("non"))));
}

}  // namespace
