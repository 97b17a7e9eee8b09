// File system and folder services.
//
// Contract: paths are UTF-16 device paths with "\" separators in buffers of kMaxPath code units.
// On the host, a device path names a file below the virtual device's root, and "/abs" or
// relative paths name host files (see docs/host-device.md).
#pragma once
#include <cstdint>

namespace orvinta::platform {

class Files {
 public:
  virtual ~Files() = default;

  // SHGetSpecialFolderPath(no window, csidl, create): the folder's path without a trailing
  // "\" in a buffer of at least kMaxPath units; the folder is created when missing.
  // False when the platform has no such folder or cannot create it.
  virtual bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) = 0;

  // Whether `c` separates the folders of a script's path. "\" everywhere; the host's own
  // paths also use "/".
  virtual bool IsPathSeparator(char16_t c) const = 0;
};

}  // namespace orvinta::platform
