// The reader of shapefile sets on sets made by GDAL, on damaged sets (each damage its own case),
// and on thousands of sets cut short or with bytes changed at random.

#include "common/ByteOrder.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "conversions/stops/StopConversion.h"
#include "support/GdalTools.h"

#include <gtest/gtest.h>
#include <QFile>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace {

const ClockTime kToday{2024, 3, 1, 8, 0, 0};
const std::string kHeader = "WKT,val,sigla,nomeesteso";
const std::string kTypes = "\"WKT\",\"Real(12.3)\",\"String(10)\",\"String(100)\"";

// A set made by ogr2ogr from the rows (WKT, val, sigla, nomeesteso), as dir/name.shp.
std::string GdalSet(const ScratchDir& dir, const std::string& name, const std::vector<std::string>& rows,
                    const QStringList& more = {}) {
  const std::string csv = WriteCsv(dir, name, kHeader, kTypes, rows);
  MakeShapeSet(csv, dir.Path(name + ".shp"), more);
  return dir.Path(name + ".shp");
}

TEST(ShapeSetReader, FieldsOfAGdalSetNumbersWithDecimalsAndOtherTypes) {
  ScratchDir dir;
  const std::string path = GdalSet(dir, "nodi", {"\"POINT (1 2)\",1.5,F001,Uno", "\"POINT (3 4)\",2.25,F002,Due"});
  // The number field becomes F: a type the fields after it must still be found behind.
  std::string dbf = FileBytes(dir.Path("nodi.dbf"));
  dbf[32 + 11] = 'F';
  WriteFileBytes(dir.Path("nodi.dbf"), dbf);
  ShapeSetReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Fault();
  std::string layout;
  for (const DbfField& f : reader.Fields())
    layout += f.name + " " + f.type + std::to_string(f.length) + "." + std::to_string(f.decimals) + " " +
              std::to_string(f.offset) + "+" + std::to_string(f.width) + "\n";
  EXPECT_EQ(layout, "VAL F12.3 0+12\nSIGLA C10.0 12+10\nNOMEESTESO C100.0 22+100\n");
  std::string_view record;
  ASSERT_TRUE(reader.Record(1, record));
  EXPECT_EQ(reader.Text(record, *reader.FindField("SIGLA", 'C', 10)) + "|" +
                reader.Text(record, *reader.FindField("NOMEESTESO", 'C', 100)),
            "F002|Due");

  // As GDAL writes it, N(12,3): length 8, 3 decimals, 12 bytes wide.
  const std::string numbers = GdalSet(dir, "numeri", {"\"POINT (1 2)\",1.5,A,B"});
  ASSERT_TRUE(reader.Open(numbers));
  const DbfField* val = reader.FindField("VAL", 'N', 8);
  ASSERT_NE(val, nullptr);
  EXPECT_EQ(std::vector<int>({val->length, val->decimals, val->width}), std::vector<int>({8, 3, 12}));
  EXPECT_EQ(reader.FindField("VAL", 'N', 7), nullptr);
}

TEST(ShapeSetReader, AMultiPartLineIsWarnedOfAndKeepsItsFirstPart) {
  ScratchDir dir;
  std::vector<std::string> rows{"\"MULTILINESTRING ((0 0,1 1),(2 2,3 3,4 4),(5 5,6 6))\",1,A,B",
                                "\"LINESTRING (7 7,8 8,9 9)\",1,C,D"};
  for (int k = 0; k < 6; ++k) rows.push_back("\"MULTILINESTRING ((0 0,1 1),(2 2,3 3))\",1,E,F");
  const std::string path = GdalSet(dir, "linee", rows, {QStringLiteral("-nlt"), QStringLiteral("MULTILINESTRING")});
  NoticeLog notices;
  ShapeSetReader reader;
  ASSERT_TRUE(reader.Open(path)) << reader.Fault();
  reader.SetMultiPartRule(true);
  ShapeRecord shape;
  std::vector<std::string> kept;
  for (int i = 0; i < reader.Count(); ++i) {
    ASSERT_TRUE(reader.Shape(i, shape));
    std::string line = std::to_string(shape.parts) + ":";
    for (const Vertex& v : shape.points) line += " " + std::to_string(static_cast<int>(v.x));
    kept.push_back(line);
  }
  reader.FinishWarnings();
  EXPECT_EQ(kept[0], "3: 0 1");
  EXPECT_EQ(kept[1], "1: 7 8 9");
  ASSERT_EQ(notices.Notices().size(), 6u);
  EXPECT_EQ(notices.Notices()[0].text,
            "ATTENZIONE: l'entità 0 è rappresentata da 3 linee.\n\nVerrà conservata esclusivamente la 1^ linea, "
            "mentre le successive\nverranno eliminate !!!");
  EXPECT_EQ(notices.Notices()[0].icon, NoticeIcon::Exclamation);
  EXPECT_TRUE(HasPrefix(notices.Notices()[4].text, "ATTENZIONE: l'entità 5 è rappresentata da 2 linee."));
  EXPECT_TRUE(HasPrefix(notices.Notices()[5].text, "ATTENZIONE: altre 2 entità sono rappresentate da più linee."));
}

TEST(ShapeSetReader, ADeletedRecordIsReadAndUtf8TextsBecomeTheProgramsOwn) {
  ScratchDir dir;
  const std::string path = GdalSet(dir, "nodi", {"\"POINT (1 2)\",1,F001,Località", "\"POINT (3 4)\",1,F002,Città"},
                                   {QStringLiteral("-lco"), QStringLiteral("ENCODING=UTF-8")});
  ASSERT_EQ(FileBytes(dir.Path("nodi.cpg")), "UTF-8");
  std::string dbf = FileBytes(dir.Path("nodi.dbf"));
  const std::size_t header = static_cast<unsigned char>(dbf[8]) + 256u * static_cast<unsigned char>(dbf[9]);
  dbf[header] = '*';  // the first record marked deleted
  WriteFileBytes(dir.Path("nodi.dbf"), dbf);
  const StopReading reading = ReadStopSet(path, HyperPlanStopTexts(), nullptr);
  ASSERT_TRUE(reading.ok) << reading.failure;
  ASSERT_EQ(reading.stops.Count(), 2);
  EXPECT_EQ(reading.stops.Stops()[0].name + "|" + reading.stops.Stops()[1].name, "Località|Città");
}

TEST(ShapeSetReader, PolylinesWhoseCountsOrPartsDoNotFitHaveNoPart) {
  ShapeSetWriter w(RoutesLayout());
  w.AddPolyline(std::vector<Vertex>{{0, 0}, {1, 1}, {2, 2}}, {"1", "A", "B"});
  const std::string valid = w.MainBytes();
  struct Case {
    const char* what;
    std::size_t at;
    std::int32_t value;
  };
  // Content starts at 108: NumParts at +36, NumPoints at +40, Parts[0] at +44.
  for (const Case& c : {Case{"parts beyond the content", 144, 0x7FFFFFFF}, Case{"points beyond the content", 148, 4},
                        Case{"negative points", 148, -1}, Case{"no part", 144, 0}, Case{"part not at 0", 152, 1},
                        Case{"part outside the points", 152, 3}}) {
    ScratchDir dir;
    std::string shp = valid;
    std::string value;
    AppendInt32(value, c.value, 'L');
    shp.replace(c.at, 4, value);
    WriteFileBytes(dir.Path("R.SHP"), shp);
    WriteFileBytes(dir.Path("R.SHX"), w.IndexBytes());
    WriteFileBytes(dir.Path("R.DBF"), w.TableBytes(kToday));
    ShapeSetReader reader;
    ASSERT_TRUE(reader.Open(dir.Path("R.SHP")));
    ShapeRecord shape;
    ASSERT_TRUE(reader.Shape(0, shape)) << c.what;
    EXPECT_EQ(shape.parts, 0) << c.what;
    EXPECT_TRUE(shape.points.empty()) << c.what;
  }
}

// A damage done to a valid set of two stops: the file (0 SHP, 1 SHX, 2 DBF) and what is done.
struct Damage {
  const char* what;
  int file;
  void (*apply)(std::string& bytes);
  const char* reason;  // the fault's last line
  int failedFile;      // the file the message names
};

void Put(std::string& bytes, std::size_t at, std::int32_t value, char order) {
  std::string v;
  AppendInt32(v, value, order);
  bytes.replace(at, 4, v);
}

// The conversion's reading with the fields of RT_NODI as its required ones.
const StopConversionTexts kStopFields{"", "COD_FERM", "DENOM", "", ""};

class DamagedSets : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedSets, GiveOneMessageNamingTheFileAndNothingIsRead) {
  ScratchDir dir;
  ShapeSetWriter w(StopsLayout());
  w.AddPoint(1, 2, {"36", "F001", "Uno"});
  w.AddPoint(3, 4, {"36", "F002", "Due"});
  std::string files[3] = {w.MainBytes(), w.IndexBytes(), w.TableBytes(kToday)};
  const char* names[3] = {"RT_NODI.SHP", "RT_NODI.SHX", "RT_NODI.DBF"};
  const Damage& d = GetParam();
  if (d.apply) d.apply(files[d.file]);
  for (int k = 0; k < 3; ++k)
    if (d.apply || k != d.file) WriteFileBytes(dir.Path(names[k]), files[k]);
  NoticeLog notices;
  const StopReading reading = ReadStopSet(dir.Path("RT_NODI.SHP"), kStopFields, nullptr);
  EXPECT_FALSE(reading.ok);
  EXPECT_EQ(reading.stops.Count(), 0);
  EXPECT_EQ(reading.failure, std::string("ATTENZIONE: lo Shape File indicato non può essere letto.\n\n") +
                                 dir.Path(names[d.failedFile]) + "\n" + d.reason);
  EXPECT_EQ(notices.Texts(), "");
}

INSTANTIATE_TEST_SUITE_P(
    ShapeSetReader, DamagedSets,
    ::testing::Values(
        Damage{"ShpHeaderCut", 0, [](std::string& b) { b.resize(60); }, "L'intestazione del file è incompleta.", 0},
        Damage{"ShxHeaderCut", 1, [](std::string& b) { b.resize(99); }, "L'intestazione del file è incompleta.", 1},
        Damage{"DbfHeaderCut", 2, [](std::string& b) { b.resize(31); }, "L'intestazione della tabella è incompleta.",
               2},
        Damage{"ShpFileCode", 0, [](std::string& b) { Put(b, 0, 9995, 'B'); },
               "Il file non è uno Shape File (codice del file diverso da 9994).", 0},
        Damage{"ShxFileCode", 1, [](std::string& b) { Put(b, 0, 9994, 'L'); },
               "Il file non è un indice di Shape File (codice del file diverso da 9994).", 1},
        Damage{"DbfVersion", 2, [](std::string& b) { b[0] = 0x30; }, "La tabella non è in formato dBase III.", 2},
        Damage{"DbfFieldListCut", 2, [](std::string& b) { b.resize(80); },
               "L'elenco dei campi della tabella è incompleto.", 2},
        Damage{"IndexLongerThanItsFile", 1, [](std::string& b) { Put(b, 24, 50 + 4 * 1000, 'B'); },
               "L'indice dichiara più voci di quante ne contenga.", 1},
        Damage{"IndexLengthHuge", 1, [](std::string& b) { Put(b, 24, 0x7FFFFFFF, 'B'); },
               "L'indice dichiara più voci di quante ne contenga.", 1},
        Damage{"EntryPastTheEnd", 1, [](std::string& b) { Put(b, 108, 500, 'B'); },
               "La voce 1 dell'indice indica un record oltre la fine del file.", 0},
        Damage{"NegativeEntry", 1, [](std::string& b) { Put(b, 100, -4, 'B'); },
               "La voce 0 dell'indice indica un record oltre la fine del file.", 0},
        Damage{"ContentLengthHuge", 1, [](std::string& b) { Put(b, 104, 0x7FFFFFFF, 'B'); },
               "Il record 0 dichiara una lunghezza oltre la fine del file.", 0},
        Damage{"TableShorterThanTheIndex", 2, [](std::string& b) { b.resize(b.size() - 30); },
               "La tabella contiene meno record di quelli dell'indice.", 2},
        Damage{"TableHeaderLengthHuge", 2, [](std::string& b) { b[8] = '\xFF', b[9] = '\xFF'; },
               "La tabella contiene meno record di quelli dell'indice.", 2},
        Damage{"MissingIndex", 1, nullptr, "Il file non esiste.", 1},
        Damage{"MissingTable", 2, nullptr, "Il file non esiste.", 2}),
    [](const auto& param) { return std::string(param.param.what); });

const char* const kExtensions[3] = {"SHP", "SHX", "DBF"};

// Thousands of sets cut at a random length or with bytes changed at random: the reader never
// reads outside the bytes there (the sanitizers watch), and a set it takes has sound counts.
TEST(ShapeSetReader, RandomCutsAndByteFlipsNeverReadOutsideTheFiles) {
  ShapeSetWriter points(StopsLayout()), lines(RoutesLayout());
  for (int k = 0; k < 5; ++k) points.AddPoint(k, k * 2.5, {"36", "F" + std::to_string(k), "Fermata"});
  for (int k = 0; k < 4; ++k)
    lines.AddPolyline(std::vector<Vertex>{{0, 0}, {1.0 * k, 2}, {3, 4}, {5, 1.0 * k}}, {"36", "P", "Percorso"});
  // A record of three parts, patched in: NumParts 3, Parts 0 1 2 take the place of the first points.
  std::string lineShp = lines.MainBytes();
  Put(lineShp, 108 + 36, 3, 'L');
  Put(lineShp, 108 + 48, 1, 'L');
  Put(lineShp, 108 + 52, 2, 'L');
  const std::string sets[2][3] = {{points.MainBytes(), points.IndexBytes(), points.TableBytes(kToday)},
                                  {lineShp, lines.IndexBytes(), lines.TableBytes(kToday)}};
  ScratchDir dir;
  std::mt19937 random(19);
  NoticeLog notices;
  int opened = 0;
  for (int round = 0; round < 4000; ++round) {
    const auto& set = sets[round % 2];
    std::string files[3] = {set[0], set[1], set[2]};
    std::string& victim = files[random() % 3];
    if (random() % 2 == 0) {
      victim.resize(random() % (victim.size() + 1));
    } else {
      for (int flips = 1 + static_cast<int>(random() % 8); flips > 0; --flips)
        victim[random() % victim.size()] = static_cast<char>(random());
    }
    // New files each round (rewriting a file in place costs the file system far more).
    const std::string base = dir.Path("F" + std::to_string(round));
    for (int k = 0; k < 3; ++k) WriteFileBytes(base + "." + kExtensions[k], files[k]);
    ShapeSetReader reader;
    const bool open = reader.Open(base + ".SHP");
    for (const char* ext : kExtensions) std::remove((base + "." + ext).c_str());
    if (!open) continue;
    ++opened;
    reader.SetMultiPartRule(true);
    ShapeRecord shape;
    std::string_view record;
    for (int i = 0; i < reader.Count(); ++i) {
      if (!reader.Shape(i, shape) || !reader.Record(i, record)) break;
      ASSERT_LE(shape.points.size(), files[0].size() / 16);
      for (const DbfField& f : reader.Fields()) ASSERT_LE(reader.Text(record, f).size(), record.size());
    }
    reader.FinishWarnings();
  }
  EXPECT_GT(opened, 1000);  // most damages leave the headers readable: the records were gone through
}

}  // namespace
