#include "platform/win32/beneath.h"

namespace orvinta::platform::win32 {

namespace {

bool IsReparsePoint(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// Whether a folder between the first "\" and the last component is a reparse point.
bool CrossesReparsePoint(const wchar_t* name) {
  if (name[0] != L'\\' || name[1] == L'\\') return false;  // a device path, not a UNC name
  wchar_t prefix[MAX_PATH];
  for (int i = 1; name[i] != 0 && i < MAX_PATH; ++i) {
    if (name[i] != L'\\') continue;
    for (int j = 0; j < i; ++j) prefix[j] = name[j];
    prefix[i] = 0;
    if (IsReparsePoint(::GetFileAttributesW(prefix))) return true;
  }
  return false;
}

// Whether the file has names besides this one.
bool HasOtherNames(const wchar_t* name) {
  HANDLE file = ::CreateFileW(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  const bool shared = ::GetFileInformationByHandle(file, &information) != FALSE && information.nNumberOfLinks > 1;
  ::CloseHandle(file);
  return shared;
}

}  // namespace

bool IsNoDiskFile(HANDLE file) {
  using GetType = DWORD(WINAPI*)(HANDLE);
  static const GetType getType = [] {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    return kernel == nullptr ? nullptr
                             : reinterpret_cast<GetType>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetFileType")));
  }();
  if (getType == nullptr) return false;
  const DWORD type = getType(file);
  return type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

DWORD RefuseReparseFolders(const wchar_t* name) {
  return CrossesReparsePoint(name) ? ERROR_CANT_RESOLVE_FILENAME : ERROR_SUCCESS;
}

DWORD MakeWayForWrite(const wchar_t* name, DWORD access, DWORD disposition) {
  const bool writes = (access & GENERIC_WRITE) != 0;
  if (!writes && disposition == OPEN_EXISTING) return ERROR_SUCCESS;
  if (CrossesReparsePoint(name)) return ERROR_CANT_RESOLVE_FILENAME;
  if (!writes) return ERROR_SUCCESS;
  const DWORD attributes = ::GetFileAttributesW(name);
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ERROR_SUCCESS;
  if (!IsReparsePoint(attributes) && !HasOtherNames(name)) return ERROR_SUCCESS;
  if (disposition != CREATE_ALWAYS && disposition != TRUNCATE_EXISTING) return ERROR_CANT_RESOLVE_FILENAME;
  // Deleting the name leaves what it leads to, or shares with other names, as it is.
  return ::DeleteFileW(name) != FALSE ? ERROR_SUCCESS : ::GetLastError();
}

}  // namespace orvinta::platform::win32
