// The command table and the dispatcher.
//
// The table holds the 26 keywords in their fixed order. The engine fills the slots of its own
// commands (the script commands: LOAD, BATC, IFEX, ELSE, CALL, GOTO, PROC, ENDP, EVAL); every
// other room hands over its entries at start-up through InstallCommands. A slot that no room
// has filled answers E_NOTIMPL, so a program built without a room still runs every script.
#pragma once
#include <cstdint>

#include "engine/command_handler.h"

namespace orvinta::engine {

// Puts each entry's handler into the slot of its keyword. False when an entry names a keyword
// that is not one of the 26 (that entry is left out).
bool InstallCommands(CommandEntries entries);

// The keywords the target search writes into CALL and GOTO lines ("PROC") and PROC lines ("ENDP").
inline constexpr char16_t kProcKeyword[] = u"PROC";
inline constexpr char16_t kEndpKeyword[] = u"ENDP";

// Finds the keyword at the start of `command` and calls its handler; a text without a keyword
// is something to open and goes to EXEC, CDLL or LOAD.
int32_t DispatchCommand(char16_t* command, ScriptContext& context);

}  // namespace orvinta::engine
