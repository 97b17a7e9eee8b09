// The picker's libraries on Windows. A device has them by name; a desktop has none of them, so
// there the core library's name is answered with comdlg32, the platform's own open and save
// dialogs, looked up at run time so the program imports nothing a device lacks.
#include <windows.h>
#include <commdlg.h>

#include "platform/file_dialogs.h"
#include "platform/platform.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

// The shell's extended record: the common one and two more 32-bit fields.
struct ExtendedOpenFileName {
  OPENFILENAMEW common;
  DWORD sortOrder;
  DWORD extendedFlags;
};

constexpr UINT kSpiGetPlatformType = 257;

class Win32FileDialogs final : public FileDialogs {
 public:
  ModuleHandle LoadDialogLibrary(const char16_t* name) override {
    HMODULE module = LoadLibraryW(win32::Wide(name));
    if (module == nullptr && std::u16string_view(name) == u"CoreDll") module = LoadLibraryW(L"comdlg32.dll");
    return module;
  }

  ExportAddress GetProcAddressW(ModuleHandle module, const char16_t* name) override {
    return Get().processes->GetProcAddressW(module, name);
  }

  void FreeLibrary(ModuleHandle module) override { ::FreeLibrary(static_cast<HMODULE>(module)); }

  int32_t CallDialog(ExportAddress function, FileDialogForm form, bool save, FileDialogRecord& record) override {
    ExtendedOpenFileName dialog{};
    OPENFILENAMEW& common = dialog.common;
    // The record's size says which layout; in this process's layout that is the common
    // record's own size, or the extended one's.
    common.lStructSize = record.size == 84 ? sizeof(ExtendedOpenFileName) : sizeof(OPENFILENAMEW);
    common.hwndOwner = reinterpret_cast<HWND>(record.owner);
    common.hInstance = GetModuleHandleW(nullptr);
    common.lpstrFilter = win32::Wide(record.filter);
    common.lpstrFile = win32::Wide(record.file);
    common.nMaxFile = record.fileUnits;
    common.lpstrInitialDir = win32::Wide(record.initialDirectory);
    common.lpstrTitle = win32::Wide(record.title);
    common.Flags = record.flags;
    common.lpstrDefExt = record.defaultExtension != nullptr ? win32::Wide(record.defaultExtension) : nullptr;
    dialog.sortOrder = record.sortOrder;
    dialog.extendedFlags = record.extendedFlags;
    if (form == FileDialogForm::kSaveFlagThenRecord) {
      auto call = reinterpret_cast<BOOL(WINAPI*)(BOOL, void*)>(function);
      return call(save ? TRUE : FALSE, &dialog);
    }
    auto call = reinterpret_cast<BOOL(WINAPI*)(void*)>(function);
    return call(&dialog);
  }

  int32_t MessageBoxW(uintptr_t owner, const char16_t* text, const char16_t* caption, uint32_t type) override {
    return ::MessageBoxW(reinterpret_cast<HWND>(owner), win32::Wide(text), win32::Wide(caption), type);
  }

  void GetVersion(uint32_t* major, uint32_t* minor) override {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    BOOL known = GetVersionExW(&version);
#pragma GCC diagnostic pop
    *major = known ? version.dwMajorVersion : 0;
    *minor = known ? version.dwMinorVersion : 0;
  }

  void PlatformType(char16_t* buffer, uint32_t units) override {
    buffer[0] = 0;
    if (!SystemParametersInfoW(kSpiGetPlatformType, units * sizeof(char16_t), buffer, 0)) buffer[0] = 0;
  }
};

}  // namespace

FileDialogs& DefaultFileDialogs() {
  static Win32FileDialogs dialogs;
  return dialogs;
}

}  // namespace orvinta::platform
