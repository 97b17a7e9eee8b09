// Macros ("%" and one character), expanded by the runner as it copies a line.
#pragma once
#include "engine/script_context.h"

namespace orvinta::engine {

// Appends the expansion of "%" + macro at out, never at or past limit, and returns the
// position after it. Writes no terminator. "%#" is the runner's own (it reads four more
// characters of the script).
char16_t* ExpandMacro(char16_t* out, char16_t* limit, char16_t macro, const ScriptContext& context);

// The code unit that "%#" followed by these four characters spells.
char16_t HexCodeUnit(const char16_t four[4]);

}  // namespace orvinta::engine
