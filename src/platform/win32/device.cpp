#include "platform/device.h"

#include <windows.h>

#include "platform/backend.h"
#include "platform/constants.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

// DMProcessConfigXML exists only in a device's aygshell; elsewhere the call reports E_NOTIMPL.
using ProcessConfigXmlFunction = HRESULT(WINAPI*)(LPCWSTR, DWORD, LPWSTR*);

class Win32Device final : public Device {
 public:
  bool MessageBeep(uint32_t type) override { return ::MessageBeep(type) != FALSE; }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

  uint32_t ProcessConfigXml(const char16_t* document, uint32_t flags) override {
    HMODULE shell = LoadLibraryW(L"aygshell.dll");
    if (shell == nullptr) return win::kENotImpl;
    auto process = reinterpret_cast<ProcessConfigXmlFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell, "DMProcessConfigXML")));
    uint32_t result = win::kENotImpl;
    if (process != nullptr) {
      LPWSTR output = nullptr;
      result = static_cast<uint32_t>(process(win32::Wide(document), flags, &output));
      delete[] output;  // the device's runtime allocates the output document with new[]
    }
    FreeLibrary(shell);
    return result;
  }
};

}  // namespace

Device* backend::DefaultDevice() {
  static Win32Device device;
  return &device;
}

}  // namespace orvinta::platform
