// The host's registry service over a hive file (platform/host/registry.cpp).
//
// The hive is read at the first registry call of the process. The first call that changes
// something takes the hive's lock and, when another process has replaced the file since it
// was read, reads it again (open handles follow their keys by path); CommitChanges writes the
// hive once, if anything changed, and releases the lock. So two processes never lose each
// other's changes, and a command that sets 20,000 values writes the file once.
//
// A hive that cannot be read or parsed is never written: every call then fails with
// ERROR_BADDB (1009), or the read's own error code, and stderr says why, once per process. A
// lock held by another process for longer than `lockWait` fails the changing call with
// ERROR_SHARING_VIOLATION (32). A failed write is reported by CommitChanges and stderr; the
// changes stay in memory and go with the next commit.
#pragma once
#include <chrono>
#include <memory>
#include <string>

#include "platform/registry.h"

namespace orvinta::platform::host {

inline constexpr std::chrono::milliseconds kDefaultHiveLockWait{10000};

std::unique_ptr<Registry> MakeHiveRegistry(std::string hivePath,
                                           std::chrono::milliseconds lockWait = kDefaultHiveLockWait);

}  // namespace orvinta::platform::host
