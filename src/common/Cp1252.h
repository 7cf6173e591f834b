#pragma once
// Windows-1252 text. Inside the program every text is a byte string in this code page: field
// sizes, fixed-width records and byte tests count bytes. The database stores UTF-8 and the Qt
// layer works in QString; these functions convert at those two borders. The sources are UTF-8
// and the compiler writes narrow string literals in Windows-1252 (-fexec-charset), so a literal
// such as "Località" is already a text of the program.

#include <QString>
#include <string>
#include <string_view>

namespace cp1252 {

// The Unicode code point of one Windows-1252 byte. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 control of the same value, as Windows does, so
// every byte string survives a round trip.
char32_t ToUnicode(unsigned char byte);

// The Windows-1252 byte of a code point; false when the code page has no such character.
bool FromUnicode(char32_t codePoint, unsigned char& byte);

std::string ToUtf8(std::string_view text);

// UTF-8 to Windows-1252. A character the code page lacks, or a malformed sequence, makes the
// result false; `out` then holds the text with '?' in those places, `badChar` (when given) the
// first offending character (U+FFFD for bytes that are no UTF-8) and `badAt` (when given) the
// offset of its '?' in `out`.
bool FromUtf8(std::string_view utf8, std::string& out, char32_t* badChar = nullptr, size_t* badAt = nullptr);
std::string FromUtf8Lossy(std::string_view utf8);

QString ToQString(std::string_view text);
bool FromQString(const QString& text, std::string& out, QChar* badChar = nullptr);
std::string FromQStringLossy(const QString& text);

}  // namespace cp1252
