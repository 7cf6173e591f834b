// The IVU-InfoPool conversion's engine on hand-made sets copied into a folder of the test's own:
// the six files byte for byte as the hand-made expected ones, the faults of damaged, truncated
// and lying sets, and the values that the region's files could not carry.

#include "common/Cp1252.h"
#include "common/InputFile.h"
#include "conversions/ivu/IvuConversion.h"
#include "support/IvuSetData.h"
#include "support/ReadOnlyFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <algorithm>

using namespace ivu;

namespace {

const char* const kRtFiles[] = {"RT_PROTO.TXT", "RT_CADEN.TXT", "RT_CALEN.TXT",
                                "RT_HDORA.TXT", "RT_DTORA.TXT", "RT_PERIOD.TXT"};
const ClockTime kToday{2024, 3, 1, 8, 0, 0};

std::string Data(const std::string& set) { return TestDataDir() + "/conversions/" + set; }

struct IvuSetFixture : ::testing::Test {
  ScratchDir dir;
  const std::string in = dir.Path("ivu"), out = dir.Path("rt");
  void SetUp() override { ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out))); }
  void Copy(const std::string& set) { CopyIvuSet(set, in); }
  // Replaces line `n` (from 1) of a file of the input, or appends when n is 0.
  void Line(const std::string& file, size_t n, const std::string& text) { ReplaceIvuLine(in + "/" + file, n, text); }
  std::vector<std::string> Faults(const IvuReading& r) {
    std::vector<std::string> all;
    for (const IvuError& e : r.errors.Entries()) all.push_back(e.file + "|" + std::to_string(e.line) + "|" + e.message);
    return all;
  }
};

class IvuHandMadeSets : public IvuSetFixture, public ::testing::WithParamInterface<const char*> {};

TEST_P(IvuHandMadeSets, SixFilesAsTheHandMadeOnes) {
  Copy(GetParam());
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_TRUE(r.ok) << r.failedPath;
  EXPECT_EQ(Faults(r), std::vector<std::string>{});
  EXPECT_EQ(IvuCompanyText(r.set), "Versione 7 dal 01.03.2024 al 05.03.2024\nAzienda Prova\n");
  const IvuWriting w = WriteIvuRtFiles(r, 17, out, kToday, nullptr);
  ASSERT_TRUE(w.ok) << w.failedPath;
  for (const char* f : kRtFiles) EXPECT_EQ(FileBytes(out + "/" + f), FileBytes(Data(GetParam()) + "/atteso/" + f)) << f;
  EXPECT_EQ(Listing(out), "RT_CADEN.TXT\nRT_CALEN.TXT\nRT_DTORA.TXT\nRT_HDORA.TXT\nRT_PERIOD.TXT\nRT_PROTO.TXT\n");
}

INSTANTIATE_TEST_SUITE_P(Modes, IvuHandMadeSets, ::testing::Values("ivu_bitfeld", "ivu_cadenze"));

TEST_F(IvuSetFixture, ADamagedSetGathersEveryFault) {
  MakeDamagedIvuSet(in);
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(Faults(r), (std::vector<std::string>{
                           "betriebe|1|formato dati illegale", "|-1|Non trovo Fermata Fornitore=ABC ID=9",
                           "|-1|Non trovo Percorso Linea 12 Versione=7 Divisione=36000 Variante=1 Verso=1 Modello=2",
                           "versione|0|Non è ammissibile definire due o più versioni"}));
}

TEST_F(IvuSetFixture, ModelZeroIsNoModel) {
  Copy("ivu_bitfeld");
  Line("fd12.asc", 2, "1#0#07.05:00#3#2#07.45:00#BUS#0#C101#1111111#0#0#1##");
  EXPECT_EQ(Faults(ReadIvuSet(in, nullptr)),
            std::vector<std::string>{
                "|-1|Non trovo Percorso Linea 12 Versione=7 Divisione=36000 Variante=1 Verso=1 Modello=0"});
}

TEST_F(IvuSetFixture, AVersionFileWithoutRecord) {
  Copy("ivu_bitfeld");
  WriteFileBytes(in + "/versione.asc", "");
  const IvuReading r = ReadIvuSet(in, nullptr);
  EXPECT_EQ(Faults(r), std::vector<std::string>{"versione|0|Non è definita alcuna versione"});
}

TEST_F(IvuSetFixture, AnInvalidVersionDate) {
  Copy("ivu_bitfeld");
  Line("versione.asc", 1, "7#Orario invernale#31.02.2024#05.03.2024##");
  EXPECT_EQ(
      Faults(ReadIvuSet(in, nullptr)),
      std::vector<std::string>{"versione|1|Data di validità della versione non valida: dal 31.02.2024 al 05.03.2024"});
}

// Damaged input that would lose days, periods or trips, or give files the region refuses: each
// damage is a fault of the report, and such a set is never written.
struct DamageCase {
  const char* name;
  const char* set;
  std::vector<IvuEdit> edits;
  std::vector<std::string> faults;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class IvuDamage : public IvuSetFixture, public ::testing::WithParamInterface<DamageCase> {};

TEST_P(IvuDamage, IsAFaultOfTheReport) {
  Copy(GetParam().set);
  ApplyIvuEdits(in, GetParam().edits);
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_TRUE(r.ok) << r.failedPath;
  EXPECT_EQ(Faults(r), GetParam().faults);
}

const char* const kNoDataFile = "dateien|0|nessun file di percorsi (LD) e corse (FD) elencato";

INSTANTIATE_TEST_SUITE_P(
    Table, IvuDamage,
    ::testing::Values(
        DamageCase{"VersionEndsBeforeItBegins",
                   "ivu_bitfeld",
                   {{"versione.asc", 1, "7#Orario invernale#05.03.2024#01.03.2024##"}},
                   {"versione|1|Periodo di validità della versione non valido: il primo giorno 05.03.2024 è "
                    "successivo all'ultimo 01.03.2024"}},
        DamageCase{"EmptyTripFile", "ivu_bitfeld", {{"fd12.asc", -1, ""}}, {"FD12|0|nessuna corsa nel file"}},
        DamageCase{"EmptyFileList", "ivu_bitfeld", {{"dateien.asc", -1, ""}}, {kNoDataFile}},
        DamageCase{"JunkFileList",
                   "ivu_bitfeld",
                   {{"dateien.asc", -1, "qwerty\r\nLD12.asc\x01\r\n"}},
                   {"dateien|2|formato dati illegale", kNoDataFile}},
        DamageCase{
            "Utf16FileList",
            "ivu_bitfeld",
            {{"dateien.asc", -1, Utf16FileList()}},
            {"dateien|1|formato dati illegale", "dateien|2|formato dati illegale", "dateien|3|formato dati illegale",
             "dateien|4|formato dati illegale", "dateien|5|formato dati illegale", "dateien|6|formato dati illegale",
             "dateien|7|formato dati illegale", kNoDataFile}},
        DamageCase{"BitFieldWithANonDigit",
                   "ivu_bitfeld",
                   {{"bitfeld.asc", 2, "2#A0G#"}},
                   {"bitfeld|2|formato dati illegale"}},
        DamageCase{"EmptyBitField", "ivu_bitfeld", {{"bitfeld.asc", 1, "1##"}}, {"bitfeld|1|formato dati illegale"}},
        DamageCase{"TripOfAnUnknownBitField",
                   "ivu_bitfeld",
                   {{"fd12.asc", 3, "1#0#23.50:00#3#2#00.30:00#BUS#1#C102#1111111#0#0#9##"}},
                   {"|-1|Non trovo Bitfeld ID=9 Corsa=C102 Linea 12"}},
        DamageCase{"CalendarMarkNeitherXNorEmpty",
                   "ivu_cadenze",
                   {{"kalender.asc", 2, "02.03.2024##1##"}},
                   {"kalender|2|formato dati illegale"}},
        DamageCase{"CalendarMarkBeyondDayType255",
                   "ivu_cadenze",
                   {{"kalender.asc", 1, "01.03.2024#" + std::string(256, '#') + "x#"}},
                   {"kalender|1|formato dati illegale"}},
        DamageCase{"CalendarDateThatIsNoDay",
                   "ivu_cadenze",
                   {{"kalender.asc", 1, "30.02.2024#x###"}},
                   {"kalender|1|formato dati illegale"}},
        DamageCase{"CalendarMarkOfAnUndefinedDayType",
                   "ivu_cadenze",
                   {{"kalender.asc", 3, "03.03.2024##x##x#"}},
                   {"kalender|3|il tipo giorno 3 non è definito in betrtage"}},
        DamageCase{"TripOfAnUnknownDayType",
                   "ivu_cadenze",
                   {{"fd12.asc", 2, "1#0#23.50:00#3#2#00.30:00#BUS#1#C201#FER#0#0#0#SAB#DOM#"}},
                   {"|-1|Non trovo Tipo Giorno=DOM Corsa=C201 Linea 12"}},
        DamageCase{
            "EmptyCalendar", "ivu_cadenze", {{"kalender.asc", -1, ""}}, {"kalender|0|nessuna data nel calendario"}},
        DamageCase{"CalendarLineWithoutItsLastSeparator",
                   "ivu_cadenze",
                   {{"kalender.asc", 2, "02.03.2024###X"}},
                   {"kalender|2|formato dati illegale"}},
        DamageCase{"TripLineWithoutItsLastSeparator",
                   "ivu_cadenze",
                   {{"fd12.asc", 2, "1#0#23.50:00#3#2#00.30:00#BUS#1#C201#FER#0#0#0#SAB#FES"}},
                   {"FD12|2|formato dati illegale", "FD12|0|nessuna corsa nel file",
                    "|-1|Non trovo Percorso Linea 12 Versione=7 Divisione=36000 Variante=1 Verso=1 Modello=-1"}},
        DamageCase{"DayTypeGivenTwice",
                   "ivu_cadenze",
                   {{"betrtage.asc", 0, "0#FER#Feriale#"}},
                   {"betrtage|4|il tipo giorno 0 è già definito alla riga 1"}},
        DamageCase{"DayTypeCodeGivenTwice",
                   "ivu_cadenze",
                   {{"betrtage.asc", 0, "7#FES#Festivo#"}},
                   {"betrtage|4|il codice FES è già definito alla riga 2"}},
        DamageCase{"CalendarDateOfADayTypeGivenTwice",
                   "ivu_cadenze",
                   {{"kalender.asc", 0, "02.03.2024#x##X#"}},
                   {"kalender|4|la data 02.03.2024 del tipo giorno 2 è già definita alla riga 2"}},
        DamageCase{"BitFieldGivenTwice",
                   "ivu_bitfeld",
                   {{"bitfeld.asc", 0, "1#FF#"}},
                   {"bitfeld|3|il Bitfeld ID=1 è già definito alla riga 1"}},
        DamageCase{"VersionNumberNaN",
                   "ivu_bitfeld",
                   {{"versione.asc", 1, "NaN#Orario invernale#01.03.2024#05.03.2024##"}},
                   {"versione|1|formato dati illegale", "versione|0|Non è definita alcuna versione"}},
        DamageCase{"DistanceWithALetter",
                   "ivu_bitfeld",
                   {{"ld12.asc", 4, "2##1#48O0#0#2#18:00#02:00####"}},
                   {"LD12|4|formato dati illegale", "|-1|Non trovo Fermata Fornitore=ABC ID=-1"}},
        DamageCase{"TripWithoutDayType",
                   "ivu_cadenze",
                   {{"fd12.asc", 2, "1#0#23.50:00#3#2#00.30:00#BUS#1#C201##0#0#0##"}},
                   {"|-1|Nessun tipo giorno per la Corsa=C201 Linea 12"}}),
    [](const auto& p) { return std::string(p.param.name); });

// A trip over part of its route: its length and time are those of its own stops, it leaves its
// first stop at the time of its own line, and it runs on from there.
struct PartCase {
  const char* name;
  const char* trip;                // line 3 of fd12.asc, trip C102
  const char* head;                // lung|tempo|ct_lung|ct_tempo of C102
  std::vector<std::string> stops;  // sub|fermata|dist|arriva|parte of C102
};

void PrintTo(const PartCase& c, std::ostream* os) { *os << c.name; }

class IvuPartOfARoute : public IvuSetFixture, public ::testing::WithParamInterface<PartCase> {};

TEST_P(IvuPartOfARoute, CountsItsOwnStops) {
  Copy("ivu_bitfeld");
  Line("fd12.asc", 3, GetParam().trip);
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_EQ(Faults(r), std::vector<std::string>{});
  ASSERT_TRUE(WriteIvuRtFiles(r, 17, out, kToday, nullptr).ok);
  const auto field = [](const std::string& l, size_t at, size_t n) {
    return std::to_string(std::stol(l.substr(at, n)));
  };
  const std::string heads = FileBytes(out + "/RT_HDORA.TXT");
  const std::string h = heads.substr(heads.find("\r\n") + 2);
  ASSERT_EQ(h.substr(4, 10), "000001C102");
  EXPECT_EQ(field(h, 48, 8) + "|" + field(h, 56, 4) + "|" + field(h, 60, 8) + "|" + field(h, 68, 4), GetParam().head);
  std::vector<std::string> stops;
  const std::string details = FileBytes(out + "/RT_DTORA.TXT");
  for (size_t at = 0, end; (end = details.find("\r\n", at)) != std::string::npos; at = end + 2) {
    const std::string d = details.substr(at, end - at);
    if (d.substr(4, 6) == "000001")
      stops.push_back(field(d, 10, 4) + "|" + d.substr(14, 2) + "|" + field(d, 120, 8) + "|" + d.substr(128, 4) + "|" +
                      d.substr(132, 4));
  }
  EXPECT_EQ(stops, GetParam().stops);
}

// The route: F1 -(4200 m, 20 min)-> F2, 2 minutes there, -(4800 m, 18 min)-> F3.
INSTANTIATE_TEST_SUITE_P(Table, IvuPartOfARoute,
                         ::testing::Values(PartCase{"FromTheSecondStop",
                                                    "2#1#07.05:00#3#2#07.23:00#BUS#1#C102#1111111#0#0#2##",
                                                    "4800|18|4800|18",
                                                    {"1|F2|0|9999|0705", "2|F3|4800|0723|9999"}},
                                           PartCase{"ToTheSecondStop",
                                                    "1#0#07.05:00#2#1#07.25:00#BUS#1#C102#1111111#0#0#2##",
                                                    "4200|20|4200|20",
                                                    {"0|F1|0|9999|0705", "1|F2|4200|0725|9999"}},
                                           PartCase{"OneStopOnly",
                                                    "2#1#07.05:00#2#1#07.05:00#BUS#1#C102#1111111#0#0#2##",
                                                    "0|0|0|0",
                                                    {"1|F2|0|9999|0705"}}),
                         [](const auto& p) { return std::string(p.param.name); });

struct WidthCase {
  const char* name;
  const char* file;
  size_t line;
  const char* text;
  const char* fault;
};

class IvuWidths : public IvuSetFixture, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(IvuWidths, AValueWiderThanItsFieldIsAFault) {
  Copy("ivu_bitfeld");
  Line(GetParam().file, GetParam().line, GetParam().text);
  if (std::string(GetParam().file) == "ld12.asc" && GetParam().line == 1)
    Line("fd12.asc", 1, "12345678#7#36000#1#12345678#2#");
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_FALSE(r.errors.Empty());
  EXPECT_EQ(Faults(r).front(), GetParam().fault);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IvuWidths,
    ::testing::Values(WidthCase{"Codperc", "ld12.asc", 1, "12345678#7#1#36000#12345678#1#3#1#BUS##",
                                "RT_HDORA|1|il codice percorso supera i 20 caratteri (corsa C101 linea 12345678)"},
                      WidthCase{"Version", "versione.asc", 1, "1000000#Orario#01.03.2024#05.03.2024##",
                                "RT_PROTO|1|il valore 1000000 non entra nel campo protoc (numero di protocollo)"},
                      WidthCase{
                          "Length", "ld12.asc", 2, "1##0#-999999#0#1#20:00#00:00####",
                          "RT_HDORA|1|il valore -995199 non entra nel campo lung (lunghezza) (corsa C101 linea 12)"},
                      WidthCase{"Time", "ld12.asc", 2, "1##0#4200#0#1#9999:00#00:00####",
                                "RT_HDORA|1|il valore 10019 non entra nel campo tempo (tempo) (corsa C101 linea 12)"}),
    [](const auto& p) { return std::string(p.param.name); });

TEST_F(IvuSetFixture, ALongStopNameIsCutTo40) {
  Copy("ivu_bitfeld");
  Line("halteste.asc", 1, "0#ABC####F1#####" + std::string(60, 'N') + "###F1#Centro#");
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_TRUE(r.errors.Empty());
  ASSERT_TRUE(WriteIvuRtFiles(r, 17, out, kToday, nullptr).ok);
  const std::string stops = FileBytes(out + "/RT_DTORA.TXT");
  EXPECT_EQ(stops.substr(40, 40), std::string(40, 'N'));
  EXPECT_EQ(stops.find("\r\n"), 139u);
}

TEST_F(IvuSetFixture, AMissingDwellTimeCountsAsNone) {
  Copy("ivu_bitfeld");
  // The same route with two models: model 2 of stop 2 carries no dwell time.
  Line("ld12.asc", 1, "12#7#1#36000#1#1#3#2#BUS##");
  Line("ld12.asc", 2, "1##0#4200#0#1#20:00#00:00####20:00#00:00###");
  Line("ld12.asc", 3, "3##2#0#0#3#00:00#00:00####00:00#00:00###");
  Line("ld12.asc", 4, "2##1#4800#0#2#18:00#02:00####18:00#");
  Line("fd12.asc", 2, "1#0#07.05:00#3#2#07.45:00#BUS#2#C101#1111111#0#0#1##");
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_EQ(Faults(r), std::vector<std::string>{});
  ASSERT_TRUE(WriteIvuRtFiles(r, 17, out, kToday, nullptr).ok);
  // Stop 2 of trip 0: arrives 07.25 and leaves 07.25, not a second before.
  const std::string stops = FileBytes(out + "/RT_DTORA.TXT");
  EXPECT_EQ(stops.substr(141 + 128, 8), "07250725");
  EXPECT_EQ(FileBytes(out + "/RT_HDORA.TXT").substr(56, 4), "0038");
}

TEST_F(IvuSetFixture, TruncatedAndLyingFiles) {
  Copy("ivu_bitfeld");
  // A block that announces more trips than it has and a route whose last line is cut short.
  Line("fd12.asc", 1, "12#7#36000#1#1#2000000000#");
  WriteFileBytes(in + "/ld12.asc", FileBytes(in + "/ld12.asc").substr(0, 60));
  const IvuReading r = ReadIvuSet(in, nullptr);
  ASSERT_TRUE(r.ok);
  EXPECT_FALSE(r.errors.Empty());
  const auto faults = Faults(r);
  EXPECT_NE(std::find(faults.begin(), faults.end(), "LD12|3|formato dati illegale"), faults.end());
  EXPECT_NE(std::find(faults.begin(), faults.end(), "|-1|Non trovo Fermata Fornitore=ABC ID=-1"), faults.end());
}

TEST_F(IvuSetFixture, MissingFilesAreNamed) {
  Copy("ivu_cadenze");
  QFile::remove(cp1252::ToQString(in + "/betrtage.asc"));
  IvuReading r = ReadIvuSet(in, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedPath, in + "/betrtage.asc");
  ASSERT_TRUE(QDir(cp1252::ToQString(in)).removeRecursively());
  Copy("ivu_bitfeld");
  QFile::remove(cp1252::ToQString(in + "/fd12.asc"));
  r = ReadIvuSet(in, nullptr);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(r.failedPath, in + "/FD12.asc");
  EXPECT_EQ(r.Texts(), "Impossibile aprire\n\n" + in + "/FD12.asc\n" + kIvuStopped);
}

// Every file of a set that is a named pipe, or a link to one, is refused naming it, and the reading
// stops there as for a file that cannot be opened: it never waits for a writer.
TEST_F(IvuSetFixture, AFileThatIsAPipeIsRefusedNamingIt) {
  const struct {
    const char* set;
    const char* file;
    bool link;  // the name is a link to a pipe elsewhere
  } cases[] = {{"ivu_bitfeld", "lieferan.asc", false}, {"ivu_bitfeld", "betriebe.asc", false},
               {"ivu_bitfeld", "verkehrm.asc", false}, {"ivu_bitfeld", "versione.asc", false},
               {"ivu_bitfeld", "halteste.asc", false}, {"ivu_bitfeld", "bitfeld.asc", false},
               {"ivu_cadenze", "betrtage.asc", false}, {"ivu_cadenze", "kalender.asc", false},
               {"ivu_bitfeld", "dateien.asc", false},  {"ivu_bitfeld", "ld12.asc", false},
               {"ivu_bitfeld", "fd12.asc", false},     {"ivu_cadenze", "fd12.asc", true}};
  int made = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.set) + " " + c.file + (c.link ? " (link)" : ""));
    ASSERT_TRUE(QDir(cp1252::ToQString(in)).removeRecursively());
    Copy(c.set);
    const std::string named = in + "/" + c.file, pipe = c.link ? dir.Path("tubo" + std::to_string(++made)) : named;
    ASSERT_TRUE(QFile::remove(cp1252::ToQString(named)));
    MakePipe(pipe);
    if (c.link) {
      ASSERT_TRUE(QFile::link(cp1252::ToQString(pipe), cp1252::ToQString(named)));
    }
    const PipeWatchdog watchdog({pipe});
    const IvuReading r = ReadIvuSet(in, nullptr);
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.Texts(), "Impossibile aprire\n\n" + named + "\n\n" + kNotARegularFileText + "\n" + kIvuStopped);
  }
}

TEST_F(IvuSetFixture, AReadOnlyFolderGetsNoFile) {
  Copy("ivu_bitfeld");
  const IvuReading r = ReadIvuSet(in, nullptr);
  ReadOnlyFolder locked(out);
  const IvuWriting w = WriteIvuRtFiles(r, 17, out, kToday, nullptr);
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(w.failedPath, out + "/RT_PROTO.TXT");
  EXPECT_EQ(w.Texts(), "Impossibile creare\n\n" + out + "/RT_PROTO.TXT\n" + kIvuStopped);
  EXPECT_EQ(Listing(out), "");
}

TEST_F(IvuSetFixture, ACompanyOfFiveDigitsGetsNoFile) {
  Copy("ivu_bitfeld");
  const IvuWriting w = WriteIvuRtFiles(ReadIvuSet(in, nullptr), 10000, out, kToday, nullptr);
  EXPECT_FALSE(w.ok);
  EXPECT_EQ(
      w.Texts(),
      "ATTENZIONE: RT_PROTO.TXT, riga 1 (azienda scelta):\nil campo azienda (codice azienda) vale 10000, mentre il "
      "tracciato regionale vi ammette\nsolo numeri di 4 cifre al massimo, senza segno.\n\nNessun file è stato "
      "scritto: scegliere un'azienda il cui codice abbia al massimo 4 cifre.\n" +
          std::string(kIvuStopped));
  EXPECT_EQ(Listing(out), "");
}

}  // namespace
