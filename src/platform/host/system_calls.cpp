#include "platform/host/system_calls.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace orvinta::platform::host {

namespace {

// Plain wrappers: open is variadic in the C library, and the others are taken by address
// through lambdas so that every entry has exactly the table's type.
const SystemCalls kReal = {
    [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    [](int fd) { return ::close(fd); },
    [](int fd, void* buffer, size_t count) { return ::read(fd, buffer, count); },
    [](int fd, const void* data, size_t count) { return ::write(fd, data, count); },
    [](int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); },
    [](int fd, off_t length) { return ::ftruncate(fd, length); },
    [](int fd, struct stat* info) { return ::fstat(fd, info); },
    [](const char* path, struct stat* info) { return ::stat(path, info); },
    [](const char* path, struct stat* info) { return ::lstat(path, info); },
    [](const char* path, mode_t mode) { return ::mkdir(path, mode); },
    [](const char* path) { return ::rmdir(path); },
    [](const char* path) { return ::unlink(path); },
    [](const char* from, const char* to) { return ::rename(from, to); },
    [](const char* path) { return ::opendir(path); },
    [](DIR* dir) { return ::readdir(dir); },
    [](DIR* dir) { return ::closedir(dir); },
};

}  // namespace

SystemCalls& Sys() {
  static SystemCalls calls = kReal;
  return calls;
}

const SystemCalls& RealSystemCalls() { return kReal; }

}  // namespace orvinta::platform::host
