// The shapefile sets the program writes, byte by byte where the layout fixes them and as GDAL's
// ogrinfo reads them; the names of a set's files; a set that cannot be put in place.

#include "common/ByteOrder.h"
#include "common/ExportFiles.h"
#include "common/ExportRecovery.h"
#include "common/Outcome.h"
#include "conversions/shapefiles/ShapeNames.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "conversions/stops/StopConversion.h"
#include "support/GdalTools.h"
#include "support/KilledExport.h"
#include "support/ReadOnlyFolder.h"

#include <gtest/gtest.h>
#include <QDir>
#include <cfloat>
#include <functional>
#include <string>
#include <vector>

namespace {

const ClockTime kToday{2024, 3, 1, 8, 0, 0};

std::int32_t Int(const std::string& bytes, std::size_t at, char order) {
  std::int32_t v = -999;
  EXPECT_TRUE(ReadInt32(AsBytes(bytes), at, order, v)) << at;
  return v;
}

TEST(ShapeSetWriter, PointRecordsTheirIndexEntriesAndAttributes) {
  ShapeSetWriter w(StopsLayout());
  w.AddPoint(10.5, 20.25, {"36", "F001", "Piazza"});
  w.AddPoint(-3, 40, {"36", "F002", std::string(45, 'x')});
  const std::string shp = w.MainBytes(), shx = w.IndexBytes(), dbf = w.TableBytes(kToday);
  // The first record at byte 100: number 1, ten words; its entry (50, 10); the second at word 64.
  EXPECT_EQ(std::vector<std::int32_t>({Int(shx, 100, 'B'), Int(shx, 104, 'B'), Int(shx, 108, 'B'), Int(shx, 112, 'B'),
                                       Int(shp, 100, 'B'), Int(shp, 104, 'B'), Int(shp, 108, 'L'), Int(shp, 24, 'B'),
                                       Int(shx, 24, 'B')}),
            std::vector<std::int32_t>({50, 10, 64, 10, 1, 10, 1, 50 + 2 * 14, 50 + 2 * 4}));
  double minX = 0, maxY = 0;
  ReadDouble(AsBytes(shp), 36, 'L', minX);
  ReadDouble(AsBytes(shp), 60, 'L', maxY);
  EXPECT_EQ(std::pair(minX, maxY), std::pair(-3.0, 40.0));
  EXPECT_EQ(dbf.substr(0, 12), std::string("\x03\x7C\x03\x01\x02\0\0\0\x81\0\x38\0", 12));
  // The company as two digits and three blanks, the name cut at 40.
  EXPECT_EQ(dbf.substr(129, 56), " 36   F001      Piazza" + std::string(34, ' '));
  EXPECT_EQ(dbf.substr(129 + 56, 56), " 36   F002      " + std::string(40, 'x'));
  EXPECT_EQ(dbf.size(), 129u + 2 * 56 + 1);
  EXPECT_EQ(dbf.back(), '\x1A');
}

TEST(ShapeSetWriter, AFivePointPolylineTakesSixtyFourWords) {
  ShapeSetWriter w(RoutesLayout());
  w.AddPolyline(std::vector<Vertex>{{0, 0}, {1, 5}, {2, 2}, {3, -1}, {4, 4}}, {"36", "P1", "Percorso"});
  PointList two;
  two.AddPoint(9, 9);
  two.AddPoint(10, 10);
  w.AddPolyline(two, {"36", "P2", "Ritorno"});
  const std::string shx = w.IndexBytes(), shp = w.MainBytes();
  EXPECT_EQ(std::vector<std::int32_t>({Int(shx, 100, 'B'), Int(shx, 104, 'B'), Int(shx, 108, 'B'), Int(shp, 144, 'L'),
                                       Int(shp, 148, 'L'), Int(shp, 152, 'L')}),
            std::vector<std::int32_t>({50, 64, 50 + 68, 1, 5, 0}));
  double box[4];
  for (int k = 0; k < 4; ++k) ReadDouble(AsBytes(shp), 112 + 8 * k, 'L', box[k]);  // the record's own box
  EXPECT_EQ(std::vector<double>(box, box + 4), (std::vector<double>{0, -1, 4, 5}));
  EXPECT_EQ(w.TableBytes(kToday).substr(10, 2), std::string("\x92\0", 2));  // 146 bytes a record
}

struct LayoutCase {
  const ShapeLayout& (*layout)();
  std::vector<std::string> reported;  // lines ogrinfo must show
};

class WrittenLayouts : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(WrittenLayouts, OgrinfoReadsTheGeometryTheCountTheFieldsAndTheExtent) {
  ScratchDir dir;
  const ShapeLayout& layout = GetParam().layout();
  ShapeSetWriter w(layout);
  if (layout.shapeType == kPointShape) {
    w.AddPoint(1680000.5, 4830000.25, {"36", "F001", "Uno"});
    w.AddPoint(1681000, 4831000, {"36", "F002", "Due"});
  } else {
    w.AddPolyline(std::vector<Vertex>{{1680000.5, 4830000.25}, {1680500, 4830500}}, {"36", "P1", "Uno"});
    w.AddPolyline(std::vector<Vertex>{{1680700, 4830100}, {1681000, 4831000}}, {"36", "P2", "Due"});
  }
  std::string failed;
  ASSERT_TRUE(w.WriteTo(dir.Path(layout.name), kToday, failed)) << failed;
  const std::string info = OgrInfo(dir.Path(std::string(layout.name) + ".SHP"));
  for (const std::string& line : GetParam().reported) EXPECT_TRUE(HasPart(info, line + "\n"));
  EXPECT_TRUE(HasPart(info,
                      "Feature Count: 2\nExtent: (1680000.500000, 4830000.250000) - (1681000.000000, "
                      "4831000.000000)\n"));
  EXPECT_EQ(Listing(dir.Dir()), std::string(layout.name) + ".CPG\n" + layout.name + ".DBF\n" + layout.name + ".SHP\n" +
                                    layout.name + ".SHX\n");
}

INSTANTIATE_TEST_SUITE_P(
    ShapeSetWriter, WrittenLayouts,
    ::testing::Values(
        LayoutCase{StopsLayout,
                   {"Geometry: Point", "AZIENDA: Integer (5.0)", "COD_FERM: String (10.0)", "DENOM: String (40.0)"}},
        LayoutCase{
            RoutesLayout,
            {"Geometry: Line String", "AZIENDA: Integer (5.0)", "COD_PERC: String (20.0)", "DESCR: String (120.0)"}},
        LayoutCase{RailArcsLayout, {"Geometry: Line String", "NODO_INI: String (10.0)", "NODO_FIN: String (10.0)"}}));

TEST(ShapeSetWriter, AnEmptySetIsAHeaderOnlyAndOgrinfoOpensIt) {
  ScratchDir dir;
  ShapeSetWriter w(StopsLayout());
  std::string failed;
  ASSERT_TRUE(w.WriteTo(dir.Path("RT_NODI"), kToday, failed));
  const std::string shp = FileBytes(dir.Path("RT_NODI.SHP"));
  EXPECT_EQ(shp.size(), 100u);
  EXPECT_EQ(FileBytes(dir.Path("RT_NODI.SHX")).size(), 100u);
  double minX = 0;
  ReadDouble(AsBytes(shp), 36, 'L', minX);
  EXPECT_EQ(minX, DBL_MAX);  // the box keeps its start values
  const std::string dbf = FileBytes(dir.Path("RT_NODI.DBF"));
  EXPECT_EQ(Int(dbf, 4, 'L'), 0);
  EXPECT_EQ(dbf.size(), 130u);
  EXPECT_TRUE(HasPart(OgrInfo(dir.Path("RT_NODI.SHP")), "Feature Count: 0\n"));
}

TEST(ShapeNames, BaseAndCompanionsWhateverTheCaseOfTheExtension) {
  for (const auto& [path, base] : std::vector<std::pair<std::string, std::string>>{{"/a/RT_NODI.SHP", "/a/RT_NODI"},
                                                                                   {"/a/rt_nodi.shp", "/a/rt_nodi"},
                                                                                   {"x.Dbf", "x"},
                                                                                   {"/a/x.sHx", "/a/x"},
                                                                                   {"/a/x.txt", "/a/x.txt"},
                                                                                   {"/a/NODI", "/a/NODI"},
                                                                                   {".shp", ".shp"}})
    EXPECT_EQ(ShapeBase(path), base) << path;
  ScratchDir dir;
  WriteFileBytes(dir.Path("nodi.shp"), "a");
  WriteFileBytes(dir.Path("nodi.Shx"), "b");
  WriteFileBytes(dir.Path("NODI.DBF"), "c");  // another base: not a companion of nodi
  EXPECT_EQ(FindCompanion(dir.Path("nodi"), "SHP"), dir.Path("nodi.shp"));
  EXPECT_EQ(FindCompanion(dir.Path("nodi"), "SHX"), dir.Path("nodi.Shx"));
  EXPECT_EQ(FindCompanion(dir.Path("nodi"), "DBF"), "");
  EXPECT_EQ(OutputCompanion(dir.Path("nodi"), "DBF"), dir.Path("nodi.DBF"));
}

// A companion in another case is replaced, not doubled; of the code pages of the set's name one
// stays, under a name GDAL reads, and it reads the accented names by it.
TEST(ShapeSetWriter, ACompanionInAnotherCaseIsReplacedNotDoubled) {
  const struct {
    std::string set;
    std::vector<std::pair<std::string, std::string>> there;  // name, bytes
    std::string listing, codePage;
  } cases[] = {
      {"rt_nodi.shp",
       {{"rt_nodi.shp", "vecchio"}, {"rt_nodi.dbf", "vecchio"}, {"rt_nodi.cpg", "UTF-8"}},
       "rt_nodi.SHX\nrt_nodi.cpg\nrt_nodi.dbf\nrt_nodi.shp\n",
       "rt_nodi.cpg"},
      {"RT_NODI.SHP",
       {{"RT_NODI.Cpg", "UTF-8"}},
       "RT_NODI.CPG\nRT_NODI.DBF\nRT_NODI.SHP\nRT_NODI.SHX\n",
       "RT_NODI.CPG"},
      {"RT_NODI.SHP",
       {{"RT_NODI.cpg", "UTF-8"}, {"RT_NODI.CPG", "1252"}, {"RT_NODI.cPg", "UTF-8"}},
       "RT_NODI.CPG\nRT_NODI.DBF\nRT_NODI.SHP\nRT_NODI.SHX\n",
       "RT_NODI.CPG"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.listing);
    ScratchDir dir;
    for (const auto& [name, bytes] : c.there) WriteFileBytes(dir.Path(name), bytes);
    ShapeSetWriter w(StopsLayout());
    w.AddPoint(1, 2, {"1", "A", "Citt\xe0"});
    std::string failed;
    ASSERT_TRUE(w.WriteTo(ShapeBase(dir.Path(c.set)), kToday, failed));
    EXPECT_EQ(Listing(dir.Dir()), c.listing);
    EXPECT_EQ(FileBytes(dir.Path(c.codePage)), "1252");
    EXPECT_EQ(FileBytes(dir.Path(c.set)), w.MainBytes());
    const std::string read = OgrInfoFeatures(dir.Path(c.set));
    EXPECT_NE(read.find(cp1252::ToUtf8("= Citt\xe0\n")), std::string::npos) << read;
  }
}

TEST(ShapeSetWriter, AFolderThatCannotBeWrittenKeepsItsSet) {
  ScratchDir dir;
  const std::string folder = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  ShapeSetWriter old(StopsLayout());
  old.AddPoint(1, 2, {"1", "A", "Vecchia"});
  std::string failed;
  ASSERT_TRUE(old.WriteTo(folder + "/RT_NODI", kToday, failed));
  WriteFileBytes(folder + "/RT_NODI.CPG", "UTF-8");  // as another tool left it: it stays
  const std::string before = Listing(folder), shp = FileBytes(folder + "/RT_NODI.SHP");
  {
    ReadOnlyFolder readOnly(folder);
    ShapeSetWriter w(StopsLayout());
    w.AddPoint(5, 6, {"1", "B", "Nuova"});
    EXPECT_FALSE(w.WriteTo(folder + "/RT_NODI", kToday, failed));
    // The conversion's own message names the file.
    StopList stops;
    stops.Append(0, 5, 6);
    const StopWriting writing = WriteStopSet(folder + "/RT_NODI.SHP", stops, 36, kToday);
    EXPECT_FALSE(writing.ok);
    EXPECT_EQ(writing.Failure(), "Impossibile creare\n\n" + folder + "/RT_NODI.SHP");
  }
  EXPECT_EQ(failed, folder + "/RT_NODI.SHP");
  EXPECT_EQ(Listing(folder), before);
  EXPECT_EQ(FileBytes(folder + "/RT_NODI.SHP"), shp);
  EXPECT_EQ(FileBytes(folder + "/RT_NODI.CPG"), "UTF-8");
}

// A conversion hands up what the folder's recovery did as the first message of its outcome, before
// its own: nothing is shown on the way, so the command shows them in that order.
TEST(ShapeSetWriter, TheRecoveryIsTheFirstMessageOfTheConversion) {
  ScratchDir dir;
  const std::string folder = dir.Path("uscita");
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
  WriteFileBytes(folder + "/QUENDO_ESPORTAZIONE_IN_CORSO", "x\n");
  StopList stops;
  stops.Append(0, 5, 6);
  NoticeLog shownOnTheWay;
  const StopWriting writing = WriteStopSet(folder + "/RT_NODI.SHP", stops, 36, kToday);
  EXPECT_TRUE(writing.ok);
  ASSERT_EQ(writing.messages.size(), 1u);
  EXPECT_EQ(writing.messages[0].text.rfind("ATTENZIONE: nella cartella\n", 0), 0u) << writing.messages[0].text;
  EXPECT_EQ(writing.messages[0].icon, NoticeIcon::Exclamation);
  EXPECT_EQ(shownOnTheWay.Texts(), "");
}

// A shapefile conversion killed while it wrote its set: the folder is put in order (by the next
// start) and the message names the shapefile written, not an export of the timetable.
TEST(ShapeSetWriter, AKilledSetIsPutInOrderAndNamedAsTheShapefile) {
  ScratchDir dir;
  // The folders under way are noted in a file, as the settings note them, so that the journal of a
  // killed write is the program's own.
  const FolderWatch watch = NotesInFile(dir.Path("in_corso.txt"));
  const auto write = [&watch](const std::string& folder) {
    return [folder, &watch](const FileSetStep& step) {
      ShapeSetWriter w(StopsLayout());
      w.AddPoint(5, 6, {"1", "B", "Nuova"});
      std::string failed;
      w.WriteTo(folder + "/RT_NODI", kToday, failed, watch, step);
    };
  };
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("intera"))));
  const std::vector<std::string> steps = StepsOf(write(dir.Path("intera")));
  const std::string interrupted = "ATTENZIONE: l'ultima scrittura dello shapefile RT_NODI.SHP nella cartella\n";
  struct Case {
    const char* killedAfter;
    FolderRecovery::Outcome outcome;
    std::string closing;
  } cases[] = {
      {"written RT_NODI.SHX.part", FolderRecovery::kUndone,
       "prima di finire di scrivere i file.\n\nLa scrittura dello shapefile RT_NODI.SHP è stata annullata: i file "
       "incompleti sono stati eliminati e\nla cartella contiene i file che c'erano prima, come erano."},
      {"renamed RT_NODI.SHX.part RT_NODI.SHX", FolderRecovery::kCompleted,
       "mentre metteva i file nuovi al posto dei precedenti.\n\nLa scrittura dello shapefile RT_NODI.SHP è stata "
       "completata: la cartella contiene tutti i file nuovi."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.killedAfter);
    const std::string folder = dir.Path(std::string("uscita") + std::to_string(&c - cases));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)));
    ASSERT_GT(StepNumber(steps, c.killedAfter), 0);
    ASSERT_TRUE(KilledAfterStep(StepNumber(steps, c.killedAfter), write(folder)));
    const FolderRecovery r = RecoverExportFolder(folder, watch);
    EXPECT_EQ(r.outcome, c.outcome);
    EXPECT_EQ(r.Texts(), interrupted + folder + "\nè stata interrotta " + c.closing);
    EXPECT_EQ(r.messages.empty() ? std::string() : r.messages[0].caption, "Scrittura shapefile");
  }
}

// A shapefile write into a folder that holds a journal puts it in order first, as an export does,
// tells what it did, then puts its own set in place: killed at any step, a write leaves one whole
// set (the previous one with the code page of another case beside it, or its own without) to the next. A foreign
// journal is removed unobeyed; one of an export cut short there is not this writer's to obey, and nothing is written.
TEST(ShapeSetWriter, TheNextWritePutsInOrderAFolderLeftWithAJournal) {
  ScratchDir dir;
  const FolderWatch watch = NotesInFile(dir.Path("in_corso.txt"));
  const auto set = [](const char* name) {
    ShapeSetWriter w(StopsLayout());
    w.AddPoint(5, 6, {"1", "B", name});
    return w;
  };
  ShapeSetWriter previous = set("Vecchia"), killed = set("Uccisa"), next = set("Nuova");
  const auto bytes = [](const ShapeSetWriter& w) { return w.MainBytes() + w.IndexBytes() + w.TableBytes(kToday); };
  const auto write = [&](ShapeSetWriter& w, const std::string& f, const FileSetStep& step) {
    std::string failed;
    return w.WriteTo(f + "/RT_NODI", kToday, failed, watch, step);
  };
  const std::string stale = "/RT_NODI.cpg";
  const auto inFolder = [&stale](const std::string& f) {
    return FileBytes(f + "/RT_NODI.SHP") + FileBytes(f + "/RT_NODI.SHX") + FileBytes(f + "/RT_NODI.DBF") +
           (QFile::exists(QString::fromStdString(f + stale)) ? FileBytes(f + stale) : "");
  };
  const auto previousSet = [&](const std::string& f) {
    return write(previous, f, {}) && (WriteFileBytes(f + stale, "UTF-8"), true);
  };
  const auto kill = [&](const std::string& f) { return [&, f](const FileSetStep& s) { write(killed, f, s); }; };
  const auto killExport = [&](const std::string& f) {
    return [&, f](const FileSetStep& step) {
      ExportFileSet e(f, {"RT_HDORA.TXT", "RT_DTORA.TXT"});
      e.SetFolderWatch(watch);
      e.SetStepHook(step);
      e.Begin("RT_HDORA.TXT");
    };
  };
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(dir.Path("intera"))) && previousSet(dir.Path("intera")));
  const std::vector<std::string> steps = StepsOf(kill(dir.Path("intera")));
  struct Case {
    std::function<bool(const std::string& folder)> leave;  // what the folder is left with
    std::string told;                                      // the notice's beginning; "" for none
    const ShapeSetWriter* whole;                           // the set when the next one begins; null: nothing is written
  };
  std::vector<Case> cases;
  for (int k = 1; k <= static_cast<int>(steps.size()); ++k)
    cases.push_back({[&, k](const std::string& f) { return KilledAfterStep(k, kill(f)); },
                     k == static_cast<int>(steps.size()) ? "" : "ATTENZIONE: l'ultima scrittura dello shapefile",
                     k >= StepNumber(steps, "journal sostituzione") ? &killed : &previous});
  cases.push_back(
      {[](const std::string& f) { return WriteFileBytes(f + "/QUENDO_ESPORTAZIONE_IN_CORSO", "x\n"), true; },
       "ATTENZIONE: nella cartella\n", &previous});
  cases.push_back({[&](const std::string& f) { return KilledAfterStep(1, killExport(f)); },
                   "ATTENZIONE: l'ultima esportazione dati orari", nullptr});
  for (const Case& c : cases) {
    const std::string folder = dir.Path("uscita" + std::to_string(&c - cases.data()));
    SCOPED_TRACE(folder);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(folder)) && previousSet(folder) && c.leave(folder));
    Outcome told;
    std::string whenBegun;
    {
      NoticeCollector collect(told);
      EXPECT_EQ(write(next, folder,
                      [&](const std::string& done) {
                        if (done == "journal scrittura") whenBegun = inFolder(folder);
                      }),
                c.whole != nullptr);
    }
    ASSERT_EQ(told.messages.size(), c.told.empty() ? 0u : 1u);
    if (!c.told.empty()) {
      EXPECT_EQ(told.messages[0].text.substr(0, c.told.size()), c.told);
    }
    EXPECT_EQ(whenBegun, c.whole ? bytes(*c.whole) + (c.whole == &previous ? "UTF-8" : "") : "");
    EXPECT_EQ(inFolder(folder), c.whole ? bytes(next) : bytes(previous) + "UTF-8");
    EXPECT_EQ(Listing(folder), std::string(c.whole ? "" : "QUENDO_ESPORTAZIONE_IN_CORSO\n") +
                                   "RT_NODI.CPG\nRT_NODI.DBF\nRT_NODI.SHP\nRT_NODI.SHX\n" +
                                   (c.whole ? "" : "RT_NODI.cpg\n"));
  }
}

}  // namespace
