// "&Esportazione dati IVU-InfoPool" (5166) end to end through the headless driver: the hand-made
// IVU-InfoPool set converted (5184) and imported whole (5120) into a database of its own, then
// exported again, with the stops' coordinates from an RT_NODI set made by ogr2ogr; every file
// against a hand-made one. Cancelled dialogs, a failed georeferencing, a file that cannot be
// created and a version longer than one day set.

#include "app/AppTestSupport.h"
#include "app/ProgramTestSupport.h"
#include "app/commands/IvuExportCommand.h"
#include "support/GdalTools.h"
#include "support/GeoreferencingTexts.h"
#include "support/IvuSetData.h"
#include "support/KilledExport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <algorithm>

namespace {

const std::string kFolderLine =
    "FILE\tEsportazione Formato IVU - InfoPool\tFILES\tFile di testo (*.asc)|*.asc|Tutti i files (*.*)|*.*||";
const std::string kDone = "L'esportazione dei dati nel formato IVU-InfoPool è terminata con successo";
const std::string kStopped =
    "ATTENZIONE: a causa dell'errore precedente non è stato possibile\n"
    "possibile portare a termine l'esportazione dati nel formato IVU";
const char* const kFiles[] = {"lieferan.asc", "zeichen.asc", "koordsys.asc", "betriebe.asc", "halteste.asc", "ld12.asc",
                              "fd12.asc",     "bitfeld.asc", "verkehrm.asc", "versione.asc", "dateien.asc"};

const std::string kHeader = "WKT,AZIENDA,COD_FERM,DENOM";
const std::string kTypes = "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"";
// F1 and F2 of company 17 on halves (rounded away from zero), F3 only in another company, a
// second F2 too late to count.
const std::vector<std::string> kPoints = {"\"POINT (1234.5 4812.4)\",17,F1,Piazza Stazione",
                                          "\"POINT (10 20)\",99,F3,Ospedale", "\"POINT (-12.5 6000.5)\",17,F2,Via Roma",
                                          "\"POINT (1 2)\",17,F2,Doppia"};

std::string Expected(const std::string& name) {
  return FileBytes(TestDataDir() + "/conversions/ivu_export/atteso/" + name);
}

// The rows of a file of CR LF lines.
std::vector<std::string> Rows(const std::string& path) {
  const std::string bytes = FileBytes(path);
  std::vector<std::string> rows;
  for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
    rows.push_back(bytes.substr(at, end - at));
  return rows;
}

// The hand-made bit-field set through the IVU conversion and the whole import, once for every test.
const std::string& ImportedDatabase() {
  static const ScratchDir dir;
  static const std::string db = [] {
    const std::string in = dir.Path("ivu"), rt = dir.Path("rt"), settings = dir.Path("quendo.ini");
    CopyIvuSet("ivu_bitfeld", in);
    EXPECT_TRUE(QDir().mkpath(cp1252::ToQString(rt)));
    const std::string first = dir.Path("conversione.mdb"), imported = dir.Path("importato.mdb");
    MakeTimetableDatabase(first);
    WriteSettings(settings, {"Database=" + first, "Directory=" + dir.Dir()});
    DriverRun run = RunDriver(
        settings, {"file " + in + "/dateien.asc", "dialog 153", "  1204=0017", "file " + rt + "/RT_PROTO.TXT"},
        {"5184"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    MakeTimetableDatabase(imported);
    WriteSettings(settings, {"Database=" + imported, "Directory=" + dir.Dir()});
    run = RunDriver(settings, {"file " + rt + "/RT_PROTO.TXT", "file " + rt + "/RT_CADEN.TXT"}, {"5120"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return imported;
  }();
  return db;
}

class IvuExportDriver : public DriverFiles {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QFile::copy(cp1252::ToQString(ImportedDatabase()), cp1252::ToQString(db)));
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  // The options' answer with the given further control lines.
  static std::vector<std::string> Options(const std::vector<std::string>& more = {}) {
    std::vector<std::string> a = {"dialog 147", "  1165= ABC ", "  1173=12a", "  1174=Orario invernale"};
    a.insert(a.end(), more.begin(), more.end());
    return a;
  }
  DriverRun Export(std::vector<std::string> answers, int exitCode = 0) {
    return RunDriver(settings, answers, {"5166"}, exitCode);
  }
  std::string Nodi(const std::string& name, const std::vector<std::string>& rows, const QStringList& more = {}) {
    MakeShapeSet(WriteCsv(dir, name, kHeader, kTypes, rows), dir.Path(name + ".shp"), more);
    return dir.Path(name + ".shp");
  }
  // The answers of a run that georeferences from `chosen` (a `file` answer or `cancel`).
  std::vector<std::string> WithNodi(const std::string& chosen, const std::vector<std::string>& more = {}) {
    std::vector<std::string> a = Options(more);
    a.push_back("file " + out + "/FILES.ASC");
    a.push_back(chosen);
    return a;
  }
  const std::string db = dir.Path("orari.mdb"), out = dir.Path("ivu");
};

TEST_F(IvuExportDriver, TheImportedSetComesBackAsTheHandMadeFiles) {
  const std::string nodi = Nodi("rt_nodi", kPoints, {QStringLiteral("-nlt"), QStringLiteral("POINT")});
  const std::string info = OgrInfoFeatures(nodi);
  EXPECT_NE(info.find("POINT (1234.5 4812.4)"), std::string::npos) << info;
  EXPECT_NE(info.find("POINT (-12.5 6000.5)"), std::string::npos) << info;

  const DriverRun run = Export(WithNodi("file " + nodi));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            std::vector<std::string>{"DIALOG\t147\tEsportazione Dati nel Formato IVU-InfoPool"});
  const std::vector<std::string> files = LinesStartingWith(run.transcript, "FILE\t");
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[0], kFolderLine);
  EXPECT_EQ(files[1],
            "FILE\tRecupero Georeferenziazione Fermate\tRT_NODI\tShapeFile (*.shp)|*.shp|Tutti i files "
            "(*.*)|*.*||");
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, kDone)});
  std::string listing;
  for (const char* name : kFiles) {
    EXPECT_EQ(FileBytes(out + "/" + name), Expected(name)) << name;
    listing += name + std::string("\n");
  }
  std::vector<std::string> sorted(std::begin(kFiles), std::end(kFiles));
  std::sort(sorted.begin(), sorted.end());
  std::string expectedListing;
  for (const std::string& n : sorted) expectedListing += n + "\n";
  EXPECT_EQ(Listing(out), expectedListing);
}

// The transport mode reaches every row that names it.
TEST_F(IvuExportDriver, TramIsWrittenWhereverTheModeGoes) {
  const DriverRun run = Export(WithNodi("cancel", {"  1170=1"}));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run).back(), Box(0x40, kDone));
  EXPECT_EQ(Rows(out + "/verkehrm.asc"), std::vector<std::string>{"TRAM#TRAM#Tram#"});
  EXPECT_EQ(Rows(out + "/betriebe.asc"),
            std::vector<std::string>{"17#ABC#Azienda regionale 017#17000#TRAM#TRAM#17000#TRAM#ABC#"});
  EXPECT_EQ(Rows(out + "/ld12.asc").front(), "12#12#1#17000#1#A#3#1#TRAM##");
  EXPECT_EQ(Rows(out + "/fd12.asc"),
            (std::vector<std::string>{"12#12#17000#A#1#2#", "1#1#07.05:00#3#0#07.45:00#TRAM#1#C101#1111111#0#0#1##",
                                      "1#1#23.50:00#3#0#00.30:00#TRAM#1#C102#1111111#0#0#2##"}));
}

// The stops without coordinates: fields 7 and 8 empty in every row.
const std::vector<std::string> kPlainStops = {"0#ABC#########Ospedale###F3-Ospedale##",
                                              "1#ABC#########Piazza Stazione###F1-Piazza Stazione##",
                                              "2#ABC#########Via Roma###F2-Via Roma##"};

TEST_F(IvuExportDriver, GeoreferencingLeftOutAsksForNoSet) {
  std::vector<std::string> answers = Options({"  1177=0"});
  answers.push_back("file " + out + "/FILES.ASC");
  const DriverRun run = Export(answers);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{kFolderLine});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x40, kDone)});
  EXPECT_EQ(Rows(out + "/halteste.asc"), kPlainStops);
  EXPECT_EQ(FileBytes(out + "/ld12.asc"), Expected("ld12.asc"));
}

enum class GeoSet { NotChosen, Polylines, NoDbf, NoPoint, OtherCompany };

struct GeoFailure {
  const char* name;
  GeoSet set;
  std::vector<std::string> boxes;  // before the closing message, as the transcript writes them
};

class IvuExportGeoFailure : public IvuExportDriver, public ::testing::WithParamInterface<GeoFailure> {};

TEST_P(IvuExportGeoFailure, TheExportGoesOnWithoutCoordinates) {
  const QStringList points = {QStringLiteral("-nlt"), QStringLiteral("POINT")};
  std::string chosen = "cancel";
  switch (GetParam().set) {
    case GeoSet::NotChosen: break;
    case GeoSet::Polylines:
      chosen = "file " + Nodi("linee", {"\"LINESTRING (0 0,10 10)\",17,F1,Piazza Stazione"},
                              {QStringLiteral("-nlt"), QStringLiteral("LINESTRING")});
      break;
    case GeoSet::NoDbf:
      chosen = "file " + Nodi("rt_nodi", kPoints, points);
      ASSERT_TRUE(QFile::remove(cp1252::ToQString(dir.Path("rt_nodi.dbf"))));
      break;
    case GeoSet::NoPoint: chosen = "file " + Nodi("vuoto", {",17,F1,Uno", ",17,F2,Due"}, points); break;
    case GeoSet::OtherCompany:
      chosen = "file " + Nodi("altra", {"\"POINT (1 2)\",36,F1,Uno", "\"POINT (3 4)\",99,F2,Due"}, points);
      break;
  }
  const DriverRun run = Export(WithNodi(chosen));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  std::vector<std::string> boxes = GetParam().boxes;
  boxes.push_back(Box(0x40, kDone));
  EXPECT_EQ(Boxes(run), boxes);
  EXPECT_EQ(Rows(out + "/halteste.asc"), kPlainStops);
  EXPECT_EQ(FileBytes(out + "/dateien.asc"), Expected("dateien.asc"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, IvuExportGeoFailure,
    ::testing::Values(GeoFailure{"NotChosen", GeoSet::NotChosen, {Box(0x10, kGeoNotChosen)}},
                      GeoFailure{"Polylines", GeoSet::Polylines, {Box(0x10, kGeoRefused), Box(0x10, kGeoUnreadable)}},
                      GeoFailure{"NoDbf", GeoSet::NoDbf, {Box(0x10, kGeoUnreadable)}},
                      // A set without a single point says so; one of other companies' points says nothing.
                      GeoFailure{"NoPoint", GeoSet::NoPoint, {Box(0x40, kGeoNoPoint)}},
                      GeoFailure{"OtherCompany", GeoSet::OtherCompany, {}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(IvuExportDriver, CancelInEitherDialogWritesNothingAndSaysNothing) {
  for (const std::vector<std::string>& answers : {std::vector<std::string>{"dialog 147 cancel"}, [] {
                                                    std::vector<std::string> a = Options();
                                                    a.push_back("cancel");
                                                    return a;
                                                  }()}) {
    const DriverRun run = Export(answers);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Boxes(run), std::vector<std::string>{});
    EXPECT_EQ(Listing(out), "");
  }
}

// A refused option ends the scripted run at the dialog, after its one message: nothing is asked
// further and nothing written.
TEST_F(IvuExportDriver, ARefusedOptionKeepsTheDialog) {
  const DriverRun run = Export({"dialog 147", "  1165=   ", "  1173=12", "  1174=Orario"}, 3);
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10,
                                                     "ATTENZIONE: Non è stata indicata la Sigla dell'Azienda.\n\n"
                                                     "Occorre indicare obbligatoriamente una Sigla per procedere")});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{});
  EXPECT_EQ(Listing(out), "");
}

// halteste.asc cannot be created: the two messages and the folder as it was, an earlier set
// included.
TEST_F(IvuExportDriver, AFileThatCannotBeCreatedLeavesTheFolderAsItWas) {
  WriteFileBytes(out + "/lieferan.asc", "XYZ#Vecchia#\r\n");
  WriteFileBytes(out + "/ld12.asc", "vecchio\r\n");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out + "/halteste.asc.part/dentro")));
  const std::string before = Listing(out);
  std::vector<std::string> answers = Options({"  1177=0"});
  answers.push_back("file " + out + "/FILES.ASC");
  const DriverRun run = Export(answers);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + out + "/halteste.asc"),
                                                  Box(0x10, kStopped)}));
  EXPECT_EQ(Listing(out), before);
  EXPECT_EQ(FileBytes(out + "/lieferan.asc"), "XYZ#Vecchia#\r\n");
  EXPECT_EQ(FileBytes(out + "/ld12.asc"), "vecchio\r\n");
}

// A folder where an export of the region's files was killed while writing (and not noted): put in
// order first, which the user is told, then the set written beside the previous files.
TEST_F(IvuExportDriver, AnInterruptedFolderIsPutInOrderFirst) {
  const std::string whole = dir.Path("intera");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(whole)));
  const int step = StepNumber(StepsOf(PlainExport(db, whole)), "written RT_CALEN.TXT.part");
  ASSERT_GT(step, 0);
  for (const std::string& n : kExportSet) WriteFileBytes(out + "/" + n, "old " + n + "\r\n");
  const std::string previous = SetFiles(out);
  ASSERT_TRUE(KilledAfterStep(step, PlainExport(db, out, SettingsFolderWatch(settings))));
  std::vector<std::string> answers = Options({"  1177=0"});
  answers.push_back("file " + out + "/FILES.ASC");
  const DriverRun run = Export(answers);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x30, UndoneWhileWritingText(out)), Box(0x40, kDone)}));
  EXPECT_EQ(SetFiles(out), previous);
  EXPECT_EQ(FileBytes(out + "/ld12.asc"), Expected("ld12.asc"));
  EXPECT_EQ(Listing(out).find(".part"), std::string::npos);
}

// A version longer than the 384 days of a day set is refused before anything is asked or written;
// 384 days are written.
struct Period {
  const char* name;
  const char* datfin;
  bool refused;
};

class IvuExportPeriod : public IvuExportDriver, public ::testing::WithParamInterface<Period> {};

TEST_P(IvuExportPeriod, TheVersionMustFitOneDaySet) {
  RunSql(db, std::string("UPDATE master SET datfin = '") + GetParam().datfin + "';");
  std::vector<std::string> answers = Options();
  answers.push_back("file " + out + "/FILES.ASC");
  if (!GetParam().refused) answers.push_back("cancel");
  const DriverRun run = Export(answers);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  if (GetParam().refused) {
    EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10,
                                                       "ATTENZIONE: il periodo della versione dal 01/03/2024 al "
                                                       "04/04/2025\nnon è rappresentabile nel formato IVU-InfoPool,\n"
                                                       "che ammette al più 384 giorni di servizio.")});
    EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{kFolderLine});
    EXPECT_EQ(Listing(out), "");
  } else {
    EXPECT_EQ(Boxes(run).back(), Box(0x40, kDone));
    EXPECT_EQ(Rows(out + "/versione.asc"),
              std::vector<std::string>{"12#Orario invernale#01.03.2024#" + std::string(GetParam().datfin).substr(8, 2) +
                                       "." + std::string(GetParam().datfin).substr(5, 2) + "." +
                                       std::string(GetParam().datfin).substr(0, 4) + "##"});
  }
}

INSTANTIATE_TEST_SUITE_P(Table, IvuExportPeriod,
                         ::testing::Values(Period{"FourHundredDays", "2025-04-04", true},
                                           Period{"DaysOfOneSet", "2025-03-19", false}),
                         [](const auto& p) { return std::string(p.param.name); });

// A new database, whose master row the program makes with the period 1900-2099: refused, nothing
// written.
TEST_F(IvuExportDriver, ANewDatabasesDefaultPeriodIsRefused) {
  ASSERT_TRUE(QFile::remove(cp1252::ToQString(db)));
  CopySeededDatabase(db);
  std::vector<std::string> answers = Options();
  answers.push_back("file " + out + "/FILES.ASC");
  const DriverRun run = Export(answers);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10,
                                                     "ATTENZIONE: il periodo della versione dal 01/01/1900 al "
                                                     "31/12/2099\nnon è rappresentabile nel formato IVU-InfoPool,\n"
                                                     "che ammette al più 384 giorni di servizio.")});
  EXPECT_EQ(Listing(out), "");
}

// A version end stored as a text that is no date: its one refusal before the options and the folder
// are asked for, never "il periodo della versione dal ... al " after them.
TEST_F(IvuExportDriver, APeriodThatIsNoDateIsRefusedBeforeTheDialogs) {
  RunSql(db, "UPDATE master SET datfin = '31/12/2024'");
  RecordCleanClose(settings, db);
  const DriverRun run = Export({});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x10,
                                                     "ATTENZIONE: dati generali:\nil campo datfin (Data Fine) vale "
                                                     "'31/12/2024',\nche è un testo e non una data come richiede la "
                                                     "sua colonna.\n\nNessun file è stato scritto: correggere il dato "
                                                     "prima di esportare.")});
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG"), std::vector<std::string>{});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), std::vector<std::string>{});
  EXPECT_EQ(Listing(out), "");
}

// In the program itself: each step names itself in the status band as its progress bar comes,
// and no bar is left at the end.
struct IvuExportOnTheFrame : ProgramTest {
  void SetUp() override {
    db_ = dir_.Path("orari.mdb");
    ASSERT_TRUE(QFile::copy(cp1252::ToQString(ImportedDatabase()), cp1252::ToQString(db_)));
    StartProgram(false);
    ASSERT_NE(frame_->Database(), nullptr);
    QApplication::processEvents();
    script_.Clear();
  }
};

TEST_F(IvuExportOnTheFrame, EveryStepShowsItsCaption) {
  const std::string out = dir_.Path("ivu");
  ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  MakeShapeSet(WriteCsv(dir_, "rt_nodi", kHeader, kTypes, kPoints), dir_.Path("rt_nodi.shp"),
               {QStringLiteral("-nlt"), QStringLiteral("POINT")});
  script_.Push({ui::Answer::Kind::Dialog, "147", {{"1165", "ABC"}, {"1173", "12"}, {"1174", "Orario invernale"}}});
  script_.File(out + "/FILES.ASC").File(dir_.Path("rt_nodi.shp"));
  BandAtEachBar watch(frame_->Client());
  ExportIvuInfoPool(frame_);
  EXPECT_EQ(watch.bands, (std::vector<std::string>{
                             "Generazione Dati Generali", "Estrazione Fermate", "Estrazione Orari Corsa",
                             "Estrazione Calendari di Servizio", "Estrazione Corse",
                             "Recupero Georeferenziazione Fermate", "Generazione Fermate", "Generazione Corse Standard",
                             "Generazione Corse", "Generazione Calendari di Servizio", "Generazione Ausiliari"}));
  EXPECT_EQ(frame_->Client()->findChild<QProgressBar*>(QStringLiteral("6002")), nullptr);
  EXPECT_EQ(MessagesOf(script_), kDone);
  EXPECT_EQ(FileBytes(out + "/halteste.asc"), Expected("halteste.asc"));
}

}  // namespace
