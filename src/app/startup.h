// Start-up: turns the way the program was started into one script text and runs it.
#pragma once
#include <cstdint>

namespace orvinta::app {

// Runs the program for its command line (without the program's own name; writable and
// zero-terminated) and returns the result of the run, the process exit code.
int32_t Start(char16_t* commandLine);

}  // namespace orvinta::app
