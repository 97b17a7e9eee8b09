// What each backend provides: its default instance of every service. Only platform.cpp calls
// these; everything else goes through Get().
#pragma once
#include "platform/platform.h"

namespace orvinta::platform::backend {

Files* DefaultFiles();
Processes* DefaultProcesses();
Device* DefaultDevice();
TextTime* DefaultTextTime();
Log* DefaultLog();
Registry* DefaultRegistry();

}  // namespace orvinta::platform::backend
