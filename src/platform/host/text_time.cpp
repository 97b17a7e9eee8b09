#include "platform/text_time.h"

#include <langinfo.h>

#include <ctime>
#include <string>

#include "platform/backend.h"
#include "platform/constants.h"
#include "platform/platform.h"
#include "platform/host/code_page.h"
#include "platform/host/system_messages.h"
#include "base/case_rules.h"
#include "base/utf8.h"

namespace orvinta::platform {

namespace {

// Formats now with the locale's date or time format; like the Win32 calls, a text that does
// not fit the buffer is a failure.
int FormatNow(const char* format, char16_t* buffer, int capacity) {
  if (capacity <= 0) return 0;
  time_t now = time(nullptr);
  tm local{};
  if (localtime_r(&now, &local) == nullptr) return 0;
  char text[256];
  size_t length = strftime(text, sizeof text, format, &local);
  if (length == 0) return 0;
  std::u16string wide = base::Utf8ToUtf16(std::string_view(text, length));
  if (wide.size() + 1 > static_cast<size_t>(capacity)) return 0;
  wide.copy(buffer, wide.size());
  buffer[wide.size()] = 0;
  return static_cast<int>(wide.size() + 1);
}

class HostTextTime final : public TextTime {
 public:
  int FormatTime(char16_t* buffer, int capacity) override { return FormatNow(nl_langinfo(T_FMT), buffer, capacity); }
  int FormatDate(char16_t* buffer, int capacity) override { return FormatNow(nl_langinfo(D_FMT), buffer, capacity); }

  uint32_t FormatSystemMessage(uint32_t code, char16_t* buffer, uint32_t capacity) override {
    if (capacity == 0) return 0;
    std::u16string_view text = host::SystemMessageText(code);
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    text.copy(buffer, n);
    buffer[n] = 0;
    return static_cast<uint32_t>(n);
  }

  int MultiByteToWideChar(const char* source, int sourceLength, char16_t* destination, int capacity) override {
    uint32_t error = 0;
    int n = host::AnsiToUtf16(source, sourceLength, destination, capacity, &error);
    if (n == 0) Get().files->SetLastError(error);
    return n;
  }

  int WideCharToMultiByte(const char16_t* source, int sourceLength, char* destination, int capacity) override {
    uint32_t error = 0;
    int n = host::Utf16ToAnsi(source, sourceLength, destination, capacity, &error);
    if (n == 0) Get().files->SetLastError(error);
    return n;
  }

  // As the Windows runtime does in its default locale: only A to Z fold, to a to z.
  int CompareNoCase(const char16_t* a, const char16_t* b) override {
    for (;; ++a, ++b) {
      const int x = base::AsciiLower(*a), y = base::AsciiLower(*b);
      if (x != y || x == 0) return x - y;
    }
  }
};

}  // namespace

TextTime* backend::DefaultTextTime() {
  static HostTextTime text;
  return &text;
}

}  // namespace orvinta::platform
