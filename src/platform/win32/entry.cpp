// The Windows program's entry: the command line, without the program's own name, is the script.
#include <windows.h>

#include "app/startup.h"
#include "platform/win32/module_instance.h"
#include "platform/win32/wide.h"

namespace {

// The runtime's lpCmdLine has every leading blank and line break removed, which would turn a
// command line of blanks into the default script and drop a script's leading line breaks. Read
// the whole command line instead and pass over the program's name and the one blank after it,
// the way a device hands the program its command line.
wchar_t* ScriptCommandLine() {
  wchar_t* p = GetCommandLineW();
  if (*p == L'"') {
    ++p;
    while (*p != 0 && *p != L'"') ++p;
    if (*p == L'"') ++p;
  } else {
    while (*p != 0 && *p != L' ' && *p != L'\t') ++p;
  }
  if (*p == L' ' || *p == L'\t') ++p;
  return p;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  orvinta::platform::win32::SetModuleInstance(instance);
  return orvinta::app::Start(orvinta::platform::win32::Utf16(ScriptCommandLine()));
}
