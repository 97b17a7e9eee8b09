// The host's ORVINTA_LOG file, buffered: entries are gathered in memory and written in large
// pieces, and everything gathered reaches the file before the program lets time pass or
// another program run (a wait, a process started), when 20 ms have passed since the oldest
// entry not yet written, when the program exits, and when a signal ends it (a crash included).
#pragma once

namespace orvinta::platform::host {

// Writes what the log has gathered. Cheap when there is nothing.
void FlushLog();

}  // namespace orvinta::platform::host
