// The reference lists shipped with the program and their seeding into a new database.

#include "common/Cp1252.h"
#include "common/InputFile.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "refdata/RefData.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <memory>
#include <tuple>

namespace {

std::string Dump(const std::string& path, const std::string& table) {
  return QueryFile(path, "SELECT * FROM " + table + " ORDER BY 1");
}

// The shipped lists seed a new database whole, accented names intact, every locality but the
// locality 0 in a municipality of the list. (Which field goes where: the lists of the test's own.)
TEST(ShippedLists, SeedANewDatabaseWhole) {
  ScratchDir dir;
  NoticeLog notices;
  const std::string path = dir.Path("primo.mdb");
  const CreateOutcome created = CreateSeededDatabase(path, CreateMode::Startup);
  ASSERT_TRUE(created.ok) << notices.Texts() << created.Texts();
  EXPECT_EQ(QueryFile(path,
                      "SELECT (SELECT count(*) FROM regazi), (SELECT count(*) FROM regent), (SELECT count(*) FROM "
                      "local), (SELECT group_concat(id) FROM local WHERE prov = ' ')"),
            "204|304|4756|0\n");
  const std::string accented = cp1252::ToUtf8("SELECT denom FROM local WHERE denom LIKE '%\xE0%' LIMIT 1");
  EXPECT_TRUE(HasPart(QueryFile(path, accented), "\xE0"));
  EXPECT_EQ(QueryFile(path, "PRAGMA foreign_key_check"), "");
}

// Lists of the test's own, in a folder that QUENDO_DATA_DIR names while a case asks for it.
class OwnLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(Folder())));
    Write(kCompanyCodesFile, "# prova\n0;*** azienda non assegnata ***\r\n7;Azienda di prova\n");
    Write(kAuthorityCodesFile, "0;*** ente non assegnato ***\n1;Ente di prova\n");
    WriteFileBytes(Folder() + "/" + kMunicipalitiesFile,
                   "\xEF\xBB\xBF# istat;comune;prov\n48017;Firenze;FI\n50026;Pisa;PI\n");
    Write(kLocalitiesFile,
          "0;*** Località non assegnata ***;-1\n1;Firenze;48017\n2;Città fuori lista;99999\n3;Pisa;50026\n");
  }
  // Writes a list given as program text (Windows-1252) in UTF-8, as the lists are stored.
  void Write(const char* file, const std::string& text) { WriteFileBytes(Folder() + "/" + file, cp1252::ToUtf8(text)); }
  std::string Folder() const { return data.Path("refdata"); }

  ScratchDir data, dir;
  NoticeLog notices;
};

// A missing list stops the creation and leaves no file; once there, the lists of the test's own
// replace the shipped ones at the next seeding.
TEST_F(OwnLists, ReplaceTheShippedOnesAtTheNextSeedingAndAMissingOneStopsIt) {
  const std::string path = dir.Path("nuovo.mdb"), localities = FileBytes(Folder() + "/" + kLocalitiesFile);
  QFile::remove(cp1252::ToQString(Folder() + "/" + kLocalitiesFile));
  auto own = std::make_unique<ScopedEnv>("QUENDO_DATA_DIR", data.Dir());
  EXPECT_EQ(RefDataFolder(), Folder());
  const CreateOutcome failed = CreateSeededDatabase(path, CreateMode::Menu);
  EXPECT_FALSE(failed.ok);
  EXPECT_EQ(Listing(dir.Dir()), "");
  EXPECT_EQ(notices.Texts() + failed.Texts(), "Errore durante la creazione del database " + path +
                                                  "\n\nErrore lettura dati di riferimento\n\nFile \"" + Folder() +
                                                  "/localita.csv\"\n\nIl file non esiste o non può essere letto");
  notices.Clear();
  WriteFileBytes(Folder() + "/" + kLocalitiesFile, localities);
  const CreateOutcome created = CreateSeededDatabase(path, CreateMode::Menu);
  ASSERT_TRUE(created.ok) << notices.Texts() << created.Texts();
  own.reset();
  EXPECT_NE(RefDataFolder(), Folder());
  EXPECT_EQ(Dump(path, "regazi"), "0|*** azienda non assegnata ***\n7|Azienda di prova\n");
  EXPECT_EQ(Dump(path, "regent"), "0|*** ente non assegnato ***\n1|Ente di prova\n");
  // A locality whose municipality is not in the list gets blanks, as the locality 0.
  EXPECT_EQ(Dump(path, "local"),
            "0|*** Località non assegnata ***|-1| | \n1|Firenze|48017|Firenze|FI\n2|Città fuori lista|99999| | \n"
            "3|Pisa|50026|Pisa|PI\n");
}

// A list saved with a CR alone at each line's end (an old Mac editor), its first line a comment,
// seeds its rows; a list without a single row (empty, or comments only) and one that is a named
// pipe stop the creation naming the file, and leave no file.
TEST_F(OwnLists, CrLineEndsAreReadAndAListWithoutRowsOrAPipeStopsTheCreation) {
  const ScopedEnv own("QUENDO_DATA_DIR", data.Dir());
  Write(kCompanyCodesFile, "# codice;denom\r0;*** azienda non assegnata ***\r7;Azienda di prova\r");
  Write(kLocalitiesFile, "# id;denom;istat\r0;*** Località non assegnata ***;-1\r\n1;Firenze;48017");
  const std::string path = dir.Path("nuovo.mdb");
  const CreateOutcome created = CreateSeededDatabase(path, CreateMode::Menu);
  ASSERT_TRUE(created.ok) << notices.Texts() << created.Texts();
  EXPECT_EQ(Dump(path, "regazi"), "0|*** azienda non assegnata ***\n7|Azienda di prova\n");
  EXPECT_EQ(Dump(path, "local"), "0|*** Località non assegnata ***|-1| | \n1|Firenze|48017|Firenze|FI\n");
  ASSERT_TRUE(QFile::remove(cp1252::ToQString(path)));

  const std::string refused =
      "Errore durante la creazione del database " + path + "\n\nErrore lettura dati di riferimento\n\nFile \"";
  for (const char* file : {kCompanyCodesFile, kAuthorityCodesFile, kLocalitiesFile, kMunicipalitiesFile})
    for (const std::string& text :
         {std::string(), std::string("\xEF\xBB\xBF# solo commenti\r\n\r\n  \n#;\r"), std::string("<pipe>")}) {
      SCOPED_TRACE(file + (" " + text));
      const std::string list = Folder() + "/" + file, kept = FileBytes(list);
      ASSERT_TRUE(QFile::remove(cp1252::ToQString(list)));
      if (text == "<pipe>")
        MakePipe(list);
      else
        WriteFileBytes(list, text);
      {
        const PipeWatchdog watchdog(text == "<pipe>" ? std::vector{list} : std::vector<std::string>{});
        const CreateOutcome failed = CreateSeededDatabase(path, CreateMode::Menu);
        EXPECT_FALSE(failed.ok);
        EXPECT_EQ(
            notices.Texts() + failed.Texts(),
            refused + list + "\"\n\n" +
                (text == "<pipe>" ? kNotARegularFileText
                                  : "Il file non contiene neppure una riga di dati (è vuoto, o ha solo commenti)"));
      }
      EXPECT_EQ(Listing(dir.Dir()), "");
      notices.Clear();
      ASSERT_TRUE(QFile::remove(cp1252::ToQString(list)));
      WriteFileBytes(list, kept);
    }
}

TEST_F(OwnLists, FaultyLinesAreRefusedWithTheirNumberAndAFaultyListWritesNothing) {
  const std::tuple<const char*, std::string, std::string> cases[] = {
      {kCompanyCodesFile, "0;a\n1;b\n1;c\n", "riga 3\n\nIl codice 1 è ripetuto"},
      {kCompanyCodesFile, "0;a\nx;b\n", "riga 2\n\nIl codice \"x\" non è un numero da 0 a 32767"},
      {kAuthorityCodesFile, "0;a;b\n", "riga 1\n\nLa riga ha 3 campi invece di 2"},
      {kAuthorityCodesFile, "# c\n\n0;" + std::string(41, 'n') + "\n",
       "riga 3\n\nIl testo \"" + std::string(41, 'n') + "\" supera i 40 caratteri del campo"},
      {kAuthorityCodesFile, "0;  \n", "riga 1\n\nManca la denominazione"},
      {kMunicipalitiesFile,
       "1;\xC5\x81\xC3\xB3"
       "d\xC5\xBA;XX\n",
       "riga 1\n\nLa riga non è testo UTF-8 valido"},
      {kMunicipalitiesFile, "1;Comune;ABCDE\n", "riga 1\n\nIl testo \"ABCDE\" supera i 4 caratteri del campo"},
      {kLocalitiesFile, "1;Loc;0\n", "riga 1\n\nIl codice ISTAT \"0\" non è valido"},
      {kLocalitiesFile, "1;Loc;1\n40000;Loc;1\n", "riga 2\n\nL'identificativo \"40000\" non è un numero da 0 a 32767"},
      {kCompanyCodesFile, "0;a\n1;No\x01me\n", "riga 2\n\nIl campo 2 contiene un carattere di controllo (0x01)"},
      {kAuthorityCodesFile, "0;No\tme\n", "riga 1\n\nIl campo 2 contiene un carattere di controllo (0x09)"},
      {kMunicipalitiesFile, "1;Comune;FI\t\n", "riga 1\n\nIl testo \"FI\" contiene un carattere di controllo (0x09)"},
      {kLocalitiesFile, "1;No\rme;1\r\n", "riga 1\n\nLa riga ha 2 campi invece di 3"},  // a CR ends a line
      {kCompanyCodesFile, std::string("7\0;Nome\n", 8),
       "riga 1\n\nIl campo 1 contiene un carattere di controllo (0x00)"},
  };
  for (const auto& [file, text, fault] : cases) {
    WriteFileBytes(Folder() + "/" + file, text);
    std::string error;
    std::vector<RegionCodeRef> codes;
    std::vector<MunicipalityRef> municipalities;
    std::vector<LocalityRef> localities;
    const std::string name = file;
    const bool ok = name == kCompanyCodesFile     ? LoadCompanyCodes(Folder(), codes, error)
                    : name == kAuthorityCodesFile ? LoadAuthorityCodes(Folder(), codes, error)
                    : name == kMunicipalitiesFile ? LoadMunicipalities(Folder(), municipalities, error)
                                                  : LoadLocalities(Folder(), localities, error);
    EXPECT_FALSE(ok) << text;
    EXPECT_TRUE(HasPrefix(error, "File \"" + Folder() + "/" + file + "\", " + fault));
  }
  // A list with a faulty line, or a row that the table refuses (code 0 is there already), writes nothing of its table.
  const std::string path = dir.Path("x.mdb");
  const CreateOutcome created = CreateSeededDatabase(path, CreateMode::Menu);
  ASSERT_TRUE(created.ok) << notices.Texts() << created.Texts();
  notices.Clear();
  {
    DbDatabase database(path);
    Write(kCompanyCodesFile, "900;Nuova\n901;Nuova bis\n902;" + std::string(41, 'x') + "\n");
    EXPECT_EQ(FillRegaziTable(&database, Folder()), 0);
    Write(kCompanyCodesFile, "900;Nuova\n0;Doppia\n");
    EXPECT_EQ(FillRegaziTable(&database, Folder()), 0);
  }
  ASSERT_EQ(notices.Notices().size(), 2u) << notices.Texts();
  EXPECT_TRUE(HasPrefix(notices.Notices()[0].text, "Errore lettura dati di riferimento\n\n"));
  EXPECT_TRUE(HasPrefix(notices.Notices()[1].text, "Errore aggiornamento tavola (regazi)"));
  EXPECT_EQ(QueryFile(path, "SELECT count(*), max(codice) FROM regazi"), "204|203\n");
}

}  // namespace
