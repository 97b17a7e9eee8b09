// The handlers of the command table, each defined in the room of its subsystem.
#pragma once
#include <cstdint>

#include "engine/script_context.h"

namespace orvinta::engine {

#define ORVINTA_DECLARE_HANDLER(name) \
  int32_t name(char16_t* command, char16_t* argument, ScriptContext& context)

// Script flow (engine/flow_commands.cpp).
ORVINTA_DECLARE_HANDLER(HandleCall);
ORVINTA_DECLARE_HANDLER(HandleGoto);
ORVINTA_DECLARE_HANDLER(HandleProc);
ORVINTA_DECLARE_HANDLER(HandleEndp);

// LOAD (engine/load.cpp); IFEX and ELSE (engine/conditions.cpp).
ORVINTA_DECLARE_HANDLER(HandleLoad);
ORVINTA_DECLARE_HANDLER(HandleIfex);
ORVINTA_DECLARE_HANDLER(HandleElse);

// Processes and libraries (commands/process_commands.cpp).
ORVINTA_DECLARE_HANDLER(HandleExec);
ORVINTA_DECLARE_HANDLER(HandleCdll);
ORVINTA_DECLARE_HANDLER(HandleKill);

// Device commands (commands/device_commands.cpp).
ORVINTA_DECLARE_HANDLER(HandleShut);
ORVINTA_DECLARE_HANDLER(HandleSend);
ORVINTA_DECLARE_HANDLER(HandlePlay);
ORVINTA_DECLARE_HANDLER(HandleBeep);
ORVINTA_DECLARE_HANDLER(HandleWait);

// Files (files/file_command.cpp, files/link_command.cpp, files/tgzx.cpp).
ORVINTA_DECLARE_HANDLER(HandleFile);
ORVINTA_DECLARE_HANDLER(HandleLink);
ORVINTA_DECLARE_HANDLER(HandleTgzx);

// The registry (registry/regx.cpp, registry/asoc.cpp).
ORVINTA_DECLARE_HANDLER(HandleRegx);
ORVINTA_DECLARE_HANDLER(HandleAsoc);

// Not built yet (engine/unbuilt_commands.cpp): each answers E_NOTIMPL until its room has it.
ORVINTA_DECLARE_HANDLER(HandleMsgx);
ORVINTA_DECLARE_HANDLER(HandleDlgx);
ORVINTA_DECLARE_HANDLER(HandleOvui);
ORVINTA_DECLARE_HANDLER(HandleHelp);

#undef ORVINTA_DECLARE_HANDLER

}  // namespace orvinta::engine
