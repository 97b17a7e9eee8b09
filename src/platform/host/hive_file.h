// The hive's files on disk: the hive, its change log, its lock.
//
// Every system call goes through the host's one table (system_calls.h), which tests override
// to inject a failure ("the rename fails with EXDEV").
//   <hive>       the registry as text; replaced whole: written to "<hive>.new" (made afresh, with
//                the hive's mode and owner), flushed to disk, renamed over the hive, so a reader
//                sees the old file or the new one. A hive path that is a symbolic link stands for
//                its target: the files are the target's and sit beside it.
//   <hive>.log   the changes not yet in the hive, appended one record at a time and flushed
//   <hive>.lock  an flock taken by a process while it changes the registry (the hive itself is
//                replaced by rename, so a lock on it would lock the old file)
#pragma once
#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/host/registry_hive.h"

namespace orvinta::platform::host {

// What tells one version of a file from another: a rename gives a new inode, and a write
// changes the size or the modification time.
struct HiveFileVersion {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  int64_t modifiedNanoseconds = 0;
  bool operator==(const HiveFileVersion&) const = default;
  bool SameFile(const HiveFileVersion& other) const {
    return exists == other.exists && device == other.device && inode == other.inode;
  }
};

class HiveFile {
 public:
  HiveFile(std::string path, std::chrono::milliseconds lockWait);
  ~HiveFile();
  HiveFile(const HiveFile&) = delete;
  HiveFile& operator=(const HiveFile&) = delete;

  const std::string& Path() const { return path_; }
  const std::string& LogPath() const { return logPath_; }

  // Hands the hive to `pieces` in blocks (it is never held whole) until the sink refuses one;
  // a missing file reads as absent and empty. 0 or a Win32 error code.
  uint32_t ReadHive(TextSink& pieces, HiveFileVersion& version);
  // The hive on disk now.
  uint32_t Current(HiveFileVersion& version);

  // The log from byte `offset` to its end; a missing log reads as absent and empty.
  uint32_t ReadLog(off_t offset, std::string& text, HiveFileVersion& version);
  uint32_t LogCurrent(HiveFileVersion& version);
  // Writes `text` at `offset`, the end of the log's whole records, and flushes it to disk; when
  // that fails the log is cut back to `offset`. The lock must be held.
  uint32_t AppendLog(off_t offset, std::string_view text, HiveFileVersion& version);
  // Cuts the log back to `size` bytes (none: the log is removed). The lock must be held.
  uint32_t CutLog(off_t size);

  // Takes the exclusive lock, waiting up to lockWait for another process to release it
  // (ERROR_SHARING_VIOLATION when it does not). Creates the hive's folder when missing.
  uint32_t Lock();
  // Takes the lock only if no other process holds it.
  bool TryLock();
  void Unlock();
  bool Locked() const { return lockFd_ >= 0; }

  // Replaces the hive with what `write` writes (the lock must be held); `version` receives the
  // new file's. On failure the old hive stays as it was and no ".new" file is left.
  uint32_t Replace(const std::function<bool(TextSink&)>& write, HiveFileVersion& version);

 private:
  uint32_t CreateFolders();
  void TakeHiveMode(int fd);  // the hive's mode and owner, when there is a hive
  uint32_t OpenLock(int& fd);
  void SyncFolder();

  std::string path_;
  std::string logPath_;
  std::chrono::milliseconds lockWait_;
  int lockFd_ = -1;
};

}  // namespace orvinta::platform::host
