#pragma once
// A value read from the database that its column cannot hold as its kind (DbSelect::Fault: a text
// in a number column, bytes in a text column) stops a conversion before anything is written,
// naming the row as the user knows it and the field.

#include "db/DbSelect.h"
#include "db/StoredValueRefusal.h"

#include <string>

struct FieldDef;
struct RecordLayout;

// Opens `s` (DbSelect::Open) with such values told by its caller (SetFaultsToldByCaller), who
// stops at the first, rather than by the generic notice of the database layer.
int OpenToRefuseFaults(DbSelect& s);

// A day of the service calendar as the conversions name it, "cadenza FER, giorno 05/10/2026"; a
// date that is the value at fault (read empty) is left to the refusal's sentence, the day named by
// its day type alone (CalendarDayRowName).
std::string DayOfDayType(const std::string& code, const std::string& date);

// "ATTENZIONE: <row>:\n", the fault in words (the field named from `layout` when it has the
// column, else by the column's name) and what was not done; empty when the walk read no such value.
std::string RefuseStoredValue(const std::string& row, const DbSelect& s, const RecordLayout* layout, Undone work);

// The same for a selection's walk: true, with `refusal` set, when `s` has met such a value; `row`
// names the row, made only for a refusal.
template <typename Row>
bool StoredValueRefused(const DbSelect& s, const Row& row, const RecordLayout* layout, Undone work,
                        std::string& refusal) {
  if (!s.Faulted()) return false;
  refusal = RefuseStoredValue(row(), s, layout, work);
  return true;
}
