#include "platform/host/system_calls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace orvinta::platform::host {

namespace {

// Plain wrappers: open is variadic in the C library, and the others are taken through lambdas
// so that every entry has exactly the table's type.
const SystemCalls kReal = {
    [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
    [](int fd) { return ::close(fd); },
    [](int fd, void* buffer, size_t count) { return ::read(fd, buffer, count); },
    [](int fd, const void* data, size_t count) { return ::write(fd, data, count); },
    [](int fd, off_t offset, int whence) { return ::lseek(fd, offset, whence); },
    [](int fd, off_t length) { return ::ftruncate(fd, length); },
    [](int fd, mode_t mode) { return ::fchmod(fd, mode); },
    [](int fd) { return ::fsync(fd); },
    [](int fd) { return ::fdatasync(fd); },
    [](int fd, uid_t owner, gid_t group) { return ::fchown(fd, owner, group); },
    [](int fd, int operation) { return ::flock(fd, operation); },
    [](int fd, struct stat* info) { return ::fstat(fd, info); },
    [](const char* path, struct stat* info) { return ::stat(path, info); },
    [](const char* path, struct stat* info) { return ::lstat(path, info); },
    [](const char* path, int mode) { return ::access(path, mode); },
    [](const char* path, char* buffer, size_t size) { return ::readlink(path, buffer, size); },
    [](const char* path, char* resolved) { return ::realpath(path, resolved); },
    [](const char* path, mode_t mode) { return ::mkdir(path, mode); },
    [](const char* path) { return ::rmdir(path); },
    [](const char* path) { return ::unlink(path); },
    [](const char* from, const char* to) { return std::rename(from, to); },
    [](const char* path) { return ::opendir(path); },
    [](DIR* dir) { return ::readdir(dir); },
    [](DIR* dir) { return ::closedir(dir); },
    [](pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions, const posix_spawnattr_t* attributes,
       char* const argv[], char* const envp[]) { return ::posix_spawn(pid, path, actions, attributes, argv, envp); },
    [](pid_t pid, int* status, int options) { return ::waitpid(pid, status, options); },
    [](pid_t pid, int signal) { return ::kill(pid, signal); },
    [](pid_t pid) {
#ifdef SYS_pidfd_open
      return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
      (void)pid;
      errno = ENOSYS;
      return -1;
#endif
    },
    [](int pidfd, int signal) {
#ifdef SYS_pidfd_send_signal
      return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, signal, nullptr, 0));
#else
      (void)pidfd, (void)signal;
      errno = ENOSYS;
      return -1;
#endif
    },
    [](struct pollfd* fds, nfds_t count, int timeout) { return ::poll(fds, count, timeout); },
    [](const struct timespec* request, struct timespec* remaining) { return ::nanosleep(request, remaining); },
    [](clockid_t clock, struct timespec* time) { return ::clock_gettime(clock, time); },
    []() { return ::pause(); },
    [](const char* file, int mode) { return ::dlopen(file, mode); },
    [](void* library, const char* name) { return ::dlsym(library, name); },
    [](void* library) { return ::dlclose(library); },
    [](int fd) { return ::isatty(fd); },
    [](void* address, size_t length, int advice) { return ::madvise(address, length, advice); },
};

}  // namespace

SystemCalls& Sys() {
  static SystemCalls calls = kReal;
  return calls;
}

const SystemCalls& RealSystemCalls() { return kReal; }

}  // namespace orvinta::platform::host
