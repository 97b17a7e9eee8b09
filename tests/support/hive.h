// A registry of its own for a test, and reading values back through the registry in force.
#pragma once
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
  explicit TempHive(std::chrono::milliseconds lockWait = std::chrono::milliseconds(2000));
  ~TempHive();

  platform::Registry& Registry() { return *registry_; }
  std::string HivePath() const { return (folder_ / "registry.hive").string(); }
  // Drops the registry and starts a new one on the same file, as a new process would.
  void Reopen();

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

// The value under root\path, or nothing when the key or the value is missing.
std::optional<StoredValue> ReadValue(uint32_t root, const std::u16string& path, const std::u16string& name);
bool KeyExists(uint32_t root, const std::u16string& path);

// A terminated string's data; bytes of any type.
StoredValue Sz(std::u16string_view text, uint32_t type = win::kRegSz);
inline StoredValue Bytes(uint32_t type, std::vector<uint8_t> bytes) { return {type, std::move(bytes)}; }

}  // namespace orvinta::test
