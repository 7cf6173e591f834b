#pragma once
// The field type letters of the schema and their SQLite declarations, in one place: the database
// builder writes these declarations and the table layer reads them back to know each column's
// type and size.

#include "db/FieldValue.h"

#include <string>
#include <string_view>

struct FieldType {
  char letter = 0;  // A B D F I L M N O
  int size = 0;     // characters, for A only
};

// True for the nine letters A, B, D, F, I, L, M, N, O.
bool IsFieldTypeLetter(char letter);

// The declared SQLite type of a field, such as "VARCHAR(40)" or "SMALLINT"; empty for an
// unknown letter.
std::string SqlDeclaredType(FieldType type);

// The field type of a declared SQLite type; letter 0 when it is none of ours.
FieldType FieldTypeFromDeclared(std::string_view declared);

// The value kind that a field of this type holds.
DbValue::Kind ValueKindOf(char letter);

// Converts a text into the value of a field of the given type, as the engine would on a store:
// decimal integers (16- or 32-bit range), numbers with a decimal comma (a point is taken too),
// "1"/"0" (and other true/false words) for yes/no, d/m/yyyy dates, text unchanged. The empty text
// is NULL. On failure returns false and sets `error` to an Italian description.
bool ParseFieldText(FieldType type, std::string_view text, DbValue& out, std::string& error);

// SQLite names indexes across the whole file; ours are named per table, so the file holds each
// index as "<table>__<index>".
std::string SqlIndexName(std::string_view table, std::string_view index);
