// The seam between the host backend and the operating system.
//
// Every system call that the host backend makes (files, folders, the hive and its lock, the
// log, the journal, processes, sounds, libraries, waiting, finding the terminal, advice on
// memory, the clock of the folder listings) goes through this one table of function pointers
// (ncurses keeps its own). Tests replace an entry to make a chosen call fail ("the third open
// fails with ENOSPC"), or the clock run ahead, and put it back afterwards; nothing else writes
// to it. A replacement reports failure the way the call does: -1 or a null pointer with errno
// set (posix_spawn: the error).
#pragma once
#include <dirent.h>
#include <poll.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <time.h>

namespace orvinta::platform::host {

struct SystemCalls {
  // Files and folders.
  int (*open)(const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*read)(int fd, void* buffer, size_t count);
  ssize_t (*write)(int fd, const void* data, size_t count);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*ftruncate)(int fd, off_t length);
  int (*fchmod)(int fd, mode_t mode);
  int (*fsync)(int fd);
  int (*fdatasync)(int fd);
  int (*fchown)(int fd, uid_t owner, gid_t group);
  int (*flock)(int fd, int operation);
  int (*fstat)(int fd, struct stat* info);
  int (*stat)(const char* path, struct stat* info);
  int (*lstat)(const char* path, struct stat* info);
  int (*access)(const char* path, int mode);
  ssize_t (*readlink)(const char* path, char* buffer, size_t size);
  char* (*realpath)(const char* path, char* resolved);
  int (*mkdir)(const char* path, mode_t mode);
  int (*rmdir)(const char* path);
  int (*unlink)(const char* path);
  int (*rename)(const char* from, const char* to);
  DIR* (*opendir)(const char* path);
  struct dirent* (*readdir)(DIR* dir);
  int (*closedir)(DIR* dir);
  // Processes and waiting.
  int (*posix_spawn)(pid_t* pid, const char* path, const posix_spawn_file_actions_t* actions,
                     const posix_spawnattr_t* attributes, char* const argv[], char* const envp[]);
  pid_t (*waitpid)(pid_t pid, int* status, int options);
  int (*kill)(pid_t pid, int signal);
  int (*pidfd_open)(pid_t pid);                  // -1 with ENOSYS where the kernel has none
  int (*pidfd_send_signal)(int pidfd, int signal);
  int (*poll)(struct pollfd* fds, nfds_t count, int timeout);
  int (*nanosleep)(const struct timespec* request, struct timespec* remaining);
  int (*clock_gettime)(clockid_t clock, struct timespec* time);  // how old a folder listing is
  int (*pause)();
  // Libraries.
  void* (*dlopen)(const char* file, int mode);
  void* (*dlsym)(void* library, const char* name);
  int (*dlclose)(void* library);
  // The terminal that boxes are shown on.
  int (*isatty)(int fd);
  // Memory.
  int (*madvise)(void* address, size_t length, int advice);
};

// The table in force: the real calls unless a test replaced some.
SystemCalls& Sys();

// The real calls, for putting an entry back.
const SystemCalls& RealSystemCalls();

}  // namespace orvinta::platform::host
