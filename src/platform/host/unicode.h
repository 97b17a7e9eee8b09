// UTF-8 <-> UTF-16 at the host's edges (command line, file names, the log file).
#pragma once
#include <string>
#include <string_view>

namespace orvinta::platform::host {

// Invalid UTF-8 becomes U+FFFD, one per offending byte; never fails.
std::u16string Utf8ToUtf16(std::string_view text);

// Appends the UTF-8 form of text to out; a lone surrogate becomes U+FFFD.
void AppendUtf8(std::string& out, std::u16string_view text);

inline std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  AppendUtf8(out, text);
  return out;
}

}  // namespace orvinta::platform::host
