// Reading the registry back in tests, through the registry service in force.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace orvinta::test {

struct StoredValue {
  uint32_t type = 0;
  std::vector<uint8_t> data;
  bool operator==(const StoredValue&) const = default;
};

// The value under root\path, or nothing when the key or the value is missing.
std::optional<StoredValue> ReadValue(uint32_t root, const std::u16string& path, const std::u16string& name);
bool KeyExists(uint32_t root, const std::u16string& path);

// Helpers that build the data of the common types.
StoredValue Sz(std::u16string_view text, uint32_t type = win::kRegSz);
StoredValue Dword(uint32_t value);
StoredValue Bytes(uint32_t type, std::vector<uint8_t> bytes);

}  // namespace orvinta::test
