// The module instance handle that WinMain records; resources are loaded from it.
#pragma once
#include <windows.h>

namespace orvinta::platform::win32 {

void SetModuleInstance(HINSTANCE instance);
HINSTANCE ModuleInstance();

}  // namespace orvinta::platform::win32
