// MSGX text[,caption[,type]]: a message box; the result is the button chosen.
#include "base/number.h"
#include "dialogs/dialog_commands.h"
#include "platform/platform.h"

namespace orvinta::dialogs {

int32_t HandleMsgx(char16_t*, char16_t* argument, engine::ScriptContext&) {
  const char16_t* caption = u"Orvinta";
  uint32_t type = win::kMbIconAsterisk;  // OK and the information icon
  if (char16_t* captionText = engine::CutAtSeparator(argument); captionText != nullptr) {
    caption = captionText;  // "MSGX text," gives an empty caption, not the default
    // The type ends at a third separator: ParseNumber stops there.
    if (const char16_t* typeText = engine::CutAtSeparator(captionText); typeText != nullptr) {
      type = static_cast<uint32_t>(base::ParseNumber(typeText));
    }
  }
  return platform::Get().windows->MessageBoxW(argument, caption, type | win::kMbSetForeground);
}

}  // namespace orvinta::dialogs
