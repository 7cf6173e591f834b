#pragma once
// Helpers shared by the tests of the database layer: a small schema of the test's own, declared as
// the builder declares real tables, a fixture with a database of it, and rows added through the layer.

#include "db/DbDatabase.h"
#include "db/DbTable.h"
#include "support/TestSupport.h"

#include <memory>
#include <sstream>
#include <string>

inline const std::string kTestSchema = BuilderTimetableTables() + R"sql(
CREATE TABLE misc (
  id INT NOT NULL,
  sub SMALLINT NOT NULL,
  name VARCHAR(8) COLLATE RTRIM,
  amount CURRENCY,
  ratio DOUBLE,
  flag BOOLEAN,
  day DATE,
  memo LONGTEXT,
  bytes BLOB,
  CONSTRAINT "codice" PRIMARY KEY (id, sub));
CREATE INDEX misc__byname ON misc (name, sub);
)sql";

// The texts of fields of the current row ("name;name"), as GetFieldText leaves them, joined by '|'.
inline std::string FieldOf(DbTable& table, const std::string& fields) {
  std::istringstream names(fields);
  std::string out;
  for (std::string name, value; std::getline(names, name, ';'); value.clear()) {
    table.GetFieldText(name.c_str(), value);
    out += value + "|";
  }
  return out.substr(0, out.size() - 1);
}

// Adds one row through the table layer, its fields given as "name=text;name=text"; returns
// Update's result, or 0 as soon as a step fails.
inline int AddRow(DbDatabase* db, const char* table, const std::string& fields) {
  DbTable t(db, table);
  if (!t.isOpen || !t.AddNew()) return 0;
  std::istringstream list(fields);
  for (std::string field; std::getline(list, field, ';');)
    if (!t.SetFieldText(field.substr(0, field.find('=')).c_str(), field.substr(field.find('=') + 1))) return 0;
  return t.Update();
}

// The seeding of the timetable databases these tests build: only the locality 0 that new stops point to.
inline int SeedLocalityZero(DbDatabase* db) {
  return AddRow(db, "local", "id=0;denom=Non assegnata;istat=0;comune= ;prov= ");
}

inline int AddCadence(DbDatabase* db, const std::string& code, const std::string& name = "x") {
  return AddRow(db, "cadenz", "codice=" + code + ";denom=" + name);
}

// A trip of the timetable (tescor) with every required field.
inline int AddTrip(DbDatabase* db, const std::string& id, const std::string& code = "C1") {
  return AddRow(db, "tescor",
                "id=" + id + ";codcorsa=" + code +
                    ";codlinea=L1;verso=A;parte=800;arriva=900;ente=0;contratt=0;lung=1000;tempo=60;ct_lung=1000;"
                    "ct_tempo=60;gruppo=0");
}

// A stop of a trip (detcor) in the given locality.
inline int AddStop(DbDatabase* db, const std::string& id, const std::string& sub, const std::string& locality = "0") {
  return AddRow(db, "detcor",
                "id=" + id + ";sub=" + sub +
                    ";denom=Piazza;dist=0;arriva=9999;parte=800;primaria=1;facolt=0;nonferma=0;reglocal=" + locality);
}

// A database of the test's own schema at `path`, open as `db`.
class SchemaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeDatabase(path, kTestSchema);
    db = std::make_unique<DbDatabase>(path);
    ASSERT_TRUE(db->isOpen);
  }

  ScratchDir dir;
  const std::string path = dir.Path("t.mdb");
  NoticeLog notices;
  std::unique_ptr<DbDatabase> db;
};
