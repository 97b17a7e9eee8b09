// Macros ("%" and one character) and the ten user variables they read.
#pragma once
#include <cstdint>

#include "engine/script_context.h"

namespace orvinta::engine {

inline constexpr int kUserVariableCount = 10;
inline constexpr int kUserVariableUnits = 260;  // including the terminator

// Appends the expansion of "%" + macro at out, never at or past limit, and returns the
// position after it. Writes no terminator. "%#" is the runner's own (it reads four more
// characters of the script).
char16_t* ExpandMacro(char16_t* out, char16_t* limit, char16_t macro, const ScriptContext& context);

// The code unit that "%#" followed by these four characters spells.
char16_t HexCodeUnit(const char16_t four[4]);

// The user variables %0..%9: process-wide, empty at start.
const char16_t* UserVariable(int slot);
// Stores text (up to a zero, or `length` units) cut to 259 units.
void SetUserVariable(int slot, const char16_t* text);
void ClearUserVariable(int slot);

// EVAL: set or read a user variable, or yield a number.
int32_t HandleEval(char16_t* command, char16_t* argument, ScriptContext& context);

}  // namespace orvinta::engine
