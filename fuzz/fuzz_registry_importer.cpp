// The registry-script importer in both modes, on UTF-16 text: it must never read or write out
// of the text, never change the text, and in a block resume at a line of the text.
#include <cstdlib>
#include <cstring>

#include "fuzz_registry.h"
#include "registry/importer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta;
  std::u16string text = fuzzing::Utf16Of(data, size);
  std::u16string copy = text;

  {
    fuzzing::FreshRegistry registry;
    int32_t result = registry::ImportRegistryText(text.data(), nullptr);
    if ((result != 0 && result != 1017) || text != copy) std::abort();
  }
  {
    // As a block inside a script: the runner hands over a line that begins with "[".
    std::u16string block = u"[" + copy;
    std::u16string blockCopy = block;
    fuzzing::FreshRegistry registry;
    char16_t* resume = nullptr;
    int32_t result = registry::ImportRegistryText(block.data(), &resume);
    char16_t* begin = block.data();
    char16_t* end = begin + block.size();
    if ((result != 0 && result != 1017) || block != blockCopy) std::abort();
    if (resume <= begin || resume > end) std::abort();  // never the block's own first line
    if (result == 0 && resume != end) std::abort();
  }
  return 0;
}
