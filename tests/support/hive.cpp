#include "support/hive.h"

#include <stdlib.h>

namespace orvinta::test {

TempHive::TempHive(std::chrono::milliseconds lockWait) : lockWait_(lockWait) {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvinta-test-XXXXXX").string();
  folder_ = mkdtemp(pattern.data());
  Reopen();
}

TempHive::~TempHive() {
  override_.reset();
  registry_.reset();
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void TempHive::Reopen() {
  override_.reset();
  registry_ = platform::host::MakeHiveRegistry(HivePath(), lockWait_);
  override_ = std::make_unique<platform::ServiceOverride<platform::Registry>>(&platform::Services::registry,
                                                                              registry_.get());
}

// Opens root\path; 0 when it is missing.
static platform::KeyHandle Open(uint32_t root, const std::u16string& path) {
  platform::KeyHandle key = 0;
  platform::Get().registry->RegOpenKeyExW(platform::RootKeyHandle(root), path.c_str(), win::kKeyAllAccess, &key);
  return key;
}

std::optional<StoredValue> ReadValue(uint32_t root, const std::u16string& path, const std::u16string& name) {
  platform::Registry& registry = *platform::Get().registry;
  platform::KeyHandle key = Open(root, path);
  if (key == 0) return std::nullopt;
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
  platform::KeyHandle key = Open(root, path);
  if (key != 0) platform::Get().registry->RegCloseKey(key);
  return key != 0;
}

StoredValue Sz(std::u16string_view text, uint32_t type) {
  StoredValue value{type, {}};
  for (char16_t c : text) value.data.insert(value.data.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
  value.data.insert(value.data.end(), {0, 0});
  return value;
}

}  // namespace orvinta::test
