#include "support/registry_reading.h"

namespace orvinta::test {

std::optional<StoredValue> ReadValue(uint32_t root, const std::u16string& path, const std::u16string& name) {
  platform::Registry& registry = *platform::Get().registry;
  platform::KeyHandle key = 0;
  if (registry.RegOpenKeyExW(platform::RootKeyHandle(root), path.c_str(), win::kKeyAllAccess, &key) != 0) {
    return std::nullopt;
  }
  StoredValue value;
  uint32_t size = 0;
  uint32_t result = registry.RegQueryValueExW(key, name.c_str(), &value.type, nullptr, &size);
  if (result == 0) {
    value.data.resize(size);
    result = registry.RegQueryValueExW(key, name.c_str(), &value.type, value.data.data(), &size);
  }
  registry.RegCloseKey(key);
  if (result != 0) return std::nullopt;
  return value;
}

bool KeyExists(uint32_t root, const std::u16string& path) {
  platform::Registry& registry = *platform::Get().registry;
  platform::KeyHandle key = 0;
  if (registry.RegOpenKeyExW(platform::RootKeyHandle(root), path.c_str(), win::kKeyAllAccess, &key) != 0) {
    return false;
  }
  registry.RegCloseKey(key);
  return true;
}

StoredValue Sz(std::u16string_view text, uint32_t type) {
  StoredValue value{type, {}};
  for (char16_t c : text) {
    value.data.push_back(static_cast<uint8_t>(c));
    value.data.push_back(static_cast<uint8_t>(c >> 8));
  }
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

StoredValue Dword(uint32_t number) {
  return StoredValue{win::kRegDword,
                     {static_cast<uint8_t>(number), static_cast<uint8_t>(number >> 8),
                      static_cast<uint8_t>(number >> 16), static_cast<uint8_t>(number >> 24)}};
}

StoredValue Bytes(uint32_t type, std::vector<uint8_t> bytes) { return StoredValue{type, std::move(bytes)}; }

}  // namespace orvinta::test
