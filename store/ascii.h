// ASCII character rules of the text readers. Case folding: objects.txt and scene.txt lines are
// lower-cased before anything looks at them, so keys, keywords and names match
// whatever case they were written in. Only the bytes "A" to "Z" change; bytes
// above 127 are left alone, so no locale can change what a file means.
#pragma once

#include <cstddef>

inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Lowers the first `length` bytes of `text` in place.
inline void LowerCaseAscii(char* text, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) text[i] = LowerAscii(text[i]);
}

// A decimal digit, whatever the locale says.
inline bool IsAsciiDigit(char c) {
  return c >= '0' && c <= '9';
}
