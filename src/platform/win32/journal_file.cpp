// The journal: each line appended to the file that ORVINTA_JOURNAL named at start-up. Without
// the variable (always so on a device, which has no environment) there is none.
#include <windows.h>

#include <string>

#include "platform/backend.h"
#include "platform/win32/environment.h"

namespace orvinta::platform {

namespace {

class JournalFile final : public JournalSink {
 public:
  explicit JournalFile(std::wstring path) : path_(std::move(path)) {}
  void AppendLine(std::string_view line) override {
    std::string text(line);
    text += '\n';
    HANDLE file = CreateFileW(path_.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
  }

 private:
  std::wstring path_;
};

}  // namespace

JournalSink* backend::DefaultJournal() {
  static JournalSink* const journal = []() -> JournalSink* {
    std::wstring path;
    if (!win32::EnvironmentVariable(L"ORVINTA_JOURNAL", &path)) return nullptr;
    static JournalFile file(std::move(path));
    return &file;
  }();
  return journal;
}

}  // namespace orvinta::platform
