// The reference lists shipped with the program and their seeding into a new database.

#include "common/Cp1252.h"
#include "db/DbBuilder.h"
#include "db/DbDatabase.h"
#include "refdata/RefData.h"
#include "refdata/Seeding.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <QDir>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {

// The rows of a shipped list as the test reads it itself: comment lines skipped, fields split
// at ';', texts in Windows-1252.
std::vector<std::vector<std::string>> ReadRows(const std::string& file) {
  std::ifstream in(cp1252::ToUtf8(RefDataFolder() + "/" + file));
  EXPECT_TRUE(in.good()) << file;
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    std::stringstream s(cp1252::FromUtf8Lossy(line));
    for (std::string f; std::getline(s, f, ';');) fields.push_back(f);
    rows.push_back(fields);
  }
  return rows;
}

std::string Dump(const std::string& path, const char* table) {
  return QueryFile(path, std::string("SELECT * FROM ") + table + " ORDER BY 1");
}

// Sets QUENDO_DATA_DIR for its lifetime.
class DataDirOverride {
 public:
  explicit DataDirOverride(const std::string& dir) {
    if (const char* old = std::getenv("QUENDO_DATA_DIR")) old_ = old, hadOld_ = true;
    setenv("QUENDO_DATA_DIR", dir.c_str(), 1);
  }
  ~DataDirOverride() {
    if (hadOld_)
      setenv("QUENDO_DATA_DIR", old_.c_str(), 1);
    else
      unsetenv("QUENDO_DATA_DIR");
  }

 private:
  std::string old_;
  bool hadOld_ = false;
};

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(cp1252::ToUtf8(path), std::ios::binary) << text;
}

class SeededDatabase : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new ScratchDir;
    path_ = dir_->Path("primo.mdb");
    NoticeLog script;
    ASSERT_EQ(CreateSeededDatabase(path_, CreateMode::Startup), 1) << script.Texts();
    ASSERT_EQ(script.Notices().size(), 1u) << script.Texts();
  }
  static void TearDownTestSuite() {
    delete dir_;
    dir_ = nullptr;
  }
  static ScratchDir* dir_;
  static std::string path_;
};

ScratchDir* SeededDatabase::dir_ = nullptr;
std::string SeededDatabase::path_;

TEST_F(SeededDatabase, HoldsTheCodesIdsAndSpecialRows) {
  EXPECT_EQ(QueryFile(path_, "SELECT count(*), min(codice), max(codice) FROM regazi"), "204|0|203\n");
  EXPECT_EQ(QueryFile(path_, "SELECT count(*), min(codice), max(codice) FROM regent"), "304|0|303\n");
  EXPECT_EQ(QueryFile(path_, "SELECT count(*), min(id), max(id) FROM local"), "4756|0|4755\n");
  EXPECT_EQ(QueryFile(path_, "SELECT denom FROM regazi WHERE codice = 0"), "*** azienda non assegnata ***\n");
  EXPECT_EQ(QueryFile(path_, "SELECT denom FROM regent WHERE codice IN (0, 300) ORDER BY codice"),
            "*** ente non assegnato ***\n* NON DETERMINATO\n");
  EXPECT_EQ(QueryFile(path_, "SELECT denom, istat, '[' || comune || ']', '[' || prov || ']' FROM local WHERE id = 0"),
            "*** Località non assegnata ***|-1|[ ]|[ ]\n");
  // Every other locality belongs to a municipality with its name and two-letter province.
  EXPECT_EQ(QueryFile(path_,
                      "SELECT count(*) FROM local WHERE id > 0 AND (trim(comune) = '' OR length(prov) <> 2 "
                      "OR upper(prov) <> prov OR istat < 9056 OR istat > 100007)"),
            "0\n");
  EXPECT_EQ(QueryFile(path_, "SELECT count(DISTINCT istat), count(DISTINCT prov) FROM local WHERE id > 0"), "320|24\n");
  EXPECT_EQ(QueryFile(path_, "SELECT max(length(denom)) <= 40 FROM regazi"), "1\n");
  EXPECT_EQ(QueryFile(path_, "SELECT max(length(denom)) FROM regent"), "37\n");
  EXPECT_EQ(QueryFile(path_, "SELECT max(length(denom)) <= 37, max(length(comune)) <= 27 FROM local"), "1|1\n");
  EXPECT_EQ(QueryFile(path_, "PRAGMA foreign_key_check"), "");
  EXPECT_EQ(QueryFile(path_, "PRAGMA integrity_check"), "ok\n");
}

TEST_F(SeededDatabase, RowsAreThoseOfTheShippedLists) {
  std::string companies, authorities;
  for (const auto& r : ReadRows(kCompanyCodesFile)) companies += r.at(0) + "|" + r.at(1) + "\n";
  for (const auto& r : ReadRows(kAuthorityCodesFile)) authorities += r.at(0) + "|" + r.at(1) + "\n";
  EXPECT_EQ(Dump(path_, "regazi"), companies);
  EXPECT_EQ(Dump(path_, "regent"), authorities);

  std::map<std::string, std::pair<std::string, std::string>> municipalities;
  for (const auto& r : ReadRows(kMunicipalitiesFile)) municipalities[r.at(0)] = {r.at(1), r.at(2)};
  std::string localities;
  for (const auto& r : ReadRows(kLocalitiesFile)) {
    const auto m = municipalities.find(r.at(2));
    localities += r.at(0) + "|" + r.at(1) + "|" + r.at(2) + "|" +
                  (m == municipalities.end() ? " | " : m->second.first + "|" + m->second.second) + "\n";
  }
  EXPECT_EQ(QueryFile(path_, "SELECT id, denom, istat, comune, prov FROM local ORDER BY id"), localities);
  // Accented names arrive intact.
  EXPECT_NE(localities.find("à"), std::string::npos);
}

TEST_F(SeededDatabase, SecondDatabaseGetsTheSameRows) {
  ScratchDir dir;
  NoticeLog script;
  const std::string second = dir.Path("secondo.mdb");
  ASSERT_EQ(CreateSeededDatabase(second, CreateMode::Menu), 1) << script.Texts();
  for (const char* table : {"regazi", "regent", "local"}) EXPECT_EQ(Dump(second, table), Dump(path_, table)) << table;
}

TEST(ShippedLists, KeepTheLimitsOfTheReferenceData) {
  std::vector<MunicipalityRef> municipalities;
  std::vector<LocalityRef> localities;
  std::vector<RegionCodeRef> authorities;
  std::string error;
  ASSERT_TRUE(LoadMunicipalities(RefDataFolder(), municipalities, error)) << error;
  ASSERT_TRUE(LoadLocalities(RefDataFolder(), localities, error)) << error;
  ASSERT_TRUE(LoadAuthorityCodes(RefDataFolder(), authorities, error)) << error;

  ASSERT_EQ(municipalities.size(), 320u);
  std::set<long> codes;
  std::set<std::string> provinces;
  for (const MunicipalityRef& m : municipalities) {
    codes.insert(m.istat);
    provinces.insert(m.prov);
    EXPECT_LE(m.comune.size(), 27u) << m.comune;
    EXPECT_EQ(m.prov.size(), 2u) << m.comune;
  }
  EXPECT_EQ(codes.size(), 320u);
  EXPECT_EQ(*codes.begin(), 9056);
  EXPECT_EQ(*codes.rbegin(), 100007);
  EXPECT_EQ(provinces.size(), 24u);

  ASSERT_EQ(localities.size(), 4756u);
  for (const LocalityRef& l : localities) {
    EXPECT_LE(l.denom.size(), 37u) << l.denom;
    if (l.id != 0) {
      EXPECT_TRUE(codes.count(l.istat)) << l.id << " " << l.istat;
    }
  }
  // Authorities: the municipal rows name municipalities of the list.
  std::set<std::string> names;
  for (const MunicipalityRef& m : municipalities) names.insert(m.comune);
  ASSERT_EQ(authorities.size(), 304u);
  for (const RegionCodeRef& a : authorities) {
    EXPECT_EQ(a.codice, &a - authorities.data());
    const bool municipal = (a.codice >= 12 && a.codice <= 298) || a.codice >= 302;
    if (municipal) {
      ASSERT_EQ(a.denom.rfind("Comune di ", 0), 0u) << a.codice << " " << a.denom;
      EXPECT_TRUE(names.count(a.denom.substr(10))) << a.denom;
    } else {
      EXPECT_NE(a.denom.rfind("Comune di ", 0), 0u) << a.codice << " " << a.denom;
    }
  }
}

// Lists of the test's own, in a folder named by QUENDO_DATA_DIR.

class OwnLists : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(cp1252::ToUtf8(data.Path("refdata")))));
    Write(kCompanyCodesFile, "# prova\n0;*** azienda non assegnata ***\r\n7;Azienda di prova\n");
    Write(kAuthorityCodesFile, "0;*** ente non assegnato ***\n1;Ente di prova\n");
    WriteRaw(kMunicipalitiesFile, "\xEF\xBB\xBF# istat;comune;prov\n48017;Firenze;FI\n50026;Pisa;PI\n");
    Write(kLocalitiesFile,
          "0;*** Località non assegnata ***;-1\n1;Firenze;48017\n2;Città fuori lista;99999\n3;Pisa;50026\n");
  }
  // Writes a list given as program text (Windows-1252) in UTF-8, as the lists are stored.
  void Write(const char* file, const std::string& text) { WriteRaw(file, cp1252::ToUtf8(text)); }
  void WriteRaw(const char* file, const std::string& bytes) { WriteFile(data.Path("refdata/") + file, bytes); }
  std::string Folder() const { return data.Path("refdata"); }

  ScratchDir data;
  ScratchDir dir;
  NoticeLog script;
};

TEST_F(OwnLists, ReplaceTheShippedOnesAtTheNextSeeding) {
  const std::string path = dir.Path("nuovo.mdb");
  {
    DataDirOverride env(data.Dir());
    EXPECT_EQ(RefDataFolder(), Folder());
    ASSERT_EQ(CreateSeededDatabase(path, CreateMode::Menu), 1) << script.Texts();
  }
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
  QFile::remove(QString::fromStdString(cp1252::ToUtf8(Folder() + "/" + kLocalitiesFile)));
  {
    DataDirOverride env(data.Dir());
    EXPECT_EQ(CreateSeededDatabase(path, CreateMode::Menu), 0);
  }
  EXPECT_TRUE(QDir(QString::fromStdString(dir.Dir()))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                  .isEmpty());
  ASSERT_EQ(script.Notices().size(), 2u) << script.Texts();
  EXPECT_EQ(script.Notices()[0].text, "Errore lettura dati di riferimento\n\nFile \"" + Folder() +
                                          "/localita.csv\"\n\nIl file non esiste o non "
                                          "può essere letto");
  EXPECT_EQ(script.Notices()[0].caption, "Creazione database");
  EXPECT_EQ(script.Notices()[1].text, "Errore durante la creazione del database " + path + "\n\n");
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
    bool ok = true;
    if (c.file == kCompanyCodesFile) ok = LoadCompanyCodes(Folder(), codes, error);
    if (c.file == kAuthorityCodesFile) ok = LoadAuthorityCodes(Folder(), codes, error);
    if (c.file == kMunicipalitiesFile) ok = LoadMunicipalities(Folder(), municipalities, error);
    if (c.file == kLocalitiesFile) ok = LoadLocalities(Folder(), localities, error);
    EXPECT_FALSE(ok) << c.text;
    EXPECT_EQ(error.rfind("File \"" + Folder() + "/" + c.file + "\", " + c.fault, 0), 0u) << error;
  }
}

TEST_F(OwnLists, FaultyListWritesNothingOfItsTable) {
  ScratchDir db;
  const std::string path = db.Path("x.mdb");
  ASSERT_EQ(CreateSeededDatabase(path, CreateMode::Menu), 1) << script.Texts();
  Write(kCompanyCodesFile, "900;Nuova\n901;Nuova bis\n902;" + std::string(41, 'x') + "\n");
  script.Clear();
  {
    DbDatabase database(path);
    EXPECT_EQ(FillRegaziTable(&database, Folder()), 0);
    // A row that the table refuses (code 0 is there already) undoes the whole list.
    Write(kCompanyCodesFile, "900;Nuova\n0;Doppia\n");
    EXPECT_EQ(FillRegaziTable(&database, Folder()), 0);
  }
  ASSERT_EQ(script.Notices().size(), 2u) << script.Texts();
  EXPECT_EQ(script.Notices()[0].text.rfind("Errore lettura dati di riferimento\n\n", 0), 0u);
  EXPECT_EQ(script.Notices()[1].text.rfind("Errore aggiornamento tavola (regazi)", 0), 0u);
  EXPECT_EQ(QueryFile(path, "SELECT count(*), max(codice) FROM regazi"), "204|203\n");
}

}  // namespace
