// The one place where the host turns errno into a Win32 error code.
#pragma once
#include <cstdint>

namespace orvinta::platform::host {

uint32_t Win32ErrorFromErrno(int error);

}  // namespace orvinta::platform::host
