// The stops' georeferencing of "&Esportazione dati (VUR-TXT v2)" run in the real program: RT_NODI
// sets made by ogr2ogr (and judged well formed by ogrinfo), chosen in the open dialog; the
// coordinates in the communication's stop rows and RT_FMREG against the hand-made file.

#include "app/AppTestSupport.h"
#include "support/CommunicationData.h"
#include "support/GdalTools.h"
#include "support/GeoreferencingTexts.h"

#include "common/InputFile.h"

#include <locale.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>

namespace {

const std::string kSuccess =
    "La generazione della Prima Comunicazione in formato VUR-TXT v2\nè terminata con successo.\n\n"
    "Il file della Comunicazione può essere inoltrato all'Osservatorio Trasporti.";

const std::string kHeader = "WKT,AZIENDA,COD_FERMA,DENOM";
const std::string kTypes = "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"";
// Two points of company 17 whose codes are stops, one of another company, a null shape, a
// second F01 that comes too late to count.
const std::vector<std::string> kPoints = {"\"POINT (1234.456 4812.004)\",17,F01,Aulla",
                                          "\"POINT (10 20)\",99,F02,Altra", ",17,F03,Senza forma",
                                          "\"POINT (5000.5 6000.25)\",17,F02,Olivola", "\"POINT (1 2)\",17,F01,Doppia"};

class CommunicationGeoDriver : public DriverFiles {
 protected:
  void SetUp() override {
    MakeCommunicationDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
  }
  // A first communication with the georeferencing left on; `chosen` answers the open dialog.
  DriverRun Run(const std::string& chosen) {
    return RunDriver(
        settings,
        {"dialog 148", "  1175=1", "ok", chosen, "file " + comm, "file " + base, "file " + idreg, "file " + fmreg},
        {"5170"}, 0);
  }
  std::string Nodi(const std::string& name, const std::string& types, const std::vector<std::string>& rows,
                   const std::string& header = kHeader) {
    // A set of points even when no row has a shape.
    MakeShapeSet(WriteCsv(dir, name, header, types, rows), dir.Path(name + ".shp"),
                 {QStringLiteral("-nlt"), QStringLiteral("POINT")});
    return dir.Path(name + ".shp");
  }
  std::vector<std::string> StopRows() {
    const std::vector<std::string> lines = vurtxt_check::Lines(FileBytes(comm));
    std::vector<std::string> rows;
    for (const std::string& l : lines)
      if (l.rfind("1\t", 0) == 0 || l.rfind("2\t", 0) == 0 || l.rfind("3\t", 0) == 0)
        if (vurtxt_check::FieldCount(l) == 7) rows.push_back(l.substr(l.rfind('\t', l.rfind('\t') - 1) + 1));
    return rows;
  }
  const std::string db = dir.Path("orari.mdb");
  const std::string comm = dir.Path("RT2_17_1.TXT"), base = dir.Path("RT2_17_1_BASE.TXT"),
                    idreg = dir.Path("RT_IDREG.TXT"), fmreg = dir.Path("RT_FMREG.TXT");
};

TEST_F(CommunicationGeoDriver, CoordinatesOfTheCompanysPointsByCode) {
  const std::string nodi = Nodi("rt_nodi", kTypes, kPoints);
  const std::string info = OgrInfoFeatures(nodi);
  EXPECT_NE(info.find("Geometry: Point"), std::string::npos) << info;
  EXPECT_NE(info.find("Feature Count: 5"), std::string::npos) << info;
  EXPECT_NE(info.find("POINT (1234.456 4812.004)"), std::string::npos) << info;

  const DriverRun run = Run("file " + nodi);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const std::vector<std::string> files = LinesStartingWith(run.transcript, "FILE");
  ASSERT_EQ(files.size(), 5u);
  EXPECT_EQ(files[0].substr(0, 61), "FILE\tRecupero Georeferenziazione Fermate\tRT_NODI\tShapeFile (*");
  EXPECT_EQ(StopRows(), (std::vector<std::string>{"1234.46\t4812.00", "5000.50\t6000.25", "0.00\t0.00"}));
  EXPECT_EQ(vurtxt_check::Faults(FileBytes(comm), false), "");
  EXPECT_EQ(FileBytes(fmreg), ExpectedCommunicationFile("RT_FMREG_GEO.TXT"));
  EXPECT_EQ(Boxes(run).back(), Box(0x40, kSuccess));
  EXPECT_EQ(Boxes(run).size(), 2u);
}

// A stop of the communication without a code: the point of another company keeps an empty code
// and comes first in the set, yet the stop takes no coordinates; the coded stops still do.
TEST_F(CommunicationGeoDriver, StopWithoutCodeTakesNoCoordinates) {
  RunSql(db, "UPDATE detcor SET fermata = '' WHERE fermata = 'F03';");
  const DriverRun run = Run("file " + Nodi("rt_nodi", kTypes, kPoints));
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(Boxes(run).back(), Box(0x40, kSuccess));
  std::vector<std::string> rows = StopRows();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows.front(), "0.00\t0.00");  // the stop without a code sorts first
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, (std::vector<std::string>{"0.00\t0.00", "1234.46\t4812.00", "5000.50\t6000.25"}));
  EXPECT_EQ(vurtxt_check::Faults(FileBytes(comm), false), "");
  // The set's points are listed all the same, the foreign one with a blank code.
  EXPECT_EQ(FileBytes(fmreg), ExpectedCommunicationFile("RT_FMREG_GEO.TXT"));
}

TEST_F(CommunicationGeoDriver, FailuresAndVariantsOfTheSet) {
  const std::string wide = "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(50)\"";
  const std::string cut = Nodi("cut", kTypes, kPoints);
  {
    const std::string bytes = FileBytes(cut);
    WriteFileBytes(cut, bytes.substr(0, bytes.size() - 10));
  }
  // The same set with its first record marked deleted in the .DBF: the mark is not looked at.
  const std::string deleted = Nodi("deleted", kTypes, kPoints);
  {
    const std::string dbf = deleted.substr(0, deleted.size() - 4) + ".dbf";
    std::string bytes = FileBytes(dbf);
    const std::size_t headerLength = static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    ASSERT_EQ(bytes[headerLength], ' ');
    bytes[headerLength] = '*';
    WriteFileBytes(dbf, bytes);
  }
  // A code of the company's holding a line end, which RT_FMREG would carry as it stands: planted
  // in the .DBF, as GDAL writes a line end inside a value as LF.
  const std::string control = Nodi("controllo", kTypes, {"\"POINT (1 2)\",17,F#0,Aulla", kPoints[3]});
  const std::string controlTable = dir.Path("controllo.dbf");
  {
    std::string bytes = FileBytes(controlTable);
    ASSERT_NE(bytes.find('#'), std::string::npos);
    bytes[bytes.find('#')] = '\r';
    WriteFileBytes(controlTable, bytes);
  }
  const std::vector<std::string> none = {"0.00\t0.00", "0.00\t0.00", "0.00\t0.00"};
  const std::vector<std::string> all = {"1234.46\t4812.00", "5000.50\t6000.25", "0.00\t0.00"};
  const std::string allPoints = ExpectedCommunicationFile("RT_FMREG_GEO.TXT");
  struct Case {
    std::string chosen;
    std::vector<std::string> boxes;  // before the success
    std::vector<std::string> rows;   // the stops' coordinates
    std::string fmreg;
  };
  std::vector<Case> cases = {
      {"file " + Nodi("wide", wide, kPoints), {Box(0x10, kGeoRefused), Box(0x10, kGeoUnreadable)}, none, ""},
      {"file " + Nodi("none", kTypes, {",17,F01,Uno", ",17,F02,Due"}), {Box(0x40, kGeoNoPoint)}, none, ""},
      {"file " + cut, {Box(0x10, kGeoUnreadable)}, none, ""},
      // A field of a type the routine does not read, before AZIENDA: the fields after it are
      // still found where they are.
      {"file " + Nodi("real", "\"WKT\",\"Real(12.3)\",\"Integer(5)\",\"String(10)\",\"String(40)\"",
                      {"\"POINT (3 4)\",1.5,17,F01,Uno"}, "WKT,QUOTA,AZIENDA,COD_FERMA,DENOM"),
       {},
       {"3.00\t4.00", "0.00\t0.00", "0.00\t0.00"},
       "0017F01       000000000000003.00000000004.00\r\n"},
      // The code in a field named COD_FERM.
      {"file " + Nodi("ferm", kTypes, kPoints, "WKT,AZIENDA,COD_FERM,DENOM"), {}, all, allPoints},
      {"file " + deleted, {}, all, allPoints},
      {"cancel", {Box(0x10, kGeoNotChosen)}, none, ""},
      {"file " + control,
       {Box(0x10, "ATTENZIONE: lo Shape File indicato contiene valori che non possono\nessere utilizzati.\n\n" +
                      controlTable + "\nIl record 0, campo COD_FERMA, contiene un carattere di controllo (0x0D)."),
        Box(0x10, kGeoUnreadable)},
       none,
       ""},
      // A point of an absurd coordinate, even of another company: the set is damaged, and the
      // communication and its base carry no coordinate they could not read back.
      {"file " + Nodi("absurd", kTypes, {kPoints[0], "\"POINT (1e300 20)\",99,F02,Altra"}),
       {Box(0x10, kGeoUnreadable)},
       none,
       ""},
  };
  // A file of the set that is a named pipe or a device: named, never waited on, and the
  // communication goes on without coordinates.
  std::vector<std::string> pipes;
  for (const auto& [ext, device] :
       {std::pair{"shp", false}, {"shx", false}, {"dbf", false}, {"cpg", false}, {"dbf", true}}) {
    const std::string name = std::string(device ? "device_" : "pipe_") + ext, file = dir.Path(name + "." + ext);
    const std::string nodi = Nodi(name, kTypes, kPoints);
    std::remove(file.c_str());
    if (device) {
      ASSERT_EQ(::symlink("/dev/null", file.c_str()), 0);
    } else {
      MakePipe(file);
      pipes.push_back(file);
    }
    cases.push_back({"file " + nodi,
                     {Box(0x10, "ATTENZIONE: lo Shape File indicato non può essere letto.\n\n" + file + "\n" +
                                    kNotARegularFileText),
                      Box(0x10, kGeoUnreadable)},
                     none,
                     ""});
  }
  const PipeWatchdog watchdog(pipes);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.chosen);
    std::remove(fmreg.c_str());
    const DriverRun run = Run(c.chosen);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::vector<std::string> boxes = Boxes(run);
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), Box(0x40, kSuccess));
    boxes.pop_back();
    boxes.erase(boxes.begin());  // the first-communication question
    EXPECT_EQ(boxes, c.boxes);
    EXPECT_EQ(StopRows(), c.rows);
    EXPECT_EQ(FileBytes(fmreg), c.fmreg);
  }
}

// A base's bytes as an earlier build wrote them on an Italian desktop: the stops' coordinates with
// a decimal comma, and the check value of their section summed over those.
std::string WithDecimalCommas(const std::string& bytes) {
  std::vector<std::string> lines = vurtxt_check::Lines(bytes), stops;
  auto row =
      std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("<fermate>", 0) == 0; });
  if (row == lines.end()) return bytes;
  for (++row; row->rfind("</fermate>", 0) != 0; ++row) {
    const size_t y = row->rfind('\t'), x = row->rfind('\t', y - 1);
    (*row)[row->find('.', x)] = ',';
    (*row)[row->find('.', y)] = ',';
    stops.push_back(*row);
  }
  *row = "</fermate>" + std::to_string(vurtxt_check::CheckValue(stops));
  return vurtxt_check::Bytes(lines);
}

// On an Italian desktop (the locale taken from the environment) the C library writes and reads a
// decimal comma: the first communication and the incremental one from its base, both
// georeferenced, write the same bytes and say the same as under C, and the incremental reads back
// the base written under the Italian locale, and the base an earlier build wrote there with
// decimal commas.
TEST_F(CommunicationGeoDriver, TheSameBytesOnAnItalianDesktop) {
  const locale_t italian = newlocale(LC_ALL_MASK, "it_IT.UTF-8", static_cast<locale_t>(nullptr));
  ASSERT_TRUE(italian) << "the it_IT.UTF-8 locale is missing: scripts/deps.sh makes it";
  freelocale(italian);
  const std::string nodi = Nodi("rt_nodi", kTypes, kPoints);
  const std::vector<std::string> files = {comm,
                                          base,
                                          idreg,
                                          fmreg,
                                          dir.Path("RT2_17_2.TXT"),
                                          dir.Path("RT2_17_2_BASE.TXT"),
                                          dir.Path("ID2.TXT"),
                                          dir.Path("FM2.TXT")};
  std::map<std::string, std::vector<std::string>> written, said;
  for (const std::string variant : {"C", "it_IT.UTF-8", "commas"}) {
    SCOPED_TRACE(variant);
    const std::string locale = variant == "C" ? "C" : "it_IT.UTF-8";
    const ScopedEnv all("LC_ALL", locale), lang("LANG", locale);
    for (const std::string& f : files) std::remove(f.c_str());
    for (const char* end : {"", "-wal", "-shm", "-journal"}) std::remove((db + end).c_str());
    MakeCommunicationDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    const DriverRun first = Run("file " + nodi);
    EXPECT_EQ(Boxes(first).back(), Box(0x40, kSuccess));
    EXPECT_EQ(StopRows(), (std::vector<std::string>{"1234.46\t4812.00", "5000.50\t6000.25", "0.00\t0.00"}));
    if (variant == "commas") WriteFileBytes(base, WithDecimalCommas(FileBytes(base)));
    const DriverRun next = RunDriver(settings,
                                     {"dialog 148", "file " + base, "file " + nodi, "file " + files[4],
                                      "file " + files[5], "file " + files[6], "file " + files[7]},
                                     {"5170"}, 0);
    const std::string incremental = "0x40\tLa generazione della Comunicazione Incrementale in formato VUR-TXT v2";
    EXPECT_EQ(Boxes(next).back().substr(0, incremental.size()), incremental);
    EXPECT_EQ(vurtxt_check::Faults(FileBytes(files[5]), true), "");
    for (const std::string& f : files) written[variant].push_back(FileBytes(f));
    said[variant] = first.transcript;
    said[variant].insert(said[variant].end(), next.transcript.begin(), next.transcript.end());
  }
  EXPECT_EQ(written["C"][3], ExpectedCommunicationFile("RT_FMREG_GEO.TXT"));
  for (size_t k = 0; k < files.size(); ++k) {
    SCOPED_TRACE(files[k]);
    EXPECT_FALSE(written["C"][k].empty());
    EXPECT_EQ(written["it_IT.UTF-8"][k], written["C"][k]);
    if (files[k] != base) {
      EXPECT_EQ(written["commas"][k], written["C"][k]);
    }
  }
  EXPECT_NE(written["commas"][1].find("\t1234,46\t4812,00\r\n"), std::string::npos);
  EXPECT_EQ(said["it_IT.UTF-8"], said["C"]);
  EXPECT_EQ(said["commas"], said["C"]);
}

}  // namespace
