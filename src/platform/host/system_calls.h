// The seam between the host's file services and the operating system.
//
// Every system call that the host file services make (device_paths.cpp, files.cpp) goes through
// this one table of function pointers. Tests replace an entry to make a chosen call fail
// ("the third open fails with ENOSPC") and put it back afterwards; nothing else writes to it.
// A replacement reports failure the way the call does: -1 or a null pointer with errno set.
#pragma once
#include <dirent.h>
#include <sys/stat.h>
#include <sys/types.h>

namespace orvinta::platform::host {

struct SystemCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  int (*close)(int fd);
  ssize_t (*read)(int fd, void* buffer, size_t count);
  ssize_t (*write)(int fd, const void* data, size_t count);
  off_t (*lseek)(int fd, off_t offset, int whence);
  int (*ftruncate)(int fd, off_t length);
  int (*fstat)(int fd, struct stat* info);
  int (*stat)(const char* path, struct stat* info);
  int (*lstat)(const char* path, struct stat* info);
  int (*mkdir)(const char* path, mode_t mode);
  int (*rmdir)(const char* path);
  int (*unlink)(const char* path);
  int (*rename)(const char* from, const char* to);
  DIR* (*opendir)(const char* path);
  struct dirent* (*readdir)(DIR* dir);
  int (*closedir)(DIR* dir);
};

// The table in force: the real calls unless a test replaced some.
SystemCalls& Sys();

// The real calls, for putting an entry back.
const SystemCalls& RealSystemCalls();

}  // namespace orvinta::platform::host
