// The one place where the host turns errno into a Win32 error code.
#pragma once
#include <cstdint>

namespace orvinta::platform::host {

// Where Windows gives the same failure different codes depending on the call.
enum class FailedCall {
  kOther,
  kCreateNew,        // CreateFileW(CREATE_NEW), CopyFileW(fail if exists): an existing file is 80
  kRemoveDirectory,  // RemoveDirectoryW of a file is 267
};

// `folderExists` tells a missing file (2) from a missing folder on its way (3).
uint32_t Win32ErrorFromErrno(int error, FailedCall call = FailedCall::kOther, bool folderExists = true);

}  // namespace orvinta::platform::host
