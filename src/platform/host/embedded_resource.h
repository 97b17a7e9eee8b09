// The host's stand-in for the program's resources: the default script, kept in a section of
// the executable that can be rewritten in the binary without recompiling
// (scripts/set-default-script; the layout is in docs/host-device.md).
#pragma once
#include "platform/processes.h"

namespace orvinta::platform::host {

// False when the blob says the resource is missing.
bool DefaultScriptResource(ResourceBytes* out);

// The help page "HELP" (type 23), GB2312 bytes compiled in from the same page as the Windows
// program's resource.
bool HelpPageResource(ResourceBytes* out);

}  // namespace orvinta::platform::host
