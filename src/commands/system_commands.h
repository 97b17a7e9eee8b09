// The process and device commands, as this room hands them to the dispatcher.
#pragma once
#include "engine/command_handler.h"

namespace orvinta::commands {

#define ORVINTA_SYSTEM_COMMAND(name) \
  int32_t name(char16_t* command, char16_t* argument, engine::ScriptContext& context)

ORVINTA_SYSTEM_COMMAND(HandleExec);  // process_commands.cpp
ORVINTA_SYSTEM_COMMAND(HandleCdll);
ORVINTA_SYSTEM_COMMAND(HandleKill);
ORVINTA_SYSTEM_COMMAND(HandleShut);  // device_commands.cpp
ORVINTA_SYSTEM_COMMAND(HandleSend);
ORVINTA_SYSTEM_COMMAND(HandlePlay);
ORVINTA_SYSTEM_COMMAND(HandleBeep);
ORVINTA_SYSTEM_COMMAND(HandleWait);

#undef ORVINTA_SYSTEM_COMMAND

inline constexpr engine::CommandEntry kCommands[] = {
    {u"EXEC", HandleExec}, {u"CDLL", HandleCdll}, {u"KILL", HandleKill}, {u"SHUT", HandleShut},
    {u"SEND", HandleSend}, {u"PLAY", HandlePlay}, {u"BEEP", HandleBeep}, {u"WAIT", HandleWait},
};

}  // namespace orvinta::commands
