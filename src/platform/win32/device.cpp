// The device services on Windows. The calls only a Windows CE device has are looked up at run
// time (kernel I/O control, the clean-reboot flag and power-off in coredll, the shell's
// ExitWindowsEx and DMProcessConfigXML in aygshell) and report failure where they are absent,
// as on a desktop, where SHUT therefore never switches the machine off.
//
// The test seam: with ORVINTA_DEVICE_CALLS set to exactly "journal-only" and ORVINTA_JOURNAL
// naming a file, every device call is written to that journal instead of being made, and
// answered as the host answers it (platform/device_journal.h). Tests of SHUT, SEND and PLAY use
// it so that they never power off, reboot or type into the machine that runs them. It is read
// once, from the environment, which a Windows CE device does not have; both variables must be
// set, the value matches only exactly; and engaged by mistake it only withholds device calls.
#include "platform/device.h"

#include <windows.h>
#include <mmsystem.h>

#include <string>

#include "platform/backend.h"
#include "platform/config_manager.h"
#include "platform/constants.h"
#include "platform/device_journal.h"
#include "platform/win32/environment.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

using ProcessConfigXmlFunction = HRESULT(WINAPI*)(LPCWSTR, DWORD, LPWSTR*);
using KernelIoControlFunction = BOOL(WINAPI*)(DWORD, LPVOID, DWORD, LPVOID, DWORD, LPDWORD);
using NoArgumentsFunction = void(WINAPI*)();
using ExitWindowsExFunction = BOOL(WINAPI*)(UINT, DWORD);

// An export of a library that is already loaded (coredll on a device), or null.
template <typename Function>
Function LoadedExport(const wchar_t* library, const char* name) {
  HMODULE module = GetModuleHandleW(library);
  if (module == nullptr) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class Win32Device final : public Device {
 public:
  bool MessageBeep(uint32_t type) override { return ::MessageBeep(type) != FALSE; }

  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }

  // The device's own configuration manager where the shell has one; the stand-in elsewhere.
  uint32_t ProcessConfigXml(const char16_t* document, uint32_t flags, std::u16string* output) override {
    HMODULE shell = LoadLibraryW(L"aygshell.dll");
    auto process = shell == nullptr ? nullptr
                                    : reinterpret_cast<ProcessConfigXmlFunction>(reinterpret_cast<void*>(
                                          GetProcAddress(shell, "DMProcessConfigXML")));
    if (process == nullptr) {
      if (shell != nullptr) FreeLibrary(shell);
      return ProcessConfigXmlStandIn(document, flags, output);
    }
    LPWSTR answers = nullptr;
    auto result = static_cast<uint32_t>(process(win32::Wide(document), flags, &answers));
    if (output != nullptr) {
      output->clear();
      if (answers != nullptr) output->assign(reinterpret_cast<const char16_t*>(answers));
    }
    delete[] answers;  // the device's runtime allocates the output document with new[]
    FreeLibrary(shell);
    return result;
  }

  bool KernelIoControl(uint32_t code, const void* in, uint32_t inSize, void* out, uint32_t outSize,
                       uint32_t* returned) override {
    auto control = LoadedExport<KernelIoControlFunction>(L"coredll.dll", "KernelIoControl");
    if (control == nullptr) return false;
    DWORD returnedBytes = 0;
    BOOL ok = control(code, const_cast<void*>(in), inSize, out, outSize, returned != nullptr ? &returnedBytes : nullptr);
    if (returned != nullptr) *returned = returnedBytes;
    return ok != FALSE;
  }

  bool SetCleanRebootFlag() override { return CallIfPresent("SetCleanRebootFlag"); }

  bool GwesPowerOffSystem() override { return CallIfPresent("GwesPowerOffSystem"); }

  bool ExitWindowsEx(uint32_t flags, uint32_t reserved) override {
    HMODULE shell = LoadLibraryW(L"aygshell.dll");
    if (shell == nullptr) return false;
    auto exitWindows =
        reinterpret_cast<ExitWindowsExFunction>(reinterpret_cast<void*>(GetProcAddress(shell, "ExitWindowsEx")));
    bool ok = exitWindows != nullptr && exitWindows(flags, reserved) != FALSE;
    FreeLibrary(shell);
    return ok;
  }

  void KeybdEvent(uint8_t virtualKey, uint8_t scanCode, uint32_t flags, uintptr_t extraInfo) override {
    ::keybd_event(virtualKey, scanCode, flags, extraInfo);
  }

  bool PlaySoundW(const char16_t* name, uint32_t flags) override {
    return ::PlaySoundW(win32::Wide(name), nullptr, flags) != FALSE;
  }

 private:
  static bool CallIfPresent(const char* name) {
    auto function = LoadedExport<NoArgumentsFunction>(L"coredll.dll", name);
    if (function == nullptr) return false;
    function();
    return true;
  }
};

// The seam's stand-in: Sleep still waits, as the host's does.
class WaitingStandIn final : public StandInDevice {
 public:
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};

bool JournalOnlyRequested() {
  std::wstring mode;
  return win32::EnvironmentVariable(L"ORVINTA_DEVICE_CALLS", &mode) && mode == L"journal-only" &&
         backend::DefaultJournal() != nullptr;
}

}  // namespace

Device* backend::DefaultDevice() {
  static Device* const chosen = []() -> Device* {
    static Win32Device device;
    if (!JournalOnlyRequested()) return &device;
    static WaitingStandIn standIn;
    static JournalingDevice journaled(standIn, *backend::DefaultJournal());
    return &journaled;
  }();
  return chosen;
}

}  // namespace orvinta::platform
