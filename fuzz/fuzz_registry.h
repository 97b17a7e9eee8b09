// What the registry fuzz targets share: a fresh host registry per input, over a hive file in a
// temporary folder whose writes skip the flush to disk (through the hive's system-call seam).
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <memory>
#include <string>

#include "platform/host/system_calls.h"
#include "platform/host/hive_registry.h"
#include "platform/platform.h"

namespace orvinta::fuzzing {

inline const std::string& HivePath() {
  static const std::string path = [] {
    char folder[] = "/tmp/orvinta-fuzz-XXXXXX";
    std::string made = mkdtemp(folder) != nullptr ? folder : "/tmp";
    platform::host::Sys().fsync = [](int) { return 0; };
    platform::host::Sys().fdatasync = [](int) { return 0; };
    setenv("ORVINTA_ROOT", (made + "/root").c_str(), 1);
    setenv("ORVINTA_REGISTRY", (made + "/default.hive").c_str(), 1);
    return made + "/registry.hive";
  }();
  return path;
}

// Installs an empty registry for one input.
class FreshRegistry {
 public:
  FreshRegistry() : registry_(MakeEmpty()), override_(&platform::Services::registry, registry_.get()) {}

 private:
  static std::unique_ptr<platform::Registry> MakeEmpty() {
    unlink(HivePath().c_str());
    unlink((HivePath() + ".log").c_str());
    return platform::host::MakeHiveRegistry(HivePath());
  }
  std::unique_ptr<platform::Registry> registry_;
  platform::ServiceOverride<platform::Registry> override_;
};

// The input as UTF-16 code units (little-endian pairs), zero-terminated; zeros inside end it.
inline std::u16string Utf16Of(const uint8_t* data, size_t size) {
  std::u16string text;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
    if (unit == 0) break;
    text.push_back(unit);
  }
  return text;
}

}  // namespace orvinta::fuzzing
