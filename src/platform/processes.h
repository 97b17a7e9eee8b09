// Processes, modules and resources.
//
// Contract: the program's own path comes back as a zero-terminated UTF-16 text that fits the
// caller's buffer (cut to fit, never overrun). A resource is found by name without regard to
// case; its bytes belong to the program image, are read-only and live for the whole process.
// A missing resource is reported as absent, never as an empty one.
#pragma once
#include <cstdint>
#include <string_view>

namespace orvinta::platform {

struct ResourceBytes {
  const void* data = nullptr;
  uint32_t size = 0;  // in bytes
};

class Processes {
 public:
  virtual ~Processes() = default;

  // GetModuleFileNameW for the program itself: the number of code units written without the
  // terminator, 0 on failure. The buffer always ends with a zero when capacity > 0.
  virtual uint32_t ModuleFileName(char16_t* buffer, uint32_t capacity) = 0;

  // FindResourceW + LoadResource: false when the resource is missing or cannot be loaded.
  virtual bool FindResourceData(std::u16string_view name, uint32_t type, ResourceBytes* out) = 0;
};

}  // namespace orvinta::platform
