#pragma once
// The trip list: one row a trip head, eleven columns, the header of the sort column highlighted.
// Its popup menu holds the trip commands and the eleven sort orders.

#include "editing/TripRows.h"
#include "editors/ListGrid.h"

class TripListGrid : public RecordListGrid<TripRows> {
 public:
  TripListGrid(QWidget* parent, GridOwner* owner, TripRows* rows);

  std::string CellText(int row, int column) const override;
  int HighlightedColumn() const override;

  // The command of each sort order (0 to 10), and the sort order of a command (-1 for none).
  static int SortCommand(int sortOrder);
  static int SortOrderOf(int command);
  // The popup label of a sort order: "per &ID Corsa", ...
  static const char* SortLabel(int sortOrder);
  // The sort orders in the order of the popup's "&Ordinamento" submenu.
  static const int kMenuOrder[11];

  static constexpr int kChildId = 6005;

 protected:
  // A script selects a trip by its id.
  bool FindScriptRow(const std::string& value, int& row, std::string& why) override;
};
