#include "platform/log.h"

#include <windows.h>

#include <string>

#include "platform/backend.h"
#include "platform/win32/environment.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

class Win32Log final : public Log {
 public:
  Win32Log() {
    std::wstring path;
    if (!win32::EnvironmentVariable(L"ORVINTA_LOG", &path)) return;
    file_ = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
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
