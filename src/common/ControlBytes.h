#pragma once
// The bytes of the program's Windows-1252 texts that stand for no character of a name or a value.

// A control byte: below 0x20, DEL (0x7F), or one of the five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D), which stand for the C1 controls of their value (a U+0081 stored
// by another tool reads as 0x81; the other C1 controls are characters Windows-1252 lacks). No text
// or character field holds one: it would end the line (CR, LF), the file (Ctrl-Z) or the text
// (NUL), or stand for nothing printable. The other bytes from 0x80 up are letters of the code page
// and stay.
inline bool IsControlByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}
