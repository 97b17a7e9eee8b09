// Writes that never go through a link (docs/host-device.md, "Links"): a reparse point (a
// junction or symbolic link) or a file with other names (hard links) is never written in place.
#pragma once
#include <windows.h>

namespace orvinta::platform::win32 {

// Readies `name` for CreateFileW with `access` and `disposition`: a folder on the way of a
// device path ("\...") that is a reparse point refuses (1921), as does a link or a file with
// other names that would be written in place; one that is to be emptied is deleted first, so
// the open makes a new file of its own. 0 when the open may go ahead, else the error code.
DWORD MakeWayForWrite(const wchar_t* name, DWORD access, DWORD disposition);

// ERROR_CANT_RESOLVE_FILENAME when a folder on the way of the device path is a reparse point,
// else 0: what makes, removes or renames a name does not reach through one.
DWORD RefuseReparseFolders(const wchar_t* name);

// Whether an open handle is no disk file (a pipe or a character device, as Wine shows a host's
// named pipe): such a file is refused (1920). A device, which has no GetFileType, has no such files.
bool IsNoDiskFile(HANDLE file);

}  // namespace orvinta::platform::win32
