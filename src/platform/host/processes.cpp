#include "platform/processes.h"

#include <unistd.h>

#include <climits>
#include <cstring>

#include "platform/backend.h"
#include "platform/host/embedded_resource.h"
#include "platform/host/unicode.h"

namespace orvinta::platform {

namespace {

bool SameNameNoCase(std::u16string_view a, const char* b) {
  size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char16_t x = a[i] >= u'a' && a[i] <= u'z' ? static_cast<char16_t>(a[i] - 32) : a[i];
    char y = b[i] >= 'a' && b[i] <= 'z' ? static_cast<char>(b[i] - 32) : b[i];
    if (x != static_cast<unsigned char>(y)) return false;
  }
  return true;
}

class HostProcesses final : public Processes {
 public:
  uint32_t ModuleFileName(char16_t* buffer, uint32_t capacity) override {
    if (capacity == 0) return 0;
    char path[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
      buffer[0] = 0;
      return 0;
    }
    std::u16string wide = host::Utf8ToUtf16(std::string_view(path, static_cast<size_t>(length)));
    uint32_t n = 0;
    for (; n < wide.size() && n + 1 < capacity; ++n) buffer[n] = wide[n];
    buffer[n] = 0;
    return n;
  }

  bool FindResourceData(std::u16string_view name, uint32_t type, ResourceBytes* out) override {
    if (type != win::kRtRcData || !SameNameNoCase(name, "ORVINTA")) return false;
    return host::DefaultScriptResource(out);
  }
};

}  // namespace

Processes* backend::DefaultProcesses() {
  static HostProcesses processes;
  return &processes;
}

}  // namespace orvinta::platform
