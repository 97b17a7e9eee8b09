// The file-name picker: the main window's browse button. Windows Mobile editions differ in the
// file dialogs they offer, so the picker tries four libraries in a fixed order and takes the
// first one that has its function; on a Smartphone 2003 with only the core library's dialog it
// explains what to download and offers a fixed name instead.
#pragma once
#include <cstdint>
#include <string_view>

#include "platform/file_dialogs.h"

namespace orvinta::app {

struct PickerLibrary {
  const char16_t* name;
  const char16_t* openFunction;
  const char16_t* saveFunction;
  uint32_t recordSize;
  platform::FileDialogForm form;
};

inline constexpr PickerLibrary kPickerLibraries[] = {
    {u"RFileShell", u"RShellGetOpenFileName", u"RShellGetSaveFileName", 76, platform::FileDialogForm::kRecord},
    {u"AygShell", u"GetOpenFileNameEx", u"GetSaveFileNameEx", 84, platform::FileDialogForm::kRecord},
    {u"tGetFile", u"tGetFile", u"tGetFile", 76, platform::FileDialogForm::kSaveFlagThenRecord},
    {u"CoreDll", u"GetOpenFileNameW", u"GetSaveFileNameW", 76, platform::FileDialogForm::kRecord},
};

// The platform information: major version in bits 0-7, minor in bits 8-15, and bit 28 set on
// a PocketPC. Computed on first use and kept for the process.
inline constexpr uint32_t kPocketPcBit = 0x10000000;
uint32_t ComputePlatformInfo(platform::FileDialogs& dialogs);
uint32_t GetPlatformInfo(platform::FileDialogs& dialogs);

// The filter text ("description|patterns|..."): its first pattern list ("*.ovs;*.reg;*xml"),
// and the default extension taken from it: from its first "." up to the next ";" (".ovs"),
// empty when it has no ".". `extension` holds 16 units.
std::u16string_view FirstPatternList(std::u16string_view filter);
void DefaultExtension(std::u16string_view filter, char16_t extension[16]);

// Asks for a file name in open or save mode. `box` (260 units) holds the control's text: the
// initial name ("\" when empty) and, when the result is non-zero, the chosen path.
// `platformInfo` is GetPlatformInfo's value.
int32_t PickFileName(platform::FileDialogs& dialogs, uintptr_t owner, char16_t* box, bool save, uint32_t platformInfo);

}  // namespace orvinta::app
