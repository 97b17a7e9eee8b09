// The host's registry service over a hive file and its change log (platform/host/registry.cpp).
//
// The hive and the log are read at the first registry call of the process; a call between
// commands takes what other processes committed since (a stat of each file when nothing did). The first call of a
// command that changes something takes the lock and catches up with what other processes
// committed since: the records they appended to the log, or, when one of them folded the log
// into a new hive, everything again (open handles follow their keys by path). CommitChanges
// appends the command's changes to the log as one record, flushed to disk, and releases the
// lock, so a change costs what it changes; when the log has grown past half the hive (and at
// least 256 KiB), the commit then folds it: writes a new hive and removes the log. So two
// processes never lose each other's changes, and a command that sets 20,000 values writes its
// record and at most one hive.
//
// A hive or log that cannot be read or parsed is never written: every call then fails with
// ERROR_BADDB (1009), or the read's own error code, and stderr says why, once per process. A
// log whose last record is cut short (the process that wrote it was killed) is cut back to its
// last whole record, and stderr says so. A lock held by another process for longer than
// `lockWait` fails the changing call with ERROR_SHARING_VIOLATION (32). A failed write is
// reported by CommitChanges and stderr; the changes stay in memory and go with the next commit.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace orvinta::platform::host {

inline constexpr std::chrono::milliseconds kDefaultHiveLockWait{10000};

class HostRegistry : public Registry {
 public:
  // What a process does as it ends (and the registry's destructor): commits what a forgotten
  // commit left, and folds the log into the hive if this process changed something, unless
  // another process holds the lock (that one folds when it ends).
  virtual void ProcessEnds() = 0;
};

std::unique_ptr<HostRegistry> MakeHiveRegistry(std::string hivePath,
                                               std::chrono::milliseconds lockWait = kDefaultHiveLockWait);

}  // namespace orvinta::platform::host
