#include "platform/host/device_paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/constants.h"
#include "platform/host/system_calls.h"
#include "platform/host/unicode.h"
#include "platform/host/win32_errors.h"

namespace orvinta::platform::host {

namespace {

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

std::string DefaultRoot() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    return std::string(xdg) + "/orvinta/root";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/share/orvinta/root";
}

// The component as it exists in `folder`, or as given when nothing there matches.
std::string ResolveComponent(const std::string& folder, std::u16string_view component) {
  std::string exact = Utf16ToUtf8(component);
  struct stat info;
  if (Sys().lstat((folder + "/" + exact).c_str(), &info) == 0) return exact;
  DIR* dir = Sys().opendir(folder.c_str());
  if (dir == nullptr) return exact;
  std::string found = exact;
  while (dirent* entry = Sys().readdir(dir)) {
    if (SameName(Utf8ToUtf16(entry->d_name), component)) {
      found = entry->d_name;
      break;
    }
  }
  Sys().closedir(dir);
  return found;
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

std::vector<std::u16string_view> DeviceComponents(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && IsSeparator(path[i])) ++i;
    size_t start = i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
    std::u16string_view part = path.substr(start, i - start);
    if (part.empty() || part == u".") continue;
    if (part == u"..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  return parts;
}

}  // namespace

char16_t FoldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 32);
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
  return c;
}

const std::string& DeviceRoot() {
  static const std::string root = [] {
    const char* configured = std::getenv("ORVINTA_ROOT");
    std::string value = (configured != nullptr && *configured != 0) ? configured : DefaultRoot();
    while (value.size() > 1 && value.back() == '/') value.pop_back();
    return value;
  }();
  return root;
}

std::string RegistryHivePath() {
  const char* configured = std::getenv("ORVINTA_REGISTRY");
  if (configured != nullptr && *configured != 0) return configured;
  const std::string& root = DeviceRoot();
  size_t slash = root.rfind('/');
  return (slash == std::string::npos ? std::string(".") : root.substr(0, slash)) + "/registry.hive";
}

std::string HostPathFor(std::u16string_view path) {
  if (path.empty() || path[0] != u'\\') {
    // A host path: "\" separates folders there too, so that LOAD's "\*.ovs" and a script's
    // device-style names work below a host folder.
    std::string host = Utf16ToUtf8(path);
    for (char& c : host) {
      if (c == '\\') c = '/';
    }
    return host;
  }
  std::string host = DeviceRoot();
  for (std::u16string_view part : DeviceComponents(path)) host += "/" + ResolveComponent(host, part);
  return host;
}

uint32_t CreateDeviceFolderChain(std::u16string_view devicePath) {
  std::string host;
  // The root itself, component by component.
  for (size_t i = 1; i <= DeviceRoot().size(); ++i) {
    if (i == DeviceRoot().size() || DeviceRoot()[i] == '/') {
      host = DeviceRoot().substr(0, i);
      if (Sys().mkdir(host.c_str(), 0777) != 0 && errno != EEXIST) return Win32ErrorFromErrno(errno);
    }
  }
  for (std::u16string_view part : DeviceComponents(devicePath)) {
    host += "/" + ResolveComponent(host, part);
    if (Sys().mkdir(host.c_str(), 0777) != 0 && errno != EEXIST) return Win32ErrorFromErrno(errno);
  }
  struct stat info;
  if (Sys().stat(host.c_str(), &info) != 0) return Win32ErrorFromErrno(errno);
  return S_ISDIR(info.st_mode) ? win::kErrorSuccess : win::kErrorAlreadyExists;
}

}  // namespace orvinta::platform::host
