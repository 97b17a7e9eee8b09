// What each backend provides: its default instance of every service, which only platform.cpp
// asks for (everything else goes through Get()), and the journal file its services share.
#pragma once
#include "platform/device_journal.h"
#include "platform/platform.h"

namespace orvinta::platform::backend {

Files* DefaultFiles();
Processes* DefaultProcesses();
Device* DefaultDevice();
TextTime* DefaultTextTime();
Log* DefaultLog();
Registry* DefaultRegistry();
Windows* DefaultWindows();

// The journal named by ORVINTA_JOURNAL, which the device and the window services write to;
// null where the backend keeps none.
JournalSink* DefaultJournal();

}  // namespace orvinta::platform::backend
