// How the host stands in for the device's file system.
//
// The folder named by ORVINTA_ROOT (default $XDG_DATA_HOME/orvinta/root, or
// ~/.local/share/orvinta/root) is the device's root "\". A device path ("\Windows\x.txt")
// names a file below it; each component is matched against what exists without regard to
// case and keeps the case it was created with. "." is dropped and ".." never climbs above the
// root. A path beginning with "/" is a host path, and any other path is a host path relative
// to the current directory; in host paths "\" separates folders as "/" does.
#pragma once
#include <string>
#include <string_view>

namespace orvinta::platform::host {

// The root folder, without a trailing "/".
const std::string& DeviceRoot();

// The registry hive file: ORVINTA_REGISTRY, or "registry.hive" in the folder that holds the
// root (so $XDG_DATA_HOME/orvinta/registry.hive beside the default root).
std::string RegistryHivePath();

// The host file that `path` names (UTF-8). Components that do not exist yet keep the case
// they were given in.
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
