#include "base/text.h"

namespace orvinta::base {

size_t TextLength(const char16_t* text) {
  size_t n = 0;
  while (text[n] != 0) ++n;
  return n;
}

size_t CommonPrefixLength(const char16_t* a, const char16_t* b) {
  size_t n = 0;
  while (a[n] != 0 && a[n] == b[n]) ++n;
  return n;
}

const char16_t* FindNoCase(const char16_t* text, const char16_t* pattern) {
  if (*text == 0) return nullptr;
  for (const char16_t* start = text; *start != 0; ++start) {
    size_t i = 0;
    while (pattern[i] != 0 && start[i] != 0 && SameNoCase(start[i], pattern[i])) ++i;
    if (pattern[i] == 0) return start;
    if (start[i] == 0) return nullptr;  // the rest of the text is shorter than the pattern
  }
  return nullptr;
}

size_t PrefixLengthNoCase(const char16_t* a, const char16_t* b) {
  size_t n = 0;
  bool pastEndOfB = false;
  while (a[n] != 0) {
    char16_t other = pastEndOfB ? 0 : b[n];
    if (!SameNoCase(a[n], other)) break;
    if (other == 0) pastEndOfB = true;
    ++n;
  }
  return n;
}

}  // namespace orvinta::base
