// A registry of its own for a test, and reading values back through the registry in force.
#pragma once
#include <stdlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/hive_registry.h"
#include "platform/platform.h"
#include "support/device_files.h"

namespace orvinta::test {

// A hive file in a fresh temporary folder, installed as the registry service for the life of
// the object, so no test touches a hive outside /tmp.
class TempHive {
 public:
  explicit TempHive(std::chrono::milliseconds lockWait = std::chrono::milliseconds(2000)) : lockWait_(lockWait) {
    std::string pattern = (std::filesystem::temp_directory_path() / "orvinta-test-XXXXXX").string();
    folder_ = mkdtemp(pattern.data());
    Reopen();
  }
  ~TempHive() {
    override_.reset();
    registry_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  platform::Registry& Registry() { return *registry_; }
  std::string HivePath() const { return (folder_ / "registry.hive").string(); }
  // Drops the registry and starts a new one on the same file, as a new process would.
  void Reopen() {
    override_.reset();
    registry_ = platform::host::MakeHiveRegistry(HivePath(), lockWait_);
    override_ = std::make_unique<platform::ServiceOverride<platform::Registry>>(&platform::Services::registry,
                                                                                registry_.get());
  }

 private:
  std::filesystem::path folder_;
  std::chrono::milliseconds lockWait_;
  std::unique_ptr<platform::host::HostRegistry> registry_;
  std::unique_ptr<platform::ServiceOverride<platform::Registry>> override_;
};

struct StoredValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
  bool operator==(const StoredValue&) const = default;
};

// Opens root\path through the registry in force; 0 when it is missing.
inline platform::KeyHandle OpenKey(uint32_t root, const std::u16string& path) {
  platform::KeyHandle key = 0;
  platform::Get().registry->RegOpenKeyExW(platform::RootKeyHandle(root), path.c_str(), win::kKeyAllAccess, &key);
  return key;
}

inline bool KeyExists(uint32_t root, const std::u16string& path) {
  platform::KeyHandle key = OpenKey(root, path);
  if (key != 0) platform::Get().registry->RegCloseKey(key);
  return key != 0;
}

// The value under root\path, or nothing when the key or the value is missing.
inline std::optional<StoredValue> ReadValue(uint32_t root, const std::u16string& path, const std::u16string& name) {
  platform::Registry& registry = *platform::Get().registry;
  platform::KeyHandle key = OpenKey(root, path);
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

// A terminated string's data; bytes of any type.
inline StoredValue Sz(std::u16string_view text, uint32_t type = win::kRegSz) {
  StoredValue value{type, {}};
  for (char16_t c : text) value.data.insert(value.data.end(), {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)});
  value.data.insert(value.data.end(), {0, 0});
  return value;
}
inline StoredValue Bytes(uint32_t type, std::vector<uint8_t> bytes) { return {type, std::move(bytes)}; }

}  // namespace orvinta::test
