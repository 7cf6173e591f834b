// The reader of shapefile sets on sets made by GDAL, on damaged sets (each damage its own case),
// and on thousands of sets cut short or with bytes changed at random.

#include "common/InputFile.h"
#include "conversions/georeferencing/Georeferencing.h"
#include "conversions/hyperplan/RouteConversion.h"
#include "conversions/microbus/MicroBusMaps.h"
#include "conversions/railway/RailArcs.h"
#include "conversions/railway/RailStations.h"
#include "conversions/routes/MultiLineRoutes.h"
#include "conversions/shapechecks/ShapeCheck.h"
#include "conversions/shapefiles/ShapeSetReader.h"
#include "conversions/shapefiles/ShapeSetWriter.h"
#include "conversions/stops/StopConversion.h"
#include "support/GdalTools.h"

#include "support/HandShapes.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include <cmath>
#include <cstdio>
#include <functional>
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
  EXPECT_EQ(reader.CodeOrName(1, record, *reader.FindField("SIGLA", 'C', 10)) + "|" +
                reader.CodeOrName(1, record, *reader.FindField("NOMEESTESO", 'C', 100)),
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

TEST(ShapeSetReader, ADeletedRecordIsReadAndUtf8TextsBecomeTheProgramsOwnOrAreRefused) {
  ScratchDir dir;
  const std::string path = GdalSet(dir, "nodi", {"\"POINT (1 2)\",1,F001,Località", "\"POINT (3 4)\",1,F002,Città"},
                                   {QStringLiteral("-lco"), QStringLiteral("ENCODING=UTF-8")});
  ASSERT_EQ(FileBytes(dir.Path("nodi.cpg")), "UTF-8");
  std::string dbf = FileBytes(dir.Path("nodi.dbf"));
  const std::size_t header = static_cast<unsigned char>(dbf[8]) + 256u * static_cast<unsigned char>(dbf[9]);
  dbf[header] = '*';  // the first record marked deleted
  WriteFileBytes(dir.Path("nodi.dbf"), dbf);
  const StopReading reading = ReadStopSet(path, HyperPlanStopTexts(), nullptr);
  ASSERT_TRUE(reading.ok) << reading.Failure();
  ASSERT_EQ(reading.stops.Count(), 2);
  EXPECT_EQ(reading.stops.Stops()[0].name + "|" + reading.stops.Stops()[1].name, "Località|Città");

  // A character Windows-1252 lacks is named, not turned into '?'.
  WriteFileBytes(dir.Path("polonia.csv"), kHeader +
                                              "\n\"POINT (1 2)\",1,F001,Lucca\n\"POINT (3 4)\",1,F002,\xC5\x81\xC3\xB3"
                                              "d\xC5\xBA\n");
  WriteFileBytes(dir.Path("polonia.csvt"), kTypes + "\n");
  MakeShapeSet(dir.Path("polonia.csv"), dir.Path("polonia.shp"),
               {QStringLiteral("-lco"), QStringLiteral("ENCODING=UTF-8")});
  const StopReading refused = ReadStopSet(dir.Path("polonia.shp"), HyperPlanStopTexts(), nullptr);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(
      refused.Failure(),
      "ATTENZIONE: lo Shape File indicato contiene valori che non possono\nessere convertiti in RT_NODI.SHP.\n\n" +
          dir.Path("polonia.dbf") +
          "\nIl record 1, campo NOMEESTESO, contiene un carattere che Windows-1252 non ha (U+0141).");
}

using hand::Put;
using hand::PutDouble;

// The route conversion on a set of one polyline of three points whose content is changed: the
// record is named as damaged and no route is read.
TEST(ShapeSetReader, PolylinesWhoseCountsPartsOrPointsDoNotFitAreDamaged) {
  static const ShapeLayout kRoutes{"PERCORSI", kPolylineShape, {{"ID MTRAM", 'X', 20}}};
  ShapeSetWriter w(kRoutes);
  w.AddPolyline(std::vector<Vertex>{{0, 0}, {1, 1}, {2, 2}}, {"R1"});
  const std::string valid = w.MainBytes();
  struct Case {
    const char* what;
    std::size_t at;
    std::int32_t value;
    const char* reason;
  };
  const char* kCounts = "Il record 0 dichiara parti o punti che non contiene.";
  const char* kOrder = "Il record 0 ha parti che non cominciano in ordine tra i suoi punti.";
  // Content starts at 108: NumParts at +36, NumPoints at +40, Parts[0] at +44, points at +48.
  for (const Case& c :
       {Case{"parts beyond the content", 144, 0x7FFFFFFF, kCounts}, Case{"points beyond the content", 148, 4, kCounts},
        Case{"negative points", 148, -1, kCounts}, Case{"points without a part", 144, 0, kCounts},
        Case{"part not at 0", 152, 1, kOrder}, Case{"part outside the points", 152, 4, kOrder},
        Case{"a point", 108, 1, "Il record 0 è di tipo 1, mentre lo Shape File è di tipo 3."},
        Case{"a polygon", 108, 5, "Il record 0 è di tipo 5, mentre lo Shape File è di tipo 3."},
        Case{"junk", 108, 0x4A554E4B, "Il record 0 ha un tipo di geometria sconosciuto (1247104587)."},
        Case{"a NaN point", 0, 0, "Il record 0 ha un punto di coordinate non utilizzabili (1, nan)."}}) {
    ScratchDir dir;
    std::string shp = valid;
    if (c.at > 0)
      Put(shp, c.at, c.value, 'L');
    else
      PutDouble(shp, 156 + 16 + 8, std::nan(""));
    WriteFileBytes(dir.Path("R.SHP"), shp);
    WriteFileBytes(dir.Path("R.SHX"), w.IndexBytes());
    WriteFileBytes(dir.Path("R.DBF"), w.TableBytes(kToday));
    const RouteReading reading = ReadRouteSet(dir.Path("R.SHP"), nullptr);
    EXPECT_FALSE(reading.ok) << c.what;
    EXPECT_TRUE(reading.lines.empty()) << c.what;
    EXPECT_EQ(reading.Failure(),
              "ATTENZIONE: lo Shape File indicato non può essere letto.\n\n" + dir.Path("R.SHP") + "\n" + c.reason)
        << c.what;
  }
}

const char* const kNotAFile = "Il file non è un file ordinario (è una pipe, un dispositivo o un socket).";

// A damage done to a valid HyperPlan stop set of two stops: the file (0 SHP, 1 SHX, 2 DBF, 3 CPG,
// which is not there unless made) and what is done.
struct Damage {
  const char* what;
  int file;
  void (*apply)(std::string& bytes);
  const char* reason;    // the fault's last line
  int failedFile;        // the file the message names
  bool value = false;    // a value the output cannot take, not damage
  const char* cpg = "";  // the .CPG written beside the set, when not empty
  bool pipe = false;     // the file is a named pipe
  bool swapped = false;  // ... only from between the reader's look at its name and its open
};

// Record i of the table: SIGLA at +1, NOMEESTESO at +11.
std::size_t NameAt(int i) { return 97 + 111 * static_cast<std::size_t>(i) + 11; }

class DamagedSets : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedSets, GiveOneMessageNamingTheFileAndNothingIsRead) {
  ScratchDir dir;
  static const ShapeLayout kStops{"NODI", kPointShape, {{"SIGLA", 'X', 10}, {"NOMEESTESO", 'X', 100}}};
  ShapeSetWriter w(kStops);
  w.AddPoint(1, 2, {"F001", "Uno"});
  w.AddPoint(3, 4, {"F002", "Due"});
  std::string files[4] = {w.MainBytes(), w.IndexBytes(), w.TableBytes(kToday), ""};
  const char* names[4] = {"NODI.SHP", "NODI.SHX", "NODI.DBF", "NODI.CPG"};
  const Damage& d = GetParam();
  if (d.apply) d.apply(files[d.file]);
  if (*d.cpg) files[3] = d.cpg;
  for (int k = 0; k < 4; ++k)
    if ((d.apply || k != d.file) && (k < 3 || !files[k].empty())) WriteFileBytes(dir.Path(names[k]), files[k]);
  if (d.pipe) MakePipe(dir.Path(names[d.file]));
  // Another program puts a pipe in the file's place once the reader has looked at its name.
  const std::string swapped = d.swapped ? dir.Path(names[d.file]) : std::string();
  SetInputOpeningStep([&swapped](const std::string& native) {
    if (native == swapped && ::unlink(native.c_str()) == 0) MakePipe(native);
  });
  NoticeLog notices;
  // Should the reader open the pipe, it would wait for a writer for good: one comes after a while,
  // and the read goes on to another message.
  const PipeWatchdog watchdog(d.pipe || d.swapped ? std::vector{dir.Path(names[d.file])} : std::vector<std::string>{});
  const StopReading reading = ReadStopSet(dir.Path("NODI.SHP"), HyperPlanStopTexts(), nullptr);
  SetInputOpeningStep({});
  EXPECT_FALSE(reading.ok);
  EXPECT_EQ(reading.stops.Count(), 0);
  EXPECT_EQ(reading.Failure(),
            std::string(d.value ? "ATTENZIONE: lo Shape File indicato contiene valori che non possono\nessere "
                                  "convertiti in RT_NODI.SHP.\n\n"
                                : "ATTENZIONE: lo Shape File indicato non può essere letto.\n\n") +
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
        Damage{"ContentLengthNegative", 1, [](std::string& b) { Put(b, 104, -10, 'B'); },
               "Il record 0 dichiara una lunghezza oltre la fine del file.", 0},
        Damage{"TableShorterThanTheIndex", 2, [](std::string& b) { b.resize(b.size() - 30); },
               "La tabella contiene meno record di quelli dell'indice.", 2},
        Damage{"TableHeaderLengthHuge", 2, [](std::string& b) { b[8] = '\xFF', b[9] = '\xFF'; },
               "La tabella contiene meno record di quelli dell'indice.", 2},
        Damage{"MissingIndex", 1, nullptr, "Il file non esiste.", 1},
        Damage{"MissingTable", 2, nullptr, "Il file non esiste.", 2},
        Damage{"IndexIsAPipe", 1, nullptr, kNotAFile, 1, false, "", true},
        Damage{"TableIsAPipe", 2, nullptr, kNotAFile, 2, false, "", true},
        Damage{"CodePageIsAPipe", 3, nullptr, kNotAFile, 3, false, "", true},
        Damage{"IndexSwappedForAPipe", 1, [](std::string&) {}, kNotAFile, 1, false, "", false, true},
        // The three files disagree.
        Damage{"IndexOneEntryFewer", 1, [](std::string& b) { b.resize(b.size() - 8), Put(b, 24, 54, 'B'); },
               "La tabella dichiara 2 record, l'indice 1.", 2},
        Damage{"IndexLengthNegative", 1, [](std::string& b) { Put(b, 24, -54, 'B'); },
               "L'indice contiene più voci di quante ne dichiari.", 1},
        Damage{"IndexMoreEntriesThanItSays", 1, [](std::string& b) { b += b.substr(108, 8); },
               "L'indice contiene più voci di quante ne dichiari.", 1},
        Damage{"IndexTypeDiffers", 1, [](std::string& b) { Put(b, 32, 3, 'L'); },
               "Il tipo di geometria dell'indice (3) è diverso da quello dello Shape File (1).", 1},
        Damage{"EntriesAtOneRecord", 1, [](std::string& b) { Put(b, 108, 50, 'B'); },
               "Le voci 0 e 1 dell'indice indicano lo stesso record o record sovrapposti.", 1},
        Damage{"EntryInsideAnotherRecord", 1, [](std::string& b) { Put(b, 108, 54, 'B'); },
               "Le voci 0 e 1 dell'indice indicano lo stesso record o record sovrapposti.", 1},
        Damage{"EntriesSwapped", 1, [](std::string& b) { b = b.substr(0, 100) + b.substr(108, 8) + b.substr(100, 8); },
               "Il record 0 non corrisponde alla sua voce dell'indice.", 0},
        Damage{"RecordLengthDiffersFromItsEntry", 0, [](std::string& b) { Put(b, 104, 12, 'B'); },
               "Il record 0 non corrisponde alla sua voce dell'indice.", 0},
        Damage{"RecordTheIndexLacks", 0, [](std::string& b) { b += b.substr(128, 28), Put(b, 156, 3, 'B'); },
               "Il file contiene record che l'indice non elenca.", 0},
        Damage{"TableCountsMore", 2, [](std::string& b) { Put(b, 4, 3, 'L'); },
               "La tabella dichiara 3 record, l'indice 2.", 2},
        Damage{"TableCountsFewer", 2, [](std::string& b) { Put(b, 4, 1, 'L'); },
               "La tabella dichiara 1 record, l'indice 2.", 2},
        Damage{"TableRecordLengthZero", 2, [](std::string& b) { b[10] = 0, b[11] = 0; },
               "La lunghezza dei record della tabella (0 byte) non corrisponde a quella dei suoi campi (111 byte).", 2},
        Damage{"TableFieldWidthZero", 2, [](std::string& b) { b[32 + 16] = 0; },
               "Il campo SIGLA della tabella ha larghezza 0.", 2},
        // Records that are no place, or not points.
        Damage{"PointNaN", 0, [](std::string& b) { PutDouble(b, 112, std::nan("")); },
               "Il record 0 ha coordinate non utilizzabili (nan, 2).", 0},
        Damage{"PointInfinite", 0, [](std::string& b) { PutDouble(b, 128 + 20, -HUGE_VAL); },
               "Il record 1 ha coordinate non utilizzabili (3, -inf).", 0},
        Damage{"PointAbsurd", 0, [](std::string& b) { PutDouble(b, 112, 1e300); },
               "Il record 0 ha coordinate non utilizzabili (1e+300, 2).", 0},
        Damage{"RecordOfAPolyline", 0, [](std::string& b) { Put(b, 136, 3, 'L'); },
               "Il record 1 è di tipo 3, mentre lo Shape File è di tipo 1.", 0},
        Damage{"RecordOfJunk", 0, [](std::string& b) { Put(b, 136, 77, 'L'); },
               "Il record 1 ha un tipo di geometria sconosciuto (77).", 0},
        // Values RT_NODI cannot take as they stand.
        Damage{"ControlByteInName", 2, [](std::string& b) { b[NameAt(0) + 1] = '\x07'; },
               "Il record 0, campo NOMEESTESO, contiene un carattere di controllo (0x07).", 2, true},
        Damage{"TextAfterAZeroByte", 2, [](std::string& b) { b[NameAt(1) + 3] = '\0', b[NameAt(1) + 4] = 'X'; },
               "Il record 1, campo NOMEESTESO, contiene un carattere di controllo (0x00).", 2, true},
        Damage{"UndefinedByteInCode", 2, [](std::string& b) { b[NameAt(1) - 10 + 1] = '\x81'; },
               "Il record 1, campo SIGLA, contiene un carattere di controllo (0x81).", 2, true},
        // The .CPG as Notepad saves it, a byte-order mark first: the table is read as UTF-8.
        Damage{"Utf8NameBesideACpgWithAByteOrderMark", 2,
               [](std::string& b) { b[NameAt(0)] = '\xC5', b[NameAt(0) + 1] = '\x81'; },
               "Il record 0, campo NOMEESTESO, contiene un carattere che Windows-1252 non ha (U+0141).", 2, true,
               "\xEF\xBB\xBFutf-8\r\n"}),
    [](const auto& param) { return std::string(param.param.what); });

// A code or a name that holds a control byte, in a set made by GDAL, read by each reader of stop and route sets for
// use as a code or a name: the set is refused, naming the .DBF, the record and the field; a value the reader does not
// use (another company's code) is not looked at.
struct PlantedValue {
  const char* name;
  std::string header, types;
  std::vector<std::string> rows;  // the first '#' of the .DBF's records becomes `byte`
  char byte;
  std::function<Outcome(const std::string& shp)> read;
  std::string reason;       // the record and the field named; empty: the set is read
  std::string output = "";  // what the values cannot be converted into; empty: used
  std::string after = "";   // the messages after the refusal; for a set read, its messages
  std::string more = "";    // what the '#'s right after the first become
};
void PrintTo(const PlantedValue& c, std::ostream* os) { *os << c.name; }

class PlantedValues : public ::testing::TestWithParam<PlantedValue> {};

TEST_P(PlantedValues, AreRefusedNamingFileRecordAndField) {
  const PlantedValue& c = GetParam();
  ScratchDir dir;
  MakeShapeSet(WriteCsv(dir, "set", c.header, c.types, c.rows), dir.Path("set.shp"));
  std::string dbf = FileBytes(dir.Path("set.dbf"));
  const std::size_t at = dbf.find('#');
  ASSERT_NE(at, std::string::npos);
  dbf[at] = c.byte;
  dbf.replace(at + 1, c.more.size(), c.more);
  WriteFileBytes(dir.Path("set.dbf"), dbf);
  NoticeLog notices;
  const Outcome read = c.read(dir.Path("set.shp"));
  EXPECT_EQ(notices.Texts(), "");
  if (c.reason.empty()) {
    EXPECT_TRUE(read.ok) << read.Texts();
    EXPECT_EQ(read.Texts(), c.after);
    return;
  }
  EXPECT_FALSE(read.ok);
  EXPECT_EQ(read.Texts(), "ATTENZIONE: lo Shape File indicato contiene valori che non possono\nessere " +
                              (c.output.empty() ? "utilizzati" : "convertiti in " + c.output) + ".\n\n" +
                              dir.Path("set.dbf") + "\n" + c.reason + c.after);
}

const char* const kNodiHeader = "WKT,AZIENDA,COD_FERM,DENOM";
const char* const kNodiTypes = "\"WKT\",\"Integer(5)\",\"String(10)\",\"String(40)\"";
const std::vector<std::string> kNodiRows = {"\"POINT (1 2)\",36,F1,Uno", "\"POINT (3 4)\",36,F#2,Due"};
const char* const kItinHeader = "WKT,AZIENDA,COD_PERC,DESCR";
const char* const kItinTypes = "\"WKT\",\"Integer(5)\",\"String(20)\",\"String(120)\"";

// Each reader of a stop or route set, on the set at `shp` (company 36).
Outcome Georeference(const std::string& shp) {
  GeoStopList list;
  return GeoreferenceStops(shp, list, 36, true);
}
Outcome MicroBusStops(const std::string& shp) {
  MapStopTable stops;
  return ReadMicroBusStops(shp, 36, stops, nullptr);
}
Outcome MicroBusArcs(const std::string& shp) {
  MapArcTable arcs;
  return ReadMicroBusArcs(shp, arcs, nullptr);
}
Outcome HyperPlanStops(const std::string& shp) {
  StopReading reading = ReadStopSet(shp, HyperPlanStopTexts(), nullptr);
  for (const StopNode& stop : reading.stops.Stops()) reading.Inform("[" + stop.code + "|" + stop.name + "]");
  return reading;  // each stop read told as [code|name]
}
Outcome Stations(const std::string& shp) { return ReadStationSet(shp, 36, nullptr); }
Outcome RailArcs(const std::string& shp) { return ReadArcSet(shp, nullptr); }
Outcome MultiLines(const std::string& shp) { return ReadMultiLineRoutes(shp, nullptr); }
template <ShapeCheckKind kind>
Outcome Checked(const std::string& shp) {
  return ReadShapeCheckSet(kind, shp, 36, nullptr);
}

std::string ControlIn(int record, const char* field, const char* byte) {
  return Format("Il record %d, campo %s, contiene un carattere di controllo (0x%s).", record, field, byte);
}
const std::string kGeoFailed = "\n" + GeoreferenceFailedText();
const std::string kCheckFailed =
    "\n\nLo Shape File indicato risulta totalmente inutilizzabile\ne non deve essere inoltrato all'Osservatorio "
    "Traporti.";
const char* const kArcTypes = "\"WKT\",\"String(10)\",\"String(10)\"";
const std::vector<std::string> kCodeAtTheEnd = {"\"POINT (1 2)\",36,F1,Uno", "\"POINT (3 4)\",36,F2#,Due"};
const std::vector<std::string> kOtherCompany = {"\"POINT (1 2)\",36,F1,Uno", "\"POINT (3 4)\",99,F#2,Due"};
const std::vector<std::string> kArcs = {"\"LINESTRING (0 0,1 1)\",A,B", "\"LINESTRING (1 1,2 2)\",B,#C"};
const std::vector<std::string> kRoute = {"\"LINESTRING (0 0,1 1)\",36,P#1,Aulla Citta"};
const std::vector<std::string> kRouteName = {"\"LINESTRING (0 0,1 1)\",36,P1,Aulla #Citta"};
const char* const kHyperPlanHeader = "WKT,sigla,nomeesteso";
const char* const kHyperPlanTypes = "\"WKT\",\"String(10)\",\"String(100)\"";
std::vector<std::string> OnePoint(const std::string& values) { return {"\"POINT (1 2)\"," + values}; }

INSTANTIATE_TEST_SUITE_P(
    ShapeSetReader, PlantedValues,
    ::testing::Values(
        // The stop codes that RT_FMREG, the communication's return flow, would carry as they stand.
        PlantedValue{"LineEndInAGeoreferencedCode", kNodiHeader, kNodiTypes, kNodiRows, '\r', Georeference,
                     ControlIn(1, "COD_FERM", "0D"), "", kGeoFailed},
        PlantedValue{"TabInAGeoreferencedCode", kNodiHeader, kNodiTypes, kNodiRows, '\t', Georeference,
                     ControlIn(1, "COD_FERM", "09"), "", kGeoFailed},
        PlantedValue{"DelInAGeoreferencedCode", kNodiHeader, kNodiTypes, kNodiRows, '\x7F', Georeference,
                     ControlIn(1, "COD_FERM", "7F"), "", kGeoFailed},
        PlantedValue{"UndefinedByteInAGeoreferencedCode", kNodiHeader, kNodiTypes, kNodiRows, '\x81', Georeference,
                     ControlIn(1, "COD_FERM", "81"), "", kGeoFailed},
        PlantedValue{"OtherUndefinedByteInAGeoreferencedCode", kNodiHeader, kNodiTypes, kNodiRows, '\x8D', Georeference,
                     ControlIn(1, "COD_FERM", "8D"), "", kGeoFailed},
        // White space ending a value is taken away with the blanks that pad it; inside a value it stays refused.
        PlantedValue{"TabEndingAGeoreferencedCode", kNodiHeader, kNodiTypes, kCodeAtTheEnd, '\t', Georeference, ""},
        PlantedValue{"TabEndingAStopCode", kHyperPlanHeader, kHyperPlanTypes, OnePoint("A1#,Beta"), '\t',
                     HyperPlanStops, "", "", "[A1|Beta]"},
        PlantedValue{"LineEndEndingAStopName", kHyperPlanHeader, kHyperPlanTypes, OnePoint("A1,Beta##"), '\r',
                     HyperPlanStops, "", "", "[A1|Beta]", "\n"},
        PlantedValue{"BlankAndLineEndEndingAStopName", kHyperPlanHeader, kHyperPlanTypes, OnePoint("A1,Beta###"), ' ',
                     HyperPlanStops, "", "", "[A1|Beta]", "\r\n"},
        PlantedValue{"TabInsideAStopName", kHyperPlanHeader, kHyperPlanTypes, OnePoint("A1,Be#ta"), '\t',
                     HyperPlanStops, ControlIn(0, "NOMEESTESO", "09"), "RT_NODI.SHP"},
        PlantedValue{"TabEndingACheckedStopName", kNodiHeader, kNodiTypes, OnePoint("36,F1,Babylon#"), '\t',
                     Checked<ShapeCheckKind::Stops>, ""},
        PlantedValue{"AnotherCompanysCodeIsNotRead", kNodiHeader, kNodiTypes, kOtherCompany, '\r', Georeference, ""},
        PlantedValue{"MicroBusStopCode", kNodiHeader, kNodiTypes, kNodiRows, '\t', MicroBusStops,
                     ControlIn(1, "COD_FERM", "09"), "RT_ITIN.SHP"},
        PlantedValue{"MicroBusArcEnd", "WKT,ABBREVIAZI,ABBREVIA0", kArcTypes, kArcs, '\x1A', MicroBusArcs,
                     ControlIn(1, "ABBREVIA0", "1A"), "RT_ITIN.SHP"},
        PlantedValue{"RailwayStationCode", kNodiHeader, kNodiTypes, kNodiRows, '\x90', Stations,
                     ControlIn(1, "COD_FERM", "90")},
        PlantedValue{"RailwayArcEnd", "WKT,NODO_INI,NODO_FIN", kArcTypes, kArcs, '\n', RailArcs,
                     ControlIn(1, "NODO_FIN", "0A"), "RT_ITIN.SHP"},
        PlantedValue{"MultiLineRouteDescription", kItinHeader, kItinTypes, kRouteName, '\x9D', MultiLines,
                     ControlIn(0, "DESCR", "9D"), "RT_ITIN.SHP"},
        PlantedValue{"CheckedStopCode", kNodiHeader, kNodiTypes, kNodiRows, '\x8F', Checked<ShapeCheckKind::Stops>,
                     ControlIn(1, "COD_FERM", "8F"), "", kCheckFailed},
        PlantedValue{"CheckedRouteCode", kItinHeader, kItinTypes, kRoute, '\r', Checked<ShapeCheckKind::Routes>,
                     ControlIn(0, "COD_PERC", "0D"), "", kCheckFailed}),
    [](const auto& param) { return std::string(param.param.name); });

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
      for (const DbfField& f : reader.Fields()) ASSERT_LE(reader.CodeOrName(i, record, f).size(), record.size());
    }
    reader.FinishWarnings();
  }
  EXPECT_GT(opened, 1000);  // most damages leave the headers readable: the records were gone through
}

}  // namespace

// The readers find their fields by the columns of the layouts the writer lays out: every column of
// every layout written comes back with its value; a column repeated gives the first field to
// FindField and FirstField and the last to LastField; a field longer than its column, or a text
// where the column holds a number, is not the column.
TEST(ShapeSetReader, ColumnsOfTheLayoutsAsWrittenAndRead) {
  ScratchDir dir;
  const ShapeLayout repeated{
      "DOPPI",
      kPointShape,
      {{"DENOM", 'X', 41}, kStopCodeColumn, kCompanyColumn, kStopCodeOtherColumn, kCompanyColumn, {"DESCR", 'N', 5}}};
  const ShapeLayout* layouts[] = {&StopsLayout(), &RoutesLayout(), &RailArcsLayout(), &repeated};
  for (const ShapeLayout* layout : layouts) {
    ShapeSetWriter writer(*layout);
    std::vector<std::string> values;
    for (std::size_t c = 0; c < layout->columns.size(); ++c) values.push_back(std::to_string(c + 1));
    std::vector<std::string_view> views(values.begin(), values.end());
    if (layout->shapeType == kPointShape) {
      if (views.size() == 3) writer.AddPoint(1, 2, {views[0], views[1], views[2]});
      if (views.size() == 6) writer.AddPoint(1, 2, {views[0], views[1], views[2], views[3], views[4], views[5]});
    } else if (views.size() == 3) {
      writer.AddPolyline(std::vector<Vertex>{{0, 0}, {1, 1}}, {views[0], views[1], views[2]});
    } else {
      writer.AddPolyline(std::vector<Vertex>{{0, 0}, {1, 1}}, {views[0], views[1]});
    }
    std::string failed;
    ASSERT_TRUE(writer.WriteTo(dir.Path(layout->name), kToday, failed)) << failed;
    ShapeSetReader reader;
    std::string failure = "unchanged";
    ASSERT_TRUE(reader.Open(dir.Path(std::string(layout->name) + ".shp"), failure)) << failure;
    EXPECT_EQ(failure, "unchanged");
    std::string_view record;
    ASSERT_TRUE(reader.Record(0, record));
    const auto value = [&](const DbfField* f) {
      if (!f) return std::string("-");
      return f->type == 'N' ? std::to_string(reader.Number(record, *f)) : reader.CodeOrName(0, record, *f);
    };
    std::string read;
    for (const ShapeColumn& column : layout->columns) read += value(reader.FindField(column)) + " ";
    read += "| " + value(reader.FirstField({kStopCodeOtherColumn, kStopCodeColumn})) + " " +
            value(reader.LastField({kStopCodeColumn, kStopCodeOtherColumn})) + " " +
            value(reader.LastField({kCompanyColumn})) + " " + value(reader.FindField(kStopNameColumn)) + " " +
            value(reader.FindField(kRouteDescriptionColumn));
    const char* expected = layout == &StopsLayout()      ? "1 2 3 | 2 2 1 3 -"
                           : layout == &RoutesLayout()   ? "1 2 3 | - - 1 - 3"
                           : layout == &RailArcsLayout() ? "1 2 | - - - - -"
                                                         : "1 2 3 4 3 6 | 4 4 5 - -";
    EXPECT_EQ(read, expected) << layout->name;
  }
  ShapeSetReader reader;
  std::string failure;
  EXPECT_FALSE(reader.Open(dir.Path("MANCANTE.shp"), failure));
  EXPECT_EQ(failure, reader.Fault());
  EXPECT_FALSE(failure.empty());
}
