#include "platform/provisioning_values.h"

#include "platform/constants.h"

namespace orvinta::platform {

namespace {

constexpr char16_t kStringSeparator = 0xF000;

bool SameAsciiNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char16_t x = a[i] >= u'A' && a[i] <= u'Z' ? a[i] + 32 : a[i];
    if (x != b[i]) return false;
  }
  return true;
}

bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

void PutDword(uint32_t value, RegistryData& out) {
  out.type = win::kRegDword;
  out.bytes = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
               static_cast<uint8_t>(value >> 24)};
}

void AppendUnits(std::u16string_view text, std::vector<uint8_t>& bytes) {
  for (char16_t c : text) {
    bytes.push_back(static_cast<uint8_t>(c));
    bytes.push_back(static_cast<uint8_t>(c >> 8));
  }
}

bool ParseInteger(std::u16string_view text, uint32_t& value) {
  bool negative = !text.empty() && text[0] == u'-';
  std::u16string_view digits = text.substr(negative ? 1 : 0);
  if (digits.empty()) return false;
  uint64_t magnitude = 0;
  for (char16_t c : digits) {
    if (!IsDigit(c)) return false;
    magnitude = magnitude * 10 + static_cast<uint64_t>(c - u'0');
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  if (negative && magnitude > 0x80000000ull) return false;
  value = static_cast<uint32_t>(negative ? 0 - magnitude : magnitude);
  return true;
}

bool IsDecimalNumber(std::u16string_view text) {
  size_t at = 0;
  if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) ++at;
  size_t digits = 0;
  while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  if (at < text.size() && text[at] == u'.') {
    ++at;
    while (at < text.size() && IsDigit(text[at])) ++at, ++digits;
  }
  if (digits == 0) return false;
  if (at < text.size() && (text[at] == u'e' || text[at] == u'E')) {
    ++at;
    if (at < text.size() && (text[at] == u'-' || text[at] == u'+')) ++at;
    size_t exponent = 0;
    while (at < text.size() && IsDigit(text[at])) ++at, ++exponent;
    if (exponent == 0) return false;
  }
  return at == text.size();
}

bool ParseMultiString(std::u16string_view text, std::vector<uint8_t>& bytes) {
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(kStringSeparator, start);
    if (end == start) {
      // Two separators end the list: nothing may follow them.
      if (start + 1 != text.size()) return false;
      break;
    }
    if (end == std::u16string_view::npos) end = text.size();
    AppendUnits(text.substr(start, end - start), bytes);
    bytes.insert(bytes.end(), {0, 0});
    start = end + 1;
  }
  bytes.insert(bytes.end(), {0, 0});
  return true;
}

int Base64Digit(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c - u'A';
  if (c >= u'a' && c <= u'z') return c - u'a' + 26;
  if (c >= u'0' && c <= u'9') return c - u'0' + 52;
  if (c == u'+') return 62;
  if (c == u'/') return 63;
  return -1;
}

// Reads exactly `count` decimal digits at text[at].
bool Digits(std::u16string_view text, size_t& at, size_t count, int& value) {
  value = 0;
  for (size_t i = 0; i < count; ++i, ++at) {
    if (at >= text.size() || !IsDigit(text[at])) return false;
    value = value * 10 + (text[at] - u'0');
  }
  return true;
}

bool Expect(std::u16string_view text, size_t& at, char16_t c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

// Days from 1601-01-01 to the date (proleptic Gregorian; the years here are all positive).
int64_t DaysSince1601(int year, int month, int day) {
  int64_t y = year - (month <= 2 ? 1 : 0);
  int64_t era = y / 400;
  int64_t yearOfEra = y - era * 400;
  int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  constexpr int64_t kDaysTo1970 = 719468;       // from 0000-03-01, the count's start
  constexpr int64_t k1601To1970 = 134774;
  return era * 146097 + dayOfEra - kDaysTo1970 + k1601To1970;
}

bool IsLeap(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

}  // namespace

bool DecodeBase64(std::u16string_view text, std::vector<uint8_t>& out) {
  uint32_t group = 0;
  int held = 0;
  int padding = 0;
  for (char16_t c : text) {
    if (c == u' ' || c == u'\t' || c == u'\r' || c == u'\n') continue;
    if (c == u'=') {
      if (held < 2 || ++padding + held > 4) return false;
      continue;
    }
    int digit = Base64Digit(c);
    if (digit < 0 || padding > 0) return false;
    group = group << 6 | static_cast<uint32_t>(digit);
    if (++held == 4) {
      out.insert(out.end(), {static_cast<uint8_t>(group >> 16), static_cast<uint8_t>(group >> 8),
                             static_cast<uint8_t>(group)});
      group = 0;
      held = 0;
    }
  }
  if (held == 0) return padding == 0;
  if (held + padding != 4) return false;
  group <<= 6 * (4 - held);
  out.push_back(static_cast<uint8_t>(group >> 16));
  if (held == 3) out.push_back(static_cast<uint8_t>(group >> 8));
  return true;
}

std::u16string EncodeBase64(const std::vector<uint8_t>& bytes) {
  static constexpr char16_t kAlphabet[] = u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::u16string text;
  for (size_t i = 0; i < bytes.size(); i += 3) {
    uint32_t group = static_cast<uint32_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) group |= static_cast<uint32_t>(bytes[i + 1]) << 8;
    if (i + 2 < bytes.size()) group |= bytes[i + 2];
    text += kAlphabet[group >> 18 & 63];
    text += kAlphabet[group >> 12 & 63];
    text += i + 1 < bytes.size() ? kAlphabet[group >> 6 & 63] : u'=';
    text += i + 2 < bytes.size() ? kAlphabet[group & 63] : u'=';
  }
  return text;
}

bool ParseIsoFileTime(std::u16string_view text, bool withTime, uint64_t& fileTime) {
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  size_t at = 0;
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!Digits(text, at, 4, year) || !Expect(text, at, u'-') || !Digits(text, at, 2, month) ||
      !Expect(text, at, u'-') || !Digits(text, at, 2, day)) {
    return false;
  }
  if (year < 1601 || month < 1 || month > 12 || day < 1) return false;
  if (day > kMonthDays[month - 1] + (month == 2 && IsLeap(year) ? 1 : 0)) return false;
  uint64_t fraction = 0;  // in 100 ns
  if (withTime) {
    if (!Expect(text, at, u'T') || !Digits(text, at, 2, hour) || !Expect(text, at, u':') ||
        !Digits(text, at, 2, minute) || !Expect(text, at, u':') || !Digits(text, at, 2, second)) {
      return false;
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
    if (at < text.size() && text[at] == u'.') {
      ++at;
      uint64_t scale = 1000000;
      size_t digits = 0;
      for (; at < text.size() && IsDigit(text[at]); ++at, ++digits) {
        fraction += static_cast<uint64_t>(text[at] - u'0') * scale;
        scale /= 10;
      }
      if (digits == 0) return false;
    }
    if (at < text.size() && text[at] == u'Z') ++at;
  }
  if (at != text.size()) return false;
  auto seconds = static_cast<uint64_t>(DaysSince1601(year, month, day)) * 86400 +
                 static_cast<uint64_t>(hour * 3600 + minute * 60 + second);
  fileTime = seconds * 10000000 + fraction;
  return true;
}

ValueVerdict DecodeParmValue(std::u16string_view datatype, std::u16string_view value, RegistryData& out) {
  out.bytes.clear();
  if (datatype.empty() || SameAsciiNoCase(datatype, u"string") || SameAsciiNoCase(datatype, u"float")) {
    if (!datatype.empty() && SameAsciiNoCase(datatype, u"float") && !IsDecimalNumber(value)) {
      return ValueVerdict::BadValue;
    }
    out.type = win::kRegSz;
    AppendUnits(value, out.bytes);
    out.bytes.insert(out.bytes.end(), {0, 0});
    return ValueVerdict::Ok;
  }
  if (SameAsciiNoCase(datatype, u"integer")) {
    uint32_t number = 0;
    if (!ParseInteger(value, number)) return ValueVerdict::BadValue;
    PutDword(number, out);
    return ValueVerdict::Ok;
  }
  if (SameAsciiNoCase(datatype, u"boolean")) {
    if (value == u"1" || SameAsciiNoCase(value, u"true")) {
      PutDword(1, out);
    } else if (value == u"0" || SameAsciiNoCase(value, u"false")) {
      PutDword(0, out);
    } else {
      return ValueVerdict::BadValue;
    }
    return ValueVerdict::Ok;
  }
  if (SameAsciiNoCase(datatype, u"multiplestring")) {
    out.type = win::kRegMultiSz;
    return ParseMultiString(value, out.bytes) ? ValueVerdict::Ok : ValueVerdict::BadValue;
  }
  if (SameAsciiNoCase(datatype, u"binary")) {
    out.type = win::kRegBinary;
    return DecodeBase64(value, out.bytes) ? ValueVerdict::Ok : ValueVerdict::BadValue;
  }
  bool time = SameAsciiNoCase(datatype, u"time");
  if (time || SameAsciiNoCase(datatype, u"date")) {
    uint64_t fileTime = 0;
    if (!ParseIsoFileTime(value, time, fileTime)) return ValueVerdict::BadValue;
    out.type = win::kRegBinary;
    for (int i = 0; i < 8; ++i) out.bytes.push_back(static_cast<uint8_t>(fileTime >> (8 * i)));
    return ValueVerdict::Ok;
  }
  return ValueVerdict::UnknownDatatype;
}

void EncodeParmValue(const RegistryData& data, std::u16string& datatype, std::u16string& value) {
  value.clear();
  auto units = [&data](size_t count) {
    std::u16string text;
    for (size_t i = 0; i < count && 2 * i + 1 < data.bytes.size(); ++i) {
      text += static_cast<char16_t>(data.bytes[2 * i] | data.bytes[2 * i + 1] << 8);
    }
    return text;
  };
  if (data.type == win::kRegDword && data.bytes.size() == 4) {
    datatype = u"integer";
    uint32_t number = data.bytes[0] | data.bytes[1] << 8 | data.bytes[2] << 16 | static_cast<uint32_t>(data.bytes[3]) << 24;
    std::u16string digits;
    do {
      digits.insert(digits.begin(), static_cast<char16_t>(u'0' + number % 10));
      number /= 10;
    } while (number != 0);
    value = digits;
  } else if (data.type == win::kRegSz || data.type == win::kRegExpandSz) {
    datatype = u"string";
    value = units(data.bytes.size() / 2);
    value = value.substr(0, value.find(u'\0'));
  } else if (data.type == win::kRegMultiSz) {
    datatype = u"multiplestring";
    std::u16string all = units(data.bytes.size() / 2);
    size_t start = 0;
    while (start < all.size() && all[start] != u'\0') {
      size_t end = all.find(u'\0', start);
      if (end == std::u16string::npos) end = all.size();
      value += all.substr(start, end - start);
      value += kStringSeparator;
      start = end + 1;
    }
    value += kStringSeparator;
  } else {
    datatype = u"binary";
    value = EncodeBase64(data.bytes);
  }
}

}  // namespace orvinta::platform
