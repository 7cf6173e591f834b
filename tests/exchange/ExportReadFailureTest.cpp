// An export that cannot read its rows fails as a whole, whichever statement fails, and one that
// another program writes into meanwhile still writes the rows of one moment. The failures are
// real failures of the engine, injected at a chosen statement: a column that a query reads is
// renamed under the open database, or the engine is interrupted at a chosen point of a pass.

#include "ExportCaseSupport.h"

#include "common/WorkProgress.h"

#include <functional>

namespace {

using namespace export_case;

// Tells the test where the export stands: the file of each pass, and the steps of its walk.
class Probe : public WorkProgress {
 public:
  std::function<void(const std::string& file)> onBegin;
  std::function<void(long done, long total)> onStep;

  void Begin(const std::string& caption) override {
    if (onBegin) onBegin(caption.substr(caption.rfind(' ') + 1));
  }
  void Step(long done, long total) override {
    if (onStep) onStep(done, total);
  }
  void End() override {}
};

// Interrupts the next statement step of the connection once it is armed.
int InterruptOnce(void* armed) {
  bool& on = *static_cast<bool*>(armed);
  if (!on) return 0;
  on = false;
  return 1;
}

enum class Injected { RenamedColumn, InterruptedAtStart, InterruptedAfterFirstTrip };

struct Fault {
  const char* name;
  ExportOptions options;
  Injected how;
  const char* where;       // "table.column" renamed, or the file whose pass is interrupted
  const char* failedFile;  // the file the failure names
};

const Fault kFaults[] = {
    {"TripHeadsQuery", Plain(), Injected::RenamedColumn, "tescor.codperc", "RT_HDORA.TXT"},
    {"TripStopsQuery", Plain(), Injected::RenamedColumn, "detcor.facolt", "RT_DTORA.TXT"},
    {"PeriodsQuery", Plain(), Injected::RenamedColumn, "period.escluso", "RT_PERIOD.TXT"},
    {"DayTypesQuery", Plain(), Injected::RenamedColumn, "cadenz.denom", "RT_CADEN.TXT"},
    {"CalendarQuery", Plain(), Injected::RenamedColumn, "calend.note", "RT_CALEN.TXT"},
    {"MasterRow", Plain(), Injected::RenamedColumn, "master.resple", "RT_PROTO.TXT"},
    {"LocalitiesQuery", Plain(), Injected::RenamedColumn, "local.istat", "FERMATE_NORMALIZZATE.TXT"},
    {"CalendarOfADateRange", Range({2024, 1, 1}, {2024, 3, 31}), Injected::RenamedColumn, "calend.caden",
     "RT_CALEN.TXT"},
    {"PeriodsRead", Plain(), Injected::InterruptedAtStart, "RT_PERIOD.TXT", "RT_PERIOD.TXT"},
    {"RenumberedHeadsRead", Renumbered(10), Injected::InterruptedAtStart, "RT_HDORA.TXT", "RT_HDORA.TXT"},
    {"LocalitiesRead", Plain(), Injected::InterruptedAtStart, "FERMATE_NORMALIZZATE.TXT", "FERMATE_NORMALIZZATE.TXT"},
    {"StopListWalkOfOneAuthority", Plain(1), Injected::InterruptedAtStart, "FERMATE_NORMALIZZATE.TXT",
     "FERMATE_NORMALIZZATE.TXT"},
    {"StopsWalk", Plain(), Injected::InterruptedAfterFirstTrip, "RT_DTORA.TXT", "RT_DTORA.TXT"},
    {"StopsWalkOfADateRange", Range({2024, 1, 1}, {2024, 6, 30}), Injected::InterruptedAfterFirstTrip, "RT_DTORA.TXT",
     "RT_DTORA.TXT"},
};

struct ReadFailure : ExportCase, ::testing::WithParamInterface<Fault> {};

TEST_P(ReadFailure, FailsTheWholeExportAndLeavesThePreviousFiles) {
  const Fault& f = GetParam();
  PreviousFiles();
  DbDatabase handle(db);
  ASSERT_TRUE(handle.isOpen) << notices.Texts();
  if (f.how == Injected::RenamedColumn) {
    // Under the open database, as another program could do it.
    const std::string spec = f.where;
    const std::string table = spec.substr(0, spec.find('.')), column = spec.substr(spec.find('.') + 1);
    Sql("ALTER TABLE " + table + " RENAME COLUMN " + column + " TO " + column + "_altro");
  }
  bool armed = false;
  sqlite3_progress_handler(handle.Handle(), 1, InterruptOnce, &armed);
  Probe probe;
  std::string current;
  int trips = 0;
  probe.onBegin = [&](const std::string& file) {
    current = file;
    if (f.how == Injected::InterruptedAtStart && file == f.where) armed = true;
  };
  probe.onStep = [&](long, long) {
    // The stop rows tell each new trip: the second one comes after the first trip's lines.
    if (f.how == Injected::InterruptedAfterFirstTrip && current == f.where && ++trips == 2) armed = true;
  };
  ExportOptions o = f.options;
  o.db = &handle;
  o.folder = out;
  o.progress = &probe;
  const ExportResult r = RunExport(o);
  sqlite3_progress_handler(handle.Handle(), 0, nullptr, nullptr);

  EXPECT_FALSE(r.complete);
  EXPECT_TRUE(r.refusal.empty()) << r.refusal;
  EXPECT_EQ(r.failedPath, Out(f.failedFile));
  if (f.how == Injected::InterruptedAfterFirstTrip) {
    EXPECT_EQ(trips, 2);
  }
  // The engine's failure was told by the database layer.
  ASSERT_FALSE(notices.Notices().empty());
  EXPECT_NE(notices.Notices()[0].icon, NoticeIcon::Information);
  // No file of the set is put in place, and the result says so.
  EXPECT_TRUE(r.written.empty());
  EXPECT_EQ(ExportResultText(r),
            "Risultati dell'esportazione dati:\n\n"
            "0 su 0 Teste Corsa\n0 su 0 Dettagli Corsa\n0 su 0 Periodi Validità Corsa\n0 su 0 Cadenze\n"
            "0 su 0 Calendario Giorni/Cadenze\n0 su 0 Protocollo Comunicazione Orari\n0 su 0 Fermate Normalizzate\n");
  ExpectPreviousFiles();
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadFailure, ::testing::ValuesIn(kFaults),
                         [](const auto& c) { return std::string(c.param.name); });

// ---- One moment ----------------------------------------------------------------------------

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

const Moment kMoments[] = {
    {"PlainBeforeTheStops", Plain(), "RT_DTORA.TXT"},
    {"PlainBeforeThePeriods", Plain(), "RT_PERIOD.TXT"},
    {"OneAuthorityBeforeTheStopList", Plain(5), "FERMATE_NORMALIZZATE.TXT"},
    {"RenumberedBeforeThePeriods", Renumbered(100), "RT_PERIOD.TXT"},
    {"RangeBeforeTheHeads", Range({2024, 1, 1}, {2024, 6, 30}), "RT_HDORA.TXT"},
    {"RangeBeforeTheDayTypes", Range({2024, 1, 1}, {2024, 6, 30}), "RT_CADEN.TXT"},
};

struct OneMoment : ExportCase, ::testing::WithParamInterface<Moment> {};

TEST_P(OneMoment, AnotherProgramWritingMeanwhileIsNotSeen) {
  const Moment& m = GetParam();
  // The files of the moment the export begins: those of an export of a copy taken then.
  const std::string copy = dir.Path("copia.mdb"), copyOut = dir.Path("copia");
  ASSERT_FALSE(QFile::exists(cp1252::ToQString(db + "-wal")));
  ASSERT_TRUE(QFile::copy(cp1252::ToQString(db), cp1252::ToQString(copy)));
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(copyOut)));
  ASSERT_TRUE(Export(m.options, copy, copyOut).complete) << notices.Texts();

  Probe probe;
  std::string written = "not yet";
  probe.onBegin = [&](const std::string& file) {
    if (file == m.writtenAt && written == "not yet") written = Exec(db, kOtherImport);
  };
  ExportOptions o = m.options;
  o.progress = &probe;
  const ExportResult r = Export(o);
  ASSERT_EQ(written, "ok");
  ASSERT_TRUE(r.complete) << r.failedPath << r.refusal << notices.Texts();
  EXPECT_EQ(notices.Texts(), "");
  EXPECT_EQ(Files(), Files(copyOut));
  // The other program's rows are there for the next export.
  EXPECT_EQ(QueryFile(db, "SELECT id FROM tescor ORDER BY id"), "2\n3\n4\n");
  ASSERT_TRUE(Export(m.options).complete);
  EXPECT_NE(Files(), Files(copyOut));
}

INSTANTIATE_TEST_SUITE_P(Cases, OneMoment, ::testing::ValuesIn(kMoments),
                         [](const auto& c) { return std::string(c.param.name); });

}  // namespace
