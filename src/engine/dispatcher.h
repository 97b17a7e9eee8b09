// The command table and the dispatcher.
#pragma once
#include <cstdint>

#include "engine/script_context.h"

namespace orvinta::engine {

// Every command handler: the command text (from the keyword on), the writable argument text
// inside the same line buffer, and the running context. Returns the command's result.
using CommandHandler = int32_t (*)(char16_t* command, char16_t* argument, ScriptContext& context);

inline constexpr int kCommandCount = 26;

struct CommandEntry {
  char16_t keyword[5];  // four upper-case letters and a zero
  CommandHandler handler;
};

// The 26 entries in their fixed order.
const CommandEntry* CommandTable();

// The keywords the target search writes into CALL and GOTO lines ("PROC") and PROC lines ("ENDP").
const char16_t* ProcKeyword();
const char16_t* EndpKeyword();

// Finds the keyword at the start of `command` and calls its handler; a text without a keyword
// is something to open and goes to EXEC, CDLL or LOAD.
int32_t DispatchCommand(char16_t* command, ScriptContext& context);

// What opens a text without a keyword: EXEC when it names ".exe", CDLL when it names ".dll",
// LOAD otherwise (matched under the differ-by-32 rule).
CommandHandler OpenerFor(const char16_t* text);

// BATC lives in the dispatcher.
int32_t HandleBatc(char16_t* command, char16_t* argument, ScriptContext& context);

}  // namespace orvinta::engine
