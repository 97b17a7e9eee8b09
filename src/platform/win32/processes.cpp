#include "platform/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include <string>

#include "platform/backend.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

using CloseSnapshotFunction = BOOL(WINAPI*)(HANDLE);

// On Windows CE coredll is loaded into every process; on a desktop there is none.
bool OnWindowsCe() { return GetModuleHandleW(L"coredll.dll") != nullptr; }

void CopyEntry(const PROCESSENTRY32W& from, ProcessEntry* to) {
  to->processId = from.th32ProcessID;
  size_t n = 0;
  for (; n + 1 < win::kMaxPath && from.szExeFile[n] != 0; ++n) to->exeFile[n] = static_cast<char16_t>(from.szExeFile[n]);
  to->exeFile[n] = 0;
}

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

  bool CreateProcessW(const char16_t* applicationName, char16_t* commandLine,
                      ProcessInformation* information) override {
    PROCESS_INFORMATION started{};
    // A desktop requires start-up information; Windows CE takes none.
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessW(win32::Wide(applicationName), win32::Wide(commandLine), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, OnWindowsCe() ? nullptr : &startup, &started)) {
      return false;
    }
    information->process = started.hProcess;
    information->thread = started.hThread;
    information->processId = started.dwProcessId;
    information->threadId = started.dwThreadId;
    return true;
  }

  uint32_t WaitForSingleObject(Handle object, uint32_t milliseconds) override {
    return ::WaitForSingleObject(object, milliseconds);
  }

  bool CloseHandle(Handle object) override { return ::CloseHandle(object) != FALSE; }

  Handle CreateToolhelp32Snapshot(uint32_t flags, uint32_t processId) override {
    return ::CreateToolhelp32Snapshot(flags, processId);
  }

  bool Process32FirstW(Handle snapshot, ProcessEntry* entry) override {
    PROCESSENTRY32W found{};
    found.dwSize = sizeof found;
    if (!::Process32FirstW(snapshot, &found)) return false;
    CopyEntry(found, entry);
    return true;
  }

  bool Process32NextW(Handle snapshot, ProcessEntry* entry) override {
    PROCESSENTRY32W found{};
    found.dwSize = sizeof found;
    if (!::Process32NextW(snapshot, &found)) return false;
    CopyEntry(found, entry);
    return true;
  }

  // Windows CE closes a snapshot with its own call; a desktop with CloseHandle.
  bool CloseToolhelp32Snapshot(Handle snapshot) override {
    HMODULE toolhelp = GetModuleHandleW(L"toolhelp.dll");
    auto close = toolhelp == nullptr ? nullptr
                                     : reinterpret_cast<CloseSnapshotFunction>(reinterpret_cast<void*>(
                                           GetProcAddress(toolhelp, "CloseToolhelp32Snapshot")));
    return (close != nullptr ? close(snapshot) : ::CloseHandle(snapshot)) != FALSE;
  }

  Handle OpenProcess(uint32_t access, bool inheritHandle, uint32_t processId) override {
    return ::OpenProcess(access, inheritHandle ? TRUE : FALSE, processId);
  }

  bool TerminateProcess(Handle process, uint32_t exitCode) override {
    return ::TerminateProcess(process, exitCode) != FALSE;
  }

  ModuleHandle LoadLibraryW(const char16_t* path) override { return ::LoadLibraryW(win32::Wide(path)); }

  // The desktop looks exports up by narrow name only; the UTF-16 name crosses in the ANSI code page.
  ExportAddress GetProcAddressW(ModuleHandle module, const char16_t* name) override {
    int size = WideCharToMultiByte(CP_ACP, 0, win32::Wide(name), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return nullptr;
    std::string narrow(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, win32::Wide(name), -1, narrow.data(), size, nullptr, nullptr);
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), narrow.c_str()));
  }

  bool FreeLibrary(ModuleHandle module) override { return ::FreeLibrary(static_cast<HMODULE>(module)) != FALSE; }

  // Every argument is one machine word in the platform's standard (WINAPI) calling convention;
  // the function's 32-bit result is the low half of the return register.
  int32_t CallExport(ExportAddress function, const uintptr_t* w, int count) override {
    switch (count) {
      case 0: return reinterpret_cast<int32_t(WINAPI*)()>(function)();
      case 1: return reinterpret_cast<int32_t(WINAPI*)(uintptr_t)>(function)(w[0]);
      case 2: return reinterpret_cast<int32_t(WINAPI*)(uintptr_t, uintptr_t)>(function)(w[0], w[1]);
      case 3:
        return reinterpret_cast<int32_t(WINAPI*)(uintptr_t, uintptr_t, uintptr_t)>(function)(w[0], w[1], w[2]);
      default:
        return reinterpret_cast<int32_t(WINAPI*)(uintptr_t, uintptr_t, uintptr_t, uintptr_t)>(function)(w[0], w[1],
                                                                                                      w[2], w[3]);
    }
  }
};

}  // namespace

Processes* backend::DefaultProcesses() {
  static Win32Processes processes;
  return &processes;
}

}  // namespace orvinta::platform
