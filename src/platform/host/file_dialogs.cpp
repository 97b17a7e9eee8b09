// The picker's libraries on the host: none. The host picks files by Tab completion in its
// terminal session, through the same filter (terminal_session.cpp).
#include "platform/file_dialogs.h"

namespace orvinta::platform {

namespace {

class HostFileDialogs final : public FileDialogs {
 public:
  ModuleHandle LoadDialogLibrary(const char16_t*) override { return nullptr; }
  ExportAddress GetProcAddressW(ModuleHandle, const char16_t*) override { return nullptr; }
  void FreeLibrary(ModuleHandle) override {}
  int32_t CallDialog(ExportAddress, FileDialogForm, bool, FileDialogRecord&) override { return 0; }
  int32_t MessageBoxW(uintptr_t, const char16_t*, const char16_t*, uint32_t) override { return 0; }
  void GetVersion(uint32_t* major, uint32_t* minor) override { *major = *minor = 0; }
  void PlatformType(char16_t* buffer, uint32_t) override { buffer[0] = 0; }
};

}  // namespace

FileDialogs& DefaultFileDialogs() {
  static HostFileDialogs dialogs;
  return dialogs;
}

}  // namespace orvinta::platform
