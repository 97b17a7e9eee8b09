#include "platform/host/beneath.h"

#include <fcntl.h>
#include <limits.h>

#include <cerrno>
#include <cstdlib>

#include "platform/constants.h"
#include "platform/files.h"
#include "platform/host/device_paths.h"
#include "platform/host/system_calls.h"

namespace orvinta::platform::host {

namespace {

// The root as the kernel resolves it; read once, since the root does not move during a run.
const std::string& RealRoot() {
  static const std::string real = [] {
    char buffer[PATH_MAX];
    const char* resolved = Sys().realpath(DeviceRoot().c_str(), buffer);
    return std::string(resolved != nullptr ? resolved : DeviceRoot().c_str());
  }();
  return real;
}

bool LeadsBeneathRoot(const std::string& link) {
  char buffer[PATH_MAX];
  const char* resolved = Sys().realpath(link.c_str(), buffer);
  if (resolved == nullptr) return false;  // dangling, or a loop: nowhere safe
  const std::string& root = RealRoot();
  const std::string target(resolved);
  return target.compare(0, root.size(), root) == 0 && (target.size() == root.size() || target[root.size()] == '/');
}

}  // namespace

uint32_t RefuseLinkedFolders(const char16_t* devicePath, const std::string& hostPath) {
  if (devicePath[0] != u'\\') return win::kErrorSuccess;
  const std::string& root = DeviceRoot();
  if (hostPath.compare(0, root.size(), root) != 0) return win::kErrorSuccess;
  for (size_t slash = hostPath.find('/', root.size() + 1); slash != std::string::npos;
       slash = hostPath.find('/', slash + 1)) {
    const std::string folder = hostPath.substr(0, slash);
    struct stat info;
    if (Sys().lstat(folder.c_str(), &info) != 0) return win::kErrorSuccess;  // nothing below exists
    if (S_ISLNK(info.st_mode) && !LeadsBeneathRoot(folder)) return win::kErrorCantResolveFilename;
  }
  return win::kErrorSuccess;
}

bool LinkLeadsToFolder(const std::string& hostPath) {
  struct stat target;
  return Sys().stat(hostPath.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
}

bool EntryAttributes(const std::string& hostPath, struct stat* info, uint32_t* attributes, uint64_t* size) {
  if (Sys().lstat(hostPath.c_str(), info) != 0) return false;
  *size = 0;
  if (S_ISLNK(info->st_mode)) {
    *attributes = kFileAttributeReparsePoint | (LinkLeadsToFolder(hostPath) ? kFileAttributeDirectory : kFileAttributeArchive);
  } else if (S_ISDIR(info->st_mode)) {
    *attributes = kFileAttributeDirectory;
  } else if (S_ISREG(info->st_mode)) {  // regular files carry the archive attribute, as new ones do on Windows
    *attributes = kFileAttributeArchive;
    *size = static_cast<uint64_t>(info->st_size);
  } else {
    *attributes = kFileAttributeDevice;
  }
  if ((info->st_mode & S_IWUSR) == 0 && !S_ISLNK(info->st_mode)) *attributes |= kFileAttributeReadonly;
  return true;
}

int ReplaceWithNewFile(const std::string& hostPath, int flags) {
  ForgetListingOf(hostPath);
  if (Sys().unlink(hostPath.c_str()) != 0 && errno != ENOENT) return -1;
  int fd = Sys().open(hostPath.c_str(), flags | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
  if (fd >= 0) NoteNameMade(hostPath);
  return fd;
}

}  // namespace orvinta::platform::host
