// The process environment, looked up at run time: Windows CE has none, and there every
// variable reads as absent.
#pragma once
#include <string>

namespace orvinta::platform::win32 {

// The variable's value; false when it is absent, empty or the system has no environment.
bool EnvironmentVariable(const wchar_t* name, std::wstring* value);

}  // namespace orvinta::platform::win32
