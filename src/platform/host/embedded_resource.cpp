#include "platform/host/embedded_resource.h"

#include <cstdint>

namespace orvinta::platform::host {

constexpr uint32_t kCapacity = 64 * 1024;
constexpr uint32_t kMissing = 0xFFFFFFFF;

// Layout: a 16-byte marker, the data's size in bytes (little-endian; 0xFFFFFFFF: no resource),
// then room for kCapacity bytes of UTF-16 LE script text. The shipped script is "OVUI"
// followed by 24 zero code units: 56 bytes, as in the Windows build's resource.
struct EmbeddedBlob {
  char marker[16];
  uint32_t size;
  unsigned char data[kCapacity];
};

}  // namespace orvinta::platform::host

// The help page's bytes (generated/help_page.cpp).
extern const unsigned char orvinta_help_page[];
extern const unsigned int orvinta_help_page_size;

extern "C" {
__attribute__((used, section(".orvinta_rsrc"), aligned(16)))
orvinta::platform::host::EmbeddedBlob orvinta_default_script_blob = {
    {'O', 'R', 'V', 'I', 'N', 'T', 'A', '-', 'R', 'C', 'D', 'A', 'T', 'A', '!', 0},
    56,
    {'O', 0, 'V', 0, 'U', 0, 'I', 0}};
}

namespace orvinta::platform::host {

bool DefaultScriptResource(ResourceBytes* out) {
  // The blob is patched in the file after linking: the compiler must not fold its contents.
  EmbeddedBlob* blob = &orvinta_default_script_blob;
  asm volatile("" : "+r"(blob) : : "memory");
  uint32_t size = blob->size;
  if (size == kMissing) return false;
  out->data = blob->data;
  out->size = size > kCapacity ? kCapacity : size;
  return true;
}

bool HelpPageResource(ResourceBytes* out) {
  out->data = orvinta_help_page;
  out->size = orvinta_help_page_size;
  return true;
}

}  // namespace orvinta::platform::host
