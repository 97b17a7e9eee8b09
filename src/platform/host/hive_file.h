// The hive file on disk: reading it, locking it against other processes, replacing it whole.
//
// Every system call goes through the host's one table (system_calls.h), which tests override
// to inject a failure ("the rename fails with EXDEV").
// The lock is an flock on "<hive>.lock" beside the hive: the hive itself is replaced by rename,
// so a lock on it would lock the old file. A new hive is written to "<hive>.new" under the
// lock, flushed to disk, then renamed over the hive, so a reader sees the old file or the new
// one, never a part of either.
#pragma once
#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvinta::platform::host {

// What tells one version of the hive file from another: a rename gives a new inode, and a
// write changes the size or the modification time.
struct HiveFileVersion {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modifiedNanoseconds = 0;
  bool operator==(const HiveFileVersion&) const = default;
};

class HiveFile {
 public:
  HiveFile(std::string path, std::chrono::milliseconds lockWait);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const std::string& Path() const { return path_; }

  // The whole file; a missing file reads as absent and empty. 0 or a Win32 error code.
  uint32_t Read(std::string& text, HiveFileVersion& version);

  // The version on disk now.
  uint32_t Current(HiveFileVersion& version);

  // Takes the exclusive lock, waiting up to lockWait for another process to release it
  // (ERROR_SHARING_VIOLATION when it does not). Creates the hive's folder when missing.
  uint32_t Lock();
  void Unlock();
  bool Locked() const { return lockFd_ >= 0; }

  // Replaces the hive with `text` (the lock must be held); `version` receives the new file's.
  uint32_t Replace(std::string_view text, HiveFileVersion& version);

 private:
  uint32_t CreateFolders();

  std::string path_;
  std::chrono::milliseconds lockWait_;
  int lockFd_ = -1;
};

}  // namespace orvinta::platform::host
