// How the host stands in for the device's file system.
//
// The folder named by ORVINTA_ROOT (default $XDG_DATA_HOME/orvinta/root, or
// ~/.local/share/orvinta/root) is the device's root "\". A device path ("\Windows\x.txt")
// names a file below it; each component is matched against what exists without regard to
// case and keeps the case it was created with. "." is dropped and ".." never climbs above the
// root. A path beginning with "/" is a host path taken as it stands, and any other path is a
// host path relative to the current directory. The file calls take "/" for "\" as Windows'
// own do, and read names by Windows' rules in every path but the host's absolute ones: a
// character that no name may hold is refused, the last component loses its trailing dots and
// blanks, another component a single trailing dot, and "\\" begins a network path.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace orvinta::platform::host {

// The root folder, without a trailing "/".
const std::string& DeviceRoot();

// The registry hive file: ORVINTA_REGISTRY, or "registry.hive" in the folder that holds the
// root (so $XDG_DATA_HOME/orvinta/registry.hive beside the default root).
std::string RegistryHivePath();

// What a path names on the host.
struct MappedPath {
  std::string host;          // the host file (UTF-8); components that do not exist keep their case
  uint32_t error = 0;        // Windows refuses the path: 123 (a character no name may hold, or a
                             // file named as a folder), 53 (a network path, which the host has none of)
  bool namesFolder = false;  // a separator follows the last name: only a folder answers to it
};
MappedPath MapPath(std::u16string_view path);

// The host file that `path` names, or "" for a path that Windows refuses.
std::string HostPathFor(std::u16string_view path);

// The host keeps what folders hold, to look names up without regard to case without reading a
// folder again for every name made in it. The file services tell it of the names they make
// (after the call that made the file or folder) and of every other change they make in a folder.
void NoteNameMade(const std::string& hostPath);
void ForgetListingOf(const std::string& hostPath);

// Creates the host folder for a device path and every missing folder above it (the root
// included). Returns 0 or a Win32 error code.
uint32_t CreateDeviceFolderChain(std::u16string_view devicePath);

}  // namespace orvinta::platform::host
