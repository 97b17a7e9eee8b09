// The registry-script importer in both modes, on UTF-16 text: it must never read or write out
// of the text, never change the text, and in a block resume at a line of the text.
#include "registry/importer.h"
#include "sandbox.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvinta;
  for (const bool asBlock : {false, true}) {
    // As a block inside a script, the runner hands over a line that begins with "[".
    std::u16string text = (asBlock ? u"[" : u"") + fuzz::Utf16Of(data, size);
    const std::u16string copy = text;
    fuzz::FreshRegistry registry;
    char16_t* resume = nullptr;
    const int32_t result = registry::ImportRegistryText(text.data(), asBlock ? &resume : nullptr);
    if ((result != 0 && result != 1017) || text != copy) std::abort();
    char16_t* const end = text.data() + text.size();
    // A block resumes after its own first line, and at the end when the whole text was imported.
    if (asBlock && (resume <= text.data() || resume > end || (result == 0 && resume != end))) std::abort();
  }
  return 0;
}
