#include "platform/text_time.h"

#include <windows.h>

#include <cwchar>

#include "platform/backend.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

class Win32TextTime final : public TextTime {
 public:
  int FormatTime(char16_t* buffer, int capacity) override {
    return GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, win32::Wide(buffer), capacity);
  }

  int FormatDate(char16_t* buffer, int capacity) override {
    return GetDateFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, win32::Wide(buffer), capacity);
  }

  uint32_t FormatSystemMessage(uint32_t code, char16_t* buffer, uint32_t capacity) override {
    if (capacity == 0) return 0;
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             win32::Wide(buffer), capacity, nullptr);
    if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
      // A text longer than the buffer is cut, not lost.
      wchar_t* whole = nullptr;
      n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&whole), 0, nullptr);
      if (n == 0 || whole == nullptr) return 0;
      if (n > capacity - 1) n = capacity - 1;
      for (DWORD i = 0; i < n; ++i) buffer[i] = static_cast<char16_t>(whole[i]);
      LocalFree(whole);
    }
    buffer[n < capacity ? n : capacity - 1] = 0;
    return n;
  }

  int MultiByteToWideChar(const char* source, int sourceLength, char16_t* destination, int capacity) override {
    return ::MultiByteToWideChar(CP_ACP, 0, source, sourceLength, win32::Wide(destination), capacity);
  }

  int WideCharToMultiByte(const char16_t* source, int sourceLength, char* destination, int capacity) override {
    return ::WideCharToMultiByte(CP_ACP, 0, win32::Wide(source), sourceLength, destination, capacity, nullptr, nullptr);
  }

  int CompareNoCase(const char16_t* a, const char16_t* b) override { return _wcsicmp(win32::Wide(a), win32::Wide(b)); }
};

}  // namespace

TextTime* backend::DefaultTextTime() {
  static Win32TextTime text;
  return &text;
}

}  // namespace orvinta::platform
