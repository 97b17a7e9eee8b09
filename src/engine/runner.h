// The script runner: walks a script text once, builds each line and executes it.
#pragma once
#include <cstdint>

#include "engine/script_context.h"

namespace orvinta::engine {

// Runs the whole zero-terminated, writable text with a new context and returns the last
// result when the text ends. The text must stay alive and unmoved for the whole run.
int32_t RunScript(char16_t* text, const char16_t* scriptPath);

// Executes one finished line: comments and blank lines do nothing, registry and XML blocks go
// to their handlers, everything else is dispatched and logged. Returns the last result.
int32_t ExecuteLine(char16_t* line, ScriptContext& context);

}  // namespace orvinta::engine
