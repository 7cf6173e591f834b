#pragma once
// A stored value that its column cannot hold as its kind (DbSelect::Fault: bytes in a text
// column, a text in a number column) stops an editor before it shows or writes anything: the
// refusal names the row as the user knows it, the field by its name and title, and the value.

#include "db/StoredValueRefusal.h"

#include <string>

class DbSelect;

struct EditorFault {
  std::string row;    // "corsa 17", "fermata 3 della corsa 17"
  std::string value;  // the fault in words (DbSelect::FaultText)
  bool Any() const { return !value.empty(); }
  // "ATTENZIONE: <row>:\n<value>\n\n<tail>"; empty when there is none.
  std::string Refusal(Undone undone = Undone::Editor) const;
};

// The first fault of `select` (none when it has none), its field named with its title in
// `table`, on the row named `row`.
EditorFault FaultOf(const DbSelect& select, const char* table, std::string row);
