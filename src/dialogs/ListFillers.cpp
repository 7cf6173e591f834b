#include "dialogs/ListFillers.h"

#include "common/Cp1252.h"
#include "db/DbSelect.h"

#include <QComboBox>
#include <cstdio>
#include <set>
#include <string>
#include <tuple>

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
  // An entry shows whole with its code, a name of 40 characters too: the closed box is never
  // narrower than the longest entry, and so neither is its list.
  combo->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  combo->setMinimumWidth(combo->sizeHint().width());
}

}  // namespace

void FillCompanyCombo(QComboBox* combo, DbDatabase* db) { FillCodeCombo(combo, db, "regazi", false); }

void FillAuthorityCombo(QComboBox* combo, DbDatabase* db) { FillCodeCombo(combo, db, "regent", true); }

std::vector<DbText> FillCadenceCombo(QComboBox* combo, DbDatabase* db, const char* format) {
  std::vector<DbText> codes;
  DbSelect select(db, {.columns = "codice, denom", .from = "cadenz", .orderBy = "codice"});
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) {
    const std::string& code = codes.emplace_back(select.TrimmedTextAt(0)).text;
    std::string name;
    select.GetFieldTextAt(1, name);
    std::string entry(static_cast<size_t>(std::snprintf(nullptr, 0, format, code.c_str(), name.c_str())), '\0');
    std::snprintf(entry.data(), entry.size() + 1, format, code.c_str(), name.c_str());
    combo->insertItem(index++, cp1252::ToQString(entry));
  }
  return codes;
}

namespace {

// The rows of one selection, each handed to `row` with the selection standing on it; the entry
// it returns is inserted at the running index.
template <class Row>
void FillFrom(QComboBox* combo, DbSelect& select, Row row) {
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) combo->insertItem(index++, cp1252::ToQString(row()));
}

}  // namespace

namespace {

// A stored code as the lists keep it: "" for a missing one (NULL), a single blank for one of
// blanks only, otherwise the text without its trailing blanks (as stored when it lost a character).
DbText StoredCode(DbSelect& select, int position) {
  std::string text;
  if (!select.GetFieldTextAt(position, text)) return {};
  DbText code = select.TrimmedTextAt(position);
  if (code.text.empty()) code.text = " ";
  return code;
}

// The trips' line codes, each once, in order: each entry the code as read, or without its
// trailing blanks.
std::vector<DbText> FillLines(QComboBox* combo, DbDatabase* db, bool trimmed) {
  std::vector<DbText> codes;
  DbSelect select(db, {.columns = "codlinea", .from = "tescor", .groupBy = "codlinea", .orderBy = "codlinea"});
  FillFrom(combo, select, [&] {
    codes.push_back(select.TrimmedTextAt(0));
    std::string line;
    if (!trimmed) select.GetFieldTextAt(0, line);
    return trimmed ? codes.back().text : line;
  });
  return codes;
}

}  // namespace

std::vector<LineDirectionEntry> FillLineDirectionCombo(QComboBox* combo, DbDatabase* db) {
  std::vector<LineDirectionEntry> list;
  DbSelect select(
      db, {.columns = "codlinea, verso", .from = "tescor", .groupBy = "codlinea, verso", .orderBy = "codlinea, verso"});
  FillFrom(combo, select, [&] {
    DbText line = StoredCode(select, 0), direction = select.TrimmedTextAt(1);
    if (direction.text.empty()) direction.text = " ";
    list.push_back({std::move(line.text), direction.text[0], {std::move(line.stored), std::move(direction.stored)}});
    return list.back().line + " " + list.back().direction;
  });
  return list;
}

std::vector<StopEntry> FillStopCombo(QComboBox* combo, DbDatabase* db) {
  std::vector<StopEntry> list;
  std::set<std::tuple<DbText, DbText, DbText>> listed;
  DbSelect select(db, {.columns = "fermata, denom, ubicaz", .from = "detcor", .orderBy = "denom, fermata, ubicaz"});
  int index = 0;
  for (int ok = select.Open(); ok; ok = select.MoveNext()) {
    const DbText texts[3] = {select.TrimmedTextAt(0), select.TrimmedTextAt(1), select.TrimmedTextAt(2)};
    if (!listed.emplace(texts[0], texts[1], texts[2]).second) continue;
    StopEntry entry{texts[0].text, texts[1].text, texts[2].text, {texts[0].stored, texts[1].stored, texts[2].stored}};
    combo->insertItem(index++, cp1252::ToQString(entry.name));
    list.push_back(std::move(entry));
  }
  return list;
}

std::vector<RouteEntry> FillRouteCombo(QComboBox* combo, DbDatabase* db) {
  std::vector<RouteEntry> list;
  DbSelect select(
      db, {.columns = "codperc, denom", .from = "tescor", .groupBy = "codperc, denom", .orderBy = "codperc, denom"});
  FillFrom(combo, select, [&] {
    DbText route = StoredCode(select, 0), name = StoredCode(select, 1);
    list.push_back({std::move(route.text), std::move(name.text), {std::move(route.stored), std::move(name.stored)}});
    return list.back().route;
  });
  return list;
}

std::vector<LocalityEntry> FillLocalityCombo(QComboBox* combo, DbDatabase* db) {
  std::vector<LocalityEntry> list;
  DbSelect select(db, {.columns = "id, denom, comune, prov", .from = "local", .orderBy = "denom, comune, prov"});
  FillFrom(combo, select, [&] {
    const std::string name = select.TrimmedAt(1), municipality = select.TrimmedAt(2), province = select.TrimmedAt(3);
    list.push_back({select.IntAt(0), name, municipality + " [" + province + "]"});
    return name + " [" + municipality + "-" + province + "]";
  });
  return list;
}

std::vector<DbText> FillStopCodeCombo(QComboBox* combo, DbDatabase* db) {
  std::vector<DbText> codes;
  DbSelect select(
      db, {.columns = "fermata, denom", .from = "detcor", .groupBy = "fermata, denom", .orderBy = "fermata, denom"});
  FillFrom(combo, select, [&] {
    codes.push_back(select.TrimmedTextAt(0));
    std::string code = codes.back().text;
    if (code.size() < 10) code.resize(10, ' ');
    return code + " " + select.TrimmedAt(1);
  });
  return codes;
}

std::vector<DbText> FillLineCombo(QComboBox* combo, DbDatabase* db) { return FillLines(combo, db, false); }

std::vector<DbText> FillTrimmedLineCombo(QComboBox* combo, DbDatabase* db) { return FillLines(combo, db, true); }

DbText ChosenCode(const QComboBox* combo, const std::vector<DbText>& codes, const std::string& code) {
  const int at = combo->currentIndex();
  if (at < 0 || static_cast<size_t>(at) >= codes.size()) return {code, {}};
  const DbText& listed = codes[static_cast<size_t>(at)];
  if (listed.text == code) return listed;
  // Bytes are listed by their literal, which the field's characters may cut (X'46455231' is
  // eleven): the entry shown as listed is still the one chosen, and its writer refuses it by name.
  if (listed.Bytes() && combo->currentText() == combo->itemText(at)) return listed;
  return {code, {}};
}

void FillTripAuthorityCombo(QComboBox* combo, DbDatabase* db) {
  DbSelect select(db, {.columns = "tescor.ente, regent.denom",
                       .from = "tescor, regent",
                       .where = "tescor.ente = regent.codice",
                       .groupBy = "tescor.ente, regent.denom",
                       .orderBy = "regent.denom"});
  FillFrom(combo, select, [&] {
    char head[16];
    std::snprintf(head, sizeof head, "%04d", select.IntAt(0));
    return std::string(head) + " - " + select.TrimmedAt(1);
  });
}
