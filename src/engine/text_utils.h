// Text utilities shared by the engine and the command handlers. All work on zero-terminated
// UTF-16 texts, code unit by code unit.
#pragma once
#include <cstddef>

namespace orvinta::engine {

// The program's case rule: two code units are equal when they are the same or differ by
// exactly 32. Letters match regardless of case, and so do some other pairs ("." and "N").
constexpr bool SameNoCase(char16_t a, char16_t b) {
  return a == b || a - b == 32 || b - a == 32;
}

// Leading code units in which a and b are equal; stops at the end of a or the first difference.
size_t CommonPrefixLength(const char16_t* a, const char16_t* b);

// First occurrence of pattern in text under SameNoCase, or nullptr. An empty text contains
// nothing; an empty pattern is found at the start of a non-empty text.
const char16_t* FindNoCase(const char16_t* text, const char16_t* pattern);

// Leading code units of a that match b under SameNoCase. Stops at the end of a or at the first
// mismatch; past its end b reads as zeros, which only a blank (32) of a matches.
size_t PrefixLengthNoCase(const char16_t* a, const char16_t* b);

// 0..15 for a hexadecimal digit of either case, -1 for anything else.
constexpr int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

constexpr bool IsBlankOrTab(char16_t c) { return c == u' ' || c == u'\t'; }

// Zero-terminated length.
size_t TextLength(const char16_t* text);

}  // namespace orvinta::engine
