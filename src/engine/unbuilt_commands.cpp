// Commands whose rooms have not been built yet. Each answers E_NOTIMPL (0x80004001), so a
// script that uses one sees a plain "not implemented" result in %x and in the log, and goes on.
// Remove a handler from this file when its room defines it.
#include "engine/command_handlers.h"
#include "platform/constants.h"

namespace orvinta::engine {

#define ORVINTA_NOT_BUILT(name) \
  int32_t name(char16_t*, char16_t*, ScriptContext&) { return win::AsResult(win::kENotImpl); }

ORVINTA_NOT_BUILT(HandleMsgx)
ORVINTA_NOT_BUILT(HandleDlgx)
ORVINTA_NOT_BUILT(HandleOvui)
ORVINTA_NOT_BUILT(HandleHelp)

#undef ORVINTA_NOT_BUILT

}  // namespace orvinta::engine
