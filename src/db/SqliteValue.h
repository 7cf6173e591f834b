#pragma once
// Moving values between SQLite statements and DbValue; used inside the database layer only.

#include "db/FieldValue.h"

#include <sqlite3.h>

// The value of a result column, typed by the field type letter of its declaration (0 when the
// column is an expression: the stored value's own class decides, and an ISO date text reads as
// a date). A date column's value is a date only as the layer writes it, a real date in the ISO
// text 2024-03-05, or as other programs write one, that text followed by a time of day
// (2024-03-05 00:00:00, 2024-03-05T10:30), which is dropped; any other value of it (another text, a
// number, bytes) reads as what it is.
DbValue ColumnValue(sqlite3_stmt* st, int col, char letter);
// The same into an existing value, reusing its text buffer.
void ColumnValueInto(sqlite3_stmt* st, int col, char letter, DbValue& out);
void ValueInto(sqlite3_value* value, char letter, DbValue& out);
// The letter by which a stored value of the engine's class `type` is read: its column's, or 0 (the
// value's own class decides) for a text or bytes in a numeric column, which another program may
// have written there and which no number stands for; so is a number with decimals in a
// whole-number column, and a number or bytes in a date column.
char ReadingLetter(char letter, int type);

// Binds a value to a parameter (1-based).
int BindValue(sqlite3_stmt* st, int param, const DbValue& value);

// Windows-1252 <-> UTF-8 with a fast path for plain ASCII.
std::string TextFromEngine(const unsigned char* utf8, int bytes);
// True when the bytes are plain ASCII (the same in both encodings).
bool IsAsciiText(const unsigned char* p, int bytes);
// The first character of a stored text that Windows-1252 lacks (U+FFFD: bytes that are no
// UTF-8) and the offset of the '?' that stands for it in the text read; false when the text
// converts whole.
bool FindLostCharacter(const unsigned char* utf8, int bytes, char32_t& code, int& at);
// The same into an existing string, reusing its buffer.
void TextFromEngineInto(const unsigned char* utf8, int bytes, std::string& out);
// The same, telling in one pass what FindLostCharacter tells: false, with the first character
// lost and the offset of its '?', when the text does not convert whole.
bool TextFromEngineMarked(const unsigned char* utf8, int bytes, std::string& out, char32_t& code, size_t& at);
std::string TextToEngine(const std::string& cp1252Text);
