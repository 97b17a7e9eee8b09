// The Windows program's own windows. The main window and the help window are full-screen
// dialogs built on the shared dialog routines; until those are in, OVUI and HELP answer as an
// unwired command does.
#include "platform/constants.h"
#include "platform/shell.h"

namespace orvinta::platform {

int32_t OpenMainWindow(const MainWindowCalls&) { return win::AsResult(win::kENotImpl); }
bool LogPaneOpen() { return false; }
void AppendToLogPane(std::u16string_view) {}
int32_t ShowHelp() { return win::AsResult(win::kENotImpl); }

}  // namespace orvinta::platform
