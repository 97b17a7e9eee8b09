#include "registry/importer.h"

#include "platform/constants.h"

namespace orvinta::registry {

// The importer itself is not built yet: every block reads as "not registry text" and the
// script resumes after the block's first line, where the runner already stands.
int32_t ImportRegistryText(char16_t*, char16_t**) { return win::AsResult(win::kErrorNotRegistryFile); }

}  // namespace orvinta::registry
