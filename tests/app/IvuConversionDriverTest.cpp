// The IVU-InfoPool conversion 5184 end to end through the headless driver: the hand-made sets of
// both modes give the six hand-made files, which the whole import 5120 then takes into a fresh
// database; a damaged set offers ERRORI_IVU; missing inputs and an output folder that cannot be
// written stop the command with its two messages and no file.

#include "app/AppTestSupport.h"
#include "support/ExchangeData.h"
#include "support/IvuSetData.h"
#include "support/KilledExport.h"

#include <QDir>
#include <QFile>

namespace {

const char* const kRtFiles[] = {"RT_CADEN.TXT", "RT_CALEN.TXT",  "RT_DTORA.TXT",
                                "RT_HDORA.TXT", "RT_PERIOD.TXT", "RT_PROTO.TXT"};
const std::string kTextFilter = "File di testo (*.txt)|*.txt|Tutti i files (*.*)|*.*||";
const std::string kSourceLine =
    "FILE\tImportazione Formato IVU - InfoPool\tDATEIEN\tFile di testo (*.asc)|*.asc|Tutti i files (*.*)|*.*||";
const std::string kOutputLine = "FILE\tEsportazione Dati Orari\tRT_PROTO\t" + kTextFilter;
const std::string kStopped =
    "ATTENZIONE: a causa dell'errore precedente non è stato possibile\n"
    "possibile portare a termine l'importazione dati dal formato IVU";
const std::string kDamaged =
    "I files proposti per l'importazione degli Orari Corsa dal formato IVU-Infopool\n"
    "risultano danneggiati, corrotti oppure mal generati.\n\n"
    "Vuoi salvare il Report completo degli errori ?";

std::string Data(const std::string& set) { return TestDataDir() + "/conversions/" + set; }

struct IvuDriver : DriverFiles {
  const std::string db = dir.Path("orari.mdb"), in = dir.Path("ivu"), out = dir.Path("rt");
  void SetUp() override {
    MakeTimetableDatabase(db);
    WriteSettings(settings, {"Database=" + db, "Directory=" + dir.Dir()});
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(out)));
  }
  void Copy(const std::string& set) { CopyIvuSet(set, in); }
  DriverRun Convert(const std::vector<std::string>& answers, bool withoutOverride = false) {
    return RunDriver(settings, answers, {"--now", "2024-03-01 08:00", "5184"}, 0, 0, withoutOverride);
  }
  std::vector<std::string> Answers() const {
    return {"file " + in + "/dateien.asc", "dialog 153", "  1204=0017", "file " + out + "/RT_PROTO.TXT"};
  }
};

class IvuHandMade : public IvuDriver, public ::testing::WithParamInterface<const char*> {};

TEST_P(IvuHandMade, WritesTheSixHandMadeFiles) {
  Copy(GetParam());
  const DriverRun run = Convert(Answers());
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"), (std::vector<std::string>{kSourceLine, kOutputLine}));
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"),
            std::vector<std::string>{"DIALOG\t153\tConversione Files IVU - InfoPool"});
  // No closing message.
  EXPECT_EQ(Boxes(run), std::vector<std::string>{});
  const size_t widths[] = {74, 42, 139, 229, 37, 74};
  for (size_t k = 0; k < 6; ++k) {
    const std::string bytes = FileBytes(out + "/" + kRtFiles[k]);
    EXPECT_EQ(bytes, FileBytes(Data(GetParam()) + "/atteso/" + kRtFiles[k])) << kRtFiles[k];
    for (size_t at = 0, end; (end = bytes.find("\r\n", at)) != std::string::npos; at = end + 2)
      EXPECT_EQ(end - at, widths[k]) << kRtFiles[k];
  }
  EXPECT_EQ(Listing(out), "RT_CADEN.TXT\nRT_CALEN.TXT\nRT_DTORA.TXT\nRT_HDORA.TXT\nRT_PERIOD.TXT\nRT_PROTO.TXT\n");
}

// A journal that came from elsewhere in the output folder, naming a notes file to remove: the
// conversion says it was not obeyed, leaves the notes file and writes its six files.
TEST_P(IvuHandMade, AJournalFromElsewhereIsToldNotObeyed) {
  Copy(GetParam());
  WriteLines(out + "/appunti.txt", {"appunti"});
  WriteFileBytes(out + "/QUENDO_ESPORTAZIONE_IN_CORSO",
                 JournalText("0123456789abcdef0123456789abcdef", "fase ripristino\nfile 0 appunti.txt\nfine\n"));
  const DriverRun run = Convert(Answers());
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(
                            0x30, "ATTENZIONE: nella cartella\n" + out +
                                      "\nc'era un file QUENDO_ESPORTAZIONE_IN_CORSO che non è stato scritto da questo "
                                      "programma.\n\nLe sue indicazioni non sono state eseguite: è stato eliminato, "
                                      "e nessun altro file della cartella è stato toccato.")});
  EXPECT_EQ(FileBytes(out + "/appunti.txt"), "appunti\r\n");
  EXPECT_EQ(Listing(out),
            "RT_CADEN.TXT\nRT_CALEN.TXT\nRT_DTORA.TXT\nRT_HDORA.TXT\nRT_PERIOD.TXT\nRT_PROTO.TXT\nappunti.txt\n");
}

TEST_P(IvuHandMade, CancellingTheCompanyOrTheFolderWritesNothing) {
  Copy(GetParam());
  for (const std::vector<std::string>& answers :
       {std::vector<std::string>{"file " + in + "/dateien.asc", "dialog 153 cancel"},
        std::vector<std::string>{"file " + in + "/dateien.asc", "dialog 153", "  1204=0017", "cancel"}}) {
    const DriverRun run = Convert(answers);
    EXPECT_EQ(Boxes(run), std::vector<std::string>{});
    EXPECT_EQ(Listing(out), "");
  }
}

// What the whole import made of the converted files: heads, stops and periods of every trip.
struct RoundTrip {
  const char* set;
  const char* heads;    // id|codcorsa|codlinea|verso|codperc|parte|arriva|lung|tempo|ente
  const char* stops;    // id|sub|fermata|denom|ubicaz|dist|arriva|parte (the blank ubicaz is stored NULL)
  const char* periods;  // id|caden|inizio|fine|escluso
  const char* dayTypes;
  const char* calendar;  // data|caden
};

class IvuRoundTrip : public IvuDriver, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(IvuRoundTrip, TheWholeImportTakesWhatTheConversionWrote) {
  Copy(GetParam().set);
  Convert(Answers());
  // A fresh database of the same company.
  const std::string fresh = dir.Path("nuovo.mdb");
  MakeTimetableDatabase(fresh);
  WriteSettings(settings, {"Database=" + fresh, "Directory=" + dir.Dir()});
  const DriverRun run =
      RunDriver(settings, {"file " + out + "/RT_PROTO.TXT", "file " + out + "/RT_CADEN.TXT"}, {"5120"});
  EXPECT_EQ(Boxes(run),
            std::vector<std::string>{Box(0x40, "L'importazione complessiva dei dati è terminata con successo.")});
  const auto q = [&](const std::string& sql) { return QueryFile(fresh, sql); };
  EXPECT_EQ(q("SELECT azienda, protoc, datini, datfin, rtrim(resple) FROM master"),
            "17|7|2024-03-01|2024-03-05|Filtro Conversione IVU-Infopool\n");
  EXPECT_EQ(
      q("SELECT id, codcorsa, codlinea, verso, codperc, parte, arriva, lung, tempo, ente FROM tescor ORDER BY id"),
      GetParam().heads);
  EXPECT_EQ(q("SELECT id, sub, fermata, denom, quote(ubicaz), dist, arriva, parte FROM detcor ORDER BY id, sub"),
            GetParam().stops);
  EXPECT_EQ(q("SELECT id, caden, inizio, fine, escluso FROM period ORDER BY id, inizio"), GetParam().periods);
  EXPECT_EQ(q("SELECT rtrim(codice) FROM cadenz ORDER BY codice"), GetParam().dayTypes);
  EXPECT_EQ(q("SELECT data, rtrim(caden) FROM calend ORDER BY data, caden"), GetParam().calendar);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, IvuRoundTrip,
    ::testing::Values(
        // C102 leaves at 23.50: 20 minutes to Via Roma, at 00.10, 2 minutes there, 18 to Ospedale.
        RoundTrip{"ivu_bitfeld",
                  "0|C101|12|A|1273600011|705|745|9000|40|0\n"
                  "1|C102|12|A|1273600011|2350|30|9000|40|0\n",
                  "0|0|F1|Piazza Stazione|NULL|0|9999|705\n"
                  "0|1|F2|Via Roma|NULL|4200|725|727\n"
                  "0|2|F3|Ospedale|NULL|9000|745|9999\n"
                  "1|0|F1|Piazza Stazione|NULL|0|9999|2350\n"
                  "1|1|F2|Via Roma|NULL|4200|10|12\n"
                  "1|2|F3|Ospedale|NULL|9000|30|9999\n",
                  // Bit field F8 (days 1 to 5) and A0 (days 1 and 3): one UNICA period a day.
                  "0|UNICA|2024-03-01|2024-03-01|0\n0|UNICA|2024-03-02|2024-03-02|0\n"
                  "0|UNICA|2024-03-03|2024-03-03|0\n0|UNICA|2024-03-04|2024-03-04|0\n"
                  "0|UNICA|2024-03-05|2024-03-05|0\n"
                  "1|UNICA|2024-03-01|2024-03-01|0\n1|UNICA|2024-03-03|2024-03-03|0\n",
                  "UNICA\n",
                  "2024-03-01|UNICA\n2024-03-02|UNICA\n2024-03-03|UNICA\n2024-03-04|UNICA\n2024-03-05|UNICA\n"},
        // One trip of three day codes: three trips, each over the whole version.
        RoundTrip{"ivu_cadenze",
                  "0|C201|12|A|1273600011|2350|30|9000|40|0\n"
                  "1|C201|12|A|1273600011|2350|30|9000|40|0\n"
                  "2|C201|12|A|1273600011|2350|30|9000|40|0\n",
                  "0|0|F1|Piazza Stazione|NULL|0|9999|2350\n0|1|F2|Via Roma|NULL|4200|10|12\n"
                  "0|2|F3|Ospedale|NULL|9000|30|9999\n"
                  "1|0|F1|Piazza Stazione|NULL|0|9999|2350\n1|1|F2|Via Roma|NULL|4200|10|12\n"
                  "1|2|F3|Ospedale|NULL|9000|30|9999\n"
                  "2|0|F1|Piazza Stazione|NULL|0|9999|2350\n2|1|F2|Via Roma|NULL|4200|10|12\n"
                  "2|2|F3|Ospedale|NULL|9000|30|9999\n",
                  "0|FER|2024-03-01|2024-03-05|0\n1|SAB|2024-03-01|2024-03-05|0\n2|FES|2024-03-01|2024-03-05|0\n",
                  "FER\nFES\nSAB\n", "2024-03-01|FER\n2024-03-02|SAB\n2024-03-03|FES\n"}),
    [](const auto& p) { return std::string(p.param.set); });

INSTANTIATE_TEST_SUITE_P(Modes, IvuHandMade, ::testing::Values("ivu_bitfeld", "ivu_cadenze"));

struct IvuDamaged : IvuDriver {
  void SetUp() override {
    IvuDriver::SetUp();
    MakeDamagedIvuSet(in);
  }
};

TEST_F(IvuDamaged, OkAndAFileWriteTheReportAndNoRtFile) {
  const std::string report = dir.Path("ERRORI_IVU.TXT");
  const DriverRun run = Convert({"file " + in + "/dateien.asc", "ok", "file " + report});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x11, kDamaged)});
  EXPECT_EQ(LinesStartingWith(run.transcript, "FILE\t"),
            (std::vector<std::string>{kSourceLine, "FILE\tReport Errori Riscontrati\tERRORI_IVU\t" + kTextFilter}));
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"), std::vector<std::string>{});
  const std::string rule(72, '=');
  EXPECT_EQ(FileBytes(report),
            rule + "\r\n01/03/2024 08.00 Report verifica Files IVU-INFOPOOL\r\nCartella: " + in + "\r\n" + rule +
                "\r\n\r\n"
                "FILE=betriebe RIGA=1 - formato dati illegale\r\n"
                "Non trovo Fermata Fornitore=ABC ID=9\r\n"
                "Non trovo Percorso Linea 12 Versione=7 Divisione=36000 Variante=1 Verso=1 Modello=2\r\n"
                "FILE=versione RIGA=0 - Non \xE8 ammissibile definire due o pi\xF9 versioni\r\n");
  EXPECT_EQ(Listing(out), "");
  EXPECT_EQ(Listing(in).find("RT_"), std::string::npos);
  EXPECT_EQ(Listing(dir.Dir()).find("RT_"), std::string::npos);
}

TEST_F(IvuDamaged, CancelWritesNothing) {
  const std::string before = Listing(dir.Dir());
  for (const std::vector<std::string>& answers :
       {std::vector<std::string>{"file " + in + "/dateien.asc", "cancel"},
        std::vector<std::string>{"file " + in + "/dateien.asc", "ok", "cancel"}}) {
    const DriverRun run = Convert(answers);
    EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x11, kDamaged)});
    EXPECT_EQ(Listing(dir.Dir()), before);
    EXPECT_EQ(Listing(out), "");
  }
}

// Input that would lose days or trips, or give files the region refuses: the report names the
// damage, and no region's file is written.
struct DamagedInput {
  const char* name;
  std::vector<IvuEdit> edits;
  const char* reported;  // the report's line after its heading
};

void PrintTo(const DamagedInput& c, std::ostream* os) { *os << c.name; }

class IvuDamagedInput : public IvuDriver, public ::testing::WithParamInterface<DamagedInput> {};

TEST_P(IvuDamagedInput, IsReportedAndNothingIsWritten) {
  Copy("ivu_bitfeld");
  ApplyIvuEdits(in, GetParam().edits);
  const std::string report = dir.Path("ERRORI_IVU.TXT");
  const DriverRun run = Convert({"file " + in + "/dateien.asc", "ok", "file " + report});
  EXPECT_EQ(Boxes(run), std::vector<std::string>{Box(0x11, kDamaged)});
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"), std::vector<std::string>{});
  const std::string bytes = FileBytes(report);
  const size_t heading = bytes.find("\r\n\r\n");
  ASSERT_NE(heading, std::string::npos);
  EXPECT_EQ(bytes.substr(heading + 4), std::string(GetParam().reported) + "\r\n");
  EXPECT_EQ(Listing(out), "");
  EXPECT_EQ(Listing(dir.Dir()).find("RT_"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Table, IvuDamagedInput,
    ::testing::Values(
        DamagedInput{"VersionEndsBeforeItBegins",
                     {{"versione.asc", 1, "7#Orario invernale#05.03.2024#01.03.2024##"}},
                     "FILE=versione RIGA=1 - Periodo di validit\xE0 della versione non valido: il primo giorno "
                     "05.03.2024 \xE8 successivo all'ultimo 01.03.2024"},
        DamagedInput{"EmptyTripFile", {{"fd12.asc", -1, ""}}, "FILE=FD12 RIGA=0 - nessuna corsa nel file"},
        DamagedInput{"EmptyFileList",
                     {{"dateien.asc", -1, ""}},
                     "FILE=dateien RIGA=0 - nessun file di percorsi (LD) e corse (FD) elencato"},
        DamagedInput{
            "BitFieldWithANonDigit", {{"bitfeld.asc", 1, "1#F8X#"}}, "FILE=bitfeld RIGA=1 - formato dati illegale"}),
    [](const auto& p) { return std::string(p.param.name); });

// The two messages that stop the command: the first names the file, the second is always the same.
struct StopCase {
  const char* name;
  const char* set;
  const char* removed;  // the input file taken away (the day-type set has no bitfeld.asc)
  const char* named;    // the file the first message names
};

class IvuMissing : public IvuDriver, public ::testing::WithParamInterface<StopCase> {};

TEST_P(IvuMissing, AMissingInputStopsTheCommand) {
  Copy(GetParam().set);
  ASSERT_TRUE(QFile::remove(cp1252::ToQString(in + "/" + GetParam().removed)));
  const DriverRun run = Convert({"file " + in + "/dateien.asc"});
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x30, "Impossibile aprire\n\n" + in + "/" + GetParam().named),
                                                  Box(0x10, kStopped)}));
  EXPECT_EQ(LinesStartingWith(run.transcript, "DIALOG\t"), std::vector<std::string>{});
  EXPECT_EQ(Listing(out), "");
}

INSTANTIATE_TEST_SUITE_P(Table, IvuMissing,
                         ::testing::Values(StopCase{"NoBitFieldsNorDayTypes", "ivu_cadenze", "betrtage.asc",
                                                    "betrtage.asc"},
                                           StopCase{"ANamedLdFileMissing", "ivu_bitfeld", "ld12.asc", "LD12.asc"},
                                           StopCase{"ANamedFdFileMissing", "ivu_cadenze", "fd12.asc", "FD12.asc"}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(IvuDriver, AReadOnlyOutputFolderStopsTheCommandAndGetsNoFile) {
  Copy("ivu_bitfeld");
  ASSERT_TRUE(QFile::setPermissions(cp1252::ToQString(out), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup |
                                                                QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther));
  const DriverRun run = Convert(Answers(), true);
  QFile::setPermissions(cp1252::ToQString(out), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_EQ(Boxes(run), (std::vector<std::string>{Box(0x30, "Impossibile creare\n\n" + out + "/RT_PROTO.TXT"),
                                                  Box(0x10, kStopped)}));
  EXPECT_EQ(Listing(out), "");
}

}  // namespace
