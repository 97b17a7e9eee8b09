#include "platform/registry.h"

#include <windows.h>

#include "platform/backend.h"
#include "platform/win32/wide.h"

namespace orvinta::platform {

namespace {

HKEY Hkey(KeyHandle handle) { return reinterpret_cast<HKEY>(handle); }

uint32_t Code(LONG result) { return static_cast<uint32_t>(result); }

class Win32Registry final : public Registry {
 public:
  uint32_t RegCreateKeyExW(KeyHandle parent, const char16_t* subKey, uint32_t access, KeyHandle* result) override {
    HKEY key = nullptr;
    LONG status = ::RegCreateKeyExW(Hkey(parent), win32::Wide(subKey), 0, nullptr, 0, access, nullptr, &key, nullptr);
    *result = status == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(key) : 0;
    return Code(status);
  }

  uint32_t RegOpenKeyExW(KeyHandle parent, const char16_t* subKey, uint32_t access, KeyHandle* result) override {
    HKEY key = nullptr;
    LONG status = ::RegOpenKeyExW(Hkey(parent), win32::Wide(subKey), 0, access, &key);
    *result = status == ERROR_SUCCESS ? reinterpret_cast<KeyHandle>(key) : 0;
    return Code(status);
  }

  uint32_t RegSetValueExW(KeyHandle key, const char16_t* name, uint32_t type, const void* data,
                          uint32_t size) override {
    return Code(::RegSetValueExW(Hkey(key), win32::Wide(name), 0, type, static_cast<const BYTE*>(data), size));
  }

  uint32_t RegQueryValueExW(KeyHandle key, const char16_t* name, uint32_t* type, void* data,
                            uint32_t* size) override {
    DWORD valueType = 0;
    DWORD bytes = size != nullptr ? *size : 0;
    LONG status = ::RegQueryValueExW(Hkey(key), win32::Wide(name), nullptr, &valueType, static_cast<BYTE*>(data),
                                     size != nullptr ? &bytes : nullptr);
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = bytes;
    return Code(status);
  }

  uint32_t RegDeleteValueW(KeyHandle key, const char16_t* name) override {
    return Code(::RegDeleteValueW(Hkey(key), win32::Wide(name)));
  }

  uint32_t RegDeleteKeyW(KeyHandle parent, const char16_t* subKey) override {
    return Code(::RegDeleteKeyW(Hkey(parent), win32::Wide(subKey)));
  }

  uint32_t RegCloseKey(KeyHandle key) override { return Code(::RegCloseKey(Hkey(key))); }

  uint32_t RegEnumKeyExW(KeyHandle key, uint32_t index, char16_t* name, uint32_t* nameUnits) override {
    DWORD units = *nameUnits;
    LONG status = ::RegEnumKeyExW(Hkey(key), index, win32::Wide(name), &units, nullptr, nullptr, nullptr, nullptr);
    *nameUnits = units;
    return Code(status);
  }

  uint32_t RegEnumValueW(KeyHandle key, uint32_t index, char16_t* name, uint32_t* nameUnits, uint32_t* type,
                         void* data, uint32_t* size) override {
    DWORD units = *nameUnits;
    DWORD valueType = 0;
    DWORD bytes = size != nullptr ? *size : 0;
    LONG status = ::RegEnumValueW(Hkey(key), index, win32::Wide(name), &units, nullptr, &valueType,
                                  static_cast<BYTE*>(data), size != nullptr ? &bytes : nullptr);
    *nameUnits = units;
    if (type != nullptr) *type = valueType;
    if (size != nullptr) *size = bytes;
    return Code(status);
  }

  // The system writes its registry itself.
  uint32_t CommitChanges() override { return ERROR_SUCCESS; }
};

// A handle holds an HKEY whole. The root keys are pointer constants in <windows.h>, which a
// constant expression cannot compare; RootKeyHandle spells them the same way (sign-extended).
static_assert(sizeof(HKEY) == sizeof(KeyHandle));

}  // namespace

Registry* backend::DefaultRegistry() {
  static Win32Registry registry;
  return &registry;
}

}  // namespace orvinta::platform
