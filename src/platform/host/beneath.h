// Writes that stay where they are meant to land.
//
// A device path names a file below the device's root, and what the program writes or removes
// there must not reach the host's other files through a symbolic link on the way (a folder of
// the device that is a link to a host folder) or through the file itself (a link, or a hard
// link shared with a file outside). Reads may follow links; writes and removals may not:
//   - a folder on the way that is a link leading outside the root refuses the call (1921);
//   - a link as the last component is itself what is removed, replaced or refused, never its
//     target;
//   - a regular file with other names (hard links) is replaced by a new file when it is to be
//     emptied, and refused (1921) when it would be written in place.
// Files that are no regular files and no folders (pipes, sockets, devices) are refused (1920)
// without waiting for a peer.
#pragma once
#include <sys/stat.h>

#include <cstdint>
#include <string>

namespace orvinta::platform::host {

// 0, or 1921 when a folder between the root and the last component of `hostPath` (the host path
// of the device path `devicePath`) is a link that leads outside the root. Host paths pass.
uint32_t RefuseLinkedFolders(const char16_t* devicePath, const std::string& hostPath);

// The attributes a search or an attribute query reports for the entry at `hostPath`, looked at
// without following a link: a link carries the reparse-point attribute (and the folder attribute
// when it leads to a folder), a pipe, socket or device the device attribute. False when the
// entry does not exist; `info` then holds nothing, else the entry's own state.
bool EntryAttributes(const std::string& hostPath, struct stat* info, uint32_t* attributes, uint64_t* size);

// Whether the link at `hostPath` leads to a folder.
bool LinkLeadsToFolder(const std::string& hostPath);

// Removes whatever name stands at `hostPath` (a link, or a name shared with other files) and
// opens a new regular file there with `flags` (O_CREAT | O_EXCL | O_NOFOLLOW added). The file
// descriptor, or -1 with errno.
int ReplaceWithNewFile(const std::string& hostPath, int flags);

}  // namespace orvinta::platform::host
