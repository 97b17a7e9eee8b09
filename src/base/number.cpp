#include "base/number.h"

#include "base/hex.h"

namespace orvinta::base {

namespace {

bool IsCRuntimeSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

}  // namespace

int32_t ParseNumber(const char16_t* text) {
  const char16_t* p = text;
  while (IsCRuntimeSpace(*p)) ++p;
  bool negative = false;
  if (*p == u'+' || *p == u'-') {
    negative = *p == u'-';
    ++p;
  }
  uint32_t value = 0;
  if (p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && HexDigitValue(p[2]) >= 0) {
    for (p += 2; HexDigitValue(*p) >= 0; ++p) value = value * 16u + static_cast<uint32_t>(HexDigitValue(*p));
  } else {
    for (; *p >= u'0' && *p <= u'9'; ++p) value = value * 10u + static_cast<uint32_t>(*p - u'0');
  }
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

char16_t* FormatDecimal(char16_t* out, int32_t value) {
  uint32_t magnitude = static_cast<uint32_t>(value);
  if (value < 0) {
    *out++ = u'-';
    magnitude = 0u - magnitude;
  }
  return FormatUnsigned(out, magnitude);
}

char16_t* FormatUnsigned(char16_t* out, uint32_t value) {
  char16_t digits[10];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + value % 10u);
    value /= 10u;
  } while (value != 0);
  while (count > 0) *out++ = digits[--count];
  return out;
}

char16_t* FormatHexPrefixed(char16_t* out, uint32_t value) {
  if (value == 0) {
    *out++ = u'0';
    return out;
  }
  *out++ = u'0';
  *out++ = u'X';
  int count = 0;
  for (uint32_t rest = value; rest != 0; rest >>= 4) ++count;
  return PutHexDigits(out, value, count);
}

}  // namespace orvinta::base
