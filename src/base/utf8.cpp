#include "base/utf8.h"

namespace orvinta::base {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

void AppendCodePoint(std::u16string& out, uint32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    cp -= 0x10000;
    out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
    out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
  }
}

}  // namespace

size_t DecodeUtf8Sequence(std::string_view text, size_t at, uint32_t* codePoint) {
  const auto byte = static_cast<unsigned char>(text[at]);
  if (byte < 0x80) {
    *codePoint = byte;
    return 1;
  }
  size_t extra = 0;
  uint32_t cp = 0, minimum = 0;
  if (byte >= 0xC2 && byte <= 0xDF) {
    extra = 1, cp = byte & 0x1F, minimum = 0x80;
  } else if (byte >= 0xE0 && byte <= 0xEF) {
    extra = 2, cp = byte & 0x0F, minimum = 0x800;
  } else if (byte >= 0xF0 && byte <= 0xF4) {
    extra = 3, cp = byte & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (at + extra >= text.size()) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    const auto next = static_cast<unsigned char>(text[at + k]);
    if ((next & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (next & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  *codePoint = cp;
  return extra + 1;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    uint32_t cp = 0;
    const size_t length = DecodeUtf8Sequence(text, i, &cp);
    if (length == 0) {
      out.push_back(kReplacement);
      ++i;
      continue;
    }
    AppendCodePoint(out, cp);
    i += length;
  }
  return out;
}

void AppendUtf8(std::string& out, std::u16string_view text) {
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t cp = text[i];
    if (IsHighSurrogate(text[i]) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00u);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = kReplacement;
    }
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
}

}  // namespace orvinta::base
