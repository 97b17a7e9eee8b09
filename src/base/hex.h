// Hexadecimal digits: the one table and the one digit rule.
#pragma once
#include <cstdint>
#include <type_traits>

namespace orvinta::base {

inline constexpr char kUpperHexDigits[] = "0123456789ABCDEF";
inline constexpr char kLowerHexDigits[] = "0123456789abcdef";

// 0..15 for a hexadecimal digit of either case, -1 for anything else.
constexpr int HexDigitValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  if (c >= u'a' && c <= u'f') return c - u'a' + 10;
  return -1;
}

// Writes the low `count` digits of value, most significant first, and returns the position
// after them.
template <typename Unit>
constexpr Unit* PutHexDigits(Unit* out, uint32_t value, int count, const char* digits = kUpperHexDigits) {
  for (int shift = (count - 1) * 4; shift >= 0; shift -= 4) *out++ = static_cast<Unit>(digits[(value >> shift) & 15u]);
  return out;
}

// Reads exactly `count` hexadecimal digits; false when any of them is not one.
template <typename Unit>
constexpr bool ReadHexDigits(const Unit* text, int count, uint32_t* value) {
  uint32_t sum = 0;
  for (int i = 0; i < count; ++i) {
    const int digit = HexDigitValue(static_cast<char16_t>(static_cast<std::make_unsigned_t<Unit>>(text[i])));
    if (digit < 0) return false;
    sum = sum * 16u + static_cast<uint32_t>(digit);
  }
  *value = sum;
  return true;
}

}  // namespace orvinta::base
