#include "platform/files.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/backend.h"
#include "platform/win32/beneath.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

HANDLE AsHandle(Handle handle) { return static_cast<HANDLE>(handle); }

bool IsDotEntry(const wchar_t* name) {
  return name[0] == L'.' && (name[1] == 0 || (name[1] == L'.' && name[2] == 0));
}

void CopyFound(const WIN32_FIND_DATAW& found, FindData* data) {
  data->attributes = found.dwFileAttributes;
  data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
  size_t n = 0;
  for (; found.cFileName[n] != 0 && n + 1 < sizeof data->name / sizeof data->name[0]; ++n) {
    data->name[n] = static_cast<char16_t>(found.cFileName[n]);
  }
  data->name[n] = 0;
}

class Win32Files final : public Files {
 public:
  FileHandle CreateFileW(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                         uint32_t flagsAndAttributes) override {
    if (DWORD refused = win32::MakeWayForWrite(win32::Wide(path), access, disposition); refused != ERROR_SUCCESS) {
      ::SetLastError(refused);
      return kInvalidHandleValue;
    }
    HANDLE file = ::CreateFileW(win32::Wide(path), access, share, nullptr, disposition, flagsAndAttributes, nullptr);
    if (file != INVALID_HANDLE_VALUE && win32::IsNoDiskFile(file)) {
      ::CloseHandle(file);
      ::SetLastError(ERROR_CANT_ACCESS_FILE);
      return kInvalidHandleValue;
    }
    return file;
  }

  bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* read) override {
    DWORD done = 0;
    BOOL ok = ::ReadFile(AsHandle(file), buffer, count, &done, nullptr);
    if (read != nullptr) *read = done;
    return ok != FALSE;
  }

  bool WriteFile(FileHandle file, const void* data, uint32_t count, uint32_t* written) override {
    DWORD done = 0;
    BOOL ok = ::WriteFile(AsHandle(file), data, count, &done, nullptr);
    if (written != nullptr) *written = done;
    return ok != FALSE;
  }

  uint32_t GetFileSize(FileHandle file, uint32_t* high) override {
    DWORD upper = 0;
    DWORD low = ::GetFileSize(AsHandle(file), &upper);
    if (high != nullptr) *high = upper;
    return low;
  }

  uint32_t SetFilePointer(FileHandle file, int32_t distance, int32_t* high, uint32_t method) override {
    LONG upper = high != nullptr ? *high : 0;
    DWORD low = ::SetFilePointer(AsHandle(file), distance, high != nullptr ? &upper : nullptr, method);
    if (high != nullptr) *high = upper;
    return low;
  }

  bool CloseHandle(FileHandle file) override { return ::CloseHandle(AsHandle(file)) != FALSE; }

  bool CreateDirectoryW(const char16_t* path) override {
    return Allowed(path) && ::CreateDirectoryW(win32::Wide(path), nullptr) != FALSE;
  }
  bool RemoveDirectoryW(const char16_t* path) override {
    return Allowed(path) && ::RemoveDirectoryW(win32::Wide(path)) != FALSE;
  }
  bool DeleteFileW(const char16_t* path) override { return Allowed(path) && ::DeleteFileW(win32::Wide(path)) != FALSE; }
  bool MoveFileW(const char16_t* from, const char16_t* to) override {
    return Allowed(from) && Allowed(to) && ::MoveFileW(win32::Wide(from), win32::Wide(to)) != FALSE;
  }
  bool CopyFileW(const char16_t* from, const char16_t* to, bool failIfExists) override {
    // The source is opened first: a pipe is refused rather than copied (or waited on).
    FileHandle source = CreateFileW(from, kGenericRead, kFileShareRead | kFileShareWrite, kOpenExisting, 0);
    if (source == kInvalidHandleValue) return false;
    ::CloseHandle(AsHandle(source));
    const DWORD refused = win32::MakeWayForWrite(win32::Wide(to), GENERIC_WRITE, failIfExists ? CREATE_NEW : CREATE_ALWAYS);
    if (refused != ERROR_SUCCESS) ::SetLastError(refused);
    return refused == ERROR_SUCCESS && ::CopyFileW(win32::Wide(from), win32::Wide(to), failIfExists ? TRUE : FALSE) != FALSE;
  }

  uint32_t GetFileAttributesW(const char16_t* path) override { return ::GetFileAttributesW(win32::Wide(path)); }

  bool GetFileAttributesExW(const char16_t* path, FileAttributeData* data) override {
    WIN32_FILE_ATTRIBUTE_DATA found;
    if (!::GetFileAttributesExW(win32::Wide(path), GetFileExInfoStandard, &found)) {
      // Wine can't query a host's named pipe (87) though a search lists it: a file that is there
      // but can't be accessed.
      WIN32_FIND_DATAW listed;
      HANDLE search = ::GetLastError() == ERROR_INVALID_PARAMETER ? ::FindFirstFileW(win32::Wide(path), &listed)
                                                                  : INVALID_HANDLE_VALUE;
      if (search != INVALID_HANDLE_VALUE) {
        ::FindClose(search);
        ::SetLastError(ERROR_CANT_ACCESS_FILE);
      }
      return false;
    }
    data->attributes = found.dwFileAttributes;
    data->size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    return true;
  }

  // The device never lists "." and ".."; desktop Windows does, so they are passed over here.
  SearchHandle FindFirstFileW(const char16_t* pattern, FindData* data) override {
    WIN32_FIND_DATAW found;
    HANDLE search = ::FindFirstFileW(win32::Wide(pattern), &found);
    if (search == INVALID_HANDLE_VALUE) return kInvalidHandleValue;
    while (IsDotEntry(found.cFileName)) {
      if (!::FindNextFileW(search, &found)) {
        ::FindClose(search);
        ::SetLastError(ERROR_FILE_NOT_FOUND);
        return kInvalidHandleValue;
      }
    }
    CopyFound(found, data);
    return search;
  }

  bool FindNextFileW(SearchHandle search, FindData* data) override {
    WIN32_FIND_DATAW found;
    do {
      if (!::FindNextFileW(AsHandle(search), &found)) return false;
    } while (IsDotEntry(found.cFileName));
    CopyFound(found, data);
    return true;
  }

  bool FindClose(SearchHandle search) override { return ::FindClose(AsHandle(search)) != FALSE; }

  uint32_t GetLastError() override { return ::GetLastError(); }
  void SetLastError(uint32_t code) override { ::SetLastError(code); }

  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    return SHGetSpecialFolderPathW(nullptr, win32::Wide(buffer), csidl, create ? TRUE : FALSE) != FALSE;
  }

  bool IsPathSeparator(std::u16string_view path, size_t at) const override { return path[at] == u'\\'; }

 private:
  // False, with the last error set, when the path reaches through a reparse point (beneath.h).
  static bool Allowed(const char16_t* path) {
    DWORD refused = win32::RefuseReparseFolders(win32::Wide(path));
    if (refused != ERROR_SUCCESS) ::SetLastError(refused);
    return refused == ERROR_SUCCESS;
  }
};

}  // namespace

Files* backend::DefaultFiles() {
  static Win32Files files;
  return &files;
}

}  // namespace orvinta::platform
