#include "platform/files.h"

#include <windows.h>
#include <shlobj.h>

#include "platform/backend.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

class Win32Files final : public Files {
 public:
  bool SpecialFolderPath(int csidl, char16_t* buffer, bool create) override {
    return SHGetSpecialFolderPathW(nullptr, win32::Wide(buffer), csidl, create ? TRUE : FALSE) != FALSE;
  }

  bool IsPathSeparator(char16_t c) const override { return c == u'\\'; }
};

}  // namespace

Files* backend::DefaultFiles() {
  static Win32Files files;
  return &files;
}

}  // namespace orvinta::platform
