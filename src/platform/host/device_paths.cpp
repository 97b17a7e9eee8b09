#include "platform/host/device_paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/constants.h"
#include "platform/host/system_calls.h"
#include "base/case_rules.h"
#include "base/utf8.h"
#include "platform/host/win32_errors.h"

namespace orvinta::platform::host {

using base::Utf16ToUtf8;
using base::Utf8ToUtf16;

namespace {

std::string DefaultRoot() {
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
    return std::string(xdg) + "/orvinta/root";
  }
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : "") + "/.local/share/orvinta/root";
}

// The monotonic clock, taken through the system-call table so that a test can move it on.
std::chrono::nanoseconds Now() {
  timespec now{};
  Sys().clock_gettime(CLOCK_MONOTONIC, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

std::u16string Folded(std::u16string_view name) {
  std::u16string folded(name);
  for (char16_t& c : folded) c = base::NameUpper(c);
  return folded;
}

// What a folder held when it was last read: its names, folded, and the names on disk. An archive
// puts hundreds of new files into one folder, and each new name must be looked for without
// regard to case; the listing spares reading the folder again for each. It stands while the
// folder's identity and times are those seen before it was read, and for at most a second.
// The host adds the names it makes itself and takes the folder's times right after the making
// as its own, so a name another program makes later moves the times and the folder is read
// again before the next lookup: a new name never misses an existing one that differs in case,
// and no case twin is made. (A change in the instant between the host's making and its look
// at the times, or within one tick of a coarse clock, shows within the second.) A folder in
// which the host deletes, removes or renames anything is read again.
struct Listing {
  dev_t device;
  ino_t inode;
  timespec modified, changed;
  std::chrono::nanoseconds read;  // when, by Now()
  std::unordered_set<std::string> exact;                  // the names as they are
  std::unordered_map<std::u16string, std::string> names;  // folded: the first name so folded
  void Add(std::string name) {
    names.emplace(Folded(Utf8ToUtf16(name)), name);
    exact.insert(std::move(name));
  }
};

std::unordered_map<std::string, Listing>& Listings() {
  static std::unordered_map<std::string, Listing> listings;
  return listings;
}

bool SameTimes(const timespec& a, const timespec& b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; }

bool Describes(Listing& listing, const struct stat& folder) {
  if (listing.device != folder.st_dev || listing.inode != folder.st_ino ||
      Now() - listing.read >= std::chrono::seconds(1)) {
    return false;
  }
  return SameTimes(listing.modified, folder.st_mtim) && SameTimes(listing.changed, folder.st_ctim);
}

// The listing of `folder`, whose state `info` was taken before; read afresh when it is stale.
const Listing* ListingOf(const std::string& folder, const struct stat& info) {
  auto& listings = Listings();
  auto found = listings.find(folder);
  if (found != listings.end() && Describes(found->second, info)) return &found->second;
  DIR* dir = Sys().opendir(folder.c_str());
  if (dir == nullptr) return nullptr;
  Listing listing{info.st_dev, info.st_ino, info.st_mtim, info.st_ctim, Now(), {}, {}};
  while (dirent* entry = Sys().readdir(dir)) listing.Add(entry->d_name);
  Sys().closedir(dir);
  if (listings.size() >= 256) listings.clear();  // a bound, not a policy: listings are cheap to read again
  return &(listings[folder] = std::move(listing));
}

// The name in `folder` (whose state `info` was taken just before) that matches the component
// without regard to case, or the component as given when nothing there matches.
std::string NameIn(const std::string& folder, const struct stat& info, std::u16string_view component,
                   std::string given) {
  const Listing* listing = ListingOf(folder, info);
  if (listing == nullptr || listing->exact.count(given) != 0) return given;
  auto found = listing->names.find(Folded(component));
  return found != listing->names.end() ? found->second : given;
}

std::string FolderOf(const std::string& hostPath) {
  size_t slash = hostPath.rfind('/');
  return slash == std::string::npos ? "." : slash == 0 ? "/" : hostPath.substr(0, slash);
}

// The component as it exists in `folder`, or as given when nothing there matches.
std::string ResolveComponent(const std::string& folder, std::u16string_view component) {
  std::string exact = Utf16ToUtf8(component);
  struct stat info;
  if (Sys().lstat((folder + "/" + exact).c_str(), &info) == 0) return exact;
  if (Sys().stat(folder.c_str(), &info) != 0) return exact;
  return NameIn(folder, info, component, std::move(exact));
}

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The characters that no name on the device may hold.
bool IsRefused(char16_t c) {
  return c < 0x20 || c == u'"' || c == u'*' || c == u':' || c == u'<' || c == u'>' || c == u'?' || c == u'|';
}

// The components of a path as Windows reads them: a component that ends in a single "." loses
// it, and the last one, unless a separator follows, all its trailing dots and blanks (one that
// is nothing else names the folder it stands in). In a device path "." is dropped and ".." never
// climbs above the root; a relative path keeps them for the host. False for a refused character.
bool SplitPath(std::u16string_view path, bool device, std::vector<std::u16string_view>* parts) {
  size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && IsSeparator(path[i])) ++i;
    const size_t start = i;
    while (i < path.size() && !IsSeparator(path[i])) ++i;
    std::u16string_view part = path.substr(start, i - start);
    for (char16_t c : part) {
      if (IsRefused(c)) return false;
    }
    if (part == u"." || part == u"..") {
      if (!device) {
        parts->push_back(part);
      } else if (part == u".." && !parts->empty()) {
        parts->pop_back();
      }
      continue;
    }
    if (i == path.size()) {
      while (!part.empty() && (part.back() == u'.' || part.back() == u' ')) part.remove_suffix(1);
    } else if (part.size() >= 2 && part.back() == u'.' && part[part.size() - 2] != u'.') {
      part.remove_suffix(1);
    }
    if (!part.empty()) parts->push_back(part);
  }
  return true;
}

// The host file of a device path's components, each matched against what exists.
std::string DeviceHostPath(const std::vector<std::u16string_view>& parts) {
  // Most paths name what exists in the case given, or a new name in such a folder: then one or
  // two lookups do. A folder whose listing is at hand answers for its names at the cost of
  // checking that it has not changed.
  std::string exact = DeviceRoot();
  size_t parentLength = exact.size();
  for (std::u16string_view part : parts) {
    parentLength = exact.size();
    exact += "/" + Utf16ToUtf8(part);
  }
  if (parts.empty()) return exact;
  std::string parent = exact.substr(0, parentLength);
  struct stat info;
  const bool listed = Listings().count(parent) != 0;
  if (!listed && Sys().lstat(exact.c_str(), &info) == 0) return exact;
  if (Sys().stat(parent.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return parent + "/" + NameIn(parent, info, parts.back(), exact.substr(parentLength + 1));
  }
  std::string host = DeviceRoot();
  for (std::u16string_view part : parts) host += "/" + ResolveComponent(host, part);
  return host;
}

}  // namespace

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

MappedPath MapPath(std::u16string_view path) {
  MappedPath mapped;
  if (!path.empty() && path[0] == u'/') {
    // The host's own absolute path, as it stands; "\\" separates folders there too, so that
    // LOAD's "\\*.ovs" and a script's device-style names work below a host folder.
    mapped.host = Utf16ToUtf8(path);
    for (char& c : mapped.host) {
      if (c == '\\') c = '/';
    }
    return mapped;
  }
  const bool device = !path.empty() && path[0] == u'\\';
  std::vector<std::u16string_view> parts;
  if (device && path.size() > 1 && IsSeparator(path[1])) {
    mapped.error = win::kErrorBadNetpath;
    return mapped;
  }
  if (!SplitPath(path, device, &parts)) {
    mapped.error = win::kErrorInvalidName;
    return mapped;
  }
  mapped.namesFolder = !parts.empty() && IsSeparator(path.back());
  if (device) {
    mapped.host = DeviceHostPath(parts);
  } else {
    for (std::u16string_view part : parts) mapped.host += (mapped.host.empty() ? "" : "/") + Utf16ToUtf8(part);
  }
  struct stat info;
  if (mapped.namesFolder && Sys().stat(mapped.host.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
    mapped.error = win::kErrorInvalidName;  // a file named as a folder ("\\a.txt\\")
  }
  return mapped;
}

std::string HostPathFor(std::u16string_view path) {
  MappedPath mapped = MapPath(path);
  return mapped.error == 0 ? std::move(mapped.host) : std::string();
}

void NoteNameMade(const std::string& hostPath) {
  const std::string folder = FolderOf(hostPath);
  auto found = Listings().find(folder);
  if (found == Listings().end()) return;
  struct stat info;
  Listing& listing = found->second;
  if (Sys().stat(folder.c_str(), &info) != 0 || info.st_dev != listing.device || info.st_ino != listing.inode) {
    Listings().erase(found);
    return;
  }
  listing.Add(hostPath.substr(hostPath.rfind('/') + 1));
  listing.modified = info.st_mtim;
  listing.changed = info.st_ctim;
}

void ForgetListingOf(const std::string& hostPath) { Listings().erase(FolderOf(hostPath)); }

uint32_t CreateDeviceFolderChain(std::u16string_view devicePath) {
  std::string host;
  // The root itself, component by component.
  for (size_t i = 1; i <= DeviceRoot().size(); ++i) {
    if (i == DeviceRoot().size() || DeviceRoot()[i] == '/') {
      host = DeviceRoot().substr(0, i);
      if (Sys().mkdir(host.c_str(), 0777) != 0 && errno != EEXIST) return Win32ErrorFromErrno(errno);
      ForgetListingOf(host);
    }
  }
  std::vector<std::u16string_view> parts;
  SplitPath(devicePath, true, &parts);  // the program's own special folders: names as Windows takes them
  for (std::u16string_view part : parts) {
    host += "/" + ResolveComponent(host, part);
    if (Sys().mkdir(host.c_str(), 0777) != 0 && errno != EEXIST) return Win32ErrorFromErrno(errno);
    ForgetListingOf(host);
  }
  struct stat info;
  if (Sys().stat(host.c_str(), &info) != 0) return Win32ErrorFromErrno(errno);
  return S_ISDIR(info.st_mode) ? win::kErrorSuccess : win::kErrorAlreadyExists;
}

}  // namespace orvinta::platform::host
