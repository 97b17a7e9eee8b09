#include "platform/host/hive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "platform/constants.h"
#include "platform/host/system_calls.h"
#include "platform/host/win32_errors.h"

namespace orvinta::platform::host {

namespace {

HiveFileVersion VersionOf(const struct stat& info) {
  return HiveFileVersion{true, info.st_dev, info.st_ino, info.st_size,
                         int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec};
}

// errno as a Win32 code, never 0 for a call that failed.
uint32_t LastError() {
  int error = errno;
  return error == 0 ? win::kErrorInvalidFunction : Win32ErrorFromErrno(error);
}

}  // namespace

HiveFile::HiveFile(std::string path, std::chrono::milliseconds lockWait)
    : path_(std::move(path)), lockWait_(lockWait) {}

HiveFile::~HiveFile() { Unlock(); }

uint32_t HiveFile::Read(std::string& text, HiveFileVersion& version) {
  SystemCalls& calls = Sys();
  text.clear();
  version = HiveFileVersion{};
  int fd = calls.open(path_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return errno == ENOENT ? win::kErrorSuccess : LastError();
  struct stat info;
  if (calls.fstat(fd, &info) != 0) {
    uint32_t error = LastError();
    calls.close(fd);
    return error;
  }
  text.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    ssize_t n = calls.read(fd, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      uint32_t error = LastError();
      calls.close(fd);
      return error;
    }
    text.append(buffer, static_cast<size_t>(n));
  }
  calls.close(fd);
  version = VersionOf(info);
  return win::kErrorSuccess;
}

uint32_t HiveFile::Current(HiveFileVersion& version) {
  struct stat info;
  if (Sys().stat(path_.c_str(), &info) != 0) {
    version = HiveFileVersion{};
    return errno == ENOENT ? win::kErrorSuccess : LastError();
  }
  version = VersionOf(info);
  return win::kErrorSuccess;
}

uint32_t HiveFile::CreateFolders() {
  for (size_t slash = path_.find('/', 1); slash != std::string::npos; slash = path_.find('/', slash + 1)) {
    std::string folder = path_.substr(0, slash);
    if (Sys().mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return LastError();
  }
  return win::kErrorSuccess;
}

uint32_t HiveFile::Lock() {
  if (lockFd_ >= 0) return win::kErrorSuccess;
  SystemCalls& calls = Sys();
  if (uint32_t error = CreateFolders(); error != win::kErrorSuccess) return error;
  std::string lockPath = path_ + ".lock";
  int fd = calls.open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  auto deadline = std::chrono::steady_clock::now() + lockWait_;
  while (calls.flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      uint32_t error = errno == EWOULDBLOCK ? win::kErrorSharingViolation : LastError();
      calls.close(fd);
      return error;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  lockFd_ = fd;
  return win::kErrorSuccess;
}

void HiveFile::Unlock() {
  if (lockFd_ < 0) return;
  Sys().close(lockFd_);  // closing the descriptor releases the lock
  lockFd_ = -1;
}

uint32_t HiveFile::Replace(std::string_view text, HiveFileVersion& version) {
  SystemCalls& calls = Sys();
  std::string newPath = path_ + ".new";
  int fd = calls.open(newPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  uint32_t error = win::kErrorSuccess;
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = calls.write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      error = n == 0 ? win::kErrorDiskFull : LastError();
      break;
    }
    done += static_cast<size_t>(n);
  }
  struct stat info;
  if (error == win::kErrorSuccess && calls.fsync(fd) != 0) error = LastError();
  if (error == win::kErrorSuccess && calls.fstat(fd, &info) != 0) error = LastError();
  if (calls.close(fd) != 0 && error == win::kErrorSuccess) error = LastError();
  if (error == win::kErrorSuccess && calls.rename(newPath.c_str(), path_.c_str()) != 0) error = LastError();
  if (error != win::kErrorSuccess) {
    calls.unlink(newPath.c_str());  // the old hive stays as it was
    return error;
  }
  version = VersionOf(info);
  return win::kErrorSuccess;
}

}  // namespace orvinta::platform::host
