// The registry-script importer.
#pragma once
#include <cstdint>

namespace orvinta::registry {

// Embedded mode: imports the registry text that starts at `lineStart` (a line beginning with
// "[") inside a running script, and sets *readPosition where the script resumes. Returns the
// import's result; 1017 (ERROR_NOT_REGISTRY_FILE) when the text is not registry text.
int32_t ImportRegistryText(char16_t* lineStart, char16_t** readPosition);

}  // namespace orvinta::registry
