#include "platform/files.h"

#include "platform/backend.h"
#include "platform/host/device_paths.h"

namespace orvinta::platform {

namespace {

// The device's usual special folders, below the virtual device's root.
const char16_t* DeviceFolderFor(int csidl) {
  switch (csidl) {
    case win::kCsidlAppData: return u"\\Application Data";
    case win::kCsidlPersonal: return u"\\My Documents";
    case win::kCsidlStartup: return u"\\Windows\\Startup";
    case win::kCsidlWindows: return u"\\Windows";
    case win::kCsidlPrograms: return u"\\Windows\\Start Menu\\Programs";
    case win::kCsidlStartMenu: return u"\\Windows\\Start Menu";
    case win::kCsidlProgramFiles: return u"\\Program Files";
    default: return nullptr;
  }
}

class HostFiles final : public Files {
 public:
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    const char16_t* path = DeviceFolderFor(csidl);
    if (path == nullptr) return false;
    if (create && host::CreateDeviceFolderChain(path) != win::kErrorSuccess) return false;
    size_t n = 0;
    for (; path[n] != 0 && n + 1 < win::kMaxPath; ++n) buffer[n] = path[n];
    buffer[n] = 0;
    return true;
  }

  // Host paths ("/work/a.ovs", "./dir/a.ovs") separate folders with "/".
  bool IsPathSeparator(char16_t c) const override { return c == u'\\' || c == u'/'; }
};

}  // namespace

Files* backend::DefaultFiles() {
  static HostFiles files;
  return &files;
}

}  // namespace orvinta::platform
