// What a command room sees of the engine: the handler's signature, the entries a room hands the
// dispatcher, and the one rule for cutting an argument at its separators.
#pragma once
#include <cstdint>
#include <span>

#include "engine/script_context.h"

namespace orvinta::engine {

// Every command handler: the command text (from the keyword on), the writable argument text
// inside the same line buffer, and the running context. Returns the command's result.
using CommandHandler = int32_t (*)(char16_t* command, char16_t* argument, ScriptContext& context);

struct CommandEntry {
  char16_t keyword[5];  // four upper-case letters and a zero
  CommandHandler handler;
};

// A room's commands, as it hands them to the dispatcher.
using CommandEntries = std::span<const CommandEntry>;

// Cuts the text at its first argument separator (a zero in its place) and returns what follows
// it, or nullptr when the text has none (then nothing is cut).
char16_t* CutAtSeparator(char16_t* text);

}  // namespace orvinta::engine
