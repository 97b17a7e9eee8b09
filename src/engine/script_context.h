// The state of one script run, and the fixed sizes every run shares.
#pragma once
#include <cstddef>
#include <cstdint>

namespace orvinta::engine {

// One line as built by the runner, including its terminator.
inline constexpr size_t kLineBufferUnits = 1024;

// What an unescaped comma becomes in the line buffer; handlers split their arguments here.
inline constexpr char16_t kArgumentSeparator = 1;

// One per RunScript call, on its stack.
struct ScriptContext {
  char16_t* lineStart;       // raw text of the current line, before any leading blanks
  char16_t* readPosition;    // next character to read; handlers may move it forward
  const char16_t* scriptPath;  // not owned; %E and %C read it
  int32_t lastResult;        // 0 when the run starts
};

// The shared empty text outside every script. Setting the read position to it ends the run
// after the current line. Nothing ever writes to it.
char16_t* EndOfText();

}  // namespace orvinta::engine
