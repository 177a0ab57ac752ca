// Code page 1252 (Western European) as Wine implements it: case mapping byte
// for byte as CharLowerBuffA / CharUpperBuffA give it there, and the Unicode
// code point of every byte (the undefined bytes 0x81, 0x8D, 0x8F, 0x90 and
// 0x9D stand for U+0081 and so on, as in Wine's table). Used by the code page
// service and by the registry's name order. Constant tables; any thread.
#pragma once

#include <cstdint>

namespace avex::platform::cp1252 {

// Lower case: A-Z, 0xC0-0xDE except 0xD7, and Š Œ Ž Ÿ (0x8A 0x8C 0x8E 0x9F).
// Upper case is its inverse; µ (0xB5), ß (0xDF), ª and º stay as they are,
// because their upper case forms are not in the code page.
inline unsigned char Lower(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) return static_cast<unsigned char>(c + 0x20);
  switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
  }
}

inline unsigned char Upper(unsigned char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return static_cast<unsigned char>(c - 0x20);
  switch (c) {
    case 0x9A: return 0x8A;
    case 0x9C: return 0x8C;
    case 0x9E: return 0x8E;
    case 0xFF: return 0x9F;
    default: return c;
  }
}

inline uint16_t ToUnicode(unsigned char c) {
  static const uint16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
  };
  return (c >= 0x80 && c < 0xA0) ? kHigh[c - 0x80] : c;
}

}  // namespace avex::platform::cp1252
