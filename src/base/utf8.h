// UTF-8 <-> UTF-16: the one codec, used wherever text leaves or enters the program as UTF-8
// (the host's file names and command line, the log file, the hive).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvinta::base {

// The length of the well-formed UTF-8 sequence at text[at] (1 to 4, no overlong forms, no
// surrogates, nothing above U+10FFFF) with its code point in *codePoint; 0 when there is none.
size_t DecodeUtf8Sequence(std::string_view text, size_t at, uint32_t* codePoint);

// Invalid UTF-8 becomes U+FFFD, one per offending byte; never fails.
std::u16string Utf8ToUtf16(std::string_view text);

// Appends the UTF-8 form of text to out; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text);

inline std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(out, text);
  return out;
}

constexpr bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
constexpr bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace orvinta::base
