#include "base/case_rules.h"

namespace orvinta::base {

char16_t NameUpper(char16_t c) {
  if (c < 0x80) return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
  if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<char16_t>(c - 32);
  if (c == 0xFF) return 0x178;
  if (c >= 0x100 && c <= 0x17F) {
    // Latin Extended-A pairs upper and lower case as even/odd, shifted by one in two stretches.
    if (c == 0x138 || c == 0x149 || c == 0x17F) return c;
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool isLower = oddUpper ? (c % 2 == 0) : (c % 2 == 1);
    return isLower ? static_cast<char16_t>(c - 1) : c;
  }
  if (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) return static_cast<char16_t>(c - 32);
  if (c >= 0x430 && c <= 0x44F) return static_cast<char16_t>(c - 32);
  if (c >= 0x450 && c <= 0x45F) return static_cast<char16_t>(c - 80);
  if (c >= 0xFF41 && c <= 0xFF5A) return static_cast<char16_t>(c - 32);
  return c;
}

int CompareNames(const char16_t* a, const char16_t* b) {
  for (;; ++a, ++b) {
    const char16_t x = NameUpper(*a), y = NameUpper(*b);
    if (x != y || x == 0) return x < y ? -1 : x > y ? 1 : 0;
  }
}

}  // namespace orvinta::base
