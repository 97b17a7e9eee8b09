// Arbitrary bytes through the host's ANSI-to-UTF-16 conversion, which widens ASCII runs itself:
// the result must be what iconv alone gives, unit for unit, error for error. The first byte picks
// one of the code pages a script may use; the rest is the text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/host/code_page.h"

namespace host = orvinta::platform::host;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const uint32_t kCodePages[] = {1252, 936, 932, 949, 950, 65001};
  if (size < 2 || size > 65536) return 0;
  const uint32_t codePage = kCodePages[data[0] % (sizeof kCodePages / sizeof kCodePages[0])];
  if (host::AnsiCodePage() != codePage && !host::SelectAnsiCodePage(codePage)) std::abort();
  const char* bytes = reinterpret_cast<const char*>(data + 1);
  const int length = static_cast<int>(size - 1);
  // A room of a unit per byte, and one too small for some texts.
  for (int capacity : {length, length / 2}) {
    std::vector<char16_t> fast(static_cast<size_t>(capacity) + 1, 0xCCCC), plain(fast);
    uint32_t fastError = 0, plainError = 0;
    int fastCount = host::AnsiToUtf16(bytes, length, fast.data(), capacity, &fastError);
    int plainCount = host::AnsiToUtf16ThroughIconv(bytes, length, plain.data(), capacity, &plainError);
    if (fastCount != plainCount || (fastCount == 0 && fastError != plainError) || fast != plain) std::abort();
  }
  return 0;
}
