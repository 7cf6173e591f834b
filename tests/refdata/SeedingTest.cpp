// The reference lists shipped with the program and their seeding into a new database.

#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "refdata/RefData.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

namespace {

// The rows of a shipped list as the test reads it itself: comment lines skipped, fields split
// at ';', texts in Windows-1252.
std::vector<std::vector<std::string>> ReadRows(const std::string& file) {
  std::istringstream in(cp1252::FromUtf8Lossy(FileBytes(RefDataFolder() + "/" + file)));
  std::vector<std::vector<std::string>> rows;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream s(line);
    for (std::string f; std::getline(s, f, ';');) fields.push_back(f);
    rows.push_back(fields);
  }
  EXPECT_FALSE(rows.empty()) << file;
  return rows;
}

std::string Dump(const std::string& path, const std::string& table) {
  return QueryFile(path, "SELECT * FROM " + table + " ORDER BY 1");
}

TEST(SeededDatabase, RowsAreThoseOfTheShippedListsInEveryNewDatabase) {
  ScratchDir dir;
  NoticeLog notices;
  const std::string path = dir.Path("primo.mdb"), second = dir.Path("secondo.mdb");
  ASSERT_EQ(CreateSeededDatabase(path, CreateMode::Startup), 1) << notices.Texts();
  ASSERT_EQ(CreateSeededDatabase(second, CreateMode::Menu), 1) << notices.Texts();
  EXPECT_EQ(notices.Notices().size(), 2u) << notices.Texts();  // the two success boxes

  std::string companies, authorities, localities;
  for (const auto& r : ReadRows(kCompanyCodesFile)) companies += r.at(0) + "|" + r.at(1) + "\n";
  for (const auto& r : ReadRows(kAuthorityCodesFile)) authorities += r.at(0) + "|" + r.at(1) + "\n";
  std::map<std::string, std::string> municipalities;
  for (const auto& r : ReadRows(kMunicipalitiesFile)) municipalities[r.at(0)] = r.at(1) + "|" + r.at(2);
  // A locality whose municipality is not in the list (the locality 0) gets blanks.
  for (const auto& r : ReadRows(kLocalitiesFile))
    localities += r.at(0) + "|" + r.at(1) + "|" + r.at(2) + "|" +
                  (municipalities.count(r.at(2)) ? municipalities[r.at(2)] : " | ") + "\n";
  EXPECT_TRUE(HasPart(localities, "à"));  // accented names arrive intact
  for (const std::string& db : {path, second}) {
    EXPECT_EQ(Dump(db, "regazi"), companies);
    EXPECT_EQ(Dump(db, "regent"), authorities);
    EXPECT_EQ(QueryFile(db, "SELECT id, denom, istat, comune, prov FROM local ORDER BY id"), localities);
    EXPECT_EQ(QueryFile(db, "PRAGMA foreign_key_check"), "");
    EXPECT_EQ(QueryFile(db, "PRAGMA integrity_check"), "ok\n");
  }
}

TEST(ShippedLists, KeepTheLimitsOfTheReferenceData) {
  std::vector<MunicipalityRef> municipalities;
  std::vector<LocalityRef> localities;
  std::vector<RegionCodeRef> companies, authorities;
  std::string error;
  ASSERT_TRUE(LoadMunicipalities(RefDataFolder(), municipalities, error)) << error;
  ASSERT_TRUE(LoadLocalities(RefDataFolder(), localities, error)) << error;
  ASSERT_TRUE(LoadCompanyCodes(RefDataFolder(), companies, error)) << error;
  ASSERT_TRUE(LoadAuthorityCodes(RefDataFolder(), authorities, error)) << error;
  EXPECT_EQ(std::vector<size_t>({municipalities.size(), localities.size(), companies.size(), authorities.size()}),
            std::vector<size_t>({320, 4756, 204, 304}));

  // Each municipality once; each locality in one of them but the locality 0; codes in order from 0;
  // the municipal authorities name municipalities of the list.
  std::set<long> codes;
  std::set<std::string> names;
  for (const MunicipalityRef& m : municipalities) codes.insert(m.istat), names.insert(m.comune);
  EXPECT_EQ(codes.size(), municipalities.size());
  for (const LocalityRef& l : localities) EXPECT_TRUE(l.id == 0 || codes.count(l.istat)) << l.id << " " << l.istat;
  EXPECT_EQ(localities[0].istat, -1);
  for (const auto* list : {&companies, &authorities})
    for (const RegionCodeRef& r : *list) EXPECT_EQ(r.codice, &r - list->data());
  for (const RegionCodeRef& a : authorities) {
    const bool municipal = (a.codice >= 12 && a.codice <= 298) || a.codice >= 302;
    EXPECT_EQ(a.denom.rfind("Comune di ", 0) == 0, municipal) << a.codice << " " << a.denom;
    if (municipal) {
      EXPECT_TRUE(names.count(a.denom.substr(10))) << a.denom;
    }
  }
}

// Lists of the test's own, in a folder named by QUENDO_DATA_DIR.
class OwnLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(cp1252::ToQString(Folder())));
    Write(kCompanyCodesFile, "# prova\n0;*** azienda non assegnata ***\r\n7;Azienda di prova\n");
    Write(kAuthorityCodesFile, "0;*** ente non assegnato ***\n1;Ente di prova\n");
    WriteRaw(kMunicipalitiesFile, "\xEF\xBB\xBF# istat;comune;prov\n48017;Firenze;FI\n50026;Pisa;PI\n");
    Write(kLocalitiesFile,
          "0;*** Località non assegnata ***;-1\n1;Firenze;48017\n2;Città fuori lista;99999\n3;Pisa;50026\n");
  }
  void TearDown() override { RestoreDataDir(); }
  // Writes a list given as program text (Windows-1252) in UTF-8, as the lists are stored.
  void Write(const char* file, const std::string& text) { WriteRaw(file, cp1252::ToUtf8(text)); }
  void WriteRaw(const char* file, const std::string& bytes) { WriteFileBytes(Folder() + "/" + file, bytes); }
  std::string Folder() const { return data.Path("refdata"); }
  void UseOwnLists() { qputenv("QUENDO_DATA_DIR", QByteArray::fromStdString(data.Dir())); }
  void RestoreDataDir() {
    if (hadDataDir_)
      qputenv("QUENDO_DATA_DIR", dataDir_);
    else
      qunsetenv("QUENDO_DATA_DIR");
  }

  ScratchDir data, dir;
  NoticeLog notices;
  const bool hadDataDir_ = qEnvironmentVariableIsSet("QUENDO_DATA_DIR");
  const QByteArray dataDir_ = qgetenv("QUENDO_DATA_DIR");
};

TEST_F(OwnLists, ReplaceTheShippedOnesAtTheNextSeeding) {
  const std::string path = dir.Path("nuovo.mdb");
  UseOwnLists();
  EXPECT_EQ(RefDataFolder(), Folder());
  ASSERT_EQ(CreateSeededDatabase(path, CreateMode::Menu), 1) << notices.Texts();
  RestoreDataDir();
  EXPECT_NE(RefDataFolder(), Folder());
  EXPECT_EQ(Dump(path, "regazi"), "0|*** azienda non assegnata ***\n7|Azienda di prova\n");
  EXPECT_EQ(Dump(path, "regent"), "0|*** ente non assegnato ***\n1|Ente di prova\n");
  // A locality whose municipality is not in the list gets blanks, as the locality 0.
  EXPECT_EQ(Dump(path, "local"),
            "0|*** Località non assegnata ***|-1| | \n1|Firenze|48017|Firenze|FI\n2|Città fuori lista|99999| | \n"
            "3|Pisa|50026|Pisa|PI\n");
}

TEST_F(OwnLists, MissingListStopsTheCreationAndLeavesNoFile) {
  const std::string path = dir.Path("nuovo.mdb");
  QFile::remove(cp1252::ToQString(Folder() + "/" + kLocalitiesFile));
  UseOwnLists();
  EXPECT_EQ(CreateSeededDatabase(path, CreateMode::Menu), 0);
  EXPECT_EQ(Listing(dir.Dir()), "");
  ASSERT_EQ(notices.Notices().size(), 2u) << notices.Texts();
  EXPECT_EQ(notices.Notices()[0].text, "Errore lettura dati di riferimento\n\nFile \"" + Folder() +
                                           "/localita.csv\"\n\nIl file non esiste o non può essere letto");
  EXPECT_EQ(notices.Notices()[0].caption, "Creazione database");
  EXPECT_EQ(notices.Notices()[1].text, "Errore durante la creazione del database " + path + "\n\n");
}

TEST_F(OwnLists, FaultyLinesAreRefusedWithTheirNumber) {
  const struct {
    const char* file;
    std::string text;
    std::string fault;
  } cases[] = {
      {kCompanyCodesFile, "0;a\n1;b\n1;c\n", "riga 3\n\nIl codice 1 è ripetuto"},
      {kCompanyCodesFile, "0;a\nx;b\n", "riga 2\n\nIl codice \"x\" non è un numero da 0 a 32767"},
      {kAuthorityCodesFile, "0;a;b\n", "riga 1\n\nLa riga ha 3 campi invece di 2"},
      {kAuthorityCodesFile, "# c\n\n0;" + std::string(41, 'n') + "\n",
       "riga 3\n\nIl testo \"" + std::string(41, 'n') + "\" supera i 40 caratteri del campo"},
      {kAuthorityCodesFile, "0;  \n", "riga 1\n\nManca la denominazione"},
      {kMunicipalitiesFile,
       "1;\xC5\x81\xC3\xB3"
       "d\xC5\xBA;XX\n",
       "riga 1\n\nLa riga non è testo UTF-8 valido"},  // Łódź
      {kMunicipalitiesFile, "1;\xC3(;XX\n", "riga 1\n\nLa riga non è testo UTF-8 valido"},
      {kMunicipalitiesFile, "1;Comune;ABCDE\n", "riga 1\n\nIl testo \"ABCDE\" supera i 4 caratteri del campo"},
      {kLocalitiesFile, "1;Loc;0\n", "riga 1\n\nIl codice ISTAT \"0\" non è valido"},
      {kLocalitiesFile, "1;Loc;1\n40000;Loc;1\n", "riga 2\n\nL'identificativo \"40000\" non è un numero da 0 a 32767"},
  };
  for (const auto& c : cases) {
    WriteRaw(c.file, c.text);
    std::string error;
    std::vector<RegionCodeRef> codes;
    std::vector<MunicipalityRef> municipalities;
    std::vector<LocalityRef> localities;
    const std::string file = c.file;
    const bool ok = file == kCompanyCodesFile     ? LoadCompanyCodes(Folder(), codes, error)
                    : file == kAuthorityCodesFile ? LoadAuthorityCodes(Folder(), codes, error)
                    : file == kMunicipalitiesFile ? LoadMunicipalities(Folder(), municipalities, error)
                                                  : LoadLocalities(Folder(), localities, error);
    EXPECT_FALSE(ok) << c.text;
    EXPECT_TRUE(HasPrefix(error, "File \"" + Folder() + "/" + c.file + "\", " + c.fault));
  }
}

TEST_F(OwnLists, FaultyListWritesNothingOfItsTable) {
  const std::string path = dir.Path("x.mdb");
  ASSERT_EQ(CreateSeededDatabase(path, CreateMode::Menu), 1) << notices.Texts();
  Write(kCompanyCodesFile, "900;Nuova\n901;Nuova bis\n902;" + std::string(41, 'x') + "\n");
  notices.Clear();
  {
    DbDatabase database(path);
    EXPECT_EQ(FillRegaziTable(&database, Folder()), 0);
    // A row that the table refuses (code 0 is there already) undoes the whole list.
    Write(kCompanyCodesFile, "900;Nuova\n0;Doppia\n");
    EXPECT_EQ(FillRegaziTable(&database, Folder()), 0);
  }
  ASSERT_EQ(notices.Notices().size(), 2u) << notices.Texts();
  EXPECT_TRUE(HasPrefix(notices.Notices()[0].text, "Errore lettura dati di riferimento\n\n"));
  EXPECT_TRUE(HasPrefix(notices.Notices()[1].text, "Errore aggiornamento tavola (regazi)"));
  EXPECT_EQ(QueryFile(path, "SELECT count(*), max(codice) FROM regazi"), "204|203\n");
}

}  // namespace
