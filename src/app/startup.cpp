#include "app/startup.h"

#include <iterator>
#include <vector>

#include "engine/runner.h"
#include "platform/platform.h"

namespace orvinta::app {

namespace {

char16_t g_programPath[win::kMaxPath];

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

const char16_t* ProgramPath() { return g_programPath; }

int32_t Start(char16_t* commandLine) {
  platform::Get().processes->ModuleFileName(g_programPath, win::kMaxPath);
  g_programPath[win::kMaxPath - 1] = 0;

  if (commandLine[0] == 0) {
    std::vector<char16_t> text = DefaultScriptText();
    return engine::RunScript(text.data(), g_programPath);
  }
  char16_t* text = commandLine;
  if (text[0] == u'"') {
    size_t length = 0;
    while (commandLine[length] != 0) ++length;
    if (commandLine[length - 1] == u'"') commandLine[length - 1] = 0;
    text = commandLine + 1;
  }
  return engine::RunScript(text, g_programPath);
}

}  // namespace orvinta::app
