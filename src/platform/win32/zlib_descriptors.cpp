// The C runtime's descriptor calls that zlib's gzip reader makes, served from the Win32 file
// calls that every Windows, the device included, has. A Windows CE device's C runtime has no
// open, read or close; so the Windows build links a copy of zlib in which these calls are
// renamed to the ones below (src/CMakeLists.txt), and the program imports nothing a device
// lacks. Only what reading an archive needs is served: open for reading, read, seek, close.
// Descriptors are the program's own: small numbers for the few files open at once.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdint>
#include <fcntl.h>

namespace {

constexpr int kDescriptors = 8;
constexpr int kFirstDescriptor = 3;  // never 0, 1 or 2, which name the standard streams
HANDLE g_files[kDescriptors];
int g_errno = 0;

HANDLE FileOf(int fd) {
  int slot = fd - kFirstDescriptor;
  return slot >= 0 && slot < kDescriptors ? g_files[slot] : nullptr;
}

int Fail(int error) {
  g_errno = error;
  return -1;
}

int* ErrnoLocation() { return &g_errno; }

// zlib's gzopen_w; the program opens archives by their ANSI path only.
int WideOpenRefused(const wchar_t*, int, ...) { return Fail(EACCES); }

}  // namespace

extern "C" {

// The path is in the ANSI code page, as gzopen got it.
int orvinta_zlib_open(const char* path, int flags, ...) {
  if ((flags & (O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND)) != 0) return Fail(EACCES);
  wchar_t wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) == 0) return Fail(ENAMETOOLONG);
  int slot = 0;
  while (slot < kDescriptors && g_files[slot] != nullptr) ++slot;
  if (slot == kDescriptors) return Fail(EMFILE);
  HANDLE file = CreateFileW(wide, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return Fail(GetLastError() == ERROR_ACCESS_DENIED ? EACCES : ENOENT);
  g_files[slot] = file;
  return slot + kFirstDescriptor;
}

int orvinta_zlib_read(int fd, void* buffer, unsigned count) {
  HANDLE file = FileOf(fd);
  if (file == nullptr) return Fail(EBADF);
  DWORD done = 0;
  if (!ReadFile(file, buffer, count, &done, nullptr)) return Fail(EIO);
  return static_cast<int>(done);
}

int orvinta_zlib_write(int fd, const void*, unsigned) { return Fail(FileOf(fd) == nullptr ? EBADF : EACCES); }

int64_t orvinta_zlib_lseeki64(int fd, int64_t offset, int origin) {
  HANDLE file = FileOf(fd);
  if (file == nullptr) return Fail(EBADF);
  LONG high = static_cast<LONG>(offset >> 32);
  DWORD method = origin == SEEK_SET ? FILE_BEGIN : origin == SEEK_CUR ? FILE_CURRENT : FILE_END;
  SetLastError(NO_ERROR);
  DWORD low = SetFilePointer(file, static_cast<LONG>(offset & 0xFFFFFFFF), &high, method);
  if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return Fail(EINVAL);
  return (static_cast<int64_t>(high) << 32) | low;
}

int orvinta_zlib_close(int fd) {
  HANDLE file = FileOf(fd);
  if (file == nullptr) return Fail(EBADF);
  g_files[fd - kFirstDescriptor] = nullptr;
  return CloseHandle(file) ? 0 : Fail(EIO);
}

// Only read by gzerror, which the program does not call.
char* orvinta_zlib_strerror(int) {
  static char text[] = "file error";
  return text;
}

// zlib calls these two through import pointers (__imp__wopen, __imp__errno).
int (*orvinta_zlib_wopen)(const wchar_t*, int, ...) = WideOpenRefused;
int* (*orvinta_zlib_errno)() = ErrnoLocation;

}  // extern "C"
