#pragma once
// How texts read from the database are compared, grouped, looked up and folded: by the text the
// database holds. A text read is whole, and then it is its own key; a text that lost a character
// Windows-1252 lacks (read with '?') is keyed by its stored UTF-8 after a NUL byte, so that
// "Łódź" and "Śódź", both read "?ód?", stay two texts and neither is taken for a text of a file
// that holds "?ód?". Every comparison, map key, grouping and letter-case fold of texts read goes
// through these; what is shown or written is still the text read.

#include "db/DbSelect.h"

#include <string>
#include <string_view>

// Whether letter case counts in a comparison. Without it, a whole text has its Windows-1252
// letters folded (the accented capitals, Š, Œ, Ž and Ÿ included) and a text that lost a
// character its stored text folded as Unicode folds each character (Ł as ł), so that "Łódź" and
// "ŁÓDŹ" are one text. A whole text with µ is keyed as Unicode folds it too (µ as the Greek μ,
// which the code page lacks), so that "µA", "ΜA" and "μA" are one text.
enum class LetterCase { Counts, Ignored };

// The key of a text read with its stored text (DbSelect::TrimmedTextAt).
std::string TextKey(const DbText& text, LetterCase letterCase = LetterCase::Counts);

// The key of column `position` of the row a selection stands on, without trailing blanks, read
// into `key`: a string kept from row to row costs no allocation for a whole text.
void ReadTextKey(DbSelect& select, int position, std::string& key, LetterCase letterCase = LetterCase::Counts);
std::string TextKeyAt(DbSelect& select, int position, LetterCase letterCase = LetterCase::Counts);

// A text read without its trailing blanks together with its key (letter case counting), in one
// reading of a whole text: for walks that show a text and tell texts apart by it.
struct KeyedText {
  std::string text;     // as read
  std::string lostKey;  // the key of a text that lost a character; empty for a whole text
  std::string_view Key() const { return lostKey.empty() ? std::string_view(text) : std::string_view(lostKey); }
};
void ReadKeyedText(DbSelect& select, int position, KeyedText& out);
KeyedText KeyedTextAt(DbSelect& select, int position);

// The Windows-1252 letters of a text in lower case, in place (the fold of a whole text above,
// but for µ, which stays).
void FoldLetters(std::string& text);
// One letter so folded.
char FoldedLetter(char c);
