// The registry-script importer: key lines in brackets, value lines in the forms of exported
// registry files ("REGEDIT4", "Windows Registry Editor Version 5.00") and of RGU scripts, key
// and value deletions, comments, escapes and continued lines.
#pragma once
#include <cstdint>

namespace orvinta::registry {

// Imports the registry text that starts at `text` and returns 0, or 1017
// (ERROR_NOT_REGISTRY_FILE) when a line is not registry text; failures of the registry calls
// do not change the result. The text is read, never changed.
//
// File mode (readPosition null, LOAD): reads to the end of the text, passing over lines that
// are not registry text. Embedded mode (a block inside a running script): stops at the first
// line that is not registry text and sets *readPosition to its start, or to the end of the
// text, so that the script goes on there and runs that line as written.
int32_t ImportRegistryText(char16_t* text, char16_t** readPosition);

}  // namespace orvinta::registry
