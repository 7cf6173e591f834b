#pragma once
// A stored value that its column cannot hold as its kind (DbSelect::Fault: bytes in a text
// column, a text in a number column) stops an editor before it shows or writes anything: the
// refusal names the row as the user knows it, the field by its name and title, and the value.

#include "common/Outcome.h"
#include "db/StoredValueRefusal.h"

#include <string>

class DbSelect;
struct DbText;

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

// A day type chosen from a list, about to be written into a period or the calendar: done for a
// text; refused for bytes where a text should be (DbText::Bytes), which would put a value of
// another kind into one more row, and nothing is written.
Outcome WritableDayType(const DbText& code);
