// File system and folder services.
//
// Contract: the calls mirror their Win32 namesakes: the same arguments, flags, return values
// and last-error codes (read with GetLastError after a failure). Paths are UTF-16 device paths
// with "\" separators, zero-terminated. A handle belongs to the caller, who closes it. A search
// never returns the entries "." and "..", on either build, as on the device.
// On the host, a device path names a file below the virtual device's root, and "/abs" or
// relative paths name host files; share modes hold among the handles of the one process, a
// search lists names in case-insensitive order, and regular files carry the archive attribute
// (docs/host-device.md).
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/handle.h"

namespace orvinta::platform {

using FileHandle = Handle;
using SearchHandle = Handle;

// Access rights, share modes, dispositions and attributes (Win32 values).
inline constexpr uint32_t kGenericRead = 0x80000000;
inline constexpr uint32_t kGenericWrite = 0x40000000;
inline constexpr uint32_t kFileShareRead = 0x1;
inline constexpr uint32_t kFileShareWrite = 0x2;
inline constexpr uint32_t kCreateNew = 1;
inline constexpr uint32_t kCreateAlways = 2;
inline constexpr uint32_t kOpenExisting = 3;
inline constexpr uint32_t kOpenAlways = 4;
inline constexpr uint32_t kTruncateExisting = 5;
inline constexpr uint32_t kFileBegin = 0;
inline constexpr uint32_t kFileCurrent = 1;
inline constexpr uint32_t kFileEnd = 2;
inline constexpr uint32_t kFileAttributeReadonly = 0x01;
inline constexpr uint32_t kFileAttributeDirectory = 0x10;
inline constexpr uint32_t kFileAttributeArchive = 0x20;
inline constexpr uint32_t kFileAttributeDevice = 0x40;  // a pipe, socket or device: no file to read or write
inline constexpr uint32_t kFileAttributeNormal = 0x80;
inline constexpr uint32_t kFileAttributeReparsePoint = 0x400;  // a link: removed as itself, never gone through
inline constexpr uint32_t kInvalidFileAttributes = 0xFFFFFFFF;
inline constexpr uint32_t kInvalidFileSize = 0xFFFFFFFF;
inline constexpr uint32_t kInvalidSetFilePointer = 0xFFFFFFFF;

struct FileAttributeData {
  uint32_t attributes = 0;
  uint64_t size = 0;
};

struct FindData {
  uint32_t attributes = 0;
  uint64_t size = 0;
  char16_t name[260] = {};  // the entry's name, zero-terminated
};

class Files {
 public:
  virtual ~Files() = default;

  virtual FileHandle CreateFileW(const char16_t* path, uint32_t access, uint32_t share, uint32_t disposition,
                                 uint32_t flagsAndAttributes) = 0;
  virtual bool ReadFile(FileHandle file, void* buffer, uint32_t count, uint32_t* read) = 0;
  virtual bool WriteFile(FileHandle file, const void* data, uint32_t count, uint32_t* written) = 0;
  // Low 32 bits; the high ones in *high when given. kInvalidFileSize on failure.
  virtual uint32_t GetFileSize(FileHandle file, uint32_t* high) = 0;
  virtual uint32_t SetFilePointer(FileHandle file, int32_t distance, int32_t* high, uint32_t method) = 0;
  virtual bool CloseHandle(FileHandle file) = 0;

  virtual bool CreateDirectoryW(const char16_t* path) = 0;
  virtual bool RemoveDirectoryW(const char16_t* path) = 0;
  virtual bool DeleteFileW(const char16_t* path) = 0;
  virtual bool MoveFileW(const char16_t* from, const char16_t* to) = 0;
  virtual bool CopyFileW(const char16_t* from, const char16_t* to, bool failIfExists) = 0;
  virtual uint32_t GetFileAttributesW(const char16_t* path) = 0;
  virtual bool GetFileAttributesExW(const char16_t* path, FileAttributeData* data) = 0;

  // "*" and "?" in the last component match as on Windows, without regard to case. The first
  // entry goes into *data. kInvalidHandleValue when nothing matches (last error 2, or 3 for a
  // missing folder).
  virtual SearchHandle FindFirstFileW(const char16_t* pattern, FindData* data) = 0;
  virtual bool FindNextFileW(SearchHandle search, FindData* data) = 0;  // false + 18 at the end
  virtual bool FindClose(SearchHandle search) = 0;

  // The calling thread's last-error code.
  virtual uint32_t GetLastError() = 0;
  virtual void SetLastError(uint32_t code) = 0;

  // SHGetSpecialFolderPath(no window, csidl, create): the folder's path without a trailing
  // "\" in a buffer of at least kMaxPath units; the folder is created when missing.
  // False when the platform has no such folder or cannot create it.
  virtual bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) = 0;

  // Whether path[at] separates the folders of a script's path: "\" everywhere, and "/" too in
  // the host's own paths ("/work/a.ovs", "dir/a.ovs"), never in a device path ("\d/s" is the
  // folder "\" and the name "d/s", as on Windows).
  virtual bool IsPathSeparator(std::u16string_view path, size_t at) const = 0;
};

}  // namespace orvinta::platform
