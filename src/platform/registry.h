// Registry services.
//
// Contract: the calls are the Win32 ones (same arguments, same results): each returns 0 or a
// Win32 error code, never throws, and touches nothing on failure. Names are UTF-16 and match
// without regard to case while keeping the case they were created with; a null or empty value
// name means the key's default value. A handle comes from RegCreateKeyExW or RegOpenKeyExW and
// the caller closes it with RegCloseKey; the four root handles (RootKeyHandle) are always open.
//
// RegQueryValueExW reports the value's type and size as Windows does: with no data buffer it
// stores the size and succeeds; with a buffer too small it returns ERROR_MORE_DATA (234), stores
// the size needed and leaves the buffer's contents unspecified; a missing value is
// ERROR_FILE_NOT_FOUND (2). RegDeleteKeyW follows the platform's rule for subkeys: Windows
// refuses a key that has any (ERROR_ACCESS_DENIED), the host deletes the whole tree as the
// device's registry does.
//
// CommitChanges makes what the calls changed since the last commit lasting. Windows keeps its
// registry itself, so there it does nothing; the host writes its hive file there, once, however
// many values changed. Every command that changes the registry calls it before it returns.
#pragma once
#include <cstdint>

#include "platform/constants.h"

namespace orvinta::platform {

// An open key, as the platform's HKEY value; 0 is no key.
using KeyHandle = std::uintptr_t;

// The handle of a root key given by its 32-bit value (win::kHkeyLocalMachine, ...): the value
// sign-extended to the width of a handle, as <windows.h> spells the predefined keys.
constexpr KeyHandle RootKeyHandle(uint32_t root) {
  return static_cast<KeyHandle>(static_cast<std::intptr_t>(static_cast<int32_t>(root)));
}

class Registry {
 public:
  virtual ~Registry() = default;

  // Creates the key (and the missing keys above it) or opens it; *result receives the handle.
  // Reserved 0, no class, options 0, no security attributes, no disposition.
  virtual uint32_t RegCreateKeyExW(KeyHandle parent, const char16_t* subKey, uint32_t access, KeyHandle* result) = 0;
  virtual uint32_t RegOpenKeyExW(KeyHandle parent, const char16_t* subKey, uint32_t access, KeyHandle* result) = 0;

  // Stores `size` bytes of data of any type number under the name.
  virtual uint32_t RegSetValueExW(KeyHandle key, const char16_t* name, uint32_t type, const void* data,
                                  uint32_t size) = 0;

  // `type`, `data` may be null; `size` is in: the buffer's size in bytes, out: the value's.
  virtual uint32_t RegQueryValueExW(KeyHandle key, const char16_t* name, uint32_t* type, void* data,
                                    uint32_t* size) = 0;

  virtual uint32_t RegDeleteValueW(KeyHandle key, const char16_t* name) = 0;
  virtual uint32_t RegDeleteKeyW(KeyHandle parent, const char16_t* subKey) = 0;
  virtual uint32_t RegCloseKey(KeyHandle key) = 0;

  // The index-th subkey's name, or the index-th value's name, type and data, as Windows lists
  // them; ERROR_NO_MORE_ITEMS (259) past the last. `nameUnits` is in: the buffer's room in code
  // units with the terminator, out: the name's length without it (ERROR_MORE_DATA when it does
  // not fit). The value's `type`, `data` and `size` follow RegQueryValueExW.
  virtual uint32_t RegEnumKeyExW(KeyHandle key, uint32_t index, char16_t* name, uint32_t* nameUnits) = 0;
  virtual uint32_t RegEnumValueW(KeyHandle key, uint32_t index, char16_t* name, uint32_t* nameUnits,
                                 uint32_t* type, void* data, uint32_t* size) = 0;

  virtual uint32_t CommitChanges() = 0;
};

}  // namespace orvinta::platform
