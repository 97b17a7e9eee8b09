// The Windows program's entry: the command line, without the program's own name, is the script.
#include <windows.h>

#include "app/startup.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/wide.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int) {
  orvinta::platform::win32::SetModuleInstance(instance);
  static wchar_t empty[1] = {0};
  return orvinta::app::Start(orvinta::platform::win32::Utf16(commandLine != nullptr ? commandLine : empty));
}
