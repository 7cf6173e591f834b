#include "db/DbCollation.h"

#include "common/Formatters.h"

#include <sqlite3.h>

namespace {

// The next code point of a UTF-8 text (a malformed byte stands for itself).
char32_t NextCodePoint(std::string_view text, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(text[i++]);
  int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
  if (c < 0x80 || i + more > text.size()) return c;
  char32_t cp = c & (0x3F >> more);
  for (; more > 0; --more) cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
  return cp;
}

// The letter a character sorts as: lower case, without its accent.
char32_t Folded(char32_t c) {
  if (c >= 'A' && c <= 'Z') return c + ('a' - 'A');
  if (c < 0xC0) return c;
  if (c <= 0xFF) {
    // À..ÿ of Latin-1: the base letter of each, in code order.
    static const char kBase[] =
        "aaaaaaaceeeeiiii"      // À Á Â Ã Ä Å Æ Ç È É Ê Ë Ì Í Î Ï
        "dnooooo\xd7ouuuuyts"   // Ð Ñ Ò Ó Ô Õ Ö × Ø Ù Ú Û Ü Ý Þ ß
        "aaaaaaaceeeeiiii"      // à á â ã ä å æ ç è é ê ë ì í î ï
        "dnooooo\xf7ouuuuyty";  // ð ñ ò ó ô õ ö ÷ ø ù ú û ü ý þ ÿ
    const char base = kBase[c - 0xC0];
    return base == '\xd7' || base == '\xf7' ? c : static_cast<unsigned char>(base);
  }
  switch (c) {
    case 0x160:
    case 0x161: return 's';  // Š š
    case 0x17D:
    case 0x17E: return 'z';  // Ž ž
    case 0x152:
    case 0x153: return 'o';  // Œ œ
    case 0x178: return 'y';  // Ÿ
    default: return c;
  }
}

int Collate(void*, int aLength, const void* a, int bLength, const void* b) {
  return DictionaryCompare(std::string_view(static_cast<const char*>(a), static_cast<size_t>(aLength)),
                           std::string_view(static_cast<const char*>(b), static_cast<size_t>(bLength)));
}

}  // namespace

int DictionaryCompare(std::string_view a, std::string_view b) {
  a = WithoutTrailingBlanks(a);
  b = WithoutTrailingBlanks(b);
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t x = Folded(NextCodePoint(a, i)), y = Folded(NextCodePoint(b, j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  // Equal as letters: a fixed order all the same, so that a sort gives one answer.
  const int bytes = a.compare(b);
  return bytes < 0 ? -1 : bytes > 0 ? 1 : 0;
}

void RegisterDictionaryCollation(sqlite3* db) {
  sqlite3_create_collation_v2(db, "DICTIONARY", SQLITE_UTF8, nullptr, Collate, nullptr);
}
