#include "dialogs/ListFillers.h"

#include "common/Cp1252.h"
#include "db/DbSelect.h"

#include <QComboBox>
#include <cstdio>
#include <string>

namespace {

// One entry "%04d - name" per row of a code table, ordered by name.
void FillCodeCombo(QComboBox* combo, DbDatabase* db, const char* table, bool trimName) {
  DbSelect select(db);
  select.SetColumns("codice, denom");
  select.SetFrom(table);
  select.SetOrderBy("denom");
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) {
    int code = 0;
    std::string name;
    select.GetFieldIntAt(0, &code);
    select.GetFieldTextAt(1, name);
    if (trimName)
      while (!name.empty() && name.back() == ' ') name.pop_back();
    char head[16];
    std::snprintf(head, sizeof head, "%04d", code);
    combo->insertItem(index++, cp1252::ToQString(std::string(head) + " - " + name));
  }
}

}  // namespace

void FillCompanyCombo(QComboBox* combo, DbDatabase* db) { FillCodeCombo(combo, db, "regazi", false); }

void FillAuthorityCombo(QComboBox* combo, DbDatabase* db) { FillCodeCombo(combo, db, "regent", true); }

void FillCadenceCombo(QComboBox* combo, DbDatabase* db, const char* format) {
  DbSelect select(db);
  select.SetColumns("codice, denom");
  select.SetFrom("cadenz");
  select.SetOrderBy("codice");
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) {
    std::string code, name;
    select.GetFieldTextAt(0, code);
    select.GetFieldTextAt(1, name);
    while (!code.empty() && code.back() == ' ') code.pop_back();
    std::string entry(static_cast<size_t>(std::snprintf(nullptr, 0, format, code.c_str(), name.c_str())), '\0');
    std::snprintf(entry.data(), entry.size() + 1, format, code.c_str(), name.c_str());
    combo->insertItem(index++, cp1252::ToQString(entry));
  }
}

void FillLineCombo(QComboBox* combo, DbDatabase* db) {
  DbSelect select(db);
  select.SetColumns("codlinea");
  select.SetFrom("tescor");
  select.SetGroupBy("codlinea");
  select.SetOrderBy("codlinea");
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) {
    std::string line;
    select.GetFieldTextAt(0, line);
    combo->insertItem(index++, cp1252::ToQString(line));
  }
}

void FillTrimmedLineCombo(QComboBox* combo, DbDatabase* db) {
  DbSelect select(db);
  select.SetColumns("codlinea");
  select.SetFrom("tescor");
  select.SetGroupBy("codlinea");
  select.SetOrderBy("codlinea");
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext())
    combo->insertItem(index++, cp1252::ToQString(select.TrimmedAt(0)));
}

void FillTripAuthorityCombo(QComboBox* combo, DbDatabase* db) {
  DbSelect select(db);
  select.SetColumns("tescor.ente, regent.denom");
  select.SetFrom("tescor, regent");
  select.SetWhere("tescor.ente = regent.codice");
  select.SetGroupBy("tescor.ente, regent.denom");
  select.SetOrderBy("regent.denom");
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) {
    char head[16];
    std::snprintf(head, sizeof head, "%04d", select.IntAt(0));
    combo->insertItem(index++, cp1252::ToQString(std::string(head) + " - " + select.TrimmedAt(1)));
  }
}
