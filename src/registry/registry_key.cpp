#include "registry/registry_key.h"

#include "base/hex.h"
#include "base/text.h"

namespace orvinta::registry {

namespace {

struct RootName {
  const char16_t* name;
  uint32_t root;
};

// Scanned in this order: the short names first.
constexpr RootName kRootNames[] = {
    {u"HKU\\", win::kHkeyUsers},
    {u"HKCU\\", win::kHkeyCurrentUser},
    {u"HKCR\\", win::kHkeyClassesRoot},
    {u"HKLM\\", win::kHkeyLocalMachine},
    {u"HKEY_USERS\\", win::kHkeyUsers},
    {u"HKEY_CURRENT_USER\\", win::kHkeyCurrentUser},
    {u"HKEY_CLASSES_ROOT\\", win::kHkeyClassesRoot},
    {u"HKEY_LOCAL_MACHINE\\", win::kHkeyLocalMachine},
};

}  // namespace

platform::KeyHandle ParseRootKey(const char16_t* text, size_t& length) {
  for (const RootName& row : kRootNames) {
    size_t nameLength = base::TextLength(row.name);
    if (base::CommonPrefixLength(row.name, text) == nameLength) {
      length = nameLength;
      return platform::RootKeyHandle(row.root);
    }
  }
  length = 0;
  return 0;
}

uint32_t ParseByteList(char16_t* text) {
  auto* out = reinterpret_cast<unsigned char*>(text);
  uint32_t count = 0;
  const char16_t* item = text;
  while (*item != 0) {
    int high = base::HexDigitValue(item[0]);
    bool oneDigit = high >= 0 && (item[1] == u',' || item[1] == 0);
    // Read before writing: the byte may land on the item's own first unit.
    int value = oneDigit ? high : (high * 16) | base::HexDigitValue(item[1]);
    const char16_t* next = item;
    while (*next != 0 && *next != u',') ++next;
    out[count++] = static_cast<unsigned char>(value & 0xFF);
    item = *next == u',' ? next + 1 : next;
  }
  return count;
}

RegistryKey::RegistryKey(platform::KeyHandle root, const char16_t* subKey, uint32_t access) {
  createResult_ = platform::Get().registry->RegCreateKeyExW(root, subKey, access, &handle_);
  if (createResult_ != win::kErrorSuccess) handle_ = 0;
}

void RegistryKey::Close() {
  if (handle_ == 0) return;
  platform::Get().registry->RegCloseKey(handle_);
  handle_ = 0;
}

bool RegistryKey::SetString(const char16_t* name, const char16_t* text) {
  auto size = static_cast<uint32_t>((base::TextLength(text) + 1) * sizeof(char16_t));
  return platform::Get().registry->RegSetValueExW(handle_, name, win::kRegSz, text, size) == win::kErrorSuccess;
}

}  // namespace orvinta::registry
