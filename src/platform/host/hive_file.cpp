#include "platform/host/hive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <thread>

#include "platform/constants.h"
#include "platform/host/system_calls.h"
#include "platform/host/win32_errors.h"

namespace orvinta::platform::host {

namespace {

constexpr size_t kReadBlock = 1024 * 1024;

HiveFileVersion VersionOf(const struct stat& info) {
  return HiveFileVersion{true, info.st_dev, info.st_ino, info.st_size,
                         int64_t{info.st_mtim.tv_sec} * 1000000000 + info.st_mtim.tv_nsec};
}

// errno as a Win32 code, never 0 for a call that failed.
uint32_t LastError() {
  int error = errno;
  return error == 0 ? win::kErrorInvalidFunction : Win32ErrorFromErrno(error);
}

uint32_t WriteAll(int fd, std::string_view text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = Sys().write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0 ? win::kErrorDiskFull : LastError();
    done += static_cast<size_t>(n);
  }
  return win::kErrorSuccess;
}

// Reads from fd to its end, handing each block to `take`.
template <typename Take>
uint32_t ReadToEnd(int fd, Take take) {
  std::unique_ptr<char[]> buffer(new char[kReadBlock]);
  for (;;) {
    ssize_t n = Sys().read(fd, buffer.get(), kReadBlock);
    if (n == 0) return win::kErrorSuccess;
    if (n < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (!take(std::string_view(buffer.get(), static_cast<size_t>(n)))) return win::kErrorSuccess;
  }
}

// Writes the hive's new text to a file, remembering the first failure.
class FileSink final : public TextSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  bool Write(std::string_view text) override {
    if (error_ == win::kErrorSuccess) error_ = WriteAll(fd_, text);
    return error_ == win::kErrorSuccess;
  }
  uint32_t Error() const { return error_; }

 private:
  int fd_;
  uint32_t error_ = win::kErrorSuccess;
};

// The file a path names once its symbolic links are followed (the path itself when it is none,
// or a link leads nowhere readable): the hive is replaced beside its target, never over the link.
std::string FollowLinks(std::string path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info;
    if (Sys().lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) break;
    char target[4096];
    ssize_t length = Sys().readlink(path.c_str(), target, sizeof target);
    if (length <= 0 || static_cast<size_t>(length) >= sizeof target) break;
    std::string next(target, static_cast<size_t>(length));
    size_t slash = path.rfind('/');
    path = next[0] == '/' || slash == std::string::npos ? next : path.substr(0, slash + 1) + next;
  }
  return path;
}

}  // namespace

HiveFile::HiveFile(std::string path, std::chrono::milliseconds lockWait)
    : path_(FollowLinks(std::move(path))), logPath_(path_ + ".log"), lockWait_(lockWait) {}

void HiveFile::TakeHiveMode(int fd) {
  struct stat hive;
  if (Sys().stat(path_.c_str(), &hive) != 0) return;  // a first hive: the umask's mode
  Sys().fchmod(fd, hive.st_mode & 07777);
  Sys().fchown(fd, hive.st_uid, hive.st_gid);  // only a privileged process may give a file away
}

HiveFile::~HiveFile() { Unlock(); }

uint32_t HiveFile::ReadHive(TextSink& pieces, HiveFileVersion& version) {
  SystemCalls& calls = Sys();
  version = HiveFileVersion{};
  int fd = calls.open(path_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return errno == ENOENT ? win::kErrorSuccess : LastError();
  struct stat info;
  uint32_t error = calls.fstat(fd, &info) == 0 ? win::kErrorSuccess : LastError();
  if (error == win::kErrorSuccess) error = ReadToEnd(fd, [&](std::string_view block) { return pieces.Write(block); });
  calls.close(fd);
  if (error == win::kErrorSuccess) version = VersionOf(info);
  return error;
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

uint32_t HiveFile::ReadLog(off_t offset, std::string& text, HiveFileVersion& version) {
  SystemCalls& calls = Sys();
  text.clear();
  version = HiveFileVersion{};
  int fd = calls.open(logPath_.c_str(), O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) return errno == ENOENT ? win::kErrorSuccess : LastError();
  struct stat info;
  uint32_t error = calls.fstat(fd, &info) == 0 ? win::kErrorSuccess : LastError();
  if (error == win::kErrorSuccess && info.st_size > offset) {
    text.reserve(static_cast<size_t>(info.st_size - offset));
    if (calls.lseek(fd, offset, SEEK_SET) != offset) error = LastError();
    if (error == win::kErrorSuccess) {
      error = ReadToEnd(fd, [&](std::string_view block) {
        text.append(block);
        return true;
      });
    }
  }
  calls.close(fd);
  if (error == win::kErrorSuccess) version = VersionOf(info);
  return error;
}

uint32_t HiveFile::LogCurrent(HiveFileVersion& version) {
  struct stat info;
  if (Sys().stat(logPath_.c_str(), &info) != 0) {
    version = HiveFileVersion{};
    return errno == ENOENT ? win::kErrorSuccess : LastError();
  }
  version = VersionOf(info);
  return win::kErrorSuccess;
}

uint32_t HiveFile::AppendLog(off_t offset, std::string_view text, HiveFileVersion& version) {
  SystemCalls& calls = Sys();
  int fd = calls.open(logPath_.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  if (offset == 0) TakeHiveMode(fd);  // the log holds the same registry
  uint32_t error = calls.lseek(fd, offset, SEEK_SET) == offset ? win::kErrorSuccess : LastError();
  if (error == win::kErrorSuccess) error = WriteAll(fd, text);
  // Nothing may follow the record: a tail that could not be cut earlier is cut now.
  off_t end = offset + static_cast<off_t>(text.size());
  if (error == win::kErrorSuccess && calls.ftruncate(fd, end) != 0) error = LastError();
  if (error == win::kErrorSuccess && calls.fdatasync(fd) != 0) error = LastError();
  struct stat info;
  if (error == win::kErrorSuccess && calls.fstat(fd, &info) != 0) error = LastError();
  if (error != win::kErrorSuccess) calls.ftruncate(fd, offset);  // a part of a record is no record
  if (calls.close(fd) != 0 && error == win::kErrorSuccess) error = LastError();
  if (error != win::kErrorSuccess) return error;
  if (offset == 0) SyncFolder();  // a new log's name lasts too
  version = VersionOf(info);
  return win::kErrorSuccess;
}

uint32_t HiveFile::CutLog(off_t size) {
  SystemCalls& calls = Sys();
  if (size == 0) {
    if (calls.unlink(logPath_.c_str()) != 0 && errno != ENOENT) return LastError();
    return win::kErrorSuccess;
  }
  int fd = calls.open(logPath_.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0);
  if (fd < 0) return LastError();
  uint32_t error = calls.ftruncate(fd, size) == 0 ? win::kErrorSuccess : LastError();
  if (error == win::kErrorSuccess && calls.fdatasync(fd) != 0) error = LastError();
  calls.close(fd);
  return error;
}

uint32_t HiveFile::CreateFolders() {
  for (size_t slash = path_.find('/', 1); slash != std::string::npos; slash = path_.find('/', slash + 1)) {
    std::string folder = path_.substr(0, slash);
    if (Sys().mkdir(folder.c_str(), 0777) != 0 && errno != EEXIST) return LastError();
  }
  return win::kErrorSuccess;
}

void HiveFile::SyncFolder() {
  size_t slash = path_.rfind('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path_.substr(0, slash);
  int fd = Sys().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) return;
  Sys().fsync(fd);  // where a folder cannot be flushed, the rename stands all the same
  Sys().close(fd);
}

uint32_t HiveFile::OpenLock(int& fd) {
  if (uint32_t error = CreateFolders(); error != win::kErrorSuccess) return error;
  std::string lockPath = path_ + ".lock";
  fd = Sys().open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
  return fd < 0 ? LastError() : win::kErrorSuccess;
}

uint32_t HiveFile::Lock() {
  if (lockFd_ >= 0) return win::kErrorSuccess;
  SystemCalls& calls = Sys();
  int fd = -1;
  if (uint32_t error = OpenLock(fd); error != win::kErrorSuccess) return error;
  auto deadline = std::chrono::steady_clock::now() + lockWait_;
  while (calls.flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      uint32_t error = errno == EWOULDBLOCK ? win::kErrorSharingViolation : LastError();
      calls.close(fd);
      return error;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  lockFd_ = fd;
  return win::kErrorSuccess;
}

bool HiveFile::TryLock() {
  if (lockFd_ >= 0) return true;
  int fd = -1;
  if (OpenLock(fd) != win::kErrorSuccess) return false;
  if (Sys().flock(fd, LOCK_EX | LOCK_NB) != 0) {
    Sys().close(fd);
    return false;
  }
  lockFd_ = fd;
  return true;
}

void HiveFile::Unlock() {
  if (lockFd_ < 0) return;
  Sys().close(lockFd_);  // closing the descriptor releases the lock
  lockFd_ = -1;
}

uint32_t HiveFile::Replace(const std::function<bool(TextSink&)>& write, HiveFileVersion& version) {
  SystemCalls& calls = Sys();
  // Made afresh, never through whatever a crash or another user left at its name (the lock is
  // held, so no process of ours is writing it).
  std::string newPath = path_ + ".new";
  struct stat left;
  if (calls.lstat(newPath.c_str(), &left) == 0 && calls.unlink(newPath.c_str()) != 0) return LastError();
  int fd = calls.open(newPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (fd < 0) return LastError();
  TakeHiveMode(fd);
  FileSink sink(fd);
  bool written = write(sink);
  uint32_t error = sink.Error();
  if (error == win::kErrorSuccess && !written) error = win::kErrorInvalidFunction;
  struct stat info;
  if (error == win::kErrorSuccess && calls.fsync(fd) != 0) error = LastError();
  if (error == win::kErrorSuccess && calls.fstat(fd, &info) != 0) error = LastError();
  if (calls.close(fd) != 0 && error == win::kErrorSuccess) error = LastError();
  if (error == win::kErrorSuccess && calls.rename(newPath.c_str(), path_.c_str()) != 0) error = LastError();
  if (error != win::kErrorSuccess) {
    calls.unlink(newPath.c_str());  // the old hive stays as it was
    return error;
  }
  SyncFolder();  // the rename lasts before the log it replaces is removed
  version = VersionOf(info);
  return win::kErrorSuccess;
}

}  // namespace orvinta::platform::host
