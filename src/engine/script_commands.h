// The engine's own commands: the ones that steer a script.
#pragma once
#include "engine/command_handler.h"

namespace orvinta::engine {

#define ORVINTA_SCRIPT_COMMAND(name) int32_t name(char16_t* command, char16_t* argument, ScriptContext& context)

ORVINTA_SCRIPT_COMMAND(HandleLoad);  // load.cpp
ORVINTA_SCRIPT_COMMAND(HandleBatc);  // dispatcher.cpp
ORVINTA_SCRIPT_COMMAND(HandleIfex);  // conditions.cpp
ORVINTA_SCRIPT_COMMAND(HandleElse);
ORVINTA_SCRIPT_COMMAND(HandleCall);  // flow_commands.cpp
ORVINTA_SCRIPT_COMMAND(HandleGoto);
ORVINTA_SCRIPT_COMMAND(HandleProc);
ORVINTA_SCRIPT_COMMAND(HandleEndp);
ORVINTA_SCRIPT_COMMAND(HandleEval);  // macros.cpp

#undef ORVINTA_SCRIPT_COMMAND

}  // namespace orvinta::engine
