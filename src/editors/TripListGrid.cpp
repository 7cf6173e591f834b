#include "editors/TripListGrid.h"

#include "editing/TripRows.h"

#include <cstdlib>

namespace {

struct SortOrder {
  int command;
  const char* label;
  int column;  // the column whose header is highlighted
};

// By sort order: 0 id, 1 quadro, 2 route, 3 trip code, 4 line, 5 departure, 6 arrival, 7 length,
// 8 duration, 9 description, 10 regional id.
constexpr SortOrder kSortOrders[TripRows::kSortOrders] = {
    {5123, "per &ID Corsa", 0},
    {5124, "per &Quadro", 2},
    {5125, "per &Codice Aziendale Percorso", 3},
    {5126, "per &Codice Aziendale Corsa", 4},
    {5127, "per &Codice Aziendale Linea", 5},
    {5128, "per Orario &Partenza Corsa", 6},
    {5129, "per Orario &Arrivo Corsa", 7},
    {5130, "per &Lunghezza Corsa", 8},
    {5131, "per &Durata Corsa", 9},
    {5132, "per &Denominazione Corsa", 10},
    {5203, "per ID Corsa &Regionale", 1},
};

std::vector<GridColumn> Columns() {
  return {
      {"ID Azi", "999999", 2},
      {"ID Reg", "999999", 2},
      {"Quadro", "Quadro", 7},
      {"Codice Percorso", std::string(20, 'V')},
      {"Corsa", std::string(15, 'V')},
      {"Linea", std::string(12, 'V')},
      {"Partenza", "Partenza", 7},
      {"Arrivo", "Arrivo", 7},
      {"Lunghezza (Km)", "Lunghezza (Km)", 7},
      {"Durata", std::string(7, 'V'), 7},
      {"Descrizione Percorso", std::string(120, 'V')},
  };
}

}  // namespace

const int TripListGrid::kMenuOrder[11] = {0, 10, 1, 2, 3, 4, 5, 6, 7, 8, 9};

TripListGrid::TripListGrid(QWidget* parent, GridOwner* owner, TripRows* rows)
    : RecordListGrid(parent, owner, kChildId, Columns(), *rows) {}

int TripListGrid::SortCommand(int sortOrder) { return kSortOrders[sortOrder].command; }

int TripListGrid::SortOrderOf(int command) {
  for (int k = 0; k < TripRows::kSortOrders; ++k)
    if (kSortOrders[k].command == command) return k;
  return -1;
}

const char* TripListGrid::SortLabel(int sortOrder) { return kSortOrders[sortOrder].label; }

int TripListGrid::HighlightedColumn() const { return kSortOrders[rows_.SortOrder()].column; }

std::string TripListGrid::CellText(int row, int column) const {
  const TripLeg* trip = rows_.At(row);
  if (!trip) return {};
  switch (column) {
    case 0: return std::to_string(trip->id);
    case 1: return trip->regionalId < 0 ? std::string() : std::to_string(trip->regionalId);
    case 2: return std::to_string(trip->quadroNumber);
    case 3: return trip->routeCode;
    case 4: return trip->tripCode;
    case 5: return trip->lineCode + " " + std::string(1, trip->direction ? trip->direction : ' ');
    case 6: return trip->departureText;
    case 7: return trip->arrivalText;
    case 8: return trip->lengthText;
    case 9: return trip->durationText;
    case 10: return trip->description;
    default: return {};
  }
}

bool TripListGrid::FindScriptRow(const std::string& value, int& row, std::string& why) {
  char* end = nullptr;
  const long id = std::strtol(value.c_str(), &end, 10);
  row = value.empty() || *end ? -1 : rows_.FindId(static_cast<std::int32_t>(id));
  if (row < 0) why = "la corsa " + value + " non è nella lista";
  return row >= 0;
}
