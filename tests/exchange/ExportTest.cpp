// The three exports on the hand-made set imported into a real database: what each variant writes; the seven files
// written all or none (a file that cannot be written, a read that fails at a chosen statement, a refused value); the
// rows of one moment while another program writes; the list of normalised stops equal to its grouped query.

#include "common/WorkProgress.h"
#include "db/MasterRow.h"
#include "exchange/ExportEngine.h"
#include "support/ExchangeData.h"

#include <sqlite3.h>
#include <QFileInfo>
#include <algorithm>
#include <functional>
#include <tuple>
#include <utility>

namespace {

using Strings = std::vector<std::string>;

// The six RT files and the stop list, in the order of the result message.
const Strings kExportNames = {"RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT",           "RT_CADEN.TXT",
                              "RT_CALEN.TXT", "RT_PROTO.TXT", "FERMATE_NORMALIZZATE.TXT"};
const std::string kStopsHeader = "Azienda\tFermata\tDenominazione\tUbicazione\tIstat\tLocalita";

// The options of the variants; every authority when `authority` is negative.
ExportOptions Options(ExportKind kind, int authority, long firstId = 0, DateRecord from = {}, DateRecord to = {}) {
  ExportOptions o;
  o.kind = kind, o.anyAuthority = authority < 0, o.authority = authority, o.firstId = firstId;
  o.rangeStart = from, o.rangeEnd = to;
  return o;
}
ExportOptions Plain(int authority = -1) { return Options(ExportKind::Plain, authority); }
ExportOptions Range(DateRecord from, DateRecord to, int authority = -1) {
  return Options(ExportKind::DateRange, authority, 0, from, to);
}
ExportOptions Renumbered(long first) { return Options(ExportKind::Renumbered, -1, first); }

// Every row of the timetable tables, in storage order.
std::string DumpTimetable(const std::string& path) {
  std::string out;
  for (const char* table : {"master", "cadenz", "calend", "tescor", "detcor", "period", "local"})
    out += std::string(table) + ":\n" + QueryFile(path, std::string("SELECT * FROM ") + table);
  return out;
}

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

// A database holding the hand-made set, with an empty output folder beside it; the notices of the
// layers below the interface are collected.
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
  // Runs the export on `path` (the test's database when empty) into `folder` (the output folder).
  ExportResult Export(ExportOptions o = {}, const std::string& path = {}, const std::string& folder = {}) const {
    DbDatabase handle(path.empty() ? db : path);
    o.db = &handle;
    o.folder = folder.empty() ? out : folder;
    return RunExport(o);
  }
  // Puts the previous export's files, each holding "old <name>", into the folder.
  void PreviousFiles() const {
    for (const std::string& name : kExportNames) WriteLines(Out(name), {"old " + name});
  }
  // The export failed and wrote nothing: the previous files are there as they were (but those the
  // test made folders), beside `others` entries of the test's own.
  void ExpectNothingWritten(const ExportResult& r, size_t others = 0) const {
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.written.empty());
    EXPECT_EQ(Counts(r), Strings(kExportFileCount, "0/0"));
    const std::string listing = Listing(out);
    EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), kExportNames.size() + others) << listing;
    for (const std::string& name : kExportNames)
      if (!QFileInfo(cp1252::ToQString(Out(name))).isDir()) {
        EXPECT_EQ(FileBytes(Out(name)), "old " + name + "\r\n");
      }
  }
  // Every file of the last export in `folder` (the output folder when empty), by name.
  std::string Files(const std::string& folder = {}) const {
    std::string all;
    for (const std::string& name : kExportNames)
      all += name + ":\n" + FileBytes((folder.empty() ? out : folder) + "/" + name);
    return all;
  }
};

TEST_F(Exports, HandMadeSetComesBackByteForByteAndTheDatabaseStaysAsItWas) {
  const std::string before = DumpTimetable(db);
  WriteLines(Out("ALTRO.TXT"), {"resta"});
  for (int round = 0; round < 2; ++round) {  // a second export replaces the files with the same bytes
    const ExportResult r = Export();
    ASSERT_TRUE(r.ok) << r.failedPath;
    EXPECT_EQ(notices.Texts(), "");
    for (ImportKind kind : kImportOrder)
      EXPECT_EQ(FileBytes(Out(FileNameOf(kind))), FileBytes(HandMadeFile(FileNameOf(kind))));
    // The imports leave every stop without locality: the list has its header only.
    EXPECT_EQ(FileBytes(Out("FERMATE_NORMALIZZATE.TXT")), kStopsHeader + "\r\n");
    EXPECT_EQ(Counts(r), (Strings{"3/3", "8/8", "4/4", "2/2", "3/3", "1/1", "0/0"}));
    // Beside the file of others, and no temporary left.
    EXPECT_EQ(Listing(out),
              "ALTRO.TXT\nFERMATE_NORMALIZZATE.TXT\nRT_CADEN.TXT\nRT_CALEN.TXT\nRT_DTORA.TXT\nRT_HDORA.TXT\n"
              "RT_PERIOD.TXT\nRT_PROTO.TXT\n");
    EXPECT_EQ(FileBytes(Out("ALTRO.TXT")), "resta\r\n");
    EXPECT_EQ(DumpTimetable(db), before);
  }
}

// The heading the user gives is written into the master row and read back as given; a value the
// row refuses, or no master row, is not done and says why.
TEST_F(Exports, TheMasterHeadingIsWrittenAsGiven) {
  DbDatabase handle(db);
  MasterHeading given;
  given.company = 42;
  given.sendDate = "15/01/2024";
  given.hasProtocol = true;
  given.protocol = 7;
  given.person = "Mario Rossi";
  given.periodStart = "01/01/2024";
  given.periodEnd = "30/06/2024";
  const Outcome written = WriteMasterHeading(&handle, given);
  EXPECT_TRUE(written.ok) << written.Texts();
  EXPECT_TRUE(written.messages.empty());
  const MasterHeading back = ReadMasterHeading(&handle);
  EXPECT_EQ(std::tie(back.company, back.sendDate, back.hasProtocol, back.protocol, back.person, back.periodStart,
                     back.periodEnd),
            std::tie(given.company, given.sendDate, given.hasProtocol, given.protocol, given.person, given.periodStart,
                     given.periodEnd));

  MasterHeading refused = given;
  refused.periodEnd = "31/02/2024";
  const Outcome notTaken = WriteMasterHeading(&handle, refused);
  EXPECT_FALSE(notTaken.ok);
  EXPECT_FALSE(notTaken.Failure().empty());
  EXPECT_EQ(notices.Texts(), "");  // told in the outcome, not on the way

  ASSERT_EQ(sqlite3_exec(handle.Handle(), "DELETE FROM master", nullptr, nullptr, nullptr), SQLITE_OK);
  const Outcome missing = WriteMasterHeading(&handle, given);
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(missing.Failure(), kMissingMasterText);
}

TEST_F(Exports, OneAuthorityRestrictsTheTripFilesOnly) {
  const ExportResult r = Export(Plain(5));  // trips 1 and 3; trip 2 belongs to authority 1
  ASSERT_TRUE(r.ok);
  for (const char* name : {"RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"})
    EXPECT_EQ(Lines(name), OnlyTrips(name, {"000001", "000003"}));
  for (const char* name : {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT"})
    EXPECT_EQ(FileBytes(Out(name)), FileBytes(HandMadeFile(name))) << name;
  EXPECT_EQ(Counts(r), (Strings{"2/2", "6/6", "3/3", "2/2", "3/3", "1/1", "0/0"}));
  // An authority without trips: the trip files are empty, the others whole.
  ASSERT_TRUE(Export(Plain(7)).ok);
  EXPECT_EQ(FileBytes(Out("RT_HDORA.TXT")) + FileBytes(Out("RT_PERIOD.TXT")), "");
  EXPECT_EQ(FileBytes(Out("RT_CALEN.TXT")), FileBytes(HandMadeFile("RT_CALEN.TXT")));
}

// Rows of no trip head (id 77) are left out and told.
TEST_F(Exports, RenumberingGivesConsecutiveIdsTheSameInEveryFile) {
  // Stored ids 7, 12 and 40 in place of 1, 2 and 3.
  for (const char* table : {"tescor", "detcor", "period"})
    RunSql(db, std::string("UPDATE ") + table + " SET id = CASE id WHEN 1 THEN 7 WHEN 2 THEN 12 ELSE 40 END");
  RunSql(
      db,
      "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
      "VALUES (77, 1, 'F01', 'Orfana', 0, 9999, 800, 0, 0, 0, 0), (77, 2, 'F02', 'Orfana', 10, 810, 9999, 0, 0, 0, 0);"
      "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (77, 'FER', '2024-01-01', '2024-01-31', 0);");
  const std::string before = DumpTimetable(db);
  const ExportResult r = Export(Renumbered(1000));
  ASSERT_TRUE(r.ok) << r.failedPath;
  const auto map = [](const std::string& old) {
    return old == "000001" ? "001000" : old == "000002" ? "001001" : "001002";
  };
  for (const char* name : {"RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"})
    EXPECT_EQ(Lines(name), Changed(name, 4, 6, map)) << name;
  for (const char* name : {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT"}) EXPECT_EQ(Lines(name), HandMadeLines(name));
  EXPECT_EQ(r.unmatchedRows, 3);
  const std::string text = ExportResultText(r);
  EXPECT_TRUE(HasPart(text, "8 su 10 Dettagli Corsa\n4 su 5 Periodi Validità Corsa\n"));
  EXPECT_TRUE(HasPart(text, "ATTENZIONE: 3 righe di dettaglio o di periodo non appartengono a nessuna testa corsa"));
  // Nothing of the database moves, the next trip id of the master row included.
  EXPECT_EQ(DumpTimetable(db), before);
}

struct RangeExport : Exports {
  void SetUp() override {
    Exports::SetUp();
    // March has working days (FER) but no holiday (FES).
    RunSql(db, "INSERT INTO calend (data, caden, giorno, note) VALUES ('2024-03-04', 'FER       ', '1', '" +
                   std::string(20, ' ') +
                   "'), ('2024-03-05', 'FER       ', '2', 'Martedì'), ('2024-04-01', 'FES       ', '1', 'Pasquetta');");
  }
};

TEST_F(RangeExport, PeriodsAreClippedAndOnlyTheirTripsAreWritten) {
  const std::string before = DumpTimetable(db);
  const ExportResult r = Export(Range({2024, 3, 1}, {2024, 3, 31}));
  ASSERT_TRUE(r.ok);
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
  ASSERT_TRUE(Export(Range({2024, 1, 1}, {2024, 6, 30}, 1)).ok);
  for (const char* name : {"RT_PERIOD.TXT", "RT_HDORA.TXT", "RT_DTORA.TXT"})
    EXPECT_EQ(Lines(name), OnlyTrips(name, {"000002"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT").size(), 6u);

  // 6 January: trip 1's excluded FES day and trip 2's FES period both cover it and FES runs.
  ASSERT_TRUE(Export(Range({2024, 1, 6}, {2024, 1, 6})).ok);
  EXPECT_EQ(Lines("RT_PERIOD.TXT"),
            (Strings{"0017000001FES       20240106202401061", "0017000002FES       20240106202401060"}));
  EXPECT_EQ(Lines("RT_HDORA.TXT"), OnlyTrips("RT_HDORA.TXT", {"000001", "000002"}));
  EXPECT_EQ(Lines("RT_CALEN.TXT"), (Strings{HandMadeLines("RT_CALEN.TXT")[2]}));
  // 2 January: only FER runs; trip 3's FER period lies in February.
  ASSERT_TRUE(Export(Range({2024, 1, 2}, {2024, 1, 2})).ok);
  EXPECT_EQ(Lines("RT_PERIOD.TXT"), (Strings{"0017000001FER       20240102202401020"}));
  EXPECT_EQ(Lines("RT_DTORA.TXT"), OnlyTrips("RT_DTORA.TXT", {"000001"}));
  // 3 January: no calendar row, nothing runs.
  const ExportResult none = Export(Range({2024, 1, 3}, {2024, 1, 3}));
  ASSERT_TRUE(none.ok);
  EXPECT_EQ(Counts(none), (Strings{"0/0", "0/0", "0/0", "2/2", "0/0", "1/1", "0/0"}));
}

TEST_F(Exports, AFileThatCannotBeWrittenLeavesThePreviousExportWhole) {
  struct Case {
    const char* what;
    std::function<void(Exports&)> prepare;
    std::string folder, failed;  // relative to the scratch folder
    size_t others;               // entries the test put beside the previous files
  };
  const Case cases[] = {
      {"a file in place of the folder", [](Exports& f) { WriteLines(f.dir.Path("documento.txt"), {"testo"}); },
       "documento.txt", "documento.txt/RT_HDORA.TXT", 0},
      {"a missing folder", [](Exports&) {}, "non/esiste", "non/esiste/RT_HDORA.TXT", 0},
      // The period file's temporary cannot be made: the trip heads and stops are already written.
      {"a later temporary that cannot be made",
       [](Exports& f) { ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(f.Out("RT_PERIOD.TXT.part")))); }, "uscita",
       "uscita/RT_PERIOD.TXT", 1},
      // RT_PROTO.TXT is a folder: every temporary is complete, the renames before it are undone.
      {"a file that cannot be put in place",
       [](Exports& f) {
         ASSERT_TRUE(QFile::remove(cp1252::ToQString(f.Out("RT_PROTO.TXT"))));
         ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(f.Out("RT_PROTO.TXT"))));
       },
       "uscita", "uscita/RT_PROTO.TXT", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PreviousFiles();
    c.prepare(*this);
    const ExportResult r = Export({}, {}, dir.Path(c.folder));
    EXPECT_EQ(r.failedPath, dir.Path(c.failed));
    ExpectNothingWritten(r, c.others);
    QDir(cp1252::ToQString(out)).removeRecursively();
    QDir().mkpath(cp1252::ToQString(out));
  }
  EXPECT_EQ(FileBytes(dir.Path("documento.txt")), "testo\r\n");
  EXPECT_FALSE(QFile::exists(cp1252::ToQString(dir.Path("non"))));
}

// Tells the test where the export stands: at(file, false) as the pass of a file begins, at(file,
// true) at each step of its walk.
struct Probe : WorkProgress {
  std::function<void(const std::string& file, bool step)> at;
  std::string file;
  void Begin(const std::string& caption) override { at(file = caption.substr(caption.rfind(' ') + 1), false); }
  void Step(long, long) override { at(file, true); }
  void End() override {}
};

enum Injected { kRenamed, kAtStart, kAfterFirstTrip };

struct ReadFault {
  const char* name;
  ExportOptions options;
  Injected how;
  const char* where;  // "table.column" renamed, or the file whose pass is interrupted
  const char* file;   // the file the failure names
};
void PrintTo(const ReadFault& c, std::ostream* os) { *os << c.name; }

const ReadFault kReadFaults[] = {
    {"TripHeadsQuery", Plain(), kRenamed, "tescor.codperc", "RT_HDORA.TXT"},
    {"TripStopsQuery", Plain(), kRenamed, "detcor.facolt", "RT_DTORA.TXT"},
    {"PeriodsQuery", Plain(), kRenamed, "period.escluso", "RT_PERIOD.TXT"},
    {"DayTypesQuery", Plain(), kRenamed, "cadenz.denom", "RT_CADEN.TXT"},
    {"CalendarQuery", Plain(), kRenamed, "calend.note", "RT_CALEN.TXT"},
    {"MasterRow", Plain(), kRenamed, "master.resple", "RT_PROTO.TXT"},
    {"LocalitiesQuery", Plain(), kRenamed, "local.istat", "FERMATE_NORMALIZZATE.TXT"},
    {"CalendarOfADateRange", Range({2024, 1, 1}, {2024, 3, 31}), kRenamed, "calend.caden", "RT_CALEN.TXT"},
    {"PeriodsRead", Plain(), kAtStart, "RT_PERIOD.TXT", "RT_PERIOD.TXT"},
    {"RenumberedHeadsRead", Renumbered(10), kAtStart, "RT_HDORA.TXT", "RT_HDORA.TXT"},
    {"LocalitiesRead", Plain(), kAtStart, "FERMATE_NORMALIZZATE.TXT", "FERMATE_NORMALIZZATE.TXT"},
    {"StopListWalkOfOneAuthority", Plain(1), kAtStart, "FERMATE_NORMALIZZATE.TXT", "FERMATE_NORMALIZZATE.TXT"},
    {"StopsWalk", Plain(), kAfterFirstTrip, "RT_DTORA.TXT", "RT_DTORA.TXT"},
    {"StopsWalkOfADateRange", Range({2024, 1, 1}, {2024, 6, 30}), kAfterFirstTrip, "RT_DTORA.TXT", "RT_DTORA.TXT"},
};

struct ReadFailure : Exports, ::testing::WithParamInterface<ReadFault> {};

TEST_P(ReadFailure, FailsTheWholeExportAndLeavesThePreviousFiles) {
  const ReadFault& f = GetParam();
  // Trip 1's stops point to a locality: the list reads the localities.
  RunSql(db, "UPDATE detcor SET reglocal = 1 WHERE id = 1");
  PreviousFiles();
  DbDatabase handle(db);
  if (f.how == kRenamed) {
    // Under the open database, as another program could do it.
    const std::string w = f.where, table = w.substr(0, w.find('.')), column = w.substr(w.find('.') + 1);
    RunSql(db, "ALTER TABLE " + table + " RENAME COLUMN " + column + " TO " + column + "_altro");
  }
  bool armed = false;
  // Interrupts the next statement step of the connection once it is armed.
  sqlite3_progress_handler(
      handle.Handle(), 1, [](void* on) { return std::exchange(*static_cast<bool*>(on), false) ? 1 : 0; }, &armed);
  Probe probe;
  int trips = 0;
  // The stop rows tell each new trip: the second one comes after the first trip's lines.
  probe.at = [&](const std::string& file, bool step) {
    if (file == f.where) armed = armed || (step ? f.how == kAfterFirstTrip && ++trips == 2 : f.how == kAtStart);
  };
  ExportOptions o = f.options;
  o.db = &handle;
  o.folder = out;
  o.progress = &probe;
  const ExportResult r = RunExport(o);
  sqlite3_progress_handler(handle.Handle(), 0, nullptr, nullptr);

  EXPECT_EQ(r.Failure(), "Impossibile creare\n\n" + Out(f.file));  // not a refusal
  EXPECT_EQ(r.failedPath, Out(f.file));
  EXPECT_EQ(trips, f.how == kAfterFirstTrip ? 2 : 0);
  // The engine's failure was told by the database layer; no file of the set is put in place.
  ASSERT_FALSE(notices.Notices().empty());
  EXPECT_NE(notices.Notices()[0].icon, NoticeIcon::Information);
  ExpectNothingWritten(r);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadFailure, ::testing::ValuesIn(kReadFaults),
                         [](const auto& c) { return std::string(c.param.name); });

// Another program's import, between two passes of the export: trip 4 comes with its stops and
// period, trip 1 goes with its own, and trip 3's stops get a locality.
const char* const kOtherImport =
    "BEGIN;"
    "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
    "ct_tempo, gruppo) VALUES (4, 'C4', 'L4', 'A', 700, 710, 5, 1, 500, 10, 500, 10, -1);"
    "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
    "VALUES (4, 1, 'F09', 'Nuova', 0, 9999, 700, 1, 0, 0, 2), (4, 2, 'F10', 'Nuova 2', 500, 710, 9999, 0, 0, 0, 2);"
    "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (4, 'FER', '2024-01-01', '2024-06-30', 0);"
    "DELETE FROM period WHERE id = 1; DELETE FROM detcor WHERE id = 1; DELETE FROM tescor WHERE id = 1;"
    "UPDATE detcor SET reglocal = 3 WHERE id = 3;"
    "UPDATE cadenz SET denom = 'Lavorativo' WHERE codice = 'FER';"
    "COMMIT;";

struct Moment {
  const char* name;
  ExportOptions options;
  const char* writtenAt;  // the file whose pass begins after the other program's commit
};
void PrintTo(const Moment& c, std::ostream* os) { *os << c.name; }

const Moment kMoments[] = {
    {"PlainBeforeTheStops", Plain(), "RT_DTORA.TXT"},
    {"PlainBeforeThePeriods", Plain(), "RT_PERIOD.TXT"},
    {"OneAuthorityBeforeTheStopList", Plain(5), "FERMATE_NORMALIZZATE.TXT"},
    {"RenumberedBeforeThePeriods", Renumbered(100), "RT_PERIOD.TXT"},
    {"RangeBeforeTheHeads", Range({2024, 1, 1}, {2024, 6, 30}), "RT_HDORA.TXT"},
    {"RangeBeforeTheDayTypes", Range({2024, 1, 1}, {2024, 6, 30}), "RT_CADEN.TXT"},
};

struct OneMoment : Exports, ::testing::WithParamInterface<Moment> {};

TEST_P(OneMoment, AnotherProgramWritingMeanwhileIsNotSeen) {
  const Moment& m = GetParam();
  // The files of the moment the export begins: those of an export of a copy taken then.
  const std::string copy = dir.Path("copia.mdb"), copyOut = dir.Path("copia");
  ASSERT_FALSE(QFile::exists(cp1252::ToQString(db + "-wal")));
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(db), cp1252::ToQString(copy)));
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(copyOut)));
  ASSERT_TRUE(Export(m.options, copy, copyOut).ok) << notices.Texts();

  Probe probe;
  std::string written = "not yet";
  probe.at = [&](const std::string& file, bool step) {
    if (!step && file == m.writtenAt && written == "not yet") written = ExecOnFile(db, kOtherImport);
  };
  ExportOptions o = m.options;
  o.progress = &probe;
  const ExportResult r = Export(o);
  ASSERT_EQ(written, "ok");
  ASSERT_TRUE(r.ok) << r.Texts() << notices.Texts();
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(Files(), Files(copyOut));
  // The other program's rows are there for the next export.
  EXPECT_EQ(QueryFile(db, "SELECT id FROM tescor ORDER BY id"), "2\n3\n4\n");
  ASSERT_TRUE(Export(m.options).ok);
  EXPECT_NE(Files(), Files(copyOut));
}

INSTANTIATE_TEST_SUITE_P(Cases, OneMoment, ::testing::ValuesIn(kMoments),
                         [](const auto& c) { return std::string(c.param.name); });

constexpr const char* kFixData = "\n\nNessun file è stato scritto: correggere il dato prima di esportare.";
constexpr const char* kFixMaster =
    "\n\nNessun file è stato scritto: correggere i dati con il comando Azienda del menu Archivi prima di esportare.";

std::string TooWide(const char* record, const char* field, const char* label, const char* value, int digits) {
  return std::string("ATTENZIONE: ") + record + ":\nil campo " + field + " (" + label + ") vale " + value +
         ", mentre il tracciato regionale vi ammette\nsolo numeri di " + std::to_string(digits) +
         " cifre al massimo, senza segno.";
}
std::string NoDate(const char* record, const char* field, const char* label) {
  return std::string("ATTENZIONE: ") + record + ":\nil campo " + field + " (" + label +
         ") vale 00/00/0000, che non è una data del tracciato regionale\n(AAAAMMGG, con anni da 1601 a 2399).";
}
std::string Control(const char* record, const char* field, const char* label, const char* byte, int position) {
  return std::string("ATTENZIONE: ") + record + ":\nil campo " + field + " (" + label + ") contiene il carattere di " +
         "controllo 0x" + byte + " in posizione " + std::to_string(position) +
         " del testo,\nmentre il tracciato regionale ammette nei testi solo caratteri stampabili.";
}
// A character that Windows-1252 lacks (U+FFFD: bytes that are no UTF-8), which would be written '?'.
std::string Lost(const char* record, const char* field, const char* label, const char* code, int position) {
  const std::string where =
      std::string("ATTENZIONE: ") + record + ":\nil campo " + field + " (" + label + ") contiene ";
  const std::string rule =
      " del testo,\nmentre il tracciato regionale ammette nei testi solo caratteri della codifica "
      "Windows-1252.";
  if (std::string(code) == "FFFD")
    return where + "in posizione " + std::to_string(position) +
           " del testo dei byte che non formano un carattere,\nmentre il tracciato regionale ammette nei testi solo "
           "caratteri della codifica Windows-1252.";
  return where + "il carattere U+" + code + " in posizione " + std::to_string(position) + rule;
}
// A value its column cannot hold as its kind: a text stored as bytes, a text in a number column.
std::string Kind(const char* record, const char* field, const char* label, const char* value, const char* is,
                 const char* wanted) {
  return std::string("ATTENZIONE: ") + record + ":\nil campo " + field + " (" + label + ") vale " + value +
         ",\nche è " + is + " e non " + wanted + " come richiede la sua colonna.";
}
std::string Bytes(const char* record, const char* field, const char* label, const char* value) {
  return Kind(record, field, label, value, "un dato binario", "un testo");
}
std::string Inverted(const char* record, const char* end, const char* start) {
  return std::string("ATTENZIONE: ") + record + ":\nil periodo termina il " + end + ", prima di iniziare il " + start +
         ",\nmentre il tracciato regionale non ammette periodi invertiti.";
}
std::string LargeIds(const char* largest) {
  return std::string("ATTENZIONE: alcune corse hanno un ID superiore a 999999 (il più alto è ") + largest +
         "),\nmentre il tracciato regionale ammette ID corsa di sei cifre.\n\n"
         "Nessun file è stato scritto: usare l'esportazione con rinumerazione.";
}

// A trip of seven digits, of authority 7, running only on 6 January.
const char* const kLargeTrip =
    "INSERT INTO tescor (id, codcorsa, codlinea, verso, parte, arriva, ente, contratt, lung, tempo, ct_lung, "
    "ct_tempo, gruppo) VALUES (1234567, 'C7', 'L7', 'A', 0, 0, 7, 1, 1, 1, 1, 1, -1);"
    "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
    "VALUES (1234567, 1, 'F07', 'Sette', 0, 9999, 700, 1, 0, 0, 0);"
    "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (1234567, 'FES', '2024-01-06', '2024-01-06', 0);";

struct Refusal {
  const char* name;
  const char* sql;
  ExportOptions options;
  std::string expected;  // empty: the export completes
};
void PrintTo(const Refusal& c, std::ostream* os) { *os << c.name; }

const char* const kDayAsText =
    "PRAGMA ignore_check_constraints = ON; UPDATE calend SET data = '06/01/2024' WHERE data = '2024-01-06'";
const std::string kDayRefusal =
    Kind("RT_CALEN.TXT, riga 1", "data", "data", "'06/01/2024'", "un testo", "una data") + kFixData;
const Refusal kRefusals[] = {
    // An empty protocol file would be refused by the import.
    {"NoMasterRow", "DELETE FROM master", Plain(),
     "ATTENZIONE: risulta impossibile trovare il MASTER\n\nPresumibilmente il DataBase è corrotto !!!\n\n"
     "Nessun file è stato scritto."},
    {"AuthorityOfFiveDigits", "UPDATE tescor SET ente = 12345 WHERE id = 2", Plain(),
     TooWide("RT_HDORA.TXT, riga 2 (corsa 2)", "ente", "codice ente", "12345", 4) + kFixData},
    {"AuthorityOfATripNotWritten", "UPDATE tescor SET ente = 12345 WHERE id = 2", Plain(5), ""},
    {"StopNumberOfFiveDigits", "UPDATE detcor SET sub = 12345 WHERE id = 3 AND sub = 2", Plain(),
     TooWide("RT_DTORA.TXT, riga 8 (corsa 3, fermata 12345)", "sub", "progressivo della fermata", "12345", 4) +
         kFixData},
    {"LengthOfNineDigits", "UPDATE tescor SET lung = 123456789 WHERE id = 3", Renumbered(1),
     TooWide("RT_HDORA.TXT, riga 3 (corsa 3)", "lung", "lunghezza", "123456789", 8) + kFixData},
    {"DistanceOfNineDigits", "UPDATE detcor SET dist = 100000000 WHERE id = 1 AND sub = 2", Plain(5),
     TooWide("RT_DTORA.TXT, riga 2 (corsa 1, fermata 2)", "dist", "progressiva", "100000000", 8) + kFixData},
    {"NegativeContract", "UPDATE tescor SET contratt = -3 WHERE id = 1", Plain(),
     TooWide("RT_HDORA.TXT, riga 1 (corsa 1)", "contratt", "codice contratto", "-3", 4) + kFixData},
    {"NoTimeOfDay", "UPDATE detcor SET arriva = 2460 WHERE id = 2 AND sub = 2", Plain(),
     "ATTENZIONE: RT_DTORA.TXT, riga 5 (corsa 2, fermata 2):\nil campo arriva (orario di arrivo) vale 2460, che "
     "non è un orario del tracciato regionale\n(HHMM, con ore da 00 a 23 e minuti da 00 a 59, oppure 9999)." +
         std::string(kFixData)},
    {"NoSendingDateForADateRange", "UPDATE master SET p_data = NULL", Range({2024, 1, 1}, {2024, 1, 31}),
     "ATTENZIONE: RT_PROTO.TXT, riga 1 (dati generali):\nil campo p_data (data di invio) è vuoto, mentre il "
     "tracciato regionale vi richiede una data." +
         std::string(kFixMaster)},
    {"SendingDateBeforeTheYear100", "UPDATE master SET p_data = '0099-12-31'", Renumbered(1),
     NoDate("RT_PROTO.TXT, riga 1 (dati generali)", "p_data", "data di invio") + kFixMaster},
    {"ReportingPeriodInverted", "UPDATE master SET datfin = '2023-12-31'", Plain(),
     Inverted("RT_PROTO.TXT, riga 1 (dati generali)", "31/12/2023", "01/01/2024") + kFixMaster},
    {"CompanyOfFiveDigits", "UPDATE master SET azienda = 12345", Plain(),
     TooWide("RT_PROTO.TXT, riga 1 (dati generali)", "azienda", "codice azienda", "12345", 4) + kFixMaster},
    {"CalendarDateBeforeTheYear100", "UPDATE calend SET data = '0099-01-06' WHERE data = '2024-01-06'", Plain(),
     NoDate("RT_CALEN.TXT, riga 1", "data", "data") + kFixData},
    {"PeriodInverted", "UPDATE period SET fine = '2024-01-31' WHERE id = 3", Plain(),
     Inverted("RT_PERIOD.TXT, riga 4 (corsa 3)", "31/01/2024", "01/02/2024") + kFixData},
    // A range clips its periods into themselves: no period of it can be inverted.
    {"PeriodInvertedOutsideARange", "UPDATE period SET fine = '2024-01-31' WHERE id = 3",
     Range({2024, 1, 1}, {2024, 1, 31}), ""},
    // Trip ids of seven digits, only over the rows the export writes.
    {"LargeTripId", kLargeTrip, Plain(), LargeIds("1234567")},
    {"LargeTripOfAnotherAuthority", kLargeTrip, Plain(5), ""},
    {"LargeTripRunningInTheRange", kLargeTrip, Range({2024, 1, 1}, {2024, 1, 31}), LargeIds("1234567")},
    {"LargeTripNotRunningInTheRange", kLargeTrip, Range({2024, 1, 8}, {2024, 3, 31}), ""},
    {"LargeTripRenumbered", kLargeTrip, Renumbered(1), ""},
    {"StopRowsOfALargeTripWithoutHead",
     "INSERT INTO detcor (id, sub, fermata, denom, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
     "VALUES (2345678, 1, 'F08', 'Orfana', 0, 9999, 700, 1, 0, 0, 0)",
     Plain(), LargeIds("2345678")},
    {"PeriodOfALargeTripWithoutHead",
     "INSERT INTO period (id, caden, inizio, fine, escluso) VALUES (3456789, 'FER', '2024-01-01', '2024-01-31', 0)",
     Plain(), LargeIds("3456789")},
    // A control byte in a text or a character: the import would refuse the line, so the export refuses the record.
    {"LineEndInAStopPlace", "UPDATE detcor SET ubicaz = 'Via Roma' || char(13, 10) || '12' WHERE id = 2 AND sub = 1",
     Plain(), Control("RT_DTORA.TXT, riga 4 (corsa 2, fermata 1)", "ubicaz", "ubicazione fermata", "0D", 9) + kFixData},
    {"FileEndInATripName", "UPDATE tescor SET denom = 'Olivola' || char(26) || ' bivio' WHERE id = 2", Renumbered(1),
     Control("RT_HDORA.TXT, riga 2 (corsa 2)", "denom", "descrittore", "1A", 8) + kFixData},
    {"TabInADayTypeName", "UPDATE cadenz SET denom = 'Fes' || char(9) || 'tivo' WHERE codice = 'FES'", Plain(),
     Control("RT_CADEN.TXT, riga 2", "denom", "denominazione cadenza", "09", 4) + kFixData},
    {"DelInACalendarNote", "UPDATE calend SET note = 'Epifania' || char(127) WHERE data = '2024-01-06'",
     Range({2024, 1, 1}, {2024, 1, 31}), Control("RT_CALEN.TXT, riga 3", "note", "annotazioni", "7F", 9) + kFixData},
    {"ControlInTheResponsible", "UPDATE master SET resple = char(31) || 'Mario'", Plain(),
     Control("RT_PROTO.TXT, riga 1 (dati generali)", "resple", "responsabile", "1F", 1) + kFixMaster},
    {"ControlAsADirection", "UPDATE tescor SET verso = char(1) WHERE id = 3", Plain(),
     Control("RT_HDORA.TXT, riga 3 (corsa 3)", "verso", "verso", "01", 1) + kFixData},
    {"ControlInATripNotWritten", "UPDATE tescor SET codcorsa = 'C' || char(9) WHERE id = 2", Plain(5), ""},
    // A C1 control stored by another tool reads as the code page's undefined byte of its value: a control byte too.
    {"C1ControlInAStopPlace", "UPDATE detcor SET ubicaz = 'Via' || char(0x81) WHERE id = 2 AND sub = 2", Plain(),
     Control("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "ubicaz", "ubicazione fermata", "81", 4) + kFixData},
    // A character that Windows-1252 lacks would be written '?': the export refuses the record, or the stop list's
    // stop or locality, as for a control byte. Accented letters of the code page are written (the hand-made set).
    {"LostInAStopName", "UPDATE detcor SET denom = 'Bivio Oliv' || char(0x159) || 'la' WHERE id = 2 AND sub = 2",
     Plain(),
     Lost("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "denom", "denominazione fermata", "0159", 11) + kFixData},
    {"LostAfterAnAccentedLetter",
     "UPDATE detcor SET denom = 'Citt' || char(0xE0) || ' ' || char(0x159) WHERE id = 2 AND sub = 2", Plain(),
     Lost("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "denom", "denominazione fermata", "0159", 7) + kFixData},
    // Only a '?' that reaches the record counts: the text is cut to its field before it.
    {"LostPastTheFieldWidth",
     "PRAGMA ignore_check_constraints = ON; UPDATE detcor SET denom = 'Aulla Stazione Ferroviaria - Piazzale Ov' || "
     "char(0x159) WHERE id = 2 AND sub = 2",
     Plain(), ""},
    // FERMATE_NORMALIZZATE takes the whole text that RT_DTORA cuts to its field: what lies past the cut is refused
    // there, with every authority as with one.
    {"TabPastTheFieldWidthOfAListedStopName",
     "PRAGMA ignore_check_constraints = ON; "
     "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla', 45001, 'Aulla', 'MS');"
     "UPDATE detcor SET reglocal = 9001, denom = 'Aulla Stazione Ferroviaria - Piazzale Ov' || char(9) || 'est' "
     "WHERE id = 2 AND sub = 2",
     Plain(), Control("FERMATE_NORMALIZZATE.TXT (fermata F01)", "denom", "denominazione fermata", "09", 41) + kFixData},
    {"TabPastTheFieldWidthOfAListedStopNameOfOneAuthority",
     "PRAGMA ignore_check_constraints = ON; "
     "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla', 45001, 'Aulla', 'MS');"
     "UPDATE detcor SET reglocal = 9001, denom = 'Aulla Stazione Ferroviaria - Piazzale Ov' || char(9) || 'est' "
     "WHERE id = 2 AND sub = 2",
     Plain(5),
     Control("FERMATE_NORMALIZZATE.TXT (fermata F01)", "denom", "denominazione fermata", "09", 41) + kFixData},
    {"C1ControlPastTheFieldWidthOfAListedStopCode",
     "PRAGMA ignore_check_constraints = ON; "
     "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla', 45001, 'Aulla', 'MS');"
     "UPDATE detcor SET reglocal = 9001, fermata = 'F01-Aulla-' || char(0x81) WHERE id = 2 AND sub = 2",
     Renumbered(1),
     Control("FERMATE_NORMALIZZATE.TXT (fermata F01-Aulla-\x81)", "fermata", "codice fermata", "81", 11) + kFixData},
    {"LostPastTheFieldWidthOfAListedStopPlace",
     "PRAGMA ignore_check_constraints = ON; "
     "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla', 45001, 'Aulla', 'MS');"
     "UPDATE detcor SET reglocal = 9001, ubicaz = 'Piazza della Stazione Ferroviaria, lato ' || char(0x159) "
     "WHERE id = 2 AND sub = 2",
     Range({2024, 1, 1}, {2024, 12, 31}),
     Lost("FERMATE_NORMALIZZATE.TXT (fermata F01)", "ubicaz", "ubicazione fermata", "0159", 41) + kFixData},
    {"LostAsAC1Control", "UPDATE detcor SET ubicaz = 'Via' || char(0x85) WHERE id = 2 AND sub = 2", Plain(),
     Lost("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "ubicaz", "ubicazione fermata", "0085", 4) + kFixData},
    {"LostInATripCode", "UPDATE tescor SET codcorsa = 'C' || char(0x1F68C) WHERE id = 3", Renumbered(1),
     Lost("RT_HDORA.TXT, riga 3 (corsa 3)", "codcorsa", "codice corsa", "1F68C", 2) + kFixData},
    {"LostAsADirection", "UPDATE tescor SET verso = char(0x2192) WHERE id = 1", Plain(),
     Lost("RT_HDORA.TXT, riga 1 (corsa 1)", "verso", "verso", "2192", 1) + kFixData},
    {"NoUtf8InADayTypeName", "UPDATE cadenz SET denom = CAST(X'46657374FF69766F' AS TEXT) WHERE codice = 'FES'",
     Plain(), Lost("RT_CADEN.TXT, riga 2", "denom", "denominazione cadenza", "FFFD", 5) + kFixData},
    {"LostInACalendarNote", "UPDATE calend SET note = 'Epifania ' || char(0x2605) WHERE data = '2024-01-06'", Plain(),
     Lost("RT_CALEN.TXT, riga 3", "note", "annotazioni", "2605", 10) + kFixData},
    {"LostInTheResponsible", "UPDATE master SET resple = 'Ma' || char(0x0159) || 'io'", Plain(),
     Lost("RT_PROTO.TXT, riga 1 (dati generali)", "resple", "responsabile", "0159", 3) + kFixMaster},
    {"LostInAStopOfATripNotWritten",
     "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla', 45001, 'Aulla', 'MS');"
     "UPDATE detcor SET reglocal = 9001, ubicaz = 'Via ' || char(0x159) WHERE id = 2 AND sub = 1;"
     "UPDATE tescor SET ente = 9 WHERE id = 2",
     Plain(5), Lost("FERMATE_NORMALIZZATE.TXT (fermata F03)", "ubicaz", "ubicazione fermata", "0159", 5) + kFixData},
    {"LostInALocalityName",
     "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aull' || char(0x105), 45001, 'Aulla', 'MS'),"
     " (9002, 'Altrove', 45002, 'Aulla', 'MS'); UPDATE detcor SET reglocal = 9001 WHERE id = 1 AND sub = 1",
     Plain(),
     Lost("FERMATE_NORMALIZZATE.TXT (località 9001)", "denom", "denominazione località", "0105", 5) + kFixData},
    {"LostInALocalityOfNoStop",
     "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aull' || char(0x105), 45001, 'Aulla', 'MS'),"
     " (9002, 'Altrove', 45002, 'Aulla', 'MS'); UPDATE detcor SET reglocal = 9002 WHERE id = 1 AND sub = 1",
     Plain(), ""},
    // A text stored as bytes by a tool that binds bytes (Windows-1252 "Cità", UTF-8 "Łódź", a C1 byte, plain ASCII),
    // and a text in a number column: the value is named, never written as '?' or 0.
    {"StopNameStoredAsCp1252Bytes", "UPDATE detcor SET denom = X'436974E0' WHERE id = 2 AND sub = 2", Plain(),
     Bytes("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "denom", "denominazione fermata", "X'436974E0'") + kFixData},
    {"StopNameStoredAsUtf8Bytes", "UPDATE detcor SET denom = X'C581C3B364C5BA' WHERE id = 2 AND sub = 2", Plain(),
     Bytes("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "denom", "denominazione fermata", "X'C581C3B364C5BA'") +
         kFixData},
    {"StopCodeStoredAsBytes", "UPDATE detcor SET fermata = X'4181' WHERE id = 2 AND sub = 2", Plain(),
     Bytes("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "fermata", "codice fermata", "X'4181'") + kFixData},
    {"StopPlaceStoredAsAsciiBytes", "UPDATE detcor SET ubicaz = X'56696120526F6D61' WHERE id = 1 AND sub = 1",
     Renumbered(1),
     Bytes("RT_DTORA.TXT, riga 1 (corsa 1, fermata 1)", "ubicaz", "ubicazione fermata", "X'56696120526F6D61'") +
         kFixData},
    {"TripLineStoredAsBytes", "UPDATE tescor SET codlinea = X'4181' WHERE id = 3", Plain(),
     Bytes("RT_HDORA.TXT, riga 3 (corsa 3)", "codlinea", "codice linea", "X'4181'") + kFixData},
    {"DayTypeStoredAsBytes", "UPDATE period SET caden = X'464552E0' WHERE id = 3", Plain(),
     Bytes("RT_PERIOD.TXT, riga 4 (corsa 3)", "caden", "codice cadenza", "X'464552E0'") + kFixData},
    {"StopNameAsBytesOfATripNotWritten", "UPDATE detcor SET denom = X'4181' WHERE id = 2", Plain(5), ""},
    // The authority chosen is met in every trip: one that holds what no code is stops the export.
    {"TextAsTheAuthorityOfATripOfOneAuthority",
     "PRAGMA ignore_check_constraints = ON; UPDATE tescor SET ente = 'abc' WHERE id = 2", Plain(5),
     Kind("RT_HDORA.TXT, riga 2 (corsa 2)", "ente", "codice ente", "'abc'", "un testo", "un numero intero") + kFixData},
    {"TextInAContractLength", "UPDATE tescor SET ct_lung = 'abc' WHERE id = 2", Plain(),
     Kind("RT_HDORA.TXT, riga 2 (corsa 2)", "ct_lung", "lunghezza contrattuale", "'abc'", "un testo",
          "un numero intero") +
         kFixData},
    {"TextInAnArrival", "UPDATE detcor SET arriva = 'abc' WHERE id = 2 AND sub = 2", Plain(),
     Kind("RT_DTORA.TXT, riga 5 (corsa 2, fermata 2)", "arriva", "orario di arrivo", "'abc'", "un testo",
          "un numero intero") +
         kFixData},
    // A stop number that is no whole number: the stop is named by its trip, the number left to the sentence.
    {"DecimalStopNumber", "PRAGMA ignore_check_constraints = ON; UPDATE detcor SET sub = 2.5 WHERE id = 2 AND sub = 2",
     Plain(),
     Kind("RT_DTORA.TXT, riga 5 (una fermata della corsa 2)", "sub", "progressivo della fermata", "2.5",
          "un numero con decimali", "un numero intero") +
         kFixData},
    // A date column holds a date only as the ISO text the layer writes; the master row is read whole the same way.
    {"TextInAPeriodStart", "UPDATE period SET inizio = '31/02/2024' WHERE id = 3", Plain(),
     Kind("RT_PERIOD.TXT, riga 4 (corsa 3)", "inizio", "data di inizio", "'31/02/2024'", "un testo", "una data") +
         kFixData},
    {"TextAsACalendarDayOfADateRange", kDayAsText, Range({2024, 1, 6}, {2024, 1, 6}), kDayRefusal},
    {"TextAsACalendarDayOutsideADateRange", kDayAsText, Range({2024, 2, 1}, {2024, 2, 29}), kDayRefusal},
    {"TextInTheSendingDate", "UPDATE master SET p_data = 'abc'", Plain(),
     Kind("RT_PROTO.TXT, riga 1 (dati generali)", "p_data", "data di invio", "'abc'", "un testo", "una data") +
         kFixMaster},
    // Three trips renumbered from 999997 end on 999999; from 999998 the last would need seven digits.
    {"RenumberedToSixDigits", nullptr, Renumbered(999997), ""},
    {"RenumberedPastSixDigits", nullptr, Renumbered(999998),
     "ATTENZIONE: rinumerando le 3 corse a partire da 999998 l'ultimo ID corsa sarebbe 1000000,\n"
     "mentre il tracciato regionale ammette ID corsa di sei cifre (al massimo 999999).\n\n"
     "Nessun file è stato scritto: indicare un ID iniziale più basso."},
};

struct RefusedExport : Exports, ::testing::WithParamInterface<Refusal> {};

TEST_P(RefusedExport, NothingIsWrittenAndTheRecordIsNamed) {
  const Refusal& c = GetParam();
  AllowReadingMismatches();  // values of another kind than their column's, on purpose
  if (c.sql) RunSql(db, c.sql);
  PreviousFiles();
  const ExportResult r = Export(c.options);
  EXPECT_EQ(notices.Texts(), "");
  if (c.expected.empty()) {
    ASSERT_TRUE(r.ok) << r.Texts();
    for (const std::string& name : kExportNames) EXPECT_NE(FileBytes(Out(name)), "old " + name + "\r\n") << name;
    return;
  }
  EXPECT_EQ(r.Failure(), c.expected);
  EXPECT_EQ(r.failedPath, "");
  ExpectNothingWritten(r);
}

INSTANTIATE_TEST_SUITE_P(Cases, RefusedExport, ::testing::ValuesIn(kRefusals),
                         [](const auto& p) { return std::string(p.param.name); });

// What is written, the import takes back: texts are the one value adjusted to the layout, cut to their width.
TEST_F(Exports, AdjustedTextsAndEdgeValuesAreReadBackByTheImports) {
  // A stop name longer than its field and an empty direction (a table made without the checks), the empty time
  // mark, a protocol of none.
  RunSql(db,
         "PRAGMA ignore_check_constraints = ON;"
         "UPDATE detcor SET denom = 'Aulla Stazione Ferroviaria - Piazzale Ovest' WHERE id = 1 AND sub = 1;"
         "UPDATE detcor SET arriva = -1 WHERE id = 3 AND sub = 3;"
         "UPDATE tescor SET verso = '' WHERE id = 2;"
         "UPDATE master SET protoc = NULL;");
  const ExportResult r = Export();
  ASSERT_TRUE(r.ok) << r.Texts();
  EXPECT_EQ(r.overWide, 1);
  EXPECT_TRUE(HasPart(ExportResultText(r), "\nATTENZIONE: 1 righe contengono un valore più lungo del suo campo"));
  EXPECT_TRUE(HasPart(FileBytes(Out("RT_DTORA.TXT")), "Aulla Stazione Ferroviaria - Piazzale OvPiazza Città"));
  EXPECT_TRUE(HasPart(FileBytes(Out("RT_HDORA.TXT")), "00080000020L1         P2                  000000"));
  EXPECT_TRUE(HasPrefix(FileBytes(Out("RT_PROTO.TXT")), "001720240115000000"));

  // A new database with the same reference lists takes every line back.
  const std::string back = dir.Path("ritorno.mdb");
  MakeTimetableDatabase(back);
  ImportFolder(back, out);
  EXPECT_EQ(QueryFile(back, "SELECT denom, ubicaz FROM detcor WHERE sub = 1 ORDER BY id"),
            "Aulla Stazione Ferroviaria - Piazzale Ov|Piazza Città\nCittà|Via Roma\nAULLA STAZIONE|Piazza Città\n");
  EXPECT_EQ(QueryFile(back, "SELECT arriva FROM detcor WHERE id = 3 AND sub = 3"), "0\n");
  EXPECT_EQ(QueryFile(back, "SELECT '[' || verso || ']' FROM tescor WHERE id = 2"), "[ ]\n");
}

// Localities, and stop rows of trips 1 (authority 5) and 2 (authority 1) and of trip 8, which has no head, that test
// the grouping and the order: trailing blanks, absent texts beside empty ones, "Città" with an accented letter, "€"
// (0x80 in the code page, U+20AC) that sorts after "É" (0xC9, U+00C9) by code point but before it by byte, localities
// sharing ISTAT code and name, localities that do not exist, negative ones.
const char* const kStops =
    "PRAGMA ignore_check_constraints = ON;"
    "INSERT INTO local (id, denom, istat, comune, prov) VALUES (9001, 'Aulla   ', 45001, 'Aulla', 'MS'), "
    "(9002, 'Città Alta', 7, 'Aulla', 'MS'), (9003, 'Città Alta', 7, 'Aulla', 'MS'), "
    "(9004, 'Éboli', 8, 'Aulla', 'MS'), (9005, '€uro', 9, 'Aulla', 'MS'), (-4, 'Sotto zero', 10, 'Aulla', 'MS');"
    "DELETE FROM detcor;"
    "INSERT INTO detcor (id, sub, fermata, denom, ubicaz, dist, arriva, parte, primaria, facolt, nonferma, reglocal) "
    "VALUES (1, 1, 'F01', 'Aulla', 'Piazza', 0, 9999, 800, 1, 0, 0, 9001), "
    "(1, 2, 'F01  ', 'Aulla  ', 'Piazza ', 10, 810, 820, 0, 0, 0, 9001), "
    "(1, 3, NULL, 'Aulla', NULL, 20, 830, 840, 0, 0, 0, 9001), "
    "(1, 4, '', 'Aulla', '', 30, 850, 855, 0, 0, 0, 9001), "
    "(1, 5, 'F02', 'Città', 'Via Roma', 40, 900, 910, 0, 0, 0, 9002), "
    "(1, 6, 'F02', 'Città', 'Via Roma', 50, 920, 930, 0, 0, 0, 9003), "
    "(1, 7, 'F03', 'Éboli', NULL, 60, 940, 950, 0, 0, 0, 9004), "
    "(1, 8, 'F04', '€ fermata', NULL, 70, 1000, 9999, 0, 0, 0, 9005), "
    "(2, 1, 'F05', 'Zeta', 'Z', 0, 9999, 900, 1, 0, 0, 9004), "
    "(2, 2, 'F05', 'Zeta', 'Z', 10, 910, 9999, 0, 0, 0, 9005), "
    "(2, 3, 'F06', 'Euro', NULL, 20, 920, 9999, 0, 0, 0, 8999), "
    "(2, 4, 'F07', 'Negativa', NULL, 30, 930, 9999, 0, 0, 0, -4), "
    "(2, 5, 'F08', 'Zero', NULL, 40, 940, 9999, 0, 0, 0, 0), "
    "(8, 1, 'F09', 'Senza testa', NULL, 0, 9999, 900, 1, 0, 0, 9001);";

// Each variant, the list gathered on the walk of every stop row or by a walk of its own.
TEST_F(Exports, TheStopListIsTheGroupedQueryLineForLine) {
  RunSql(db, kStops);
  // The list as the grouped query gives it, each line as the export writes it.
  std::string expected = kStopsHeader + "\r\n";
  for (char c : QueryFile(db,
                          "SELECT '17', coalesce(rtrim(detcor.fermata, ' '), ''), rtrim(detcor.denom, ' '), "
                          "coalesce(rtrim(detcor.ubicaz, ' '), ''), printf('%06d', local.istat), rtrim(local.denom, "
                          "' ') FROM detcor, local WHERE detcor.reglocal > 0 AND detcor.reglocal = local.id "
                          "GROUP BY detcor.fermata, detcor.denom, detcor.ubicaz, local.istat, local.denom "
                          "ORDER BY detcor.denom, detcor.ubicaz, detcor.fermata, local.istat, local.denom"))
    expected += c == '|' ? std::string("\t") : c == '\n' ? std::string("\r\n") : std::string(1, c);
  // The query's own answer holds what the list is about: absent and empty texts apart, "É" before "€".
  ASSERT_TRUE(HasPart(expected, "17\t\tAulla\t\t045001\tAulla\r\n17\t\tAulla\t\t045001\tAulla\r\n17\tF01\t"));
  ASSERT_LT(expected.find("\tÉboli\t"), expected.find("\t€ fermata\t"));
  int variant = 0;
  for (const ExportOptions& o : {Plain(), Plain(5), Plain(7), Renumbered(500), Range({2024, 1, 1}, {2024, 1, 6}),
                                 Range({2024, 3, 1}, {2024, 3, 31}, 1)}) {
    SCOPED_TRACE(variant++);
    const ExportResult r = Export(o);
    ASSERT_TRUE(r.ok) << r.Texts();
    EXPECT_EQ(FileBytes(Out("FERMATE_NORMALIZZATE.TXT")), expected);
    EXPECT_EQ(r.counts[kNormalStopsFile].written, std::count(expected.begin(), expected.end(), '\n') - 1);
  }
  EXPECT_EQ(notices.Texts(), "");
}

}  // namespace
