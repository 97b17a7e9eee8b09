// The handle of a kernel object (file, search, process, thread, snapshot), shared by the
// services: HANDLE on Windows, the host backend's own token.
#pragma once
#include <cstdint>

namespace orvinta::platform {

using Handle = void*;
// INVALID_HANDLE_VALUE: how CreateFileW, FindFirstFileW and CreateToolhelp32Snapshot fail.
inline const Handle kInvalidHandleValue = reinterpret_cast<Handle>(~uintptr_t{0});

}  // namespace orvinta::platform
