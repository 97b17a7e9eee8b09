// The configuration manager's stand-in on documents (the input as UTF-8, the first byte "V"
// turning it into one parm value of every datatype instead): it must never crash, answer only
// its documented results, leave the registry as it was on any fault, and answer queries only
// on success. Both halves stay within the values' own decoders and the host's XML parser.
#include "base/utf8.h"
#include "platform/config_manager.h"
#include "platform/provisioning_values.h"
#include "sandbox.h"

namespace {

using namespace orvinta;

// True when no root key holds a subkey or a value: what a fresh registry looks like.
bool RegistryIsEmpty() {
  platform::Registry& registry = *platform::Get().registry;
  for (uint32_t root = win::kHkeyClassesRoot; root <= win::kHkeyUsers; ++root) {
    char16_t name[256];
    uint32_t units = 256;
    uint32_t size = 0;
    if (registry.RegEnumKeyExW(platform::RootKeyHandle(root), 0, name, &units) != win::kErrorNoMoreItems) return false;
    units = 256;
    if (registry.RegEnumValueW(platform::RootKeyHandle(root), 0, name, &units, nullptr, nullptr, &size) !=
        win::kErrorNoMoreItems) {
      return false;
    }
  }
  return true;
}

void FuzzValue(std::u16string_view input) {
  static constexpr std::u16string_view kDatatypes[] = {u"string", u"float", u"integer", u"boolean", u"multiplestring",
                                                       u"binary", u"time", u"date", u"BINARY", u"other"};
  for (std::u16string_view datatype : kDatatypes) {
    platform::RegistryData data;
    if (platform::DecodeParmValue(datatype, input, data) != platform::ValueVerdict::Ok) continue;
    std::u16string name, value;
    platform::EncodeParmValue(data, name, value);
    // What a query answers must read back as the same data (a string only up to its first zero).
    platform::RegistryData again;
    if (name == u"binary" || name == u"integer" || name == u"multiplestring") {
      if (platform::DecodeParmValue(name, value, again) != platform::ValueVerdict::Ok) std::abort();
      if (name != u"multiplestring" && again.bytes != data.bytes) std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  if (!bytes.empty() && bytes[0] == 'V') {
    FuzzValue(base::Utf8ToUtf16(bytes.substr(1)));
    return 0;
  }
  std::u16string document = base::Utf8ToUtf16(bytes);
  document = document.substr(0, document.find(u'\0'));
  fuzz::FreshRegistry registry;
  std::u16string output;
  uint32_t result = platform::ProcessConfigXmlStandIn(document.c_str(), win::kCfgFlagProcess, &output);
  switch (result) {
    case win::kSOk:
      break;
    case win::kConfigEBadXml:
    case win::kConfigEEntryNotFound:
    case win::kEInvalidArg:
    case win::kEAccessDenied:
      if (!output.empty() || !RegistryIsEmpty()) std::abort();
      break;
    default:
      std::abort();
  }
  return 0;
}
