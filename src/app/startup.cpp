#include "app/startup.h"

#include <iterator>
#include <vector>

#include "app/rooms.h"
#include "engine/runner.h"
#include "platform/platform.h"

namespace orvinta::app {

namespace {

// The default script as a writable copy: the runner writes into script text (embedded blocks),
// resource data is read-only, and a resource without its terminating zero must still end.
std::vector<char16_t> DefaultScriptText() {
  platform::ResourceBytes resource;
  if (!platform::Get().processes->FindResourceData(u"Orvinta", win::kRtRcData, &resource) ||
      resource.data == nullptr) {
    static constexpr char16_t kFallback[] = u"OVUI";
    return std::vector<char16_t>(std::begin(kFallback), std::end(kFallback));
  }
  std::vector<char16_t> text(resource.size / 2 + 1, 0);
  const auto* bytes = static_cast<const unsigned char*>(resource.data);
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));  // UTF-16 LE
  }
  return text;
}

}  // namespace

int32_t Start(char16_t* commandLine) {
  WireRooms();
  // The script path of everything run from the command line or the default script.
  char16_t programPath[win::kMaxPath] = {};
  platform::Get().processes->ModuleFileName(programPath, win::kMaxPath);

  if (commandLine[0] == 0) {
    std::vector<char16_t> text = DefaultScriptText();
    return engine::RunScript(text.data(), programPath);
  }
  char16_t* text = commandLine;
  if (text[0] == u'"') {
    size_t length = 0;
    while (commandLine[length] != 0) ++length;
    if (commandLine[length - 1] == u'"') commandLine[length - 1] = 0;
    text = commandLine + 1;
  }
  return engine::RunScript(text, programPath);
}

}  // namespace orvinta::app
