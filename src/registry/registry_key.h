// What the registry commands share: the root key names, the byte-list notation, and a key
// object that closes its handle when it goes out of scope.
#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace orvinta::registry {

// Finds which root name the text begins with, with exact case and its closing backslash:
// "HKU\", "HKCU\", "HKCR\", "HKLM\", then the long names ("HKEY_LOCAL_MACHINE\", ...). Returns
// the root's handle and sets `length` to the units matched; 0 (and length 0) when none matches.
platform::KeyHandle ParseRootKey(const char16_t* text, size_t& length);

// Converts a byte list in place: items separated by "," whose first two characters are
// hexadecimal digits ("0A,ff,7"). The bytes are written from the start of the text's own
// memory and their count is returned; the text is overwritten and never written past. A digit
// position without a hexadecimal digit counts as all bits set ("x1" gives F1), except that an
// item of one digit gives that digit ("7" gives 07). Blanks are not separators.
uint32_t ParseByteList(char16_t* text);

// A key created or opened with RegCreateKeyExW for the life of the object.
class RegistryKey {
 public:
  RegistryKey(platform::KeyHandle root, const char16_t* subKey, uint32_t access = win::kKeyAllAccess);
  ~RegistryKey() { Close(); }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool IsOpen() const { return handle_ != 0; }
  platform::KeyHandle Handle() const { return handle_; }
  // The platform's code for the creation: 0 when the key is open.
  uint32_t CreateResult() const { return createResult_; }
  void Close();

  // Writes `text` and its terminator as REG_SZ under `name` (null: the default value).
  bool SetString(const char16_t* name, const char16_t* text);

 private:
  platform::KeyHandle handle_ = 0;
  uint32_t createResult_ = 0;
};

}  // namespace orvinta::registry
