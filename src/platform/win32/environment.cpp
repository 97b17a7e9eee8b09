#include "platform/win32/environment.h"

#include <windows.h>

namespace orvinta::platform::win32 {

bool EnvironmentVariable(const wchar_t* name, std::wstring* value) {
  using GetVariable = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  auto getVariable = kernel == nullptr ? nullptr
                                       : reinterpret_cast<GetVariable>(reinterpret_cast<void*>(
                                             GetProcAddress(kernel, "GetEnvironmentVariableW")));
  if (getVariable == nullptr) return false;
  DWORD needed = getVariable(name, nullptr, 0);  // the size with the terminator
  if (needed <= 1) return false;
  value->assign(needed, L'\0');
  DWORD length = getVariable(name, value->data(), needed);
  if (length == 0 || length >= needed) return false;
  value->resize(length);
  return true;
}

}  // namespace orvinta::platform::win32
