#include "platform/processes.h"

#include <windows.h>

#include <string>

#include "platform/backend.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

class Win32Processes final : public Processes {
 public:
  uint32_t ModuleFileName(char16_t* buffer, uint32_t capacity) override {
    if (capacity == 0) return 0;
    DWORD n = GetModuleFileNameW(nullptr, win32::Wide(buffer), capacity);
    buffer[capacity - 1] = 0;  // XP-era systems leave a cut path unterminated
    return n < capacity ? n : capacity - 1;
  }

  bool FindResourceData(std::u16string_view name, uint32_t type, ResourceBytes* out) override {
    std::u16string zeroTerminated(name);
    HMODULE module = win32::ModuleInstance();
    HRSRC resource = FindResourceW(module, win32::Wide(zeroTerminated.c_str()), MAKEINTRESOURCEW(type));
    if (resource == nullptr) return false;
    HGLOBAL loaded = LoadResource(module, resource);
    if (loaded == nullptr) return false;
    out->data = LockResource(loaded);
    out->size = SizeofResource(module, resource);
    return out->data != nullptr;
  }
};

}  // namespace

Processes* backend::DefaultProcesses() {
  static Win32Processes processes;
  return &processes;
}

}  // namespace orvinta::platform
