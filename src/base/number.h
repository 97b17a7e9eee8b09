// The one number rule of every numeric argument, and the number formats of the macros.
#pragma once
#include <cstdint>

namespace orvinta::base {

// Leading white space, an optional sign, then "0x" and hexadecimal digits or else decimal
// digits, up to the first character that cannot continue the number. No number gives 0.
// The digits are taken modulo 2^32, so "0xFFFFFFFF" is -1; a longer or larger number keeps
// its low 32 bits.
int32_t ParseNumber(const char16_t* text);

// Appends `value` in decimal ("%d") at out and returns the position after it; at most 11 units.
char16_t* FormatDecimal(char16_t* out, int32_t value);
// The same for an unsigned value ("%u"); at most 10 units.
char16_t* FormatUnsigned(char16_t* out, uint32_t value);

// Appends `value` as "%#X" does: "0X" and upper-case digits without leading zeros, or "0" for
// zero. At most 10 units.
char16_t* FormatHexPrefixed(char16_t* out, uint32_t value);

}  // namespace orvinta::base
