#include "platform/win32/module_instance.h"

namespace orvinta::platform::win32 {

namespace {
HINSTANCE g_instance = nullptr;
}

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE ModuleInstance() { return g_instance != nullptr ? g_instance : GetModuleHandleW(nullptr); }

}  // namespace orvinta::platform::win32
