#include "platform/log.h"

#include <windows.h>

#include <string>

#include "platform/backend.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

class Win32Log final : public Log {
 public:
  Win32Log() {
    // Looked up at run time: a device's system has no environment, and then there is no log file.
    using GetVariable = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto getVariable = kernel == nullptr ? nullptr
                                         : reinterpret_cast<GetVariable>(reinterpret_cast<void*>(
                                               GetProcAddress(kernel, "GetEnvironmentVariableW")));
    if (getVariable == nullptr) return;
    wchar_t path[MAX_PATH * 4];
    DWORD n = getVariable(L"ORVINTA_LOG", path, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) return;
    file_ = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~Win32Log() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  }

  bool Enabled() override { return file_ != INVALID_HANDLE_VALUE; }

  void Append(std::u16string_view text) override {
    if (file_ == INVALID_HANDLE_VALUE || text.empty()) return;
    int size = WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text.data()), static_cast<int>(text.size()), nullptr, 0,
                                   nullptr, nullptr);
    if (size <= 0) return;
    utf8_.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, win32::Wide(text.data()), static_cast<int>(text.size()), utf8_.data(), size,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file_, utf8_.data(), static_cast<DWORD>(size), &written, nullptr);
  }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::string utf8_;
};

}  // namespace

Log* backend::DefaultLog() {
  static Win32Log log;
  return &log;
}

}  // namespace orvinta::platform
